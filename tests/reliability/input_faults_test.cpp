// Damaged and odd inputs: a log replaced or truncated between two imports, a
// log with NUL bytes, a 100 MB line, lines of carriage returns only, a log
// path that names a folder, and a statistics file with a malformed line in
// the middle. Each ends in the program's own message (or none), and after
// shut-down no player of the original statistics is lost.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/text/messages.h"
#include "files/paths.h"
#include "fuzz_support.h"
#include "reliability_support.h"
#include "test_support.h"
#include "app/main_window/commands.h"

namespace fragtally {
namespace {

using fuzz::ReadSlot;
using fuzz::SlotCounters;
using testing::CrLf;
using testing::ImportResult;
using testing::Lines;
using testing::StatsBlock;
using testing::Totals;
using testing::ReadFile;
using testing::RecordingSink;
using testing::TempDir;
using testing::WriteFile;

const std::string kS0 = "--- Fs_startup : Sun Dec 31 09:00:00 2023";
const std::string kS1 = "--- Fs_startup : Mon Jan 01 10:00:00 2024";
const std::string kS2 = "--- Fs_startup : Tue Jan 02 10:00:00 2024";

const Totals kAnn{.name = "Ann", .gauntlet = 4, .weapons = {{{120, 480}, {1, 8}}}, .kills = 7, .deaths = 9,
                  .suicides = 1, .frags = 6, .games = 2};
const Totals kBob{.name = "Bob", .gauntlet = 1, .damage_given = 300};

// One match of `name` as the game writes it (no games line).
std::vector<std::string> Match(const std::string& name) {
  return StatsBlock(
      Totals{.name = name, .gauntlet = 1, .weapons = {{{0, 0}, {2, 10}}}, .kills = 3, .deaths = 1, .frags = 3, .games = {}});
}

void ExpectOnly(const RecordingSink& sink, MessageIcon icon, const std::string& title, const std::string& text) {
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].icon, icon);
  EXPECT_EQ(sink.messages[0].title, title);
  EXPECT_EQ(sink.messages[0].text, text);
}

// The box's own words, then the full path that was tried on a line of its own.
void ExpectLogNotFound(const RecordingSink& sink) {
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(sink.messages[0].title, kLogNotFoundTitle);
  const std::string words = std::string(kLogNotFoundText) + kContactAddress + "\r\n";
  EXPECT_EQ(sink.messages[0].text.rfind(words, 0), 0u) << sink.messages[0].text;
  EXPECT_GT(sink.messages[0].text.size(), words.size() + 3) << "the path tried";
}

void ExpectLogUnchanged(const RecordingSink& sink) {
  ExpectOnly(sink, MessageIcon::Information, kLogUnchangedTitle, kLogUnchangedText);
}

// Runs a check of the fuzz helpers as a test expectation.
template <class F>
void Checked(F check) {
  try {
    check();
  } catch (const testing::CheckFailed& failed) {
    ADD_FAILURE() << failed.message;
  }
}

class InputFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseThrowingChecks();
    program_ = dir_.path() / "game";
    state_ = testing::StateIn(program_);
    log_path_ = dir_.str() + "/krm/basekrm/LOG.txt";
    testing::WriteStatsFile(*state_, testing::StatsFileOf({kAnn, kBob}));
    WriteFile(SettingsFilePath(*state_), log_path_ + "\r\n" + kS0 + "\r\n");
    RecordingSink sink;
    Form_Load(*state_, sink);
    ASSERT_TRUE(sink.messages.empty());
    ASSERT_EQ(state_->Table.PlayerCount, 2);
  }

  ImportResult Import(RecordingSink& sink) {
    ImportResult outcome = testing::PressImport(*state_, sink);
    Checked([&] { fuzz::CheckTableInvariants(*state_); });
    return outcome;
  }

  // A new log in place of the old one, as when the game starts again.
  void ReplaceLog(const std::string& bytes) {
    WriteFile(log_path_ + ".new", bytes);
    std::filesystem::rename(log_path_ + ".new", log_path_);
  }

  int SlotOf(const std::string& name) const {
    for (int slot = 1; slot <= state_->Table.PlayerCount; ++slot)
      if (state_->Table.PlayerName[slot] == name) return slot;
    return 0;
  }
  std::int32_t Value(const std::string& name, int column) const {
    const int slot = SlotOf(name);
    return slot ? ReadSlot(state_->Table, slot)[column] : -12345;
  }
  std::string SettingsOnDisk() const { return ReadFile(SettingsFilePath(*state_)); }

  // Shut-down, then the next start-up: Ann and Bob are still in slots 1 and
  // 2, and every total reads back as it was in memory.
  void ShutDownAndStartAgain() {
    RecordingSink down;
    Form_Unload(*state_, down);
    ASSERT_TRUE(down.messages.empty()) << down.messages[0].text;
    auto next = NewForm1State(state_->ProgramFolder);
    RecordingSink sink;
    Form_Load(*next, sink);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(next->Table.PlayerName[1], "Ann");
    EXPECT_EQ(next->Table.PlayerName[2], "Bob");
    Checked([&] {
      fuzz::CheckTableInvariants(*next);
      fuzz::CheckReloadedTable(state_->Table, next->Table);
    });
    EXPECT_EQ(next->LogPath, state_->LogPath);
    EXPECT_EQ(next->StartupMarker, state_->StartupMarker);
  }

  TempDir dir_;
  std::filesystem::path program_;
  std::unique_ptr<WindowState> state_;
  std::string log_path_;
};

