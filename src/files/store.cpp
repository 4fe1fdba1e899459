#include "files/store.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "files/block_keys.h"
#include "files/file_digest.h"
#include "files/journal_format.h"
#include "files/journal_writer.h"
#include "files/line_reader.h"
#include "files/paths.h"
#include "files/settings_file.h"
#include "files/stats_file.h"
#include "stats/error.h"

namespace fragtally {

namespace {

// Whether the table or the marker holds what the journal's last commit does not.
bool Uncommitted(const FileState& state) {
  const JournalState& journal = state.Journal;
  return !journal.Pending.empty() || state.StartupMarker != journal.CommittedMarker ||
         state.BlocksAfterMarker != journal.CommittedCount;
}

// The statistics file on disk as this program knows it (nullopt: none).
std::optional<std::uint64_t> KnownStatsDigest(const FileState& state) {
  if (!state.StatsOnDisk.Known || !state.StatsOnDisk.Exists) return std::nullopt;
  return state.StatsOnDisk.Digest;
}

// The journal is where `line` left it: the statistics file holds it, and the
// marker is saved with the settings next.
void Committed(FileState& state, const JournalCommit& line) {
  JournalState& journal = state.Journal;
  journal.CommittedMarker = line.Marker;
  journal.CommittedCount = line.Count;
  journal.CommittedPlayers = static_cast<std::int16_t>(line.PlayersAfter);
  journal.InEffect = line.InEffectAfter;
  journal.StatsDigest = line.DigestAfter;
  journal.Matches = true;
}

// `line` was journaled but did not reach the statistics file: an X line says
// so. When even that cannot be written, the next start-up finds the file as
// the line found it and writes it then.
void TakeBack(const FileState& state, const JournalCommit& line) {
  try {
    AppendToJournal(JournalFilePath(state), JournalCancelText(line));
  } catch (const std::exception&) {
  }
}

// Where the statistics file on disk stands against the journal's last C or U
// line.
enum class Side {
  After,   // it holds the line
  Before,  // it holds what the line found: the line never reached it
  Neither  // edited by hand, or not read (whole)
};

// Takes the journal's numbers from its end, and the import in effect as the
// statistics file on disk tells it (`after`: the last line is in effect). A
// file on neither side of the last line (edited by hand: a byte-order mark, a
// number changed) keeps the history as the journal tells it: the line is in
// effect when the table has as many players as it left (where it added
// some), or else when the settings, saved only after the statistics file,
// hold it; no undo reaches past such a file (an undo must give back the file
// its import found). A torn last line is closed.
Side TakeJournalEnd(FileState& state, const JournalTail& tail, bool& after) {
  JournalState& journal = state.Journal;
  journal.LastNumber = std::max(journal.LastNumber, tail.LastNumber);
  journal.OnDisk = tail.Exists;
  after = false;
  if (tail.Torn) {  // the rest of a cut append: closed, it is a line no reader takes
    try {
      AppendToJournal(JournalFilePath(state), kJournalLineCut);
    } catch (const std::exception&) {
    }
  }
  if (!tail.Last) {
    journal.Matches = state.StatsOnDisk.Known;
    return Side::Neither;
  }
  const JournalCommit& last = *tail.Last;
  const std::optional<std::uint64_t> disk = KnownStatsDigest(state);
  Side side = Side::Neither;
  if (state.StatsOnDisk.Known) {
    if (!tail.Cancelled && disk == last.DigestAfter)
      side = Side::After;
    else if (disk == last.DigestBefore)
      side = Side::Before;
  }
  if (side == Side::Neither) {
    // The table as this program writes it: an edit that changed no number (a
    // byte-order mark, blank lines) still tells the side.
    const std::optional<std::uint64_t> table =
        state.StatsOnDisk.Known && state.Table.PlayerCount > 0 ? std::optional(DigestOf(FormatStatsFile(state)))
                                                               : std::nullopt;
    const bool told_by_table = table && (table == last.DigestAfter || table == last.DigestBefore);
    const std::int64_t players = state.Table.PlayerCount;
    const bool told_by_players = state.StatsOnDisk.Known && last.PlayersAfter != last.PlayersBefore &&
                                 (players == last.PlayersAfter || players == last.PlayersBefore);
    const bool settings_before = !state.SettingsUnread && state.StartupMarker == last.PreviousMarker &&
                                 state.BlocksAfterMarker == last.PreviousCount;
    const bool settings_after = state.StartupMarker == last.Marker && state.BlocksAfterMarker == last.Count;
    after = !tail.Cancelled && (told_by_table     ? table == last.DigestAfter
                                : told_by_players ? players == last.PlayersAfter
                                                  : !(settings_before && !settings_after));
    journal.InEffect = after ? last.InEffectAfter : last.InEffectBefore;
    return side;
  }
  if (side == Side::Before && !tail.Cancelled) TakeBack(state, last);
  after = side == Side::After;
  journal.InEffect = after ? last.InEffectAfter : last.InEffectBefore;
  journal.Matches = true;
  return side;
}

// The journal's last commit against the statistics file on disk (loaded, or
// found missing). A file that holds the commit has the settings rolled
// forward to it; one that holds what the commit found has it taken back (the
// next import reads those matches again) and the settings set to what it
// found; a file that matches neither (edited by hand, or not read whole) is
// trusted as it is, and no import before it can be undone. Only the
// journal's end is read. A journal that is there but cannot be read leaves
// its numbers unknown: nothing is appended until a commit reads it.
void RepairFromJournal(FileState& state, OpenOutcome& outcome) {
  JournalState& journal = state.Journal;
  journal = JournalState{};
  const std::string path = JournalFilePath(state);
  JournalTail tail;
  bool read = true;
  try {
    tail = ReadJournalTail(path);
  } catch (const std::exception& error) {
    outcome.JournalRead = false;
    outcome.JournalFailure = FailureOf(error, path);
    journal.Unread = true;
    journal.OnDisk = true;
    read = false;
  }
  bool after = false;
  if (read) TakeJournalEnd(state, tail, after);
  if (read && tail.Last) {
    // The settings go with the side the last line is on.
    const JournalCommit& last = *tail.Last;
    const std::string& marker = after ? last.Marker : last.PreviousMarker;
    const std::optional<std::int64_t>& count = after ? last.Count : last.PreviousCount;
    if (state.StartupMarker != marker || state.BlocksAfterMarker != count) {
      state.StartupMarker = marker;
      state.BlocksAfterMarker = count;
      if (!state.SettingsUnread) {  // a file that could not be read is never written over
        outcome.SettingsRepaired = true;
        try {
          SaveSettings(state);
          state.SettingsOnDisk = true;
        } catch (const std::exception&) {
          state.SavePending = true;  // the next import or closing saves them
        }
      }
    }
  }
  journal.CommittedMarker = state.StartupMarker;
  journal.CommittedCount = state.BlocksAfterMarker;
  journal.CommittedPlayers = state.Table.PlayerCount;
  journal.StatsDigest = KnownStatsDigest(state);
}

// A file that was on disk at start-up (or since this program wrote it) and
// is gone: the game folder went away (a removed disk, a network drive
// dropped). Nothing is written then: a new file in an empty mount point
// would be silently lost, and the old one may come back.
std::optional<std::pair<StoreFile, std::string>> VanishedFile(const FileState& state) {
  platform::FileSystem& files = platform::Files();
  const std::string journal = JournalFilePath(state);
  if (state.Journal.OnDisk && !files.Exists(journal)) return std::pair{StoreFile::Journal, journal};
  const std::string stats = StatsFilePath(state);
  if (state.StatsOnDisk.Known && state.StatsOnDisk.Exists && !files.Exists(stats))
    return std::pair{StoreFile::Stats, stats};
  const std::string settings = SettingsFilePath(state);
  if (state.SettingsOnDisk && !files.Exists(settings)) return std::pair{StoreFile::Settings, settings};
  return std::nullopt;
}

// The journal's lines of one import, written while the log is read.
class WritingAhead final : public ImportWatcher {
 public:
  explicit WritingAhead(FileState& state) : state_(state), pending_before_(state.Journal.Pending.size()) { Start(); }

