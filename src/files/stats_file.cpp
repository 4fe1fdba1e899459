#include "files/stats_file.h"

#include <cmath>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <system_error>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

#include "stats/stats_line.h"

namespace fragtally {

namespace {

constexpr std::string_view kHeaderPrefix = "console: Stats for:";
constexpr std::string_view kTerminator = "console:  ";

QString ToQtPath(const std::string& path) { return QString::fromStdString(path); }

void AppendWeapon(std::string& out, std::string_view prefix, std::int32_t hits, std::int32_t shots,
                  bool zero_form) {
  out.append(prefix);
  if (shots >= 1) {
    AppendNumber(out, hits);
    out.push_back('/');
    AppendNumber(out, shots);
    out.append("     ");
    // Shown for the reader only; never read back. Rounded half to even; a
    // value beyond 16 bits is still written as its nearest integer.
    double percent = static_cast<double>(hits) / static_cast<double>(shots) * 100.0;
    AppendNumber(out, static_cast<long long>(std::nearbyint(percent)));
    out.append("%\r\n");
  } else if (zero_form) {
    out.append("0/0     0%\r\n");
  } else {
    AppendNumber(out, hits);
    out.push_back('/');
    AppendNumber(out, shots);
    out.append("     0%\r\n");
  }
}

void AppendLine(std::string& out, std::string_view prefix, long long value) {
  out.append(prefix);
  AppendNumber(out, value);
  out.append("\r\n");
}

// A name for the kept copy of the statistics file that no earlier copy has.
std::filesystem::path FreeBackupPath(const std::filesystem::path& target) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::error_code ec;
  for (int n = 1;; ++n) {
    std::string name = target.filename().string() + "." + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ".bak";
    std::filesystem::path candidate = target.parent_path() / name;
    if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, ec))) return candidate;
  }
}

// Keeps the file at `target` under a new name beside it without changing it:
// a hard link where the file system has them, a copy otherwise.
bool KeepBackup(const std::filesystem::path& target, std::string& backup, std::string& error) {
  std::error_code ec;
  auto status = std::filesystem::status(target, ec);
  if (!std::filesystem::exists(status)) return true;  // nothing on disk to keep
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate = FreeBackupPath(target);
    std::filesystem::create_hard_link(target, candidate, ec);
    if (!ec) {
      backup = candidate.string();
      return true;
    }
    if (ec == std::errc::file_exists) continue;
    if (std::filesystem::exists(std::filesystem::symlink_status(candidate, ec))) continue;
    if (QFile::copy(ToQtPath(target.string()), ToQtPath(candidate.string()))) {
      // A copy that a full disk cut short is no backup: check its size.
      std::error_code size_ec;
      auto original = std::filesystem::file_size(target, size_ec);
      if (!size_ec && std::filesystem::file_size(candidate, size_ec) == original && !size_ec) {
        backup = candidate.string();
        return true;
      }
      std::filesystem::remove(candidate, size_ec);
    }
    error = "не удалось сохранить копию прежнего файла статистики (" + candidate.string() + ")";
    return false;
  }
  error = "не удалось подобрать имя для копии прежнего файла статистики";
  return false;
}

}  // namespace

bool IsStatsHeader(std::string_view line) { return line.substr(0, kHeaderPrefix.size()) == kHeaderPrefix; }

std::string StatsFilePath(const WindowState& state) { return state.ProgramFolder + "/basekrm/Stats.krm"; }

std::string SettingsFilePath(const WindowState& state) { return state.ProgramFolder + "/basekrm/mSetup.ini"; }

void AddStatsBlock(WindowState& state, LineReader& file) {
  const std::string& header = state.CurrentLine;
  state.CurrentName.assign(RightCut(header, static_cast<long>(header.size()) - 20));
  state.Trace.append("Name=");
  AppendTrace(state, state.CurrentName);
  FindOrAddPlayer(state);
  while (state.CurrentLine != kTerminator && !file.AtEnd()) {
    file.ReadLine(state.CurrentLine);
    ParseStatsLine(state);
  }
}

