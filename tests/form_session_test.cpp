// The window's scenarios, once for both windows: the presenter driven as a
// window drives it, with a view that keeps what it was told to show and a
// sink that notes what the view showed whenever a box came up.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/main_window/form_session.h"
#include "app/main_window/import_report.h"
#include "app/text/messages.h"
#include "app/players_window/players_session.h"
#include "test_support.h"

namespace fragtally::testing {
namespace {

const Totals kAnn{"Ann", 1, {{{12, 30}, {0, 0}, {0, 0}, {5, 20}, {0, 0}, {4, 10}, {0, 0}, {0, 0}}}, 900, 700, 5, 3, 0, 5, 2};
const Totals kBob{"Bob", 0, {{{20, 50}, {3, 9}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}}, 400, 800, 2, 6, 1, 1, 3};
const Totals kCid{"Cid", 2, {{{7, 70}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {1, 4}, {0, 0}}}, 300, 200, 1, 1, 0, 1, 1};

// What a window shows, kept from the deltas it was handed.
class ScreenView : public FormView {
 public:
  void Apply(const ViewDelta& delta) override {
    ++applied;
    if (delta.ResetEntries) entries.clear();
    EXPECT_EQ(delta.FirstNewEntry, static_cast<int>(entries.size()));
    for (std::string_view name : delta.NewEntries) entries.emplace_back(name);
    last_new_entries = delta.NewEntries.size();
    selected = delta.Selected;
    last_labels.clear();
    for (const ViewDelta::LabelText& label : delta.Labels) {
      labels[label.Which == Panel::First ? 0 : 1][static_cast<std::size_t>(label.Fill)] = std::string(label.Text);
      last_labels.push_back(label.Which);
    }
    caret = delta.TraceCaret;
    undo_enabled = delta.UndoImportEnabled;
    totals_changed = delta.TotalsChanged;
    if (delta.StatusLine) {
      status_line = std::string(*delta.StatusLine);
      ++status_updates;
    }
  }
  void SetBusy(bool on) override {
    EXPECT_NE(on, busy) << "the wait cursor goes on and off in pairs";
    busy = on;
    ++busy_changes;
  }
  void LoadPanelPictures(const std::string& path) override {
    picture_path = path;
    busy_at_pictures = busy;
  }

  std::vector<std::string> entries;
  std::array<int, 2> selected{-1, -1};
  std::array<PanelLabels, 2> labels{DesignPanelLabels(), DesignPanelLabels()};
  std::size_t caret = 0;
  bool undo_enabled = false;
  bool totals_changed = false;
  std::string status_line;
  int status_updates = 0;
  std::size_t last_new_entries = 0;
  std::vector<Panel> last_labels;
  bool busy = false;
  bool busy_at_pictures = false;
  int busy_changes = 0;
  int applied = 0;
  std::string picture_path;
};

// Notes, at every box, whether the wait cursor was up and what the first
// panel's title label showed.
class ScreenSink : public RecordingSink {
 public:
  explicit ScreenSink(const ScreenView& view) : view_(view) {}
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override {
    Note();
    RecordingSink::ShowMessage(icon, title, text);
    if (during_box) during_box();
  }
  bool AskYesNo(const std::string& title, const std::string& text) override {
    Note();
    return RecordingSink::AskYesNo(title, text);
  }
  std::vector<bool> busy_at_box;
  std::vector<std::string> title_label_at_box;
  std::function<void()> during_box;

 private:
  void Note() {
    busy_at_box.push_back(view_.busy);
    title_label_at_box.push_back(view_.labels[0][PanelValue::Title]);
  }
  const ScreenView& view_;
};

class Presenter : public ::testing::Test {
 protected:
  std::filesystem::path Basekrm() const { return dir.path() / "basekrm"; }
  void WriteStats(const std::string& bytes) const { WriteFile(Basekrm() / "Stats.krm", bytes); }
  void WriteLog(const std::vector<std::string>& lines) const { WriteFile(Basekrm() / "LOG.txt", CrLf(lines)); }
  std::string Label(Panel panel, int fill) const { return view.labels[panel == Panel::First ? 0 : 1][fill]; }

