// Importing the game's log: every match counted once, whatever the game does
// with its log between imports; blocks, the refresh at the end, the saves and
// the messages.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "app/main_window/commands.h"
#include "files/paths.h"
#include "files/settings_file.h"
#include "platform/platform.h"
#include "files/stats_file.h"
#include "import/log_import.h"
#include "memory_file_system.h"
#include "test_support.h"
#include "app/main_window/panels.h"

namespace fragtally {
namespace {

namespace fs = std::filesystem;
using testing::CrLf;
using testing::Lines;
using testing::MatchBlock;
using testing::CurrentFolder;
using testing::ReadFile;
using testing::RecordingSink;
using testing::StateIn;
using testing::TempDir;
using testing::WriteFile;

const std::string kS1 = "--- Fs_startup : Sun Dec 06 20:00:00 2026";
const std::string kS2 = "--- Fs_startup : Mon Dec 07 21:15:03 2026";
const std::string kS3 = "--- Fs_startup : Tue Dec 08 19:40:11 2026";

using Result = testing::ImportResult;

class ImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadSettings(state());  // the default path basekrm\LOG.txt, relative to the current folder
  }
  WindowState& state() { return *state_; }
  void WriteLog(const std::vector<std::string>& lines) { WriteFile(LogPath(), CrLf(lines)); }
  void AppendLog(const std::vector<std::string>& lines) { WriteFile(LogPath(), ReadFile(LogPath()) + CrLf(lines)); }
  fs::path LogPath() const { return dir_.path() / "basekrm" / "LOG.txt"; }
  int Games(const std::string& name) const {
    for (int slot = 1; slot <= state_->Table.PlayerCount; ++slot)
      if (state_->Table.PlayerName[slot] == name) return state_->Table.GamesPlayed[slot];
    return 0;
  }
  Result Import() { return testing::PressImport(*state_, sink_); }
  std::string Settings() { return ReadFile(SettingsFilePath(*state_)); }
  void ExpectLastMessage(MessageIcon icon, const std::string& title, const std::string& text) {
    ASSERT_FALSE(sink_.messages.empty());
    EXPECT_EQ(sink_.messages.back().icon, icon);
    EXPECT_EQ(sink_.messages.back().title, title);
    EXPECT_EQ(sink_.messages.back().text, text);
  }
  // The box's own words, then the full path that was tried.
  void ExpectLogNotFound() {
    ExpectLastMessage(MessageIcon::Error, "Программе не удалось найти ЛОГ файл",
                      "ЛОГ файл не найден. Либо вы просто ещё ни разу не играли в KRM, либо неправильно настроили "
                      "данную программу. Читайте прилагающийся файл, или обратитесь к разработчику - " +
                          std::string(kContactAddress) + "\r\n" + LogPath().string());
  }
  // The save-failed box: which file, and why, on lines of their own.
  void ExpectSaveFailed(const std::string& file_words, const std::string& path, const std::string& cause) {
    ASSERT_FALSE(sink_.messages.empty());
    const auto& box = sink_.messages.back();
    EXPECT_EQ(box.icon, MessageIcon::Error);
    EXPECT_EQ(box.title, "Не удалось сохранить файл");
    EXPECT_EQ(box.text.rfind(file_words + " не записан, прежний файл остался без изменений:\r\n" + path + "\r\nПричина: " +
                                 cause,
                             0),
              0u)
        << box.text;
  }
  void ExpectLogUnchanged() {
    ExpectLastMessage(MessageIcon::Information, "Статистика не занесена",
                      "ЛОГ файл не изменился с момента последней проверки. Скорее всего - вы не запускали Krellmar. "
                      "Сначала поиграйте! =)");
  }

  TempDir dir_;
  CurrentFolder inside_{dir_.path()};  // the log path is relative to the current folder
  std::unique_ptr<WindowState> state_ = StateIn(dir_.path());
  RecordingSink sink_;
};

