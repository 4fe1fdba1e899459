// The platform layer on POSIX systems: why a file could not be read,
// replaced or copied (and which file), the full path for messages, and one
// copy of the program per game folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/platform.h"
#include "test_support.h"

namespace fragtally {
namespace {

using platform::FileFailure;
using platform::FileFault;
using testing::CurrentFolder;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

platform::FileSystem& Native() { return platform::NativeFileSystem(); }

std::string Listing(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string out;
  for (const auto& name : names) out += name + "\n";
  return out;
}

// A failure that a test expects to be overwritten.
FileFailure Stale() { return {FileFault::DiskFull, "stale", 99, "stale", true}; }

void ExpectFailure(const FileFailure& failure, FileFault fault, const std::string& path, int code) {
  EXPECT_EQ(failure.Fault, fault);
  EXPECT_EQ(failure.Path, path);
  EXPECT_EQ(failure.Code, code);
  EXPECT_FALSE(failure.SystemText.empty());
  EXPECT_NE(failure.SystemText, "stale");
  EXPECT_FALSE(failure.ProtectedFolder);
}

// Runs `body` in a child process as a user who owns nothing here (nobody,
// when the tests run as root) and returns what it found wrong, "" when
// nothing; nullopt when the user cannot be changed.
std::optional<std::string> AsAnotherUser(const std::function<std::string()>& body) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe_fds[0]);
    std::string report;
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
      report = "\x01";
    } else {
      report = body();
    }
    if (!report.empty() && ::write(pipe_fds[1], report.data(), report.size()) < 0) _exit(2);
    _exit(0);
  }
  ::close(pipe_fds[1]);
  std::string report;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    report.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (report == "\x01") return std::nullopt;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) report += " (the child did not end normally)";
  return report;
}

// In the child: a line for each expectation that does not hold.
struct Findings {
  std::string text;
  void Check(bool ok, const std::string& what) {
    if (!ok) text += what + "\n";
  }
  void CheckFailure(const FileFailure& failure, FileFault fault, const std::string& path, int code,
                    const std::string& what) {
    Check(failure.Fault == fault, what + ": fault " + std::to_string(static_cast<int>(failure.Fault)));
    Check(failure.Path == path, what + ": path " + failure.Path);
    Check(failure.Code == code, what + ": code " + std::to_string(failure.Code));
    Check(!failure.SystemText.empty(), what + ": no system text");
  }
};

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// --- failures -----------------------------------------------------------------------------

TEST(PlatformFailures, AMissingFileOrFolderIsNotFound) {
  TempDir dir;
  WriteFile(dir.path() / "a file", "x");
  for (const std::string& path : {dir.str() + "/LOG.txt", dir.str() + "/logs/LOG.txt", dir.str() + "/a file/LOG.txt"}) {
    SCOPED_TRACE(path);
    FileFailure failure = Stale();
    EXPECT_EQ(Native().OpenForReading(path, &failure), nullptr);
    ExpectFailure(failure, FileFault::NotFound, path, path.find("a file/") != std::string::npos ? ENOTDIR : ENOENT);
  }
  // The copy of a file that is not there: the original is named.
  FileFailure failure = Stale();
  EXPECT_FALSE(Native().KeepCopy(dir.str() + "/Stats.krm", dir.str() + "/Stats.krm.bak", failure));
  ExpectFailure(failure, FileFault::NotFound, dir.str() + "/Stats.krm", ENOENT);
  // A replace below a file that should have been a folder.
  failure = Stale();
  EXPECT_FALSE(Native().ReplaceFile(dir.str() + "/a file/Stats.krm", "new", failure));
  ExpectFailure(failure, FileFault::NotFound, dir.str() + "/a file/Stats.krm", ENOTDIR);
  EXPECT_EQ(Listing(dir.path()), "a file\n");
  EXPECT_EQ(ReadFile(dir.path() / "a file"), "x");
}

TEST(PlatformFailures, AFolderWhereTheFileBelongs) {
  TempDir dir;
  const std::string folder = dir.str() + "/Stats.krm";
  std::filesystem::create_directories(folder + "/inside");
  FileFailure failure = Stale();
  EXPECT_EQ(Native().OpenForReading(folder, &failure), nullptr);
  ExpectFailure(failure, FileFault::Other, folder, EISDIR);
  // Replaced: refused, the folder stays with what it holds, no temporary file.
  failure = Stale();
  EXPECT_FALSE(Native().ReplaceFile(folder, "new", failure));
  EXPECT_EQ(failure.Path, folder);
  EXPECT_NE(failure.Code, 0);
  EXPECT_FALSE(failure.SystemText.empty());
  EXPECT_EQ(failure.Fault, FileFault::Other) << failure.Code << " " << failure.SystemText;
  EXPECT_EQ(Listing(dir.path()), "Stats.krm\n");
  EXPECT_EQ(Listing(folder), "inside\n");
  // A backup under a name that a folder has.
  WriteFile(dir.path() / "mSetup.ini", "old");
  failure = Stale();
  EXPECT_FALSE(Native().KeepCopy(dir.str() + "/mSetup.ini", folder, failure));
  ExpectFailure(failure, FileFault::Other, folder, EEXIST);
}

