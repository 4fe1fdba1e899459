#include "app/commands.h"

#include <exception>
#include <map>
#include <optional>

#include "app/import_report.h"
#include "app/ratings.h"
#include "app/version.h"
#include "files/file_digest.h"
#include "files/journal.h"
#include "files/paths.h"
#include "files/settings_file.h"
#include "files/stats_file.h"
#include "import/log_import.h"

namespace fragtally {

namespace {

// Which file a file error is about, and why; nullptr for any other error.
const platform::FileFailure* FileFailureOf(const std::exception& error) {
  const auto* file_error = dynamic_cast<const Error*>(&error);
  return file_error != nullptr && !file_error->failure().Path.empty() ? &file_error->failure() : nullptr;
}

// The same, or `path` with no known cause for any other error.
platform::FileFailure FailureOf(const std::exception& error, const std::string& path) {
  const platform::FileFailure* failure = FileFailureOf(error);
  return failure != nullptr ? *failure : platform::FailureAt(platform::FileFault::Other, path);
}

// The log-not-found message, with the full path that was tried and, for a
// file error other than a missing file, why.
void ShowLogNotFound(const WindowState& state, MessageSink& messages, const std::exception& error) {
  const platform::FileFailure* failure = FileFailureOf(error);
  const std::string path =
      platform::AbsolutePath(failure != nullptr ? failure->Path : platform::NativePath(state.LogPath));
  messages.ShowMessage(MessageIcon::Error, kLogNotFoundTitle, LogNotFoundText(path, failure));
}

// Whether the table or the marker holds what the journal's last commit does not.
bool Uncommitted(const WindowState& state) {
  const JournalState& journal = state.Journal;
  return !journal.Pending.empty() || state.StartupMarker != journal.CommittedMarker ||
         state.BlocksAfterMarker != journal.CommittedCount;
}

// The statistics file on disk as this program knows it (nullopt: none).
std::optional<std::uint64_t> KnownStatsDigest(const WindowState& state) {
  if (!state.StatsOnDisk.Known || !state.StatsOnDisk.Exists) return std::nullopt;
  return state.StatsOnDisk.Digest;
}

// The journal is where `line` left it: the statistics file holds it, and the
// marker is saved with the settings next.
void Committed(WindowState& state, const JournalCommit& line) {
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
void TakeBack(const WindowState& state, const JournalCommit& line) {
  try {
    AppendToJournal(JournalFilePath(state), JournalCancelText(line));
  } catch (const std::exception&) {
  }
}

// Saves the statistics file (when there are players), then the settings
// file, and tells the player of whatever went wrong. What was imported since
// the last save goes to the journal first, with its commit line: a program
// that dies before the statistics file is replaced leaves the import undone,
// one that dies after it has the settings rolled forward at the next start.
// The settings follow the statistics only: after a statistics save that
// failed or was refused, the settings file keeps the last import it knew of,
// so that the next import counts the matches that did not reach the
// statistics file again instead of losing them.
void SaveFiles(WindowState& state, MessageSink& messages, SaveMoment moment) {
  state.SavePending = true;
  JournalState& journal = state.Journal;
  const bool players = state.Table.PlayerCount > 0;
  const std::string contents = players ? FormatStatsFile(state) : std::string();
  std::optional<JournalCommit> commit;
  if (Uncommitted(state)) {
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
    try {
      AppendImportToJournal(JournalFilePath(state), journal, state.Table, c);
    } catch (const std::exception& error) {
      // Some of its lines may be in the journal: the next try writes them all
      // again under a new number, which no earlier line carries.
      journal.LastNumber = c.Import;
      journal.AheadImport = 0;
      journal.AheadBlocks = 0;
      messages.ShowMessage(MessageIcon::Error, kSaveFailedTitle,
                           JournalWriteFailedText(FailureOf(error, JournalFilePath(state)), moment));
      return;
    }
    journal.LastNumber = c.Import;
    journal.AheadImport = 0;  // its lines have their C line (and an X line after it if the save fails)
    journal.AheadBlocks = 0;
  }
  if (players) {
    try {
      const std::string backup = SaveStatsFile(state, contents);
      if (!backup.empty()) messages.ShowMessage(MessageIcon::Information, kStatsBackupTitle, StatsBackupText(backup));
    } catch (const std::exception& error) {
      if (commit) TakeBack(state, *commit);
      const auto* file_error = dynamic_cast<const Error*>(&error);
      if (file_error != nullptr && file_error->kind() == ErrorKind::ChangedOnDisk)
        messages.ShowMessage(MessageIcon::Error, kStatsChangedTitle,
                             StatsChangedText(StatsFilePath(state), file_error->failure().Path, moment));
      else
        messages.ShowMessage(MessageIcon::Error, kSaveFailedTitle,
                             StatsSaveFailedText(FailureOf(error, StatsFilePath(state)), moment));
      return;
    }
  }
  if (commit) {
    journal.Pending.clear();
    journal.Sessions.clear();
    Committed(state, *commit);
  }
  try {
    SaveSettings(state);
    state.SavePending = false;
  } catch (const std::exception& error) {
    messages.ShowMessage(MessageIcon::Error, kSaveFailedTitle,
                         SettingsSaveFailedText(FailureOf(error, SettingsFilePath(state)), moment));
  }
}

// At start-up, after the statistics file is loaded (or found missing): the
// journal's last commit against the file on disk. A file that holds the
// commit has the settings rolled forward to it; one that holds what the
// commit found has it taken back (the next import reads those matches
// again) and the settings set to what it found; a file that matches neither (edited by hand, or not read whole) is
// trusted as it is, and no import can be undone. Only the journal's end is
// read.
void ReconcileJournal(WindowState& state) {
  JournalState& journal = state.Journal;
  journal = JournalState{};
  const std::string path = JournalFilePath(state);
  JournalTail tail;
  try {
    tail = ReadJournalTail(path);
  } catch (const std::exception&) {
    return;  // unreadable now: imports go on, and undo waits for a start that reads it
  }
  journal.LastNumber = tail.LastNumber;
  if (tail.Torn) {  // the rest of a cut append: closed, it is a line no reader takes
    try {
      AppendToJournal(path, kJournalLineCut);
    } catch (const std::exception&) {
    }
  }
  const std::optional<std::uint64_t> disk = KnownStatsDigest(state);
  if (tail.Last && state.StatsOnDisk.Known) {
    const JournalCommit& last = *tail.Last;
    // Which side of the last line the file is on: the settings go with it
    // (a settings file that was held, or a kill between the renames, left
    // them behind).
    const bool after = !tail.Cancelled && disk == last.DigestAfter;
    if (after || disk == last.DigestBefore) {
      if (!after && !tail.Cancelled) TakeBack(state, last);
      const std::string& marker = after ? last.Marker : last.PreviousMarker;
      const std::optional<std::int64_t>& count = after ? last.Count : last.PreviousCount;
      if (state.StartupMarker != marker || state.BlocksAfterMarker != count) {
        state.StartupMarker = marker;
        state.BlocksAfterMarker = count;
        try {
          SaveSettings(state);
        } catch (const std::exception&) {
          state.SavePending = true;  // the next import or closing saves them
        }
      }
      journal.InEffect = after ? last.InEffectAfter : last.InEffectBefore;
      journal.Matches = true;
    }
  } else if (!tail.Last) {
    journal.Matches = state.StatsOnDisk.Known;
  }
  journal.CommittedMarker = state.StartupMarker;
  journal.CommittedCount = state.BlocksAfterMarker;
  journal.CommittedPlayers = state.Table.PlayerCount;
  journal.StatsDigest = disk;
}

void ShowFillFailure(MessageSink& messages) {
  messages.ShowMessage(MessageIcon::Error, kPanelFillFailedTitle, kPanelFillFailedText);
}

// After an import: caret to the end of the trace, the first player in the
// first panel, both panels refreshed. A selector with nothing selected is
// given an entry as at start-up, and a panel without players is left alone.
void RefreshPanels(WindowState& state) {
  state.TraceCaret = state.Trace.size();
  const int players = state.Table.PlayerCount;
  if (players > 0) {
    SelectEntry(state, Panel::First, 0);
    if (state.Combo2.ListIndex < 0) SelectEntry(state, Panel::Second, players >= 2 ? 1 : 0);
  }
  if (state.Combo1.ListIndex >= 0) Combo1_Click(state);
  if (state.Combo2.ListIndex >= 0) Combo2_Click(state);
}

}  // namespace

std::unique_ptr<WindowState> NewForm1State(std::string program_folder) {
  auto state = NewWindowState();
  state->ProgramFolder = std::move(program_folder);
  state->Panel1 = DesignPanelLabels();
  state->Panel2 = DesignPanelLabels();
  return state;
}

void Form_Load(WindowState& state, MessageSink& messages) {
  LoadSettings(state);
  try {
    LoadStatsFile(state);
  } catch (const std::exception& error) {
    ReconcileJournal(state);
    const platform::FileFailure* failure = FileFailureOf(error);
    if (failure != nullptr && failure->Fault != platform::FileFault::NotFound && state.KeepOldStatsFile)
      // It is there, but another program holds it, or it may not be read.
      messages.ShowMessage(MessageIcon::Error, kStatsUnreadableTitle, StatsUnreadableText(*failure));
    else
      messages.ShowMessage(MessageIcon::Error, kStatsNotFoundTitle, std::string(kStatsNotFoundText) + kContactAddress);
    return;
  }
  ReconcileJournal(state);
  const int players = state.Table.PlayerCount;
  if (players == 0) return;
  bool fill_failed = false;
  for (auto [panel, index] : {std::pair{Panel::First, 0}, std::pair{Panel::Second, players >= 2 ? 1 : 0}}) {
    try {
      SelectEntry(state, panel, index);
    } catch (const std::exception&) {
      fill_failed = true;  // the texts before the failing label are shown
    }
  }
  if (fill_failed) ShowFillFailure(messages);
}

void Form_Activate(WindowState& state) { state.TraceCaret = state.Trace.size(); }

void Form_Unload(WindowState& state, MessageSink& messages) { SaveFiles(state, messages, SaveMoment::Closing); }

void Command1_Click(WindowState& state, MessageSink& messages) {
  const ImportTally tally(state);  // the status line tells what this press entered
  try {
    if (ImportLog(state, kTailSearched, JournalAhead::Write) == ImportOutcome::LogUnchanged) {
      state.StatusLine = StatusLineText(tally.Report(state, ImportReport::Outcome::NothingNew));
      // Nothing new; but what an earlier press could not save is saved now.
      if (state.SavePending) SaveFiles(state, messages, SaveMoment::Import);
      if (!state.SavePending) messages.ShowMessage(MessageIcon::Information, kLogUnchangedTitle, kLogUnchangedText);
      return;
    }
    state.StatusLine = StatusLineText(tally.Report(state, ImportReport::Outcome::Entered));
    RefreshPanels(state);
  } catch (const std::exception& error) {
    state.StatusLine = StatusLineText(tally.Report(state, ImportReport::Outcome::Failed));
    ShowLogNotFound(state, messages, error);
    return;
  }
  // The totals reach the disk before the marker does: a program that dies
  // between the two saves imports the log again instead of losing it.
  SaveFiles(state, messages, SaveMoment::Import);
}

void Command2_Click(const WindowState& state, MessageSink& messages, const std::string& decimal_separator) {
  const RatingsInput first = GatherRatingsInput(state.Table, state.Combo1, state.Panel1);
  const RatingsInput second = GatherRatingsInput(state.Table, state.Combo2, state.Panel2);
  messages.ShowMessage(MessageIcon::Information, kRatingsTitle,
                       BuildRatingsReport(state.Table, first, second, decimal_separator));
}

void SelectPlayer(WindowState& state, MessageSink& messages, Panel panel, int index) {
  SelectorOf(state, panel).ListIndex = index;
  if (index < 0) return;
  try {
    if (panel == Panel::First)
      Combo1_Click(state);
    else
      Combo2_Click(state);
  } catch (const std::exception&) {
    ShowFillFailure(messages);
  }
}

namespace {

// "1 матч", "2 матча", "5 матчей".
std::string Matches(std::size_t count) {
  const std::size_t tens = count % 100, ones = count % 10;
  const char* word = (tens >= 11 && tens <= 14) || ones == 0 || ones >= 5 ? "матчей" : ones == 1 ? "матч" : "матча";
  return std::to_string(count) + " " + word;
}

std::string UndoQuestion(const JournalImport& last) {
  // Sessions in the order the import met them.
  std::vector<std::pair<std::string, std::size_t>> sessions;
  for (const JournalMatch& match : last.Matches) {
    if (sessions.empty() || sessions.back().first != match.Session) sessions.emplace_back(match.Session, 0);
    ++sessions.back().second;
  }
  std::string text = "Отменить импорт " + last.Commit.Time + "?\r\n";
  if (sessions.empty()) {
    text += "Он не занёс ни одного матча; будет отменено только то, докуда был прочитан ЛОГ файл.\r\n";
  } else {
    text += "Из статистики будут убраны:\r\n";
    for (const auto& [session, count] : sessions)
      text += Matches(count) + (session.empty() ? " без даты игры" : " игры " + session) + "\r\n";
    text += "(матч здесь - статистика одного игрока за одну игру).\r\n";
  }
  text += "Следующий импорт занесёт эти матчи снова, если они ещё есть в ЛОГ файле.";
  return text;
}

int SlotOf(const PlayerTable& table, const std::string& name) {
  if (auto found = table.NameSlot.find(name); found != table.NameSlot.end() && found->second <= table.PlayerCount &&
                                              table.PlayerName[found->second] == name)
    return found->second;
  for (int slot = 1; slot <= table.PlayerCount; ++slot)
    if (table.PlayerName[slot] == name) return slot;
  return 0;
}

// The table as it was before `last`: every block taken off its player, and
// the players it added (the last slots) removed. What it changed is kept to
// be put back; Holds is false when the table does not hold the import.
struct Taken {
  bool Holds = true;
  std::int16_t PlayerCount = 0;
  std::vector<std::pair<int, CounterValues>> Slots;  // before any change, in the order first changed
  std::vector<std::string> Names;                    // of the slots removed, from PlayerCount' + 1
  Selector Combo1, Combo2;
};

CounterValues CountersOf(const PlayerTable& table, int slot) {
  CounterValues counters;
  for (std::size_t i = 0; i < kCounterColumns.size(); ++i) counters[i] = (table.*kCounterColumns[i].Member)[slot];
  return counters;
}

Taken Take(WindowState& state, const JournalImport& last) {
  PlayerTable& table = state.Table;
  Taken taken;
  taken.PlayerCount = table.PlayerCount;
  taken.Combo1 = state.Combo1;
  taken.Combo2 = state.Combo2;
  std::vector<bool> kept(static_cast<std::size_t>(table.PlayerCount) + 1);
  for (auto match = last.Matches.rbegin(); match != last.Matches.rend(); ++match) {
    const int slot = SlotOf(table, match->Name);
    if (slot == 0) {
      taken.Holds = false;
      return taken;
    }
    if (!kept[static_cast<std::size_t>(slot)]) {
      kept[static_cast<std::size_t>(slot)] = true;
      taken.Slots.emplace_back(slot, CountersOf(table, slot));
    }
    for (std::size_t i = 0; i < kCounterColumns.size(); ++i) {
      std::int32_t& counter = (table.*kCounterColumns[i].Member)[slot];
      counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) - static_cast<std::uint32_t>(match->Added[i]));
    }
  }
  const int keep = static_cast<int>(last.Commit.PlayersBefore);
  if (keep < 0 || keep > table.PlayerCount) {
    taken.Holds = false;
    return taken;
  }
  for (int slot = keep + 1; slot <= table.PlayerCount; ++slot) {
    if (!kept[static_cast<std::size_t>(slot)]) taken.Slots.emplace_back(slot, CountersOf(table, slot));
    for (const CounterColumn& column : kCounterColumns) (table.*column.Member)[slot] = 0;
    table.NameSlot.erase(table.PlayerName[slot]);
    taken.Names.push_back(std::move(table.PlayerName[slot]));
    table.PlayerName[slot].clear();
  }
  table.PlayerCount = static_cast<std::int16_t>(keep);
  for (Selector* selector : {&state.Combo1, &state.Combo2}) {
    if (selector->ListIndex >= keep) selector->ListIndex = -1;
  }
  return taken;
}

void Restore(WindowState& state, const Taken& taken) {
  PlayerTable& table = state.Table;
  for (const auto& [slot, counters] : taken.Slots)
    for (std::size_t i = 0; i < kCounterColumns.size(); ++i) (table.*kCounterColumns[i].Member)[slot] = counters[i];
  const int first_removed = taken.PlayerCount - static_cast<int>(taken.Names.size()) + 1;
  for (std::size_t n = 0; n < taken.Names.size(); ++n) {
    const int slot = first_removed + static_cast<int>(n);
    table.PlayerName[slot] = taken.Names[n];
    table.NameSlot.emplace(taken.Names[n], static_cast<std::int16_t>(slot));
  }
  table.PlayerCount = taken.PlayerCount;
  state.Combo1 = taken.Combo1;
  state.Combo2 = taken.Combo2;
}

}  // namespace

