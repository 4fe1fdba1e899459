// A player's ordinary day, against the handlers: files held open by other
// programs at start-up, at an import and at closing; a statistics file that
// another program changed meanwhile; files edited by hand (a byte-order mark,
// a quoted path, another encoding). Whatever happens, no match is lost or
// counted twice, and the player is told what happened and what was kept.
#include <gtest/gtest.h>

#include <string>

#include "app/main_window/commands.h"
#include "files/paths.h"
#include "files/settings_file.h"
#include "files/stats_file.h"
#include "memory_file_system.h"
#include "test_support.h"

namespace fragtally {
namespace {

using testing::CrLf;
using testing::Lines;
using testing::MatchBlock;
using testing::MemoryFileSystem;
using testing::RecordingSink;
using Result = testing::ImportResult;

const std::string kS1 = "--- Fs_startup : Sun Dec 06 20:00:00 2026";
const std::string kSep(1, platform::kPathSeparator);
const std::string kBasekrm = "game" + kSep + "basekrm" + kSep;
const std::string kStatsPath = kBasekrm + "Stats.krm";
const std::string kSettingsPath = kBasekrm + "mSetup.ini";
const std::string kLogPath = "basekrm" + kSep + "LOG.txt";  // relative to the current folder

// A game folder in memory and one run of the program in it at a time.
class OrdinaryDay : public ::testing::Test {
 protected:
  void Start() {
    state_ = NewForm1State("game");
    sink_.messages.clear();
    Form_Load(*state_, sink_);
  }
  void Close() {
    sink_.messages.clear();
    Form_Unload(*state_, sink_);
  }
  Result Import() {
    sink_.messages.clear();
    return testing::PressImport(*state_, sink_);
  }
  // A game folder where Ann's first match was imported and the program closed.
  void FirstMatchImported() {
    files_.Clear();
    files_.Append(kLogPath, kS1 + "\r\n");
    Play({"Ann"});
    Start();
    Import();
    Close();
  }
  // Plays matches: the log grows by one block per name.
  void Play(std::initializer_list<std::string> names) {
    for (const std::string& name : names) files_.Append(kLogPath, CrLf(MatchBlock(name, 2)));
  }
  std::string Stats() const { return files_.Read(kStatsPath).value_or("(none)"); }
  std::string Settings() const { return files_.Read(kSettingsPath).value_or("(none)"); }
  int Games(const std::string& name) const {
    const PlayerTable& t = state_->Table;
    for (int slot = 1; slot <= t.PlayerCount; ++slot)
      if (t.PlayerName[slot] == name) return t.GamesPlayed[slot];
    return 0;
  }
  // The one message of the last action: its title, and its text has `words`.
  void ExpectOneMessage(const std::string& title, std::initializer_list<std::string> words) {
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0].title, title);
    for (const std::string& word : words)
      EXPECT_NE(sink_.messages[0].text.find(word), std::string::npos) << word << " in:\n" << sink_.messages[0].text;
  }
  // A fresh start in the folder, then an import: every match counted once.
  void ExpectEveryMatchOnceAfterARestart(std::initializer_list<std::pair<std::string, int>> games) {
    Start();
    Import();
    for (const auto& [name, count] : games) EXPECT_EQ(Games(name), count) << name;
    EXPECT_EQ(Import(), Result::LogUnchanged);
  }

  MemoryFileSystem files_;
  testing::UsingFileSystem use_{files_};
  std::unique_ptr<WindowState> state_;
  RecordingSink sink_;
};

// How another program may share a file it holds open.
struct Sharing {
  const char* name;
  bool reading, replacing;
};
constexpr Sharing kNotShared{"not shared", false, false};
constexpr Sharing kSharedForReading{"shared for reading", true, false};
constexpr Sharing kSharedForAll{"shared for reading and replacing", true, true};

TEST_F(OrdinaryDay, AStatisticsFileHeldAtStartUpIsNeitherLostNorOverwritten) {
  FirstMatchImported();
  const std::string before = Stats();

  files_.Hold(kStatsPath, kNotShared.reading, kNotShared.replacing);
  Start();
  ExpectOneMessage(kStatsUnreadableTitle, {"\r\n" + kStatsPath + "\r\n", "занят другой программой"});
  EXPECT_EQ(state_->Table.PlayerCount, 0);
  // Still held at the import: nothing is imported, nothing written.
  Play({"Bob"});
  ASSERT_EQ(Import(), Result::Failed);
  ExpectOneMessage(kStatsUnreadableTitle, {"\r\n" + kStatsPath + "\r\n", "Новые матчи не занесены"});
  EXPECT_EQ(Stats(), before);
  // Let go: read before the import, and saved with the old totals.
  files_.Release(kStatsPath);
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(Games("Ann"), 1);
  EXPECT_EQ(Games("Bob"), 1);

  // Held, but shared for reading: the start is an ordinary one.
  files_.Hold(kStatsPath, kSharedForReading.reading, kSharedForReading.replacing);
  Start();
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(Games("Bob"), 1);
}