  TempDir dir;
  CurrentFolder inside{dir.path()};
  ScreenView view;
  ScreenSink sink{view};
  FormSession session{view, sink, dir.str()};
};

// --- start-up and closing ----------------------------------------------------------------

TEST_F(Presenter, FirstRunTellsTheUserUnderTheNormalCursorAndSelectsNobody) {
  std::filesystem::create_directories(Basekrm());
  session.Load();
  session.Load();  // once only

  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].title, kStatsNotFoundTitle);
  EXPECT_EQ(sink.messages[0].text, std::string(kStatsNotFoundText) + kContactAddress);
  EXPECT_EQ(sink.busy_at_box, std::vector<bool>{false});
  EXPECT_TRUE(view.busy_at_pictures) << "the pictures load under the wait cursor too";
  EXPECT_EQ(view.picture_path, (Basekrm() / "custom" / "stats.jpg").string());
  EXPECT_FALSE(view.busy);
  EXPECT_TRUE(view.entries.empty());
  EXPECT_EQ(view.selected, (std::array<int, 2>{-1, -1}));
  EXPECT_EQ(view.labels[0], DesignPanelLabels());

  session.Unload();
  session.Unload();  // once only
  EXPECT_FALSE(std::filesystem::exists(Basekrm() / "Stats.krm")) << "no players: nothing to save";
  EXPECT_EQ(ReadFile(Basekrm() / "mSetup.ini"), "basekrm\\LOG.txt\r\n\r\n");
  EXPECT_EQ(sink.messages.size(), 1u);
}

TEST_F(Presenter, StartUpShowsTheFirstPlayerAndTheSecondOrTheFirstTwice) {
  WriteStats(StatsFileOf({kAnn, kBob, kCid}));
  session.Load();
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(view.entries, (std::vector<std::string>{"Ann", "Bob", "Cid"}));
  EXPECT_EQ(view.selected, (std::array<int, 2>{0, 1}));
  EXPECT_EQ(Label(Panel::First, PanelValue::Title), "Stats for Ann");
  EXPECT_EQ(Label(Panel::Second, PanelValue::Title), "Stats for Bob");
  EXPECT_EQ(Label(Panel::Second, PanelValue::Frags), "1");
  EXPECT_EQ(Label(Panel::First, PanelValue::FirstAccuracy), "40%");

  TempDir other;
  WriteFile(other.path() / "basekrm" / "Stats.krm", StatsFileOf({kAnn}));
  ScreenView one_view;
  RecordingSink one_sink;
  FormSession one(one_view, one_sink, other.str());
  one.Load();
  EXPECT_EQ(one_view.selected, (std::array<int, 2>{0, 0}));
  EXPECT_EQ(one_view.labels[1][PanelValue::Title], "Stats for Ann");
}

TEST_F(Presenter, AFailedLoadKeepsWhatWasReadSelectsNobodyUntilTheUserPicks) {
  // A header line without room for a name ends the load after Ann's block.
  WriteStats(StatsFileOf({kAnn}) + "console: Stats for:\r\n" + StatsFileOf({kBob}));
  session.Load();
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].title, kStatsNotFoundTitle);
  EXPECT_EQ(view.entries, std::vector<std::string>{"Ann"});
  EXPECT_EQ(view.selected, (std::array<int, 2>{-1, -1}));
  EXPECT_EQ(view.labels[1], DesignPanelLabels());

  session.Select(Panel::Second, 0);
  EXPECT_EQ(Label(Panel::Second, PanelValue::Title), "Stats for Ann");
  EXPECT_EQ(view.labels[0], DesignPanelLabels()) << "the other panel is left alone";
}