bool CanUndoImport(const WindowState& state) {
  const JournalState& journal = state.Journal;
  return journal.Matches && journal.InEffect > 0 && !state.SavePending && !Uncommitted(state) &&
         state.StatsOnDisk.Known && KnownStatsDigest(state) == journal.StatsDigest;
}

void UndoLastImport(WindowState& state, MessageSink& messages) {
  if (!CanUndoImport(state)) return;
  const std::string journal_path = JournalFilePath(state);
  std::vector<JournalImport> imports;
  try {
    imports = ReadJournalImports(journal_path);
  } catch (const std::exception& error) {
    messages.ShowMessage(MessageIcon::Error, kUndoFailedTitle,
                         UndoNotDoneText("Журнал матчей не прочитан:", FailureOf(error, journal_path)));
    return;
  }
  if (imports.empty() || imports.back().Commit.Import != state.Journal.InEffect) {
    messages.ShowMessage(MessageIcon::Error, kUndoFailedTitle,
                         UndoNotDoneText("Журнал матчей не совпадает со статистикой:",
                                         platform::FailureAt(platform::FileFault::None, journal_path)));
    return;
  }
  const JournalImport& last = imports.back();
  if (!messages.AskYesNo(kUndoImportTitle, UndoQuestion(last))) return;

  // What goes back when the undo cannot be saved: the slots it changes as
  // they are, and the selectors.
  const Taken taken = Take(state, last);
  const auto restore = [&] { Restore(state, taken); };
  if (!taken.Holds) {
    restore();
    messages.ShowMessage(MessageIcon::Error, kUndoFailedTitle,
                         UndoNotDoneText("Журнал матчей не совпадает со статистикой:",
                                         platform::FailureAt(platform::FileFault::None, journal_path)));
    return;
  }
  const std::string contents = FormatStatsFile(state);
  JournalCommit undo;
  undo.Kind = 'U';
  undo.Import = last.Commit.Import;
  undo.Time = platform::LocalDateTime();
  undo.Marker = last.Commit.PreviousMarker;
  undo.Count = last.Commit.PreviousCount;
  undo.PreviousMarker = state.StartupMarker;
  undo.PreviousCount = state.BlocksAfterMarker;
  undo.PlayersBefore = taken.PlayerCount;
  undo.PlayersAfter = state.Table.PlayerCount;
  undo.DigestBefore = state.Journal.StatsDigest;
  undo.DigestAfter = DigestOf(contents);
  undo.InEffectBefore = last.Commit.Import;
  undo.InEffectAfter = imports.size() >= 2 ? imports[imports.size() - 2].Commit.Import : 0;
  undo.LastNumber = state.Journal.LastNumber;
  try {
    AppendToJournal(journal_path, JournalUndoText(undo));
  } catch (const std::exception& error) {
    restore();
    messages.ShowMessage(MessageIcon::Error, kUndoFailedTitle,
                         UndoNotDoneText("Журнал матчей не записан:", FailureOf(error, journal_path)));
    return;
  }
  try {
    SaveStatsFile(state, contents);  // also when no player is left: the file must lose the import's
  } catch (const std::exception& error) {
    TakeBack(state, undo);
    restore();
    const auto* file_error = dynamic_cast<const Error*>(&error);
    const bool beside = file_error != nullptr && file_error->kind() == ErrorKind::ChangedOnDisk;
    messages.ShowMessage(MessageIcon::Error, kUndoFailedTitle,
                         UndoNotDoneText(beside ? "Файл статистики изменила другая программа; он оставлен как есть:"
                                                : "Файл статистики не записан:",
                                         beside ? platform::FailureAt(platform::FileFault::None, StatsFilePath(state))
                                                : FailureOf(error, StatsFilePath(state))));
    return;
  }
  state.StartupMarker = undo.Marker;
  state.BlocksAfterMarker = undo.Count;
  Committed(state, undo);
  if (state.Table.PlayerCount == 0) state.Panel1 = state.Panel2 = DesignPanelLabels();
  RefreshPanels(state);
  try {
    SaveSettings(state);
  } catch (const std::exception& error) {
    state.SavePending = true;
    messages.ShowMessage(MessageIcon::Error, kSaveFailedTitle,
                         UndoSettingsFailedText(FailureOf(error, SettingsFilePath(state))));
  }
}

std::string AboutText(const WindowState& state) {
  return std::string("Fragtally, версия ") + FRAGTALLY_VERSION +
         "\r\nСтатистика игроков Krellmar из ЛОГ файла игры.\r\n\r\nФайл статистики:\r\n" +
         platform::AbsolutePath(StatsFilePath(state)) + "\r\nФайл настроек:\r\n" +
         platform::AbsolutePath(SettingsFilePath(state)) + "\r\nЖурнал матчей:\r\n" +
         platform::AbsolutePath(JournalFilePath(state));
}

}  // namespace fragtally