// A folder the user may not write and a file the user may not read: refused
// at once (on POSIX systems a denied access is not tried again), the file
// the player knows is named, the old file stays and nothing is left beside it.
TEST(PlatformFailures, AFolderTheUserCannotWriteIsAccessDenied) {
  TempDir dir;
  const std::string folder = dir.str() + "/basekrm";
  const std::string stats = folder + "/Stats.krm";
  WriteFile(stats, "old statistics\r\n");
  WriteFile(folder + "/secret.txt", "secret");
  ::chmod(dir.str().c_str(), 0755);
  ::chmod(stats.c_str(), 0644);
  ::chmod((folder + "/secret.txt").c_str(), 0600);
  ::chmod(folder.c_str(), 0555);
  auto report = AsAnotherUser([&] {
    Findings found;
    FileFailure failure;
    const auto start = std::chrono::steady_clock::now();
    found.Check(!Native().ReplaceFile(stats, "new statistics\r\n", failure), "replace succeeded");
    found.CheckFailure(failure, FileFault::AccessDenied, stats, EACCES, "replace");
    found.Check(MillisecondsSince(start) < 500, "replace tried again: " + std::to_string(MillisecondsSince(start)) + " ms");
    failure = {};
    found.Check(!Native().ReplaceFile(folder + "/new/mSetup.ini", "x", failure), "replace in a new folder succeeded");
    found.CheckFailure(failure, FileFault::AccessDenied, folder + "/new/mSetup.ini", EACCES, "replace in a new folder");
    failure = {};
    found.Check(!Native().KeepCopy(stats, stats + ".bak", failure), "copy succeeded");
    found.CheckFailure(failure, FileFault::AccessDenied, stats + ".bak", EACCES, "copy");
    failure = {};
    found.Check(Native().OpenForReading(folder + "/secret.txt", &failure) == nullptr, "unreadable file opened");
    found.CheckFailure(failure, FileFault::AccessDenied, folder + "/secret.txt", EACCES, "open");
    found.Check(Native().OpenForReading(stats) != nullptr, "readable file not opened");
    return found.text;
  });
  if (!report) GTEST_SKIP() << "cannot run as another user here";
  EXPECT_EQ(*report, "");
  EXPECT_EQ(ReadFile(stats), "old statistics\r\n");
  EXPECT_EQ(Listing(folder), "Stats.krm\nsecret.txt\n");
}

TEST(PlatformFailures, ASuccessLeavesTheFailureAlone) {
  TempDir dir;
  FileFailure failure = Stale();
  ASSERT_TRUE(Native().ReplaceFile(dir.str() + "/new/Stats.krm", "new", failure));
  ASSERT_TRUE(Native().KeepCopy(dir.str() + "/new/Stats.krm", dir.str() + "/new/Stats.krm.bak", failure));
  EXPECT_NE(Native().OpenForReading(dir.str() + "/new/Stats.krm.bak", &failure), nullptr);
  EXPECT_EQ(failure.Path, "stale");
  EXPECT_EQ(Listing(dir.path() / "new"), "Stats.krm\nStats.krm.bak\n");
}

// --- the full path ------------------------------------------------------------------------

TEST(PlatformPaths, AbsolutePathJoinsTheCurrentFolder) {
  TempDir dir;
  CurrentFolder in(dir.path());
  const std::string here = std::filesystem::current_path().string();
  EXPECT_EQ(platform::AbsolutePath("basekrm/LOG.txt"), here + "/basekrm/LOG.txt");
  EXPECT_EQ(platform::AbsolutePath("LOG.txt"), here + "/LOG.txt");
  EXPECT_EQ(platform::AbsolutePath(""), here);
  EXPECT_EQ(platform::AbsolutePath("/srv/game/basekrm/LOG.txt"), "/srv/game/basekrm/LOG.txt");
  {
    CurrentFolder root("/");
    EXPECT_EQ(platform::AbsolutePath("LOG.txt"), "/LOG.txt");
  }
  EXPECT_EQ(platform::GameView("basekrm/Stats.krm"), "basekrm/Stats.krm");
}

// --- one copy per game folder -------------------------------------------------------------

