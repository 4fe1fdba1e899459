#include "reference_model.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

#include <locale.h>

namespace fragtally::fuzz {

namespace {

// strtod in the "C" locale, whatever the user's locale is.
#ifdef _WIN32
// The C runtime's own strtod does not round correctly near the largest
// double; mingw-w64's does (and the program never leaves the "C" locale).
double PlainStrtod(const char* text) { return __mingw_strtod(text, nullptr); }
#else
double PlainStrtod(const char* text) {
  static locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
  return strtod_l(text, nullptr, c);
}
#endif

bool Digit(char c) { return c >= '0' && c <= '9'; }

// 1-based helpers written straight from the rules: "the text from position p,
// n characters long"; a start beyond the end gives the empty text.
std::string_view From(std::string_view line, long p, long n) {
  if (p > static_cast<long>(line.size())) return {};
  return line.substr(static_cast<std::size_t>(p - 1), static_cast<std::size_t>(n));
}

// First blank at or after position p, 0 when there is none.
long BlankAtOrAfter(std::string_view line, long p) {
  for (long i = p; i <= static_cast<long>(line.size()); ++i)
    if (line[static_cast<std::size_t>(i - 1)] == ' ') return i;
  return 0;
}

bool Add(std::int32_t& counter, double number, std::optional<ErrorKind>& error) {
  double total = std::nearbyint(static_cast<double>(counter) + number);
  if (!(total >= -2147483648.0 && total <= 2147483647.0)) {
    error = ErrorKind::Overflow;
    return false;
  }
  counter = static_cast<std::int32_t>(total);
  return true;
}

bool Read(std::string_view field, double& number, std::optional<ErrorKind>& error) {
  std::optional<double> value = ReferenceNumber(field);
  if (!value) {
    error = ErrorKind::Overflow;
    return false;
  }
  number = *value;
  return true;
}

bool AddField(std::string_view field, std::int32_t& counter, std::optional<ErrorKind>& error) {
  double number = 0;
  return Read(field, number, error) && Add(counter, number, error);
}

enum class Kind { ToEnd, Weapon, Kills, Games };

struct LineRule {
  const char* prefix;
  long start;
  Kind kind;
  int first;   // column of the single number or of the hits
  int second;  // column of the shots
  const char* label;
};

const LineRule kRules[] = {
    {"console: Gauntlet:", 22, Kind::ToEnd, kGauntlet, -1, "Gaunlet="},
    {"console: Machinegun:", 24, Kind::Weapon, kMachinegunHits, kMachinegunShots, "Machinegun="},
    {"console: Shotgun:", 21, Kind::Weapon, kShotgunHits, kShotgunShots, "Shotgun="},
    {"console: Grenade L:", 23, Kind::Weapon, kGrenadeHits, kGrenadeShots, "Grenade="},
    {"console: Rocket L:", 22, Kind::Weapon, kRocketHits, kRocketShots, "Rocket="},
    {"console: Shaft:", 19, Kind::Weapon, kShaftHits, kShaftShots, "Shaft="},
    {"console: Railgun:", 21, Kind::Weapon, kRailgunHits, kRailgunShots, "Railgun="},
    {"console: Plasma gun:", 24, Kind::Weapon, kPlasmaHits, kPlasmaShots, "Plasma="},
    {"console: BFG:", 17, Kind::Weapon, kBfgHits, kBfgShots, "BFG="},
    {"console: Dmggiven:", 20, Kind::ToEnd, kDamageGiven, -1, "DmgGiv="},
    {"console: Dmgrecvd:", 20, Kind::ToEnd, kDamageReceived, -1, "DmgRec="},
    {"console: Kills:", 17, Kind::Kills, kKills, -1, "Kills="},
    {"console: games played:", 24, Kind::Games, kGamesPlayed, -1, "Games="},
};

bool StartsWith(std::string_view line, std::string_view prefix) {
  return line.size() >= prefix.size() && line.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::optional<double> ReferenceNumber(std::string_view field) {
  std::string packed;
  for (char c : field)
    if (c != ' ' && c != '\t' && c != '\n') packed.push_back(c);
  std::size_t i = 0;
  if (i < packed.size() && (packed[i] == '+' || packed[i] == '-')) ++i;
  bool digits = false, point = false;
  while (i < packed.size() && (Digit(packed[i]) || (packed[i] == '.' && !point))) {
    if (packed[i] == '.') point = true; else digits = true;
    ++i;
  }
  if (!digits) return 0.0;
  std::size_t end = i;
  if (i < packed.size() && (packed[i] == 'e' || packed[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < packed.size() && (packed[j] == '+' || packed[j] == '-')) ++j;
    if (j < packed.size() && Digit(packed[j])) {
      while (j < packed.size() && Digit(packed[j])) ++j;
      end = j;
    }
  }
  std::string number = packed.substr(0, end);
  double value = PlainStrtod(number.c_str());
  if (std::isinf(value)) return std::nullopt;
  return value;
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t begin = 0;
  while (begin < bytes.size()) {
    std::size_t lf = bytes.find('\n', begin);
    if (lf == std::string_view::npos) {
      std::string_view last = bytes.substr(begin);
      if (last.back() == '\r') last.remove_suffix(1);  // a CR before the end goes like one before LF
      lines.push_back(last);
      break;
    }
    std::size_t end = lf;
    if (end > begin && bytes[end - 1] == '\r') --end;
    lines.push_back(bytes.substr(begin, end - begin));
    begin = lf + 1;
  }
  return lines;
}

LineOutcome ReferenceParseLine(std::string_view line, SlotCounters& c, std::string& trace) {
  LineOutcome out;
  const LineRule* rule = nullptr;
  for (const LineRule& r : kRules)
    if (StartsWith(line, r.prefix)) {
      rule = &r;
      break;
    }
  if (rule == nullptr) return out;
  out.recognised = true;
  const long length = static_cast<long>(line.size());
  const long p = rule->start;
  std::string label = rule->label;

  switch (rule->kind) {
    case Kind::ToEnd:
    case Kind::Games: {
      long n = length - p + 1;
      if (n < 0) {
        out.error = ErrorKind::InvalidArgument;
        return out;
      }
      std::string_view field = line.substr(line.size() - static_cast<std::size_t>(n));
      if (rule->kind == Kind::ToEnd) {
        if (!AddField(field, c[rule->first], out.error)) return out;
      } else {
        double number = 0;
        if (!Read(field, number, out.error)) return out;
        std::int32_t games = 0;
        if (!Add(games, number, out.error)) return out;
        c[rule->first] = games;
      }
      trace += label + std::to_string(c[rule->first]);
      break;
    }
    case Kind::Weapon: {
      std::size_t slash_at = line.find('/');
      long s = slash_at == std::string_view::npos ? 0 : static_cast<long>(slash_at) + 1;
      if (s - p < 0) {
        out.error = ErrorKind::InvalidArgument;
        return out;
      }
      if (!AddField(From(line, p, s - p), c[rule->first], out.error)) return out;
      long b = BlankAtOrAfter(line, s + 1);
      if (b - s - 1 < 0) {
        out.error = ErrorKind::InvalidArgument;
        return out;
      }
      if (!AddField(From(line, s + 1, b - s - 1), c[rule->second], out.error)) return out;
      trace += label + std::to_string(c[rule->first]) + "/" + std::to_string(c[rule->second]);
      break;
    }
    case Kind::Kills: {
      long pos = 17;
      long b1 = BlankAtOrAfter(line, pos);
      if (b1 - pos < 0) {
        out.error = ErrorKind::InvalidArgument;
        return out;
      }
      if (!AddField(From(line, pos, b1 - pos), c[kKills], out.error)) return out;
      pos = b1 + 13;
      if (pos > 32767) {
        out.error = ErrorKind::Overflow;
        return out;
      }
      long b2 = BlankAtOrAfter(line, pos);
      if (b2 == 0) {
        out.error = ErrorKind::InvalidArgument;
        return out;
      }
      if (!AddField(From(line, pos, b2), c[kDeaths], out.error)) return out;
      pos = b2 + 15;
      if (pos > 32767) {
        out.error = ErrorKind::Overflow;
        return out;
      }
      long b3 = BlankAtOrAfter(line, pos);
      if (b3 == 0) {
        out.error = ErrorKind::InvalidArgument;
        return out;
      }
      if (!AddField(From(line, pos, b3), c[kSuicides], out.error)) return out;
      pos = b3 + 12;
      if (pos > 32767) {
        out.error = ErrorKind::Overflow;
        return out;
      }
      if (!AddField(From(line, pos, std::numeric_limits<long>::max() / 2), c[kFrags], out.error)) return out;
      trace += "Kills=" + std::to_string(c[kKills]) + " Deaths=" + std::to_string(c[kDeaths]) +
               " Suicides=" + std::to_string(c[kSuicides]) + " Frags=" + std::to_string(c[kFrags]);
      break;
    }
  }
  trace += "\r\n";
  return out;
}

std::optional<ErrorKind> ReferenceAddBlock(const std::vector<std::string_view>& lines, std::size_t& next,
                                           RefTable& table) {
  std::string_view header = lines[next - 1];
  if (header.size() < 20) return ErrorKind::InvalidArgument;
  table.current_name = std::string(header.substr(20));
  table.trace += "Name=" + table.current_name + "\r\n";

  int slot = 0;
  for (std::size_t i = 0; i < table.players.size(); ++i)
    if (table.players[i].name == table.current_name) {
      slot = static_cast<int>(i) + 1;
      break;
    }
  if (slot == 0) {
    if (table.players.size() >= static_cast<std::size_t>(kMaxPlayers)) return ErrorKind::SubscriptOutOfRange;
    table.players.push_back({table.current_name, {}});
    slot = static_cast<int>(table.players.size());
  } else if (table.players[static_cast<std::size_t>(slot - 1)].counters[kGamesPlayed] ==
             std::numeric_limits<std::int32_t>::max()) {
    return ErrorKind::Overflow;
  }
  table.current_player = slot;
  SlotCounters& counters = table.players[static_cast<std::size_t>(slot - 1)].counters;
  counters[kGamesPlayed] += 1;

  std::string_view current = header;
  while (current != "console:  " && next < lines.size()) {
    current = lines[next++];
    LineOutcome outcome = ReferenceParseLine(current, counters, table.trace);
    if (outcome.error) return outcome.error;
  }
  return std::nullopt;
}

std::optional<ErrorKind> ReferenceLoad(std::string_view bytes, RefTable& table) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::vector<std::string_view> lines = SplitLines(bytes);
  std::size_t next = 0;
  bool text_outside_blocks = false;
  while (next < lines.size()) {
    std::string_view line = lines[next++];
    if (StartsWith(line, "console: Stats for:")) {
      if (auto error = ReferenceAddBlock(lines, next, table)) return error;
    } else if (line.find_first_not_of(" \t\r") != std::string_view::npos) {
      text_outside_blocks = true;
    }
  }
  // Text and no player: not a file the program can read.
  if (text_outside_blocks && table.players.empty()) return ErrorKind::ReadFailed;
  return std::nullopt;
}

RefImport ReferenceImportLines(std::string_view bytes, std::string& marker, std::optional<std::int64_t>& counted,
                               RefTable& table) {
  // Only whole lines: the game may still be writing the last one.
  const std::size_t whole = bytes.rfind('\n');
  const std::vector<std::string_view> lines =
      SplitLines(bytes.substr(0, whole == std::string_view::npos ? 0 : whole + 1));
  // A header after the last terminator heads a block still being written.
  std::optional<std::size_t> last_terminator;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == "console:  ") last_terminator = i;
  auto is_header = [](std::string_view line) { return StartsWith(line, "console: Stats for:"); };
  auto is_startup = [](std::string_view line) { return StartsWith(line, "--- Fs_startup :"); };

  // Which lines are read outside a block: a header takes every line after it
  // up to and including a terminator.
  std::vector<bool> outside_line(lines.size(), false);
  for (std::size_t i = 0; i < lines.size();) {
    outside_line[i] = true;
    if (is_header(lines[i])) {
      std::size_t j = i + 1;
      while (j < lines.size()) {
        if (lines[j++] == "console:  ") break;
      }
      i = j;
    } else {
      ++i;
    }
  }

  // The anchor: the last line outside a block equal to the marker.
  std::optional<std::size_t> anchor;
  if (!marker.empty())
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (outside_line[i] && lines[i] == marker) anchor = i;

  std::size_t next = anchor ? *anchor + 1 : 0;
  // A remembered line that heads a block: the block is its own, read past.
  if (anchor && is_header(lines[*anchor])) {
    while (next < lines.size()) {
      if (lines[next++] == "console:  ") break;
    }
  }
  bool in_session = anchor.has_value();
  bool skip_all = false;
  std::int64_t to_skip = 0;
  if (anchor) {
    if (counted) {
      to_skip = *counted;
    } else {
      skip_all = true;
      counted = 0;
    }
  }
  bool counting = anchor.has_value();
  bool anything_new = false;
  while (next < lines.size()) {
    std::string_view line = lines[next++];
    if (is_startup(line)) {
      marker = std::string(line);
      counted = 0;
      in_session = false;
      counting = true;
      anything_new = true;
    }
    if (!is_header(line)) continue;
    if (!last_terminator || next - 1 > *last_terminator) break;
    if (in_session && (skip_all || to_skip > 0)) {
      while (next < lines.size()) {
        if (lines[next++] == "console:  ") break;
      }
      if (skip_all)
        ++*counted;
      else
        --to_skip;
      continue;
    }
    anything_new = true;
    if (counting) ++*counted;
    if (ReferenceAddBlock(lines, next, table)) return RefImport::Failed;
  }
  return anchor && !anything_new ? RefImport::LogUnchanged : RefImport::Completed;
}

bool ReferenceAccuracyFails(std::int32_t hits, std::int32_t shots) {
  if (shots <= 0) return false;
  double percent = std::nearbyint(static_cast<double>(hits) / static_cast<double>(shots) * 100.0);
  return percent < -32768.0 || percent > 32767.0;
}

void CheckSameTable(const WindowState& state, const RefTable& ref) {
  const PlayerTable& t = state.Table;
  FRAGTALLY_CHECK(static_cast<std::size_t>(t.PlayerCount) == ref.players.size(),
                  std::to_string(t.PlayerCount) + " players, reference has " + std::to_string(ref.players.size()));
  for (std::size_t i = 0; i < ref.players.size(); ++i) {
    const int slot = static_cast<int>(i) + 1;
    FRAGTALLY_CHECK(t.PlayerName[slot] == ref.players[i].name, "name of slot " + std::to_string(slot));
    SlotCounters got = ReadSlot(t, slot);
    FRAGTALLY_CHECK(got == ref.players[i].counters, "slot " + std::to_string(slot) + " holds " + DescribeSlot(got) +
                                                        ", reference " + DescribeSlot(ref.players[i].counters));
  }
  FRAGTALLY_CHECK(std::string_view(state.Trace) == ref.trace, "trace differs from the reference");
  FRAGTALLY_CHECK(state.CurrentName == ref.current_name, "CurrentName differs from the reference");
}

}  // namespace fragtally::fuzz