TEST_F(Presenter, ClosingWritesBothFilesAndASaveThatFailsIsToldWhileClosingGoesOn) {
  const std::string stats = StatsFileOf({kAnn, kBob});
  WriteStats(stats);
  std::filesystem::create_directories(Basekrm() / "mSetup.ini");  // a folder where the settings file belongs
  session.Load();
  session.Unload();
  EXPECT_EQ(ReadFile(Basekrm() / "Stats.krm"), stats);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].title, kSaveFailedTitle);
  EXPECT_EQ(sink.messages[0].text.rfind("Файл настроек не записан", 0), 0u) << sink.messages[0].text;
}

TEST_F(Presenter, ActivationMovesTheCaretToTheEndOfTheTrace) {
  WriteStats(StatsFileOf({kAnn, kBob}));
  session.Load();
  session.state().TraceCaret = 0;
  session.Refresh();
  EXPECT_EQ(view.caret, 0u);
  session.Activate();
  EXPECT_EQ(session.state().TraceCaret, session.state().Trace.size());
  EXPECT_EQ(view.caret, session.state().Trace.size());
}

// --- the selectors and the panels ---------------------------------------------------------

TEST_F(Presenter, ChoosingInOneSelectorChangesThatPanelsLabelsOnly) {
  WriteStats(StatsFileOf({kAnn, kBob, kCid}));
  session.Load();
  session.Select(Panel::First, 2);
  EXPECT_EQ(view.selected, (std::array<int, 2>{2, 1}));
  EXPECT_EQ(Label(Panel::First, PanelValue::Title), "Stats for Cid");
  ASSERT_FALSE(view.last_labels.empty());
  for (Panel panel : view.last_labels) EXPECT_EQ(panel, Panel::First);
  EXPECT_EQ(view.last_new_entries, 0u) << "no entry is sent twice";

  session.Refresh();  // nothing changed: nothing to set
  EXPECT_TRUE(view.last_labels.empty());
}

TEST_F(Presenter, AnImportSendsTheNewNamesOnlyAndShowsTheFirstPlayer) {
  WriteStats(StatsFileOf({kAnn}));
  session.Load();
  WriteLog(Lines({{"--- Fs_startup : one"}, MatchBlock("Bob", 2), MatchBlock("Ann", 1), MatchBlock("Dan", 1)}));
  session.Import();
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(view.entries, (std::vector<std::string>{"Ann", "Bob", "Dan"}));
  EXPECT_EQ(view.last_new_entries, 2u);
  EXPECT_EQ(view.selected, (std::array<int, 2>{0, 0}));
  EXPECT_EQ(view.caret, session.state().Trace.size());
  EXPECT_FALSE(view.busy);
  EXPECT_EQ(view.busy_changes, 4) << "on and off at start-up and at the import";
}

TEST_F(Presenter, AnAccuracyBeyondALabelStopsTheFillThereAndTellsTheUserOnce) {
  Totals wild{"Wild"};
  wild.weapons[3] = {2000000000, 1};  // 200000000000%: no label holds it
  WriteStats(StatsFileOf({kAnn, wild}));
  session.Load();
  ASSERT_EQ(sink.messages.size(), 1u) << "one box for the start-up, though it fills a panel";
  EXPECT_EQ(sink.messages[0].title, kPanelFillFailedTitle);
  EXPECT_EQ(Label(Panel::Second, PanelValue::Title), "Stats for Wild");
  EXPECT_EQ(Label(Panel::Second, PanelValue::FirstAccuracy + 2), "0%");
  EXPECT_EQ(Label(Panel::Second, PanelValue::FirstAccuracy + 3), DesignPanelLabels()[PanelValue::FirstAccuracy + 3]);

  session.Select(Panel::First, 1);
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.title_label_at_box[1], "Stats for Wild") << "the panel shows what was filled before the box";
}

// --- the ratings ---------------------------------------------------------------------------

