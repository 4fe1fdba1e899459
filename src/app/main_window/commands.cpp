#include "app/main_window/commands.h"

#include <exception>

#include "app/main_window/import_report.h"
#include "app/main_window/ratings.h"
#include "app/program/version.h"
#include "files/paths.h"
#include "files/store.h"
#include "import/log_import.h"

namespace fragtally {

namespace {

// The log-not-found message, with the full path that was tried and, for a
// file error other than a missing file, why.
void ShowLogNotFound(const WindowState& state, MessageSink& messages, const std::exception& error) {
  const platform::FileFailure* failure = FileFailureOf(error);
  const std::string path =
      platform::AbsolutePath(failure != nullptr ? failure->Path : platform::NativePath(state.LogPath));
  messages.ShowMessage(MessageIcon::Error, kLogNotFoundTitle, LogNotFoundText(path, failure));
}

// Commits the store (the statistics file when there are players, then the
// settings file, the journal's lines before both) and tells the player of
// whatever went wrong, and what was kept.
void SaveFiles(WindowState& state, MessageSink& messages, SaveMoment moment) {
  const CommitOutcome saved = CommitStore(state);
  if (!saved.Backup.empty())
    messages.ShowMessage(MessageIcon::Information, kStatsBackupTitle, StatsBackupText(saved.Backup));
  if (saved.Vanished) {
    messages.ShowMessage(MessageIcon::Error, kFileVanishedTitle, FileVanishedText(saved.Failure.Path, moment));
    return;
  }
  switch (saved.Failed) {
    case StoreFile::None: break;
    case StoreFile::Journal:
      if (saved.JournalUnread) {
        messages.ShowMessage(MessageIcon::Error, kJournalUnreadableTitle, JournalUnreadText(saved.Failure, moment));
        break;
      }
      messages.ShowMessage(MessageIcon::Error, kSaveFailedTitle, JournalWriteFailedText(saved.Failure, moment));
      break;
    case StoreFile::Stats:
      if (saved.ChangedOnDisk)
        messages.ShowMessage(MessageIcon::Error, kStatsChangedTitle,
                             StatsChangedText(saved.Failure.Path, saved.KeptBeside, moment));
      else
        messages.ShowMessage(MessageIcon::Error, kSaveFailedTitle, StatsSaveFailedText(saved.Failure, moment));
      break;
    case StoreFile::Settings:
      messages.ShowMessage(MessageIcon::Error, kSaveFailedTitle, SettingsSaveFailedText(saved.Failure, moment));
      break;
  }
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

// Before an import: whether it may read the log. A statistics file that
// still cannot be read stops it; a settings file that cannot be read stops
// it unless the player chooses to import all the same.
bool MayImport(WindowState& state, MessageSink& messages) {
  const ImportCheck check = CheckBeforeImport(state);
  switch (check.Refused) {
    case ImportCheck::Problem::None: return true;
    case ImportCheck::Problem::StatsUnreadable:
      messages.ShowMessage(MessageIcon::Error, kStatsUnreadableTitle, StatsStillUnreadableText(check.Failure));
      return false;
    case ImportCheck::Problem::JournalUnreadable:
      messages.ShowMessage(MessageIcon::Error, kJournalUnreadableTitle, JournalStillUnreadableText(check.Failure));
      return false;
    case ImportCheck::Problem::SettingsUnreadable:
      if (!messages.AskYesNo(kSettingsUnreadableTitle, StartOverQuestionText(check.Failure, check.PlaceFromJournal)))
        return false;
      StartOverWithoutSettings(state);
      return true;
  }
  return false;
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
  const OpenOutcome opened = OpenStore(state);
  if (!opened.SettingsRead)
    messages.ShowMessage(MessageIcon::Error, kSettingsUnreadableTitle, SettingsUnreadableText(opened.SettingsFailure));
  if (!opened.JournalRead)
    messages.ShowMessage(MessageIcon::Error, kJournalUnreadableTitle, JournalUnreadableText(opened.JournalFailure));
  if (opened.Stats == OpenOutcome::StatsFile::Unreadable) {
    // It is there, but another program holds it, or it may not be read.
    messages.ShowMessage(MessageIcon::Error, kStatsUnreadableTitle, StatsUnreadableText(opened.StatsFailure));
    return;
  }
  if (opened.Stats == OpenOutcome::StatsFile::NotLoaded) {
    messages.ShowMessage(MessageIcon::Error, kStatsNotFoundTitle, std::string(kStatsNotFoundText) + kContactAddress);
    return;
  }
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
  if (!MayImport(state, messages)) return;
  const ImportTally tally(state);  // the status line tells what this press entered
  try {
    ImportOutcome outcome = ImportOutcome::Completed;
    ImportIntoStore(state, [&](ImportedBlocks& read, ImportWatcher& watcher, const CountedBlocks& counted) {
      outcome = ImportLog(state, read, kTailSearched, &watcher, &counted);
    });
    if (outcome == ImportOutcome::LogUnchanged) {
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

void UndoLastImport(WindowState& state, MessageSink& messages) {
  if (!CanUndoImport(state)) return;
  const ImportToUndo undo = ReadImportToUndo(state);
  if (undo.Refused != ImportToUndo::Problem::None) {
    messages.ShowMessage(MessageIcon::Error, kUndoFailedTitle, UndoRefusedText(undo));
    return;
  }
  if (!messages.AskYesNo(kUndoImportTitle, UndoQuestionText(undo.Import))) return;
  const UndoOutcome outcome = UndoImport(state, undo);
  if (!outcome.Undone) {
    messages.ShowMessage(MessageIcon::Error, kUndoFailedTitle, UndoFailedText(outcome));
    return;
  }
  // A selector on a player the undo took out selects nothing.
  for (Selector* selector : {&state.Combo1, &state.Combo2})
    if (selector->ListIndex >= state.Table.PlayerCount) selector->ListIndex = -1;
  if (state.Table.PlayerCount == 0) state.Panel1 = state.Panel2 = DesignPanelLabels();
  RefreshPanels(state);
  if (outcome.Failed == UndoOutcome::Problem::SettingsWrite)
    messages.ShowMessage(MessageIcon::Error, kSaveFailedTitle, UndoSettingsFailedText(outcome.Failure));
}

std::string AboutText(const WindowState& state) {
  return std::string("Fragtally, версия ") + FRAGTALLY_VERSION +
         "\r\nСтатистика игроков Krellmar из ЛОГ файла игры.\r\n\r\nФайл статистики:\r\n" +
         platform::AbsolutePath(StatsFilePath(state)) + "\r\nФайл настроек:\r\n" +
         platform::AbsolutePath(SettingsFilePath(state)) + "\r\nЖурнал матчей:\r\n" +
         platform::AbsolutePath(JournalFilePath(state));
}

}  // namespace fragtally
