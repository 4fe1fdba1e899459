// A new user's first run, through the real window: no files yet, the import
// button on the game's log, a look at two players, the ratings, closing.

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "app/text/messages.h"
#include "gui_support.h"

namespace fragtally::testing {
namespace {

// Remembers, for each message, whether the window was already on screen.
class WatchingSink : public ShownSink {
 public:
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override {
    window_visible.push_back(window && window->isVisible());
    ShownSink::ShowMessage(icon, title, text);
  }
  const QWidget* window = nullptr;
  std::vector<bool> window_visible;
};

// The game's console log: one start-up, two matches; Грач is written in the
// Windows Cyrillic code page, as the game writes it.
const std::string kGrach = "\xC3\xF0\xE0\xF7";
const std::string kStartup = "--- Fs_startup : Sun Mar 15 18:02:44 2026";

// The matches' blocks, as the game writes them (no games line).
Totals Match(const std::string& name, int gauntlet, std::array<std::pair<int, int>, 8> weapons, int given,
             int received, int kills, int deaths, int suicides, int frags) {
  return Totals{.name = name, .gauntlet = gauntlet, .weapons = weapons, .damage_given = given,
                .damage_received = received, .kills = kills, .deaths = deaths, .suicides = suicides,
                .frags = frags, .games = std::nullopt};
}

std::string GameLog() {
  return CrLf(Lines({
      {"------- FileSystem Startup -------", kStartup, "Krellmar 1.32 linux-i386", "execing krmconfig.cfg",
       "map: krmdm6", "Nika entered the game", kGrach + " entered the game", "Fraglimit hit."},
      StatsBlock(Match("Nika", 1, {{{12, 30}, {3, 8}, {0, 0}, {5, 12}, {20, 80}, {4, 10}, {0, 0}, {0, 0}}}, 1500, 1100,
                       6, 4, 0, 6)),
      StatsBlock(Match(kGrach, 2, {{{15, 40}, {2, 10}, {0, 0}, {7, 14}, {0, 0}, {9, 20}, {11, 50}, {0, 0}}}, 1800, 1300,
                       7, 3, 0, 7)),
      StatsBlock(Match("Tarn", 0, {{{5, 35}, {1, 9}, {0, 2}, {2, 10}, {8, 60}, {1, 7}, {0, 0}, {0, 0}}}, 700, 1600, 2, 7,
                       1, 1)),
      {"ShutdownGame:", "map: krmdm17", "Nika entered the game"},
      StatsBlock(Match("Nika", 0, {{{8, 20}, {1, 8}, {1, 4}, {3, 8}, {10, 40}, {2, 6}, {0, 0}, {0, 0}}}, 900, 1000, 3, 3,
                       0, 3)),
      {"ShutdownGame:", "----- CL_Shutdown -----"},
  }));
}

std::vector<QString> Labels(const Form1& form, std::initializer_list<const char*> names) {
  std::vector<QString> texts;
  for (const char* name : names) texts.push_back(LabelText(form, name));
  return texts;
}

TEST(FirstRun, NewUserImportsTheLogComparesTwoPlayersAndCloses) {
  TempDir dir;
  const auto basekrm = dir.path() / "basekrm";
  WriteFile(basekrm / "LOG.txt", GameLog());
  CurrentFolder in_game_folder(dir.path());  // the log path is relative to the current folder

  WatchingSink sink;
  Form1 form(sink, QString::fromStdString(dir.str()));
  sink.window = &form;

  // Start: no statistics file yet.
  form.session().Load();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  // Import.
  QTest::mouseClick(Control<QPushButton>(form, "Command1"), Qt::LeftButton);
  auto* combo1 = Control<QComboBox>(form, "Combo1");
  auto* combo2 = Control<QComboBox>(form, "Combo2");
  ASSERT_EQ(combo1->count(), 3);
  EXPECT_EQ(combo1->itemText(0), "Nika");
  EXPECT_EQ(combo1->itemText(1), "Грач");
  EXPECT_EQ(combo1->itemText(2), "Tarn");
  EXPECT_EQ(combo2->count(), 3);
  EXPECT_EQ(combo1->currentText(), "Nika");
  EXPECT_EQ(LabelText(form, "Label1"), "Stats for Nika");

  // Pick Грач on the left and Nika on the right.
  combo1->setCurrentIndex(1);
  combo2->setFocus();
  combo2->setCurrentIndex(2);
  QTest::keyClick(combo2, Qt::Key_Home);  // first entry: Nika
  EXPECT_EQ(combo2->currentText(), "Nika");

  // Ratings.
  QTest::mouseClick(Control<QPushButton>(form, "Command2"), Qt::LeftButton);

  // The same log again: already imported.
  QTest::mouseClick(Control<QPushButton>(form, "Command1"), Qt::LeftButton);

  EXPECT_EQ(Labels(form, {"Label1", "Label14", "Label15", "Label16", "Label17", "Label18", "Label19", "Label20",
                          "Label21", "Label22", "Label23", "Label24", "Label25", "Label26", "Label27", "Label28",
                          "Label29", "Label30", "Label35", "Label37", "Label3", "Label31", "Label32", "Label33"}),
            (std::vector<QString>{"Stats for Грач", "2", "15/40", "2/10", "0/0", "7/14", "0/0", "9/20", "11/50",
                                  "0/0", "38%", "20%", "0%", "50%", "0%", "45%", "22%", "0%", "1800", "1300", "7",
                                  "3", "0", "7"}));
  EXPECT_EQ(Labels(form, {"Label74", "Label61", "Label60", "Label59", "Label58", "Label57", "Label56", "Label55",
                          "Label54", "Label53", "Label52", "Label51", "Label50", "Label49", "Label48", "Label47",
                          "Label46", "Label45", "Label40", "Label38", "Label72", "Label44", "Label43", "Label42"}),
            (std::vector<QString>{"Stats for Nika", "1", "20/50", "4/16", "1/4", "8/20", "30/120", "6/16", "0/0",
                                  "0/0", "40%", "25%", "25%", "40%", "25%", "38%", "0%", "0%", "2400", "2100", "9",
                                  "7", "0", "9"}));

  // Close.
  EXPECT_TRUE(form.close());

  // Every box the user saw.
  ASSERT_EQ(sink.messages.size(), 3u);
  EXPECT_EQ(sink.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(sink.messages[0].title, "Программе не удалось найти файл статистики");
  EXPECT_EQ(sink.messages[0].text,
            "Файл со статистикой не найден. Либо эта программа запускается первый раз, либо вы неправильно её "
            "настроили. Если повторится опять - читайте прилагающийся файл, или обратитесь к разработчику - " +
                std::string(kContactAddress));
  EXPECT_FALSE(sink.window_visible[0]);  // before the window is displayed

  EXPECT_EQ(sink.messages[1].icon, MessageIcon::Information);
  EXPECT_EQ(sink.messages[1].title, "Рейтинги игроков");
  EXPECT_EQ(sink.messages[1].text,
            "Рейтинги первого игрока:\r\n"
            "\r\n"
            "Грач\r\n"
            "Рейтинг фрагов: 4\r\n"
            "Рейтинг повреждений: 500\r\n"
            "Рейтинг точности: 21\r\n"
            "Количество игр: 1\r\n"
            "\r\n"
            "================================          \r\n"
            "\r\n"
            "Рейтинги второго игрока:\r\n"
            "\r\n"
            "Nika\r\n"
            "Рейтинг фрагов: 1\r\n"
            "Рейтинг повреждений: 150\r\n"
            "Рейтинг точности: 24\r\n"
            "Количество игр: 2");

  EXPECT_EQ(sink.messages[2].icon, MessageIcon::Information);
  EXPECT_EQ(sink.messages[2].title, "Статистика не занесена");
  EXPECT_EQ(sink.messages[2].text,
            "ЛОГ файл не изменился с момента последней проверки. Скорее всего - вы не запускали Krellmar. "
            "Сначала поиграйте! =)");

  // The files the next start reads.
  const Totals nika{.name = "Nika", .gauntlet = 1,
                    .weapons = {{{20, 50}, {4, 16}, {1, 4}, {8, 20}, {30, 120}, {6, 16}, {0, 0}, {0, 0}}},
                    .damage_given = 2400, .damage_received = 2100, .kills = 9, .deaths = 7, .frags = 9, .games = 2};
  const Totals grach{.name = kGrach, .gauntlet = 2,
                     .weapons = {{{15, 40}, {2, 10}, {0, 0}, {7, 14}, {0, 0}, {9, 20}, {11, 50}, {0, 0}}},
                     .damage_given = 1800, .damage_received = 1300, .kills = 7, .deaths = 3, .frags = 7, .games = 1};
  const Totals tarn{.name = "Tarn",
                    .weapons = {{{5, 35}, {1, 9}, {0, 2}, {2, 10}, {8, 60}, {1, 7}, {0, 0}, {0, 0}}},
                    .damage_given = 700, .damage_received = 1600, .kills = 2, .deaths = 7, .suicides = 1, .frags = 1,
                    .games = 1};
  EXPECT_EQ(ReadFile(basekrm / "Stats.krm"), StatsFileOf({nika, grach, tarn}));
  // Four blocks follow the start-up line; all are counted.
  EXPECT_EQ(ReadFile(basekrm / "mSetup.ini"), "basekrm\\LOG.txt\r\n" + kStartup + "\r\n4\r\n");
}

}  // namespace
}  // namespace fragtally::testing
