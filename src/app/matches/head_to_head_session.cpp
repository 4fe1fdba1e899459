#include "app/matches/head_to_head_session.h"

#include <cmath>
#include <cstdlib>

#include "app/main_window/ratings.h"
#include "app/text/text_decoding.h"
#include "stats/numbers.h"

namespace fragtally {

namespace {

constexpr std::size_t kFrags = CounterIndex(&PlayerTable::Frags);

std::string Decoded(std::string_view bytes) { return ToUtf8(DisplayText(bytes)); }

std::string Number(std::int64_t value) { return NumberText(static_cast<long long>(value)); }

// numerator / denominator (> 0) in hundredths, half away from zero, exact in integers.
std::int64_t Hundredths(std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t magnitude = (std::llabs(numerator) * 200 + denominator) / (2 * denominator);
  return numerator < 0 ? -magnitude : magnitude;
}

}  // namespace

std::string PlaceText(int place, std::size_t players) {
  return Number(place) + " из " + Number(static_cast<std::int64_t>(players));
}

std::string FixedPointText(std::int64_t units, int decimals, const std::string& decimal_separator) {
  std::int64_t scale = 1;
  for (int d = 0; d < decimals; ++d) scale *= 10;
  const std::uint64_t magnitude = units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
  std::string text = units < 0 ? "-" : "";
  text += Number(static_cast<std::int64_t>(magnitude / static_cast<std::uint64_t>(scale)));
  if (decimals > 0) {
    std::string fraction = Number(static_cast<std::int64_t>(magnitude % static_cast<std::uint64_t>(scale)));
    text += decimal_separator;
    text.append(static_cast<std::size_t>(decimals) - fraction.size(), '0');
    text += fraction;
  }
  return text;
}

bool HeadToHeadSession::Refresh(const WindowState& state) { return Refresh(state.Table, state.Matches->Current(state)); }

bool HeadToHeadSession::Refresh(const PlayerTable& table, std::shared_ptr<const MatchSnapshot> matches) {
  snapshot_ = std::move(matches);
  const int count = SelectorEntryCount(table);
  bool changed = static_cast<int>(names_.size()) != count;
  if (!changed)
    for (int k = 0; k < count && !changed; ++k) changed = names_[static_cast<std::size_t>(k)] != SelectorEntry(table, k);
  if (changed) {
    names_.clear();
    entries_.clear();
    names_.reserve(static_cast<std::size_t>(count));
    entries_.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
      names_.push_back(SelectorEntry(table, k));
      entries_.push_back(Decoded(names_.back()));
    }
    for (int& slot : slots_)
      if (slot > count) slot = 0;  // an undone import took the player away
  }
  Rebuild();
  return changed;
}

void HeadToHeadSession::Choose(int first, int second) {
  const int count = static_cast<int>(names_.size());
  slots_ = {first >= 1 && first <= count ? first : 0, second >= 1 && second <= count ? second : 0};
  Rebuild();
}

void HeadToHeadSession::ChooseFirst(int slot) { Choose(slot, slots_[1] == slot ? 0 : slots_[1]); }

void HeadToHeadSession::ChooseEntry(int which, int entry) {
  std::array<int, 2> slots = slots_;
  slots[which == 0 ? 0 : 1] = entry + 1;
  Choose(slots[0], slots[1]);
}

void HeadToHeadSession::Rebuild() {
  view_ = {};
  figures_ = {};
  const std::array<std::string, 2> names{slots_[0] > 0 ? entries_[static_cast<std::size_t>(slots_[0] - 1)] : "",
                                         slots_[1] > 0 ? entries_[static_cast<std::size_t>(slots_[1] - 1)] : ""};
  view_.FigureColumns = {"", names[0], names[1]};
  for (std::size_t c = 0; c < kHeadToHeadMatchCaptions.size(); ++c)
    view_.MatchColumns[c] = std::string(kHeadToHeadMatchCaptions[c]);
  for (std::size_t p = 0; p < 2; ++p) {
    view_.MatchColumns[3 + 2 * p] = std::string(kHeadToHeadPlaceCaption) + names[p];
    view_.MatchColumns[4 + 2 * p] = std::string(kHeadToHeadFragsCaption) + names[p];
  }
  // Two names joined into one person are not two players.
  if (!TwoChosen() || snapshot_ == nullptr ||
      snapshot_->Who.PersonOf(names_[static_cast<std::size_t>(slots_[0] - 1)]) ==
          snapshot_->Who.PersonOf(names_[static_cast<std::size_t>(slots_[1] - 1)])) {
    view_.Heading = std::string(kHeadToHeadTexts.ChooseTwo);
    return;
  }
  figures_ = BuildHeadToHead(*snapshot_, names_[static_cast<std::size_t>(slots_[0] - 1)],
                             names_[static_cast<std::size_t>(slots_[1] - 1)]);
  const HeadToHead& f = figures_;
  view_.Heading = f.Shared > 0 ? std::string(kHeadToHeadTexts.Shared) + Number(f.Shared)
                               : std::string(kHeadToHeadTexts.NoShared);

  // The chances add up to 100% as shown: the second is what the first leaves.
  const std::int64_t first_chance =
      std::min<std::int64_t>(1000, std::max<std::int64_t>(0, std::llround(f.Chance.First * 1000.0)));
  const std::array<std::int64_t, 2> chance{first_chance, 1000 - first_chance};
  const auto row = [&](std::size_t caption, const auto& value) {
    view_.Figures.push_back({std::string(kHeadToHeadFigureCaptions[caption]), value(0), value(1)});
  };
  row(0, [&](std::size_t p) { return Number(f.Higher[p]); });
  row(1, [&](std::size_t) { return Number(f.Draws); });
  row(2, [&](std::size_t p) { return Number(f.Frags[p]); });
  row(3, [&](std::size_t p) {
    return f.Shared > 0 ? FixedPointText(Hundredths(f.Frags[p], f.Shared), 2, decimal_separator_)
                        : std::string(kHeadToHeadTexts.NoValue);
  });
  row(4, [&](std::size_t p) {
    return FixedPointText(std::llround(ShownSkill(f.Ratings[p]) * 100.0), 2, decimal_separator_);
  });
  row(5, [&](std::size_t p) { return FixedPointText(chance[p], 1, decimal_separator_) + " %"; });

  const MatchBook& book = snapshot_->Book;
  for (const SharedMatch& shared : f.Last) {
    const PlayedMatch& match = book.Matches[shared.Match];
    std::array<std::string, 7>& cells = view_.Matches.emplace_back();
    cells[0] = Decoded(*match.Session);
    cells[1] = Number(match.Number);
    cells[2] = Decoded(*match.Map);
    for (std::size_t p = 0; p < 2; ++p) {
      cells[3 + 2 * p] = PlaceText(shared.Games[p]->Place, match.Games.size());
      cells[4 + 2 * p] = Number(shared.Games[p]->Block->Added[kFrags]);
    }
  }
}

}  // namespace fragtally
