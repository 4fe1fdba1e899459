#include "files/settings_file.h"

#include "files/line_reader.h"

namespace fragtally {

void LoadSettings(WindowState& state) {
  LineReader file;
  if (file.Open(SettingsFilePath(state))) {
    std::string line;
    if (file.ReadLine(line)) {
      state.LogPath = line;
      if (file.ReadLine(line)) state.StartupMarker = line;
    }
  }
  file.Close();
  if (state.LogPath.empty()) state.LogPath = kDefaultLogPath;
}

SaveResult SaveSettings(const WindowState& state) {
  std::string contents;
  contents.reserve(state.LogPath.size() + state.StartupMarker.size() + 4);
  contents.append(state.LogPath).append("\r\n").append(state.StartupMarker).append("\r\n");
  return WriteFileAtomically(SettingsFilePath(state), contents);
}

}  // namespace fragtally
