#include "history.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "app/main_window/commands.h"
#include "files/file_digest.h"
#include "files/journal.h"
#include "files/paths.h"
#include "files/stats_file.h"
#include "files/store.h"
#include "import/log_import.h"
#include "fuzz_support.h"
#include "blocks.h"

namespace fragtally::fuzz {

using testing::CrLf;
using testing::Lines;
using testing::MatchBlock;

namespace {

// A killed program: not a std::exception, so no handler of the program catches it.
struct Killed {};

// Paths as the program builds them, with the system's separator.
const std::string kSep(1, platform::kPathSeparator);
const std::string kProgram = "game";
const std::string kLog = kProgram + kSep + "basekrm" + kSep + "LOG.txt";
// A second game folder the program is used from as well (another shortcut's "Start in").
const std::string kOtherLog = "other" + kSep + "basekrm" + kSep + "LOG.txt";

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
  state->ProgramFolder = kProgram;
  return state;
}

// The program ends: its state is emptied at once (so that an input leaves
// nothing of its own behind) and goes back for the next start.
void End(std::unique_ptr<WindowState>& state) {
  if (!state) return;
  ResetWindowState(*state);
  SparedStates().push_back(std::move(state));
}

// What the game writes for one match of `name` with `kills` kills (1 to 5):
// the fraglimit line, the match's block and a block for the regular player.
// Only the name changes between matches, so the text around it is built once
// for each number of kills, with a stand-in name that is then cut out.
void AppendMatchText(std::string& text, const std::string& name, int kills) {
  static const std::vector<std::pair<std::string, std::string>> kAroundName = [] {
    const std::string stand_in = "\x01";
    std::vector<std::pair<std::string, std::string>> around(6);
    for (std::size_t k = 1; k < around.size(); ++k) {
      const std::string whole = CrLf(Lines({{"console: Fraglimit hit."},
                                            MatchBlock(stand_in, static_cast<int>(k)),
                                            MatchBlock("Regular", 1)}));
      const std::size_t at = whole.find(stand_in);
      around[k] = {whole.substr(0, at), whole.substr(at + stand_in.size())};
    }
    return around;
  }();
  const auto& [before, after] = kAroundName[static_cast<std::size_t>(kills)];
  text += before;
  text += name;
  text += after;
}

class History {
 public:
  History(const ChoiceSource& choose, HistoryTally& tally) : choose_(choose), tally_(tally) { story_.reserve(4096); }

  void Play(int steps) {
    // The program lives in "game" and finds the log there.
    files_->Write(kProgram + kSep + "basekrm" + kSep + "mSetup.ini", kLog + "\r\n\r\n");
    files_->OnWrite = [this](const std::string& path, bool after) { OnWrite(path, after); };
    NewGame(true);
    for (int step = 0; step < steps && !exhausted_; ++step) {
      switch (Pick(15)) {
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
        case 10:
          Undo(Pick(3) == 0);
          break;
        case 11:
          CopyOrPutBackTheLog();
          break;
        case 12:
          SwitchFolder(Pick(3) == 0);
          break;
        case 13:
          StartWithAFileHeld();
          break;
        case 14:
          EditByHand();
          break;
      }
    }
    // The game finishes what it was writing; the last import from each game
    // folder, then closing, and a fresh start reads the totals.
    FinishWriting();
    Import(false, false);
    Close(false, false);
    if (files_->Exists(folders_[1 - here_].log)) {
      here_ = 1 - here_;
      Import(false, false);
      Close(false, false);
    }
    Start();
    Check();
    End(state_);
    ++tally_.histories;
  }

 private:
  unsigned Pick(unsigned n) { return exhausted_ ? 0 : choose_(n, exhausted_); }

