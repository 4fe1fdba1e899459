#pragma once

#include <string>

#include "platform/platform.h"
#include "files/file_state.h"

namespace fragtally {

// The program's own files, below the folder that holds the program.
inline std::string ProgramFile(const FileState& state, const char* folder, const char* name) {
  constexpr char sep = platform::kPathSeparator;
  std::string path = state.ProgramFolder;
  path.append(1, sep).append(folder);
  if (name != nullptr) path.append(1, sep).append(name);
  return path;
}
inline std::string StatsFilePath(const FileState& state) { return ProgramFile(state, "basekrm", "Stats.krm"); }
inline std::string SettingsFilePath(const FileState& state) { return ProgramFile(state, "basekrm", "mSetup.ini"); }
// The windows' places and sizes between runs (window_file.h).
inline std::string WindowFilePath(const FileState& state) { return ProgramFile(state, "basekrm", "window.ini"); }
inline std::string JournalFilePath(const FileState& state) { return ProgramFile(state, "basekrm", "Matches.txt"); }
inline std::string PanelPicturePath(const FileState& state) {
  constexpr char sep = platform::kPathSeparator;
  return ProgramFile(state, "basekrm", nullptr) + sep + "custom" + sep + "stats.jpg";
}

// Replaces a file atomically (platform::FileSystem::ReplaceFile); a failure
// raises WriteFailed with the reason, and the old file stays as it was.
void ReplaceFile(const std::string& path, const std::string& contents);

}  // namespace fragtally
