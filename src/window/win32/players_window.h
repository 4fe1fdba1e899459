#pragma once

// The Players window: one modeless window, owned by the main window, that
// shows every player of the statistics file (PlayersSession) with the period
// choice above the table and the selected player's page below it (the
// charts of frags, accuracy and skill, the last games with the chosen match's
// scoreboard, the records, the maps). It reads the main window's state
// when it opens and whenever the totals change, and closes with Escape.
// A splitter bar shares the height between the table and the page; the
// window's place and the splitter's are kept in the game folder's window
// file when it closes and come back when it opens.

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/players_window/players_session.h"
#include "window/win32/owned_window.h"

namespace fragtally::win32 {

// Fixed IDs: the window's own (its "Fragtally.Id" property) and its controls'.
enum PlayersId : int {
  kPlayersWindowId = 8000,
  kPeriodId = 8001,
  kPlayersTableId = 8002,
  kFragsChartId = 8003,
  kAccuracyChartId = 8004,
  kRecordsId = 8005,
  kLastMatchesId = 8006,
  kPlayerHeadingId = 8007,  // the selected player's name and number of matches
  kPeriodLabelId = 8008,
  kSkillChartId = 8030,
  kMapsId = 8031,
  kScoreboardId = 8032,
  kScoreboardTitleId = 8033,
  kSplitterId = 8040,        // between the table and the page
  kAccuracyWeaponId = 8041,  // the accuracy chart's weapon
  // The people's controls (the list dialog's are in name_dialog.h).
  kMergeButtonId = 8090,
  kSplitButtonId = 8091,
  kHideButtonId = 8092,
  kHiddenNamesButtonId = 8093,
  kRankMinimumLabelId = 8094,
  kRankMinimumId = 8095,      // an edit of digits
  kRankMinimumSpinId = 8096,  // its up-down arrows
  kRankLegendId = 8097,
  kNamesId = 8098,            // the page's list of the person's names
};

class PlayersWindow : public OwnedWindow {
  // Its window procedure reaches HandleMessage, Destroyed and hwnd_.
  template <class Window>
  friend LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

 public:
  // `font` (the main window's, at `dpi`) must outlive the window; the
  // commands on people tell their failures through `messages`.
  PlayersWindow(HINSTANCE instance, HWND owner, UINT dpi, HFONT font, std::string decimal_separator,
                MessageSink& messages);
  ~PlayersWindow() { Close(); }

  // Creates the window when it is not open, reads `state` and brings it to
  // the front. False when the system refused to create it. The commands on
  // people change `state` until the next Open or Refresh.
  bool Open(WindowState& state);
  // Reads `state` again when the window is open (the totals changed).
  void Refresh(WindowState& state);

  PlayersSession& session() { return session_; }
  // What the head-to-head button (kHeadToHeadButtonId) does: opens that
  // window for the slot of the selected player (0: none).
  void SetHeadToHead(std::function<void(int slot)> open) { open_head_to_head_ = std::move(open); }
  // Told after every change of people (the other windows that show them refresh).
  void SetPeopleChanged(std::function<void()> changed) { people_changed_ = std::move(changed); }
  // Asks for one of `names` (bytes): its index, or none when cancelled. The
  // list dialog (name_dialog.h) unless replaced (a test, the picture tool).
  using NameChooser = PlayersSession::NameChooser;
  void SetNameChooser(NameChooser chooser) { choose_name_ = std::move(chooser); }
  // The tooltips over the captions of the list `id` (the table or a list of the page).
  HWND HeaderTooltips(int id) const;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Destroyed();
  bool Create(const FileState& files);
  // The window's place and the splitter's into the window file.
  void SavePlacement();
  // The accuracy chart's weapons and chart.
  void ShowWeapons(const PlayersPageView& view);
  void CreateControls();
  void Layout();
  LRESULT OnNotify(const NMHDR& header);
  // The table after a change of rows or order, with the selection kept; then the page.
  void ShowTable();
  void ShowPage();
  void ShowScoreboard(const PlayersPageView& view);
  void PlaceTooltips();
  // The table's columns sized to their captions and longest cells.
  void FitColumns();
  // The people's buttons enabled for the rows chosen; the minimum shown.
  void ShowPeopleControls();
  std::vector<int> ChosenRows() const;
  void RunPeopleCommand(int id);
  std::optional<int> AskName(std::string_view title, std::string_view prompt, std::string_view button,
                             const std::vector<std::string>& names);

  std::function<void(int slot)> open_head_to_head_;
  std::function<void()> people_changed_;
  NameChooser choose_name_;
  MessageSink& messages_;
  WindowState* state_ = nullptr;  // of the last Open or Refresh
  PlayersSession session_;
  bool showing_ = false;  // the window changes the table's selection itself
  std::wstring cell_;     // the text of the last cell the table asked for
  std::array<HWND, 6> tooltips_{};  // over the captions of the lists of kTooltipLists
  bool showing_page_ = false;  // the window chooses the last games' row itself
  // The charts shown, in the session's page; null: the place stays blank.
  const Chart* frags_ = nullptr;
  const Chart* accuracy_ = nullptr;
  const Chart* skill_ = nullptr;
  const FileState* files_ = nullptr;  // the main window's, for the window file
  std::optional<int> table_height_;   // where the splitter was put; none: the default share
};

}  // namespace fragtally::win32
