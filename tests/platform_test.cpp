// The platform layer on POSIX systems: why a file could not be read,
// replaced or copied (and which file), names that are no regular file and
// symbolic links, the full path for messages, and one copy of the program
// per game folder.

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

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
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

// --- names that are no regular file ------------------------------------------------------

// `action` in a child process that is stopped after five seconds: whether it
// ended by itself (an open that waits for a FIFO's other end waits for good).
bool EndsWithoutWaiting(const std::function<bool()>& action) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(5);
    _exit(action() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A folder, a FIFO, a socket, a device (where this user may make one) and
// /dev/null, each under a file's name.
struct SpecialNames {
  TempDir dir;
  std::vector<std::pair<std::string, FileFault>> names;
  SpecialNames() {
    std::filesystem::create_directories(dir.path() / "folder" / "inside");
    names.emplace_back(dir.str() + "/folder", FileFault::Folder);
    const std::string fifo = dir.str() + "/fifo";
    EXPECT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    names.emplace_back(fifo, FileFault::NotRegular);
    const std::string socket_path = dir.str() + "/socket";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socket_path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
      names.emplace_back(socket_path, FileFault::NotRegular);
    ::close(fd);
    const std::string device = dir.str() + "/null";  // another name for /dev/null
    if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) names.emplace_back(device, FileFault::NotRegular);
  }
  // What is there now, to see that it was left alone.
  std::string Kinds() const {
    std::string kinds;
    for (const auto& [name, fault] : names) {
      struct stat info {};
      ::lstat(name.c_str(), &info);
      kinds += name + (S_ISDIR(info.st_mode) ? " folder" : S_ISFIFO(info.st_mode) ? " fifo" : S_ISSOCK(info.st_mode) ? " socket" : S_ISCHR(info.st_mode) ? " device" : " other") + "\n";
    }
    return kinds;
  }
};

void ExpectNotAFile(const FileFailure& failure, FileFault fault, const std::string& path) {
  EXPECT_EQ(failure.Fault, fault);
  EXPECT_EQ(failure.Path, path);
  EXPECT_EQ(failure.SystemText, fault == FileFault::Folder ? "is a folder" : "not a regular file");
}

// Only a regular file is read; a FIFO is refused at once, without waiting
// for a writer that never comes; a device is not read either.
TEST(PlatformSpecialFiles, OnlyARegularFileIsRead) {
  SpecialNames special;
  special.names.emplace_back("/dev/null", FileFault::NotRegular);
  for (const auto& [name, fault] : special.names) {
    SCOPED_TRACE(name);
    FileFailure failure = Stale();
    EXPECT_TRUE(EndsWithoutWaiting([&] { return Native().OpenForReading(name) == nullptr; }));
    EXPECT_EQ(Native().OpenForReading(name, &failure), nullptr);
    ExpectNotAFile(failure, fault, name);
  }
  // A FIFO that a writer holds open is refused all the same.
  const std::string fifo = special.dir.str() + "/fifo";
  const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(writer, 0);
  EXPECT_EQ(Native().OpenForReading(fifo), nullptr);
  ::close(writer);
  // A link to a log elsewhere is read.
  WriteFile(special.dir.path() / "real.txt", "log\r\n");
  std::filesystem::create_symlink("real.txt", special.dir.path() / "LOG.txt");
  auto log = Native().OpenForReading(special.dir.str() + "/LOG.txt");
  ASSERT_NE(log, nullptr);
  EXPECT_EQ(log->Size(), 5);
}

