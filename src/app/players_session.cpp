#include "app/players_session.h"

#include "files/journal.h"
#include "files/paths.h"
#include "platform/platform.h"

namespace fragtally {

DayNumber LocalToday() {
  const std::string stamp = platform::LocalTimeStamp();  // YYYYMMDD-HHMMSS
  auto number = [&](std::size_t at, std::size_t length) { return std::stoi(stamp.substr(at, length)); };
  return DaysFromCivil(number(0, 4), number(4, 2), number(6, 2));
}

void PlayersSession::Refresh(const WindowState& state) {
  model_.Refresh(state.Table, ReadJournalMatches(JournalFilePath(state)), LocalToday());
  KeepSelection();
}

void PlayersSession::SetPeriod(PlayersPeriod period) {
  model_.SetPeriod(period);
  KeepSelection();
}

void PlayersSession::ClickHeader(PlayersColumn column) { model_.ClickHeader(column); }

void PlayersSession::SelectRow(int row) {
  selected_slot_ = row >= 0 && row < RowCount() ? model_.Rows()[static_cast<std::size_t>(row)].Slot : 0;
  KeepSelection();
}

// The page follows the selected player; an undo may have taken the player away.
void PlayersSession::KeepSelection() {
  const int row = SelectedRow();
  if (row < 0) {
    selected_slot_ = 0;
    page_.reset();
    return;
  }
  page_ = model_.Page(row, decimal_separator_);
}

}  // namespace fragtally
