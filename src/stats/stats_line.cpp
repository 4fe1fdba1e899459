#include "stats/stats_line.h"

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

// Whether `line` starts with `prefix`, compared eight bytes at a time.
bool StartsWith(std::string_view line, std::string_view prefix) {
  if (line.size() < prefix.size()) return false;
  std::size_t i = 0;
  for (; i + 8 <= prefix.size(); i += 8) {
    std::uint64_t a, b;
    std::memcpy(&a, line.data() + i, 8);
    std::memcpy(&b, prefix.data() + i, 8);
    if (a != b) return false;
  }
  for (; i < prefix.size(); ++i)
    if (line[i] != prefix[i]) return false;
  return true;
}

const StatsLineKind* Recognise(std::string_view line) {
  if (line.size() < 13 || std::memcmp(line.data(), kConsole.data(), kConsole.size()) != 0) return nullptr;
  const Candidates& candidates = kByFirstLetter[static_cast<unsigned char>(line[kConsole.size()])];
  for (std::uint8_t i = 0; i < candidates.count; ++i) {
    const StatsLineKind& kind = kStatsLineKinds[candidates.kinds[i]];
    if (StartsWith(line, kind.Prefix)) return &kind;
  }
  return nullptr;
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
  void Number(std::int32_t value) { end_ = WriteNumber(end_, value); }
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
      // The first "/" of the line; the prefix has none.
      long slash = FindChar(line, '/', static_cast<long>(kind->Prefix.size()) + 1);
      AddField(hits, MidCut(line, start, slash - start));
      long blank = FindBlank(line, slash + 1);
      AddField(shots, MidCut(line, slash + 1, blank - slash - 1));
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
