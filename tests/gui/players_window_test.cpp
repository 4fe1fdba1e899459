// The menu bar and the Players window bound to their presenters: names,
// captions, the undo item's grey state, the window made once from the menu,
// the header's sort, the page of a selected row, the refresh after an import.

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "app/main_window/menus.h"
#include "app/players_window/placement.h"
#include "app/players_window/players_session.h"
#include "blocks.h"
#include "gui_support.h"
#include "window/qt/chart_painter.h"
#include "window/qt/players_window.h"

namespace fragtally::testing {
namespace {

// A game session of one match per name (kills as given), after a start-up line.
std::string Session(const std::string& startup, const std::vector<std::pair<std::string, int>>& players) {
  std::vector<std::string> lines{"------- FileSystem Startup -------", "--- Fs_startup : " + startup};
  for (const auto& [name, kills] : players)
    for (std::string& line : MatchBlock(name, kills)) lines.push_back(std::move(line));
  return CrLf(lines);
}

class MenusAndPlayers : public WindowFixture, public ::testing::Test {
 protected:
  MenusAndPlayers() : in_game_folder(dir.path()) {}

  // Appends a session to the game's log and imports it with the button.
  void ImportSession(const std::vector<std::pair<std::string, int>>& players) {
    log += Session("Sun Mar 15 18:02:4" + std::to_string(sessions++) + " 2026", players);
    WriteFile(Basekrm() / "LOG.txt", log);
    form.session().Import();
  }
  PlayersWindow& OpenPlayers() {
    form.MenuAction(MenuCommand::Players)->trigger();
    EXPECT_NE(form.Players(), nullptr);
    return *form.Players();
  }
  QTableView* Table() { return form.Players()->findChild<QTableView*>("tblPlayers"); }
  QString Cell(int row, PlayersColumn column) {
    return Table()->model()->index(row, static_cast<int>(column)).data().toString();
  }

  CurrentFolder in_game_folder;
  std::string log;
  int sessions = 0;
};

TEST_F(MenusAndPlayers, MenuBarHoldsTheTablesMenusAboveTheClientArea) {
  auto* bar = form.findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->isNativeMenuBar());
  EXPECT_EQ(bar->geometry(), QRect(0, 0, 545, form.ClientArea().top()));
  EXPECT_GT(form.ClientArea().top(), 10);

