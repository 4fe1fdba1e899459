#pragma once

// Form1's handlers without widgets. The presenter (form_session.h) runs them
// for a window's events and hands the window what changed.

#include <memory>
#include <string>

#include "app/text/messages.h"
#include "app/main_window/panels.h"
#include "app/main_window/window_state.h"
#include "files/store.h"

namespace fragtally {

// A new window's state: empty table and selectors, the panels' design texts,
// and the folder that holds the program (and below it basekrm/).
std::unique_ptr<WindowState> NewForm1State(std::string program_folder);

// Before the window is first shown (after the window has loaded its panel
// pictures): the settings, the statistics file (its message when it cannot
// be read), then the first and second player selected, which fills both
// panels.
void Form_Load(WindowState& state, MessageSink& messages);

// The window became active: the trace's caret goes to its end.
void Form_Activate(WindowState& state);

// Closing: the statistics file (when there are players), then the settings
// file. Closing is never refused; a file that could not be written is told.
void Form_Unload(WindowState& state, MessageSink& messages);

// The import button: reads the game's log, refreshes both panels, and saves
// the statistics file (when there are players) and then the settings file;
// tells the user when the log was already imported or could not be read, or
// a file could not be written.
void Command1_Click(WindowState& state, MessageSink& messages);

// The ratings button: one box comparing the two shown players, using the
// user's decimal separator (UTF-8).
void Command2_Click(const WindowState& state, MessageSink& messages, const std::string& decimal_separator);

// The user chose entry `index` in a selector: the panel is filled. A player
// whose accuracy is too large to show is filled up to that label, and the
// user is told.
void SelectPlayer(WindowState& state, MessageSink& messages, Panel panel, int index);

// "Отменить последний импорт": asks (Yes/No, No the default) whether to take
// the newest import still in effect out of the statistics, naming how many
// matches of which game sessions it removes. Yes takes off every block it
// added, removes the players it added, restores the marker and counted blocks
// it found, and commits that as an import is committed (the journal's U line,
// the statistics file, the settings file); a later import counts those
// matches again. Whatever fails is told, and what was kept. Does nothing when
// the store's CanUndoImport is false (a menu greys its item then).
void UndoLastImport(WindowState& state, MessageSink& messages);

// The text of the "О программе" box (kAboutTitle): the version and the full
// paths of the statistics file, the settings file and the match journal.
std::string AboutText(const WindowState& state);

}  // namespace fragtally