TEST_F(InputFaults, LogReplacedBetweenImports) {
  ReplaceLog(CrLf(Lines({{kS1, "console: Fraglimit hit."}, Match("Ann")})));
  RecordingSink first;
  EXPECT_EQ(Import(first), ImportResult::Completed);
  EXPECT_TRUE(first.messages.empty());
  EXPECT_EQ(Value("Ann", fuzz::kGauntlet), 5);
  EXPECT_EQ(Value("Ann", fuzz::kGamesPlayed), 3);
  EXPECT_EQ(SettingsOnDisk(), log_path_ + "\r\n" + kS1 + "\r\n1\r\n");

  // The game started again: a new log with a new start-up line.
  ReplaceLog(CrLf(Lines({{kS2}, Match("Cy")})));
  RecordingSink second;
  EXPECT_EQ(Import(second), ImportResult::Completed);
  EXPECT_TRUE(second.messages.empty());
  EXPECT_EQ(SlotOf("Cy"), 3);
  EXPECT_EQ(state_->StartupMarker, kS2);

  // The first log put back: it does not hold the remembered start-up line,
  // but every block of it is counted already by its key.
  ReplaceLog(CrLf(Lines({{kS1, "console: Fraglimit hit."}, Match("Ann")})));
  RecordingSink third;
  EXPECT_EQ(Import(third), ImportResult::LogUnchanged);
  ExpectLogUnchanged(third);
  EXPECT_EQ(Value("Ann", fuzz::kGauntlet), 5);
  EXPECT_EQ(state_->StartupMarker, kS2) << "the settings stay as they were";

  // Pressed again with the same log: refused again.
  RecordingSink fourth;
  EXPECT_EQ(Import(fourth), ImportResult::LogUnchanged);
  ExpectLogUnchanged(fourth);
  EXPECT_EQ(Value("Ann", fuzz::kGauntlet), 5);
  ShutDownAndStartAgain();
}

TEST_F(InputFaults, LogTruncatedBetweenImports) {
  const std::string log = CrLf(Lines({{kS1}, Match("Ann"), Match("Bob")}));
  ReplaceLog(log);
  RecordingSink first;
  EXPECT_EQ(Import(first), ImportResult::Completed);
  EXPECT_EQ(Value("Bob", fuzz::kGamesPlayed), 2);

  // Played on without a restart: only the new match counts.
  WriteFile(log_path_, log + CrLf(Match("Ann")));
  RecordingSink second;
  EXPECT_EQ(Import(second), ImportResult::Completed);
  EXPECT_TRUE(second.messages.empty());
  EXPECT_EQ(Value("Ann", fuzz::kGamesPlayed), 4);
  EXPECT_EQ(Value("Bob", fuzz::kGamesPlayed), 2);

  // Emptied in place (same file, truncated to nothing).
  std::filesystem::resize_file(log_path_, 0);
  RecordingSink third;
  EXPECT_EQ(Import(third), ImportResult::Completed);
  EXPECT_TRUE(third.messages.empty());
  EXPECT_EQ(state_->StartupMarker, kS1);
  EXPECT_EQ(SettingsOnDisk(), log_path_ + "\r\n" + kS1 + "\r\n3\r\n");

  // Cut inside the header: not a header any more, nothing to add.
  WriteFile(log_path_, "console: Stats fo");
  RecordingSink fourth;
  EXPECT_EQ(Import(fourth), ImportResult::Completed);
  EXPECT_TRUE(fourth.messages.empty());

  // Cut in the middle of the kills line: the block is still being written, so
  // nothing of it is added or counted yet, and nothing fails.
  const std::string cut = CrLf(Match("Ann"));
  WriteFile(log_path_, cut.substr(0, cut.find("Deaths") + 3));
  const SlotCounters ann = ReadSlot(state_->Table, 1);
  RecordingSink fifth;
  EXPECT_EQ(Import(fifth), ImportResult::Completed);
  EXPECT_TRUE(fifth.messages.empty());
  EXPECT_EQ(ReadSlot(state_->Table, 1), ann);
  EXPECT_EQ(SettingsOnDisk(), log_path_ + "\r\n" + kS1 + "\r\n3\r\n");
  ShutDownAndStartAgain();
}

