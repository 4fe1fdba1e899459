#include "stats/stats_line.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "stats/numbers.h"

namespace fragtally {

// ---------------------------------------------------------------- statistics lines

namespace {

constexpr std::string_view kConsole = "console: ";

// Every prefix starts with "console: "; the character after it narrows the
// thirteen kinds down to at most two, in the order of the table.
struct Candidates {
  std::uint8_t count = 0;
  std::uint8_t kinds[3] = {};
};
constexpr std::array<Candidates, 256> kByFirstLetter = [] {
  std::array<Candidates, 256> table{};
  for (std::size_t k = 0; k < kStatsLineKinds.size(); ++k) {
    Candidates& entry = table[static_cast<unsigned char>(kStatsLineKinds[k].Prefix[kConsole.size()])];
    entry.kinds[entry.count++] = static_cast<std::uint8_t>(k);
  }
  return table;
}();

std::uint64_t WordAt(const char* at) {
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// Whether `line`, which starts with "console: " as every prefix does, starts
// with `prefix` (13 to 24 bytes): the eight bytes that end it and those from
// the eighth on cover the rest.
bool StartsWithPrefix(std::string_view line, std::string_view prefix) {
  const std::size_t size = prefix.size();
  return line.size() >= size && WordAt(line.data() + size - 8) == WordAt(prefix.data() + size - 8) &&
         (size <= 16 || WordAt(line.data() + 8) == WordAt(prefix.data() + 8));
}
static_assert(std::all_of(kStatsLineKinds.begin(), kStatsLineKinds.end(), [](const StatsLineKind& kind) {
  return kind.Prefix.size() >= 13 && kind.Prefix.size() <= 24 && kind.Prefix.starts_with(kConsole);
}));

const StatsLineKind* Recognise(std::string_view line) {
  if (line.size() < 13 || std::memcmp(line.data(), kConsole.data(), kConsole.size()) != 0) return nullptr;
  const Candidates& candidates = kByFirstLetter[static_cast<unsigned char>(line[kConsole.size()])];
  for (std::uint8_t i = 0; i < candidates.count; ++i) {
    const StatsLineKind& kind = kStatsLineKinds[candidates.kinds[i]];
    if (StartsWithPrefix(line, kind.Prefix)) return &kind;
  }
  return nullptr;
}

// The digits from `at` on, up to `stop`: true with their number when there
// are one to nine of them and `stop` follows (the common weapon line).
bool DigitsUpTo(std::string_view line, std::size_t& at, char stop, std::int32_t& number) {
  std::uint32_t value = 0;
  const std::size_t first = at;
  for (; at < line.size() && at - first < 10; ++at) {
    const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(line[at])) - unsigned{'0'};
    if (digit > 9) break;
    value = value * 10 + digit;
  }
  if (at == first || at - first > 9 || at == line.size() || line[at] != stop) return false;
  number = static_cast<std::int32_t>(value);
  return true;
}

// Adds a weapon line "<prefix><blanks>HITS/SHOTS <rest>" when it has that
// shape and no "/" among the blanks; false, with nothing changed, for any
// other line, which the general reading then cuts.
bool AddUsualWeaponLine(std::string_view line, const StatsLineKind& kind, std::int32_t& hits, std::int32_t& shots) {
  const std::size_t blanks = static_cast<std::size_t>(kind.Blanks);
  if (line.size() < kind.Prefix.size() + blanks ||
      std::memchr(line.data() + kind.Prefix.size(), '/', blanks) != nullptr)
    return false;
  std::size_t at = kind.Prefix.size() + blanks;
  std::int32_t hit_count = 0, shot_count = 0;
  if (!DigitsUpTo(line, at, '/', hit_count)) return false;
  ++at;
  if (!DigitsUpTo(line, at, ' ', shot_count)) return false;
  const std::int64_t new_hits = std::int64_t{hits} + hit_count, new_shots = std::int64_t{shots} + shot_count;
  if (new_hits > INT32_MAX) Raise(ErrorKind::Overflow);
  hits = static_cast<std::int32_t>(new_hits);
  if (new_shots > INT32_MAX) Raise(ErrorKind::Overflow);
  shots = static_cast<std::int32_t>(new_shots);
  return true;
}

// Positions are counted in characters from 1; a kills field that would start
// beyond 32767 cannot be held.
std::int16_t FieldPosition(long position) {
  if (position > std::numeric_limits<std::int16_t>::max()) Raise(ErrorKind::Overflow);
  return static_cast<std::int16_t>(position);
}

// Each field after the first starts a separator's width behind the blank that
// ended the field before it, and is cut as long as that blank's position (so
// it runs on past its number; the number reading stops at the word behind).
void ParseKills(ReadingState& state, std::string_view line, long first_number_at) {
  PlayerTable& t = state.Table;
  const int p = state.CurrentPlayer;

  state.KillsFieldPos = static_cast<std::int16_t>(first_number_at);
  long blank = FindBlank(line, state.KillsFieldPos);
  AddField((t.*kKillsFields[0].Total)[p], MidCut(line, state.KillsFieldPos, blank - state.KillsFieldPos));

  for (std::size_t f = 1; f < kKillsFields.size(); ++f) {
    const KillsField& field = kKillsFields[f];
    state.KillsFieldPos = FieldPosition(blank + static_cast<long>(field.Separator.size()));
    if (f + 1 == kKillsFields.size()) {
      AddField((t.*field.Total)[p], MidCut(line, state.KillsFieldPos));
      break;
    }
    blank = FindBlank(line, state.KillsFieldPos);
    if (blank == 0) Raise(ErrorKind::InvalidArgument);
    AddField((t.*field.Total)[p], MidCut(line, state.KillsFieldPos, blank));
  }
}

}  // namespace

void ParseStatsLine(ReadingState& state) { ParseStatsLine(state, state.CurrentLine); }

namespace {

// One trace line, written straight to the end of the trace: the labels are
// short, and even the kills line's four totals fit the room asked for.
class TraceLine {
 public:
  explicit TraceLine(TraceText& trace) : trace_(trace), end_(trace.Extend(kRoom)) {}
  void Text(std::string_view text) {
    std::memcpy(end_, text.data(), text.size());
    end_ += text.size();
  }
  void Number(std::int32_t value) { end_ = WriteCounter(end_, value); }
  void Char(char c) { *end_++ = c; }
  void End() {
    end_[0] = '\r';
    end_[1] = '\n';
    trace_.Commit(end_ + 2);
  }