TEST_F(Presenter, RatingsCompareTheShownPlayersAndNobodyGivesAnEmptyBox) {
  std::filesystem::create_directories(Basekrm());
  session.Load();
  session.Ratings(",");
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[1].title, kRatingsTitle);
  EXPECT_EQ(sink.messages[1].text, "");

  TempDir other;
  WriteFile(other.path() / "basekrm" / "Stats.krm", StatsFileOf({kAnn, kBob}));
  ScreenView two_view;
  RecordingSink two_sink;
  FormSession two(two_view, two_sink, other.str());
  two.Load();
  two.Ratings(",");
  ASSERT_EQ(two_sink.messages.size(), 1u);
  EXPECT_NE(two_sink.messages[0].text.find("Ann"), std::string::npos);
  EXPECT_NE(two_sink.messages[0].text.find("Bob"), std::string::npos);
  EXPECT_EQ(two_view.busy_changes, 2) << "the ratings are quick: no wait cursor";
}

// --- the guards ----------------------------------------------------------------------------

TEST_F(Presenter, ImportRunsUnderTheWaitCursorAndEveryBoxUnderTheNormalOne) {
  WriteStats(StatsFileOf({kAnn}));
  session.Load();
  session.Import();  // no log: the failure box
  session.Import();
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].title, kLogNotFoundTitle);
  EXPECT_EQ(sink.busy_at_box, (std::vector<bool>{false, false}));
  EXPECT_FALSE(view.busy);

  bool busy_inside = false;
  bool answered = session.Run(FormSession::Duration::Long, [&](WindowState&, MessageSink& messages) {
    busy_inside = view.busy;
    messages.AskYesNo("?", "?");
    busy_inside = busy_inside && view.busy;
  });
  EXPECT_TRUE(answered);
  EXPECT_TRUE(busy_inside) << "the wait cursor comes back after the question";
  EXPECT_FALSE(sink.busy_at_box.back());
  EXPECT_FALSE(view.busy);
}

TEST_F(Presenter, AHandlerThatThrowsLeavesNoWaitCursorAndNoHandlerRunning) {
  EXPECT_THROW(session.Run(FormSession::Duration::Long,
                           [](WindowState&, MessageSink&) { throw std::runtime_error("not caught below"); }),
               std::runtime_error);
  EXPECT_FALSE(view.busy);
  EXPECT_FALSE(session.busy());
  EXPECT_FALSE(session.running());
  EXPECT_TRUE(session.Run(FormSession::Duration::Short, [](WindowState&, MessageSink&) {}));
}

TEST_F(Presenter, WhileAHandlersBoxIsUpOtherEventsAreDroppedButClosingSaves) {
  WriteStats(StatsFileOf({kAnn, kBob}));
  session.Load();
  bool nested_ran = true;
  sink.during_box = [&] {
    sink.during_box = nullptr;
    EXPECT_TRUE(session.running());
    nested_ran = session.Run(FormSession::Duration::Short, [](WindowState&, MessageSink&) {});
    session.Select(Panel::First, 1);
    session.Unload();  // the system ends the session
  };
  session.Ratings(".");
  EXPECT_FALSE(nested_ran);
  EXPECT_EQ(view.selected[0], 0) << "the selection waited for nobody: it was dropped";
  EXPECT_TRUE(std::filesystem::exists(Basekrm() / "mSetup.ini"));
  EXPECT_FALSE(session.running());
}

// --- the menu and the Players window -----------------------------------------------------

TEST_F(Presenter, UndoIsOfferedOnlyForAJournaledImportAndTheWindowsOfTotalsAreToldToReadAgain) {
  std::filesystem::create_directories(Basekrm());
  session.Load();
  EXPECT_FALSE(view.undo_enabled) << "nothing imported yet";
  EXPECT_TRUE(view.totals_changed);
  WriteLog(Lines({{"--- Fs_startup : Mon Dec 07 21:15:03 2026"}, MatchBlock("Ann", 2), MatchBlock("Bob", 1)}));
  session.Import();
  EXPECT_TRUE(view.undo_enabled);
  EXPECT_TRUE(view.totals_changed);
  session.Select(Panel::First, 1);
  EXPECT_FALSE(view.totals_changed) << "choosing a player changes no total";

  sink.messages.clear();
  sink.busy_at_box.clear();
  sink.answer = false;
  session.UndoImport();
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_TRUE(sink.messages[0].asked);
  EXPECT_EQ(sink.busy_at_box, std::vector<bool>{false}) << "the question comes under the normal cursor";
  EXPECT_EQ(view.entries.size(), 2u) << "No changes nothing";

  sink.answer = true;
  session.UndoImport();
  EXPECT_TRUE(view.entries.empty()) << "the import's players went with it";
  EXPECT_EQ(view.selected, (std::array<int, 2>{-1, -1}));
  EXPECT_FALSE(view.undo_enabled) << "the first journaled import was undone";
  EXPECT_TRUE(view.totals_changed);

  session.Import();  // the same matches count again, once
  EXPECT_EQ(view.entries, (std::vector<std::string>{"Ann", "Bob"}));
  EXPECT_EQ(session.state().Table.GamesPlayed[1], 1);
}

