#include "files/settings_file.h"

#include "files/line_reader.h"
#include "files/paths.h"

namespace fragtally {

void LoadSettings(WindowState& state) {
  try {
    LineReader file;
    if (file.Open(SettingsFilePath(state))) {
      std::string line;
      if (file.ReadLine(line)) {
        state.LogPath = line;
        if (file.ReadLine(line)) state.StartupMarker = line;
      }
    }
  } catch (const std::exception&) {
    // A settings file that cannot be read leaves what was read before.
  }
  if (state.LogPath.empty()) state.LogPath = kDefaultLogPath;
}

void SaveSettings(const WindowState& state) {
  std::string contents;
  contents.reserve(state.LogPath.size() + state.StartupMarker.size() + 4);
  contents.append(state.LogPath).append("\r\n").append(state.StartupMarker).append("\r\n");
  ReplaceFile(SettingsFilePath(state), contents);
}

}  // namespace fragtally
