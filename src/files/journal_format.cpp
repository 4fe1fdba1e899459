#include "files/journal_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>
#include <type_traits>

#include "platform/platform.h"
#include "stats/numbers.h"

namespace fragtally {

namespace {

constexpr std::size_t kCommitFields = 14;
constexpr std::size_t kCancelFields = 4;

void AppendCount(std::string& out, const std::optional<std::int64_t>& count) {
  if (count) AppendNumber(out, *count);
}

char* PutDigest(char* at, const std::optional<std::uint64_t>& digest);

void AppendDigest(std::string& out, const std::optional<std::uint64_t>& digest) {
  char text[16];
  out.append(text, static_cast<std::size_t>(PutDigest(text, digest) - text));
}

// The longest an M line can be.
std::size_t MatchLineMax(const MatchLineFields& f) {
  return f.EscapedSession.size() + f.EscapedMap.size() + 2 * f.Name.size() +
         (kCounterColumns.size() + 3) * (kNumberTextMax + 1) + 16 + 12;
}

char* PutDigest(char* at, const std::optional<std::uint64_t>& digest) {
  if (!digest) {
    *at++ = '-';
    return at;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  for (int shift = 60; shift >= 0; shift -= 4) *at++ = kHex[(*digest >> shift) & 0xF];
  return at;
}

char* PutBytes(char* at, std::string_view bytes) {
  if (!bytes.empty()) {  // an empty view may have no bytes at all to copy from
    std::memcpy(at, bytes.data(), bytes.size());
    at += bytes.size();
  }
  return at;
}

// An M line, written at `at` (room for MatchLineMax); returns its end.
char* PutMatchLine(char* at, std::int64_t import, const MatchLineFields& f) {
  *at++ = 'M';
  *at++ = '\t';
  at = WriteNumber(at, import);
  *at++ = '\t';
  at = PutBytes(at, f.EscapedSession);
  *at++ = '\t';
  at = WriteNumber(at, f.Position);
  *at++ = '\t';
  at = PutEscaped(at, f.Name);
  for (const std::int32_t value : *f.Added) {
    *at++ = '\t';
    at = WriteNumber(at, value);
  }
  if (f.Match > 0) {  // a block without a match is written as before matches were told apart
    *at++ = '\t';
    at = WriteNumber(at, f.Match);
    *at++ = '\t';
    at = PutBytes(at, f.EscapedMap);
    *at++ = '\t';
    at = PutDigest(at, f.Digest);
  }
  *at++ = '\r';
  *at++ = '\n';
  return at;
}

// A line's tab-separated fields; false when it does not have exactly N.
template <std::size_t N>
bool SplitFields(std::string_view line, std::array<std::string_view, N>& fields) {
  std::size_t n = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    if (n == N) return false;
    fields[n++] = line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return n == N;
}

bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  if (text.find('\\') == std::string_view::npos) {
    out.assign(text);
    return true;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out.push_back(text[i]);
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case 't': out.push_back('\t'); break;
      case 'r': out.push_back('\r'); break;
      case 'n': out.push_back('\n'); break;
      case '\\': out.push_back('\\'); break;
      default: return false;
    }
  }
  return true;
}

template <class Int>
bool ParseInt(std::string_view text, Int& value) {
  if (text.empty()) return false;
  // Digits alone, too few to overflow: most of the journal's numbers.
  if (text.size() <= std::numeric_limits<Int>::digits10) {
    std::make_unsigned_t<Int> number = 0;
    bool digits = true;
    for (const char c : text) {
      const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(c)) - unsigned{'0'};
      digits = digits && digit <= 9;
      number = static_cast<std::make_unsigned_t<Int>>(number * 10 + digit);
    }
    if (digits) {
      value = static_cast<Int>(number);
      return true;
    }
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool ParseCount(std::string_view text, std::optional<std::int64_t>& count) {
  if (text.empty()) {
    count.reset();
    return true;
  }
  std::int64_t value = 0;
  if (!ParseInt(text, value) || value < 0) return false;
  count = value;
  return true;
}

bool ParseDigest(std::string_view text, std::optional<std::uint64_t>& digest) {
  if (text == "-") {
    digest.reset();
    return true;
  }
  // Sixteen hexadecimal digits, either case (a journal reads its keys once a
  // run, a digest a line).
  if (text.size() != 16) return false;
  static constexpr std::array<std::uint8_t, 256> kHexDigits = [] {
    std::array<std::uint8_t, 256> digits{};
    digits.fill(16);
    for (int i = 0; i < 10; ++i) digits['0' + i] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 6; ++i) digits['a' + i] = digits['A' + i] = static_cast<std::uint8_t>(10 + i);
    return digits;
  }();
  std::uint64_t value = 0;
  unsigned invalid = 0;
  for (const char c : text) {
    const unsigned digit = kHexDigits[static_cast<unsigned char>(c)];
    invalid |= digit;
    value = (value << 4) | (digit & 15);
  }
  if (invalid & 16) return false;
  digest = value;
  return true;
}

// The tabs in `text`, eight bytes at a time: a byte that is a tab becomes
// 0x80 in `found`, every other byte 0 (no carry crosses a byte).
std::ptrdiff_t CountTabs(std::string_view text) {
  constexpr std::uint64_t kTabs = 0x0909090909090909ull, kLow7 = 0x7F7F7F7F7F7F7F7Full;
  std::ptrdiff_t count = 0;
  std::size_t at = 0;
  for (; at + 8 <= text.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + at, sizeof word);
    const std::uint64_t x = word ^ kTabs;  // a tab's byte is 0 now
    const std::uint64_t found = ~(((x & kLow7) + kLow7) | x | kLow7);
    // The top bits brought down to ones and added up in the highest byte
    // (std::popcount would be a call without the processor's instruction).
    count += static_cast<std::ptrdiff_t>(((found >> 7) * 0x0101010101010101ull) >> 56);
  }
  for (; at < text.size(); ++at) count += text[at] == '\t';
  return count;
}