 private:
  static constexpr std::size_t kRoom = 160;
  TraceText& trace_;
  char* end_;
};

}  // namespace

void ParseStatsLine(ReadingState& state, std::string_view line) {
  const StatsLineKind* kind = Recognise(line);
  if (kind == nullptr) return;

  PlayerTable& t = state.Table;
  const long length = static_cast<long>(line.size());
  const long start = kind->FirstNumberAt();
  const int p = state.CurrentPlayer;
  TraceLine trace(state.Trace);

  switch (kind->Rule) {
    case LineRule::ToEnd: {
      std::int32_t& counter = (t.*(kind->Total))[p];
      AddField(counter, RightCut(line, length - start + 1));
      trace.Text(kind->TraceLabel);
      trace.Number(counter);
      break;
    }
    case LineRule::Games: {
      std::int32_t& games = (t.*(kind->Total))[p];
      games = RoundToInt32(ReadNumber(RightCut(line, length - start + 1)));
      trace.Text(kind->TraceLabel);
      trace.Number(games);
      break;
    }
    case LineRule::Weapon: {
      std::int32_t& hits = (t.*(kind->Arm->Hits))[p];
      std::int32_t& shots = (t.*(kind->Arm->Shots))[p];
      if (!AddUsualWeaponLine(line, *kind, hits, shots)) {
        // The first "/" of the line; the prefix has none.
        long slash = FindChar(line, '/', static_cast<long>(kind->Prefix.size()) + 1);
        AddField(hits, MidCut(line, start, slash - start));
        long blank = FindBlank(line, slash + 1);
        AddField(shots, MidCut(line, slash + 1, blank - slash - 1));
      }
      trace.Text(kind->TraceLabel);
      trace.Number(hits);
      trace.Char('/');
      trace.Number(shots);
      break;
    }
    case LineRule::Kills: {
      ParseKills(state, line, start);
      for (const KillsField& field : kKillsFields) {
        trace.Text(field.TraceLabel);
        trace.Number((t.*field.Total)[p]);
      }
      break;
    }
  }
  trace.End();
}

}  // namespace fragtally
