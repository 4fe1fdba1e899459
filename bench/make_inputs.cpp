// Writes large, reproducible inputs for the benchmarks: a statistics file with
// up to 9999 players and a game log of a chosen size. The same seed and sizes
// always give the same bytes. Both files use CR LF line ends.
//
//   make_inputs [--seed N] [--players N] [--stats PATH] [--log-shape plain|dense]
//               [--log PATH] [--log-size SIZE] [--log-names N] [--chatter N]
//
// SIZE takes a K, M or G suffix (binary units). The log's players are the
// first --log-names names of the statistics file's players, so the log can be
// imported on top of a full table without running out of slots.
//
// Two shapes of log:
//   plain  (default) a quarter of the lines are statistics blocks of 3000
//          recurring Latin names; a block lists only the weapons fired; the
//          log ends on the first whole match at or past SIZE.
//   dense  30% of the lines are statistics lines; every block has the
//          gauntlet, all eight weapons (hits and shots in the hundreds), both
//          damage lines and the kills line; 350 recurring names, every seventh
//          Cyrillic in Windows-1251 bytes; console chatter of 30-70 characters
//          between the matches; a game start-up every 3 MiB; the file is
//          exactly SIZE bytes and ends on a whole line.
// The shape also picks the name list of a statistics file written in the same
// run, so a dense log imports onto a full table made with --log-shape dense.

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

// ---------------------------------------------------------------- random numbers

// splitmix64: small, fast and the same on every platform and library.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [low, high].
  long Range(long low, long high) {
    return low + static_cast<long>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }
  // True with probability percent / 100.
  bool Chance(int percent) { return Range(0, 99) < percent; }
  template <class T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(Range(0, static_cast<long>(items.size()) - 1))];
  }

 private:
  std::uint64_t state_;
};

// ---------------------------------------------------------------- output

class Output {
 public:
  explicit Output(const std::string& path) : path_(path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
      std::perror(path.c_str());
      std::exit(1);
    }
    buffer_.reserve(kFlushAt + 4096);
  }
  ~Output() { Close(); }

  void Close() {
    if (file_ == nullptr) return;
    Flush();
    if (std::fclose(file_) != 0) {
      std::perror(path_.c_str());
      std::exit(1);
    }
    file_ = nullptr;
  }

  Output& operator<<(std::string_view text) {
    buffer_.append(text);
    return *this;
  }
  Output& operator<<(long long value) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    buffer_.append(digits, end);
    return *this;
  }
  // Ends the line with CR LF.
  void EndLine() {
    buffer_.append("\r\n");
    ++lines_;
    if (buffer_.size() >= kFlushAt) Flush();
  }
  // Appends complete lines built elsewhere.
  void Append(std::string_view text, std::uint64_t lines) {
    buffer_.append(text);
    lines_ += lines;
    if (buffer_.size() >= kFlushAt) Flush();
  }
  std::uint64_t Bytes() const { return written_ + buffer_.size(); }
  std::uint64_t Lines() const { return lines_; }

 private:
  static constexpr std::size_t kFlushAt = 1 << 20;
  void Flush() {
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
      std::perror(path_.c_str());
      std::exit(1);
    }
    written_ += buffer_.size();
    buffer_.clear();
  }

  std::string path_;
  std::FILE* file_ = nullptr;
  std::string buffer_;
  std::uint64_t written_ = 0;
  std::uint64_t lines_ = 0;
};

// ---------------------------------------------------------------- player names

// Names 1..count; the same seed gives the same list, and a shorter list is the
// beginning of a longer one. All names are different.
std::vector<std::string> MakeNames(std::uint64_t seed, int count) {
  static const std::vector<std::string> kSyllables = {
      "ka", "ro", "zed", "mor", "vel", "tan", "ri", "sha", "dex", "lo",  "nu",  "bar", "gri", "fen",
      "xa", "ul", "vor", "min", "ta", "ko", "sil", "ash", "ed", "qui", "zor", "pa",  "lin", "dra"};
  static const std::vector<std::string> kTags = {"[KRM]", "=X=", "(rus)", "{DM}", "|Q|", "^1", "-=", "[FS]"};
  Rng rng(seed * 7919 + 17);
  std::vector<std::string> names;
  std::unordered_set<std::string> used;
  names.reserve(static_cast<std::size_t>(count));
  while (static_cast<int>(names.size()) < count) {
    std::string name;
    if (rng.Chance(15)) name += rng.Pick(kTags);
    int syllables = static_cast<int>(rng.Range(1, 3));
    for (int i = 0; i < syllables; ++i) name += rng.Pick(kSyllables);
    if (!name.empty() && name[0] >= 'a' && name[0] <= 'z' && rng.Chance(70)) name[0] = static_cast<char>(name[0] - 32);
    if (rng.Chance(35)) name += std::to_string(rng.Range(0, 999));
    if (rng.Chance(5)) name += " " + rng.Pick(kSyllables);  // a blank inside a name
    if (!used.insert(name).second) continue;
    names.push_back(std::move(name));
  }
  return names;
}

