// A shut-down killed at random moments while it writes a statistics file of
// 9999 players: whatever moment the kill comes, the file on disk is either
// the complete old file or the complete new one. An import killed at any of
// its writes (the journal's append, right before either rename, or at a
// random moment) and a restart give the statistics file of one clean import.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "app/main_window/commands.h"
#include "blocks.h"
#include "files/journal.h"
#include "files/paths.h"
#include "files/stats_file.h"
#include "reliability_support.h"
#include "test_support.h"

namespace fragtally {
namespace {

using testing::ReadFile;
using testing::TempDir;

// Starts a child that saves `state` and ends; returns its pid.
pid_t StartSaving(WindowState& state) {
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    try {
      state.StatsOnDisk = {};  // each save stands for a program that found the file as it is
      SaveStatsFile(state);
    } catch (const Error&) {
      ::_exit(1);
    }
    ::_exit(0);
  }
  return pid;
}

struct Round {
  bool exited = false;
  int code = -1;
};

Round KillAfter(pid_t pid, std::chrono::microseconds delay) {
  std::this_thread::sleep_for(delay);
  ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  return {WIFEXITED(status), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// How long one save takes in a child, measured.
std::chrono::microseconds SaveDuration(WindowState& state) {
  auto start = std::chrono::steady_clock::now();
  pid_t pid = StartSaving(state);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "an undisturbed save failed";
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
}

TEST(SaveKilled, FileIsAlwaysTheOldOrTheNewOne) {
  TempDir dir;
  const std::string program = dir.str() + "/game";
  auto first = testing::StateWithPlayers(program, 9999, 1);
  auto second = testing::StateWithPlayers(program, 9999, 2);
  const std::string texts[2] = {FormatStatsFile(*first), FormatStatsFile(*second)};
  ASSERT_NE(texts[0], texts[1]);
  WindowState* states[2] = {first.get(), second.get()};
  const std::string path = StatsFilePath(*first);

  SaveStatsFile(*first);
  // The shortest of three undisturbed saves (the disk cache warm).
  auto duration = SaveDuration(*second);
  for (int i = 0; i < 2; ++i) duration = std::min(duration, SaveDuration(*second));
  int on_disk = 1;
  ASSERT_EQ(ReadFile(path), texts[1]);

  std::mt19937 random(20240101);
  const int kRounds = 120;
  int kept_old = 0, became_new = 0, finished = 0;
  for (int round = 0; round < kRounds; ++round) {
    const int next = 1 - on_disk;
    // Anywhere from before the file is opened to just after the save ends.
    std::uniform_int_distribution<long> when(0, duration.count() * 11 / 10);
    Round r = KillAfter(StartSaving(*states[next]), std::chrono::microseconds(when(random)));
    if (r.exited) {
      ASSERT_EQ(r.code, 0) << "round " << round << ": the save failed";
      ++finished;
    }
    const std::string now = ReadFile(path);
    if (now == texts[on_disk]) {
      ASSERT_FALSE(r.exited) << "round " << round << ": a finished save left the old file";
      ++kept_old;
    } else if (now == texts[next]) {
      ++became_new;
      on_disk = next;
    } else {
      FAIL() << "round " << round << ": the file on disk is neither the old nor the new one (" << now.size()
             << " bytes)";
    }
  }
  // Killed saves may leave their temporary file behind; the statistics file
  // itself is what matters, and a later save is not disturbed by them.
  int others = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
    others += entry.path().filename() != "Stats.krm";
  first->StatsOnDisk = {};  // a program that found the file as the rounds left it
  SaveStatsFile(*first);
  EXPECT_EQ(ReadFile(path), texts[0]);

  std::printf("%d rounds of %lld us saves: %d kept the old file, %d had the new one (%d finished), %d files left beside\n",
              kRounds, static_cast<long long>(duration.count()), kept_old, became_new, finished, others);
  RecordProperty("kept_old", kept_old);
  RecordProperty("became_new", became_new);
  RecordProperty("left_beside", others);
}

// After a load that stopped part-way, the save first keeps the old file under
// a backup name. Killed at any moment, the original bytes are still on disk:
// as the statistics file or as a backup.
TEST(SaveKilled, PartialLoadKeepsTheOriginalSomewhere) {
  TempDir dir;
  const std::string program = dir.str() + "/game";
  auto state = testing::StateWithPlayers(program, 9999, 3);
  const std::string path = StatsFilePath(*state);
  const std::string original = testing::OldStatsText() + "console: Stats for: Bad\r\nconsole: Shotgun:   5\r\n";
  testing::WriteFile(path, original);
  state->KeepOldStatsFile = true;
  const auto duration = SaveDuration(*state);
  const std::string text = FormatStatsFile(*state);

  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
    testing::WriteFile(path, original);
    std::uniform_int_distribution<long> when(0, duration.count() * 6 / 5);
    KillAfter(StartSaving(*state), std::chrono::microseconds(when(random)));
    const std::string now = ReadFile(path);
    ASSERT_TRUE(now == original || now == text) << "round " << round << ": torn statistics file";
    bool original_kept = now == original;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
      if (entry.path().extension() == ".bak") {
        EXPECT_EQ(ReadFile(entry.path()), original) << "round " << round << ": torn backup";
        original_kept = true;
      }
    ASSERT_TRUE(original_kept) << "round " << round << ": the original statistics are gone";
  }
}

// The native files, but the program is killed at its `kill_at`-th write
// (an append to the journal, the statistics file, the settings file), before
// it begins or after it ended, whichever thread writes.
class KilledAtWrite : public platform::FileSystem {
 public:
  KilledAtWrite(int kill_at, bool after) : kill_at_(kill_at), after_(after) {}
  std::unique_ptr<platform::InputFile> OpenForReading(const std::string& path, platform::FileFailure* failure) override {
    return platform::NativeFileSystem().OpenForReading(path, failure);
  }
  bool Exists(const std::string& path) override { return platform::NativeFileSystem().Exists(path); }
  bool ReplaceFile(const std::string& path, std::string_view contents, platform::FileFailure& failure) override {
    return Write([&] { return platform::NativeFileSystem().ReplaceFile(path, contents, failure); });
  }
  bool KeepCopy(const std::string& path, const std::string& copy, platform::FileFailure& failure) override {
    return platform::NativeFileSystem().KeepCopy(path, copy, failure);
  }
  bool AppendToFile(const std::string& path, std::string_view bytes, platform::FileFailure& failure) override {
    return Write([&] { return platform::NativeFileSystem().AppendToFile(path, bytes, failure); });
  }

 private:
  template <class Call>
  bool Write(Call call) {
    const bool now = writes_++ == kill_at_;
    if (now && !after_) ::raise(SIGKILL);
    const bool ok = call();
    if (now) ::raise(SIGKILL);
    return ok;
  }
  int kill_at_;
  bool after_;
  int writes_ = 0;
};

// A game folder whose first log was imported; the log has grown since.
class KilledImport {
 public:
  explicit KilledImport(const std::string& program) : program_(program) {
    const std::string log = program + "/basekrm/LOG.txt";
    testing::WriteFile(program + "/basekrm/mSetup.ini", log + "\r\n");
    std::string first = "--- Fs_startup : Sun Dec 06 20:00:00 2026\r\n";
    for (int match = 0; match < 200; ++match) first += testing::CrLf(testing::MatchBlock("P" + std::to_string(match % 50)));
    testing::WriteFile(log, first);
    Run([](WindowState& state, testing::RecordingSink& sink) { Command1_Click(state, sink); });
    std::string more = "--- Fs_startup : Mon Dec 07 21:15:03 2026\r\n";
    // Enough for two batches of the journal's lines to be appended while
    // the log is read, on the import's helper thread.
    for (int match = 0; match < 20000; ++match)
      more += testing::CrLf(testing::MatchBlock("Q" + std::to_string(match % 700), 1 + match % 5));
    testing::WriteFile(log, first + more);
  }
  // A start of the program and `action`.
  template <class Action>
  void Run(Action&& action) const {
    auto state = NewForm1State(program_);
    testing::RecordingSink sink;
    Form_Load(*state, sink);
    action(*state, sink);
  }
  // The import in a child that uses the file system `files` makes (nullptr:
  // the native one), killed by it or after `delay` (none: waited for).
  Round Import(std::function<platform::FileSystem*()> files,
               std::optional<std::chrono::microseconds> delay = std::nullopt) const {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      platform::FileSystem* killing = files();
      if (killing != nullptr) platform::UseFileSystem(killing);
      Run([](WindowState& state, testing::RecordingSink& sink) { Command1_Click(state, sink); });
      ::_exit(0);
    }
    if (delay) return KillAfter(pid, *delay);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return {WIFEXITED(status), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
  }
  std::string Stats() const { return ReadFile(program_ + "/basekrm/Stats.krm"); }

 private:
  std::string program_;
};

TEST(SaveKilled, AnImportKilledAtAnyWriteAndRestartedCountsEveryMatchOnce) {
  TempDir dir;
  // One clean import, the statistics file it leaves, and how long it takes.
  const KilledImport clean(dir.str() + "/clean");
  const auto start = std::chrono::steady_clock::now();
  const Round done = clean.Import([] { return nullptr; });
  const auto duration = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  ASSERT_TRUE(done.exited && done.code == 0);
  const std::string expected = clean.Stats();
  const std::size_t matches = ReadJournalMatches(dir.str() + "/clean/basekrm/Matches.txt").size();

  std::mt19937 random(2026);
  int round = 0, old_file = 0;
  const auto restart_and_check = [&](const KilledImport& game, const std::string& how) {
    old_file += game.Stats() != expected;
    game.Run([&](WindowState& state, testing::RecordingSink& sink) {
      Command1_Click(state, sink);
      EXPECT_EQ(game.Stats(), expected) << how;
      EXPECT_EQ(ReadJournalMatches(JournalFilePath(state)).size(), matches) << how;
    });
    ++round;
  };
  // At each write: the two batches of journal lines written ahead, the
  // commit's journal append, the statistics file, the settings file.
  for (int write = 0; write < 5; ++write) {
    for (bool after : {false, true}) {
      const KilledImport game(dir.str() + "/at-" + std::to_string(round));
      const Round r = game.Import([&] { return new KilledAtWrite(write, after); });
      ASSERT_FALSE(r.exited) << "not killed at write " << write;
      restart_and_check(game, "killed at write " + std::to_string(write) + (after ? ", after it" : ", before it"));
    }
  }
  // At random moments.
  std::uniform_int_distribution<long> when(0, duration.count() * 11 / 10);
  for (int i = 0; i < 30; ++i) {
    const KilledImport game(dir.str() + "/at-" + std::to_string(round));
    const long delay = when(random);
    game.Import([] { return nullptr; }, std::chrono::microseconds(delay));
    restart_and_check(game, "killed after " + std::to_string(delay) + " us");
  }
  std::printf("%d killed imports of %lld us, %d of them left the old statistics file\n", round,
              static_cast<long long>(duration.count()), old_file);
}

}  // namespace
}  // namespace fragtally
