#include "app/commands.h"

#include <exception>

#include "app/ratings.h"
#include "files/settings_file.h"
#include "files/stats_file.h"
#include "import/log_import.h"

namespace fragtally {

namespace {

void ShowLogNotFound(MessageSink& messages) {
  messages.ShowMessage(MessageIcon::Error, kLogNotFoundTitle, std::string(kLogNotFoundText) + kContactAddress);
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
  } catch (const std::exception&) {
    messages.ShowMessage(MessageIcon::Error, kStatsNotFoundTitle, std::string(kStatsNotFoundText) + kContactAddress);
    return;
  }
  const int players = state.Table.PlayerCount;
  if (players == 0) return;
  bool fill_failed = false;
  for (auto [panel, index] : {std::pair{Panel::First, 0}, std::pair{Panel::Second, players >= 2 ? 1 : 0}}) {
    try {
      SelectEntry(state, panel, index);
    } catch (const Error&) {
      fill_failed = true;  // the texts before the failing label are shown
    }
  }
  if (fill_failed) ShowFillFailure(messages);
}

void Form_Activate(WindowState& state) { state.TraceCaret = state.Trace.size(); }

void Form_Unload(WindowState& state, MessageSink& messages) {
  if (state.Table.PlayerCount > 0) {
    try {
      SaveStatsFile(state);
    } catch (const std::exception& error) {
      messages.ShowMessage(MessageIcon::Error, kSaveFailedTitle, kStatsSaveFailedText + std::string(error.what()));
    }
  }
  try {
    SaveSettings(state);
  } catch (const std::exception& error) {
    messages.ShowMessage(MessageIcon::Error, kSaveFailedTitle, kSettingsSaveFailedText + std::string(error.what()));
  }
}

void Command1_Click(WindowState& state, MessageSink& messages) {
  try {
    if (ImportLog(state) == ImportOutcome::LogUnchanged) {
      messages.ShowMessage(MessageIcon::Information, kLogUnchangedTitle, kLogUnchangedText);
      return;
    }
    RefreshPanels(state);
    // The totals reach the disk before the marker does: a program that dies
    // between the two saves imports the log again instead of losing it.
    if (state.Table.PlayerCount > 0) SaveStatsFile(state);
    SaveSettings(state);
  } catch (const std::exception&) {
    ShowLogNotFound(messages);
  }
}

void Command2_Click(const WindowState& state, MessageSink& messages, const std::string& decimal_separator) {
  const RatingsInput first = GatherRatingsInput(state.Combo1, state.Panel1);
  const RatingsInput second = GatherRatingsInput(state.Combo2, state.Panel2);
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
  } catch (const Error&) {
    ShowFillFailure(messages);
  }
}

}  // namespace fragtally