// Cyrillic text (UTF-8 here) as the Windows-1251 bytes the game writes. Only
// А..я, Ё and ё are converted; ASCII passes through.
std::string ToWindows1251(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if ((c == 0xD0 || c == 0xD1) && i + 1 < utf8.size()) {
      unsigned code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
      if (code >= 0x410 && code <= 0x44F) out += static_cast<char>(0xC0 + (code - 0x410));
      else if (code == 0x401) out += '\xA8';
      else if (code == 0x451) out += '\xB8';
      else out += '?';
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// Upper case of a Windows-1251 letter (а..я, ё); anything else unchanged.
char UpperWindows1251(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= 0xE0) return static_cast<char>(u - 0x20);
  if (u == 0xB8) return '\xA8';
  return c;
}

// Cyrillic names in Windows-1251 bytes, built like MakeNames: the same seed
// gives the same list, a shorter list is the beginning of a longer one, all
// names differ, and none equals a Latin name (each has a byte above 0x7F).
std::vector<std::string> MakeCyrillicNames(std::uint64_t seed, int count) {
  static const std::vector<std::string> kSyllables = [] {
    std::vector<std::string> bytes;
    for (const char* s : {"ка", "ро", "зар", "мор", "вел", "тан", "ри", "ша", "дек", "ло", "ну", "бар", "гри",
                          "фен", "ос", "тров", "грач", "вол", "ков", "ми", "ня", "лёш", "жу", "чер", "юр", "ан",
                          "дро", "ёж"})
      bytes.push_back(ToWindows1251(s));
    return bytes;
  }();
  static const std::vector<std::string> kTags = {"[KRM]", "(rus)", "{DM}", "=X=", "|Q|", "[FS]"};
  Rng rng(seed * 6007 + 5);
  std::vector<std::string> names;
  std::unordered_set<std::string> used;
  names.reserve(static_cast<std::size_t>(count));
  while (static_cast<int>(names.size()) < count) {
    std::string name;
    bool tagged = rng.Chance(15);
    if (tagged) name += rng.Pick(kTags);
    int syllables = static_cast<int>(rng.Range(1, 3));
    for (int i = 0; i < syllables; ++i) name += rng.Pick(kSyllables);
    if (!tagged && rng.Chance(70)) name[0] = UpperWindows1251(name[0]);
    if (rng.Chance(35)) name += std::to_string(rng.Range(0, 999));
    if (rng.Chance(5)) name += " " + rng.Pick(kSyllables);  // a blank inside a name
    if (!used.insert(name).second) continue;
    names.push_back(std::move(name));
  }
  return names;
}

// The dense shape's names: every seventh name (the 7th, 14th, ...) Cyrillic,
// the others the Latin names of MakeNames in order. A shorter list is again
// the beginning of a longer one.
std::vector<std::string> MakeMixedNames(std::uint64_t seed, int count) {
  const int cyrillic_count = count / 7;
  std::vector<std::string> latin = MakeNames(seed, count - cyrillic_count);
  std::vector<std::string> cyrillic = MakeCyrillicNames(seed, cyrillic_count);
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(count));
  std::size_t next_latin = 0, next_cyrillic = 0;
  for (int i = 0; i < count; ++i)
    names.push_back(i % 7 == 6 ? std::move(cyrillic[next_cyrillic++]) : std::move(latin[next_latin++]));
  return names;
}

// ---------------------------------------------------------------- statistics file

struct Weapon {
  const char* file_prefix;  // as the statistics file and the game write it
  int use_percent;          // how often a player fires it in a match
  int max_shots;            // per match
  int accuracy_low, accuracy_high;
};

constexpr Weapon kWeapons[] = {
    {"console: Machinegun:   ", 97, 400, 15, 55}, {"console: Shotgun:   ", 60, 120, 20, 60},
    {"console: Grenade L:   ", 35, 40, 5, 30},   {"console: Rocket L:   ", 80, 90, 20, 50},
    {"console: Shaft:   ", 45, 300, 15, 45},     {"console: Railgun:   ", 55, 50, 20, 70},
    {"console: Plasma gun:   ", 40, 200, 10, 40}, {"console: BFG:   ", 3, 30, 20, 60},
};

// The percentage as the program writes it: hits / shots x 100, nearest, ties to even.
long long Percent(long long hits, long long shots) {
  double value = static_cast<double>(hits) / static_cast<double>(shots) * 100.0;
  return static_cast<long long>(__builtin_nearbyint(value));
}

void WriteWeaponField(Output& out, long long hits, long long shots, bool machinegun) {
  if (shots >= 1) {
    out << hits << "/" << shots << "     " << Percent(hits, shots) << "%";
  } else if (machinegun) {
    out << hits << "/" << shots << "     0%";
  } else {
    out << "0/0     0%";
  }
}

