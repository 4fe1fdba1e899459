#include "files/stats_file.h"

#include <cmath>
#include <string_view>

#include "files/paths.h"
#include "platform/platform.h"
#include "stats/numbers.h"
#include "stats/stats_line.h"

namespace fragtally {

namespace {

void AppendWeaponField(std::string& out, const Weapon& weapon, std::int32_t hits, std::int32_t shots) {
  if (shots >= 1) {
    AppendNumber(out, hits);
    out.push_back('/');
    AppendNumber(out, shots);
    out.append("     ");
    // Shown for the reader only; never read back. Rounded half to even; a
    // value beyond 16 bits is still written as its nearest integer.
    double percent = static_cast<double>(hits) / static_cast<double>(shots) * 100.0;
    AppendNumber(out, static_cast<long long>(std::nearbyint(percent)));
    out.push_back('%');
  } else if (weapon.WritesCountsWithoutShots) {
    AppendNumber(out, hits);
    out.push_back('/');
    AppendNumber(out, shots);
    out.append("     0%");
  } else {
    out.append("0/0     0%");
  }
}

void AppendBlock(std::string& out, const PlayerTable& t, int slot) {
  out.append(kStatsHeaderPrefix).append(" ").append(t.PlayerName[slot]).append("\r\n");
  for (const StatsLineKind& kind : kStatsLineKinds) {
    out.append(kind.Prefix);
    out.append(static_cast<std::size_t>(kind.Blanks), ' ');
    switch (kind.Rule) {
      case LineRule::ToEnd:
      case LineRule::Games:
        AppendNumber(out, (t.*kind.Total)[slot]);
        break;
      case LineRule::Weapon:
        AppendWeaponField(out, *kind.Arm, (t.*kind.Arm->Hits)[slot], (t.*kind.Arm->Shots)[slot]);
        break;
      case LineRule::Kills:
        for (const KillsField& field : kKillsFields) {
          out.append(field.Separator);
          AppendNumber(out, (t.*field.Total)[slot]);
        }
        break;
    }
    out.append("\r\n");
  }
  out.append(kStatsTerminator).append("\r\n");
}

// A name for the kept copy of the statistics file that no earlier copy has.
std::string FreeBackupPath(const std::string& target) {
  const std::string stamp = platform::LocalTimeStamp();
  for (int n = 1;; ++n) {
    std::string candidate = target + "." + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ".bak";
    if (!platform::Files().Exists(candidate)) return candidate;
  }
}

// Keeps the file at `target` under a new name beside it without changing it.
std::string KeepBackup(const std::string& target) {
  platform::FileSystem& files = platform::Files();
  if (!files.Exists(target)) return {};  // nothing on disk to keep
  std::string error;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = FreeBackupPath(target);
    if (files.KeepCopy(target, candidate, error)) return candidate;
    if (files.Exists(candidate)) continue;  // another copy took the name first
    Raise(ErrorKind::WriteFailed, "не удалось сохранить копию прежнего файла статистики (" + candidate + ")");
  }
  Raise(ErrorKind::WriteFailed, "не удалось подобрать имя для копии прежнего файла статистики");
}

}  // namespace

void ReplaceFile(const std::string& path, const std::string& contents) {
  std::string error;
  if (!platform::Files().ReplaceFile(path, contents, error)) Raise(ErrorKind::WriteFailed, error);
}

void AddStatsBlock(WindowState& state, LineReader& file) {
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

void LoadStatsFile(WindowState& state) {
  const std::string path = StatsFilePath(state);
  // Whatever is on disk but not in the table must survive the next save.
  state.KeepOldStatsFile = platform::Files().Exists(path);
  LineReader file;
  if (!file.Open(path)) Raise(ErrorKind::NotFound);
  std::string_view line;
  while (file.NextLine(line)) {
    if (!IsStatsHeader(line)) continue;
    state.CurrentLine.assign(line);
    AddStatsBlock(state, file);
  }
  state.KeepOldStatsFile = false;
}

std::string FormatStatsFile(const WindowState& state) {
  const PlayerTable& t = state.Table;
  std::string out;
  out.reserve(static_cast<std::size_t>(t.PlayerCount) * 480);
  for (int slot = 1; slot <= t.PlayerCount; ++slot) AppendBlock(out, t, slot);
  return out;
}

std::string SaveStatsFile(WindowState& state) {
  const std::string path = StatsFilePath(state);
  const std::string contents = FormatStatsFile(state);
  std::string backup;
  if (state.KeepOldStatsFile) backup = KeepBackup(path);
  ReplaceFile(path, contents);
  state.KeepOldStatsFile = false;
  return backup;
}

}  // namespace fragtally