// The status line with its time of day ("hh:mm") as "TT:TT".
std::string WithoutTime(const std::string& text) {
  static const std::regex kTime("в [0-2][0-9]:[0-5][0-9]");
  return std::regex_replace(text, kTime, "в TT:TT");
}

TEST_F(Presenter, TheStatusLineTellsWhatEachImportEnteredNothingNewAnUndoAndAFailure) {
  WriteStats(StatsFileOf({kAnn}));
  session.Load();
  EXPECT_EQ(view.status_updates, 0) << "empty until the first import";

  const std::vector<std::string> first_session = Lines({{"--- Fs_startup : Mon Dec 07 21:15:03 2026"},
                                                        MatchBlock("Bob", 2), MatchBlock("Ann", 1)});
  const std::vector<std::string> second_session =
      Lines({{"--- Fs_startup : Mon Dec 07 23:50:00 2026"}, MatchBlock("Dan", 1), MatchBlock("Bob", 1)});
  WriteLog(Lines({first_session, second_session}));
  session.Import();
  EXPECT_EQ(WithoutTime(view.status_line),
            "Импорт в TT:TT занёс 2 матча (4 игры) из 2 игровых сессий, новых игроков: 2.");
  const int updates = view.status_updates;
  session.Refresh();
  EXPECT_EQ(view.status_updates, updates) << "an unchanged line is not sent again";

  session.Import();
  EXPECT_EQ(WithoutTime(view.status_line), "Импорт в TT:TT: в ЛОГ файле нет новых игр.");
  EXPECT_EQ(sink.messages.back().title, kLogUnchangedTitle);

  WriteLog(Lines({first_session, second_session, MatchBlock("Ann", 3)}));
  session.Import();
  EXPECT_EQ(WithoutTime(view.status_line), "Импорт в TT:TT занёс 1 матч (1 игра) из 1 игровой сессии, новых игроков нет.")
      << "Ann's block ends the second session's match";

  sink.answer = true;
  session.UndoImport();
  EXPECT_EQ(WithoutTime(view.status_line), "Последний импорт отменён в TT:TT.");

  std::filesystem::remove(Basekrm() / "LOG.txt");
  session.Import();
  EXPECT_EQ(WithoutTime(view.status_line), "Импорт в TT:TT не удался: ЛОГ файл не прочитан.");
  EXPECT_EQ(sink.messages.back().title, kLogNotFoundTitle);
}