  const QList<QAction*> shown = bar->actions();
  ASSERT_EQ(shown.size(), static_cast<qsizetype>(MainMenus().size()));
  std::size_t items = 0;
  for (std::size_t m = 0; m < MainMenus().size(); ++m) {
    const Menu& menu = MainMenus()[m];
    QMenu* qmenu = shown[static_cast<qsizetype>(m)]->menu();
    ASSERT_NE(qmenu, nullptr);
    EXPECT_EQ(qmenu->objectName(), menu.ObjectName);
    EXPECT_EQ(qmenu->title(), Q(menu.Label));
    ASSERT_EQ(qmenu->actions().size(), static_cast<qsizetype>(menu.Items.size()));
    for (std::size_t i = 0; i < menu.Items.size(); ++i, ++items) {
      QAction* action = qmenu->actions()[static_cast<qsizetype>(i)];
      EXPECT_EQ(action->objectName(), menu.Items[i].ObjectName);
      EXPECT_EQ(action->text(), Q(menu.Items[i].Label));
      EXPECT_EQ(form.MenuAction(menu.Items[i].Command), action);
    }
  }
  EXPECT_EQ(items, 7u);
}

TEST_F(MenusAndPlayers, UndoItemIsGreyWhenThereIsNothingToUndo) {
  QAction* undo = form.MenuAction(MenuCommand::UndoImport);
  form.session().Load();
  EXPECT_FALSE(undo->isEnabled());
  ImportSession({{"Nika", 3}});
  EXPECT_TRUE(undo->isEnabled());
  sink.answer = true;  // yes, take it back
  undo->trigger();
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_TRUE(std::any_of(sink.messages.begin(), sink.messages.end(), [](const RecordedMessage& m) { return m.asked; }));
}

TEST_F(MenusAndPlayers, PlayersWindowOpensOnceFromTheMenuWithItsControls) {
  form.session().Load();
  ImportSession({{"Nika", 3}, {"Tarn", 5}});
  PlayersWindow& players = OpenPlayers();
  EXPECT_TRUE(players.isVisible());
  EXPECT_TRUE(players.isWindow());
  EXPECT_FALSE(players.isModal());
  EXPECT_EQ(players.objectName(), "frmPlayers");
  EXPECT_EQ(players.windowTitle(), "Игроки");
  EXPECT_EQ(players.size(), QSize(kPlayersWindowShape.Width, kPlayersWindowShape.Height));

  auto* period = players.findChild<QComboBox*>("cboPeriod");
  ASSERT_NE(period, nullptr);
  ASSERT_EQ(period->count(), static_cast<int>(kPlayersPeriods.size()));
  for (std::size_t p = 0; p < kPlayersPeriods.size(); ++p)
    EXPECT_EQ(period->itemText(static_cast<int>(p)), Q(std::string(PeriodCaption(kPlayersPeriods[p]))));
  QTableView* table = Table();
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->model()->columnCount(), static_cast<int>(kPlayersColumns.size()));
  for (std::size_t c = 0; c < kPlayersColumns.size(); ++c)
    EXPECT_EQ(table->model()->headerData(static_cast<int>(c), Qt::Horizontal).toString(),
              Q(std::string(kPlayersColumns[c].Caption)));
  EXPECT_EQ(table->model()->rowCount(), 2);
  EXPECT_NE(players.findChild<ChartView*>("chtFrags"), nullptr);
  EXPECT_NE(players.findChild<ChartView*>("chtAccuracy"), nullptr);
  auto* records = players.findChild<QTreeWidget*>("lstRecords");
  auto* matches = players.findChild<QTreeWidget*>("lstMatches");
  ASSERT_NE(records, nullptr);
  ASSERT_NE(matches, nullptr);
  ASSERT_EQ(matches->columnCount(), static_cast<int>(kMatchColumnCaptions.size()));
  EXPECT_EQ(matches->headerItem()->text(1), "Матч");

  // The menu again brings the same window back after it was closed.
  players.close();
  EXPECT_FALSE(players.isVisible());
  EXPECT_EQ(&OpenPlayers(), &players);
  EXPECT_TRUE(players.isVisible());
  EXPECT_EQ(form.findChildren<PlayersWindow*>().size(), 1);
}

TEST_F(MenusAndPlayers, TabAndShiftTabWalkEveryControlAndEscapeClosesFromAnyOfThem) {
  form.session().Load();
  ImportSession({{"Nika", 3}, {"Tarn", 5}});
  PlayersWindow& players = OpenPlayers();
  players.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&players));
  QWidget* period = players.findChild<QComboBox*>("cboPeriod");
  QWidget* records = players.findChild<QTreeWidget*>("lstRecords");
  QWidget* matches = players.findChild<QTreeWidget*>("lstMatches");
  QWidget* head_to_head = players.findChild<QPushButton*>("cmdHeadToHead");
  QWidget* scoreboard = players.findChild<QTreeWidget*>("lstScoreboard");
  QWidget* maps = players.findChild<QTreeWidget*>("lstMaps");
  QWidget* names = players.findChild<QTreeWidget*>("lstNames");
  QWidget* weapon = players.findChild<QComboBox*>("cboAccuracyWeapon");
  // The people's buttons that are enabled with one row chosen (merging and splitting need more).
  QWidget* hide = players.findChild<QPushButton*>("cmdHide");
  QWidget* minimum = players.findChild<QSpinBox*>("txtRankMinimum");
  const std::vector<QWidget*> order{period, head_to_head, hide,    minimum, Table(), weapon,
                                    matches, scoreboard,   records, maps,    names};

  // Tab from each control to the next (the table's cells do not hold it), round again; Shift+Tab back.
  for (std::size_t i = 0; i < order.size(); ++i) {
    order[i]->setFocus();
    QTest::keyClick(order[i], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), order[(i + 1) % order.size()]) << i;
    order[i]->setFocus();
    QTest::keyClick(order[i], Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), order[(i + order.size() - 1) % order.size()]) << i;
  }

  for (QWidget* control : order) {
    OpenPlayers();
    players.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&players));
    control->setFocus();
    QTest::keyClick(control, Qt::Key_Escape);
    EXPECT_FALSE(players.isVisible()) << control->objectName().toStdString();
  }
}

