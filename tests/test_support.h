#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files/messages.h"
#include "stats/window_state.h"

namespace fragtally::testing {

struct RecordedMessage {
  MessageIcon icon;
  std::string title;
  std::string text;
};

// Keeps every message box instead of showing it.
class RecordingSink : public MessageSink {
 public:
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override {
    messages.push_back({icon, title, text});
  }
  std::vector<RecordedMessage> messages;
};

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

// Joins lines with CR LF after each.
std::string CrLf(const std::vector<std::string>& lines);

// A window state whose program folder is `folder` (basekrm/ is created in it).
std::unique_ptr<WindowState> StateIn(const std::filesystem::path& folder);

// Writes `contents` as the statistics file of `state`'s program folder.
void WriteStatsFile(const WindowState& state, const std::string& contents);

// Feeds lines to ParseStatsLine for slot `player` (set as CurrentPlayer).
void ParseLines(WindowState& state, const std::vector<std::string>& lines);

}  // namespace fragtally::testing
