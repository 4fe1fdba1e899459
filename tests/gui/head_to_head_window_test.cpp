// The head-to-head window bound to its presenter: opened from the menu for
// the main window's two lists (or a message when they do not name two
// players) and from the Players window's button, its choosers, lists,
// tab order and Escape, and its refresh after an import.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "app/matches/head_to_head_session.h"
#include "blocks.h"
#include "gui_support.h"
#include "window/qt/head_to_head_window.h"
#include "window/qt/players_window.h"

namespace fragtally::testing {
namespace {

class HeadToHeadWindowTest : public WindowFixture, public ::testing::Test {
 protected:
  HeadToHeadWindowTest() : in_game_folder(dir.path()) { form.session().Load(); }

  // One match of these players (frags as given) in a game session of its own, imported.
  void ImportMatch(const std::vector<std::pair<std::string, int>>& players) {
    log += CrLf({"--- Fs_startup : Sun Mar 15 18:02:4" + std::to_string(sessions++) + " 2026"});
    for (const auto& [name, frags] : players) log += CrLf(MatchBlock(name, frags));
    WriteFile(Basekrm() / "LOG.txt", log);
    form.session().Import();
  }
  HeadToHeadWindow* Window() const { return form.HeadToHead(); }
  template <class T>
  T* Part(const char* name) const {
    T* part = Window() ? Window()->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(part, nullptr) << name;
    return part;
  }
  QStringList Row(const char* list, int row) const {
    QStringList cells;
    QTreeWidgetItem* item = Part<QTreeWidget>(list)->topLevelItem(row);
    for (int c = 0; item != nullptr && c < item->columnCount(); ++c) cells.append(item->text(c));
    return cells;
  }

  CurrentFolder in_game_folder;
  std::string log;
  int sessions = 0;
};

TEST_F(HeadToHeadWindowTest, MenuOpensItForTheTwoListsPlayersOrSaysWhy) {
  ImportMatch({{"Nika", 3}, {"Tarn", 5}, {"Oleg", 1}});
  ImportMatch({{"Nika", 4}, {"Tarn", 4}});
  sink.messages.clear();  // the first start's

  form.session().Select(Panel::First, 1);
  form.session().Select(Panel::Second, 1);
  form.MenuAction(MenuCommand::HeadToHead)->trigger();  // the same player in both lists
  EXPECT_EQ(Window(), nullptr);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].title, "Личные встречи");
  EXPECT_EQ(sink.messages[0].text, std::string(kHeadToHeadTexts.MenuChooseTwo));

  form.session().Select(Panel::First, 0);   // Nika
  form.session().Select(Panel::Second, 1);  // Tarn
  QAction* menu = form.MenuAction(MenuCommand::HeadToHead);
  EXPECT_EQ(menu->objectName(), "mnuHeadToHead");
  menu->trigger();
  ASSERT_NE(Window(), nullptr);
  HeadToHeadWindow& window = *Window();
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isModal());
  EXPECT_EQ(window.objectName(), "frmHeadToHead");
  EXPECT_EQ(window.windowTitle(), "Личные встречи");
  EXPECT_EQ(Part<QLabel>("lblFirst")->buddy(), Part<QComboBox>("cboFirst"));
  EXPECT_EQ(Part<QLabel>("lblSecond")->buddy(), Part<QComboBox>("cboSecond"));
  EXPECT_EQ(Part<QComboBox>("cboFirst")->count(), 3);
  EXPECT_EQ(Part<QComboBox>("cboFirst")->currentText(), "Nika");
  EXPECT_EQ(Part<QComboBox>("cboSecond")->currentText(), "Tarn");

  // What the presenter shows, as it shows it.
  const HeadToHeadView& view = window.session().View();
  EXPECT_EQ(Part<QLabel>("lblShared")->text(), "Общих матчей в журнале: 2");
  auto* figures = Part<QTreeWidget>("lstFigures");
  ASSERT_EQ(figures->topLevelItemCount(), static_cast<int>(view.Figures.size()));
  EXPECT_EQ(figures->headerItem()->text(1), "Nika");
  EXPECT_EQ(figures->headerItem()->text(2), "Tarn");
  EXPECT_EQ(Row("lstFigures", 0), (QStringList{"Место выше соперника", "0", "1"}));
  EXPECT_EQ(Row("lstFigures", 1), (QStringList{"Ничьих (одно место)", "1", "1"}));
  EXPECT_EQ(Part<QTreeWidget>("lstLastShared")->headerItem()->text(3), "Место: Nika");
  ASSERT_EQ(Part<QTreeWidget>("lstLastShared")->topLevelItemCount(), 2);
  EXPECT_EQ(Row("lstLastShared", 1).mid(3), (QStringList{"2 из 3", "3", "1 из 3", "5"}));

  // Another second player from its chooser; the menu's second opening brings back the same window.
  Part<QComboBox>("cboSecond")->setCurrentIndex(2);  // Oleg
  EXPECT_EQ(Part<QLabel>("lblShared")->text(), "Общих матчей в журнале: 1");
  EXPECT_EQ(Row("lstFigures", 0), (QStringList{"Место выше соперника", "1", "0"}));
  menu->trigger();
  EXPECT_EQ(Window(), &window);
  EXPECT_EQ(Part<QComboBox>("cboSecond")->currentText(), "Tarn");
  EXPECT_EQ(form.findChildren<HeadToHeadWindow*>().size(), 1);

  // An import refreshes the open window.
  ImportMatch({{"Tarn", 9}, {"Nika", 2}});
  EXPECT_EQ(Part<QLabel>("lblShared")->text(), "Общих матчей в журнале: 3");
  EXPECT_EQ(Row("lstFigures", 0), (QStringList{"Место выше соперника", "0", "2"}));
}