void WriteStatsFile(const std::string& path, const std::vector<std::string>& names, std::uint64_t seed) {
  Output out(path);
  Rng rng(seed * 104729 + 3);
  for (const std::string& name : names) {
    // A few regulars with thousands of games, most with a handful.
    long games = rng.Chance(5) ? rng.Range(500, 3000) : rng.Chance(30) ? rng.Range(50, 500) : rng.Range(1, 50);
    out << "console: Stats for: " << name;
    out.EndLine();
    out << "console: Gauntlet:   " << static_cast<long long>(games * rng.Range(0, 3) / 2);
    out.EndLine();
    for (const Weapon& w : kWeapons) {
      long long shots = 0, hits = 0;
      if (rng.Chance(w.use_percent)) {
        shots = static_cast<long long>(games) * rng.Range(1, w.max_shots);
        hits = shots * rng.Range(w.accuracy_low, w.accuracy_high) / 100;
      }
      bool machinegun = &w == &kWeapons[0];
      if (machinegun && shots == 0 && rng.Chance(30)) hits = rng.Range(0, 3);  // the machinegun's own zero form
      out << w.file_prefix;
      WriteWeaponField(out, hits, shots, machinegun);
      out.EndLine();
    }
    long long given = static_cast<long long>(games) * rng.Range(300, 3000);
    long long received = static_cast<long long>(games) * rng.Range(300, 3000);
    out << "console: Dmggiven: " << given;
    out.EndLine();
    out << "console: Dmgrecvd: " << received;
    out.EndLine();
    long long kills = games * rng.Range(0, 25), deaths = games * rng.Range(0, 25), suicides = games * rng.Range(0, 2);
    out << "console: Kills: " << kills << "     Deaths: " << deaths << "     Suicides: " << suicides
        << "     Frags: " << (kills - suicides);
    out.EndLine();
    out << "console: games played: " << static_cast<long long>(games);
    out.EndLine();
    out << "console:  ";
    out.EndLine();
  }
  std::fprintf(stderr, "statistics file %s: %zu players, %" PRIu64 " lines, %" PRIu64 " bytes\n", path.c_str(),
               names.size(), out.Lines(), out.Bytes());
  out.Close();
}

// ---------------------------------------------------------------- game log

const std::vector<std::string> kMaps = {"kr_dm1", "kr_dm3", "kr_dm6", "kr_dm17", "kr_tourney2", "kr_ctf4", "kr_arena9"};
const std::vector<std::string> kObituaries = {
    " was railed by ",       " ate ",          "'s rocket", " was machinegunned by ", " was gunned down by ",
    " was melted by ",       "'s plasmagun",   " was electrocuted by ", " was blasted by ",
    " almost dodged ",       " was pummeled by "};
const std::vector<std::string> kSayings = {"gg",          "lol",          "nice shot",     "rematch?",   "brb",
                                           "lag!!!",      "who took the quad", "ez",      "wp",         "one more",
                                           "ping 180 here", "go rail only", "rofl",         "ok ready", "gl hf"};
const std::vector<std::string> kItems = {"weapon_railgun",  "weapon_rocketlauncher", "item_armor_body",
                                         "item_health_mega", "weapon_shotgun",       "item_quad",
                                         "ammo_rockets",    "weapon_lightning",      "item_armor_combat"};

// A start-up time that only ever moves forward, so every start-up line differs.
struct Clock {
  long long seconds = 1104537600;  // 2005-01-01 00:00:00

  struct Civil {
    long long year, month, day, weekday, hour, minute, second;  // weekday 0 = Sunday
  };
  Civil Fields() const {
    long long days = seconds / 86400, rest = seconds % 86400;
    // Civil date from days since 1970-01-01.
    long long z = days + 719468, era = z / 146097, doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = yoe + era * 400, doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    long long d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    return {y, m, d, (days + 4) % 7, rest / 3600, rest % 3600 / 60, rest % 60};
  }
  // 2005-01-01 00:00:00
  std::string Text() const {
    Civil c = Fields();
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", c.year, c.month, c.day, c.hour,
                  c.minute, c.second);
    return text;
  }
  // Sat Jan  1 00:00:00 2005, as the game's start-up line has it.
  std::string ConsoleText() const {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    Civil c = Fields();
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %2lld %02lld:%02lld:%02lld %lld", kDays[c.weekday], kMonths[c.month - 1],
                  c.day, c.hour, c.minute, c.second, c.year);
    return text;
  }
};

struct LogStats {
  std::uint64_t startups = 0, matches = 0, blocks = 0, block_lines = 0, block_bytes = 0;
  std::vector<int> seen;  // blocks per name index
};