// The next tab-separated field of `rest`, which loses it and its tab; false
// when there is none.
bool NextField(std::string_view& rest, std::string_view& field, bool& last) {
  if (last) return false;
  const std::size_t tab = rest.find('\t');
  if (tab == std::string_view::npos) {
    field = rest;
    last = true;
  } else {
    field = rest.substr(0, tab);
    rest.remove_prefix(tab + 1);
  }
  return true;
}

}  // namespace

// "YYYY-MM-DD hh:mm:ss", as LocalDateTime writes it and as a game session is named by its date.
bool IsJournalTime(std::string_view text) {
  static constexpr std::string_view kForm = "0000-00-00 00:00:00";
  if (text.size() != kForm.size()) return false;
  for (std::size_t i = 0; i < kForm.size(); ++i)
    if (kForm[i] == '0' ? text[i] < '0' || text[i] > '9' : text[i] != kForm[i]) return false;
  return true;
}

char* PutEscaped(char* at, std::string_view bytes) {
  for (const char c : bytes) {
    switch (c) {
      case '\t': *at++ = '\\', *at++ = 't'; break;
      case '\r': *at++ = '\\', *at++ = 'r'; break;
      case '\n': *at++ = '\\', *at++ = 'n'; break;
      case '\\': *at++ = '\\', *at++ = '\\'; break;
      default: *at++ = c;
    }
  }
  return at;
}


void AppendEscaped(std::string& out, std::string_view bytes) {
  const std::size_t start = out.size();
  out.resize(start + 2 * bytes.size());
  out.resize(static_cast<std::size_t>(PutEscaped(out.data() + start, bytes) - out.data()));
}

void AppendMatchLine(std::string& out, std::size_t& used, std::int64_t import, const MatchLineFields& fields) {
  const std::size_t most = MatchLineMax(fields);
  if (out.size() < used + most) out.resize(std::max(2 * out.size(), used + most));
  char* const end = PutMatchLine(out.data() + used, import, fields);
  used = static_cast<std::size_t>(end - out.data());
}

void AppendCommit(std::string& out, const JournalCommit& c) {
  out.push_back(c.Kind);
  const auto field = [&out] { out.push_back('\t'); };
  field(), AppendNumber(out, c.Import);
  field(), out.append(c.Time);
  field(), AppendEscaped(out, c.Marker);
  field(), AppendCount(out, c.Count);
  field(), AppendEscaped(out, c.PreviousMarker);
  field(), AppendCount(out, c.PreviousCount);
  field(), AppendNumber(out, c.PlayersBefore);
  field(), AppendNumber(out, c.PlayersAfter);
  field(), AppendDigest(out, c.DigestBefore);
  field(), AppendDigest(out, c.DigestAfter);
  field(), AppendNumber(out, c.InEffectBefore);
  field(), AppendNumber(out, c.InEffectAfter);
  field(), AppendNumber(out, c.LastNumber);
  if (c.Kind == 'C') field(), AppendNumber(out, c.Skipped);
  out.append("\r\n");
}