TEST_F(ImportTest, WorkedTraceNewStartupLineIsImportedAndTheSameLogIsRefusedNextTime) {
  state().StartupMarker = kS1;
  WriteLog(Lines({{kS2, "console: chatter", "player connected"}, MatchBlock("Ann", 3), {"console: more"},
                  MatchBlock("Bob", 5), {"console: the end"}}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(state().StartupMarker, kS2);
  EXPECT_EQ(state().Table.PlayerCount, 2);
  EXPECT_EQ(state().Table.Kills[1], 3);
  EXPECT_EQ(state().Table.Kills[2], 5);
  EXPECT_EQ(state().Table.GamesPlayed[2], 1);
  EXPECT_EQ(state().Trace.substr(0, 10), "Name=Ann\r\n");
  EXPECT_EQ(state().TraceCaret, state().Trace.size());
  EXPECT_EQ(state().Combo1.ListIndex, 0);
  EXPECT_EQ(state().Combo2.ListIndex, 1);
  EXPECT_EQ(state().Panel1[0], "Stats for Ann");
  EXPECT_EQ(state().Panel2[0], "Stats for Bob");
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS2 + "\r\n2\r\n") << "two blocks after the start-up line";

  // Second press before the game was started again.
  const TraceText trace = state().Trace;
  ASSERT_EQ(Import(), Result::LogUnchanged);
  ExpectLogUnchanged();
  EXPECT_EQ(state().Table.GamesPlayed[1], 1);
  EXPECT_EQ(state().Trace, trace) << "blocks counted before are not read again";
}

TEST_F(ImportTest, TotalsReachTheDiskWithTheImportTheStatisticsFirst) {
  WriteLog(Lines({{kS1}, MatchBlock("Ann", 3)}));
  ASSERT_EQ(Import(), Result::Completed);
  // The program may die now: the next start finds the totals and the marker together.
  auto next = StateIn(dir_.path());
  RecordingSink sink;
  Form_Load(*next, sink);
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(next->Table.Kills[1], 3);
  EXPECT_EQ(next->StartupMarker, kS1);
  EXPECT_EQ(next->BlocksAfterMarker, 1);
  ASSERT_EQ(testing::PressImport(*next, sink), Result::LogUnchanged);
  EXPECT_EQ(next->Table.GamesPlayed[1], 1);
}

TEST_F(ImportTest, MatchesPlayedAfterAnImportCountAtTheNextImport) {
  WriteLog(Lines({{kS1}, MatchBlock("Ann", 1)}));
  ASSERT_EQ(Import(), Result::Completed);
  AppendLog(Lines({MatchBlock("Ann", 1), {"chatter"}, MatchBlock("Bob", 1)}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(Games("Ann"), 2);
  EXPECT_EQ(Games("Bob"), 1);
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS1 + "\r\n3\r\n");
  ASSERT_EQ(Import(), Result::LogUnchanged);
  EXPECT_EQ(Games("Ann"), 2);
}

TEST_F(ImportTest, AnAppendedLogCountsOnlyWhatIsNew) {
  // The game appends to its log across starts: S1, matches, S2, matches.
  WriteLog(Lines({{kS1}, MatchBlock("Ann", 1), MatchBlock("Bob", 1), {kS2}, MatchBlock("Ann", 1)}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(Games("Ann"), 2);
  EXPECT_EQ(Games("Bob"), 1);
  EXPECT_EQ(state().StartupMarker, kS2);
  ASSERT_EQ(Import(), Result::LogUnchanged) << "nothing is counted a second time";
  EXPECT_EQ(Games("Ann"), 2);

  // Started again, appending: S3 and its matches are new, and only they count.
  AppendLog(Lines({{kS3, "map: krmdm6"}, MatchBlock("Cid", 1), MatchBlock("Bob", 1)}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(Games("Ann"), 2);
  EXPECT_EQ(Games("Bob"), 2);
  EXPECT_EQ(Games("Cid"), 1);
  EXPECT_EQ(state().StartupMarker, kS3);
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS3 + "\r\n2\r\n");
}

TEST_F(ImportTest, TheSameLogAfterARestartIsNotRefusedAtItsFirstLine) {
  WriteLog(Lines({{kS1}, MatchBlock("Ann", 1)}));
  ASSERT_EQ(Import(), Result::Completed);
  // The game started again and appended: the new session's matches count.
  AppendLog(Lines({{kS2}, MatchBlock("Ann", 4)}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(Games("Ann"), 2);
  EXPECT_EQ(state().Table.Kills[1], 5);
  // And a restart that rewrote the log: a new start-up line, all of it new.
  WriteLog(Lines({{kS3}, MatchBlock("Ann", 2)}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(Games("Ann"), 3);
}

TEST_F(ImportTest, AnUnknownCountTakesTheMarkersWholeSessionAsCounted) {
  // A settings file of two lines, as an older program wrote it.
  WriteFile(SettingsFilePath(state()), "basekrm\\LOG.txt\r\n" + kS1 + "\r\n");
  LoadSettings(state());
  EXPECT_FALSE(state().BlocksAfterMarker);
  WriteLog(Lines({MatchBlock("Old", 1), {kS1}, MatchBlock("Ann", 1), MatchBlock("Bob", 1)}));
  ASSERT_EQ(Import(), Result::LogUnchanged);
  EXPECT_EQ(state().Table.PlayerCount, 0);
  EXPECT_EQ(state().BlocksAfterMarker, 2) << "the session's blocks are known now";
  // A later session is imported, the marker's own is not.
  AppendLog(Lines({{kS2}, MatchBlock("Cid", 1)}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Table.PlayerCount, 1);
  EXPECT_EQ(Games("Cid"), 1);
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS2 + "\r\n1\r\n");
}

TEST_F(ImportTest, SkippedBlocksAreNotReadAtAll) {
  state().StartupMarker = kS1;
  state().BlocksAfterMarker = 1;
  // Before the marker's line and within the counted part: broken blocks that
  // would fail the import if they were read.
  WriteLog(Lines({{"console: Stats for:", "console:  ", kS1, "console: Stats for: Ann", "console: Shotgun:   7",
                   "console:  "},
                  MatchBlock("Bob", 2)}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Table.PlayerCount, 1);
  EXPECT_EQ(state().Table.PlayerName[1], "Bob");
  EXPECT_EQ(state().Trace.substr(0, 10), "Name=Bob\r\n") << "no trace of a skipped block";
  EXPECT_EQ(state().BlocksAfterMarker, 2);
}

TEST_F(ImportTest, OnlyTheLastMarkerLineOutsideABlockAnchors) {
  state().StartupMarker = kS1;
  state().BlocksAfterMarker = 0;
  // kS1 twice outside blocks (a restart within the same second), once inside one.
  WriteLog(Lines({{kS1}, MatchBlock("Ann", 1), {kS1}, MatchBlock("Bob", 1),
                  {"console: Stats for: Cid", kS1, "console: Gauntlet:   2", "console:  "}}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(Games("Ann"), 0) << "before the last marker line: counted by an earlier import";
  EXPECT_EQ(Games("Bob"), 1);
  EXPECT_EQ(Games("Cid"), 1);
  EXPECT_EQ(state().Table.Gauntlet[2], 2);
  EXPECT_EQ(state().BlocksAfterMarker, 2);
}

TEST_F(ImportTest, AnyLineOutsideABlockEqualToTheMarkerAnchors) {
  state().StartupMarker = "plain chatter";
  state().BlocksAfterMarker = 0;
  WriteLog(Lines({MatchBlock("Ann", 1), {"plain chatter"}, MatchBlock("Bob", 1)}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(Games("Ann"), 0);
  EXPECT_EQ(Games("Bob"), 1);
  ASSERT_EQ(Import(), Result::LogUnchanged);
  ExpectLogUnchanged();
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\nplain chatter\r\n1\r\n");
}

// Nothing to count from but the blocks' keys: each is counted once.
TEST_F(ImportTest, LogWithoutStartupLineCountsEachBlockOnceByItsKey) {
  WriteLog(Lines({{"", "chatter"}, MatchBlock("Ann", 2), {""}}));
  ASSERT_EQ(Import(), Result::Completed);
  ASSERT_EQ(Import(), Result::LogUnchanged);
  sink_.messages.clear();
  EXPECT_EQ(state().Table.GamesPlayed[1], 1);
  EXPECT_EQ(state().Table.Kills[1], 2);
  EXPECT_EQ(state().StartupMarker, "") << "an empty line does not stop an import while no marker is known";
  EXPECT_FALSE(state().BlocksAfterMarker) << "nothing to count from";
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n\r\n");
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(ImportTest, MarkerInsideABlockDoesNotAnchor) {
  state().StartupMarker = kS1;
  WriteLog({"console: Stats for: Ann", kS1, "console: Gauntlet:   2", "console:  ", kS2});
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Table.Gauntlet[1], 2);
  EXPECT_EQ(state().StartupMarker, kS2);
  EXPECT_EQ(state().BlocksAfterMarker, 0);
}

// The game writes a match's blocks while the player may press the button. A
// block without its terminator yet, or a line without its line end, is still
// being written: it is neither added nor counted, and a later import reads it
// whole, once.
TEST_F(ImportTest, ABlockStillBeingWrittenIsReadWholeByALaterImport) {
  const std::string ann = CrLf(Lines({{kS1}, MatchBlock("Ann", 1)}));
  const std::string bob = CrLf(MatchBlock("Bob", 3));
  const std::size_t kills_line = bob.find("console: Kills:");
  const std::size_t terminator = bob.rfind("console:  ");
  struct Cut {
    const char* where;
    std::size_t at;
  };
  for (const Cut& cut : {Cut{"after the header", bob.find("\r\n") + 2}, Cut{"between two lines", kills_line},
                         Cut{"in the middle of a line", kills_line + 20}, Cut{"between CR and LF", kills_line - 1},
                         Cut{"in the terminator", terminator + 9}, Cut{"before the terminator's line end", terminator + 10}}) {
    SCOPED_TRACE(cut.where);
    TempDir dir;
    CurrentFolder here(dir.path());
    auto state = StateIn(dir.path());
    LoadSettings(*state);
    RecordingSink sink;
    const fs::path log = dir.path() / "basekrm" / "LOG.txt";
    WriteFile(log, ann + bob.substr(0, cut.at));
    ASSERT_EQ(testing::PressImport(*state, sink), Result::Completed);
    ASSERT_EQ(state->Table.PlayerCount, 1) << "Bob is not added yet";
    EXPECT_EQ(state->BlocksAfterMarker, 1) << "nor counted";
    EXPECT_EQ(ReadFile(SettingsFilePath(*state)), "basekrm\\LOG.txt\r\n" + kS1 + "\r\n1\r\n");

    ASSERT_EQ(testing::PressImport(*state, sink), Result::LogUnchanged) << "nothing else is new";
    WriteFile(log, ann + bob + CrLf({"console: chatter"}));
    ASSERT_EQ(testing::PressImport(*state, sink), Result::Completed);
    ASSERT_EQ(state->Table.PlayerCount, 2);
    EXPECT_EQ(state->Table.Kills[2], 3) << "the whole block, once";
    EXPECT_EQ(state->Table.GamesPlayed[2], 1);
    EXPECT_EQ(state->Table.GamesPlayed[1], 1);
    EXPECT_EQ(state->BlocksAfterMarker, 2);
    ASSERT_EQ(testing::PressImport(*state, sink), Result::LogUnchanged);
    for (const auto& message : sink.messages) EXPECT_NE(message.icon, MessageIcon::Error) << message.text;
  }
}

TEST_F(ImportTest, AStartupLineStillBeingWrittenIsNotTakenYet) {
  WriteFile(LogPath(), CrLf(Lines({{kS1}, MatchBlock("Ann", 1)})) + kS2.substr(0, 20));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().StartupMarker, kS1);
  WriteFile(LogPath(), CrLf(Lines({{kS1}, MatchBlock("Ann", 1), {kS2}, MatchBlock("Ann", 2)})));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().StartupMarker, kS2);
  EXPECT_EQ(state().Table.Kills[1], 3);
  EXPECT_EQ(state().BlocksAfterMarker, 1);
}

TEST_F(ImportTest, MissingLogChangesNothing) {
  ASSERT_EQ(Import(), Result::Failed);
  ExpectLogNotFound();
  EXPECT_FALSE(fs::exists(SettingsFilePath(state())));
  fs::create_directories(LogPath());
  ASSERT_EQ(Import(), Result::Failed) << "a folder is not a log";
  EXPECT_EQ(sink_.messages.size(), 2u);
}

TEST_F(ImportTest, MalformedLineEndsTheImportKeepingEarlierBlocksAndItCountsAsRead) {
  WriteLog(Lines({{kS2}, MatchBlock("Ann", 1), {"console: Stats for: Bob", "console: Shotgun:   1/2", "console:  "},
                  MatchBlock("Cid", 1)}));
  ASSERT_EQ(Import(), Result::Failed);
  ExpectLogNotFound();
  EXPECT_EQ(state().Table.PlayerCount, 2);
  EXPECT_EQ(state().Table.ShotgunHits[2], 1) << "the hits were added before the line failed";
  EXPECT_EQ(state().StartupMarker, kS2) << "a replaced marker stays replaced";
  EXPECT_EQ(state().BlocksAfterMarker, 2) << "the failing block counts as read";
  EXPECT_FALSE(fs::exists(SettingsFilePath(state())));
  EXPECT_FALSE(fs::exists(StatsFilePath(state())));

  // Closing saves what was read; the next import goes on after the failed block.
  Form_Unload(state(), sink_);
  auto next = StateIn(dir_.path());
  RecordingSink sink;
  Form_Load(*next, sink);
  ASSERT_EQ(testing::PressImport(*next, sink), Result::Completed);
  EXPECT_EQ(next->Table.PlayerCount, 3);
  EXPECT_EQ(next->Table.GamesPlayed[1], 1) << "Ann once";
}

TEST_F(ImportTest, HeaderWithNothingAfterTheColonFails) {
  WriteLog({"console: Stats for:", "console:  "});
  ASSERT_EQ(Import(), Result::Failed);
  ExpectLogNotFound();
}

TEST_F(ImportTest, FirstImportAfterAFirstRunSelectsBothPanels) {
  // No statistics file: neither selector has an entry before the import.
  WriteLog(Lines({{kS1}, MatchBlock("Ann", 1), MatchBlock("Bob", 2), MatchBlock("Cid", 3)}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(state().Combo1.ListIndex, 0);
  EXPECT_EQ(state().Combo2.ListIndex, 1);
  EXPECT_EQ(state().Panel2[0], "Stats for Bob");
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS1 + "\r\n3\r\n");
}

TEST_F(ImportTest, OnePlayerGoesIntoBothPanels) {
  WriteLog(MatchBlock("Ann", 1));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Combo2.ListIndex, 0);
  EXPECT_EQ(state().Panel2[0], "Stats for Ann");
}

TEST_F(ImportTest, LogWithoutBlocksCompletesAndSavesTheNewMarker) {
  WriteLog({kS2, "chatter"});
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Combo1.ListIndex, -1);
  EXPECT_EQ(state().Panel1, DesignPanelLabels()) << "panels without players keep their design texts";
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS2 + "\r\n0\r\n");
  EXPECT_FALSE(fs::exists(StatsFilePath(state()))) << "no players, no statistics file";
}

TEST_F(ImportTest, CompletedImportShowsTheFirstPlayerAndKeepsTheSecondSelection) {
  WriteLog(Lines({MatchBlock("Ann", 1), MatchBlock("Bob", 1), MatchBlock("Cid", 1)}));
  ASSERT_EQ(Import(), Result::Completed);
  SelectEntry(state(), Panel::First, 2);
  SelectEntry(state(), Panel::Second, 2);
  WriteLog(MatchBlock("Bob", 4));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Combo1.ListIndex, 0);
  EXPECT_EQ(state().Combo2.ListIndex, 2);
  EXPECT_EQ(state().Panel1[0], "Stats for Ann");
  EXPECT_EQ(state().Panel2[0], "Stats for Cid");
}

TEST_F(ImportTest, PanelRefreshFailureEndsWithTheMessageAndSkipsBothSaves) {
  WriteLog({kS1, "console: Stats for: Ann", "console: BFG:   328/1 ", "console:  "});
  ASSERT_EQ(Import(), Result::Failed);
  ExpectLogNotFound();
  EXPECT_EQ(state().Panel1[0], "Stats for Ann") << "labels before the failing accuracy show the player";
  EXPECT_EQ(state().Panel1[17], "100%") << "the failing label keeps its text";
  EXPECT_FALSE(fs::exists(SettingsFilePath(state())));
  EXPECT_FALSE(fs::exists(StatsFilePath(state())));
  // Closing saves both: the import counts once.
  Form_Unload(state(), sink_);
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS1 + "\r\n1\r\n");
}

TEST_F(ImportTest, BackslashesInTheLogPathAreFolderSeparators) {
  fs::create_directories(dir_.path() / "logs" / "today");
  WriteFile(dir_.path() / "logs" / "today" / "LOG.txt", CrLf(MatchBlock("Ann", 1)));
  state().LogPath = "logs\\today\\LOG.txt";
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().LogPath, "logs\\today\\LOG.txt");
  EXPECT_EQ(Settings().substr(0, 20), "logs\\today\\LOG.txt\r\n");
#ifdef _WIN32
  EXPECT_EQ(platform::NativePath("a\\b"), "a\\b");
#else
  EXPECT_EQ(platform::NativePath("a\\b"), "a/b");
#endif
}

TEST_F(ImportTest, UnwritableSettingsEndTheImportWithTheSaveMessage) {
  WriteLog(Lines({{kS1}, MatchBlock("Ann", 1)}));
  fs::create_directories(SettingsFilePath(state()));  // a folder where the file should go
  ASSERT_EQ(Import(), Result::Failed);
  ExpectSaveFailed("Файл настроек", SettingsFilePath(state()), "");
  EXPECT_EQ(state().Table.PlayerCount, 1);
  EXPECT_TRUE(fs::exists(StatsFilePath(state()))) << "the statistics went first";
}

TEST_F(ImportTest, UnwritableStatisticsLeaveTheMarkerOnDiskWhereItWas) {
  WriteFile(SettingsFilePath(state()), "basekrm\\LOG.txt\r\n" + kS1 + "\r\n1\r\n");
  LoadSettings(state());
  WriteLog(Lines({{kS1}, MatchBlock("Ann", 1), MatchBlock("Bob", 1)}));
  fs::create_directories(StatsFilePath(state()));  // a folder where the file should go
  ASSERT_EQ(Import(), Result::Failed);
  ExpectSaveFailed("Файл статистики", StatsFilePath(state()), "");
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS1 + "\r\n1\r\n") << "the settings are not written";
  // Closing tries again and fails again: the settings still stay, so the
  // next start counts these matches again instead of losing them.
  Form_Unload(state(), sink_);
  ExpectSaveFailed("Файл статистики", StatsFilePath(state()), "");
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS1 + "\r\n1\r\n");
}

TEST_F(ImportTest, ABackupThatCannotBeMadeKeepsTheOldFileAndFailsTheImport) {
  // A statistics file the load stopped in: the first save must keep it.
  const std::string broken = "console: Stats for: Old\r\nconsole: Shotgun:   1\r\n";
  testing::WriteStatsFile(state(), broken);
  Form_Load(state(), sink_);
  ASSERT_TRUE(state().KeepOldStatsFile);
  sink_.messages.clear();
  WriteLog(Lines({{kS1}, MatchBlock("Ann", 1)}));
  struct BackupRefused : platform::FileSystem {
    std::unique_ptr<platform::InputFile> OpenForReading(const std::string& path, platform::FileFailure* failure) override {
      return platform::NativeFileSystem().OpenForReading(path, failure);
    }
    bool Exists(const std::string& path) override { return platform::NativeFileSystem().Exists(path); }
    bool ReplaceFile(const std::string& path, std::string_view contents, platform::FileFailure& failure) override {
      return platform::NativeFileSystem().ReplaceFile(path, contents, failure);
    }
    bool KeepCopy(const std::string&, const std::string& copy, platform::FileFailure& failure) override {
      failure = platform::FailureAt(platform::FileFault::AccessDenied, copy);
      return false;
    }
  } files;
  testing::UsingFileSystem use(files);
  ASSERT_EQ(Import(), Result::Failed);
  EXPECT_EQ(sink_.messages.back().title, "Не удалось сохранить файл");
  EXPECT_EQ(ReadFile(StatsFilePath(state())), broken) << "the old file stays";
  EXPECT_FALSE(fs::exists(SettingsFilePath(state()))) << "the marker on disk did not move";
}

// The remembered line is searched for from the end of the log, or met while
// reading it (then what was added before it is taken back): the same result.
TEST_F(ImportTest, SearchedOrMetTheRememberedLineGivesTheSameImport) {
  const std::vector<std::vector<std::string>> logs = {
      Lines({{kS1}, MatchBlock("Ann", 1), {kS2}, MatchBlock("Bob", 2), MatchBlock("Ann", 3)}),
      Lines({MatchBlock("Old", 1), {kS2}, MatchBlock("Bob", 2), {kS3}, MatchBlock("Cid", 1)}),
      // A block that fails before the remembered line: it was counted before, no failure.
      Lines({{kS1, "console: Stats for: Bad", "console: Shotgun:   1/2", "console:  ", kS2}, MatchBlock("Ann", 1),
             MatchBlock("Bob", 1)}),
      // One that fails after it: the import fails there, and a start-up line after the failure is not read.
      Lines({{kS2}, MatchBlock("Ann", 1), MatchBlock("Bob", 1), {"console: Stats for:"}, MatchBlock("Cid", 1)}),
      Lines({{kS2}, MatchBlock("Ann", 1), MatchBlock("Bob", 1), {"console: Stats for: Bad", "console: Kills:",
                                                                 "console:  ", kS3}, MatchBlock("Cid", 1)}),
      // The remembered line twice, and once inside a block.
      Lines({{kS2}, MatchBlock("Ann", 1), {kS2}, MatchBlock("Bob", 1), MatchBlock("Cid", 1),
             {"console: Stats for: Dan", kS2, "console:  "}}),
  };
  for (std::size_t i = 0; i < logs.size(); ++i) {
    SCOPED_TRACE(i);
    WriteLog(logs[i]);
    std::unique_ptr<WindowState> ways[2];
    std::optional<ErrorKind> failures[2];
    ImportOutcome outcomes[2] = {};
    for (int way = 0; way < 2; ++way) {
      ways[way] = StateIn(dir_.path());
      ways[way]->LogPath = state().LogPath;
      ways[way]->StartupMarker = kS2;
      ways[way]->BlocksAfterMarker = 1;
      ways[way]->CurrentName = "Zed";  // one player from before
      FindOrAddPlayer(*ways[way]);
      try {
        outcomes[way] = ImportLog(*ways[way], way == 0 ? kTailSearched : 0);
      } catch (const Error& error) {
        failures[way] = error.kind();
      }
    }
    EXPECT_EQ(failures[0], failures[1]);
    EXPECT_EQ(outcomes[0], outcomes[1]);
    EXPECT_EQ(ways[0]->Trace, std::string_view(ways[1]->Trace));
    EXPECT_EQ(ways[0]->StartupMarker, ways[1]->StartupMarker);
    EXPECT_EQ(ways[0]->BlocksAfterMarker, ways[1]->BlocksAfterMarker);
    ASSERT_EQ(ways[0]->Table.PlayerCount, ways[1]->Table.PlayerCount);
    EXPECT_EQ(testing::PlayerNames(ways[0]->Table), testing::PlayerNames(ways[1]->Table));
    for (int slot = 1; slot <= ways[0]->Table.PlayerCount; ++slot) {
      EXPECT_EQ(ways[0]->Table.PlayerName[slot], ways[1]->Table.PlayerName[slot]);
      for (const CounterColumn& column : kCounterColumns)
        EXPECT_EQ((ways[0]->Table.*column.Member)[slot], (ways[1]->Table.*column.Member)[slot]) << column.Name;
    }
  }
}

TEST_F(ImportTest, SettingsKeepTheCountAsAThirdLine) {
  WriteFile(SettingsFilePath(state()), "a.txt\r\nmarker\r\n12\r\n");
  LoadSettings(state());
  EXPECT_EQ(state().BlocksAfterMarker, 12);
  for (const char* third : {"-1\r\n", "1 2\r\n", "x\r\n", " 3\r\n", "99999999999999999999\r\n", "\r\n"}) {
    auto other = StateIn(dir_.path());
    WriteFile(SettingsFilePath(*other), std::string("a.txt\r\nmarker\r\n") + third);
    LoadSettings(*other);
    EXPECT_FALSE(other->BlocksAfterMarker) << third;
    EXPECT_EQ(other->StartupMarker, "marker");
  }
  // A CR right before the end of the file is no part of the marker.
  auto bare = StateIn(dir_.path());
  WriteFile(SettingsFilePath(*bare), "a.txt\r\n" + kS1 + "\r");
  LoadSettings(*bare);
  EXPECT_EQ(bare->StartupMarker, kS1);
}

}  // namespace
}  // namespace fragtally
