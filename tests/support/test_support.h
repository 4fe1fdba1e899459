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

#include "blocks.h"
#include "recording_sink.h"
#include "stats/error.h"
#include "app/main_window/window_state.h"

namespace fragtally::testing {

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
// message or a notice, the log-unchanged notice, or an error message).
enum class ImportResult { Completed, LogUnchanged, Failed };
ImportResult PressImport(WindowState& state, RecordingSink& sink);

// The names of slots 1..PlayerCount, in slot order (what each selector lists).
std::vector<std::string> PlayerNames(const PlayerTable& table);

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