  // The game writes a match's text in one go or in two: then an import may
  // come while a block is still being written, cut between two lines or in
  // the middle of one. The rest comes before anything else the game writes.
  void AppendToLog(const std::string& text) {
    FinishWriting();
    std::size_t cut = text.size();
    switch (Pick(6)) {
      case 0:  // in the middle of a line
        cut = Pick(static_cast<unsigned>(text.size()));
        break;
      case 1: {  // between two lines
        cut = text.find('\n', Pick(static_cast<unsigned>(text.size())));
        cut = cut == std::string::npos ? text.size() : cut + 1;
        break;
      }
      default:
        break;
    }
    files_->Append(Here().log, std::string_view(text).substr(0, cut));
    unwritten_.assign(text, cut);
    if (!unwritten_.empty()) story_ += "  the game is still writing (" + std::to_string(unwritten_.size()) + " bytes to go)\n";
  }
  void FinishWriting() {
    if (unwritten_.empty()) return;
    files_->Append(Here().log, unwritten_);
    unwritten_.clear();
  }

  // Another program (an editor, a virus scanner, a sync tool) holds a file
  // while the program saves or reads it; the file is let go afterwards.
  // Returns the file held, empty for none.
  std::string HoldAFile(bool log_too) {
    switch (Pick(9)) {
      case 0: files_->Hold(stats_path_, false, false); return stats_path_;
      case 1: files_->Hold(stats_path_, true, false); return stats_path_;
      case 2: files_->Hold(settings_path_, true, false); return settings_path_;
      case 4:
        if (journal_path_.empty()) return {};
        files_->Hold(journal_path_, true, false);
        return journal_path_;
      case 3:
        if (!log_too) return {};
        files_->Hold(Here().log, false, false);
        return Here().log;
      default: return {};
    }
  }

  // The game starts: a new start-up line, on a fresh log or appended. A log
  // is only thrown away once its matches were imported, as a player would.
  void NewGame(bool rewrite) {
    const std::string startup = "--- Fs_startup : game " + std::to_string(++games_);
    GameFolder& here = Here();
    if (rewrite) here.sessions.clear();
    here.sessions.emplace_back("game " + std::to_string(games_), 0);
    story_ += rewrite ? "game starts, new log\n" : "game starts, appending\n";
    if (rewrite && files_->Exists(here.log)) {
      FinishWriting();
      if (here.unsafe) Import(false, false);
      files_->Write(here.log, CrLf({startup, "map: krmdm" + std::to_string(games_ % 9)}));
    } else {
      AppendToLog(startup + "\r\n");
    }
  }

  // One match: a block for a player of this match alone (its games count is
  // how often the match was counted) and one for a regular.
  void PlayMatch() {
    const std::string name = MatchName(++matches_);
    text_.clear();
    AppendMatchText(text_, name, 1 + static_cast<int>(Pick(5)));
    AppendToLog(text_);
    Here().sessions.back().second += 2;
    ++Here().unsafe;
    ++tally_.matches;
    story_ += "match " + name + "\n";
  }

  static std::string MatchName(int match) { return "M" + std::to_string(match); }

  // Console lines that are neither blocks nor start-up lines.
  void Chatter() {
    text_ = "say: ";
    for (unsigned n = Pick(40); n > 0; --n) {
      char c = static_cast<char>(Pick(256));
      text_.push_back(c == '\n' || c == '\r' ? ' ' : c);
    }
    text_ += "\r\n";
    AppendToLog(text_);
  }

  void OnWrite(const std::string& path, bool after) {
    if (!after) last_written_ = path;
    if (after && path == stats_path_) stats_written_ = true;
    if (after && path == settings_path_) settings_written_ = true;
    if (kill_countdown_ < 0) return;
    if (kill_countdown_ == 0 && !after && tear_ && path == journal_path_) {
      tear_now_ = true;  // the append is cut part-way instead
      return;
    }
    if (kill_countdown_ == 0 && after == kill_after_) throw Killed{};
    if (after && kill_countdown_ > 0) --kill_countdown_;
  }