void WriteBlock(Output& out, Rng& rng, const std::string& name, LogStats& stats) {
  std::uint64_t before_bytes = out.Bytes(), before_lines = out.Lines();
  out << "console: Stats for: " << name;
  out.EndLine();
  // The weapons fired this match, then gauntlet, damage and the kills line.
  for (const Weapon& w : kWeapons) {
    if (!rng.Chance(w.use_percent)) continue;
    long long shots = rng.Range(1, w.max_shots);
    long long hits = shots * rng.Range(w.accuracy_low, w.accuracy_high) / 100;
    out << w.file_prefix << hits << "/" << shots << "     " << Percent(hits, shots) << "%";
    out.EndLine();
  }
  out << "console: Gauntlet:   " << static_cast<long long>(rng.Range(0, 3));
  out.EndLine();
  out << "console: Dmggiven: " << static_cast<long long>(rng.Range(100, 4000));
  out.EndLine();
  out << "console: Dmgrecvd: " << static_cast<long long>(rng.Range(100, 4000));
  out.EndLine();
  long long kills = rng.Range(0, 30), deaths = rng.Range(0, 30), suicides = rng.Range(0, 3);
  out << "console: Kills: " << kills << "     Deaths: " << deaths << "     Suicides: " << suicides
      << "     Frags: " << (kills - suicides);
  out.EndLine();
  out << "console:  ";
  out.EndLine();
  ++stats.blocks;
  stats.block_bytes += out.Bytes() - before_bytes;
  stats.block_lines += out.Lines() - before_lines;
}

void WriteChatter(Output& out, Rng& rng, const std::vector<const std::string*>& present) {
  const std::string& a = *present[static_cast<std::size_t>(rng.Range(0, static_cast<long>(present.size()) - 1))];
  const std::string& b = *present[static_cast<std::size_t>(rng.Range(0, static_cast<long>(present.size()) - 1))];
  switch (rng.Range(0, 9)) {
    case 0:
    case 1:
    case 2:
    case 3: {
      const std::string& how = rng.Pick(kObituaries);
      if (how[0] == '\'')
        out << "console: " << a << " ate " << b << how;
      else
        out << "console: " << a << how << b;
      break;
    }
    case 4:
    case 5:
      out << "console: " << a << ": " << rng.Pick(kSayings);
      break;
    case 6:
      out << "Item: " << static_cast<long long>(rng.Range(0, 15)) << " " << rng.Pick(kItems);
      break;
    case 7:
      out << "console: " << a << " cratered.";
      break;
    case 8:
      out << "ClientUserinfoChanged: " << static_cast<long long>(rng.Range(0, 15)) << " n\\" << a
          << "\\t\\0\\model\\sarge\\hmodel\\sarge\\c1\\" << static_cast<long long>(rng.Range(1, 7));
      break;
    default:
      out << "console: " << a << " connected";
      break;
  }
  out.EndLine();
}

void WriteLog(const std::string& path, std::uint64_t target_bytes, const std::vector<std::string>& names,
              std::uint64_t seed, int chatter) {
  Output out(path);
  Rng rng(seed * 1299709 + 11);
  Clock clock;
  LogStats stats;
  stats.seen.assign(names.size(), 0);
  // Some players play far more than others: the first names of the pool are
  // the regulars.
  auto pick_player = [&]() -> std::size_t {
    std::size_t pool = names.size();
    std::size_t r = static_cast<std::size_t>(rng.Range(0, static_cast<long>(pool) - 1));
    return rng.Chance(50) ? r % std::max<std::size_t>(1, pool / 20) : r;
  };

  while (out.Bytes() < target_bytes) {
    // One start of the game, then a few matches.
    clock.seconds += rng.Range(600, 3 * 86400);
    out << "------------------------------------------------------------";
    out.EndLine();
    out << "--- Fs_startup : " << clock.Text() << " (" << static_cast<long long>(stats.startups + 1) << ")";
    out.EndLine();
    ++stats.startups;
    out << "----- FS_Startup -----";
    out.EndLine();
    out << "Current search path:";
    out.EndLine();
    out << "C:\\Games\\Krellmar\\basekrm\\pak0.pk3 (3539 files)";
    out.EndLine();
    out << "----------------------";
    out.EndLine();
    long matches = rng.Range(1, 8);
    for (long m = 0; m < matches && out.Bytes() < target_bytes; ++m) {
      ++stats.matches;
      out << "console: Loading map " << rng.Pick(kMaps);
      out.EndLine();
      std::vector<std::size_t> players;
      long count = rng.Range(2, 8);
      while (static_cast<long>(players.size()) < count) {
        std::size_t p = pick_player();
        if (std::find(players.begin(), players.end(), p) == players.end()) players.push_back(p);
      }
      std::vector<const std::string*> present;
      for (std::size_t p : players) present.push_back(&names[p]);
      long lines = rng.Range(chatter / 2, chatter * 3 / 2);
      for (long i = 0; i < lines; ++i) WriteChatter(out, rng, present);
      out << "console: " << *present[0] << " hit the fraglimit.";
      out.EndLine();
      for (std::size_t p : players) {
        WriteBlock(out, rng, names[p], stats);
        ++stats.seen[p];
      }
      out << "console: Server: match over, " << static_cast<long long>(count) << " players";
      out.EndLine();
    }
  }
  std::size_t distinct = static_cast<std::size_t>(std::count_if(stats.seen.begin(), stats.seen.end(), [](int n) { return n > 0; }));
  int most = stats.seen.empty() ? 0 : *std::max_element(stats.seen.begin(), stats.seen.end());
  std::fprintf(stderr,
               "game log %s: %" PRIu64 " bytes, %" PRIu64 " lines, %" PRIu64 " start-ups, %" PRIu64
               " matches, %" PRIu64 " blocks of %zu names (most blocks for one name: %d), %" PRIu64
               " block lines (%.1f%% of lines, %.1f%% of bytes)\n",
               path.c_str(), out.Bytes(), out.Lines(), stats.startups, stats.matches, stats.blocks, distinct, most,
               stats.block_lines, out.Lines() ? 100.0 * stats.block_lines / out.Lines() : 0.0,
               out.Bytes() ? 100.0 * stats.block_bytes / out.Bytes() : 0.0);
  out.Close();
}