  void BlockRead(const ImportedBlocks& read, const PlayerTable& table) override {
    Write([&] { lines_->Add(read.Sessions, read.Maps, table, read.Blocks.back()); });
  }

  // The lines written for what is taken back keep their number, which no C
  // line will follow (readers skip them), and the writing begins again under
  // the next one.
  void TakenBack() override {
    if (!lines_) return;
    try {
      lines_->Settle();  // the helper thread is done with the names that go
    } catch (const std::exception&) {
    }
    Stop();
    Start();
  }

  // However the import ended: the lines on their way are appended (or their
  // number given up) before AheadBlocks is final; the blocks read since are
  // left to the commit.
  void Settle() {
    Write([&] { lines_->Settle(); });
    lines_.reset();
  }

 private:
  // Only when every block kept from before is in the journal already, under
  // the number the next commit takes.
  void Start() {
    JournalState& journal = state_.Journal;
    const std::int64_t next = journal.LastNumber + 1;
    if (journal.AheadBlocks != pending_before_ || (journal.AheadBlocks > 0 && journal.AheadImport != next)) return;
    // Not while its numbers are unknown, nor where it went away.
    if (journal.Unread || (journal.OnDisk && !platform::Files().Exists(JournalFilePath(state_)))) return;
    journal.AheadImport = next;
    lines_.emplace(JournalFilePath(state_), next);
  }

