#include "files/settings_file.h"

#include "files/line_reader.h"
#include "files/paths.h"
#include "stats/error.h"
#include "stats/numbers.h"

namespace fragtally {

namespace {

// A count written by SaveSettings: decimal digits and nothing else.
std::optional<std::int64_t> PlainCount(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

bool LoadSettings(FileState& state, platform::FileFailure* failure) {
  const std::string path = SettingsFilePath(state);
  bool read = true, opened = false;
  try {
    LineReader file;
    platform::FileFailure why;
    if (!file.Open(path, &why)) {
      // Missing is a first start, and so is a folder or a device in its place
      // (which no save replaces: the player is told then); a file held or not
      // allowed is one this run could not read.
      if (why.Fault != platform::FileFault::NotFound && why.Fault != platform::FileFault::None &&
          why.Fault != platform::FileFault::Folder && why.Fault != platform::FileFault::NotRegular) {
        read = false;
        if (failure != nullptr) *failure = why;
      }
    } else {
      opened = true;
      std::string line;
      if (file.ReadLine(line)) {
        if (line.starts_with(kUtf8ByteOrderMark)) line.erase(0, kUtf8ByteOrderMark.size());  // a text editor's
        // "Copy as path" puts the path in quotes.
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = line.substr(1, line.size() - 2);
        state.LogPath = line;
        if (file.ReadLine(line)) state.StartupMarker = line;
        if (file.ReadLine(line)) state.BlocksAfterMarker = PlainCount(line);
      }
    }
  } catch (const std::exception& error) {
    // A settings file that cannot be read leaves what was read before.
    read = false;
    if (failure != nullptr) *failure = FailureOf(error, path);
  }
  if (state.LogPath.empty()) state.LogPath = kDefaultLogPath;
  state.SettingsOnDisk = opened;
  return read;
}

void SaveSettings(const FileState& state) {
  std::string contents;
  contents.reserve(state.LogPath.size() + state.StartupMarker.size() + 24);
  contents.append(state.LogPath).append("\r\n").append(state.StartupMarker).append("\r\n");
  if (state.BlocksAfterMarker) {
    AppendNumber(contents, *state.BlocksAfterMarker);
    contents.append("\r\n");
  }
  ReplaceFile(SettingsFilePath(state), contents);
}

}  // namespace fragtally