TEST_F(MenusAndPlayers, ThePresentersTextsAndColumnsAreShown) {
  form.session().Load();
  ImportSession({{"Nika", 3}});
  PlayersWindow& players = OpenPlayers();
  auto* label = players.findChild<QLabel*>("lblPeriod");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), Q(std::string(kPlayersWindowTexts.PeriodLabel)));
  EXPECT_EQ(label->buddy(), players.findChild<QComboBox*>("cboPeriod"));
  for (std::size_t c = 0; c < kPlayersColumns.size(); ++c) {
    const QVariant tip = Table()->model()->headerData(static_cast<int>(c), Qt::Horizontal, Qt::ToolTipRole);
    EXPECT_EQ(tip.toString(), Q(std::string(kPlayersColumns[c].Tooltip))) << c;
  }
  auto* records = players.findChild<QTreeWidget*>("lstRecords");
  ASSERT_EQ(records->columnCount(), static_cast<int>(kRecordColumns.size()));
  for (std::size_t c = 0; c < kRecordColumns.size(); ++c)
    EXPECT_EQ(records->headerItem()->text(static_cast<int>(c)), Q(std::string(kRecordColumns[c].Caption)));

  // The first row is chosen at the opening; the page is the presenter's, cell for cell.
  EXPECT_EQ(Table()->currentIndex().row(), 0);
  const PlayersPageView view = players.session().PageView();
  auto* heading = players.findChild<QLabel*>("lblPlayer");
  ASSERT_NE(heading, nullptr);
  EXPECT_EQ(heading->text(), Q(view.HeadingName + view.HeadingText));
  ASSERT_EQ(records->topLevelItemCount(), static_cast<int>(view.Records.size()));
  for (std::size_t r = 0; r < view.Records.size(); ++r)
    for (std::size_t c = 0; c < kRecordColumns.size(); ++c)
      EXPECT_EQ(records->topLevelItem(static_cast<int>(r))->text(static_cast<int>(c)), Q(view.Records[r][c]));
  EXPECT_TRUE(players.findChild<ChartView*>("chtAccuracy")->HasChart());

  // No player: the hint, and blank charts.
  sink.answer = true;
  form.MenuAction(MenuCommand::UndoImport)->trigger();
  EXPECT_EQ(heading->text(), Q(std::string(kPlayersWindowTexts.NoPlayer)));
  EXPECT_FALSE(players.findChild<ChartView*>("chtFrags")->HasChart());
  EXPECT_EQ(records->topLevelItemCount(), 0);
}