// ---------------------------------------------------------------- dense game log

// Lines built in memory and counted, so that a whole match can be measured
// before it goes into the file.
class Chunk {
 public:
  Chunk& operator<<(std::string_view text) {
    text_.append(text);
    return *this;
  }
  Chunk& operator<<(long long value) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text_.append(digits, end);
    return *this;
  }
  void EndLine() {
    text_.append("\r\n");
    ++lines_;
  }
  void Clear() {
    text_.clear();
    lines_ = 0;
  }
  const std::string& Text() const { return text_; }
  std::uint64_t Bytes() const { return text_.size(); }
  std::uint64_t Lines() const { return lines_; }

 private:
  std::string text_;
  std::uint64_t lines_ = 0;
};

// Share of statistics lines among all lines of the dense log, in percent.
constexpr int kDenseStatsPercent = 30;
// Header, gauntlet, eight weapons, two damage lines, kills, terminator.
constexpr int kDenseBlockLines = 14;
constexpr std::uint64_t kDenseStartupEvery = 3ull << 20;
constexpr std::size_t kChatterShortest = 30, kChatterLongest = 70;  // characters, without the line end

const std::vector<std::string> kDenseMaps = {"krmdm1", "krmdm3", "krmdm6", "krmdm13", "krmdm17", "krmtourney2",
                                             "krmtourney4", "krmctf1"};
// Killed player, the text between, the killer, the text after.
struct Obituary {
  const char* between;
  const char* after;
};
const std::vector<Obituary> kDenseObituaries = {
    {" was railed by ", ""},           {" ate ", "'s rocket"},          {" almost dodged ", "'s rocket"},
    {" was melted by ", "'s plasmagun"}, {" was shredded by ", "'s shrapnel"}, {" was blasted by ", "'s BFG"},
    {" was machinegunned by ", ""},    {" was gunned down by ", ""},     {" was electrocuted by ", ""},
    {" was pummeled by ", ""},         {" tried to invade ", "'s personal space"}, {" was telefragged by ", ""}};
const std::vector<std::string> kDenseSuicides = {" cratered.", " blew himself up.", " fell to his death.",
                                                 " melted himself.", " sank like a rock.",
                                                 " tripped on his own grenade.", " did the lemming thing.",
                                                 " was squished.", " should have used a smaller gun."};
const std::vector<std::string> kDenseMeans = {"MOD_RAILGUN", "MOD_ROCKET", "MOD_ROCKET_SPLASH", "MOD_PLASMA",
                                              "MOD_LIGHTNING", "MOD_SHOTGUN", "MOD_MACHINEGUN", "MOD_GRENADE_SPLASH",
                                              "MOD_GAUNTLET", "MOD_BFG", "MOD_TELEFRAG"};
const std::vector<std::string> kDenseSayings = [] {
  std::vector<std::string> sayings = {"gg", "lol", "nice shot", "rematch?", "brb", "lag!!!", "who took the quad",
                                      "ez", "wp", "one more", "ping 180 here", "go rail only", "rofl", "ok ready",
                                      "gl hf", "camper...", "that rocket was mine", "stop spawn killing pls",
                                      "anyone for a 1v1 on tourney4?", "mega in 10", "my mouse died", "omg"};
  for (const char* s : {"гг", "ну ты даёшь", "лаги жуткие", "ещё раз?", "кто взял квад", "рельса рулит",
                        "давай один на один", "спасибо за игру"})
    sayings.push_back(ToWindows1251(s));
  return sayings;
}();
const std::vector<std::string> kDenseItems = {
    "weapon_rocketlauncher", "weapon_grenadelauncher", "weapon_plasmagun", "weapon_lightning", "weapon_railgun",
    "weapon_shotgun",        "weapon_bfg",             "item_armor_combat", "item_armor_body", "item_armor_shard",
    "item_health_large",     "item_health_mega",       "item_quad",         "item_haste",      "ammo_rockets",
    "ammo_slugs",            "ammo_cells",             "ammo_lightning",    "ammo_bullets",    "holdable_teleporter"};
// Filler for say lines of an exact length.
const std::vector<std::string> kDenseWords = {"ok", "then", "rail", "mega", "quad", "again", "lag", "wait", "go",
                                              "left", "right", "red", "armor", "rocket", "top", "low", "nice"};

