// Writes large, reproducible inputs for the benchmarks: a statistics file with
// up to 9999 players and a game log of a chosen size. The same seed and sizes
// always give the same bytes. Both files use CR LF line ends.
//
//   make_inputs [--seed N] [--players N] [--stats PATH]
//               [--log PATH] [--log-size SIZE] [--log-names N] [--chatter N]
//
// SIZE takes a K, M or G suffix (binary units). The log's players are the
// first --log-names names of the statistics file's players, so the log can be
// imported on top of a full table without running out of slots.

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
  std::string Text() const {
    long long days = seconds / 86400, rest = seconds % 86400;
    // Civil date from days since 1970-01-01.
    long long z = days + 719468, era = z / 146097, doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = yoe + era * 400, doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    long long d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", y, m, d, rest / 3600,
                  rest % 3600 / 60, rest % 60);
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
               "usage: make_inputs [--seed N] [--players N] [--stats PATH]\n"
               "                   [--log PATH] [--log-size SIZE] [--log-names N] [--chatter N]\n"
               "  --players    players in the statistics file (default 9999, at most 9999)\n"
               "  --log-size   size of the game log, K/M/G suffix (default 1G)\n"
               "  --log-names  distinct player names in the log (default 3000)\n"
               "  --chatter    average console lines per match besides the blocks (default 150)\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t seed = 1;
  int players = 9999, log_names = 3000, chatter = 150;
  std::uint64_t log_size = 1ull << 30;
  std::string stats_path, log_path;
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
    else if (arg == "--log-size") log_size = ParseSize(value());
    else if (arg == "--log-names") log_names = std::atoi(value().c_str());
    else if (arg == "--chatter") chatter = std::atoi(value().c_str());
    else Usage();
  }
  if (players < 0 || players > 9999 || log_names < 1 || log_names > 9999 || chatter < 2) Usage();
  if (stats_path.empty() && log_path.empty()) Usage();

  std::vector<std::string> names = MakeNames(seed, std::max(players, log_names));
  if (!stats_path.empty())
    WriteStatsFile(stats_path, std::vector<std::string>(names.begin(), names.begin() + players), seed);
  if (!log_path.empty())
    WriteLog(log_path, log_size, std::vector<std::string>(names.begin(), names.begin() + log_names), seed, chatter);
  return 0;
}