  // A refusal ends the writing ahead, and the number its lines carry is not
  // used again (some may be in the journal).
  template <class Action>
  void Write(Action action) {
    if (!lines_) return;
    try {
      action();
      state_.Journal.AheadBlocks = pending_before_ + lines_->Appended();
      if (lines_->Appended() > 0) state_.Journal.OnDisk = true;
    } catch (const std::exception&) {
      Stop();
    }
  }

  void Stop() {
    JournalState& journal = state_.Journal;
    journal.LastNumber = journal.AheadImport;
    journal.AheadImport = 0;
    journal.AheadBlocks = 0;
    lines_.reset();
  }

  FileState& state_;
  const std::size_t pending_before_;  // blocks kept from before this import
  std::optional<JournalLineWriter> lines_;
};

// What an import read joins the blocks kept for the next commit.
void Keep(JournalState& journal, ImportedBlocks& read) {
  if (journal.Pending.empty() && journal.Sessions.empty() && journal.Maps.empty()) {
    journal.Pending = std::move(read.Blocks);
    journal.Sessions = std::move(read.Sessions);
    journal.Maps = std::move(read.Maps);
    return;
  }
  const auto session_offset = static_cast<std::int32_t>(journal.Sessions.size());
  const auto map_offset = static_cast<std::int32_t>(journal.Maps.size());
  for (std::string& session : read.Sessions) journal.Sessions.push_back(std::move(session));
  for (std::string& map : read.Maps) journal.Maps.push_back(std::move(map));
  journal.Pending.reserve(journal.Pending.size() + read.Blocks.size());
  for (PendingBlock& block : read.Blocks) {
    if (block.Session >= 0) block.Session += session_offset;
    if (block.Map >= 0) block.Map += map_offset;
    journal.Pending.push_back(block);
  }
}

}  // namespace

namespace {

// The statistics file into the table (empty until then).
void LoadStats(FileState& state, OpenOutcome& outcome) {
  try {
    LoadStatsFile(state);
    state.StatsUnread = false;
  } catch (const std::exception& error) {
    const platform::FileFailure* failure = FileFailureOf(error);
    if (failure != nullptr && failure->Fault != platform::FileFault::NotFound && state.KeepOldStatsFile) {
      outcome.Stats = OpenOutcome::StatsFile::Unreadable;
      outcome.StatsFailure = *failure;
      state.StatsUnread = state.Table.PlayerCount == 0;  // nothing of it read: imports wait for it
    } else {
      outcome.Stats = OpenOutcome::StatsFile::NotLoaded;
    }
  }
}

}  // namespace

OpenOutcome OpenStore(FileState& state) {
  OpenOutcome outcome;
  // A save killed before its rename leaves its temporary file for good.
  platform::Files().RemoveTemporaries(StatsFilePath(state));
  platform::Files().RemoveTemporaries(SettingsFilePath(state));
  platform::Files().RemoveTemporaries(WindowFilePath(state));
  outcome.SettingsRead = LoadSettings(state, &outcome.SettingsFailure);
  state.SettingsUnread = !outcome.SettingsRead;
  LoadStats(state, outcome);
  RepairFromJournal(state, outcome);
  return outcome;
}

ImportCheck CheckBeforeImport(FileState& state) {
  ImportCheck check;
  if (!state.StatsUnread && !state.SettingsUnread && !state.Journal.Unread) return check;
  // Nothing was imported since the start-up: the table is as the load left
  // it, and the journal's repair can be done again on what is read now.
  OpenOutcome again;
  if (state.SettingsUnread) {
    FileState read;
    read.ProgramFolder = state.ProgramFolder;
    if (LoadSettings(read, &check.Failure)) {
      state.LogPath = std::move(read.LogPath);
      state.StartupMarker = std::move(read.StartupMarker);
      state.BlocksAfterMarker = read.BlocksAfterMarker;
      state.SettingsOnDisk = read.SettingsOnDisk;
      state.SettingsUnread = false;
    }
  }
  if (state.StatsUnread) LoadStats(state, again);
  if (again.Stats == OpenOutcome::StatsFile::Unreadable) check.Failure = again.StatsFailure;
  RepairFromJournal(state, again);
  if (state.StatsUnread) {
    check.Refused = ImportCheck::Problem::StatsUnreadable;
  } else if (!again.JournalRead) {
    check.Refused = ImportCheck::Problem::JournalUnreadable;
    check.Failure = again.JournalFailure;
  } else if (state.SettingsUnread) {
    check.Refused = ImportCheck::Problem::SettingsUnreadable;
    check.PlaceFromJournal = again.JournalRead && state.Journal.LastNumber > 0;
  }
  return check;
}

void StartOverWithoutSettings(FileState& state) { state.SettingsUnread = false; }

void ImportIntoStore(FileState& state, const ReadLog& read) {
  JournalState& journal = state.Journal;
  if (!journal.Keys.Loaded) LoadBlockKeys(journal.Keys, JournalFilePath(state), journal.InEffect);
  ImportedBlocks blocks;
  WritingAhead ahead(state);
  const auto keep = [&] {
    HoldKeysOf(journal.Keys, blocks);
    journal.Skipped += blocks.Skipped;
    Keep(journal, blocks);
  };
  try {
    read(blocks, ahead, BlockKeysView(journal.Keys));
  } catch (...) {
    try {
      ahead.Settle();
    } catch (...) {  // what stopped the import is what it tells
    }
    keep();
    throw;
  }
  ahead.Settle();
  keep();
}

CommitOutcome CommitStore(FileState& state) {
  CommitOutcome outcome;
  state.SavePending = true;
  JournalState& journal = state.Journal;
  const bool players = state.Table.PlayerCount > 0;
  if (const auto vanished = VanishedFile(state)) {
    outcome.Failed = vanished->first;
    outcome.Failure = platform::FailureAt(platform::FileFault::NotFound, vanished->second);
    outcome.Vanished = true;
    return outcome;
  }
  const bool uncommitted = Uncommitted(state);
  if (uncommitted && journal.Unread) {
    // Its numbers were unknown since the start-up: none is used until they are.
    const std::string path = JournalFilePath(state);
    try {
      const JournalTail tail = ReadJournalTail(path);
      journal.Unread = false;
      bool after = false;
      TakeJournalEnd(state, tail, after);
      journal.Matches = false;  // no undo before a start-up that reads it
    } catch (const std::exception& error) {
      outcome.Failed = StoreFile::Journal;
      outcome.Failure = FailureOf(error, path);
      outcome.JournalUnread = true;
      return outcome;
    }
  }
  const std::string contents = players ? FormatStatsFile(state) : std::string();
  std::optional<JournalCommit> commit;
  if (uncommitted) {
    JournalCommit& c = commit.emplace();
    c.Kind = 'C';
    c.Import = journal.LastNumber + 1;
    c.Time = platform::LocalDateTime();
    c.Marker = state.StartupMarker;
    c.Count = state.BlocksAfterMarker;
    c.PreviousMarker = journal.CommittedMarker;
    c.PreviousCount = journal.CommittedCount;
    c.PlayersBefore = journal.CommittedPlayers;
    c.PlayersAfter = state.Table.PlayerCount;
    if (state.StatsOnDisk.Known) {
      c.DigestBefore = KnownStatsDigest(state);
    } else {
      try {
        c.DigestBefore = DigestOfFile(StatsFilePath(state));
      } catch (const std::exception&) {
        // Unreadable: the start-up will find that the file matches neither digest, and trust it.
      }
    }
    c.DigestAfter = players ? std::optional<std::uint64_t>(DigestOf(contents)) : c.DigestBefore;
    c.InEffectBefore = journal.InEffect;
    c.InEffectAfter = c.Import;
    c.LastNumber = c.Import;
    c.Skipped = journal.Skipped;
    try {
      AppendImportToJournal(JournalFilePath(state), journal, state.Table, c);
      outcome.Journaled = true;
      journal.OnDisk = true;
    } catch (const std::exception& error) {
      outcome.Failed = StoreFile::Journal;
      outcome.Failure = FailureOf(error, JournalFilePath(state));
    }
    // Whatever happened, the number is used: some of its lines may be in the
    // journal, and the next try writes them all again under a new number.
    // Written, its lines have their C line (and an X line after it if the
    // statistics file is not saved).
    journal.LastNumber = c.Import;
    journal.AheadImport = 0;
    journal.AheadBlocks = 0;
    if (!outcome.Journaled) return outcome;
  }
  if (players) {
    try {
      outcome.Backup = SaveStatsFile(state, contents);
    } catch (const std::exception& error) {
      if (commit) TakeBack(state, *commit);
      outcome.Failed = StoreFile::Stats;
      const auto* file_error = dynamic_cast<const Error*>(&error);
      if (file_error != nullptr && file_error->kind() == ErrorKind::ChangedOnDisk) {
        outcome.ChangedOnDisk = true;
        outcome.KeptBeside = file_error->failure().Path;
        outcome.Failure = platform::FailureAt(platform::FileFault::None, StatsFilePath(state));
      } else {
        outcome.Failure = FailureOf(error, StatsFilePath(state));
      }
      return outcome;
    }
  }
  if (commit) {
    journal.Skipped = 0;
    journal.Pending.clear();
    journal.Sessions.clear();
    journal.Maps.clear();
    Committed(state, *commit);
  }
  if (state.SettingsUnread) {  // never written over; no import changed the place in the log since
    state.SavePending = false;
    return outcome;
  }
  try {
    SaveSettings(state);
    state.SettingsOnDisk = true;
    state.SavePending = false;
  } catch (const std::exception& error) {
    outcome.Failed = StoreFile::Settings;
    outcome.Failure = FailureOf(error, SettingsFilePath(state));
  }
  return outcome;
}

bool CanUndoImport(const FileState& state) {
  const JournalState& journal = state.Journal;
  return journal.Matches && journal.InEffect > 0 && !state.SavePending && !Uncommitted(state) &&
         state.StatsOnDisk.Known && KnownStatsDigest(state) == journal.StatsDigest;
}

namespace {

// The table as it was before an import: every block taken off its player,
// and the players it added (the last slots) taken out. What it changed is
// kept to be put back; Holds is false when the table does not hold the
// import.
struct Taken {
  bool Holds = true;
  std::vector<std::pair<int, CounterValues>> Slots;  // before any change, in the order first changed
  std::vector<std::string> Names;                    // of the players taken out, in slot order
};

Taken Take(PlayerTable& table, const JournalImport& last) {
  Taken taken;
  std::vector<bool> kept(static_cast<std::size_t>(table.PlayerCount) + 1);
  for (auto match = last.Matches.rbegin(); match != last.Matches.rend(); ++match) {
    const int slot = FindPlayer(table, match->Name);
    if (slot == 0) {
      taken.Holds = false;
      return taken;
    }
    if (!kept[static_cast<std::size_t>(slot)]) {
      kept[static_cast<std::size_t>(slot)] = true;
      taken.Slots.emplace_back(slot, CountersInSlot(table, slot));
    }
    SubtractCounters(table, slot, match->Added);
  }
  const int keep = static_cast<int>(last.Commit.PlayersBefore);
  if (keep < 0 || keep > table.PlayerCount) {
    taken.Holds = false;
    return taken;
  }
  for (int slot = keep + 1; slot <= table.PlayerCount; ++slot)
    if (!kept[static_cast<std::size_t>(slot)]) taken.Slots.emplace_back(slot, CountersInSlot(table, slot));
  TakeOutPlayers(table, keep, &taken.Names);
  return taken;
}

void PutBack(PlayerTable& table, const Taken& taken) {
  for (const auto& [slot, counters] : taken.Slots) SetCounters(table, slot, counters);
  PutPlayersBack(table, taken.Names);
}

// Whether `contents`, the statistics file an undo of `import` would write,
// is the file the import found: the C line keeps its digest (none for no
// file, which an undo that leaves no player gives back). A file that Notepad
// saved with a byte-order mark is given back with it (`contents` gets it). A
// journal line deleted, changed or doubled by hand, or a file edited by hand
// in any other way before the import, fails this, and the undo is refused.
bool GivesBack(const FileState& state, const JournalImport& import, std::string& contents) {
  const std::optional<std::uint64_t>& before = import.Commit.DigestBefore;
  if (!before) return state.Table.PlayerCount == 0;
  if (DigestOf(contents) == *before) return true;
  std::string marked = std::string(kUtf8ByteOrderMark) + contents;
  if (DigestOf(marked) != *before) return false;
  contents = std::move(marked);
  return true;
}

}  // namespace

ImportToUndo ReadImportToUndo(FileState& state) {
  ImportToUndo undo;
  const std::string journal_path = JournalFilePath(state);
  undo.Failure = platform::FailureAt(platform::FileFault::None, journal_path);
  std::vector<JournalImport> imports;
  try {
    imports = ReadJournalImports(journal_path);
  } catch (const std::exception& error) {
    undo.Refused = ImportToUndo::Problem::JournalUnreadable;
    undo.Failure = FailureOf(error, journal_path);
    return undo;
  }
  if (imports.empty() || imports.back().Commit.Import != state.Journal.InEffect) {
    undo.Refused = ImportToUndo::Problem::JournalDisagrees;
    return undo;
  }
  undo.Import = std::move(imports.back());
  undo.InEffectAfter = imports.size() >= 2 ? imports[imports.size() - 2].Commit.Import : 0;
  // What the undo would write, against the file the import found; the table
  // is put back as it was.
  const Taken taken = Take(state.Table, undo.Import);
  std::string contents = taken.Holds ? FormatStatsFile(state) : std::string();
  const bool gives_back = taken.Holds && GivesBack(state, undo.Import, contents);
  PutBack(state.Table, taken);
  if (!gives_back) undo.Refused = ImportToUndo::Problem::ResultDiffers;
  return undo;
}

UndoOutcome UndoImport(FileState& state, const ImportToUndo& undo_import) {
  UndoOutcome outcome;
  const JournalImport& last = undo_import.Import;
  const std::string journal_path = JournalFilePath(state);
  const std::int16_t players_before = state.Table.PlayerCount;
  // What goes back when the undo cannot be saved: the slots it changes as they are.
  if (const auto vanished = VanishedFile(state)) {
    outcome.Failed = UndoOutcome::Problem::Vanished;
    outcome.Failure = platform::FailureAt(platform::FileFault::NotFound, vanished->second);
    return outcome;
  }
  const Taken taken = Take(state.Table, last);
  std::string contents = taken.Holds ? FormatStatsFile(state) : std::string();
  if (!taken.Holds || !GivesBack(state, last, contents)) {
    PutBack(state.Table, taken);
    outcome.Failed = UndoOutcome::Problem::TableDisagrees;
    outcome.Failure = platform::FailureAt(platform::FileFault::None, journal_path);
    return outcome;
  }
  JournalCommit undo;
  undo.Kind = 'U';
  undo.Import = last.Commit.Import;
  undo.Time = platform::LocalDateTime();
  undo.Marker = last.Commit.PreviousMarker;
  undo.Count = last.Commit.PreviousCount;
  undo.PreviousMarker = state.StartupMarker;
  undo.PreviousCount = state.BlocksAfterMarker;
  undo.PlayersBefore = players_before;
  undo.PlayersAfter = state.Table.PlayerCount;
  undo.DigestBefore = state.Journal.StatsDigest;
  undo.DigestAfter = DigestOf(contents);
  undo.InEffectBefore = last.Commit.Import;
  undo.InEffectAfter = undo_import.InEffectAfter;
  undo.LastNumber = state.Journal.LastNumber;
  try {
    AppendToJournal(journal_path, JournalUndoText(undo));
  } catch (const std::exception& error) {
    PutBack(state.Table, taken);
    outcome.Failed = UndoOutcome::Problem::JournalWrite;
    outcome.Failure = FailureOf(error, journal_path);
    return outcome;
  }
  try {
    SaveStatsFile(state, contents);  // also when no player is left: the file must lose the import's
  } catch (const std::exception& error) {
    TakeBack(state, undo);
    PutBack(state.Table, taken);
    const auto* file_error = dynamic_cast<const Error*>(&error);
    if (file_error != nullptr && file_error->kind() == ErrorKind::ChangedOnDisk) {
      outcome.Failed = UndoOutcome::Problem::StatsChanged;
      outcome.Failure = platform::FailureAt(platform::FileFault::None, StatsFilePath(state));
      outcome.KeptBeside = file_error->failure().Path;
    } else {
      outcome.Failed = UndoOutcome::Problem::StatsWrite;
      outcome.Failure = FailureOf(error, StatsFilePath(state));
    }
    return outcome;
  }
  state.StartupMarker = undo.Marker;
  state.BlocksAfterMarker = undo.Count;
  Committed(state, undo);
  ReleaseKeysOf(state.Journal.Keys, last.Matches);  // the next import counts them again
  outcome.Undone = true;
  if (state.SettingsUnread) return outcome;  // never written over
  try {
    SaveSettings(state);
    state.SettingsOnDisk = true;
  } catch (const std::exception& error) {
    state.SavePending = true;
    outcome.Failed = UndoOutcome::Problem::SettingsWrite;
    outcome.Failure = FailureOf(error, SettingsFilePath(state));
  }
  return outcome;
}

PeopleOutcome CommitPeopleChange(FileState& state, PeopleChange change) {
  PeopleOutcome outcome;
  change.Time = platform::LocalDateTime();
  const std::string path = JournalFilePath(state);
  if (state.Journal.OnDisk && !platform::Files().Exists(path)) {  // gone with the game folder: not made again
    outcome.Saved = false;
    outcome.Failure = platform::FailureAt(platform::FileFault::NotFound, path);
    return outcome;
  }
  try {
    AppendToJournal(path, PeopleLineText(change));
    ++state.Journal.PeopleChanges;
    state.Journal.OnDisk = true;
  } catch (const std::exception& error) {
    outcome.Saved = false;
    outcome.Failure = FailureOf(error, path);
  }
  return outcome;
}

}  // namespace fragtally
