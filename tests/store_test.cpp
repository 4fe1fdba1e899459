// The store against the game folder's files: what an import journals, how
// the start-up settles a commit that a kill or a held file split, commits
// that fail part-way, and undoing imports. The random histories
// (fuzz/history.h) add kills at every write.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "app/main_window/commands.h"
#include "app/text/messages.h"
#include "files/journal.h"
#include "files/paths.h"
#include "files/stats_file.h"
#include "files/store.h"
#include "import/log_import.h"
#include "memory_file_system.h"
#include "recording_sink.h"
#include "test_support.h"

namespace fragtally {
namespace {

using Result = testing::ImportResult;

// The program's files in the game folder "game", by the paths it builds.
std::string InBasekrm(const char* name) {
  const std::string sep(1, platform::kPathSeparator);
  return "game" + sep + "basekrm" + sep + name;
}
const std::string kStatsPath = InBasekrm("Stats.krm"), kSettingsPath = InBasekrm("mSetup.ini"),
                  kJournalPath = InBasekrm("Matches.txt");
const std::string kLogPath = std::string("basekrm") + platform::kPathSeparator + "LOG.txt";
const std::string kS1 = "--- Fs_startup : Sun Dec 06 20:00:00 2026", kS2 = "--- Fs_startup : Mon Dec 07 21:15:03 2026";

class Store : public ::testing::Test {
 protected:
  void Start() {
    state_ = std::make_unique<FileState>();
    state_->ProgramFolder = "game";
    opened_ = OpenStore(*state_);
  }
  // The log into the store, without a commit (as by a program killed then).
  ImportOutcome ImportWithoutCommit(std::uint64_t tail_searched = kTailSearched) {
    ImportOutcome outcome = ImportOutcome::Completed;
    ImportIntoStore(*state_, [&](ImportedBlocks& read, ImportWatcher& watcher, const CountedBlocks& counted) {
      outcome = ImportLog(*state_, read, tail_searched, &watcher, &counted);
    });
    return outcome;
  }
  // As the import button: the log, then a commit of what it added (or of
  // what an earlier press could not save).
  Result Import() {
    commit_ = CommitOutcome{};
    check_ = CheckBeforeImport(*state_);
    if (check_.Refused != ImportCheck::Problem::None) return Result::Failed;
    ImportOutcome outcome;
    try {
      outcome = ImportWithoutCommit();
    } catch (const Error&) {
      return Result::Failed;
    }
    if (outcome == ImportOutcome::LogUnchanged && !state_->SavePending) return Result::LogUnchanged;
    commit_ = CommitStore(*state_);
    if (!commit_.Saved()) return Result::Failed;
    return outcome == ImportOutcome::LogUnchanged ? Result::LogUnchanged : Result::Completed;
  }
  // The import an undo would take back, and the undo when the player says Yes.
  UndoOutcome Undo(bool answer) {
    undo_ = ReadImportToUndo(*state_);
    EXPECT_EQ(undo_.Refused, ImportToUndo::Problem::None);
    return answer ? UndoImport(*state_, undo_) : UndoOutcome{};
  }
  void Play(const std::string& line) { files_.Append(kLogPath, line + "\r\n"); }
  void Play(std::initializer_list<std::string> names) {
    for (const std::string& name : names) files_.Append(kLogPath, testing::CrLf(testing::MatchBlock(name, 2)));
  }
  std::string Read(const std::string& path) const { return files_.Read(path).value_or("(none)"); }
  int Games(const std::string& name) const {
    const PlayerTable& t = state_->Table;
    for (int slot = 1; slot <= t.PlayerCount; ++slot)
      if (t.PlayerName[slot] == name) return t.GamesPlayed[slot];
    return 0;
  }
  // The files as they are, to compare after something that must change none.
  std::string Files() const { return Read(kStatsPath) + "|" + Read(kSettingsPath) + "|" + Read(kJournalPath); }