struct DenseStats {
  std::uint64_t startups = 0, matches = 0, blocks = 0, block_lines = 0, block_bytes = 0;
  std::uint64_t chatter_lines = 0, frame_lines = 0;
  std::size_t chatter_shortest = SIZE_MAX, chatter_longest = 0;
  std::vector<std::uint64_t> seen;  // blocks per name index
};

void WriteDenseBlock(Chunk& out, Rng& rng, const std::string& name) {
  out << "console: Stats for: " << name;
  out.EndLine();
  out << "console: Gauntlet:   " << static_cast<long long>(rng.Range(0, 12));
  out.EndLine();
  for (const Weapon& w : kWeapons) {
    long long shots = rng.Range(100, 999);
    long long hits = 100 + (shots - 100) * rng.Range(w.accuracy_low, w.accuracy_high) / 100;  // 100..shots
    out << w.file_prefix << hits << "/" << shots << "     " << Percent(hits, shots) << "%";
    out.EndLine();
  }
  out << "console: Dmggiven: " << static_cast<long long>(rng.Range(1000, 9999));
  out.EndLine();
  out << "console: Dmgrecvd: " << static_cast<long long>(rng.Range(1000, 9999));
  out.EndLine();
  long long kills = rng.Range(0, 40), deaths = rng.Range(0, 40), suicides = rng.Range(0, 4);
  out << "console: Kills: " << kills << "     Deaths: " << deaths << "     Suicides: " << suicides
      << "     Frags: " << (kills - suicides);
  out.EndLine();
  out << "console:  ";
  out.EndLine();
}

// A say line of exactly `length` characters (at least kChatterShortest).
std::string SayOfLength(Rng& rng, const std::string& who, std::size_t length) {
  std::string line = who + ": " + rng.Pick(kDenseSayings);
  while (line.size() < length) line += " " + rng.Pick(kDenseWords);
  line.resize(length);
  if (line.back() == ' ') line.back() = '.';
  return line;
}

// One line of console chatter between the matches, 30 to 70 characters.
std::string ChatterLine(Rng& rng, const std::vector<const std::string*>& present) {
  auto someone = [&]() -> const std::string& { return *rng.Pick(present); };
  auto client = [&]() { return static_cast<long long>(rng.Range(0, 15)); };
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string& a = someone();
    const std::string* b = &someone();
    for (int i = 0; i < 4 && b == &a; ++i) b = &someone();
    Chunk line;
    switch (rng.Range(0, 19)) {
      case 0: case 1: case 2: case 3: case 4: case 5: case 6: {
        const Obituary& o = rng.Pick(kDenseObituaries);
        line << a << o.between << *b << o.after;
        break;
      }
      case 7:
        line << a << rng.Pick(kDenseSuicides);
        break;
      case 8: case 9: {
        long long killer = client(), victim = client();
        line << "Kill: " << killer << " " << victim << " " << static_cast<long long>(rng.Range(1, 23)) << ": " << *b
             << " killed " << a << " by " << rng.Pick(kDenseMeans);
        break;
      }
      case 10: case 11: case 12:
        line << a << ": " << rng.Pick(kDenseSayings);
        break;
      case 13:
        line << "say: " << a << ": " << rng.Pick(kDenseSayings);
        break;
      case 14: case 15: case 16:
        line << static_cast<long long>(rng.Range(0, 19)) << ":" << static_cast<long long>(rng.Range(10, 59))
             << " Item: " << client() << " " << rng.Pick(kDenseItems);
        break;
      case 17:
        line << "broadcast: print \"" << a << (rng.Chance(50) ? " entered the game" : " disconnected") << "\\n\"";
        break;
      case 18:
        line << "ClientUserinfoChanged: " << client() << " n\\" << a << "\\t\\0\\model\\"
             << (rng.Chance(50) ? "sarge" : "visor");
        break;
      default:
        line << a << (rng.Chance(50) ? " entered the game" : " connected") << " (ping "
             << static_cast<long long>(rng.Range(5, 250)) << ")";
        break;
    }
    if (line.Bytes() >= kChatterShortest && line.Bytes() <= kChatterLongest) return line.Text();
  }
  const long length = rng.Range(static_cast<long>(kChatterShortest), static_cast<long>(kChatterLongest));
  return SayOfLength(rng, someone(), static_cast<std::size_t>(length));
}

void AddChatter(Chunk& out, DenseStats& stats, const std::string& line) {
  out << line;
  out.EndLine();
  ++stats.chatter_lines;
  stats.chatter_shortest = std::min(stats.chatter_shortest, line.size());
  stats.chatter_longest = std::max(stats.chatter_longest, line.size());
}

void AddFrame(Chunk& out, DenseStats& stats, std::string_view line) {
  out << line;
  out.EndLine();
  ++stats.frame_lines;
}