TEST(StatusLine, CountsTakeTheirRussianFormsAndMatchesComeFirstOnceKnown) {
  ImportReport report;
  report.Time = "23:50";
  auto text = [&](std::int64_t games, std::int64_t sessions, std::int64_t players) {
    report.Games = games;
    report.Sessions = sessions;
    report.NewPlayers = players;
    return StatusLineText(report);
  };
  EXPECT_EQ(text(1, 1, 1), "Импорт в 23:50 занёс 1 игру из 1 игровой сессии, новых игроков: 1.");
  EXPECT_EQ(text(22, 2, 0), "Импорт в 23:50 занёс 22 игры из 2 игровых сессий, новых игроков нет.");
  EXPECT_EQ(text(11, 11, 3), "Импорт в 23:50 занёс 11 игр из 11 игровых сессий, новых игроков: 3.");
  EXPECT_EQ(text(121, 21, 0), "Импорт в 23:50 занёс 121 игру из 21 игровой сессии, новых игроков нет.");
  EXPECT_EQ(text(0, 1, 0), "Импорт в 23:50: в ЛОГ файле нет новых игр.") << "a start-up line with no game yet";
  report.Matches = 5;
  EXPECT_EQ(text(12, 1, 0), "Импорт в 23:50 занёс 5 матчей (12 игр) из 1 игровой сессии, новых игроков нет.");
  report.Matches.reset();
  report.What = ImportReport::Outcome::Failed;
  EXPECT_EQ(text(3, 1, 2),
            "Импорт в 23:50 прерван ошибкой чтения ЛОГ файла, успев занести 3 игры из 1 игровой сессии, новых "
            "игроков: 2.");
  report.What = ImportReport::Outcome::NothingNew;
  EXPECT_EQ(text(0, 0, 0), "Импорт в 23:50: в ЛОГ файле нет новых игр.");
}

TEST_F(Presenter, TheAboutBoxAndTheExportsAreToldInABox) {
  WriteStats(StatsFileOf({kAnn, kBob}));
  session.Load();
  session.About();
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].title, kAboutTitle);

  session.Export(ExportKind::Csv, (dir.path() / "players.csv").string(), CsvFormat{";", ","});
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[1].title, kTableSavedTitle);
  EXPECT_NE(ReadFile(dir.path() / "players.csv").find("Bob"), std::string::npos);

  session.Export(ExportKind::Html, Basekrm().string(), CsvFormat{});  // a folder
  ASSERT_EQ(sink.messages.size(), 3u);
  EXPECT_EQ(sink.messages[2].icon, MessageIcon::Error);
  EXPECT_EQ(sink.messages[2].title, kExportFailedTitle);
}

TEST_F(Presenter, ThePlayersWindowKeepsItsPlayerAcrossSortsAndRefreshesAndLetsGoOfOneUndone) {
  WriteStats(StatsFileOf({kAnn}));
  session.Load();
  WriteLog(Lines({{"--- Fs_startup : Mon Dec 07 21:15:03 2026"}, MatchBlock("Cid", 5), MatchBlock("Bob", 1)}));
  session.Import();

  PlayersSession players(",");
  players.Refresh(session.state());
  ASSERT_EQ(players.RowCount(), 3);
  players.SelectRow(players.model().RowOfSlot(2));  // Cid
  ASSERT_TRUE(players.Page().has_value());
  EXPECT_EQ(players.Page()->Name, "Cid");
  EXPECT_EQ(players.Page()->MatchCount, 1u);

  players.ClickHeader(PlayersColumn::Name);
  EXPECT_EQ(players.SelectedRow(), 2) << "Ann, Bob, Cid";
  EXPECT_EQ(players.CellText(players.SelectedRow(), PlayersColumn::Name), "Cid");
  players.SetPeriod(PlayersPeriod::LastEvening);
  EXPECT_EQ(players.RowCount(), 2) << "Ann played no game that evening";
  EXPECT_EQ(players.SelectedRow(), 1) << "Bob, Cid";
  EXPECT_EQ(players.Page()->Name, "Cid");
  players.SetPeriod(PlayersPeriod::AllTime);

  sink.answer = true;
  session.UndoImport();
  players.Refresh(session.state());
  EXPECT_EQ(players.RowCount(), 1);
  EXPECT_EQ(players.SelectedRow(), -1);
  EXPECT_FALSE(players.Page().has_value());
}

