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

#include "app/main_window/commands.h"
#include "files/stats_file.h"
#include "reliability_support.h"
#include "test_support.h"

namespace fragtally {
namespace {

using testing::ChildResult;
using testing::kChildCannot;
using testing::kOldSettings;
using testing::Listing;
using testing::ReadFile;
using testing::RecordingSink;
using testing::RunInChild;
using testing::TempDir;
using testing::WriteFile;

// Closing the window: 0 when the statistics save failed, the user was told
// which file and why, and the settings were left as they were after it (one
// message only).
int UnloadFailing(WindowState& state) {
  RecordingSink sink;
  Form_Unload(state, sink);
  if (sink.messages.size() != 1) return 1;
  const auto& stats = sink.messages[0];
  if (stats.icon != MessageIcon::Error || stats.title != kSaveFailedTitle ||
      stats.text.rfind("Файл статистики не записан, прежний файл остался без изменений:\r\n", 0) != 0 ||
      stats.text.find("\r\nПричина: ") == std::string::npos)
    return 2;
  return 0;
}

// Closing the window: true when both saves succeeded without a word.
bool UnloadSucceeds(WindowState& state) {
  RecordingSink sink;
  Form_Unload(state, sink);
  return sink.messages.empty();
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

int FileSizeLimit(rlim_t bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{bytes, bytes};
  return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? 0 : kChildCannot;
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

// The files of the last run in <game>/basekrm, a state of `players` players
// to save over them, and the check that every failed save kept them.
class SaveFaults : public ::testing::Test {
 protected:
  // `game` below the temporary folder (a mount point may come between).
  void Prepare(const std::string& game, int players) {
    program_ = game;
    basekrm_ = game + "/basekrm";
    stats_ = basekrm_ + "/Stats.krm";
    settings_ = basekrm_ + "/mSetup.ini";
    state_ = testing::StateWithPlayers(program_, players, 1);
    // The players came from the statistics file: nothing for the journal.
    state_->Journal.CommittedMarker = state_->StartupMarker;
    state_->Journal.CommittedCount = state_->BlocksAfterMarker;
  }
  void WriteOldFiles() const {
    WriteFile(stats_, stats_text_);
    WriteFile(settings_, kOldSettings);
  }
  // Closing fails in a child that `prepare`s first (and may say it cannot).
  ChildResult UnloadFailingInChild(const std::function<int()>& prepare, bool keep_old = false) {
    return RunInChild([&] {
      if (int cannot = prepare()) return cannot;
      state_->KeepOldStatsFile = keep_old;
      return UnloadFailing(*state_);
    });
  }
  // Both old files byte for byte, and nothing new beside them.
  void ExpectKept(const std::string& listing_before) const {
    EXPECT_EQ(ReadFile(stats_), stats_text_);
    EXPECT_EQ(ReadFile(settings_), kOldSettings);
    EXPECT_EQ(Listing(basekrm_), listing_before);
  }

  TempDir dir_;
  std::string program_, basekrm_, stats_, settings_;
  const std::string stats_text_ = testing::OldStatsText();
  std::unique_ptr<WindowState> state_;
};

#define SKIP_IF_CANNOT(result, what)                                                     \
  if ((result).exited && (result).code == kChildCannot) GTEST_SKIP() << "this machine does not allow " what
#define EXPECT_CHILD_PASSED(result) \
  EXPECT_TRUE((result).exited && (result).code == 0) << "code " << (result).code << " signal " << (result).signal

TEST_F(SaveFaults, FolderTheUserCannotWrite) {
  std::filesystem::permissions(dir_.path(), std::filesystem::perms(0755));
  Prepare(dir_.str() + "/game", 2000);
  WriteOldFiles();
  const std::string listing = Listing(basekrm_);
  ::chmod(basekrm_.c_str(), 0555);
  ::chmod(program_.c_str(), 0555);

  for (bool keep_old : {false, true}) {
    // Root writes anywhere: the child saves as an ordinary user.
    ChildResult result = UnloadFailingInChild([&] {
      if (int cannot = DropPrivileges()) return cannot;
      return ::access(basekrm_.c_str(), W_OK) == 0 ? kChildCannot : 0;
    }, keep_old);
    SKIP_IF_CANNOT(result, "dropping root privileges");
    EXPECT_CHILD_PASSED(result);
    ExpectKept(listing);
  }
}

TEST_F(SaveFaults, ReadOnlyMount) {
  Prepare(dir_.str() + "/game", 2000);
  WriteOldFiles();
  const std::string listing = Listing(basekrm_);

  ChildResult result = UnloadFailingInChild([&] {
    if (int cannot = PrivateMounts()) return cannot;
    if (::mount(basekrm_.c_str(), basekrm_.c_str(), nullptr, MS_BIND, nullptr) != 0) return kChildCannot;
    if (::mount(nullptr, basekrm_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
      return kChildCannot;
    return 0;
  }, true);
  SKIP_IF_CANNOT(result, "a read-only bind mount (no CAP_SYS_ADMIN)");
  EXPECT_CHILD_PASSED(result);
  ExpectKept(listing);
}

TEST_F(SaveFaults, FullFileSystem) {
  const std::string mount_point = dir_.str() + "/fs";
  const std::string report = dir_.str() + "/report";
  std::filesystem::create_directories(mount_point);
  std::filesystem::create_directories(report);
  Prepare(mount_point + "/game", 9999);
  auto small = testing::StateWithPlayers(program_, 3, 2);
  const std::string small_stats = FormatStatsFile(*small);

  // The small file system lives only in the child; it copies what it sees out.
  ChildResult result = RunInChild([&] {
    if (int cannot = PrivateMounts()) return cannot;
    if (::mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=64k") != 0) return kChildCannot;
    WriteOldFiles();
    if (!Fill(mount_point + "/filler")) return 10;
    int failed = 0;
    for (bool keep_old : {false, true}) {
      state_->KeepOldStatsFile = keep_old;
      if (int code = UnloadFailing(*state_)) failed = 10 + code;
    }
    WriteFile(report + "/Stats.krm", ReadFile(stats_));
    WriteFile(report + "/mSetup.ini", ReadFile(settings_));
    WriteFile(report + "/listing", Listing(basekrm_));
    std::string backups;
    for (const auto& entry : std::filesystem::directory_iterator(basekrm_))
      if (entry.path().extension() == ".bak") backups += ReadFile(entry.path());
    WriteFile(report + "/backups", backups);
    // With room again, a shut-down that fits succeeds.
    std::filesystem::remove(mount_point + "/filler");
    WriteFile(report + "/recovered", UnloadSucceeds(*small) && ReadFile(stats_) == small_stats ? "yes" : "no");
    return failed;
  });
  SKIP_IF_CANNOT(result, "mounting a small tmpfs (no CAP_SYS_ADMIN)");
  ASSERT_TRUE(result.exited && result.code == 0) << "code " << result.code << " signal " << result.signal;
  EXPECT_EQ(ReadFile(report + "/Stats.krm"), stats_text_);
  EXPECT_EQ(ReadFile(report + "/mSetup.ini"), kOldSettings);
  // Only the two files, and the copy kept of the statistics (the second save
  // was told the file on disk holds more than the table): nothing half-written.
  const std::string listing = ReadFile(report + "/listing");
  EXPECT_EQ(listing.substr(0, 10), "Stats.krm\n") << listing;
  EXPECT_EQ(listing.substr(listing.size() - 11), "mSetup.ini\n") << listing;
  EXPECT_LE(std::count(listing.begin(), listing.end(), '\n'), 3) << listing;
  const std::string backups = ReadFile(report + "/backups");
  EXPECT_TRUE(backups.empty() || backups == stats_text_);
  EXPECT_EQ(ReadFile(report + "/recovered"), "yes");
}

// A write that fails only when the written bytes leave the program's buffer
// (small files: the settings, a statistics file of one player) must still
// fail the save and leave the old file, not an empty one.
TEST_F(SaveFaults, SmallFilesBeyondTheFileSizeLimit) {
  Prepare(dir_.str() + "/game", 1);
  WriteOldFiles();
  const std::string listing = Listing(basekrm_);
  ChildResult result = UnloadFailingInChild([] { return FileSizeLimit(16); });
  SKIP_IF_CANNOT(result, "a file size limit");
  EXPECT_CHILD_PASSED(result);
  ExpectKept(listing);
}

TEST_F(SaveFaults, FileSizeLimit) {
  Prepare(dir_.str() + "/game", 2000);
  WriteOldFiles();
  state_->LogPath = std::string(40000, 'L');  // more than the limit in the settings file too
  const std::string listing = Listing(basekrm_);
  ChildResult result = UnloadFailingInChild([] { return FileSizeLimit(16384); });
  SKIP_IF_CANNOT(result, "a file size limit");
  EXPECT_CHILD_PASSED(result);
  ExpectKept(listing);
}

}  // namespace
}  // namespace fragtally