  void Start() {
    story_ += "start\n";
    End(state_);
    state_ = FreshState();
    if (stats_path_.empty()) {
      stats_path_ = StatsFilePath(*state_);
      settings_path_ = SettingsFilePath(*state_);
      journal_path_ = JournalFilePath(*state_);
    }
    const OpenOutcome opened = OpenStore(*state_);
    state_->LogPath = Here().log;  // the settings' log path, from the folder the program was started in
    FRAGTALLY_CHECK(state_->Table.PlayerCount == 0 || opened.Stats == OpenOutcome::StatsFile::Loaded,
                    "the statistics file not read at start-up");
  }

  // Runs `action` with a kill armed at a random write (or none), or an
  // append to the journal cut part-way; false when the program was killed.
  template <class Action>
  bool MaybeKilled(bool kill, Action&& action) {
    stats_written_ = settings_written_ = false;
    kill_countdown_ = kill ? static_cast<int>(Pick(4)) : -1;
    kill_after_ = Pick(2) == 1;
    tear_ = kill && !kill_after_ && Pick(3) == 0;
    tear_now_ = false;
    files_->TearAppend = [this](const std::string&, std::size_t size) -> std::size_t {
      return tear_now_ ? Pick(static_cast<unsigned>(size)) : size;
    };
    bool survived = true;
    try {
      action();
    } catch (const Killed&) {
      survived = false;
    } catch (const testing::TornAppend&) {
      survived = false;
      ++tally_.torn_appends;
    }
    kill_countdown_ = -1;
    files_->TearAppend = nullptr;
    if (survived) return true;
    ++tally_.kills;
    story_ += "  killed at a write of " + last_written_ + (tear_now_ ? ", part-way through it\n" : kill_after_ ? ", after it\n" : ", before it\n");
    // Between the renames: the statistics file is new, the settings are not.
    if (stats_written_ && !settings_written_) ++tally_.kills_between_renames;
    End(state_);
    return false;
  }

  void Import(bool kill, bool may_hold = true, const std::string& held_since_start = {}) {
    if (!state_) Start();
    ++tally_.imports;
    story_ += kill ? "import (may be killed)\n" : "import\n";
    if (!unwritten_.empty()) ++tally_.imports_while_writing;
    const std::string held = !held_since_start.empty() ? held_since_start : may_hold ? HoldAFile(true) : std::string();
    if (!held.empty()) ++tally_.files_held;
    if (!held.empty()) story_ += "  " + held + " is held by another program\n";
    bool saved = true;
    const bool survived = MaybeKilled(kill, [&] {
      // As the import button does it: the log into the store, then a commit
      // of what it added (or of what an earlier press could not save).
      ImportOutcome outcome = ImportOutcome::Completed;
      // A statistics or settings file that could not be read at start-up is
      // read again first; while it cannot be, nothing is imported.
      const ImportCheck check = CheckBeforeImport(*state_);
      if (check.Refused != ImportCheck::Problem::None) {
        saved = SavedOrTold(&check.Failure, held);
        return;
      }
      // Settings read only now give the same log path as at a start: the
      // saved one is relative to the folder the program was started in.
      state_->LogPath = Here().log;
      // Every other import has its log read ahead by a helper thread, a few
      // bytes at a time (the keys it takes meet those taken in place).
      struct ReadAhead {
        explicit ReadAhead(long imports) { SetLogReadAhead(imports % 2 == 0 ? 1 + imports % 37 : kLogReadAhead); }
        ~ReadAhead() { SetLogReadAhead(kLogReadAhead); }
      } read_ahead(tally_.imports);
      try {
        ImportIntoStore(*state_, [&](ImportedBlocks& read, ImportWatcher& watcher, const CountedBlocks& counted) {
          outcome = ImportLog(*state_, read, kTailSearched, &watcher, &counted);
        });
      } catch (const std::exception& error) {
        const platform::FileFailure failure = FailureOf(error, platform::NativePath(state_->LogPath));
        saved = SavedOrTold(&failure, held);
        return;
      }
      if (outcome == ImportOutcome::LogUnchanged && !state_->SavePending) return;
      const CommitOutcome commit = CommitStore(*state_);
      saved = SavedOrTold(commit, held);
    });
    files_->Release(held);
    // Both files on disk hold them now, but for what the game was still writing.
    if (survived && saved && unwritten_.empty()) Here().unsafe = 0;
  }

