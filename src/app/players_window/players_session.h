#pragma once

// The Players window's presenter: the model of players.h read from the main
// window's table and the match journal, with the selected player kept across
// refreshes, sorts and periods. A window binds its table, period choice,
// charts and lists to it and forwards its events here.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/players_window/players.h"
#include "app/main_window/window_state.h"

namespace fragtally {

// The Players window's own texts (UTF-8) and shape, the same in both windows.
struct PlayersWindowTexts {
  std::string_view Title;
  std::string_view PeriodLabel;  // before the period's choice; "&" marks the letter Alt chooses it by
  std::string_view NoPlayer;     // the page's heading while no row is chosen
  std::string_view Matches;      // after the chosen player's name, before the number of matches
  std::string_view NoMatches;    // after the name of a player without matches in the journal
  std::string_view NoRecord;     // the value of a record that no match set
};
inline constexpr PlayersWindowTexts kPlayersWindowTexts{
    "Игроки", "&Период:", "Выберите игрока в таблице.", " — матчей в журнале: ",
    " — в журнале нет матчей этого игрока.", "—"};

// Sizes in pixels at 96 DPI.
struct PlayersWindowShape {
  int Width, Height;        // at its first opening
  int MinWidth, MinHeight;  // the least a player can make it
  double TableShare;        // the table's share of the height below the period's choice
};
inline constexpr PlayersWindowShape kPlayersWindowShape{900, 640, 560, 440, 0.3};

// A column of the page's lists.
struct PageListColumn {
  std::string_view Caption;  // UTF-8
  CellAlign Align;
  std::string_view Tooltip = {};  // UTF-8: what the column holds, shown over its header; empty: none
};
// The personal records: what, its value, and the session and match that set it.
inline constexpr std::array<PageListColumn, 4> kRecordColumns{{
    {"Рекорд", CellAlign::Left},
    {"Значение", CellAlign::Right},
    {kMatchColumnCaptions[0], CellAlign::Left},
    {kMatchColumnCaptions[1], CellAlign::Right},
}};
// The last matches, newest first.
inline constexpr std::array<PageListColumn, kMatchColumnCaptions.size()> kLastMatchColumns{{
    {kMatchColumnCaptions[0], CellAlign::Left},
    {kMatchColumnCaptions[1], CellAlign::Right},
    {kMatchColumnCaptions[2], CellAlign::Right},
    {kMatchColumnCaptions[3], CellAlign::Right},
    {kMatchColumnCaptions[4], CellAlign::Right},
    {kMatchColumnCaptions[5], CellAlign::Right},
    {kMatchColumnCaptions[6], CellAlign::Right},
    {kMatchColumnCaptions[7], CellAlign::Right},
}};

// The page of the chosen player as both windows show it. The heading's name
// and every cell are each either bytes of the game (a name, a session) or
// UTF-8; a window decodes each by itself for display.
struct PlayersPageView {
  std::string HeadingName;  // bytes: the chosen player's name; empty while none is chosen
  std::string HeadingText;  // UTF-8, after the name
  // The charts, or null: their places stay blank while no player with
  // matches in the journal is chosen.
  const Chart* Frags = nullptr;
  const Chart* Accuracy = nullptr;
  std::vector<std::vector<std::string>> Records;      // in kRecordColumns' order
  std::vector<std::vector<std::string>> LastMatches;  // in kLastMatchColumns' order
};

// Today's date on this computer's clock.
DayNumber LocalToday();

class PlayersSession {
 public:
  explicit PlayersSession(std::string decimal_separator) : decimal_separator_(std::move(decimal_separator)) {}

  // When the window opens: as Refresh, and the first row is chosen when no
  // player is.
  void Open(const WindowState& state);
  // After every import and undo: the table of `state` (read until the next
  // refresh) and the journal read afresh.
  void Refresh(const WindowState& state);

  void SetPeriod(PlayersPeriod period);
  void ClickHeader(PlayersColumn column);
  // The player of a row chosen (-1: none).
  void SelectRow(int row);

  const PlayersWindowModel& model() const { return model_; }
  int RowCount() const { return static_cast<int>(model_.Rows().size()); }
  std::string CellText(int row, PlayersColumn column) const {
    return model_.CellText(row, column, decimal_separator_);
  }
  // For each column of kPlayersColumns, its longest cell (in characters) in
  // the rows shown: a window sizes the column to it and to its caption,
  // without measuring every row.
  std::vector<std::string> LongestCells() const;
  // The selected player's row (-1 when none), and page.
  int SelectedRow() const { return selected_slot_ > 0 ? model_.RowOfSlot(selected_slot_) : -1; }
  const std::optional<PlayerPage>& Page() const { return page_; }
  // The page as the window shows it (it points into Page()).
  PlayersPageView PageView() const;
  const std::string& decimal_separator() const { return decimal_separator_; }

 private:
  void KeepSelection();

  std::string decimal_separator_;
  PlayersWindowModel model_;
  int selected_slot_ = 0;
  std::optional<PlayerPage> page_;
};

}  // namespace fragtally