// The lines of one game start-up; the start-up line itself is the second.
void AddStartup(Chunk& out, DenseStats& stats, const Clock& clock) {
  AddFrame(out, stats, "------- FileSystem Startup -------");
  AddFrame(out, stats, "--- Fs_startup : " + clock.ConsoleText());
  AddFrame(out, stats, "Krellmar 1.32 win-x86 Oct  7 2025");
  AddFrame(out, stats, "----- FS_Startup -----");
  AddFrame(out, stats, "Current search path:");
  AddFrame(out, stats, "C:\\Games\\Krellmar\\basekrm");
  AddFrame(out, stats, "C:\\Games\\Krellmar\\basekrm\\pak0.pk3 (3539 files)");
  AddFrame(out, stats, "----------------------");
  AddFrame(out, stats, "3539 files in pk3 files");
}

void WriteDenseLog(const std::string& path, std::uint64_t target_bytes, const std::vector<std::string>& names,
                   std::uint64_t seed) {
  // The last lines fill the file to the byte with lines of at least
  // kChatterShortest characters, so any size from that up can be met.
  constexpr std::uint64_t kShortestLine = kChatterShortest + 2, kLongestLine = kChatterLongest + 2;
  if (target_bytes != 0 && target_bytes < kShortestLine) {
    std::fprintf(stderr, "a dense log needs at least %" PRIu64 " bytes\n", kShortestLine);
    std::exit(2);
  }
  Output out(path);
  Rng rng(seed * 15485863 + 29);
  Clock clock;
  clock.seconds = 1704067200;  // 2024-01-01 00:00:00
  DenseStats stats;
  stats.seen.assign(names.size(), 0);
  // A tenth of the names are regulars who play about two fifths of the blocks.
  auto pick_player = [&]() -> std::size_t {
    std::size_t pool = names.size();
    std::size_t r = static_cast<std::size_t>(rng.Range(0, static_cast<long>(pool) - 1));
    return rng.Chance(33) ? r % std::max<std::size_t>(1, pool / 10) : r;
  };
  std::uint64_t next_startup = 0;
  Chunk match;
  while (true) {
    // One match in memory: a start-up when one is due, the map, chatter, the
    // blocks. Written only when it leaves room for whole lines to the end.
    DenseStats before = stats;
    Clock clock_before = clock;
    match.Clear();
    bool startup = out.Bytes() >= next_startup;
    if (startup) {
      clock.seconds += rng.Range(600, 2 * 86400);
      AddStartup(match, stats, clock);
      ++stats.startups;
    }
    ++stats.matches;
    long count = std::min<long>(rng.Range(2, 8), static_cast<long>(names.size()));
    std::vector<std::size_t> players;
    while (static_cast<long>(players.size()) < count) {
      std::size_t p = pick_player();
      if (std::find(players.begin(), players.end(), p) == players.end()) players.push_back(p);
    }
    std::vector<const std::string*> present;
    for (std::size_t p : players) present.push_back(&names[p]);
    AddFrame(match, stats, "map: " + rng.Pick(kDenseMaps));
    // Enough chatter that the statistics lines are kDenseStatsPercent of all
    // lines once this match is out, give or take a quarter of this match's
    // chatter; the next match makes up for the difference.
    const long long frame_after_chatter = 3;  // "Fraglimit hit.", "console: " and "ShutdownGame:"
    long long block_lines_after = static_cast<long long>(stats.block_lines) + count * kDenseBlockLines;
    long long other_lines = static_cast<long long>(out.Lines() - stats.block_lines + match.Lines());
    long long want = block_lines_after * (100 - kDenseStatsPercent) / kDenseStatsPercent - other_lines -
                     frame_after_chatter;
    long long chatter = std::max<long long>(count, want * rng.Range(75, 125) / 100);
    for (long long i = 0; i < chatter; ++i) AddChatter(match, stats, ChatterLine(rng, present));
    AddFrame(match, stats, rng.Chance(80) ? "Fraglimit hit." : "Timelimit hit.");
    AddFrame(match, stats, "console: ");
    for (std::size_t p : players) {
      std::uint64_t block_start = match.Bytes();
      WriteDenseBlock(match, rng, names[p]);
      ++stats.blocks;
      stats.block_lines += kDenseBlockLines;
      stats.block_bytes += match.Bytes() - block_start;
      ++stats.seen[p];
    }
    AddFrame(match, stats, "ShutdownGame:");

    std::uint64_t room = target_bytes - out.Bytes();
    if (match.Bytes() == room || match.Bytes() + kShortestLine <= room) {
      out.Append(match.Text(), match.Lines());
      if (startup) next_startup += kDenseStartupEvery;
      if (out.Bytes() == target_bytes) break;
      continue;
    }
    // The match does not fit: forget it and end the file with chatter.
    stats = std::move(before);
    clock = clock_before;
    match.Clear();
    std::vector<const std::string*> everyone;
    for (const std::string& name : names) everyone.push_back(&name);
    while (room > 0) {
      std::string line;
      if (room >= kLongestLine + kShortestLine) {
        line = ChatterLine(rng, everyone);
      } else {
        // At most two lines left: the first leaves at least one shortest line.
        std::uint64_t length = room <= kLongestLine ? room : room - kShortestLine;
        line = SayOfLength(rng, *rng.Pick(everyone), static_cast<std::size_t>(length - 2));
      }
      AddChatter(match, stats, line);
      room -= line.size() + 2;
    }
    out.Append(match.Text(), match.Lines());
    break;
  }

  std::size_t distinct = 0, distinct_cyrillic = 0;
  std::uint64_t most = 0, fewest = UINT64_MAX;
  for (std::size_t i = 0; i < stats.seen.size(); ++i) {
    if (stats.seen[i] == 0) continue;
    ++distinct;
    if (std::any_of(names[i].begin(), names[i].end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
      ++distinct_cyrillic;
    most = std::max(most, stats.seen[i]);
    fewest = std::min(fewest, stats.seen[i]);
  }
  if (distinct == 0) fewest = 0;
  const double lines = static_cast<double>(out.Lines()), bytes = static_cast<double>(out.Bytes());
  std::fprintf(stderr,
               "game log %s (dense): %" PRIu64 " bytes, %" PRIu64 " lines, %" PRIu64 " start-ups, %" PRIu64
               " matches, %" PRIu64 " blocks of %zu names (%zu Cyrillic; blocks per name %" PRIu64 "..%" PRIu64
               "), %" PRIu64 " statistics lines (%.2f%% of lines, %.1f%% of bytes), %" PRIu64
               " chatter lines of %zu..%zu characters, %" PRIu64 " other lines\n",
               path.c_str(), out.Bytes(), out.Lines(), stats.startups, stats.matches, stats.blocks, distinct,
               distinct_cyrillic, fewest, most, stats.block_lines, lines > 0 ? 100.0 * stats.block_lines / lines : 0.0,
               bytes > 0 ? 100.0 * stats.block_bytes / bytes : 0.0, stats.chatter_lines,
               stats.chatter_lines ? stats.chatter_shortest : 0, stats.chatter_longest, stats.frame_lines);
  out.Close();
}

// ---------------------------------------------------------------- command line

std::uint64_t ParseSize(const std::string& text) {
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  std::string unit = end ? end : "";
  double scale = 1;
  if (unit == "K" || unit == "k" || unit == "KiB") scale = 1024.0;
  else if (unit == "M" || unit == "m" || unit == "MiB") scale = 1024.0 * 1024;
  else if (unit == "G" || unit == "g" || unit == "GiB") scale = 1024.0 * 1024 * 1024;
  else if (!unit.empty()) {
    std::fprintf(stderr, "bad size: %s\n", text.c_str());
    std::exit(2);
  }
  return static_cast<std::uint64_t>(value * scale);
}

[[noreturn]] void Usage() {
  std::fprintf(stderr,
               "usage: make_inputs [--seed N] [--players N] [--stats PATH] [--log-shape plain|dense]\n"
               "                   [--log PATH] [--log-size SIZE] [--log-names N] [--chatter N]\n"
               "  --players    players in the statistics file (default 9999, at most 9999)\n"
               "  --log-shape  plain (default) or dense: 30%% statistics lines, full blocks, every\n"
               "               seventh name Cyrillic (Windows-1251), exactly SIZE bytes; also picks\n"
               "               the statistics file's names\n"
               "  --log-size   size of the game log, K/M/G suffix (default 1G)\n"
               "  --log-names  distinct player names in the log (default 3000 plain, 350 dense)\n"
               "  --chatter    average console lines per match besides the blocks (default 150;\n"
               "               plain shape only)\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t seed = 1;
  int players = 9999, log_names = 0, chatter = 150;
  bool log_names_given = false;
  std::uint64_t log_size = 1ull << 30;
  std::string stats_path, log_path, shape = "plain";
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) Usage();
      return argv[++i];
    };
    if (arg == "--seed") seed = std::strtoull(value().c_str(), nullptr, 10);
    else if (arg == "--players") players = std::atoi(value().c_str());
    else if (arg == "--stats") stats_path = value();
    else if (arg == "--log") log_path = value();
    else if (arg == "--log-shape") shape = value();
    else if (arg == "--log-size") log_size = ParseSize(value());
    else if (arg == "--log-names") {
      log_names = std::atoi(value().c_str());
      log_names_given = true;
    }
    else if (arg == "--chatter") chatter = std::atoi(value().c_str());
    else Usage();
  }
  const bool dense = shape == "dense";
  if (!dense && shape != "plain") Usage();
  if (!log_names_given) log_names = dense ? 350 : 3000;
  if (players < 0 || players > 9999 || log_names < 1 || log_names > 9999 || chatter < 2) Usage();
  if (stats_path.empty() && log_path.empty()) Usage();

  std::vector<std::string> names =
      dense ? MakeMixedNames(seed, std::max(players, log_names)) : MakeNames(seed, std::max(players, log_names));
  if (!stats_path.empty())
    WriteStatsFile(stats_path, std::vector<std::string>(names.begin(), names.begin() + players), seed);
  if (!log_path.empty()) {
    std::vector<std::string> log_players(names.begin(), names.begin() + log_names);
    if (dense)
      WriteDenseLog(log_path, log_size, log_players, seed);
    else
      WriteLog(log_path, log_size, log_players, seed, chatter);
  }
  return 0;
}