bool LoadStatsFile(WindowState& state, MessageSink& messages) {
  const std::string path = StatsFilePath(state);
  LineReader file;
  bool opened = file.Open(path);
  bool complete = false;
  if (opened) {
    try {
      while (!file.AtEnd()) {
        file.ReadLine(state.CurrentLine);
        if (IsStatsHeader(state.CurrentLine)) AddStatsBlock(state, file);
      }
      complete = !file.Failed();
    } catch (const std::exception&) {
      complete = false;
    }
  }
  file.Close();
  if (complete) return true;

  // Whatever is on disk but not in the table must survive the next save.
  std::error_code ec;
  if (opened || std::filesystem::exists(std::filesystem::symlink_status(path, ec))) state.KeepOldStatsFile = true;
  messages.ShowMessage(MessageIcon::Error, kStatsNotFoundTitle, std::string(kStatsNotFoundText) + kContactAddress);
  return false;
}

std::string FormatStatsFile(const WindowState& state) {
  const PlayerTable& t = state.Table;
  std::string out;
  out.reserve(static_cast<std::size_t>(t.PlayerCount) * 480);
  for (int slot = 1; slot <= t.PlayerCount; ++slot) {
    out.append("console: Stats for: ");
    out.append(t.PlayerName[slot]);
    out.append("\r\n");
    AppendLine(out, "console: Gauntlet:   ", t.Gauntlet[slot]);
    AppendWeapon(out, "console: Machinegun:   ", t.MachinegunHits[slot], t.MachinegunShots[slot], false);
    AppendWeapon(out, "console: Shotgun:   ", t.ShotgunHits[slot], t.ShotgunShots[slot], true);
    AppendWeapon(out, "console: Grenade L:   ", t.GrenadeHits[slot], t.GrenadeShots[slot], true);
    AppendWeapon(out, "console: Rocket L:   ", t.RocketHits[slot], t.RocketShots[slot], true);
    AppendWeapon(out, "console: Shaft:   ", t.ShaftHits[slot], t.ShaftShots[slot], true);
    AppendWeapon(out, "console: Railgun:   ", t.RailgunHits[slot], t.RailgunShots[slot], true);
    AppendWeapon(out, "console: Plasma gun:   ", t.PlasmaHits[slot], t.PlasmaShots[slot], true);
    AppendWeapon(out, "console: BFG:   ", t.BfgHits[slot], t.BfgShots[slot], true);
    AppendLine(out, "console: Dmggiven: ", t.DamageGiven[slot]);
    AppendLine(out, "console: Dmgrecvd: ", t.DamageReceived[slot]);
    out.append("console: Kills: ");
    AppendNumber(out, t.Kills[slot]);
    out.append("     Deaths: ");
    AppendNumber(out, t.Deaths[slot]);
    out.append("     Suicides: ");
    AppendNumber(out, t.Suicides[slot]);
    out.append("     Frags: ");
    AppendNumber(out, t.Frags[slot]);
    out.append("\r\n");
    AppendLine(out, "console: games played: ", t.GamesPlayed[slot]);
    out.append("console:  \r\n");
  }
  return out;
}

SaveResult WriteFileAtomically(const std::string& path, const std::string& contents) {
  SaveResult result;
  QString target = ToQtPath(path);
  QDir().mkpath(QFileInfo(target).absolutePath());
  QSaveFile file(target);
  // Unbuffered, so that a write the disk refuses (full, size limit) fails
  // here. Buffered, small contents would only be written by commit(), which
  // does not report that failure and would put an empty or cut file in place
  // of the old one.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    result.error = file.errorString().toStdString();
    return result;
  }
  qint64 written = file.write(contents.data(), static_cast<qint64>(contents.size()));
  if (written != static_cast<qint64>(contents.size()) || file.error() != QFileDevice::NoError) {
    result.error = file.errorString().toStdString();
    file.cancelWriting();
    file.commit();
    return result;
  }
  if (!file.commit()) {
    result.error = file.errorString().toStdString();
    return result;
  }
  result.ok = true;
  return result;
}

SaveResult SaveStatsFile(WindowState& state) {
  const std::string path = StatsFilePath(state);
  const std::string contents = FormatStatsFile(state);
  std::string backup;
  if (state.KeepOldStatsFile) {
    SaveResult failed;
    if (!KeepBackup(path, backup, failed.error)) return failed;
  }
  SaveResult result = WriteFileAtomically(path, contents);
  result.backupPath = backup;
  if (result.ok) state.KeepOldStatsFile = false;
  return result;
}

}  // namespace fragtally
