// Saving at shut-down when the disk refuses: a folder the user cannot write,
// a read-only mount, a full file system and a file size limit. Each time the
// save reports the failure and the statistics and settings files of the last
// run stay byte for byte as they were, with no stray files beside them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/settings_file.h"
#include "files/stats_file.h"
#include "reliability_support.h"
#include "test_support.h"
#include "window/lifecycle.h"

namespace fragtally {
namespace {

using testing::ChildResult;
using testing::kChildCannot;
using testing::kOldSettings;
using testing::Listing;
using testing::ReadFile;
using testing::RunInChild;
using testing::TempDir;
using testing::WriteFile;

// The files of the last run in `program`/basekrm.
struct OldFiles {
  std::string program, basekrm, stats, settings, stats_text;
  explicit OldFiles(const std::string& program_folder)
      : program(program_folder),
        basekrm(program_folder + "/basekrm"),
        stats(basekrm + "/Stats.krm"),
        settings(basekrm + "/mSetup.ini"),
        stats_text(testing::OldStatsText()) {}
  void Write() const {
    WriteFile(stats, stats_text);
    WriteFile(settings, kOldSettings);
  }
  // Both old files byte for byte, and nothing new beside them.
  void ExpectKept(const std::string& listing_before) const {
    EXPECT_EQ(ReadFile(stats), stats_text);
    EXPECT_EQ(ReadFile(settings), kOldSettings);
    EXPECT_EQ(Listing(basekrm), listing_before);
  }
};

// Shut-down in a child that `prepare`s first; 0 when both saves failed and said why.
ChildResult ShutDownFailing(WindowState& state, const std::function<int()>& prepare, bool keep_old = false) {
  return RunInChild([&] {
    if (int cannot = prepare()) return cannot;
    state.KeepOldStatsFile = keep_old;
    const ShutDownResult down = ShutDown(state);
    if (down.StatsSaved || down.Stats.ok || down.Stats.error.empty()) return 1;
    if (down.Settings.ok || down.Settings.error.empty()) return 2;
    return 0;
  });
}

int DropPrivileges() {
  if (::geteuid() != 0) return 0;
  if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) return kChildCannot;
  ::prctl(PR_SET_DUMPABLE, 1);
  return 0;
}

// A mount namespace of the child's own, so its mounts vanish with it.
int PrivateMounts() {
  if (::unshare(CLONE_NEWNS) != 0) return kChildCannot;
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return kChildCannot;
  return 0;
}

#define SKIP_IF_CANNOT(result, what)                                                     \
  if ((result).exited && (result).code == kChildCannot) GTEST_SKIP() << "this machine does not allow " what

TEST(SaveFaults, FolderTheUserCannotWrite) {
  TempDir dir;
  std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
  OldFiles old(dir.str() + "/game");
  old.Write();
  auto state = testing::StateWithPlayers(old.program, 2000, 1);
  const std::string listing = Listing(old.basekrm);
  ::chmod(old.basekrm.c_str(), 0555);
  ::chmod(old.program.c_str(), 0555);

  for (bool keep_old : {false, true}) {
    // Root writes anywhere: the child saves as an ordinary user.
    ChildResult result = ShutDownFailing(*state, [&] {
      if (int cannot = DropPrivileges()) return cannot;
      return ::access(old.basekrm.c_str(), W_OK) == 0 ? kChildCannot : 0;
    }, keep_old);
    SKIP_IF_CANNOT(result, "dropping root privileges");
    EXPECT_TRUE(result.exited && result.code == 0) << "code " << result.code << " signal " << result.signal;
    old.ExpectKept(listing);
  }
}

TEST(SaveFaults, ReadOnlyMount) {
  TempDir dir;
  OldFiles old(dir.str() + "/game");
  old.Write();
  auto state = testing::StateWithPlayers(old.program, 2000, 1);
  const std::string listing = Listing(old.basekrm);

  ChildResult result = ShutDownFailing(*state, [&] {
    if (int cannot = PrivateMounts()) return cannot;
    if (::mount(old.basekrm.c_str(), old.basekrm.c_str(), nullptr, MS_BIND, nullptr) != 0) return kChildCannot;
    if (::mount(nullptr, old.basekrm.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
      return kChildCannot;
    return 0;
  }, true);
  SKIP_IF_CANNOT(result, "a read-only bind mount (no CAP_SYS_ADMIN)");
  EXPECT_TRUE(result.exited && result.code == 0) << "code " << result.code << " signal " << result.signal;
  old.ExpectKept(listing);
}

// Fills the file system that holds `path` until a write fails for lack of space.
bool Fill(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  char block[4096] = {};
  for (;;) {
    ssize_t n = ::write(fd, block, sizeof block);
    if (n > 0) continue;
    bool full = n < 0 && errno == ENOSPC;
    if (n < 0 && errno == EINTR) continue;
    ::close(fd);
    return full;
  }
}

TEST(SaveFaults, FullFileSystem) {
  TempDir dir;
  const std::string mount_point = dir.str() + "/fs";
  const std::string report = dir.str() + "/report";
  std::filesystem::create_directories(mount_point);
  std::filesystem::create_directories(report);
  OldFiles old(mount_point + "/game");
  auto state = testing::StateWithPlayers(old.program, 9999, 1);
  auto small = testing::StateWithPlayers(old.program, 3, 2);
  const std::string small_stats = FormatStatsFile(*small);

  // The small file system lives only in the child; it copies what it sees out.
  ChildResult result = RunInChild([&] {
    if (int cannot = PrivateMounts()) return cannot;
    if (::mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=64k") != 0) return kChildCannot;
    old.Write();
    if (!Fill(mount_point + "/filler")) return 10;
    int failed = 0;
    for (bool keep_old : {false, true}) {
      state->KeepOldStatsFile = keep_old;
      const ShutDownResult down = ShutDown(*state);
      if (down.StatsSaved) failed = 11;
      if (down.Settings.ok) failed = 12;
    }
    WriteFile(report + "/Stats.krm", ReadFile(old.stats));
    WriteFile(report + "/mSetup.ini", ReadFile(old.settings));
    WriteFile(report + "/listing", Listing(old.basekrm));
    std::string backups;
    for (const auto& entry : std::filesystem::directory_iterator(old.basekrm))
      if (entry.path().extension() == ".bak") backups += ReadFile(entry.path());
    WriteFile(report + "/backups", backups);
    // With room again, a shut-down that fits succeeds.
    std::filesystem::remove(mount_point + "/filler");
    const ShutDownResult down = ShutDown(*small);
    WriteFile(report + "/recovered", down.StatsSaved && down.Settings.ok && ReadFile(old.stats) == small_stats ? "yes" : "no");
    return failed;
  });
  SKIP_IF_CANNOT(result, "mounting a small tmpfs (no CAP_SYS_ADMIN)");
  ASSERT_TRUE(result.exited && result.code == 0) << "code " << result.code << " signal " << result.signal;
  EXPECT_EQ(ReadFile(report + "/Stats.krm"), old.stats_text);
  EXPECT_EQ(ReadFile(report + "/mSetup.ini"), kOldSettings);
  // Only the two files, and the copy kept of the statistics (the second save
  // was told the file on disk holds more than the table): nothing half-written.
  const std::string listing = ReadFile(report + "/listing");
  EXPECT_EQ(listing.substr(0, 10), "Stats.krm\n") << listing;
  EXPECT_EQ(listing.substr(listing.size() - 11), "mSetup.ini\n") << listing;
  EXPECT_LE(std::count(listing.begin(), listing.end(), '\n'), 3) << listing;
  const std::string backups = ReadFile(report + "/backups");
  EXPECT_TRUE(backups.empty() || backups == old.stats_text);
  EXPECT_EQ(ReadFile(report + "/recovered"), "yes");
}

// A write that fails only when the written bytes leave the program's buffer
// (small files: the settings, a statistics file of one player) must still
// fail the save and leave the old file, not an empty one.
TEST(SaveFaults, SmallFilesBeyondTheFileSizeLimit) {
  TempDir dir;
  OldFiles old(dir.str() + "/game");
  old.Write();
  auto state = testing::StateWithPlayers(old.program, 1, 1);
  const std::string listing = Listing(old.basekrm);

  ChildResult result = ShutDownFailing(*state, [] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16, 16};
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? 0 : kChildCannot;
  });
  SKIP_IF_CANNOT(result, "a file size limit");
  EXPECT_TRUE(result.exited && result.code == 0) << "code " << result.code << " signal " << result.signal;
  old.ExpectKept(listing);
}

TEST(SaveFaults, FileSizeLimit) {
  TempDir dir;
  OldFiles old(dir.str() + "/game");
  old.Write();
  auto state = testing::StateWithPlayers(old.program, 2000, 1);
  state->LogPath = std::string(40000, 'L');  // more than the limit in the settings file too
  const std::string listing = Listing(old.basekrm);

  ChildResult result = ShutDownFailing(*state, [] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16384, 16384};
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? 0 : kChildCannot;
  });
  SKIP_IF_CANNOT(result, "a file size limit");
  EXPECT_TRUE(result.exited && result.code == 0) << "code " << result.code << " signal " << result.signal;
  old.ExpectKept(listing);
}

}  // namespace
}  // namespace fragtally
