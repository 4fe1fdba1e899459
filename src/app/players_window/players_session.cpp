#include "app/players_window/players_session.h"

#include <algorithm>

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
  model_.Refresh(state.Table, state.Matches->Current(state), LocalToday());
  KeepSelection();
}

void PlayersSession::Open(const WindowState& state) {
  Refresh(state);
  if (SelectedRow() < 0 && RowCount() > 0) SelectRow(0);
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

std::vector<std::string> PlayersSession::LongestCells() const {
  // Characters counted as UTF-8 lead bytes: exact for UTF-8, near enough for a one-byte code page.
  const auto characters = [](const std::string& text) {
    return std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
  };
  std::vector<std::string> longest(kPlayersColumns.size());
  std::vector<std::ptrdiff_t> lengths(kPlayersColumns.size(), 0);
  for (int row = 0; row < RowCount(); ++row) {
    for (std::size_t c = 0; c < kPlayersColumns.size(); ++c) {
      std::string cell = CellText(row, kPlayersColumns[c].Column);
      const std::ptrdiff_t length = characters(cell);
      if (length > lengths[c]) {
        lengths[c] = length;
        longest[c] = std::move(cell);
      }
    }
  }
  return longest;
}

PlayersPageView PlayersSession::PageView() const {
  PlayersPageView view;
  if (!page_) {
    view.HeadingText = kPlayersWindowTexts.NoPlayer;
    return view;
  }
  const PlayerPage& page = *page_;
  view.HeadingName = page.Name;
  view.HeadingText = page.MatchCount == 0 ? std::string(kPlayersWindowTexts.NoMatches)
                                          : std::string(kPlayersWindowTexts.Matches) + std::to_string(page.MatchCount);
  if (page.MatchCount > 0) {
    view.Frags = &page.Frags;
    view.Accuracy = &page.Accuracy;
  }
  for (const PlayerRecord& record : page.Records) {
    const bool set = !record.Value.empty();
    view.Records.push_back({record.Caption, set ? record.Value : std::string(kPlayersWindowTexts.NoRecord),
                            set ? record.Session : std::string(), set ? RecordMatchText(record) : std::string()});
  }
  for (const JournalMatch* match : page.LastMatches) {
    std::vector<std::string>& cells = view.LastMatches.emplace_back();
    for (std::size_t c = 0; c < kLastMatchColumns.size(); ++c) cells.push_back(MatchCellText(*match, c));
  }
  return view;
}

}  // namespace fragtally