  // Whether the saves went through: with no file held, an import or closing
  // fails nowhere; with one held, what failed is that file.
  bool SavedOrTold(const platform::FileFailure* failed, const std::string& held) {
    if (failed == nullptr) return true;
    FRAGTALLY_CHECK(!held.empty(), "failed at " + failed->Path + " with no file held; the history:\n" + story_);
    const bool named = held == Here().log ? platform::AbsolutePath(failed->Path) == platform::AbsolutePath(held)
                                    : failed->Path == held;
    FRAGTALLY_CHECK(named, "the failure names " + failed->Path + ", not the held file " + held);
    if (held == settings_path_) ++tally_.settings_held_after_statistics;
    return false;
  }
  bool SavedOrTold(const CommitOutcome& commit, const std::string& held) {
    FRAGTALLY_CHECK(commit.Backup.empty(), "a backup of the statistics file: " + commit.Backup);
    FRAGTALLY_CHECK(!commit.ChangedOnDisk, "the statistics file changed on disk; the history:\n" + story_);
    return SavedOrTold(commit.Saved() ? nullptr : &commit.Failure, held);
  }

  // The player undoes the last import (or answers No). Only an import whose
  // matches are all still in the log is undone, as a player would: the next
  // import then counts them again.
  void Undo(bool kill) {
    if (!state_) Start();
    if (!CanUndoImport(*state_)) return;
    const std::int64_t last = state_->Journal.InEffect;
    if (!AllSessionsInLog(last)) return;
    ++tally_.undos;
    const bool yes = Pick(4) != 0;
    story_ += std::string(yes ? "undo of import " : "undo answered No, import ") + std::to_string(last) +
              (kill ? " (may be killed)\n" : "\n");
    const std::string held = HoldAFile(false);
    if (!held.empty()) story_ += "  " + held + " is held by another program\n";
    const bool survived = MaybeKilled(kill, [&] {
      const ImportToUndo undo = ReadImportToUndo(*state_);
      // Only a statistics file edited by hand since the import refuses it.
      FRAGTALLY_CHECK(undo.Refused == ImportToUndo::Problem::None ||
                          (undo.Refused == ImportToUndo::Problem::ResultDiffers && stats_edited_),
                      "the journal gives no import to undo; the history:\n" + story_);
      if (!yes || undo.Refused != ImportToUndo::Problem::None) return;
      const UndoOutcome outcome = UndoImport(*state_, undo);
      if (outcome.Undone) ExpectGivenBack(undo);
      if (held.empty())
        FRAGTALLY_CHECK(outcome.Failed == UndoOutcome::Problem::None,
                        "the undo failed at " + outcome.Failure.Path + "; the history:\n" + story_);
      if (outcome.Failed != UndoOutcome::Problem::None)
        FRAGTALLY_CHECK(outcome.Failure.Path == held,
                        "the failure names " + outcome.Failure.Path + ", not the held file " + held);
    });
    files_->Release(held);
    // The undone matches are back in the log's keeping: a new log waits for an import.
    if (yes || !survived) Here().unsafe = std::max(Here().unsafe, 1);
  }

  // No undo leaves the statistics file other than its import found it.
  void ExpectGivenBack(const ImportToUndo& undo) {
    const std::optional<std::string> stats = files_->Read(stats_path_);
    const std::optional<std::uint64_t>& before = undo.Import.Commit.DigestBefore;
    FRAGTALLY_CHECK(before ? stats && DigestOf(*stats) == *before : !stats || stats->empty(),
                    "the undo of import " + std::to_string(undo.Import.Commit.Import) +
                        " left a statistics file other than it found; the history:\n" + story_);
  }

