#include "app/commands.h"

#include <exception>

#include "app/ratings.h"
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

// Saves the statistics file (when there are players), then the settings
// file, and tells the player of whatever went wrong. The settings follow the
// statistics only: after a statistics save that failed or was refused, the
// settings file keeps the last import it knew of, so that the next import
// counts the matches that did not reach the statistics file again instead of
// losing them.
void SaveFiles(WindowState& state, MessageSink& messages, SaveMoment moment) {
  state.SavePending = true;
  if (state.Table.PlayerCount > 0) {
    try {
      const std::string backup = SaveStatsFile(state);
      if (!backup.empty()) messages.ShowMessage(MessageIcon::Information, kStatsBackupTitle, StatsBackupText(backup));
    } catch (const std::exception& error) {
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
  try {
    SaveSettings(state);
    state.SavePending = false;
  } catch (const std::exception& error) {
    messages.ShowMessage(MessageIcon::Error, kSaveFailedTitle,
                         SettingsSaveFailedText(FailureOf(error, SettingsFilePath(state)), moment));
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
    const platform::FileFailure* failure = FileFailureOf(error);
    if (failure != nullptr && failure->Fault != platform::FileFault::NotFound && state.KeepOldStatsFile)
      // It is there, but another program holds it, or it may not be read.
      messages.ShowMessage(MessageIcon::Error, kStatsUnreadableTitle, StatsUnreadableText(*failure));
    else
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
  try {
    if (ImportLog(state) == ImportOutcome::LogUnchanged) {
      // Nothing new; but what an earlier press could not save is saved now.
      if (state.SavePending) SaveFiles(state, messages, SaveMoment::Import);
      if (!state.SavePending) messages.ShowMessage(MessageIcon::Information, kLogUnchangedTitle, kLogUnchangedText);
      return;
    }
    RefreshPanels(state);
  } catch (const std::exception& error) {
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

}  // namespace fragtally