TEST_F(InputFaults, LogWithNulBytes) {
  using namespace std::string_literals;
  const std::string marker = "--- Fs_startup : \0Mon\0"s;
  std::string log = CrLf({marker, "\0\0\0"s, "\0console: Stats for: Ann"s, "console: Stats for: A\0B"s,
                          "console: Shotgun:   1\0/8     12%"s,
                          "console: Kills: 2\0     Deaths: 1     Suicides: 0     Frags: 1"s, "console:  "});
  log += std::string(65536, '\0');  // a crash can leave a tail of zeros, without a line end
  ReplaceLog(log);
  RecordingSink sink;
  EXPECT_EQ(Import(sink), ImportResult::Completed);
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(state_->StartupMarker, marker);
  ASSERT_EQ(SlotOf("A\0B"s), 3);
  EXPECT_EQ(Value("A\0B"s, fuzz::kShotgunHits), 1);
  EXPECT_EQ(Value("A\0B"s, fuzz::kShotgunShots), 8);
  EXPECT_EQ(Value("A\0B"s, fuzz::kKills), 2);
  EXPECT_EQ(Value("A\0B"s, fuzz::kDeaths), 1);
  EXPECT_EQ(Value("Ann", fuzz::kGamesPlayed), 2);
  ShutDownAndStartAgain();
}

TEST_F(InputFaults, HundredMegabyteLine) {
  const std::size_t kHuge = 100u << 20;
  {
    // Outside a block: skipped.
    std::string log = kS1 + "\r\n" + std::string(kHuge, 'x') + "\r\n" + CrLf(Match("Ann"));
    ReplaceLog(log);
  }
  RecordingSink first;
  EXPECT_EQ(Import(first), ImportResult::Completed);
  EXPECT_TRUE(first.messages.empty());
  EXPECT_EQ(Value("Ann", fuzz::kGamesPlayed), 3);

  {
    // As the number of a statistics line: too large for a double.
    std::string log = kS2 + "\r\nconsole: Stats for: Ann\r\nconsole: Gauntlet:   " + std::string(kHuge, '9') + "\r\nconsole:  \r\n";
    ReplaceLog(log);
  }
  const std::int32_t gauntlet = Value("Ann", fuzz::kGauntlet);
  RecordingSink second;
  EXPECT_EQ(Import(second), ImportResult::Failed);
  ExpectLogNotFound(second);
  EXPECT_EQ(Value("Ann", fuzz::kGauntlet), gauntlet);
  EXPECT_EQ(Value("Ann", fuzz::kGamesPlayed), 4);

  // A kills line whose fields would start beyond what a position can hold.
  ReplaceLog(CrLf({"console: Stats for: Bob", "console: Kills: " + std::string(40000, '0') + " x", "console:  "}));
  RecordingSink third;
  EXPECT_EQ(Import(third), ImportResult::Failed);
  ExpectLogNotFound(third);
  std::filesystem::remove(log_path_);
  ShutDownAndStartAgain();
}

