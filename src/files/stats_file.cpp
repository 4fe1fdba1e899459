#include "files/stats_file.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>

#include "files/file_digest.h"
#include "files/paths.h"
#include "platform/platform.h"
#include "stats/numbers.h"
#include "stats/stats_line.h"

namespace fragtally {

namespace {

// A block is written into one buffer on the stack and appended at once. Its
// longest form: every line's prefix and blanks, every number at its widest
// (WriteNumber's 20 characters) and the fixed texts between them.
constexpr std::size_t kWeaponFieldMax = 3 * kNumberTextMax + 1 + 5 + 1;  // hits/shots     percent%
constexpr std::size_t kBlockBodyMax = [] {
  std::size_t n = kStatsTerminator.size() + 2;
  for (const StatsLineKind& kind : kStatsLineKinds) {
    n += kind.Prefix.size() + static_cast<std::size_t>(kind.Blanks) + 2;
    switch (kind.Rule) {
      case LineRule::ToEnd:
      case LineRule::Games: n += kNumberTextMax; break;
      case LineRule::Weapon: n += kWeaponFieldMax; break;
      case LineRule::Kills:
        for (const KillsField& field : kKillsFields) n += field.Separator.size() + kNumberTextMax;
        break;
    }
  }
  return n;
}();

char* Put(char* at, std::string_view text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

char* PutWeaponField(char* at, const Weapon& weapon, std::int32_t hits, std::int32_t shots) {
  if (shots >= 1) {
    at = WriteNumber(at, hits);
    *at++ = '/';
    at = WriteNumber(at, shots);
    at = Put(at, "     ");
    // Shown for the reader only; never read back. Rounded half to even; a
    // value beyond 16 bits is still written as its nearest integer.
    double percent = static_cast<double>(hits) / static_cast<double>(shots) * 100.0;
    at = WriteNumber(at, static_cast<long long>(std::nearbyint(percent)));
    *at++ = '%';
  } else if (weapon.WritesCountsWithoutShots) {
    at = WriteNumber(at, hits);
    *at++ = '/';
    at = WriteNumber(at, shots);
    at = Put(at, "     0%");
  } else {
    at = Put(at, "0/0     0%");
  }
  return at;
}

void AppendBlock(std::string& out, const PlayerTable& t, int slot) {
  out.append(kStatsHeaderPrefix).append(" ").append(t.PlayerName[slot]).append("\r\n");
  char body[kBlockBodyMax];
  char* at = body;
  for (const StatsLineKind& kind : kStatsLineKinds) {
    at = Put(at, kind.Prefix);
    at = static_cast<char*>(std::memset(at, ' ', static_cast<std::size_t>(kind.Blanks))) + kind.Blanks;
    switch (kind.Rule) {
      case LineRule::ToEnd:
      case LineRule::Games:
        at = WriteNumber(at, (t.*kind.Total)[slot]);
        break;
      case LineRule::Weapon:
        at = PutWeaponField(at, *kind.Arm, (t.*kind.Arm->Hits)[slot], (t.*kind.Arm->Shots)[slot]);
        break;
      case LineRule::Kills:
        for (const KillsField& field : kKillsFields) {
          at = Put(at, field.Separator);
          at = WriteNumber(at, (t.*field.Total)[slot]);
        }
        break;
    }
    at = Put(at, "\r\n");
  }
  at = Put(at, kStatsTerminator);
  at = Put(at, "\r\n");
  out.append(body, static_cast<std::size_t>(at - body));
}

// A new file's name: `stem`, the local date and time, and `suffix`,
// numbered when that name is taken.
std::string FreeName(const std::string& stem, const char* suffix) {
  const std::string stamp = platform::LocalTimeStamp();
  for (int n = 1;; ++n) {
    std::string candidate = stem + stamp;
    if (n > 1) candidate.append("-").append(std::to_string(n));
    candidate.append(suffix);
    if (!platform::Files().Exists(candidate)) return candidate;
  }
}

// The folder of `path`, with its separator (empty for a bare name).
std::string FolderOf(const std::string& path) {
  const std::size_t end = path.find_last_of("/\\");
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

// Keeps the file at `target` under a new name beside it without changing it.
std::string KeepBackup(const std::string& target) {
  platform::FileSystem& files = platform::Files();
  if (!files.Exists(target)) return {};  // nothing on disk to keep
  platform::FileFailure failure;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = FreeName(target + ".", ".bak");  // Stats.krm.<date>-<time>.bak
    if (files.KeepCopy(target, candidate, failure)) return candidate;
    if (files.Exists(candidate)) continue;  // another copy took the name first
    RaiseFileError(ErrorKind::WriteFailed, failure);
  }
  RaiseFileError(ErrorKind::WriteFailed, failure);
}

}  // namespace

void AddStatsBlock(FileState& state, LineReader& file) {
  const std::string& header = state.CurrentLine;
  state.CurrentName.assign(RightCut(header, static_cast<long>(header.size()) - 20));
  state.Trace.append("Name=");
  AppendTrace(state, state.CurrentName);
  FindOrAddPlayer(state);
  PrefetchSlot(state.Table, state.CurrentPlayer);
  // The block's lines are parsed where the reader holds them; CurrentLine
  // keeps the header until the terminator ends the block.
  std::string_view line = header;
  while (!IsStatsTerminator(line) && file.NextLine(line)) ParseStatsLine(state, line);
  if (IsStatsTerminator(line)) state.CurrentLine.assign(kStatsTerminator);
}

void LoadStatsFile(FileState& state) {
  const std::string path = StatsFilePath(state);
  state.StatsOnDisk = {};
  // Whatever is on disk but not in the table must survive the next save.
  state.KeepOldStatsFile = platform::Files().Exists(path);
  LineReader file;
  platform::FileFailure failure;
  if (!file.Open(path, &failure)) {
    if (failure.Fault == platform::FileFault::NotFound && !state.KeepOldStatsFile) state.StatsOnDisk = {true, false, 0};
    RaiseFileError(ErrorKind::NotFound, failure);
  }
  ContentDigest digest;
  file.DigestInto(&digest);
  std::string_view line;
  bool first = true;
  bool any_text = false;  // more than blanks and line ends outside the blocks
  while (file.NextLine(line)) {
    if (first) {
      first = false;
      if (line.starts_with(kUtf8ByteOrderMark)) line.remove_prefix(kUtf8ByteOrderMark.size());  // a text editor's
    }
    if (!IsStatsHeader(line)) {
      if (!any_text && line.find_first_not_of(" \t\r") != std::string_view::npos) any_text = true;
      continue;
    }
    state.CurrentLine.assign(line);
    AddStatsBlock(state, file);
  }
  // Text, but not one player: not a statistics file this program can read
  // (another encoding, or damaged). It stays on disk until a save keeps it.
  if (any_text && state.Table.PlayerCount == 0) Raise(ErrorKind::ReadFailed, "no player in the statistics file");
  state.KeepOldStatsFile = false;
  state.StatsOnDisk = {true, true, digest.Value()};
}

std::string FormatStatsFile(const FileState& state) {
  const PlayerTable& t = state.Table;
  std::string out;
  out.reserve(static_cast<std::size_t>(t.PlayerCount) * 480);
  for (int slot = 1; slot <= t.PlayerCount; ++slot) AppendBlock(out, t, slot);
  return out;
}

std::string SaveStatsFile(FileState& state) {
  const std::string path = StatsFilePath(state);
  const std::string contents = FormatStatsFile(state);
  std::string backup;
  if (state.KeepOldStatsFile) {
    backup = KeepBackup(path);
  } else if (state.StatsOnDisk.Known) {
    const std::optional<std::uint64_t> now = DigestOfFile(path);
    const bool changed = now ? !state.StatsOnDisk.Exists || *now != state.StatsOnDisk.Digest : false;
    if (changed) {
      // Another program wrote it since: both stay, the table beside it.
      if (state.StatsKeptBeside.empty()) state.StatsKeptBeside = FreeName(FolderOf(path) + "Stats-conflict-", ".krm");
      ReplaceFile(state.StatsKeptBeside, contents);
      throw Error(ErrorKind::ChangedOnDisk, "the statistics file changed on disk",
                  platform::FailureAt(platform::FileFault::None, state.StatsKeptBeside));
    }
  }
  ReplaceFile(path, contents);
  state.KeepOldStatsFile = false;
  state.StatsOnDisk = {true, true, DigestOf(contents)};
  return backup;
}

}  // namespace fragtally