  // The program starts while another program holds the journal or the
  // settings file without sharing it; it lets go at once, or after the
  // next import (which then cannot commit, or is not done).
  void StartWithAFileHeld() {
    if (journal_path_.empty()) return;
    const std::string held = Pick(2) == 0 ? journal_path_ : settings_path_;
    story_ += "start while " + held + " is held\n";
    files_->Hold(held, false, false);
    Start();
    if (Pick(2) == 0) Import(false, false, held);
    files_->Release(held);
  }

  // The player edits the files with the program closed: a byte-order mark
  // before the statistics or the settings, a number changed in the
  // statistics file (one the checks do not count: a match player's damage),
  // or, before an undo, the last import's journal lines (deleted, changed,
  // the whole file pasted twice), put back as they were unless the undo
  // takes them.
  void EditByHand() {
    if (stats_path_.empty()) return;
    Close(false, false);
    const std::string bom = "\xEF\xBB\xBF";
    switch (Pick(4)) {
      case 0: {
        const std::optional<std::string> stats = files_->Read(stats_path_);
        if (!stats || stats->empty() || stats->starts_with(bom)) return;
        files_->Write(stats_path_, bom + *stats);
        story_ += "a byte-order mark added to the statistics file\n";
        return;
      }
      case 1: {
        // After a run that closed normally (the settings with the statistics).
        Start();
        Close(false, false);
        std::string stats = files_->Read(stats_path_).value_or("");
        const std::size_t player = stats.find("Stats for: M");
        const std::size_t number = player == std::string::npos ? player : stats.find("Dmggiven: ", player);
        if (number == std::string::npos) return;
        stats.insert(number + 10, "1");
        files_->Write(stats_path_, stats);
        stats_edited_ = true;
        story_ += "a number changed in the statistics file\n";
        return;
      }
      case 2: {
        const std::optional<std::string> settings = files_->Read(settings_path_);
        if (!settings || settings->starts_with(bom)) return;
        files_->Write(settings_path_, bom + *settings);
        story_ += "a byte-order mark added to the settings file\n";
        return;
      }
      default: EditJournalThenUndo(); return;
    }
  }

  void EditJournalThenUndo() {
    Start();
    if (!CanUndoImport(*state_) || !AllSessionsInLog(state_->Journal.InEffect)) return;
    const std::string journal = files_->Read(journal_path_).value_or("");
    const std::string prefix = "\nM\t" + std::to_string(state_->Journal.InEffect) + "\t";
    const std::size_t line = journal.find(prefix);  // not the journal's very first line
    const unsigned how = Pick(3);
    std::string edited = journal;
    if (how == 2) {
      edited += journal;
    } else {
      if (line == std::string::npos) return;
      const std::size_t end = journal.find('\n', line + 1);
      if (how == 0) {
        edited.erase(line + 1, end - line);
      } else {
        const std::size_t counters = journal.find('\t', journal.find('\t', journal.find('\t', journal.find('\t', line + 3) + 1) + 1) + 1);
        edited.insert(counters + 1, "1");
      }
    }
    story_ += std::string("the last import's journal lines edited (") +
              (how == 0 ? "one deleted" : how == 1 ? "a number changed" : "the file pasted twice") + "), then undo\n";
    files_->Write(journal_path_, edited);
    const std::string stats = files_->Read(stats_path_).value_or("");
    const std::string table = FormatStatsFile(*state_);
    const ImportToUndo undo = ReadImportToUndo(*state_);
    FRAGTALLY_CHECK(FormatStatsFile(*state_) == table, "reading the undo changed the table; the history:\n" + story_);
    ++tally_.undos;
    if (undo.Refused == ImportToUndo::Problem::None && how != 2) {
      const UndoOutcome outcome = UndoImport(*state_, undo);
      FRAGTALLY_CHECK(outcome.Undone, "the undo failed at " + outcome.Failure.Path + "; the history:\n" + story_);
      ExpectGivenBack(undo);
      Here().unsafe = std::max(Here().unsafe, 1);
      return;
    }
    FRAGTALLY_CHECK(files_->Read(stats_path_).value_or("") == stats, "a refused undo changed the statistics file");
    files_->Write(journal_path_, journal);  // the player puts the lines back
  }

