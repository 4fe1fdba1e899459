#pragma once

// The head-to-head window's presenter: two choosers over the statistics
// file's players (the main window's lists, in slot order) and what the
// window shows of the two chosen (head_to_head.h), every text made here.
// Both windows bind their choosers and lists to it and forward their events.

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window/window_state.h"
#include "app/matches/head_to_head.h"

namespace fragtally {

// The window's own texts (UTF-8); "&" marks the letter Alt chooses a control by.
struct HeadToHeadTexts {
  std::string_view Title;
  std::array<std::string_view, 2> ChooserLabels;  // before the first and the second player's chooser
  std::string_view ChooseTwo;     // the heading while fewer than two different players are chosen
  std::string_view Shared;        // the heading: before the number of shared matches
  std::string_view NoShared;      // the heading of two players without a shared match
  std::string_view LastHeading;   // above the last shared matches
  std::string_view Close;         // the button that closes the window
  std::string_view NoValue;       // a figure that has nothing to go by
  std::string_view OpenButton;    // the Players window's button that opens this window
  // The main window's menu command with fewer than two different players chosen in its lists.
  std::string_view MenuTitle;
  std::string_view MenuChooseTwo;
};
inline constexpr HeadToHeadTexts kHeadToHeadTexts{
    "Личные встречи",
    {"&Первый игрок:", "&Второй игрок:"},
    "Выберите двух разных игроков.",
    "Общих матчей в журнале: ",
    "В журнале нет матчей, которые они сыграли вместе.",
    "Последние общие матчи, новые сверху:",
    "Закрыть",
    "—",
    "&Личные встречи…",
    "Личные встречи",
    "Выберите двух разных игроков в списках главного окна: первого слева, второго справа."};

// The figures' rows, in order: a caption, then each player's value.
inline constexpr std::array<std::string_view, 6> kHeadToHeadFigureCaptions{
    "Место выше соперника",
    "Ничьих (одно место)",
    "Фрагов в общих матчах",
    "Фрагов за общий матч",
    "Мастерство",
    "Шанс занять место выше в следующей встрече",
};
// The last shared matches' columns: these three, then each player's place and frags.
inline constexpr std::array<std::string_view, 3> kHeadToHeadMatchCaptions{"Сессия", "Матч", "Карта"};
// Which of the last matches' columns are right-aligned (numbers); the figures' are all but the first.
inline constexpr std::array<bool, 7> kHeadToHeadMatchRightAligned{false, true, false, true, true, true, true};
inline constexpr std::string_view kHeadToHeadPlaceCaption = "Место: ";
inline constexpr std::string_view kHeadToHeadFragsCaption = "Фрагов: ";

// Sizes in pixels at 96 DPI.
struct HeadToHeadShape {
  int Width, Height;        // at its first opening
  int MinWidth, MinHeight;  // the least a player can make it
};
inline constexpr HeadToHeadShape kHeadToHeadShape{720, 460, 520, 380};

// What the window shows, every text UTF-8 (names and sessions decoded).
struct HeadToHeadView {
  std::string Heading;
  // The figures' column captions (empty, then the two names) and rows
  // (kHeadToHeadFigureCaptions with each one's value); no rows while two
  // different players are not chosen.
  std::array<std::string, 3> FigureColumns;
  std::vector<std::array<std::string, 3>> Figures;
  // The last shared matches: kHeadToHeadMatchCaptions, then place and frags
  // of the first and of the second ("Место: имя"); rows newest first.
  std::array<std::string, 7> MatchColumns;
  std::vector<std::array<std::string, 7>> Matches;
};

class HeadToHeadSession {
 public:
  explicit HeadToHeadSession(std::string decimal_separator) : decimal_separator_(std::move(decimal_separator)) {}

  // When the window opens and after every import and undo: the players and
  // the journal of `state` read afresh; the chosen players stay while their
  // slots do. True when the choosers' entries changed.
  bool Refresh(const WindowState& state);
  bool Refresh(const PlayerTable& table, std::shared_ptr<const MatchSnapshot> matches);

  // The players of slots `first` and `second` (from 1; 0: none) chosen.
  void Choose(int first, int second);
  // The player of `slot` becomes the first; the second stays unless it is
  // the same player (then none is chosen: the window asks for one).
  void ChooseFirst(int slot);
  // A chooser's entry chosen (`which` 0 or 1; entry -1: none).
  void ChooseEntry(int which, int entry);

  // The choosers' entries (the same for both): names in slot order, decoded.
  const std::vector<std::string>& Entries() const { return entries_; }
  // The entry each chooser shows (-1: none).
  int ChosenEntry(int which) const { return slots_[static_cast<std::size_t>(which)] - 1; }
  bool TwoChosen() const { return slots_[0] > 0 && slots_[1] > 0 && slots_[0] != slots_[1]; }

  const HeadToHead& Figures() const { return figures_; }
  const HeadToHeadView& View() const { return view_; }

 private:
  void Rebuild();

  std::string decimal_separator_;
  std::vector<std::string> names_;    // bytes, by slot - 1
  std::vector<std::string> entries_;  // names_ decoded
  std::shared_ptr<const MatchSnapshot> snapshot_;
  std::array<int, 2> slots_{0, 0};
  HeadToHead figures_;
  HeadToHeadView view_;
};

// "2 из 8": a place among a match's players.
std::string PlaceText(int place, std::size_t players);
// `units` of 10^-decimals as text, e.g. (6125, 2) -> "61,25" with ",".
std::string FixedPointText(std::int64_t units, int decimals, const std::string& decimal_separator);

}  // namespace fragtally