TEST_F(OrdinaryDay, FilesHeldAtAnImportKeepEveryMatchExactlyOnce) {
  for (const Sharing& sharing : {kNotShared, kSharedForReading, kSharedForAll}) {
    for (const std::string& held : {kStatsPath, kSettingsPath, std::string(kLogPath)}) {
      SCOPED_TRACE(held + " " + sharing.name);
      FirstMatchImported();
      Play({"Ann", "Bob"});
      Start();
      files_.Hold(held, sharing.reading, sharing.replacing);
      const std::string stats = Stats(), settings = Settings();
      const Result result = Import();
      if (held == kLogPath) {
        if (!sharing.reading) {
          ASSERT_EQ(result, Result::Failed);
          ExpectOneMessage(kLogNotFoundTitle, {"\r\n" + platform::AbsolutePath(kLogPath) + "\r\n", "Причина: файл занят другой программой"});
          EXPECT_EQ(Games("Ann"), 1) << "nothing read";
        } else {
          EXPECT_EQ(result, Result::Completed) << "the game itself holds its log, sharing it";
        }
      } else if (!sharing.replacing) {
        ASSERT_EQ(result, Result::Failed);
        const std::string file_words = held == kStatsPath ? "Файл статистики не записан" : "Файл настроек не записан";
        ExpectOneMessage(kSaveFailedTitle, {file_words, "\r\n" + held + "\r\n", "Причина: файл занят другой программой"});
        if (held == kStatsPath) {
          EXPECT_EQ(Stats(), stats);
          EXPECT_EQ(Settings(), settings) << "no settings after a failed statistics save";
        }
      } else {
        EXPECT_EQ(result, Result::Completed);
        EXPECT_TRUE(sink_.messages.empty());
      }
      // The other program lets go; closing saves what is in memory.
      files_.Release(held);
      Close();
      EXPECT_TRUE(sink_.messages.empty());
      ExpectEveryMatchOnceAfterARestart({{"Ann", 2}, {"Bob", 1}});
    }
  }
}

TEST_F(OrdinaryDay, FilesHeldAtClosingKeepEveryMatchExactlyOnce) {
  for (const Sharing& sharing : {kNotShared, kSharedForReading}) {
    for (const std::string& held : {kStatsPath, kSettingsPath}) {
      SCOPED_TRACE(held + " " + sharing.name);
      FirstMatchImported();
      const std::string stats = Stats(), settings = Settings();
      Start();
      // The import's saves go through; closing meets the held file.
      Play({"Bob"});
      ASSERT_EQ(Import(), Result::Completed);
      Play({"Cid"});
      files_.Hold(held, sharing.reading, sharing.replacing);
      Close();
      const std::string file_words = held == kStatsPath ? "Файл статистики не записан" : "Файл настроек не записан";
      ExpectOneMessage(kSaveFailedTitle, {file_words, "\r\n" + held + "\r\n", "Причина: файл занят другой программой"});
      files_.Release(held);
      ExpectEveryMatchOnceAfterARestart({{"Ann", 1}, {"Bob", 1}, {"Cid", 1}});
    }
  }
}

TEST_F(OrdinaryDay, AStatisticsFileChangedByAnotherProgramIsNeverReplaced) {
  files_.Append(kLogPath, kS1 + "\r\n");
  Play({"Ann"});
  Start();
  Import();
  // Another program (or a second copy, or a sync tool) writes the file.
  const std::string theirs = testing::StatsFileOf({{.name = "Zed", .kills = 9, .games = 4}});
  files_.Write(kStatsPath, theirs);
  const std::string settings = Settings();
  Play({"Bob"});
  ASSERT_EQ(Import(), Result::Failed);
  ExpectOneMessage(kStatsChangedTitle, {"\r\n" + kStatsPath + "\r\n", "\r\n" + kBasekrm + "Stats-conflict-"});
  EXPECT_EQ(Stats(), theirs) << "theirs stays";
  EXPECT_EQ(Settings(), settings) << "the settings stay with the file on disk";
  const std::string ours = state_->StatsKeptBeside;
  EXPECT_EQ(files_.Read(ours), FormatStatsFile(*state_)) << "ours beside it";
  Close();
  ExpectOneMessage(kStatsChangedTitle, {"\r\n" + ours + "\r\n"});
  EXPECT_EQ(files_.FileCount(), 5u) << "the log, both files, the journal and one copy of ours, however often it is saved";
  EXPECT_EQ(Stats(), theirs);
  EXPECT_EQ(Settings(), settings);

  // The files on disk agree with each other: the next run counts on from them.
  Start();
  Import();
  EXPECT_EQ(Games("Zed"), 4);
  EXPECT_EQ(Games("Bob"), 1);
  EXPECT_EQ(Games("Ann"), 0) << "counted before the settings on disk";
}