  testing::MemoryFileSystem files_;
  testing::UsingFileSystem use_{files_};
  std::unique_ptr<FileState> state_;
  OpenOutcome opened_;
  CommitOutcome commit_;
  ImportCheck check_;
  ImportToUndo undo_;
};

TEST_F(Store, AnImportWritesItsBlocksAndCommitAsTabSeparatedLines) {
  Play(kS1);
  Play({"Ann", "B\tob\\x"});
  Start();
  ASSERT_EQ(Import(), Result::Completed);
  const std::string journal = Read(kJournalPath);
  // Two blocks and the commit, CR LF; the name's tab and backslash escaped.
  ASSERT_EQ(std::count(journal.begin(), journal.end(), '\n'), 3) << journal;
  EXPECT_EQ(journal.find('\n'), journal.find("\r\n") + 1);
  EXPECT_EQ(journal.rfind("M\t1\t2026-12-06 20:00:00\t1\tAnn\t", 0), 0u) << journal;
  EXPECT_NE(journal.find("\tB\\tob\\\\x\t"), std::string::npos) << journal;
  const std::size_t commit = journal.find("\nC\t1\t") + 1;
  ASSERT_NE(commit, 0u) << journal;
  JournalTail tail = ReadJournalTail(kJournalPath);
  ASSERT_TRUE(tail.Last);
  EXPECT_EQ(tail.Last->Marker, kS1);
  EXPECT_EQ(tail.Last->Count, 2);
  EXPECT_EQ(tail.Last->PlayersBefore, 0);
  EXPECT_EQ(tail.Last->PlayersAfter, 2);
  EXPECT_FALSE(tail.Last->DigestBefore);
  EXPECT_EQ(tail.Last->DigestAfter, state_->StatsOnDisk.Digest);

  // What each block added, read back: the block's numbers and one game.
  const std::vector<JournalMatch> matches = ReadJournalMatches(kJournalPath);
  ASSERT_EQ(matches.size(), 2u);
  EXPECT_EQ(matches[1].Name, "B\tob\\x");
  EXPECT_EQ(matches[1].Position, 2);
  EXPECT_EQ(matches[1].Import, 1);
  for (std::size_t i = 0; i < kCounterColumns.size(); ++i)
    EXPECT_EQ(matches[0].Added[i], (state_->Table.*kCounterColumns[i].Member)[1]) << kCounterColumns[i].Name;

  // An import that finds nothing new writes nothing.
  ASSERT_EQ(Import(), Result::LogUnchanged);
  EXPECT_EQ(Read(kJournalPath), journal);
}

// A kill between the two renames: the statistics file holds the import, the
// settings do not. The start-up rolls them forward; nothing is counted twice.
TEST_F(Store, TheStartUpRollsTheSettingsForwardToAStatisticsFileThatHoldsTheImport) {
  Play(kS1);
  Play({"Ann"});
  Start();
  Import();
  const std::string settings = Read(kSettingsPath);
  Play({"Ann", "Bob"});
  files_.OnWrite = [](const std::string& path, bool after) {
    if (path == kSettingsPath && !after) throw 0;  // killed right before the settings' rename
  };
  EXPECT_THROW(Import(), int);
  files_.OnWrite = nullptr;
  ASSERT_EQ(Read(kSettingsPath), settings);
  Start();
  EXPECT_TRUE(opened_.SettingsRepaired);
  EXPECT_NE(Read(kSettingsPath), settings) << "rolled forward";
  EXPECT_EQ(Import(), Result::LogUnchanged);
  EXPECT_EQ(Games("Ann"), 2);
  EXPECT_EQ(Games("Bob"), 1);
  EXPECT_TRUE(CanUndoImport(*state_));
}

// A kill right before the statistics file's rename, or part-way through the
// journal's append: the import counts as not done, and the next one counts it.
TEST_F(Store, AnImportThatDidNotReachTheStatisticsFileIsTakenBackAtTheStartUp) {
  for (bool torn : {false, true}) {
    SCOPED_TRACE(torn ? "torn append" : "killed before the rename");
    files_.Clear();
    Play(kS1);
    Play({"Ann"});
    Start();
    Import();
    Play({"Ann", "Bob"});
    if (torn)
      files_.TearAppend = [](const std::string&, std::size_t size) { return size - 3; };
    else
      files_.OnWrite = [](const std::string& path, bool after) {
        if (path == kStatsPath && !after) throw 0;
      };
    try {
      Import();
      FAIL() << "not killed";
    } catch (int) {
    } catch (testing::TornAppend) {
    }
    files_.OnWrite = nullptr;
    files_.TearAppend = nullptr;
    Start();
    const std::string journal = Read(kJournalPath);
    EXPECT_EQ(journal.substr(journal.size() - 2), "\r\n");
    if (!torn) {
      EXPECT_NE(journal.find("\r\nX\tC\t2\t"), std::string::npos) << journal;
    }
    EXPECT_EQ(ReadJournalMatches(kJournalPath).size(), 1u) << "the second import is not in effect";
    EXPECT_EQ(Import(), Result::Completed);
    EXPECT_EQ(Games("Ann"), 2);
    EXPECT_EQ(Games("Bob"), 1);
    EXPECT_EQ(ReadJournalMatches(kJournalPath).size(), 3u);
    EXPECT_EQ(ReadJournalTail(kJournalPath).Last->Import, 3) << "a number is never used twice";
  }
}

TEST_F(Store, AStatisticsFileEditedByHandIsTrustedAndNoImportCanBeUndone) {
  Play(kS1);
  Play({"Ann"});
  Start();
  EXPECT_FALSE(CanUndoImport(*state_)) << "nothing imported yet";
  Import();
  EXPECT_TRUE(CanUndoImport(*state_));
  files_.Write(kStatsPath, Read(kStatsPath) + "\r\n");
  const std::string before = Files();
  Start();
  EXPECT_EQ(Files(), before);
  EXPECT_EQ(Games("Ann"), 1);
  EXPECT_FALSE(CanUndoImport(*state_));
}

TEST_F(Store, UndoTakesBackEachImportInTurnAndALaterImportCountsItsMatchesOnce) {
  Play(kS1);
  Play({"Ann"});
  Start();
  Import();
  const std::string after_first = Files();
  Play(kS2);
  Play({"Ann", "Bob", "Bob"});
  Import();
  const std::string stats_after_second = Read(kStatsPath);

  // No changes nothing; the question says what would go.
  Undo(false);
  const std::string question = UndoQuestionText(undo_.Import);
  EXPECT_NE(question.find("игровая сессия 2026-12-07 21:15:03: 1 матч, 3 игры"), std::string::npos) << question;
  EXPECT_EQ(undo_.InEffectAfter, 1);
  EXPECT_EQ(Read(kStatsPath), stats_after_second);

  // Yes: the totals, the players, the marker and the files as before it.
  const UndoOutcome undone = Undo(true);
  EXPECT_TRUE(undone.Undone);
  EXPECT_EQ(undone.Failed, UndoOutcome::Problem::None);
  EXPECT_EQ(state_->Table.PlayerCount, 1);
  EXPECT_EQ(Games("Ann"), 1);
  EXPECT_EQ(FindPlayer(state_->Table, "Bob"), 0);
  EXPECT_EQ(Read(kStatsPath) + "|" + Read(kSettingsPath), after_first.substr(0, after_first.rfind('|')));
  EXPECT_TRUE(CanUndoImport(*state_)) << "the one before";
  Undo(true);
  EXPECT_NE(UndoQuestionText(undo_.Import).find("игровая сессия 2026-12-06 20:00:00: 1 матч, 1 игра"), std::string::npos);
  EXPECT_EQ(undo_.InEffectAfter, 0);
  EXPECT_EQ(state_->Table.PlayerCount, 0);
  EXPECT_EQ(Read(kStatsPath), "") << "no player left";
  EXPECT_FALSE(CanUndoImport(*state_));
  EXPECT_TRUE(ReadJournalMatches(kJournalPath).empty());

  // A restart keeps the undos; the next import counts every match once.
  Start();
  EXPECT_FALSE(CanUndoImport(*state_));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(Read(kStatsPath), stats_after_second);
  EXPECT_EQ(ReadJournalMatches(kJournalPath).size(), 4u);
  ASSERT_TRUE(CanUndoImport(*state_));
}

TEST_F(Store, AnUndoThatCannotBeSavedChangesNothingAndSaysWhy) {
  Play(kS1);
  Play({"Ann"});
  Start();
  Import();
  Play({"Bob"});
  Import();
  for (const std::string& held : {kJournalPath, kStatsPath}) {
    const std::string files = Files();
    const std::int16_t players = state_->Table.PlayerCount;
    files_.Hold(held, true, false);
    const UndoOutcome outcome = Undo(true);
    files_.Release(held);
    EXPECT_FALSE(outcome.Undone) << held;
    EXPECT_EQ(outcome.Failed,
              held == kJournalPath ? UndoOutcome::Problem::JournalWrite : UndoOutcome::Problem::StatsWrite);
    EXPECT_EQ(outcome.Failure.Path, held);
    const std::string text = UndoFailedText(outcome);
    EXPECT_NE(text.find("\r\n" + held + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Импорт не отменён"), std::string::npos);
    EXPECT_EQ(state_->Table.PlayerCount, players);
    EXPECT_EQ(Games("Bob"), 1);
    EXPECT_EQ(Read(kStatsPath) + Read(kSettingsPath), files.substr(0, files.rfind('|')).erase(files.find('|'), 1));
    EXPECT_TRUE(CanUndoImport(*state_));
    EXPECT_EQ(ReadJournalMatches(kJournalPath).size(), 2u);
  }
  // A held settings file: the undo is done and saved, the settings follow later.
  files_.Hold(kSettingsPath, true, false);
  const UndoOutcome outcome = Undo(true);
  files_.Release(kSettingsPath);
  EXPECT_TRUE(outcome.Undone);
  EXPECT_EQ(outcome.Failed, UndoOutcome::Problem::SettingsWrite);
  EXPECT_EQ(outcome.Failure.Path, kSettingsPath);
  EXPECT_TRUE(state_->SavePending);
  EXPECT_EQ(Games("Bob"), 0);
  Start();  // the settings rolled forward to the undo
  EXPECT_EQ(Import(), Result::Completed);
  EXPECT_EQ(Games("Bob"), 1);
  EXPECT_EQ(Games("Ann"), 1);
}

TEST_F(Store, AHeldJournalKeepsBothFilesAsTheyWereUntilItCanBeWritten) {
  Play(kS1);
  Play({"Ann"});
  Start();
  Import();
  const std::string files = Files();
  Play({"Bob"});
  files_.Hold(kJournalPath, true, false);
  EXPECT_EQ(Import(), Result::Failed);
  EXPECT_EQ(commit_.Failed, StoreFile::Journal);
  EXPECT_EQ(commit_.Failure.Path, kJournalPath);
  EXPECT_FALSE(commit_.Journaled);
  EXPECT_EQ(Files(), files);
  files_.Release(kJournalPath);
  EXPECT_EQ(Import(), Result::LogUnchanged) << "nothing new, but what was not saved is saved now";
  EXPECT_EQ(ReadJournalMatches(kJournalPath).size(), 2u);
}

// What opening tells: a statistics file that is missing, or there but held.
TEST_F(Store, OpeningTellsWhetherTheStatisticsFileWasRead) {
  Start();
  EXPECT_EQ(opened_.Stats, OpenOutcome::StatsFile::NotLoaded);
  EXPECT_TRUE(opened_.JournalRead);
  Play(kS1);
  Play({"Ann"});
  ASSERT_EQ(Import(), Result::Completed);

  files_.Hold(kStatsPath, false, false);
  Start();
  files_.Release(kStatsPath);
  EXPECT_EQ(opened_.Stats, OpenOutcome::StatsFile::Unreadable);
  EXPECT_EQ(opened_.StatsFailure.Path, kStatsPath);
  EXPECT_EQ(opened_.StatsFailure.Fault, platform::FileFault::InUse);

  Start();
  EXPECT_EQ(opened_.Stats, OpenOutcome::StatsFile::Loaded);
  EXPECT_TRUE(CanUndoImport(*state_));
}

// What a commit tells: a statistics file another program changed stays, the
// table goes beside it, and the settings stay with the file on disk; after a
// load that stopped part-way the old file is kept under a backup name.
TEST_F(Store, ACommitSaysWhichFileFailedAndWhatWasKept) {
  Play(kS1);
  Play({"Ann"});
  Start();
  ASSERT_EQ(Import(), Result::Completed);
  const std::string theirs = testing::StatsFileOf({{.name = "Zed", .kills = 9, .games = 4}});
  files_.Write(kStatsPath, theirs);
  const std::string settings = Read(kSettingsPath);
  Play({"Bob"});
  EXPECT_EQ(Import(), Result::Failed);
  EXPECT_EQ(commit_.Failed, StoreFile::Stats);
  EXPECT_TRUE(commit_.ChangedOnDisk);
  EXPECT_EQ(commit_.Failure.Path, kStatsPath);
  EXPECT_NE(commit_.KeptBeside.find("Stats-conflict-"), std::string::npos) << commit_.KeptBeside;
  EXPECT_NE(Read(commit_.KeptBeside).find("Bob"), std::string::npos);
  EXPECT_EQ(Read(kStatsPath), theirs);
  EXPECT_EQ(Read(kSettingsPath), settings);
  EXPECT_TRUE(commit_.Journaled) << "and taken back by an X line";
  EXPECT_EQ(ReadJournalMatches(kJournalPath).size(), 1u);

  files_.Write(kStatsPath, "not a statistics file\r\n");
  Start();
  EXPECT_EQ(opened_.Stats, OpenOutcome::StatsFile::NotLoaded);
  ASSERT_EQ(Import(), Result::Completed);
  ASSERT_FALSE(commit_.Backup.empty());
  EXPECT_EQ(Read(commit_.Backup), "not a statistics file\r\n");
}

// A long import writes its lines while it reads the log, a batch at a time
// on a helper thread, and its commit adds the rest and the C line. Lines that
// a refused write or a crash left without a C line are never counted, and
// their number is not used again.
TEST_F(Store, ALongImportsLinesWrittenAheadAreCountedOnceWhateverStopsThem) {
  Play(kS1);
  std::string log;
  for (int i = 0; i < 15000; ++i) log += testing::CrLf(testing::MatchBlock("P" + std::to_string(i % 50), 2));
  files_.Append(kLogPath, log);
  Start();
  const auto numbers = [&] {
    std::set<std::int64_t> seen;
    for (const JournalMatch& m : ReadJournalMatches(kJournalPath)) seen.insert(m.Import);
    return seen;
  };
  const auto lines = [&] {
    const std::string journal = Read(kJournalPath);
    return static_cast<std::size_t>(std::count(journal.begin(), journal.end(), '\n'));
  };

  // Read without a save, as by a program killed before it: a batch is in the
  // journal, no reader takes it, and the restart's import numbers its lines
  // past it.
  ASSERT_EQ(ImportWithoutCommit(), ImportOutcome::Completed);
  const std::size_t ahead = state_->Journal.AheadBlocks;
  EXPECT_GT(ahead, 0u);
  EXPECT_LT(ahead, 15000u) << "the last blocks are left to the commit";
  EXPECT_EQ(lines(), ahead) << "every line written ahead is counted, and only those";
  EXPECT_TRUE(ReadJournalMatches(kJournalPath).empty());
  Start();
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(ReadJournalMatches(kJournalPath).size(), 15000u);
  EXPECT_EQ(numbers(), std::set<std::int64_t>{2});
  EXPECT_EQ(lines(), ahead + 15000 + 1);

  // The journal refuses the next import's first write ahead: the rest is not
  // written ahead, and the commit writes every block under a new number.
  Play(kS2);
  files_.Append(kLogPath, log);
  int writes = 0;
  files_.RefuseWrite = [&](const std::string& path) { return path == kJournalPath && ++writes == 1; };
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_TRUE(commit_.Saved());
  EXPECT_EQ(ReadJournalMatches(kJournalPath).size(), 30000u);
  EXPECT_EQ(numbers(), (std::set<std::int64_t>{2, 4}));
  EXPECT_EQ(Games("P7"), 2 * 15000 / 50);
}

// The remembered line far from the end is met late: the lines written ahead
// for what it takes back keep a number no C line follows, and the writing
// starts again after it under the next number. Every match counts once.
TEST_F(Store, ARememberedLineMetLateGivesUpTheLinesWrittenAheadBeforeIt) {
  const auto blocks = [](const std::string& name, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += testing::CrLf(testing::MatchBlock(name + std::to_string(i % 50), 2));
    return text;
  };
  // The old blocks were counted before the journal existed (no key holds them).
  files_.Append(kLogPath, blocks("Old", 9000));
  Play(kS1);
  Play({"Ann"});
  files_.Write(kSettingsPath, kLogPath + "\r\n" + kS1 + "\r\n0\r\n");
  Start();
  ASSERT_EQ(Import(), Result::Completed);
  files_.Append(kLogPath, blocks("P", 15000));
  ASSERT_EQ(ImportWithoutCommit(64 << 10), ImportOutcome::Completed);
  EXPECT_EQ(state_->Journal.AheadImport, 3) << "number 2 was given up at the remembered line";
  EXPECT_GT(state_->Journal.AheadBlocks, 0u);
  EXPECT_NE(Read(kJournalPath).find("\r\nM\t2\t\t1\tOld0\t"), std::string::npos) << "written ahead, then given up";
  const int p7 = Games("P7"), ann = Games("Ann"), old7 = Games("Old7");
  ASSERT_TRUE(CommitStore(*state_).Saved());
  std::map<std::string, int> matches;
  for (const JournalMatch& m : ReadJournalMatches(kJournalPath)) ++matches[m.Name];
  EXPECT_EQ(matches["Old7"], 0) << "counted before the journal, and not again";
  EXPECT_EQ(matches["Ann"], 1);
  EXPECT_EQ(matches["P7"], 15000 / 50);
  Start();
  EXPECT_EQ(Games("P7"), p7);
  EXPECT_EQ(Games("Ann"), ann);
  EXPECT_EQ(Games("Old7"), old7);
}

// --- every block counted once by its key (game session, place, digest) ---

class Keys : public Store {
 protected:
  // A log of another game folder (another "Start in"), by the path the settings give it.
  static std::string LogIn(const std::string& folder) {
    return folder + platform::kPathSeparator + "basekrm" + platform::kPathSeparator + "LOG.txt";
  }
  void PlayIn(const std::string& log, const std::string& line) { files_.Append(log, line + "\r\n"); }
  void PlayIn(const std::string& log, std::initializer_list<std::string> names) {
    for (const std::string& name : names) files_.Append(log, testing::CrLf(testing::MatchBlock(name, 2)));
  }
  // A fresh start of the program reading `log`, and a press of the button.
  Result ImportFrom(const std::string& log) {
    Start();
    state_->LogPath = log;
    return Import();
  }
  std::int64_t LastSkipped() {
    const JournalTail tail = ReadJournalTail(kJournalPath);
    return tail.Last ? tail.Last->Skipped : -1;
  }
  // Every player's games, the journal's in-effect blocks by name included.
  void ExpectOnce(std::initializer_list<std::string> names) {
    std::map<std::string, int> journaled;
    for (const JournalMatch& m : ReadJournalMatches(kJournalPath)) ++journaled[m.Name];
    for (const std::string& name : names) {
      EXPECT_EQ(Games(name), 1) << name;
      EXPECT_EQ(journaled[name], 1) << name;
    }
  }
};

// One program used from two game folders: A, B, then A again. Each time the
// remembered line is the other log's; the keys keep A's matches counted once.
TEST_F(Keys, TwoGameFoldersTakenInTurnCountEachMatchOnce) {
  const std::string a = LogIn("A"), b = LogIn("B");
  PlayIn(a, kS1);
  PlayIn(a, {"Ann", "Bob"});
  PlayIn(b, kS2);
  PlayIn(b, {"Cid"});
  ASSERT_EQ(ImportFrom(a), Result::Completed);
  ASSERT_EQ(ImportFrom(b), Result::Completed);
  const std::string files = Files();
  EXPECT_EQ(ImportFrom(a), Result::LogUnchanged) << "every block of A is counted already";
  EXPECT_EQ(Files(), files) << "nothing written, the remembered line kept";
  // A's game plays on: only the new match counts, and the C line tells how
  // many blocks the remembered line alone would have counted again.
  PlayIn(a, {"Dan"});
  ASSERT_EQ(ImportFrom(a), Result::Completed);
  EXPECT_EQ(LastSkipped(), 2);
  EXPECT_EQ(state_->StartupMarker, kS1);
  EXPECT_EQ(state_->BlocksAfterMarker, 3);
  ASSERT_EQ(ImportFrom(b), Result::LogUnchanged);
  ExpectOnce({"Ann", "Bob", "Cid", "Dan"});
}

// A log put back from a backup after later sessions were imported: nothing
// in it counts again, and what the game adds to it afterwards counts once.
TEST_F(Keys, ALogPutBackFromABackupCountsNothingAgain) {
  Play(kS1);
  Play({"Ann"});
  ASSERT_EQ(ImportFrom(kLogPath), Result::Completed);
  Play({"Bob"});
  const std::string backup = Read(kLogPath);
  ASSERT_EQ(ImportFrom(kLogPath), Result::Completed);
  Play(kS2);
  Play({"Cid"});
  ASSERT_EQ(ImportFrom(kLogPath), Result::Completed);
  files_.Write(kLogPath, backup);
  EXPECT_EQ(ImportFrom(kLogPath), Result::LogUnchanged);
  EXPECT_EQ(state_->StartupMarker, kS2) << "the settings stay as they were";
  const std::string s3 = "--- Fs_startup : Tue Dec 08 18:00:00 2026";
  Play(s3);
  Play({"Dan"});
  ASSERT_EQ(ImportFrom(kLogPath), Result::Completed);
  EXPECT_EQ(LastSkipped(), 2) << "Ann and Bob";
  ExpectOnce({"Ann", "Bob", "Cid", "Dan"});
}

// A log copied from a friend's PC that shares game sessions with ours: only
// the friend's own matches count.
TEST_F(Keys, ALogFromAnotherPcCountsOnlyTheSessionsNotCountedYet) {
  const std::string friends = LogIn("Friend");
  Play(kS1);
  Play({"Ann", "Bob"});
  ASSERT_EQ(ImportFrom(kLogPath), Result::Completed);
  files_.Write(friends, Read(kLogPath));
  PlayIn(friends, {"Cid"});  // the same session, on after our import
  PlayIn(friends, kS2);
  PlayIn(friends, {"Dan"});
  ASSERT_EQ(ImportFrom(friends), Result::Completed);
  EXPECT_EQ(LastSkipped(), 0) << "the remembered line is in the friend's log";
  ASSERT_EQ(ImportFrom(kLogPath), Result::LogUnchanged);
  ExpectOnce({"Ann", "Bob", "Cid", "Dan"});
}

// Start-up lines without a date: one line for every game session. The
// blocks of an earlier session played after an import, and the first blocks
// of a later one (at places the earlier one's hold), are never lost.
TEST_F(Keys, StartUpLinesWithoutADateLoseNoMatch) {
  const std::string undated = "--- Fs_startup : version 1.32";
  Play(undated);
  Play({"Ann", "Bob"});
  ASSERT_EQ(ImportFrom(kLogPath), Result::Completed);
  Play({"Cid"});  // played on after the import
  Play(undated);  // the game started again
  ASSERT_EQ(ImportFrom(kLogPath), Result::Completed) << "Cid is new, though before the last remembered line";
  EXPECT_EQ(Games("Cid"), 1);
  Play({"Dan", "Eve", "Fay"});
  ASSERT_EQ(ImportFrom(kLogPath), Result::Completed);
  ExpectOnce({"Ann", "Bob", "Cid", "Dan", "Eve", "Fay"});
  EXPECT_EQ(state_->BlocksAfterMarker, 3);
  Play({"Gus"});
  ASSERT_EQ(ImportFrom(kLogPath), Result::Completed);
  ASSERT_EQ(ImportFrom(kLogPath), Result::LogUnchanged);
  ExpectOnce({"Ann", "Bob", "Cid", "Dan", "Eve", "Fay", "Gus"});
}

// An undone import's blocks are no longer held: the next import counts them
// again, once, in the same run and after a new start.
TEST_F(Keys, AnUndoneImportsBlocksCountAgainOnce) {
  Play(kS1);
  Play({"Ann"});
  ASSERT_EQ(ImportFrom(kLogPath), Result::Completed);
  Play({"Bob", "Cid"});
  ASSERT_EQ(Import(), Result::Completed);
  ASSERT_TRUE(Undo(true).Undone);
  EXPECT_EQ(Games("Bob"), 0);
  ASSERT_EQ(Import(), Result::Completed) << "in the same run";
  ExpectOnce({"Ann", "Bob", "Cid"});
  ASSERT_TRUE(Undo(true).Undone);
  Start();
  ASSERT_EQ(Undo(true).Undone, true) << "back to no import at all";
  EXPECT_EQ(Games("Ann"), 0);
  ASSERT_EQ(ImportFrom(kLogPath), Result::Completed) << "after a new start";
  ExpectOnce({"Ann", "Bob", "Cid"});
}

// Blocks counted before the journal had keys (older lines, or no journal):
// the remembered line decides for them, as before.
TEST_F(Keys, BlocksWithoutAKeyAreLeftToTheRememberedLine) {
  Play(kS1);
  Play({"Ann", "Bob"});
  files_.Write(kSettingsPath, kLogPath + "\r\n" + kS1 + "\r\n2\r\n");  // counted before the journal
  Play({"Cid"});
  ASSERT_EQ(ImportFrom(kLogPath), Result::Completed);
  EXPECT_EQ(Games("Ann"), 0);
  ASSERT_EQ(ImportFrom(kLogPath), Result::LogUnchanged);
  // A C line written before blocks had keys reads with none skipped.
  JournalCommit older;
  std::string line = JournalImportText({}, ReadJournalTail(kJournalPath).Last.value());
  line.erase(line.rfind('\t'));
  ASSERT_TRUE(ParseCommit(line, older)) << line;
  EXPECT_EQ(older.Skipped, 0);
  EXPECT_EQ(older.Marker, kS1);
}

// A journal that is there but cannot be read at start-up (held without
// sharing, not allowed) is no empty journal: no undo, and no commit until it
// can be read, so that no import number is used twice and no earlier
// import's matches are lost.
TEST_F(Store, AJournalThatCannotBeReadAtStartUpIsNoEmptyJournal) {
  Play(kS1);
  Play({"Ann"});
  Start();
  ASSERT_EQ(Import(), Result::Completed);
  const std::string files = Files();
  files_.Hold(kJournalPath, false, false);
  Start();
  EXPECT_FALSE(opened_.JournalRead);
  EXPECT_EQ(opened_.JournalFailure.Path, kJournalPath);
  EXPECT_EQ(opened_.JournalFailure.Fault, platform::FileFault::InUse);
  EXPECT_FALSE(CanUndoImport(*state_));
  const std::string told = JournalUnreadableText(opened_.JournalFailure);
  EXPECT_NE(told.find("отменить импорт нельзя"), std::string::npos) << told;

  // Still unread at the import: nothing is imported, nothing written.
  Play({"Bob"});
  EXPECT_EQ(Import(), Result::Failed);
  EXPECT_EQ(check_.Refused, ImportCheck::Problem::JournalUnreadable);
  EXPECT_EQ(check_.Failure.Path, kJournalPath);
  EXPECT_EQ(Files(), files);
  EXPECT_EQ(Games("Bob"), 0);
  CommitStore(*state_);  // closing
  EXPECT_EQ(Files(), files);
  files_.Release(kJournalPath);

  // Readable again: the next number, every earlier import still in effect.
  EXPECT_EQ(Import(), Result::Completed);
  ASSERT_TRUE(commit_.Saved());
  const JournalTail tail = ReadJournalTail(kJournalPath);
  EXPECT_EQ(tail.Last->Import, 2);
  EXPECT_EQ(tail.Last->InEffectBefore, 1);
  EXPECT_EQ(ReadJournalMatches(kJournalPath).size(), 2u);
  EXPECT_EQ(Read(kJournalPath).find("M\t1\t", 10), std::string::npos) << "number 1 used once";
  Start();
  EXPECT_TRUE(CanUndoImport(*state_));
  Undo(true);
  EXPECT_EQ(Games("Ann"), 1) << "the undo takes back Bob's import alone";
  EXPECT_EQ(Games("Bob"), 0);
}

// Undo checks the journal's lines against the statistics file the import
// found (its digest in the C line): lines deleted, changed or pasted twice
// by hand refuse the undo, which says why and changes nothing.
TEST_F(Store, AnUndoThatWouldNotGiveBackTheFileItsImportFoundIsRefused) {
  const std::vector<std::pair<std::string, std::function<std::string(const std::string&)>>> edits = {
      {"an M line deleted",  // of a player the import did not add
       [](const std::string& journal) {
         const std::size_t line = journal.rfind("M\t2\t");
         return std::string(journal).erase(line, journal.find('\n', line) + 1 - line);
       }},
      {"its numbers changed",
       [](const std::string& journal) {  // Ann's first counter
         const std::size_t number = journal.find("\tAnn\t", journal.find("M\t2\t")) + 5;
         return journal.substr(0, number) + "99" + journal.substr(journal.find('\t', number));
       }},
      {"the file pasted twice", [](const std::string& journal) { return journal + journal; }},
  };
  for (const auto& [what, edit] : edits) {
    SCOPED_TRACE(what);
    files_.Clear();
    Play(kS1);
    Play({"Ann"});
    Start();
    ASSERT_EQ(Import(), Result::Completed);
    Play({"Bob", "Ann"});
    ASSERT_EQ(Import(), Result::Completed);
    files_.Write(kJournalPath, edit(Read(kJournalPath)));
    const std::string files = Files();
    Start();
    ASSERT_TRUE(CanUndoImport(*state_));
    const std::string table = FormatStatsFile(*state_);
    const ImportToUndo undo = ReadImportToUndo(*state_);
    EXPECT_EQ(undo.Refused, ImportToUndo::Problem::ResultDiffers);
    EXPECT_EQ(FormatStatsFile(*state_), table) << "the table as it was";
    const std::string text = UndoRefusedText(undo);
    EXPECT_NE(text.find("Отмена не вернула бы файл статистики"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n" + kJournalPath + "\r\n"), std::string::npos) << text;
    // Called all the same, the undo refuses too.
    const UndoOutcome outcome = UndoImport(*state_, undo);
    EXPECT_FALSE(outcome.Undone);
    EXPECT_EQ(outcome.Failed, UndoOutcome::Problem::TableDisagrees);
    EXPECT_EQ(FormatStatsFile(*state_), table);
    EXPECT_EQ(Files(), files);
  }
}

// A statistics file edited by hand (Notepad's byte-order mark, a number
// changed) keeps the history: the next import's C line finds the imports in
// effect, and only undo past the edit stops.
TEST_F(Store, AStatisticsFileEditedByHandKeepsTheHistory) {
  Play(kS1);
  Play({"Ann"});
  Start();
  ASSERT_EQ(Import(), Result::Completed);
  Play({"Bob"});
  ASSERT_EQ(Import(), Result::Completed);
  for (const bool number_changed : {false, true}) {
    SCOPED_TRACE(number_changed ? "a byte-order mark and a number changed" : "a byte-order mark");
    std::string edited = "\xEF\xBB\xBF" + Read(kStatsPath);
    if (number_changed) {  // Ann's damage given
      const std::size_t number = edited.find("console: Dmggiven: ") + 19;
      edited.replace(number, edited.find("\r\n", number) - number, "777");
    }
    files_.Write(kStatsPath, edited);
    Start();
    EXPECT_FALSE(CanUndoImport(*state_)) << "not before an import after the edit";
    Play({"Cid"});
    ASSERT_EQ(Import(), Result::Completed);
    const JournalTail tail = ReadJournalTail(kJournalPath);
    EXPECT_EQ(tail.Last->InEffectBefore, tail.Last->Import - 1);
    std::set<std::string> names;
    for (const JournalMatch& m : ReadJournalMatches(kJournalPath)) names.insert(m.Name);
    EXPECT_EQ(names, (std::set<std::string>{"Ann", "Bob", "Cid"}));

    // The import after the edit is undone back to the edited file, byte for byte.
    ASSERT_TRUE(CanUndoImport(*state_));
    EXPECT_TRUE(Undo(true).Undone);
    EXPECT_EQ(Read(kStatsPath), edited);
    // The one before: given back only when the edit changed no number.
    ASSERT_TRUE(CanUndoImport(*state_));
    const ImportToUndo undo = ReadImportToUndo(*state_);
    EXPECT_EQ(undo.Refused, number_changed ? ImportToUndo::Problem::ResultDiffers : ImportToUndo::Problem::None);
    if (!number_changed) {
      ASSERT_TRUE(UndoImport(*state_, undo).Undone);
      EXPECT_EQ(Games("Bob"), 0);
      Start();
      ASSERT_EQ(Import(), Result::Completed);  // Bob and Cid again, once each
      EXPECT_EQ(Games("Bob"), 1);
      EXPECT_EQ(Games("Cid"), 1);
    }
  }
}

// A settings file that is there but cannot be read at start-up, with no
// journal: not a first start (that would count the whole log again). No
// import until it can be read, or until the player chooses to start over.
TEST_F(Store, ASettingsFileThatCannotBeReadStopsImportsUntilReadOrStartedOver) {
  Play(kS1);
  Play({"Ann"});
  Start();
  ASSERT_EQ(Import(), Result::Completed);
  files_.Remove(kJournalPath);  // from before the journal
  const std::string files = Files();
  files_.Hold(kSettingsPath, false, false);
  Start();
  EXPECT_FALSE(opened_.SettingsRead);
  EXPECT_EQ(opened_.SettingsFailure.Path, kSettingsPath);
  EXPECT_EQ(opened_.SettingsFailure.Fault, platform::FileFault::InUse);
  Play({"Bob"});
  EXPECT_EQ(Import(), Result::Failed);
  EXPECT_EQ(check_.Refused, ImportCheck::Problem::SettingsUnreadable);
  EXPECT_FALSE(check_.PlaceFromJournal);
  EXPECT_EQ(Games("Bob"), 0);
  CommitStore(*state_);  // closing
  EXPECT_EQ(Files(), files);

  // Readable again: the next import counts Bob alone.
  files_.Release(kSettingsPath);
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(Games("Ann"), 1);
  EXPECT_EQ(Games("Bob"), 1);

  // The player chooses to start over through the handlers: asked first, a
  // No imports nothing, a Yes imports from the place the journal knows or,
  // without a journal, the whole log again, as the question says.
  const std::string journal = Read(kJournalPath);
  for (const bool with_journal : {true, false}) {
    SCOPED_TRACE(with_journal ? "with a journal" : "without one");
    files_.Release(kSettingsPath);
    if (with_journal)
      files_.Write(kJournalPath, journal);
    else
      files_.Remove(kJournalPath);
    files_.Hold(kSettingsPath, false, false);
    auto state = NewForm1State("game");
    testing::RecordingSink sink;
    Form_Load(*state, sink);
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_EQ(sink.messages[0].title, kSettingsUnreadableTitle);
    sink.messages.clear();
    const std::string stats = Read(kStatsPath);
    Command1_Click(*state, sink);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_TRUE(sink.messages[0].asked);
    EXPECT_NE(sink.messages[0].text.find(with_journal ? "из журнала матчей" : "Начать заново?"), std::string::npos)
        << sink.messages[0].text;
    EXPECT_EQ(Read(kStatsPath), stats) << "No: nothing imported";
    sink.answer = true;
    files_.Release(kSettingsPath);
    files_.Hold(kSettingsPath, false, true);  // still unreadable, but a new one can replace it
    Command1_Click(*state, sink);
    const int bob = FindPlayer(state->Table, "Bob");
    EXPECT_EQ(state->Table.GamesPlayed[bob], with_journal ? 1 : 2) << "the whole log again only without the journal";
  }
  files_.Release(kSettingsPath);
}

// A file that was there at start-up and is gone at a save (the game folder
// on a removed disk): nothing is written, everything stays in memory, and
// the next save goes through once the files are back.
TEST_F(Store, AFileThatWentAwayIsNeverMadeAgain) {
  Play(kS1);
  Play({"Ann"});
  Start();
  ASSERT_EQ(Import(), Result::Completed);
  Start();
  const std::map<std::string, std::string> kept = {
      {kStatsPath, Read(kStatsPath)}, {kSettingsPath, Read(kSettingsPath)}, {kJournalPath, Read(kJournalPath)}};
  for (const auto& [path, bytes] : kept) files_.Remove(path);
  Play({"Bob"});
  EXPECT_EQ(Import(), Result::Failed);
  EXPECT_TRUE(commit_.Vanished);
  EXPECT_EQ(commit_.Failed, StoreFile::Journal);
  for (const auto& [path, bytes] : kept) EXPECT_FALSE(files_.Read(path)) << path << " made again";
  EXPECT_FALSE(files_.Exists(InBasekrm("")));
  EXPECT_EQ(Games("Bob"), 1) << "kept in memory";
  const std::string text = FileVanishedText(commit_.Failure.Path, SaveMoment::Import);
  EXPECT_NE(text.find("пропал"), std::string::npos);
  EXPECT_NE(text.find(kJournalPath), std::string::npos);
  // The statistics file alone gone: the same.
  for (const auto& [path, bytes] : kept)
    if (path != kStatsPath) files_.Write(path, bytes);
  EXPECT_EQ(Import(), Result::Failed);
  EXPECT_EQ(commit_.Failed, StoreFile::Stats);
  EXPECT_TRUE(commit_.Vanished);
  EXPECT_FALSE(files_.Read(kStatsPath));
  // Back: saved, each match once.
  files_.Write(kStatsPath, kept.at(kStatsPath));
  EXPECT_EQ(Import(), Result::LogUnchanged);
  EXPECT_TRUE(commit_.Saved());
  Start();
  EXPECT_EQ(Games("Ann"), 1);
  EXPECT_EQ(Games("Bob"), 1);
  EXPECT_EQ(ReadJournalMatches(kJournalPath).size(), 2u);
}

// A statistics file held at start-up is read again before the first import;
// while it cannot be read, nothing is imported, so no save can write a file
// without its totals.
TEST_F(Store, AStatisticsFileHeldAtStartUpIsReadBeforeTheFirstImport) {
  Play(kS1);
  Play({"Ann"});
  Start();
  ASSERT_EQ(Import(), Result::Completed);
  const std::string files = Files();
  files_.Hold(kStatsPath, false, false);
  Start();
  EXPECT_EQ(opened_.Stats, OpenOutcome::StatsFile::Unreadable);
  Play({"Bob"});
  EXPECT_EQ(Import(), Result::Failed);
  EXPECT_EQ(check_.Refused, ImportCheck::Problem::StatsUnreadable);
  EXPECT_EQ(check_.Failure.Path, kStatsPath);
  CommitStore(*state_);  // closing
  EXPECT_EQ(Files(), files);
  files_.Release(kStatsPath);
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(Games("Ann"), 1);
  EXPECT_EQ(Games("Bob"), 1);
  EXPECT_TRUE(commit_.Backup.empty()) << "read whole: nothing to keep aside";
  EXPECT_EQ(ReadJournalTail(kJournalPath).Last->InEffectBefore, 1);
  EXPECT_EQ(ReadJournalMatches(kJournalPath).size(), 2u);
  EXPECT_TRUE(CanUndoImport(*state_));
}

// What a kill before a rename left is removed at start; an undo refused
// because the statistics file changed on disk names the file it wrote
// beside it, with no system error.
TEST_F(Store, LeftoversGoAtStartAndARefusedUndoNamesItsConflictFile) {
  const std::vector<std::string> leftovers = {InBasekrm("Stats.krm.new-123456"), InBasekrm("mSetup.ini.new-7"),
                                              InBasekrm("window.ini.new-42")};
  const std::vector<std::string> others = {InBasekrm("Stats.krm.new-12345x"), InBasekrm("Stats.krm.new-1234567"),
                                           InBasekrm("Stats.krm.bak.new-1")};
  for (const std::string& path : leftovers) files_.Write(path, "cut");
  for (const std::string& path : others) files_.Write(path, "mine");
  Start();
  for (const std::string& path : leftovers) EXPECT_FALSE(files_.Read(path)) << path;
  for (const std::string& path : others) EXPECT_TRUE(files_.Read(path)) << path;

  Play(kS1);
  Play({"Ann"});
  ASSERT_EQ(Import(), Result::Completed);
  Play({"Bob"});
  ASSERT_EQ(Import(), Result::Completed);
  const std::string theirs = testing::StatsFileOf({{.name = "Zed", .kills = 9, .games = 4}});
  files_.Write(kStatsPath, theirs);
  const UndoOutcome outcome = Undo(true);
  EXPECT_FALSE(outcome.Undone);
  EXPECT_EQ(outcome.Failed, UndoOutcome::Problem::StatsChanged);
  ASSERT_NE(outcome.KeptBeside.find("Stats-conflict-"), std::string::npos);
  EXPECT_EQ(Read(kStatsPath), theirs);
  const std::string beside = Read(outcome.KeptBeside);
  EXPECT_NE(beside.find("Ann"), std::string::npos);
  EXPECT_EQ(beside.find("Bob"), std::string::npos) << "as the undo would have left it";
  const std::string text = UndoFailedText(outcome);
  EXPECT_EQ(text.find("ошибка системы"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n" + outcome.KeptBeside), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n" + kStatsPath + "\r\n"), std::string::npos) << text;
}

TEST_F(Store, TheAboutBoxNamesTheVersionAndTheThreeFiles) {
  const std::string text = AboutText(*NewForm1State("game"));
  EXPECT_NE(text.find("версия "), std::string::npos);
  for (const std::string& path : {kStatsPath, kSettingsPath, kJournalPath})
    EXPECT_NE(text.find("\r\n" + platform::AbsolutePath(path)), std::string::npos) << path << " in " << text;
}

}  // namespace
}  // namespace fragtally