TEST_F(MenusAndPlayers, TheSplitterAndThePlaceComeBackFromTheWindowFile) {
  form.session().Load();
  ImportSession({{"Nika", 3}, {"Tarn", 5}});
  PlayersWindow& players = OpenPlayers();
  auto* splitter = players.findChild<QSplitter*>("splPlayers");
  ASSERT_NE(splitter, nullptr);
  ASSERT_EQ(splitter->count(), 2);
  EXPECT_EQ(splitter->widget(0), Table()) << "the table above, the page below";
  EXPECT_TRUE(splitter->widget(1)->isAncestorOf(players.findChild<ChartView*>("chtFrags")));
  EXPECT_EQ(splitter->orientation(), Qt::Vertical);
  const int shared = splitter->height() - splitter->handleWidth();
  EXPECT_NEAR(splitter->sizes().value(0), shared * kPlayersWindowShape.TableShare, 2) << "the default share";

  // Moved and closed: the window file has it (and mSetup.ini stays two lines of its own).
  players.setGeometry(400, 300, 700, 580);
  players.layout()->activate();
  splitter->setSizes({200, splitter->height() - 200});
  players.close();
  const PlayersPlacement kept = LoadPlayersPlacement(form.session().state());
  EXPECT_EQ(kept.TableHeight, 200);
  ASSERT_TRUE(kept.Window.has_value());
  EXPECT_EQ(kept.Window->Width, 700);

  // A window made in the next run stands where it was left, kept on the screen.
  PlayersWindow again(form.session().state(), sink);
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const ScreenRect fitted = FitOnWorkArea(*kept.Window, {area.x(), area.y(), area.width(), area.height()});
  EXPECT_EQ(again.pos(), QPoint(fitted.X, fitted.Y));
  EXPECT_EQ(again.size(), QSize(fitted.Width, fitted.Height));
  EXPECT_TRUE(area.contains(again.geometry()));
  EXPECT_EQ(again.findChild<QSplitter*>("splPlayers")->sizes().value(0), 200);

  // A garbled file: the defaults, no message.
  const std::size_t messages = sink.messages.size();
  WriteFile(Basekrm() / "window.ini", "Players.Width=wide\r\n\xFF\xFE");
  PlayersWindow fresh(form.session().state(), sink);
  EXPECT_EQ(fresh.size(), QSize(kPlayersWindowShape.Width, kPlayersWindowShape.Height));
  EXPECT_EQ(sink.messages.size(), messages);
}

TEST_F(MenusAndPlayers, TheAccuracyChartShowsTheWeaponChosen) {
  form.session().Load();
  ImportSession({{"Nika", 3}, {"Tarn", 5}});
  ImportSession({{"Nika", 2}});
  PlayersWindow& players = OpenPlayers();
  auto* weapon = players.findChild<QComboBox*>("cboAccuracyWeapon");
  auto* chart = players.findChild<ChartView*>("chtAccuracy");
  ASSERT_TRUE(weapon && chart);
  const PlayersPageView view = players.session().PageView();
  ASSERT_EQ(weapon->count(), static_cast<int>(view.WeaponChoices.size()));
  ASSERT_GE(weapon->count(), 2);
  for (int i = 0; i < weapon->count(); ++i) EXPECT_EQ(weapon->itemText(i), Q(view.WeaponChoices[static_cast<std::size_t>(i)]));
  EXPECT_EQ(weapon->currentIndex(), 0);
  EXPECT_EQ(chart->chart().Title, view.Accuracy->Title);

  weapon->setCurrentIndex(1);
  EXPECT_EQ(players.session().PageView().WeaponChoice, 1);
  EXPECT_EQ(chart->chart().Title, players.session().PageView().Accuracy->Title);
  EXPECT_NE(chart->chart().Title, view.Accuracy->Title);
  Table()->selectRow(1);  // the other player fired the same weapon: it stays chosen
  EXPECT_EQ(weapon->currentIndex(), 1);
  EXPECT_EQ(chart->chart().Title, players.session().PageView().Accuracy->Title);

  sink.answer = true;
  form.MenuAction(MenuCommand::UndoImport)->trigger();
  form.MenuAction(MenuCommand::UndoImport)->trigger();
  EXPECT_EQ(weapon->count(), 0) << "no player: nothing to choose";
  EXPECT_FALSE(weapon->isEnabled());
}