TEST_F(OrdinaryDay, AStatisticsFileMadeOrRemovedMeanwhile) {
  // First run, no file: another program makes one before the first save.
  files_.Append(kLogPath, kS1 + "\r\n");
  Play({"Ann"});
  Start();
  files_.Write(kStatsPath, testing::StatsFileOf({{.name = "Zed"}}));
  ASSERT_EQ(Import(), Result::Failed);
  EXPECT_EQ(sink_.messages[0].title, kStatsChangedTitle);
  // A file removed while the program runs is not made again (the game
  // folder on a removed disk looks the same): the player is told; a restart
  // starts a new one.
  Start();
  files_.Remove(kStatsPath);
  Play({"Bob"});
  ASSERT_EQ(Import(), Result::Failed);
  ExpectOneMessage(kFileVanishedTitle, {"\r\n" + kStatsPath + "\r\n", "перезапустите"});
  EXPECT_FALSE(files_.Read(kStatsPath));
  Start();
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_NE(Stats().find("Bob"), std::string::npos);
}

TEST_F(OrdinaryDay, FilesEditedInATextEditor) {
  const std::string bom = "\xEF\xBB\xBF";
  // Notepad's byte-order mark before the first player and before the log
  // path, which "Copy as path" put in quotes.
  files_.Write(kStatsPath, bom + testing::StatsFileOf({{.name = "Ann", .kills = 3}, {.name = "Bob"}}));
  files_.Write(kSettingsPath, bom + "\"basekrm\\LOG.txt\"\r\n" + kS1 + "\r\n0\r\n");
  files_.Append(kLogPath, kS1 + "\r\n");
  Play({"Cid"});
  Start();
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(state_->LogPath, "basekrm\\LOG.txt");
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state_->Table.PlayerCount, 3);
  EXPECT_EQ(state_->Table.Kills[1], 3) << "the first player is read";
  EXPECT_EQ(Stats().rfind("console: Stats for: Ann\r\n", 0), 0u) << "and written back, without the mark";
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS1 + "\r\n1\r\n");

  // A mark alone, or blanks, are an empty file.
  for (const std::string& empty : {bom, std::string("\r\n  \r\n"), bom + "\r\n"}) {
    files_.Write(kStatsPath, empty);
    Start();
    EXPECT_TRUE(sink_.messages.empty());
    EXPECT_FALSE(state_->KeepOldStatsFile);
  }
}

TEST_F(OrdinaryDay, AStatisticsFileWithNoReadablePlayerIsKeptAndNamed) {
  // Saved as UTF-16 by an editor, or damaged.
  std::string utf16 = "\xFF\xFE";
  for (char c : testing::StatsFileOf({{.name = "Ann", .games = 7}})) utf16 += std::string(1, c) + '\0';
  for (const std::string& unreadable : {utf16, std::string("\x01\x02 junk \xFF\r\n")}) {
    files_.Clear();
    files_.Write(kStatsPath, unreadable);
    files_.Append(kLogPath, kS1 + "\r\n");
    Play({"Bob"});
    Start();
    ExpectOneMessage(kStatsNotFoundTitle, {});
    ASSERT_EQ(Import(), Result::Completed);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0].title, kStatsBackupTitle);
    const std::string& text = sink_.messages[0].text;
    const std::size_t start = text.find("\r\n" + kBasekrm + "Stats.krm.");
    ASSERT_NE(start, std::string::npos) << text;
    const std::string backup = text.substr(start + 2, text.find("\r\n", start + 2) - start - 2);
    EXPECT_EQ(files_.Read(backup), unreadable);
    EXPECT_EQ(Games("Bob"), 1);
  }
}

}  // namespace
}  // namespace fragtally