TEST_F(InputFaults, LinesOfCarriageReturnsOnly) {
  std::string log = "\r\r\r\r\r\n" + kS1 + "\r\n\r\n";
  log += "console: Stats for: Ann\r\n\r\r\r\nconsole: Gauntlet:   1\r\n\r\nconsole:  \r\n";
  log += "console: Stats for: \r\r\r\nconsole: Gauntlet:   2\r\nconsole:  \r\n";
  log += std::string(100000, '\r');  // the last line, without a line end
  ReplaceLog(log);
  RecordingSink sink;
  EXPECT_EQ(Import(sink), ImportResult::Completed);
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(Value("Ann", fuzz::kGauntlet), 5);
  EXPECT_EQ(Value("Ann", fuzz::kGamesPlayed), 3);
  ASSERT_EQ(SlotOf("\r\r"), 3);  // one CR before the LF ends the line, the others belong to the name
  EXPECT_EQ(Value("\r\r", fuzz::kGauntlet), 2);
  EXPECT_EQ(state_->StartupMarker, kS1);
  ShutDownAndStartAgain();
}

TEST_F(InputFaults, LogPathIsAFolder) {
  std::filesystem::create_directories(log_path_);
  const std::string settings = SettingsOnDisk();
  const TraceText trace = state_->Trace;
  for (const std::string& path : {log_path_, log_path_ + "/", dir_.str()}) {
    state_->LogPath = path;
    RecordingSink sink;
    EXPECT_EQ(Import(sink), ImportResult::Failed);
    ExpectLogNotFound(sink);
    EXPECT_EQ(state_->StartupMarker, kS0);
    EXPECT_EQ(state_->Table.PlayerCount, 2);
    EXPECT_EQ(state_->Trace, trace);
    EXPECT_EQ(SettingsOnDisk(), settings);
  }
  ShutDownAndStartAgain();
}

TEST(StatsFileFaults, MalformedLineInTheMiddle) {
  testing::UseThrowingChecks();
  TempDir dir;
  auto state = testing::StateIn(dir.path());
  const std::vector<std::string> bad = {"console: Stats for: Bob", "console: Gauntlet:   1", "console: Shotgun:   5",
                                        "console: games played: 1", "console:  "};
  const std::string original = CrLf(Lines({StatsBlock(kAnn), bad, Match("Cy")}));
  testing::WriteStatsFile(*state, original);

  RecordingSink sink;
  Form_Load(*state, sink);
  ExpectOnly(sink, MessageIcon::Error, kStatsNotFoundTitle, std::string(kStatsNotFoundText) + kContactAddress);
  // What was read before the bad line stays, selectors list it, none selected.
  ASSERT_EQ(state->Table.PlayerCount, 2);
  EXPECT_EQ(state->Table.Gauntlet[2], 1);
  EXPECT_EQ(testing::PlayerNames(state->Table), (std::vector<std::string>{"Ann", "Bob"}));
  EXPECT_EQ(state->Combo1.ListIndex, -1);
  EXPECT_EQ(state->Combo2.ListIndex, -1);
  Checked([&] { fuzz::CheckTableInvariants(*state); });

  // Shut-down keeps the original bytes under a backup name beside the new
  // file, and tells the player that name.
  RecordingSink down;
  Form_Unload(*state, down);
  const std::string basekrm = dir.str() + "/basekrm";
  ASSERT_EQ(testing::Listing(basekrm).find(".bak\n"), testing::Listing(basekrm).rfind(".bak\n")) << "one backup";
  std::string backup;
  for (const auto& entry : std::filesystem::directory_iterator(basekrm))
    if (entry.path().extension() == ".bak") backup = entry.path().string();
  ASSERT_FALSE(backup.empty());
  ASSERT_EQ(down.messages.size(), 1u);
  EXPECT_EQ(down.messages[0].icon, MessageIcon::Information);
  EXPECT_EQ(down.messages[0].title, kStatsBackupTitle);
  EXPECT_NE(down.messages[0].text.find(std::filesystem::path(backup).filename().string() + "\r\n"), std::string::npos)
      << down.messages[0].text;
  EXPECT_EQ(ReadFile(backup), original);

  auto next = NewForm1State(state->ProgramFolder);
  RecordingSink again;
  Form_Load(*next, again);
  EXPECT_TRUE(again.messages.empty());
  Checked([&] { fuzz::CheckReloadedTable(state->Table, next->Table); });

  // A second shut-down, now after a complete load, makes no further backup.
  const std::string listing = testing::Listing(basekrm);
  RecordingSink second;
  Form_Unload(*next, second);
  EXPECT_TRUE(second.messages.empty());
  EXPECT_EQ(testing::Listing(basekrm), listing);
  EXPECT_EQ(ReadFile(backup), original);
}

}  // namespace
}  // namespace fragtally
