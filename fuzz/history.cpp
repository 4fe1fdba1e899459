#include "history.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "app/commands.h"
#include "files/paths.h"
#include "fuzz_support.h"
#include "blocks.h"

namespace fragtally::fuzz {

using testing::CrLf;
using testing::MatchBlock;

namespace {

// A killed program: not a std::exception, so no handler of the program catches it.
struct Killed {};

// Paths as the program builds them, with the system's separator.
const std::string kSep(1, platform::kPathSeparator);
const std::string kProgram = "game";
const std::string kLog = kProgram + kSep + "basekrm" + kSep + "LOG.txt";

// Window states are large (a megabyte of empty columns); a history starts
// the program many times, so the states are emptied and used again.
std::vector<std::unique_ptr<WindowState>>& SparedStates() {
  static std::vector<std::unique_ptr<WindowState>> spared;
  return spared;
}

std::unique_ptr<WindowState> FreshState() {
  auto& spared = SparedStates();
  if (spared.empty()) return NewForm1State(kProgram);
  std::unique_ptr<WindowState> state = std::move(spared.back());
  spared.pop_back();
  ResetWindowState(*state);
  state->ProgramFolder = kProgram;
  return state;
}

// The program ends: its state goes back for the next start.
void End(std::unique_ptr<WindowState>& state) {
  if (state) SparedStates().push_back(std::move(state));
}

class History {
 public:
  History(const ChoiceSource& choose, HistoryTally& tally) : choose_(choose), tally_(tally) {}

  void Play(int steps) {
    // The program lives in "game" and finds the log there.
    files_->Write(kProgram + kSep + "basekrm" + kSep + "mSetup.ini", kLog + "\r\n\r\n");
    files_->OnWrite = [this](const std::string& path, bool after) { OnWrite(path, after); };
    NewGame(true);
    for (int step = 0; step < steps && !exhausted_; ++step) {
      switch (Pick(10)) {
        case 0:
          NewGame(Pick(2) == 0);
          break;
        case 1: case 2: case 3:
          PlayMatch();
          break;
        case 4: case 5: case 6:
          Import(Pick(3) == 0);
          break;
        case 7:
          Close(Pick(3) == 0);
          break;
        case 8:
          KillIdle();
          break;
        case 9:
          Chatter();
          break;
      }
    }
    // The last import, then closing, and a fresh start reads the totals.
    Import(false);
    Close(false);
    Start();
    Check();
    End(state_);
    files_->OnWrite = nullptr;
    ++tally_.histories;
  }

 private:
  unsigned Pick(unsigned n) { return exhausted_ ? 0 : choose_(n, exhausted_); }

  void AppendToLog(const std::vector<std::string>& lines) { files_->Append(kLog, CrLf(lines)); }

  // The game starts: a new start-up line, on a fresh log or appended. A log
  // is only thrown away once its matches were imported, as a player would.
  void NewGame(bool rewrite) {
    const std::string startup = "--- Fs_startup : game " + std::to_string(++games_);
    story_ += rewrite ? "game starts, new log\n" : "game starts, appending\n";
    if (rewrite && files_->Exists(kLog)) {
      if (!unsafe_.empty()) Import(false);
      files_->Write(kLog, CrLf({startup, "map: krmdm" + std::to_string(games_ % 9)}));
      in_log_.clear();
    } else {
      AppendToLog({startup});
    }
  }

  // One match: a block for a player of this match alone (its games count is
  // how often the match was counted) and one for a regular.
  void PlayMatch() {
    const std::string name = "M" + std::to_string(++matches_);
    std::vector<std::string> lines = {"console: Fraglimit hit."};
    for (const auto& line : MatchBlock(name, 1 + static_cast<int>(Pick(5)))) lines.push_back(line);
    for (const auto& line : MatchBlock("Regular", 1)) lines.push_back(line);
    AppendToLog(lines);
    in_log_.push_back(name);
    unsafe_.insert(name);
    ++tally_.matches;
    story_ += "match " + name + "\n";
  }

  // Console lines that are neither blocks nor start-up lines.
  void Chatter() {
    std::string text = "say: ";
    for (unsigned n = Pick(40); n > 0; --n) {
      char c = static_cast<char>(Pick(256));
      text.push_back(c == '\n' || c == '\r' ? ' ' : c);
    }
    AppendToLog({text});
  }

  void OnWrite(const std::string& path, bool after) {
    if (!after) written_.push_back(path);
    if (after) completed_.push_back(path);
    if (kill_countdown_ < 0) return;
    if (kill_countdown_ == 0 && after == kill_after_) throw Killed{};
    if (after && kill_countdown_ > 0) --kill_countdown_;
  }

