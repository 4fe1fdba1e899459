// Filling the player panels from the table: through start-up and through a
// user's choice in a selector.

#include <QComboBox>

#include "app/text/messages.h"
#include "gui_support.h"

namespace fragtally::testing {
namespace {

// Weapons: machinegun, shotgun, grenade, rocket, shaft, railgun, plasma, BFG.
const Totals kZed{"Zed", 4, {{{120, 480}, {1, 8}, {0, 0}, {3, 8}, {0, 0}, {23, 40}, {0, 0}, {0, 0}}},
                  1530, 1720, 7, 9, 1, 6, 2};
const Totals kKay{"Kay", 0, {{{5, 0}, {2, 3}, {123, 456}, {3, 2}, {199, 200}, {109, 200}, {1, 3}, {-1, 2}}},
                  1234567, 0, -5, 0, 0, -5, 1};
// 328 hits of 1 shot: 32800% does not fit an accuracy label.
const Totals kOver{"Over", 11, {{{328, 1}, {2, 4}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}},
                   10, 20, 30, 40, 50, 60, 3};

// The value labels of each panel, in the order the fill sets them.
const char* const kFirst[24] = {"Label1",  "Label14", "Label15", "Label16", "Label17", "Label18",
                                "Label19", "Label20", "Label21", "Label22", "Label23", "Label24",
                                "Label25", "Label26", "Label27", "Label28", "Label29", "Label30",
                                "Label35", "Label37", "Label3",  "Label31", "Label32", "Label33"};
const char* const kSecond[24] = {"Label74", "Label61", "Label60", "Label59", "Label58", "Label57",
                                 "Label56", "Label55", "Label54", "Label53", "Label52", "Label51",
                                 "Label50", "Label49", "Label48", "Label47", "Label46", "Label45",
                                 "Label40", "Label38", "Label72", "Label44", "Label43", "Label42"};

std::vector<QString> Panel(const Form1& form, const char* const (&names)[24]) {
  std::vector<QString> texts;
  for (const char* name : names) texts.push_back(LabelText(form, name));
  return texts;
}

const std::vector<QString> kZedTexts = {"Stats for Zed", "4", "120/480", "1/8", "0/0", "3/8", "0/0", "23/40",
                                        "0/0", "0/0", "25%", "12%", "0%", "38%", "0%", "57%", "0%", "0%",
                                        "1530", "1720", "7", "9", "1", "6"};

class PanelFill : public ::testing::Test {
 protected:
  void Load(const std::vector<Totals>& players) {
    w.WriteStats(StatsFileOf(players));
    w.form.session().Load();
  }
  QComboBox* Combo(const char* name) { return Control<QComboBox>(w.form, name); }
  WindowFixture w;
};

TEST_F(PanelFill, ShowsTotalsHitsShotsAndWholePercentages) {
  Load({kZed, kKay});
  EXPECT_EQ(Panel(w.form, kFirst), kZedTexts);
  // Shots 0, halves going to the even neighbour, more hits than shots, negative
  // hits; kills and frags negative.
  EXPECT_EQ(Panel(w.form, kSecond),
            (std::vector<QString>{"Stats for Kay", "0", "5/0", "2/3", "123/456", "3/2", "199/200", "109/200",
                                  "1/3", "-1/2", "0%", "67%", "27%", "150%", "100%", "55%", "33%", "-50%",
                                  "1234567", "0", "-5", "0", "0", "-5"}));
  EXPECT_TRUE(w.sink.messages.empty());
}

TEST_F(PanelFill, LeavesHeadersCaptionsAndWeaponNamesAlone) {
  Load({kZed});
  EXPECT_EQ(LabelText(w.form, "Label2"), "kills       deaths    suicides     frags");
  EXPECT_EQ(LabelText(w.form, "Label4"), "Accuracy info:");
  EXPECT_EQ(LabelText(w.form, "Label6"), "Machine:");
  EXPECT_EQ(LabelText(w.form, "Label36"), "dmgrecvd:");
  EXPECT_EQ(LabelText(w.form, "Label73"), "kills       deaths    suicides     frags");
}

TEST_F(PanelFill, ChoosingInOneSelectorNeverTouchesTheOtherPanel) {
  Load({kZed, kKay, kOver});
  const std::vector<QString> second = Panel(w.form, kSecond);
  Combo("Combo1")->setCurrentIndex(1);  // Kay, as the user would pick it
  EXPECT_EQ(LabelText(w.form, "Label1"), "Stats for Kay");
  EXPECT_EQ(w.form.state().Combo1.ListIndex, 1);
  EXPECT_EQ(Panel(w.form, kSecond), second);

  const std::vector<QString> first = Panel(w.form, kFirst);
  Combo("Combo2")->setCurrentIndex(0);
  EXPECT_EQ(Panel(w.form, kSecond)[0], "Stats for Zed");
  EXPECT_EQ(w.form.state().Combo2.ListIndex, 0);
  EXPECT_EQ(Panel(w.form, kFirst), first);
  EXPECT_TRUE(w.sink.messages.empty());
}

TEST_F(PanelFill, MarkupInANameIsShownAsTyped) {
  Totals player = kZed;
  player.name = "<b>Bold</b>";
  Load({player});
  EXPECT_EQ(LabelText(w.form, "Label1"), "Stats for <b>Bold</b>");
  EXPECT_EQ(Control<QLabel>(w.form, "Label1")->textFormat(), Qt::PlainText);
}

}  // namespace
}  // namespace fragtally::testing