TEST_F(HeadToHeadWindowTest, PlayersWindowButtonOpensItForTheSelectedPlayer) {
  ImportMatch({{"Nika", 3}, {"Tarn", 5}});
  form.MenuAction(MenuCommand::Players)->trigger();
  PlayersWindow* players = form.Players();
  ASSERT_NE(players, nullptr);
  auto* button = players->findChild<QPushButton*>("cmdHeadToHead");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), "&Личные встречи…");
  auto* table = players->findChild<QTableView*>("tblPlayers");
  const int tarn = table->model()->index(0, 0).data().toString() == "Tarn" ? 0 : 1;
  table->selectRow(tarn);
  button->click();
  ASSERT_NE(Window(), nullptr);
  EXPECT_TRUE(Window()->isVisible());
  EXPECT_EQ(Part<QComboBox>("cboFirst")->currentText(), "Tarn");
  EXPECT_EQ(Part<QComboBox>("cboSecond")->currentIndex(), -1);  // asked for in the window
  EXPECT_EQ(Part<QLabel>("lblShared")->text(), "Выберите двух разных игроков.");
  EXPECT_EQ(Part<QTreeWidget>("lstFigures")->topLevelItemCount(), 0);
  EXPECT_EQ(Window()->focusWidget(), Part<QComboBox>("cboSecond"));
}

TEST_F(HeadToHeadWindowTest, TabAndShiftTabWalkEveryControlAndEscapeCloses) {
  ImportMatch({{"Nika", 3}, {"Tarn", 5}});
  form.session().Select(Panel::First, 0);
  form.session().Select(Panel::Second, 1);
  form.MenuAction(MenuCommand::HeadToHead)->trigger();
  HeadToHeadWindow& window = *Window();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  const std::vector<QWidget*> order{Part<QComboBox>("cboFirst"), Part<QComboBox>("cboSecond"),
                                    Part<QTreeWidget>("lstFigures"), Part<QTreeWidget>("lstLastShared"),
                                    Part<QPushButton>("cmdClose")};
  for (std::size_t i = 0; i < order.size(); ++i) {
    order[i]->setFocus();
    QTest::keyClick(order[i], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), order[(i + 1) % order.size()]) << i;
    order[i]->setFocus();
    QTest::keyClick(order[i], Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), order[(i + order.size() - 1) % order.size()]) << i;
  }
  order[2]->setFocus();
  QTest::keyClick(order[2], Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
  form.MenuAction(MenuCommand::HeadToHead)->trigger();
  EXPECT_TRUE(window.isVisible());
  Part<QPushButton>("cmdClose")->click();
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace fragtally::testing