// Sets an environment variable for a test's lifetime.
class Environment {
 public:
  Environment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~Environment() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Whether a new process (forked, so with the parent's memory but not its
// locks) gets the lock for `folder`.
bool ChildGetsLock(const std::string& folder) {
  const pid_t child = ::fork();
  if (child == 0) _exit(platform::LockGameFolder(folder) != nullptr ? 0 : 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class InstanceLockTest : public ::testing::Test {
 protected:
  TempDir runtime_;  // the lock files' folder, so that the tests' locks meet no one else's
  Environment xdg_{"XDG_RUNTIME_DIR", runtime_.str().c_str()};
  TempDir games_;
};

TEST_F(InstanceLockTest, OneCopyPerGameFolderWhileTheFirstRuns) {
  const std::string game = games_.str() + "/Krellmar";
  std::filesystem::create_directories(game + "/basekrm");
  std::filesystem::create_symlink(game, games_.path() / "shortcut");
  auto first = platform::LockGameFolder(game);
  ASSERT_NE(first, nullptr);
  // The same folder however it is named.
  for (const std::string& same : {game, game + "/", game + "/./", game + "/basekrm/..", games_.str() + "/shortcut"}) {
    EXPECT_EQ(platform::LockGameFolder(same), nullptr) << same;
    EXPECT_FALSE(ChildGetsLock(same)) << same;
  }
  {
    CurrentFolder in(game);
    EXPECT_EQ(platform::LockGameFolder("."), nullptr);
  }
  // Another game folder is free.
  std::filesystem::create_directories(games_.path() / "Krellmar 2");
  auto other = platform::LockGameFolder(games_.str() + "/Krellmar 2");
  EXPECT_NE(other, nullptr);
  EXPECT_EQ(platform::LockGameFolder(games_.str() + "/Krellmar 2"), nullptr);
  EXPECT_EQ(platform::LockGameFolder(game), nullptr);
  // Free again when the first copy ends.
  first.reset();
  EXPECT_TRUE(ChildGetsLock(game));
  auto again = platform::LockGameFolder(game);
  EXPECT_NE(again, nullptr);
  // Nothing was written into the game folder.
  EXPECT_EQ(Listing(game), "basekrm\n");
  std::vector<std::string> lock_files = {platform::InstanceName(game) + ".lock",
                                         platform::InstanceName(games_.str() + "/Krellmar 2") + ".lock"};
  std::sort(lock_files.begin(), lock_files.end());
  EXPECT_EQ(Listing(runtime_.path()), lock_files[0] + "\n" + lock_files[1] + "\n");
}

// A copy that another process runs holds the folder until that process
// ends, however it ends.
TEST_F(InstanceLockTest, AKilledCopyLetsGo) {
  const std::string game = games_.str();
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    auto lock = platform::LockGameFolder(game);
    const char byte = lock != nullptr ? 'y' : 'n';
    if (::write(ready[1], &byte, 1) != 1) _exit(2);
    ::pause();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_EQ(byte, 'y');
  EXPECT_EQ(platform::LockGameFolder(game), nullptr);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_NE(platform::LockGameFolder(game), nullptr);
}

TEST_F(InstanceLockTest, WithoutARuntimeFolderTheLockIsInTmpUnderTheUsersId) {
  Environment no_runtime("XDG_RUNTIME_DIR", nullptr);
  const std::string game = games_.str();
  const std::string file = "/tmp/" + platform::InstanceName(game) + "-" + std::to_string(::getuid()) + ".lock";
  auto lock = platform::LockGameFolder(game);
  ASSERT_NE(lock, nullptr);
  EXPECT_TRUE(std::filesystem::exists(file)) << file;
  EXPECT_FALSE(ChildGetsLock(game));
  lock.reset();
  EXPECT_TRUE(ChildGetsLock(game));
  std::filesystem::remove(file);
}

// Where no lock file can be made, the program runs as if alone.
TEST_F(InstanceLockTest, NoLockAtAllRunsAsIfAlone) {
  const std::string game = games_.str();
  std::filesystem::create_directories(runtime_.path() / (platform::InstanceName(game) + ".lock"));
  auto first = platform::LockGameFolder(game);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(platform::LockGameFolder(game), nullptr);
}

TEST(InstanceName, TheSameNameForTheSameFolderInEveryProcess) {
  TempDir dir;
  const std::string game = dir.str() + "/Krellmar";
  std::filesystem::create_directories(game + "/basekrm");
  const std::string name = platform::InstanceName(game);
  EXPECT_EQ(name.rfind("fragtally-", 0), 0u) << name;
  EXPECT_EQ(name.size(), 10u + 16u) << name;
  for (char c : name) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '-') << name;
  EXPECT_EQ(platform::InstanceName(game + "/"), name);
  EXPECT_EQ(platform::InstanceName(game + "/basekrm/.."), name);
  EXPECT_EQ(platform::InstanceName(game + "//"), name);
  {
    CurrentFolder in(dir.path());
    EXPECT_EQ(platform::InstanceName("Krellmar"), name);
  }
  // Case counts on POSIX systems; a folder not made yet has a name too.
  EXPECT_NE(platform::InstanceName(dir.str() + "/KRELLMAR"), name);
  EXPECT_NE(platform::InstanceName(game + "/basekrm"), name);
  // The name is fixed by the folder alone: the same in another process and
  // another version of the program (the FNV-1a hash of the path).
  EXPECT_EQ(platform::InstanceName("/"), "fragtally-af63a24c860189fe");
}

}  // namespace
}  // namespace fragtally