TEST_F(Presenter, ThePlayersWindowOpensOnItsFirstRowAndHandsBothWindowsTheSamePage) {
  WriteStats(StatsFileOf({kAnn}));
  session.Load();
  WriteLog(Lines({{"--- Fs_startup : Mon Dec 07 21:15:03 2026"}, MatchBlock("Cid", 5)}));
  session.Import();
  const std::string no_record(kPlayersWindowTexts.NoRecord);

  PlayersSession players(",");
  players.Open(session.state());
  EXPECT_EQ(players.SelectedRow(), 0) << "the first row is chosen at the opening";
  EXPECT_EQ(players.PageView().HeadingName, "Cid") << "the best frag rating first";
  players.ClickHeader(PlayersColumn::Name);
  players.SelectRow(0);
  PlayersPageView view = players.PageView();
  EXPECT_EQ(view.HeadingName, "Ann");
  EXPECT_EQ(view.HeadingText, " — в журнале нет игр этого игрока.");
  EXPECT_EQ(view.Frags, nullptr) << "no charts without matches";
  EXPECT_EQ(view.Accuracy, nullptr);
  ASSERT_EQ(view.Records.size(), 10u);
  for (const std::vector<std::string>& record : view.Records)
    EXPECT_EQ(record, (std::vector<std::string>{record[0], no_record, "", ""})) << record[0];
  EXPECT_TRUE(view.LastMatches.empty());

  players.SelectRow(1);
  view = players.PageView();
  EXPECT_EQ(view.HeadingName, "Cid");
  EXPECT_EQ(view.HeadingText, " — игр в журнале: 1");
  ASSERT_NE(view.Frags, nullptr);
  EXPECT_EQ(view.Frags->Title, players.Page()->Frags.Title);
  ASSERT_NE(view.Accuracy, nullptr);
  ASSERT_EQ(view.Records.size(), 10u);
  EXPECT_EQ(view.Records[0][0], "Больше всего фрагов за игру");
  EXPECT_EQ(view.Records[0][1], "5");
  EXPECT_EQ(view.Records[0][2], players.Page()->LastMatches[0]->Session) << "the session that set it";
  EXPECT_EQ(view.Records[0][3], std::to_string(players.Page()->LastMatches[0]->Match)) << "its match in the session";
  EXPECT_GT(players.Page()->LastMatches[0]->Match, 0);
  ASSERT_EQ(view.LastMatches.size(), 1u);
  ASSERT_EQ(view.LastMatches[0].size(), kLastMatchColumns.size());
  EXPECT_EQ(view.LastMatches[0][5], "5") << "Cid's kills";
  for (const auto& columns : {std::vector<PageListColumn>(kRecordColumns.begin(), kRecordColumns.end()),
                              std::vector<PageListColumn>(kLastMatchColumns.begin(), kLastMatchColumns.end())})
    for (const PageListColumn& column : columns) EXPECT_FALSE(column.Caption.empty());

  // Each column's longest cell, for the windows to size the column by.
  const std::vector<std::string> longest = players.LongestCells();
  ASSERT_EQ(longest.size(), kPlayersColumns.size());
  for (std::size_t c = 0; c < kPlayersColumns.size(); ++c) {
    const PlayersColumn column = kPlayersColumns[c].Column;
    bool found = false;
    for (int row = 0; row < players.RowCount(); ++row) {
      EXPECT_LE(players.CellText(row, column).size(), longest[c].size()) << c;
      found = found || players.CellText(row, column) == longest[c];
    }
    EXPECT_TRUE(found) << c;
  }
  EXPECT_EQ(longest[static_cast<std::size_t>(PlayersColumn::LastPlayed)], players.CellText(1, PlayersColumn::LastPlayed))
      << "Cid's, as Ann has no dated match";

  // Opened again, the window keeps its player.
  players.Open(session.state());
  EXPECT_EQ(players.PageView().HeadingName, "Cid");

  sink.answer = true;
  session.UndoImport();
  players.Refresh(session.state());
  view = players.PageView();
  EXPECT_EQ(view.HeadingName, "");
  EXPECT_EQ(view.HeadingText, "Выберите игрока в таблице.");
  EXPECT_EQ(view.Frags, nullptr);
  EXPECT_TRUE(view.Records.empty());
  EXPECT_TRUE(view.LastMatches.empty());
}

}  // namespace
}  // namespace fragtally::testing