TEST_F(MenusAndPlayers, ChoosingALastGameShowsItsMatchsScoreboardBesideTheMapsAndTheSkillChart) {
  form.session().Load();
  ImportSession({{"Nika", 3}, {"Tarn", 5}, {"Oryx", 1}});
  ImportSession({{"Nika", 2}, {"Tarn", 4}});
  PlayersWindow& players = OpenPlayers();
  auto* matches = players.findChild<QTreeWidget*>("lstMatches");
  auto* scoreboard = players.findChild<QTreeWidget*>("lstScoreboard");
  auto* title = players.findChild<QLabel*>("lblScoreboard");
  auto* maps = players.findChild<QTreeWidget*>("lstMaps");
  auto* skill = players.findChild<ChartView*>("chtSkill");
  ASSERT_TRUE(matches && scoreboard && title && maps && skill);
  for (std::size_t c = 0; c < kScoreboardColumns.size(); ++c)
    EXPECT_EQ(scoreboard->headerItem()->text(static_cast<int>(c)), Q(std::string(kScoreboardColumns[c].Caption)));
  EXPECT_EQ(maps->headerItem()->toolTip(1), Q(std::string(kMapColumns[1].Tooltip)));

  // The list shows what the presenter says, row for row, for the match chosen at first and for a click.
  const auto same_as_presenter = [&] {
    const PlayersPageView view = players.session().PageView();
    EXPECT_EQ(matches->indexOfTopLevelItem(matches->currentItem()), view.ChosenMatch);
    EXPECT_EQ(title->text(), Q(view.ScoreboardTitle));
    ASSERT_EQ(scoreboard->topLevelItemCount(), static_cast<int>(view.Scoreboard.size()));
    for (std::size_t r = 0; r < view.Scoreboard.size(); ++r)
      for (std::size_t c = 0; c < kScoreboardColumns.size(); ++c)
        EXPECT_EQ(scoreboard->topLevelItem(static_cast<int>(r))->text(static_cast<int>(c)), Q(view.Scoreboard[r][c]));
    ASSERT_EQ(maps->topLevelItemCount(), static_cast<int>(view.Maps.size()));
    EXPECT_EQ(skill->HasChart(), view.Skill != nullptr);
  };
  ASSERT_EQ(matches->topLevelItemCount(), 2);
  EXPECT_EQ(players.session().PageView().ChosenMatch, 0);
  same_as_presenter();
  EXPECT_EQ(scoreboard->topLevelItemCount(), 2);
  matches->setCurrentItem(matches->topLevelItem(1));
  EXPECT_EQ(players.session().PageView().ChosenMatch, 1);
  same_as_presenter();
  EXPECT_EQ(scoreboard->topLevelItemCount(), 3);
  EXPECT_TRUE(skill->HasChart());
}

TEST_F(MenusAndPlayers, HeaderClickSortsAndSelectedRowShowsThePage) {
  form.session().Load();
  ImportSession({{"Nika", 3}, {"Tarn", 5}, {"Oryx", 1}});
  ImportSession({{"Tarn", 2}});
  OpenPlayers();
  QHeaderView* header = Table()->horizontalHeader();
  const int kills = static_cast<int>(PlayersColumn::Kills);
  const QPoint on_kills(header->sectionViewportPosition(kills) + header->sectionSize(kills) / 2, header->height() / 2);

  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, on_kills);
  EXPECT_EQ(header->sortIndicatorSection(), kills);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
  EXPECT_EQ(Cell(0, PlayersColumn::Name), "Tarn");
  EXPECT_EQ(Cell(0, PlayersColumn::Kills), "7");
  EXPECT_EQ(Cell(2, PlayersColumn::Name), "Oryx");

  // The page of a row: Tarn's two matches, newest first.
  Table()->selectRow(0);
  auto* matches = form.Players()->findChild<QTreeWidget*>("lstMatches");
  ASSERT_EQ(matches->topLevelItemCount(), 2);
  EXPECT_EQ(matches->topLevelItem(0)->text(5), "2");
  EXPECT_EQ(matches->topLevelItem(1)->text(5), "5");
  EXPECT_GT(form.Players()->findChild<QTreeWidget*>("lstRecords")->topLevelItemCount(), 0);
  EXPECT_TRUE(form.Players()->findChild<ChartView*>("chtFrags")->HasChart());
  EXPECT_EQ(form.Players()->session().SelectedRow(), 0);

  // The second click reverses the order; Tarn stays selected, now last.
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, on_kills);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
  EXPECT_EQ(Cell(0, PlayersColumn::Name), "Oryx");
  EXPECT_EQ(Table()->currentIndex().row(), 2);
  EXPECT_EQ(matches->topLevelItemCount(), 2);

  // The last evening holds both sessions, started minutes apart: the same rows, Tarn still selected.
  form.Players()->findChild<QComboBox*>("cboPeriod")->setCurrentIndex(1);
  EXPECT_EQ(form.Players()->session().model().Period(), PlayersPeriod::LastEvening);
  EXPECT_EQ(Table()->model()->rowCount(), 3);
  EXPECT_EQ(Cell(Table()->currentIndex().row(), PlayersColumn::Name), "Tarn");
  EXPECT_EQ(matches->topLevelItemCount(), 2);
}

