#include "stats/stats_line.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <locale.h>

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

// ---------------------------------------------------------------- numbers

namespace {

// Enough significant digits to round any decimal to the nearest double; the
// digits beyond only matter as "something non-zero follows".
constexpr std::size_t kKeptDigits = 780;

// Exactly representable powers of ten for the fast path.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

locale_t CLocale() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
  return c;
}

class FieldCursor {
 public:
  explicit FieldCursor(std::string_view field) : field_(field) {}
  // Next significant character, or 0 at the end; ignored characters are skipped.
  char Peek() {
    while (pos_ < field_.size()) {
      char c = field_[pos_];
      if (c != ' ' && c != '\t' && c != '\n') return c;
      ++pos_;
    }
    return 0;
  }
  void Advance() { ++pos_; }
  std::size_t Position() const { return pos_; }
  void Rewind(std::size_t pos) { pos_ = pos; }

 private:
  std::string_view field_;
  std::size_t pos_ = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double ReadNumber(std::string_view field) {
  FieldCursor cursor(field);
  bool negative = false;
  if (char c = cursor.Peek(); c == '+' || c == '-') {
    negative = c == '-';
    cursor.Advance();
  }

  // Mantissa: significant digits (leading zeros dropped), the decimal
  // exponent of the first of them, and whether non-zero digits were dropped.
  char digits[kKeptDigits + 2];
  std::size_t kept = 0;
  bool dropped_nonzero = false;
  bool any_digit = false;
  bool seen_point = false;
  long long digits_before_point = 0;  // significant digits before the point
  long long zeros_after_point = 0;    // zeros between the point and the first significant digit
  for (;;) {
    char c = cursor.Peek();
    if (IsDigit(c)) {
      any_digit = true;
      if (kept == 0 && c == '0') {
        if (seen_point) ++zeros_after_point;
      } else {
        if (kept < kKeptDigits) {
          digits[kept++] = c;
        } else if (c != '0') {
          dropped_nonzero = true;
        }
        if (!seen_point) ++digits_before_point;
      }
      cursor.Advance();
    } else if (c == '.' && !seen_point) {
      seen_point = true;
      cursor.Advance();
    } else {
      break;
    }
  }
  if (!any_digit) return 0.0;

  // Exponent: only when at least one digit follows the letter (and its sign).
  long long exponent = 0;
  if (char c = cursor.Peek(); c == 'e' || c == 'E') {
    std::size_t back = cursor.Position();
    cursor.Advance();
    bool exp_negative = false;
    if (char s = cursor.Peek(); s == '+' || s == '-') {
      exp_negative = s == '-';
      cursor.Advance();
    }
    bool exp_digits = false;
    for (char d = cursor.Peek(); IsDigit(d); d = cursor.Peek()) {
      exp_digits = true;
      if (exponent < 1000000000) exponent = exponent * 10 + (d - '0');
      cursor.Advance();
    }
    if (!exp_digits) {
      exponent = 0;
      cursor.Rewind(back);
    } else if (exp_negative) {
      exponent = -exponent;
    }
  }
  if (kept == 0) return 0.0;

  // Value = 0.d1d2d3... x 10^scale
  long long scale = (digits_before_point > 0 ? digits_before_point : -zeros_after_point) + exponent;
  if (scale > 400) Raise(ErrorKind::Overflow);
  if (scale < -400) return 0.0;

  double value;
  long long shift = scale - static_cast<long long>(kept);  // value = integer(d) x 10^shift
  if (kept <= 15 && !dropped_nonzero && shift >= -22 && shift <= 22) {
    long long mantissa = 0;
    for (std::size_t i = 0; i < kept; ++i) mantissa = mantissa * 10 + (digits[i] - '0');
    value = static_cast<double>(mantissa);
    value = shift >= 0 ? value * kPow10[shift] : value / kPow10[-shift];
  } else {
    char text[kKeptDigits + 40];
    char* out = text;
    *out++ = '0';
    *out++ = '.';
    std::memcpy(out, digits, kept);
    out += kept;
    if (dropped_nonzero) *out++ = '1';
    *out++ = 'e';
    std::snprintf(out, 24, "%lld", scale);
    value = strtod_l(text, nullptr, CLocale());
  }
  if (std::isinf(value)) Raise(ErrorKind::Overflow);
  return negative ? -value : value;
}

std::int32_t RoundToInt32(double value) {
  double rounded = std::nearbyint(value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) Raise(ErrorKind::Overflow);
  return static_cast<std::int32_t>(rounded);
}

void AddToCounter(std::int32_t& counter, double number) {
  counter = RoundToInt32(static_cast<double>(counter) + number);
}

// ---------------------------------------------------------------- statistics lines

namespace {

enum class Rule { ToEnd, Weapon, Kills, Games };

struct LineKind {
  std::string_view prefix;
  long start;  // position of the first number
  Rule rule;
  Counter PlayerTable::*first;   // the single counter, or the weapon's hits
  Counter PlayerTable::*second;  // the weapon's shots
  std::string_view label;
};

constexpr LineKind kKinds[] = {
    {"console: Gauntlet:", 22, Rule::ToEnd, &PlayerTable::Gauntlet, nullptr, "Gaunlet="},
    {"console: Machinegun:", 24, Rule::Weapon, &PlayerTable::MachinegunHits, &PlayerTable::MachinegunShots,
     "Machinegun="},
    {"console: Shotgun:", 21, Rule::Weapon, &PlayerTable::ShotgunHits, &PlayerTable::ShotgunShots, "Shotgun="},
    {"console: Grenade L:", 23, Rule::Weapon, &PlayerTable::GrenadeHits, &PlayerTable::GrenadeShots, "Grenade="},
    {"console: Rocket L:", 22, Rule::Weapon, &PlayerTable::RocketHits, &PlayerTable::RocketShots, "Rocket="},
    {"console: Shaft:", 19, Rule::Weapon, &PlayerTable::ShaftHits, &PlayerTable::ShaftShots, "Shaft="},
    {"console: Railgun:", 21, Rule::Weapon, &PlayerTable::RailgunHits, &PlayerTable::RailgunShots, "Railgun="},
    {"console: Plasma gun:", 24, Rule::Weapon, &PlayerTable::PlasmaHits, &PlayerTable::PlasmaShots, "Plasma="},
    {"console: BFG:", 17, Rule::Weapon, &PlayerTable::BfgHits, &PlayerTable::BfgShots, "BFG="},
    {"console: Dmggiven:", 20, Rule::ToEnd, &PlayerTable::DamageGiven, nullptr, "DmgGiv="},
    {"console: Dmgrecvd:", 20, Rule::ToEnd, &PlayerTable::DamageReceived, nullptr, "DmgRec="},
    {"console: Kills:", 17, Rule::Kills, nullptr, nullptr, "Kills="},
    {"console: games played:", 24, Rule::Games, &PlayerTable::GamesPlayed, nullptr, "Games="},
};

constexpr std::string_view kConsole = "console: ";

const LineKind* Recognise(std::string_view line) {
  if (line.size() < 13 || line.substr(0, kConsole.size()) != kConsole) return nullptr;
  for (const LineKind& kind : kKinds) {
    if (line.size() >= kind.prefix.size() && line.substr(0, kind.prefix.size()) == kind.prefix) return &kind;
  }
  return nullptr;
}

// Positions are counted in characters from 1; a kills field that would start
// beyond 32767 cannot be held.
std::int16_t FieldPosition(long position) {
  if (position > std::numeric_limits<std::int16_t>::max()) Raise(ErrorKind::Overflow);
  return static_cast<std::int16_t>(position);
}

void ParseKills(WindowState& state, std::string_view line) {
  PlayerTable& t = state.Table;
  const int p = state.CurrentPlayer;

  state.KillsFieldPos = 17;
  long b1 = FindBlank(line, state.KillsFieldPos);
  AddToCounter(t.Kills[p], ReadNumber(MidCut(line, state.KillsFieldPos, b1 - state.KillsFieldPos)));

  state.KillsFieldPos = FieldPosition(b1 + 13);
  long b2 = FindBlank(line, state.KillsFieldPos);
  if (b2 == 0) Raise(ErrorKind::InvalidArgument);
  AddToCounter(t.Deaths[p], ReadNumber(MidCut(line, state.KillsFieldPos, b2)));

  state.KillsFieldPos = FieldPosition(b2 + 15);
  long b3 = FindBlank(line, state.KillsFieldPos);
  if (b3 == 0) Raise(ErrorKind::InvalidArgument);
  AddToCounter(t.Suicides[p], ReadNumber(MidCut(line, state.KillsFieldPos, b3)));

  state.KillsFieldPos = FieldPosition(b3 + 12);
  AddToCounter(t.Frags[p], ReadNumber(MidCut(line, state.KillsFieldPos)));
}

}  // namespace

void ParseStatsLine(WindowState& state) {
  const std::string_view line = state.CurrentLine;
  const LineKind* kind = Recognise(line);
  if (kind == nullptr) return;

  PlayerTable& t = state.Table;
  const long length = static_cast<long>(line.size());
  const int p = state.CurrentPlayer;
  std::string& trace = state.Trace;

  switch (kind->rule) {
    case Rule::ToEnd: {
      std::int32_t& counter = (t.*(kind->first))[p];
      AddToCounter(counter, ReadNumber(RightCut(line, length - kind->start + 1)));
      trace.append(kind->label);
      AppendNumber(trace, counter);
      break;
    }
    case Rule::Games: {
      std::int32_t& games = (t.*(kind->first))[p];
      games = RoundToInt32(ReadNumber(RightCut(line, length - kind->start + 1)));
      trace.append(kind->label);
      AppendNumber(trace, games);
      break;
    }
    case Rule::Weapon: {
      std::int32_t& hits = (t.*(kind->first))[p];
      std::int32_t& shots = (t.*(kind->second))[p];
      std::size_t slash_at = line.find('/');
      long slash = slash_at == std::string_view::npos ? 0 : static_cast<long>(slash_at + 1);
      AddToCounter(hits, ReadNumber(MidCut(line, kind->start, slash - kind->start)));
      long blank = FindBlank(line, slash + 1);
      AddToCounter(shots, ReadNumber(MidCut(line, slash + 1, blank - slash - 1)));
      trace.append(kind->label);
      AppendNumber(trace, hits);
      trace.push_back('/');
      AppendNumber(trace, shots);
      break;
    }
    case Rule::Kills: {
      ParseKills(state, line);
      trace.append("Kills=");
      AppendNumber(trace, t.Kills[p]);
      trace.append(" Deaths=");
      AppendNumber(trace, t.Deaths[p]);
      trace.append(" Suicides=");
      AppendNumber(trace, t.Suicides[p]);
      trace.append(" Frags=");
      AppendNumber(trace, t.Frags[p]);
      break;
    }
  }
  trace.append("\r\n");
}

}  // namespace fragtally