  // Whether every block of import `number` is still in the log: its game
  // session is, at least as far as the block's place (a log put back from a
  // copy may hold a session only in part). Its M lines, wherever they
  // stand, but for a line that a crash
  // cut short (closed with kJournalLineCut, or not closed yet), which no
  // reading of the journal takes. A look at the lines' first fields instead
  // of reading the whole journal on every undo; the sessions the game writes
  // ("game N") need no escaping.
  bool AllSessionsInLog(std::int64_t number) {
    const std::string_view journal = files_->View(journal_path_);
    const std::string prefix = "M\t" + std::to_string(number) + "\t";
    const std::string_view cut = kJournalLineCut;
    for (std::size_t at = 0; at < journal.size();) {
      const std::size_t end = journal.find('\n', at);
      if (end == std::string_view::npos) break;
      const std::string_view line = journal.substr(at, end + 1 - at);
      at = end + 1;
      if (line.compare(0, prefix.size(), prefix) != 0 || line.ends_with(cut)) continue;
      const std::string_view fields = line.substr(prefix.size());
      const std::size_t tab = fields.find('\t');
      const std::string_view session = fields.substr(0, tab);
      const int position = std::atoi(std::string(fields.substr(tab + 1, fields.find('\t', tab + 1) - tab - 1)).c_str());
      const auto& sessions = Here().sessions;
      const auto it = std::find_if(sessions.begin(), sessions.end(), [&](const auto& s) { return s.first == session; });
      if (it == sessions.end() || position > it->second) return false;
    }
    return true;
  }

  void Close(bool kill, bool may_hold = true) {
    if (!state_) return;
    ++tally_.closes;
    story_ += kill ? "close (may be killed)\n" : "close\n";
    const std::string held = may_hold ? HoldAFile(false) : std::string();
    if (!held.empty()) ++tally_.files_held;
    if (!held.empty()) story_ += "  " + held + " is held by another program\n";
    const bool survived = MaybeKilled(kill, [&] { SavedOrTold(CommitStore(*state_), held); });
    files_->Release(held);
    if (survived) End(state_);
  }

  // The player keeps a copy of the log, or puts an earlier copy back (only
  // once every match of the log is imported, as a player would throw a log
  // away); the game then starts again on it.
  void CopyOrPutBackTheLog() {
    GameFolder& here = Here();
    if (!files_->Exists(here.log)) return;
    FinishWriting();
    if (here.copies.empty() || Pick(2) == 0) {
      here.copies.push_back({std::string(files_->View(here.log)), here.sessions});
      story_ += "a copy of the log is kept\n";
      return;
    }
    if (here.unsafe > 0) return;
    const GameFolder::Copy& copy = here.copies[Pick(static_cast<unsigned>(here.copies.size()))];
    files_->Write(here.log, copy.text);
    here.sessions = copy.sessions;
    story_ += "an earlier copy of the log is put back\n";
    ++tally_.logs_put_back;
    NewGame(false);
  }