TEST_F(MenusAndPlayers, PeoplesControlsMergeSplitHideShowAndSetTheMinimum) {
  form.session().Load();
  ImportSession({{"Nika", 3}, {"Tarn", 5}, {"T4rn", 2}});
  PlayersWindow& players = OpenPlayers();
  const std::size_t messages_before = sink.messages.size();  // the import's
  auto* merge = players.findChild<QPushButton*>("cmdMerge");
  auto* split = players.findChild<QPushButton*>("cmdSplit");
  auto* hide = players.findChild<QPushButton*>("cmdHide");
  auto* hidden = players.findChild<QPushButton*>("cmdHiddenNames");
  auto* minimum = players.findChild<QSpinBox*>("txtRankMinimum");
  auto* legend = players.findChild<QLabel*>("lblRankLegend");
  auto* names = players.findChild<QTreeWidget*>("lstNames");
  ASSERT_TRUE(merge && split && hide && hidden && minimum && legend && names);
  EXPECT_EQ(merge->text(), Q(std::string(kPeopleTexts.Merge)));
  EXPECT_EQ(hidden->text(), Q(std::string(kPeopleTexts.HiddenNames)));
  EXPECT_EQ(players.findChild<QLabel*>("lblRankMinimum")->buddy(), minimum);
  EXPECT_EQ(minimum->value(), 10);
  EXPECT_EQ(legend->text(), Q(RankLegendText(10)));

  // Everyone has one match: greyed, the reason over the row.
  const QModelIndex first = Table()->model()->index(0, 0);
  EXPECT_FALSE(first.data(Qt::ToolTipRole).toString().isEmpty());
  EXPECT_TRUE(first.data(Qt::ForegroundRole).isValid());
  minimum->setValue(1);
  EXPECT_EQ(form.Players()->session().RankMinimum(), 1);
  EXPECT_TRUE(Table()->model()->index(0, 0).data(Qt::ToolTipRole).toString().isEmpty());
  EXPECT_FALSE(Table()->model()->index(0, 0).data(Qt::ForegroundRole).isValid());

  // Names ascending: Nika, T4rn, Tarn. Two chosen: the dialog offers both, Tarn is picked.
  players.findChild<QTableView*>("tblPlayers")->horizontalHeader()->sectionClicked(0);
  std::vector<std::string> offered;
  players.SetNameChooser([&](std::string_view title, std::string_view, std::string_view,
                             const std::vector<std::string>& choices) -> std::optional<int> {
    offered = choices;
    if (title == kPeopleTexts.HiddenTitle) return 0;
    return static_cast<int>(std::find(choices.begin(), choices.end(), "Tarn") - choices.begin());
  });
  QItemSelectionModel* selection = Table()->selectionModel();
  selection->select(Table()->model()->index(1, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  EXPECT_FALSE(merge->isEnabled());
  selection->select(Table()->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  ASSERT_TRUE(merge->isEnabled());
  merge->click();
  EXPECT_EQ(offered, (std::vector<std::string>{"T4rn", "Tarn"}));
  ASSERT_EQ(Table()->model()->rowCount(), 2);
  EXPECT_EQ(Cell(1, PlayersColumn::Name), "Tarn");
  EXPECT_EQ(Cell(1, PlayersColumn::Kills), "7");
  Table()->selectRow(1);
  EXPECT_EQ(names->topLevelItemCount(), 2);
  ASSERT_TRUE(split->isEnabled());
  split->click();
  EXPECT_EQ(Table()->model()->rowCount(), 3);

  // Nika hidden, then shown again from the hidden names' list.
  EXPECT_FALSE(hidden->isEnabled());
  Table()->selectRow(0);
  hide->click();
  ASSERT_EQ(Table()->model()->rowCount(), 2);
  EXPECT_EQ(Cell(0, PlayersColumn::Name), "T4rn");
  ASSERT_TRUE(hidden->isEnabled());
  hidden->click();
  EXPECT_EQ(offered, (std::vector<std::string>{"Nika"}));
  EXPECT_EQ(Table()->model()->rowCount(), 3);
  EXPECT_EQ(sink.messages.size(), messages_before);

  // The dialog itself: the names and its button's caption.
  QDialog* dialog = PlayersWindow::MakeNameDialog(&players, kPeopleTexts.MergeTitle, kPeopleTexts.MergePrompt,
                                                  kPeopleTexts.Merge, {"T4rn", "Tarn"});
  EXPECT_EQ(dialog->objectName(), "dlgChooseName");
  auto* list = dialog->findChild<QListWidget*>("lstChoice");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count(), 2);
  EXPECT_EQ(list->currentRow(), 0);
  delete dialog;
}

TEST_F(MenusAndPlayers, ImportAndUndoRefreshTheOpenWindow) {
  form.session().Load();
  ImportSession({{"Nika", 3}});
  OpenPlayers();
  Table()->selectRow(0);
  auto* matches = form.Players()->findChild<QTreeWidget*>("lstMatches");
  ASSERT_EQ(matches->topLevelItemCount(), 1);

  ImportSession({{"Nika", 4}, {"Tarn", 5}});
  EXPECT_EQ(Table()->model()->rowCount(), 2);
  const int nika = Table()->currentIndex().row();  // Nika still selected, with her new match
  EXPECT_EQ(Cell(nika, PlayersColumn::Name), "Nika");
  EXPECT_EQ(Cell(nika, PlayersColumn::Kills), "7");
  EXPECT_EQ(matches->topLevelItemCount(), 2);

  sink.answer = true;
  form.MenuAction(MenuCommand::UndoImport)->trigger();
  EXPECT_EQ(Table()->model()->rowCount(), 1);
  EXPECT_EQ(matches->topLevelItemCount(), 1);
}

TEST_F(MenusAndPlayers, ExportsWriteTheChosenFileAndCancelWritesNone) {
  form.session().Load();
  ImportSession({{"Nika", 3}});
  std::vector<std::string> asked;
  QString answer;
  form.SetSaveFileChooser([&](const ExportOffer& offer) {
    asked.emplace_back(offer.DefaultName);
    return answer;
  });
  form.MenuAction(MenuCommand::ExportCsv)->trigger();  // cancelled
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // basekrm only

  answer = QString::fromStdString((dir.path() / "Игроки.csv").string());
  form.MenuAction(MenuCommand::ExportCsv)->trigger();
  answer = QString::fromStdString((dir.path() / "Отчёт.html").string());
  form.MenuAction(MenuCommand::ExportHtml)->trigger();
  answer = QString::fromStdString((dir.path() / "Матчи.csv").string());
  QAction* matches = form.findChild<QAction*>("mnuExportMatches");
  ASSERT_EQ(matches, form.MenuAction(MenuCommand::ExportMatches));
  matches->trigger();
  EXPECT_EQ(asked, (std::vector<std::string>{"Игроки Fragtally.csv", "Игроки Fragtally.csv", "Отчёт Fragtally.html",
                                             "Матчи Fragtally.csv"}));
  EXPECT_EQ(ReadFile(dir.path() / "Игроки.csv").rfind("\xEF\xBB\xBF", 0), 0u);
  EXPECT_NE(ReadFile(dir.path() / "Отчёт.html").find("Nika"), std::string::npos);
  const std::string matches_csv = ReadFile(dir.path() / "Матчи.csv");
  EXPECT_EQ(matches_csv.rfind("\xEF\xBB\xBFСессия", 0), 0u);
  EXPECT_NE(matches_csv.find("Nika"), std::string::npos) << "the match of the import";
}

}  // namespace
}  // namespace fragtally::testing
