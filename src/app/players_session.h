#pragma once

// The Players window's presenter: the model of players.h read from the main
// window's table and the match journal, with the selected player kept across
// refreshes, sorts and periods. A window binds its table, period choice,
// charts and lists to it and forwards its events here.

#include <optional>
#include <string>

#include "app/players.h"
#include "app/window_state.h"

namespace fragtally {

// Today's date on this computer's clock.
DayNumber LocalToday();

class PlayersSession {
 public:
  explicit PlayersSession(std::string decimal_separator) : decimal_separator_(std::move(decimal_separator)) {}

  // When the window opens and after every import and undo: the table of
  // `state` (read until the next refresh) and the journal read afresh.
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
  // The selected player's row (-1 when none), and page.
  int SelectedRow() const { return selected_slot_ > 0 ? model_.RowOfSlot(selected_slot_) : -1; }
  const std::optional<PlayerPage>& Page() const { return page_; }
  const std::string& decimal_separator() const { return decimal_separator_; }

 private:
  void KeepSelection();

  std::string decimal_separator_;
  PlayersWindowModel model_;
  int selected_slot_ = 0;
  std::optional<PlayerPage> page_;
};

}  // namespace fragtally
