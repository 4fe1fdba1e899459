#include "app/players_window/players_session.h"

#include <algorithm>

#include "app/matches/people.h"
#include "files/journal.h"
#include "files/paths.h"
#include "platform/platform.h"

namespace fragtally {

DayNumber LocalToday() {
  const std::string stamp = platform::LocalTimeStamp();  // YYYYMMDD-HHMMSS
  auto number = [&](std::size_t at, std::size_t length) { return std::stoi(stamp.substr(at, length)); };
  return DaysFromCivil(number(0, 4), number(4, 2), number(6, 2));
}

void PlayersSession::Refresh(const WindowState& state) { Show(state.Table, state.Matches->Current(state), LocalToday()); }

void PlayersSession::Show(const PlayerTable& table, std::shared_ptr<const MatchSnapshot> matches, DayNumber today) {
  model_.Refresh(table, std::move(matches), today);
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

void PlayersSession::ChooseWeapon(int choice) {
  chosen_weapon_ = page_ && choice > 0 && static_cast<std::size_t>(choice) <= page_->Weapons.size()
                       ? page_->Weapons[static_cast<std::size_t>(choice - 1)].Name
                       : std::string();
  ShowWeapon();
}

void PlayersSession::ShowWeapon() {
  weapon_choice_ = 0;
  if (!page_ || chosen_weapon_.empty()) return;
  const auto& used = page_->Weapons;
  const auto weapon = std::find_if(used.begin(), used.end(), [&](const WeaponShots& shots) { return shots.Name == chosen_weapon_; });
  if (weapon == used.end()) return;
  weapon_choice_ = static_cast<int>(weapon - used.begin()) + 1;
  weapon_chart_ = AccuracyChart(used, weapon_choice_ - 1, page_->MatchCount, kMovingAverageMatches, decimal_separator_);
}

void PlayersSession::SelectMatch(int row) {
  chosen_match_ = page_ && row >= 0 && row < static_cast<int>(page_->LastMatches.size()) ? row : -1;
}

// The page follows the selected player; an undo may have taken the player away.
void PlayersSession::KeepSelection() {
  const int row = SelectedRow();
  if (row < 0) {
    selected_slot_ = 0;
    page_.reset();
    chosen_match_ = -1;
    weapon_choice_ = 0;
    return;
  }
  page_ = model_.Page(row, decimal_separator_);
  ShowWeapon();
  const auto& played = page_->LastPlayed;
  const auto newest = std::find_if(played.begin(), played.end(), [](const PlayedMatch* match) { return match != nullptr; });
  chosen_match_ = newest != played.end() ? static_cast<int>(newest - played.begin()) : -1;
}

std::string BelowMinimumText(std::int64_t minimum) {
  // "меньше 1 матча", "меньше 21 матча", "меньше 10 матчей".
  const bool one = minimum % 10 == 1 && minimum % 100 != 11;
  return "меньше " + std::to_string(minimum) + (one ? " матча" : " матчей");
}

std::string RankLegendText(std::int64_t minimum) {
  return "Серые строки: " + BelowMinimumText(minimum) + ", вне рейтинга";
}

std::vector<std::string> PlayersSession::MergeChoices(const std::vector<int>& rows) const {
  std::vector<std::string> names;
  for (int row : rows)
    if (row >= 0 && row < RowCount()) names.push_back(model_.Rows()[static_cast<std::size_t>(row)].Name);
  return names;
}

bool PlayersSession::Merge(WindowState& state, MessageSink& messages, const std::vector<int>& rows,
                           const std::string& shown) {
  const bool merged = MergeNames(state, messages, MergeChoices(rows), shown);
  if (merged) {
    // The merged person stays chosen.
    for (int row : rows)
      if (row >= 0 && row < RowCount() && model_.Rows()[static_cast<std::size_t>(row)].Name == shown)
        selected_slot_ = model_.Rows()[static_cast<std::size_t>(row)].Slot;
    Refresh(state);
  }
  return merged;
}

bool PlayersSession::MergeChosen(WindowState& state, MessageSink& messages, const std::vector<int>& rows,
                                 const NameChooser& choose) {
  const std::vector<std::string> names = MergeChoices(rows);
  if (names.size() < 2) {
    messages.ShowMessage(MessageIcon::Information, kPeopleFailedTitle, kMergeTooFewText);
    return false;
  }
  const std::optional<int> shown = choose(kPeopleTexts.MergeTitle, kPeopleTexts.MergePrompt, kPeopleTexts.MergeButton, names);
  if (!shown || *shown < 0 || *shown >= static_cast<int>(names.size())) return false;
  return Merge(state, messages, rows, names[static_cast<std::size_t>(*shown)]);
}

bool PlayersSession::ShowHiddenChosen(WindowState& state, MessageSink& messages, const NameChooser& choose) {
  const std::vector<std::string> names = HiddenNames();
  if (names.empty()) {
    messages.ShowMessage(MessageIcon::Information, std::string(kPeopleTexts.HiddenTitle), std::string(kPeopleTexts.NoHidden));
    return false;
  }
  const std::optional<int> shown = choose(kPeopleTexts.HiddenTitle, kPeopleTexts.HiddenPrompt, kPeopleTexts.ShowButton, names);
  if (!shown || *shown < 0 || *shown >= static_cast<int>(names.size())) return false;
  return Show(state, messages, names[static_cast<std::size_t>(*shown)]);
}

bool PlayersSession::CanSplit(int row) const {
  const MatchSnapshot* snapshot = model_.Matches();
  if (row < 0 || row >= RowCount() || snapshot == nullptr) return false;
  return !snapshot->Who.OtherNames(model_.Rows()[static_cast<std::size_t>(row)].Name).empty();
}

bool PlayersSession::Split(WindowState& state, MessageSink& messages, int row) {
  if (!CanSplit(row)) return false;
  const bool split = SplitPerson(state, messages, model_.Rows()[static_cast<std::size_t>(row)].Name);
  if (split) Refresh(state);
  return split;
}

bool PlayersSession::Hide(WindowState& state, MessageSink& messages, const std::vector<int>& rows) {
  bool hidden = false;
  for (const std::string& name : MergeChoices(rows)) {
    if (!HideName(state, messages, name)) break;
    hidden = true;
  }
  if (hidden) Refresh(state);
  return hidden;
}

std::vector<std::string> PlayersSession::HiddenNames() const {
  std::vector<std::string> names;
  if (const MatchSnapshot* snapshot = model_.Matches()) names.assign(snapshot->Who.Hidden.begin(), snapshot->Who.Hidden.end());
  std::sort(names.begin(), names.end());
  return names;
}

bool PlayersSession::Show(WindowState& state, MessageSink& messages, const std::string& name) {
  const bool shown = ShowName(state, messages, name);
  if (shown) Refresh(state);
  return shown;
}

std::int64_t PlayersSession::RankMinimum() const {
  const MatchSnapshot* snapshot = model_.Matches();
  return snapshot != nullptr ? snapshot->Who.RankMinimum : kDefaultRankMinimum;
}

bool PlayersSession::SetRankMinimum(WindowState& state, MessageSink& messages, std::int64_t minimum) {
  minimum = std::clamp<std::int64_t>(minimum, 0, kMaxRankMinimum);
  if (minimum == RankMinimum()) return false;
  const bool set = fragtally::SetRankMinimum(state, messages, minimum);
  if (set) Refresh(state);
  return set;
}

std::string PlayersSession::RowNote(int row) const {
  if (row < 0 || row >= RowCount() || Ranked(row)) return {};
  return "Не в рейтинге: " + BelowMinimumText(RankMinimum()) + " (матчей: " +
         std::to_string(model_.Rows()[static_cast<std::size_t>(row)].MatchCount) + ")";
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
  view.ScoreboardTitle = kPlayersWindowTexts.NoScoreboard;
  if (!page_) {
    view.HeadingText = kPlayersWindowTexts.NoPlayer;
    return view;
  }
  const PlayerPage& page = *page_;
  view.HeadingName = page.Name;
  const PeriodSpan& span = model_.Span();
  if (page.MatchCount == 0) {
    view.HeadingText = kPlayersWindowTexts.NoMatches;
  } else if (span.Period == PlayersPeriod::AllTime) {
    view.HeadingText = std::string(kPlayersWindowTexts.Matches) + std::to_string(page.MatchCount);
  } else {
    // The page's figures are the period's: the heading says which.
    view.HeadingText = std::string(kPlayersWindowTexts.PeriodMatches) + PeriodText(span) +
                       std::string(kPlayersWindowTexts.PeriodMatchesEnd) + std::to_string(page.MatchCount);
  }
  if (page.MatchCount > 0) {
    view.Frags = &page.Frags;
    view.Accuracy = weapon_choice_ > 0 ? &weapon_chart_ : &page.Accuracy;
    view.WeaponChoices.emplace_back(kPlayersWindowTexts.AllWeapons);
    for (const WeaponShots& weapon : page.Weapons) view.WeaponChoices.push_back(weapon.Name);
    view.WeaponChoice = weapon_choice_;
  }
  if (!page.Skill.Series.empty()) view.Skill = &page.Skill;
  for (const PlayerRecord& record : page.Records) {
    const bool set = !record.Value.empty();
    view.Records.push_back({record.Caption, set ? record.Value : std::string(kPlayersWindowTexts.NoRecord),
                            set ? record.Session : std::string(), set ? RecordMatchText(record) : std::string()});
  }
  for (std::size_t i = 0; i < page.LastMatches.size(); ++i) {
    std::vector<std::string>& cells = view.LastMatches.emplace_back();
    for (std::size_t c = 0; c < kLastMatchColumns.size(); ++c)
      cells.push_back(MatchCellText(*page.LastMatches[i], c, page.LastPlayed[i]));
  }
  for (const PersonName& name : page.Names)
    view.Names.push_back({name.Name, name.First.substr(0, 16), name.Last.substr(0, 16)});
  for (const MapFigures& map : page.Maps) {
    std::vector<std::string>& cells = view.Maps.emplace_back();
    for (std::size_t c = 0; c < kMapColumns.size(); ++c) cells.push_back(MapCellText(map, c, decimal_separator_));
  }
  view.ChosenMatch = chosen_match_;
  if (chosen_match_ >= 0) {
    if (const PlayedMatch* match = page.LastPlayed[static_cast<std::size_t>(chosen_match_)]) {
      view.ScoreboardTitle = ScoreboardTitle(*match);
      view.Scoreboard = ScoreboardRows(*match, decimal_separator_);
    } else {
      view.ScoreboardTitle = kPlayersWindowTexts.NoMatch;
    }
  }
  return view;
}

}  // namespace fragtally