// Replaced, appended to or copied: refused at once with the fault, and the
// name stays what it was, with nothing beside it.
TEST(PlatformSpecialFiles, NothingButARegularFileIsReplacedAppendedToOrCopied) {
  SpecialNames special;
  const std::string kinds = special.Kinds();
  const std::string listing = Listing(special.dir.path());
  for (const auto& [name, fault] : special.names) {
    SCOPED_TRACE(name);
    FileFailure failure = Stale();
    EXPECT_TRUE(EndsWithoutWaiting([&] {
      FileFailure ignored;
      return !Native().ReplaceFile(name, "new", ignored) && !Native().AppendToFile(name, "new", ignored);
    }));
    EXPECT_FALSE(Native().ReplaceFile(name, "new", failure));
    ExpectNotAFile(failure, fault, name);
    failure = Stale();
    EXPECT_FALSE(Native().AppendToFile(name, "new", failure));
    ExpectNotAFile(failure, fault, name);
    failure = Stale();
    EXPECT_FALSE(Native().KeepCopy(name, name + ".bak", failure));
    ExpectNotAFile(failure, fault, name);
  }
  EXPECT_EQ(special.Kinds(), kinds);
  EXPECT_EQ(Listing(special.dir.path()), listing);
  EXPECT_EQ(Listing(special.dir.path() / "folder"), "inside\n");
  // A backup under a name that a folder has.
  WriteFile(special.dir.path() / "mSetup.ini", "old");
  FileFailure failure = Stale();
  EXPECT_FALSE(Native().KeepCopy(special.dir.str() + "/mSetup.ini", special.dir.str() + "/folder", failure));
  ExpectFailure(failure, FileFault::Other, special.dir.str() + "/folder", EEXIST);
}

// A symbolic link is written through: the file it points to is replaced (in
// its own folder, keeping its permissions) or appended to, and the link stays
// a link; a backup of a link keeps what its file held.
TEST(PlatformSpecialFiles, ALinkIsWrittenThroughToItsFile) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "game" / "basekrm");
  std::filesystem::create_directories(dir.path() / "saves");
  const std::filesystem::path real = dir.path() / "saves" / "Stats.krm";
  WriteFile(real, "old\r\n");
  ::chmod(real.c_str(), 0640);
  // A chain: an absolute link to a relative one.
  std::filesystem::create_symlink("../saves/Stats.krm", dir.path() / "game" / "relative");
  std::filesystem::create_symlink(dir.path() / "game" / "relative", dir.path() / "game" / "basekrm" / "Stats.krm");
  const std::string stats = dir.str() + "/game/basekrm/Stats.krm";

  FileFailure failure = Stale();
  ASSERT_TRUE(Native().KeepCopy(stats, stats + ".bak", failure)) << failure.SystemText;
  ASSERT_TRUE(Native().ReplaceFile(stats, "new\r\n", failure)) << failure.SystemText;
  EXPECT_TRUE(std::filesystem::is_symlink(stats));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "game" / "relative"));
  EXPECT_EQ(ReadFile(real), "new\r\n");
  EXPECT_EQ(std::filesystem::status(real).permissions(), static_cast<std::filesystem::perms>(0640));
  EXPECT_EQ(ReadFile(stats + ".bak"), "old\r\n") << "the backup is of the file, not of the link";
  EXPECT_FALSE(std::filesystem::is_symlink(stats + ".bak"));
  EXPECT_EQ(Listing(dir.path() / "saves"), "Stats.krm\n");
  ASSERT_TRUE(Native().AppendToFile(stats, "more\r\n", failure)) << failure.SystemText;
  EXPECT_EQ(ReadFile(real), "new\r\nmore\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(stats));
  EXPECT_EQ(failure.Path, "stale");

  // A link to a file not made yet: the file is made where it points.
  std::filesystem::create_symlink("../../saves/Matches.txt", dir.path() / "game" / "basekrm" / "Matches.txt");
  ASSERT_TRUE(Native().ReplaceFile(dir.str() + "/game/basekrm/Matches.txt", "journal\r\n", failure));
  EXPECT_EQ(ReadFile(dir.path() / "saves" / "Matches.txt"), "journal\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "game" / "basekrm" / "Matches.txt"));

  // A link to a FIFO is refused as the FIFO is; a loop of links as a failure.
  ASSERT_EQ(::mkfifo((dir.str() + "/saves/fifo").c_str(), 0666), 0);
  std::filesystem::create_symlink("../saves/fifo", dir.path() / "game" / "export.csv");
  failure = Stale();
  EXPECT_FALSE(Native().ReplaceFile(dir.str() + "/game/export.csv", "x", failure));
  ExpectNotAFile(failure, FileFault::NotRegular, dir.str() + "/game/export.csv");
  EXPECT_EQ(Native().OpenForReading(dir.str() + "/game/export.csv"), nullptr);
  std::filesystem::create_symlink("loop2", dir.path() / "game" / "loop1");
  std::filesystem::create_symlink("loop1", dir.path() / "game" / "loop2");
  failure = Stale();
  EXPECT_FALSE(Native().ReplaceFile(dir.str() + "/game/loop1", "x", failure));
  ExpectFailure(failure, FileFault::Other, dir.str() + "/game/loop1", ELOOP);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "game" / "loop1"));
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
  TempDir games_;
};

