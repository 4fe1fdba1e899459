#include "test_support.h"

#include <fstream>
#include <random>
#include <sstream>

#include "app/main_window/commands.h"
#include "files/paths.h"
#include "stats/stats_line.h"

namespace fragtally::testing {

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
  if (sink.messages.back().title == kLogUnchangedTitle) return ImportResult::LogUnchanged;
  // A notice after a completed import (a backup that was made).
  return sink.messages.back().icon == MessageIcon::Information ? ImportResult::Completed : ImportResult::Failed;
}

std::vector<std::string> PlayerNames(const PlayerTable& table) {
  std::vector<std::string> names;
  for (int slot = 1; slot <= table.PlayerCount; ++slot) names.push_back(table.PlayerName[slot]);
  return names;
}

void ParseLines(WindowState& state, const std::vector<std::string>& lines) {
  for (const auto& line : lines) {
    state.CurrentLine = line;
    ParseStatsLine(state);
  }
}

}  // namespace fragtally::testing
