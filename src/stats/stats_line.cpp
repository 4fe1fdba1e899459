#include "stats/stats_line.h"

#include <limits>

#include "stats/numbers.h"

namespace fragtally {

// ---------------------------------------------------------------- text cuts

std::string_view RightCut(std::string_view text, long count) {
  if (count < 0) Raise(ErrorKind::InvalidArgument);
  std::size_t n = static_cast<std::size_t>(count);
  return n >= text.size() ? text : text.substr(text.size() - n);
}

std::string_view MidCut(std::string_view text, long start, long count) {
  if (start < 1 || count < 0) Raise(ErrorKind::InvalidArgument);
  std::size_t from = static_cast<std::size_t>(start - 1);
  if (from >= text.size()) return {};
  return text.substr(from, static_cast<std::size_t>(count));
}

std::string_view MidCut(std::string_view text, long start) {
  if (start < 1) Raise(ErrorKind::InvalidArgument);
  std::size_t from = static_cast<std::size_t>(start - 1);
  if (from >= text.size()) return {};
  return text.substr(from);
}

long FindBlank(std::string_view text, long start) {
  if (start < 1) start = 1;
  std::size_t from = static_cast<std::size_t>(start - 1);
  if (from >= text.size()) return 0;
  std::size_t at = text.find(' ', from);
  return at == std::string_view::npos ? 0 : static_cast<long>(at + 1);
}

// ---------------------------------------------------------------- statistics lines

namespace {

constexpr std::string_view kConsole = "console: ";

const StatsLineKind* Recognise(std::string_view line) {
  if (line.size() < 13 || line.substr(0, kConsole.size()) != kConsole) return nullptr;
  for (const StatsLineKind& kind : kStatsLineKinds) {
    if (line.substr(0, kind.Prefix.size()) == kind.Prefix) return &kind;
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
void ParseKills(WindowState& state, std::string_view line, long first_number_at) {
  PlayerTable& t = state.Table;
  const int p = state.CurrentPlayer;

  state.KillsFieldPos = static_cast<std::int16_t>(first_number_at);
  long blank = FindBlank(line, state.KillsFieldPos);
  AddToCounter((t.*kKillsFields[0].Total)[p], ReadNumber(MidCut(line, state.KillsFieldPos, blank - state.KillsFieldPos)));

  for (std::size_t f = 1; f < kKillsFields.size(); ++f) {
    const KillsField& field = kKillsFields[f];
    state.KillsFieldPos = FieldPosition(blank + static_cast<long>(field.Separator.size()));
    if (f + 1 == kKillsFields.size()) {
      AddToCounter((t.*field.Total)[p], ReadNumber(MidCut(line, state.KillsFieldPos)));
      break;
    }
    blank = FindBlank(line, state.KillsFieldPos);
    if (blank == 0) Raise(ErrorKind::InvalidArgument);
    AddToCounter((t.*field.Total)[p], ReadNumber(MidCut(line, state.KillsFieldPos, blank)));
  }
}

}  // namespace

void ParseStatsLine(WindowState& state) {
  const std::string_view line = state.CurrentLine;
  const StatsLineKind* kind = Recognise(line);
  if (kind == nullptr) return;

  PlayerTable& t = state.Table;
  const long length = static_cast<long>(line.size());
  const long start = kind->FirstNumberAt();
  const int p = state.CurrentPlayer;
  std::string& trace = state.Trace;

  switch (kind->Rule) {
    case LineRule::ToEnd: {
      std::int32_t& counter = (t.*(kind->Total))[p];
      AddToCounter(counter, ReadNumber(RightCut(line, length - start + 1)));
      trace.append(kind->TraceLabel);
      AppendNumber(trace, counter);
      break;
    }
    case LineRule::Games: {
      std::int32_t& games = (t.*(kind->Total))[p];
      games = RoundToInt32(ReadNumber(RightCut(line, length - start + 1)));
      trace.append(kind->TraceLabel);
      AppendNumber(trace, games);
      break;
    }
    case LineRule::Weapon: {
      std::int32_t& hits = (t.*(kind->Arm->Hits))[p];
      std::int32_t& shots = (t.*(kind->Arm->Shots))[p];
      std::size_t slash_at = line.find('/');
      long slash = slash_at == std::string_view::npos ? 0 : static_cast<long>(slash_at + 1);
      AddToCounter(hits, ReadNumber(MidCut(line, start, slash - start)));
      long blank = FindBlank(line, slash + 1);
      AddToCounter(shots, ReadNumber(MidCut(line, slash + 1, blank - slash - 1)));
      trace.append(kind->TraceLabel);
      AppendNumber(trace, hits);
      trace.push_back('/');
      AppendNumber(trace, shots);
      break;
    }
    case LineRule::Kills: {
      ParseKills(state, line, start);
      for (const KillsField& field : kKillsFields) {
        trace.append(field.TraceLabel);
        AppendNumber(trace, (t.*field.Total)[p]);
      }
      break;
    }
  }
  trace.append("\r\n");
}

}  // namespace fragtally