TEST_F(InstanceLockTest, OneCopyPerGameFolderWhileTheFirstRuns) {
  const std::string game = games_.str() + "/Krellmar";
  std::filesystem::create_directories(game + "/basekrm");
  std::filesystem::create_symlink(game, games_.path() / "shortcut");
  auto first = platform::LockGameFolder(game);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->LocksFolder());
  // The same folder however it is named.
  for (const std::string& same : {game, game + "/", game + "/./", game + "/basekrm/..", games_.str() + "/shortcut"}) {
    EXPECT_EQ(platform::LockGameFolder(same), nullptr) << same;
    EXPECT_FALSE(ChildGetsLock(same)) << same;
  }
  {
    CurrentFolder in(game);
    EXPECT_EQ(platform::LockGameFolder("."), nullptr);
  }
  // Another game folder is free, and a folder inside the game folder is
  // another folder.
  std::filesystem::create_directories(games_.path() / "Krellmar 2");
  auto other = platform::LockGameFolder(games_.str() + "/Krellmar 2");
  EXPECT_NE(other, nullptr);
  EXPECT_EQ(platform::LockGameFolder(games_.str() + "/Krellmar 2"), nullptr);
  EXPECT_EQ(platform::LockGameFolder(game), nullptr);
  EXPECT_NE(platform::LockGameFolder(game + "/basekrm"), nullptr);
  // Free again when the first copy ends.
  first.reset();
  EXPECT_TRUE(ChildGetsLock(game));
  auto again = platform::LockGameFolder(game);
  EXPECT_NE(again, nullptr);
  // Nothing was written into the game folder.
  EXPECT_EQ(Listing(game), "basekrm\n");
  EXPECT_EQ(Listing(game + "/basekrm"), "");
}

// The lock is the folder's, not the environment's: a copy started with
// another runtime folder, none at all or another temporary folder (another
// login, sudo) and a copy another user runs see it; so does a copy in a
// folder nobody may write.
TEST_F(InstanceLockTest, EveryCopySeesTheLockWhoeverRunsIt) {
  const std::string game = games_.str() + "/Krellmar";
  std::filesystem::create_directories(game + "/basekrm");
  ::chmod(games_.str().c_str(), 0755);
  ::chmod(game.c_str(), 0555);
  auto first = platform::LockGameFolder(game);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->LocksFolder());
  for (const char* runtime : {"/tmp", static_cast<const char*>(nullptr)}) {
    Environment xdg("XDG_RUNTIME_DIR", runtime);
    Environment tmp("TMPDIR", runtime);
    EXPECT_FALSE(ChildGetsLock(game)) << (runtime != nullptr ? runtime : "unset");
  }
  auto report = AsAnotherUser([&] { return platform::LockGameFolder(game) == nullptr ? "" : "another user got the lock"; });
  if (report) {
    EXPECT_EQ(*report, "");
  }
  first.reset();
  report = AsAnotherUser([&] {
    auto lock = platform::LockGameFolder(game);
    return lock != nullptr && lock->LocksFolder() ? "" : "another user got no lock on a free folder";
  });
  if (report) {
    EXPECT_EQ(*report, "");
  }
  ::chmod(game.c_str(), 0755);
  EXPECT_EQ(Listing(game), "basekrm\n");
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

// A folder that cannot be opened gives no lock: the program runs as if
// alone, and knows it (the player is told).
TEST_F(InstanceLockTest, NoLockAtAllRunsAsIfAloneAndSaysSo) {
  const std::string game = games_.str() + "/not made";
  auto first = platform::LockGameFolder(game);
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(first->LocksFolder());
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
