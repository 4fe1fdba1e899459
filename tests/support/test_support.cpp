#include "test_support.h"

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include "app/commands.h"
#include "files/paths.h"
#include "stats/stats_line.h"

namespace fragtally::testing {

std::vector<std::string> StatsBlock(const Totals& t) {
  static const char* const kWeapons[] = {"Machinegun", "Shotgun", "Grenade L", "Rocket L",
                                         "Shaft",      "Railgun", "Plasma gun", "BFG"};
  std::vector<std::string> lines;
  lines.push_back("console: Stats for: " + t.name);
  lines.push_back("console: Gauntlet:   " + std::to_string(t.gauntlet));
  for (int i = 0; i < 8; ++i) {
    auto [hits, shots] = t.weapons[i];
    // Without shots only the machinegun keeps its counts; the others write 0/0.
    std::string field = shots >= 1 ? std::to_string(hits) + "/" + std::to_string(shots) + "     " +
                                         std::to_string(std::llrint(static_cast<double>(hits) / shots * 100.0)) + "%"
                        : i == 0   ? std::to_string(hits) + "/" + std::to_string(shots) + "     0%"
                                   : "0/0     0%";
    lines.push_back(std::string("console: ") + kWeapons[i] + ":   " + field);
  }
  lines.push_back("console: Dmggiven: " + std::to_string(t.damage_given));
  lines.push_back("console: Dmgrecvd: " + std::to_string(t.damage_received));
  lines.push_back("console: Kills: " + std::to_string(t.kills) + "     Deaths: " + std::to_string(t.deaths) +
                  "     Suicides: " + std::to_string(t.suicides) + "     Frags: " + std::to_string(t.frags));
  if (t.games) lines.push_back("console: games played: " + std::to_string(*t.games));
  lines.push_back("console:  ");
  return lines;
}

std::string StatsFileOf(const std::vector<Totals>& players) {
  std::string text;
  for (const Totals& t : players) text += CrLf(StatsBlock(t));
  return text;
}

std::vector<std::string> MatchBlock(const std::string& name, int kills) {
  Totals match{.name = name, .weapons = {{{12, 30}}}, .damage_given = 1500, .kills = kills, .deaths = 2,
               .frags = kills, .games = std::nullopt};
  return StatsBlock(match);
}

std::vector<std::string> Lines(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::string CrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

TempDir::TempDir() {
  std::random_device random;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    path_ = base / ("fragtally-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back write permission that a test took away, so removal works.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

CurrentFolder::CurrentFolder(const std::filesystem::path& folder) : saved_(std::filesystem::current_path()) {
  std::filesystem::current_path(folder);
}

CurrentFolder::~CurrentFolder() {
  std::error_code ec;
  std::filesystem::current_path(saved_, ec);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::unique_ptr<WindowState> StateIn(const std::filesystem::path& folder) {
  auto state = NewForm1State(folder.string());
  std::filesystem::create_directories(folder / "basekrm");
  return state;
}

void WriteStatsFile(const WindowState& state, const std::string& contents) {
  WriteFile(StatsFilePath(state), contents);
}

ImportResult PressImport(WindowState& state, RecordingSink& sink) {
  const std::size_t before = sink.messages.size();
  Command1_Click(state, sink);
  if (sink.messages.size() == before) return ImportResult::Completed;
  return sink.messages.back().title == kLogUnchangedTitle ? ImportResult::LogUnchanged : ImportResult::Failed;
}

void ParseLines(WindowState& state, const std::vector<std::string>& lines) {
  for (const auto& line : lines) {
    state.CurrentLine = line;
    ParseStatsLine(state);
  }
}

}  // namespace fragtally::testing