  // The player closes the program (or it is killed) and starts it from the
  // other game folder, where the game is played from now on.
  void SwitchFolder(bool kill) {
    FinishWriting();
    Close(kill);
    End(state_);
    here_ = 1 - here_;
    ++tally_.folder_switches;
    story_ += "the program is started from game folder " + std::to_string(here_) + "\n";
    if (!files_->Exists(Here().log)) NewGame(true);
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
    for (int m = 1; m <= matches_; ++m) {
      const std::string name = MatchName(m);
      const int times = counted.count(name) ? counted[name] : 0;
      FRAGTALLY_CHECK(times == 1, name + " of " + std::to_string(matches_) + " matches counted " +
                                      std::to_string(times) + " times; the history:\n" + story_);
    }
    FRAGTALLY_CHECK(counted["Regular"] == matches_, "the regular player's games (" +
                                                        std::to_string(counted["Regular"]) + ") for " +
                                                        std::to_string(matches_) + " matches; the history:\n" + story_);
    // Each of the regular player's blocks is the same: every total is as many
    // times one block's as there were matches, undos or not.
    if (matches_ > 0) {
      const int slot = FindPlayer(state_->Table, "Regular");
      static std::optional<SlotCounters> one_block;
      SlotCounters per_match{};
      const SlotCounters totals = ReadSlot(state_->Table, slot);
      for (int i = 0; i < kColumnCount; ++i) {
        FRAGTALLY_CHECK(totals[i] % matches_ == 0, "the regular player's totals " + DescribeSlot(totals) +
                                                        " are not those of equal matches; the history:\n" + story_);
        per_match[i] = totals[i] / matches_;
      }
      if (!one_block) one_block = per_match;
      FRAGTALLY_CHECK(per_match == *one_block, "the regular player's totals " + DescribeSlot(totals) +
                                                   " differ from equal matches; the history:\n" + story_);
    }
    // The journal agrees: the imports in effect hold every match once (the
    // regular player's block once per match), read as the export reads it.
    std::map<std::string, int> journaled;
    for (const JournalMatch& match : ReadJournalMatches(journal_path_)) ++journaled[match.Name];
    for (int m = 1; m <= matches_; ++m) {
      const auto it = journaled.find(MatchName(m));
      const int times = it == journaled.end() ? 0 : it->second;
      FRAGTALLY_CHECK(times == 1, "the journal holds " + MatchName(m) + " " + std::to_string(times) +
                                      " times; the history:\n" + story_);
    }
    FRAGTALLY_CHECK(journaled["Regular"] == matches_, "the journal holds " + std::to_string(journaled["Regular"]) +
                                                         " blocks of the regular player for " +
                                                         std::to_string(matches_) + " matches; the history:\n" + story_);
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
  bool stats_edited_ = false;  // a number in the statistics file changed by hand: older undos may be refused
  bool tear_ = false, tear_now_ = false;  // the kill cuts the journal's append part-way (armed, and now)
  std::string stats_path_, settings_path_, journal_path_;    // where the program saves, known from its first start
  std::string last_written_;                 // the last write the running operation began
  bool stats_written_ = false, settings_written_ = false;  // and whether it finished these
  // A game folder: its log, the log's game sessions (as the journal names
  // them) with how many blocks the game wrote in each, the matches not yet
  // on disk through a finished import, and the copies the player kept.
  struct GameFolder {
    std::string log;
    std::vector<std::pair<std::string, int>> sessions;
    int unsafe = 0;
    struct Copy {
      std::string text;
      std::vector<std::pair<std::string, int>> sessions;
    };
    std::vector<Copy> copies;
  };
  GameFolder folders_[2] = {{kLog, {}, 0, {}}, {kOtherLog, {}, 0, {}}};
  int here_ = 0;  // the folder the program is started from, and the game played in
  GameFolder& Here() { return folders_[here_]; }
  std::string text_;                 // what the game writes next
  std::string unwritten_;            // the rest of what the game is writing
  std::string story_;                // what happened, for a failure message
};

}  // namespace

void PlayHistory(const ChoiceSource& choose, int steps, HistoryTally& tally) {
  History history(choose, tally);
  history.Play(steps);
}

}  // namespace fragtally::fuzz
