#pragma once

#include <array>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "recording_sink.h"
#include "stats/error.h"
#include "stats/window_state.h"

namespace fragtally::testing {

// One player's totals, and the statistics block that holds them.
struct Totals {
  std::string name;
  int gauntlet = 0;
  // hits/shots: machinegun, shotgun, grenade, rocket, shaft, railgun, plasma, BFG
  std::array<std::pair<int, int>, 8> weapons{};
  int damage_given = 0, damage_received = 0;
  int kills = 0, deaths = 0, suicides = 0, frags = 0;
  // The statistics file writes the games count; the game's log does not.
  std::optional<int> games = 1;
};

// The block's lines as the statistics file writes them (15 lines), or, for
// totals without a games count, as the game writes them at the end of a
// match (14 lines).
std::vector<std::string> StatsBlock(const Totals& t);
// Statistics files of these players, CR LF line ends.
std::string StatsFileOf(const std::vector<Totals>& players);
// A block from the game's log: a match of `name` with `kills` kills and frags.
std::vector<std::string> MatchBlock(const std::string& name, int kills = 1);

// Joins groups of lines into one list.
std::vector<std::string> Lines(std::initializer_list<std::vector<std::string>> parts);
// Joins lines with CR LF after each.
std::string CrLf(const std::vector<std::string>& lines);

// A fresh folder below the system's temporary folder, removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// Makes `folder` the current folder for the lifetime of the guard.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::filesystem::path& folder);
  ~CurrentFolder();
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::filesystem::path saved_;
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

// A window's state whose program folder is `folder` (basekrm/ is created in it).
std::unique_ptr<WindowState> StateIn(const std::filesystem::path& folder);

// Writes `contents` as the statistics file of `state`'s program folder.
void WriteStatsFile(const WindowState& state, const std::string& contents);

// A press of the import button, and how it ended as the user sees it (no
// message, the log-unchanged notice, or the failure message).
enum class ImportResult { Completed, LogUnchanged, Failed };
ImportResult PressImport(WindowState& state, RecordingSink& sink);

// Feeds lines to ParseStatsLine for the current player.
void ParseLines(WindowState& state, const std::vector<std::string>& lines);

// The kind of the Error that `action` raises; a test failure (and nothing)
// when it raises none.
template <class Action>
std::optional<ErrorKind> RaisedKind(Action&& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.kind();
  }
  ADD_FAILURE() << "no error raised";
  return std::nullopt;
}

}  // namespace fragtally::testing