  void Start() {
    story_ += "start\n";
    End(state_);
    state_ = FreshState();
    RecordingSink sink;
    Form_Load(*state_, sink);
    FRAGTALLY_CHECK(state_->Table.PlayerCount == 0 || sink.messages.empty(), "a message at start-up");
  }

  // Runs `action` with a kill armed at a random write (or none); false when
  // the program was killed.
  template <class Action>
  bool MaybeKilled(bool kill, Action&& action) {
    written_.clear();
    completed_.clear();
    kill_countdown_ = kill ? static_cast<int>(Pick(4)) : -1;
    kill_after_ = Pick(2) == 1;
    try {
      action();
    } catch (const Killed&) {
      kill_countdown_ = -1;
      ++tally_.kills;
      story_ += "  killed at a write of " + written_.back() + (kill_after_ ? ", after it\n" : ", before it\n");
      // Between the renames: the statistics file is new, the settings are not.
      const auto done = [&](const std::string& path) {
        return std::find(completed_.begin(), completed_.end(), path) != completed_.end();
      };
      if (done(StatsFilePath(*state_)) && !done(SettingsFilePath(*state_))) {
        ++tally_.kills_between_renames;
        for (const std::string& name : in_memory_) ++may_repeat_[name];
      }
      End(state_);
      return false;
    }
    kill_countdown_ = -1;
    return true;
  }

  void Import(bool kill) {
    if (!state_) Start();
    ++tally_.imports;
    story_ += kill ? "import (may be killed)\n" : "import\n";
    in_memory_ = in_log_;
    const bool survived = MaybeKilled(kill, [&] {
      RecordingSink sink;
      Command1_Click(*state_, sink);
      FRAGTALLY_CHECK(sink.messages.empty() || sink.messages[0].title == kLogUnchangedTitle,
                      "import ended with " + (sink.messages.empty() ? "" : sink.messages[0].text));
    });
    if (survived) unsafe_.clear();  // both files on disk hold them now
  }

  void Close(bool kill) {
    if (!state_) return;
    ++tally_.closes;
    story_ += kill ? "close (may be killed)\n" : "close\n";
    in_memory_ = in_log_;
    if (MaybeKilled(kill, [&] {
          RecordingSink sink;
          Form_Unload(*state_, sink);
          FRAGTALLY_CHECK(sink.messages.empty(), "closing could not save");
        }))
      End(state_);
  }

  void KillIdle() {
    if (!state_) return;
    story_ += "killed\n";
    ++tally_.kills;
    End(state_);
  }

  void Check() {
    std::map<std::string, int> counted;
    for (int slot = 1; slot <= state_->Table.PlayerCount; ++slot)
      counted[state_->Table.PlayerName[slot]] = state_->Table.GamesPlayed[slot];
    int regular = 0;
    for (int m = 1; m <= matches_; ++m) {
      const std::string name = "M" + std::to_string(m);
      const int times = counted.count(name) ? counted[name] : 0;
      regular += times;
      // Once, and once more for each kill between the renames of a save that held it.
      const int repeats = may_repeat_.count(name) ? may_repeat_[name] : 0;
      FRAGTALLY_CHECK(times >= 1 && times <= 1 + repeats, name + " of " + std::to_string(matches_) +
                                                              " matches counted " + std::to_string(times) +
                                                              " times; the history:\n" + story_);
      if (times > 1) ++tally_.counted_more_than_once;
    }
    FRAGTALLY_CHECK(counted["Regular"] == regular, "the regular player's games differ from the matches'");
    CheckTableInvariants(*state_);
  }

  const ChoiceSource& choose_;
  HistoryTally& tally_;
  FuzzFiles files_;
  bool exhausted_ = false;
  std::unique_ptr<WindowState> state_;
  int games_ = 0, matches_ = 0;
  int kill_countdown_ = -1;
  bool kill_after_ = false;
  std::vector<std::string> written_;         // the writes the running operation began
  std::vector<std::string> completed_;       // and those it finished
  std::set<std::string> unsafe_;             // matches not yet on disk through a finished import
  std::vector<std::string> in_log_;          // the matches of the log as it is now
  std::vector<std::string> in_memory_;       // what the running operation may have counted
  std::map<std::string, int> may_repeat_;
  std::string story_;  // what happened, for a failure message
};

}  // namespace

void PlayHistory(const ChoiceSource& choose, int steps, HistoryTally& tally) {
  History history(choose, tally);
  history.Play(steps);
}

}  // namespace fragtally::fuzz