bool ParseCommit(std::string_view line, JournalCommit& c) {
  std::array<std::string_view, kCommitFields + 1> f;
  if (line.size() < 2 || (line[0] != 'C' && line[0] != 'U') || line[1] != '\t') return false;
  // A C line ends with the blocks it skipped, but for one written before blocks had keys.
  std::array<std::string_view, kCommitFields> older;
  c.Skipped = 0;
  if (line[0] == 'C' && SplitFields(line, f)) {
    if (!ParseInt(f[kCommitFields], c.Skipped) || c.Skipped < 0) return false;
  } else if (SplitFields(line, older)) {
    std::copy(older.begin(), older.end(), f.begin());
  } else {
    return false;
  }
  c.Kind = line[0];
  c.Time.assign(f[2]);
  return IsJournalTime(f[2]) && ParseInt(f[1], c.Import) && Unescape(f[3], c.Marker) && ParseCount(f[4], c.Count) &&
         Unescape(f[5], c.PreviousMarker) && ParseCount(f[6], c.PreviousCount) && ParseInt(f[7], c.PlayersBefore) &&
         ParseInt(f[8], c.PlayersAfter) && ParseDigest(f[9], c.DigestBefore) && ParseDigest(f[10], c.DigestAfter) &&
         ParseInt(f[11], c.InEffectBefore) && ParseInt(f[12], c.InEffectAfter) && ParseInt(f[13], c.LastNumber);
}

bool ParseCancel(std::string_view line, char& kind, std::int64_t& import) {
  std::array<std::string_view, kCancelFields> f;
  if (line.size() < 2 || line[0] != 'X' || line[1] != '\t' || !SplitFields(line, f)) return false;
  if (f[1].size() != 1 || (f[1][0] != 'C' && f[1][0] != 'U')) return false;
  kind = f[1][0];
  return ParseInt(f[2], import) && IsJournalTime(f[3]);
}

bool ParseMatchImport(std::string_view line, std::int64_t& import) {
  if (line.size() < 2 || line[0] != 'M' || line[1] != '\t') return false;
  const std::size_t tab = line.find('\t', 2);
  return tab != std::string_view::npos && ParseInt(line.substr(2, tab - 2), import);
}

bool ParseMatch(std::string_view line, JournalMatch& m) {
  if (line.size() < 2 || line[0] != 'M' || line[1] != '\t') return false;
  std::string_view rest = line.substr(2), field;
  bool last = false;
  if (!NextField(rest, field, last) || !ParseInt(field, m.Import)) return false;
  if (!NextField(rest, field, last) || !Unescape(field, m.Session)) return false;
  if (!NextField(rest, field, last) || !ParseInt(field, m.Position)) return false;
  if (!NextField(rest, field, last) || !Unescape(field, m.Name)) return false;
  for (std::int32_t& added : m.Added)
    if (!NextField(rest, field, last) || !ParseInt(field, added)) return false;
  m.Match = 0;
  m.Map.clear();
  m.Digest.reset();
  if (last) return true;  // written before matches were told apart
  if (!NextField(rest, field, last) || !ParseInt(field, m.Match) || m.Match < 1) return false;
  if (!NextField(rest, field, last) || !Unescape(field, m.Map)) return false;
  return NextField(rest, field, last) && ParseDigest(field, m.Digest) && last;
}

bool ParseMatchKey(std::string_view line, JournalKeyFields& key) {
  if (line.size() < 2 || line[0] != 'M' || line[1] != '\t') return false;
  std::string_view rest = line.substr(2), field;
  bool last = false;
  if (!NextField(rest, field, last) || !ParseInt(field, key.Import)) return false;
  if (!NextField(rest, key.EscapedSession, last)) return false;
  if (!NextField(rest, field, last) || !ParseInt(field, key.Position)) return false;
  key.Digest.reset();
  if (last) return false;
  // The name, the counters and, on a line with a key, the match, the map and
  // the digest: the digest is the last of 28 fields after the position.
  const std::ptrdiff_t tabs = CountTabs(rest);
  if (tabs == static_cast<std::ptrdiff_t>(kCounterColumns.size())) return true;  // written before blocks had keys
  if (tabs != static_cast<std::ptrdiff_t>(kCounterColumns.size()) + 3) return false;
  return ParseDigest(rest.substr(rest.rfind('\t') + 1), key.Digest);
}

bool UnescapeField(std::string_view text, std::string& out) { return Unescape(text, out); }

std::string JournalImportText(const std::vector<JournalMatch>& matches, const JournalCommit& commit) {
  std::string out;
  out.reserve(matches.size() * 160 + 256);
  std::size_t used = 0;
  std::string session, map;
  for (const JournalMatch& m : matches) {
    session.clear();
    AppendEscaped(session, m.Session);
    map.clear();
    AppendEscaped(map, m.Map);
    AppendMatchLine(out, used, commit.Import, {session, m.Position, m.Name, &m.Added, m.Match, map, m.Digest});
  }
  out.resize(used);
  AppendCommit(out, commit);
  return out;
}

std::string JournalUndoText(const JournalCommit& undo) {
  std::string out;
  AppendCommit(out, undo);
  return out;
}

const char* const kJournalLineCut = "\t!\r\n";

std::string JournalCancelText(const JournalCommit& line) {
  std::string out = "X\t";
  out.push_back(line.Kind);
  out.push_back('\t');
  AppendNumber(out, line.Import);
  out.append("\t").append(platform::LocalDateTime()).append("\r\n");
  return out;
}

}  // namespace fragtally
