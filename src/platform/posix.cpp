// The platform layer on POSIX systems.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <random>
#include <system_error>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/retry.h"

namespace fragtally::platform {

namespace detail {
void SleepMilliseconds(int milliseconds) {
  timespec pause{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
  while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}
}  // namespace detail

namespace {

using detail::RetryPauses;

FileFault FaultOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return FileFault::NotFound;
    case EBUSY:
    case ETXTBSY:
    case EAGAIN: return FileFault::InUse;
    case EACCES:
    case EPERM:
    case EROFS: return FileFault::AccessDenied;
    case ENOSPC:
    case EDQUOT: return FileFault::DiskFull;
    default: return FileFault::Other;
  }
}

// What may pass when tried again a moment later. There are no share modes
// here: a file another program holds open can be read and replaced; only a
// busy device or mount point, a running program's file or a non-blocking
// lock says "later". A denied access stays denied.
bool Transient(int error) { return error == EBUSY || error == ETXTBSY || error == EAGAIN; }

bool Fail(FileFailure& failure, const std::string& path, int error) {
  failure.Fault = FaultOf(error);
  failure.Path = path;
  failure.Code = error;
  failure.SystemText = std::strerror(error);
  failure.ProtectedFolder = false;
  return false;
}

int OpenOnce(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Opens, trying again while the error may pass; errno is the last try's.
int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  RetryPauses pauses;
  for (;;) {
    int fd = OpenOnce(path, flags, mode);
    if (fd >= 0 || !Transient(errno)) return fd;
    const int error = errno;
    if (!pauses.Wait()) {
      errno = error;
      return -1;
    }
  }
}

// Runs `call` (0 on success, errno set otherwise) until it succeeds, fails
// for good or the time for tries is spent; 0, or the last errno.
template <class Call>
int Retrying(Call call) {
  RetryPauses pauses;
  for (;;) {
    if (call() == 0) return 0;
    const int error = errno;
    if (error == EINTR) continue;
    if (!Transient(error) || !pauses.Wait()) return error;
  }
}

// Writes every byte; false (errno set) when the disk refused some.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Flushes the file to the disk and closes it. `data_only` is for a file that
// is only appended to: on Linux only its data and what reading them back
// needs (its size, where its blocks are) are flushed, not its times, which
// keeps every appended byte as safely as a full flush and spares the disk a
// write of the times.
bool FlushAndClose(int fd, bool data_only = false) {
#ifdef __linux__
  int sync_result = data_only ? ::fdatasync(fd) : ::fsync(fd);
#else
  (void)data_only;
  int sync_result = ::fsync(fd);
#endif
  int sync_errno = errno;
  int close_result = ::close(fd);
  if (sync_result != 0) {
    errno = sync_errno;
    return false;
  }
  return close_result == 0 || errno == EINTR;
}

// Makes the folder's entries (a rename, a new name) durable; best effort.
void FlushFolder(const std::string& folder) {
  int fd = OpenOnce(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

// What a name that is no regular file is: Folder, NotRegular, or None for a
// regular file.
FileFault NotAFile(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return FileFault::None;
  return S_ISDIR(info.st_mode) ? FileFault::Folder : FileFault::NotRegular;
}

// Opens `path` only when it is a regular file (a symbolic link to one is
// followed). What the name is gets looked at before the open, so that no
// device or FIFO is opened at all (opening a FIFO waits for a writer for
// good, and opening a device may set it going); the open itself does not
// wait either, and what it opened is looked at again. -1 when it failed:
// `not_a_file` is then the fault for what the name is, or None with errno
// set.
int OpenRegular(const std::string& path, int flags, mode_t mode, FileFault& not_a_file) {
  not_a_file = FileFault::None;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && (not_a_file = NotAFile(info)) != FileFault::None) return -1;
  const int fd = OpenRetrying(path.c_str(), flags | O_NONBLOCK | O_NOCTTY, mode);
  if (fd < 0) return -1;
  if (::fstat(fd, &info) != 0 || (not_a_file = NotAFile(info)) != FileFault::None) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  const int status = ::fcntl(fd, F_GETFL);
  if (status != -1) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  return fd;
}

// Opens as OpenRegular does; on failure fills `failure` and returns -1.
int OpenRegularOrFail(const std::string& path, int flags, mode_t mode, FileFailure& failure) {
  FileFault not_a_file;
  const int fd = OpenRegular(path, flags, mode, not_a_file);
  if (fd >= 0) return fd;
  if (not_a_file != FileFault::None) {
    detail::FailNotAFile(failure, path, not_a_file);
  } else {
    Fail(failure, path, errno);
  }
  return -1;
}

// The file a write to `path` reaches: `path` itself, or, where it is a
// symbolic link (or a chain of them), the name the last one points to, which
// need not exist yet. 0, or ELOOP for a chain that does not end.
int LinkTarget(const std::string& path, std::string& target) {
  target = path;
  for (int links = 0; links < 40; ++links) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return 0;
    std::string to(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    const ssize_t n = ::readlink(target.c_str(), to.data(), to.size());
    if (n < 0) return 0;  // gone meanwhile: the name itself
    to.resize(static_cast<std::size_t>(n));
    if (to.empty() || to[0] == '/') {
      target = to;
    } else {
      const std::string folder = FolderOf(target);
      target = folder.empty() ? to : (folder == "/" ? folder + to : folder + "/" + to);
    }
  }
  return ELOOP;
}

class PosixInputFile : public InputFile {
 public:
  explicit PosixInputFile(int fd) : fd_(fd) {}
  ~PosixInputFile() override { ::close(fd_); }
  long long ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    for (;;) {
      ssize_t got = ::pread(fd_, buffer, size, static_cast<off_t>(offset));
      if (got >= 0) return got;
      if (errno != EINTR) return -1;
    }
  }
  long long Size() override {
    struct stat info {};
    return ::fstat(fd_, &info) == 0 ? static_cast<long long>(info.st_size) : -1;
  }

 private:
  int fd_;
};

class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<InputFile> OpenForReading(const std::string& path, FileFailure* failure) override {
    FileFailure ignored;
    const int fd = OpenRegularOrFail(path, O_RDONLY, 0, failure != nullptr ? *failure : ignored);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixInputFile>(fd);
  }

  bool Exists(const std::string& path) override {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
  }

  bool ReplaceFile(const std::string& path, std::string_view contents, FileFailure& failure) override {
    // A link stays a link: its target is replaced, beside itself.
    std::string target;
    if (const int error = LinkTarget(path, target); error != 0) return Fail(failure, path, error);
    // The new file keeps the old one's permissions; a new one gets the usual
    // ones (0666 less the umask). Nothing but a regular file is replaced.
    struct stat old {};
    const bool replacing = ::lstat(target.c_str(), &old) == 0;
    if (replacing && NotAFile(old) != FileFault::None) return detail::FailNotAFile(failure, path, NotAFile(old));
    const std::string folder = FolderOf(target);
    std::error_code folder_error;  // why a missing folder could not be made
    if (!folder.empty()) std::filesystem::create_directories(folder, folder_error);

    std::string temporary;
    int fd = -1;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
      temporary = target + ".new-" + std::to_string(random() % 1000000);
      fd = OpenRetrying(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
      if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
      // The file the player knows, not the temporary one; for a missing
      // folder, why it could not be made.
      const int error = errno;
      return Fail(failure, path, error == ENOENT && folder_error ? folder_error.value() : error);
    }
    bool ok = (!replacing || ::fchmod(fd, old.st_mode & 07777) == 0) && WriteAll(fd, contents);
    int write_errno = errno;
    if (!ok) {
      ::close(fd);
    } else if (!FlushAndClose(fd)) {
      ok = false;
      write_errno = errno;
    }
    if (ok) {
      write_errno = Retrying([&] { return ::rename(temporary.c_str(), target.c_str()); });
      ok = write_errno == 0;
    }
    if (!ok) {
      ::unlink(temporary.c_str());
      return Fail(failure, path, write_errno);
    }
    FlushFolder(folder);
    return true;
  }

  void RemoveTemporaries(const std::string& path) override {
    const std::size_t cut = path.rfind('/');
    const std::string folder = cut == std::string::npos ? std::string(".") : path.substr(0, cut);
    const std::string base = cut == std::string::npos ? path : path.substr(cut + 1);
    DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (dir == nullptr) return;
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(dir))
      if (IsTemporaryOf(entry->d_name, base)) leftovers.emplace_back(entry->d_name);
    ::closedir(dir);
    for (const std::string& name : leftovers) {
      const std::string leftover = (folder.empty() ? std::string() : folder) + "/" + name;
      struct stat info {};
      if (::lstat(leftover.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(leftover.c_str());
    }
  }

  bool KeepCopy(const std::string& path, const std::string& copy, FileFailure& failure) override {
    // Of a link, the file it points to (a second name for the link itself
    // would show whatever the link's target later becomes).
    std::string original;
    if (const int error = LinkTarget(path, original); error != 0) return Fail(failure, path, error);
    struct stat info {};
    if (::stat(original.c_str(), &info) == 0 && NotAFile(info) != FileFault::None)
      return detail::FailNotAFile(failure, path, NotAFile(info));
    const int link_errno = Retrying([&] { return ::link(original.c_str(), copy.c_str()); });
    if (link_errno == 0) {
      FlushFolder(FolderOf(copy));
      return true;
    }
    if (link_errno == EEXIST) {
      return Fail(failure, copy, link_errno);
    }
    // No hard links here: copy, and check that every byte arrived.
    int in = OpenRegularOrFail(original, O_RDONLY, 0, failure);
    if (in < 0) {
      failure.Path = path;
      return false;
    }
    int out = OpenOnce(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (out < 0) {
      Fail(failure, copy, errno);
      ::close(in);
      return false;
    }
    int copy_errno = 0;  // why the copy could not be made, 0 while it goes well
    long long copied = 0;
    char buffer[1 << 16];
    for (;;) {
      ssize_t got = ::read(in, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) copy_errno = errno;
      if (got <= 0) break;
      if (!WriteAll(out, std::string_view(buffer, static_cast<std::size_t>(got)))) {
        copy_errno = errno;
        break;
      }
      copied += got;
    }
    struct stat copied_from {};
    if (copy_errno == 0 && (::fstat(in, &copied_from) != 0 || copied_from.st_size != copied)) copy_errno = EIO;
    ::close(in);
    if (copy_errno != 0) {
      ::close(out);
    } else if (!FlushAndClose(out)) {
      copy_errno = errno;
    }
    if (copy_errno != 0) {
      ::unlink(copy.c_str());
      return Fail(failure, copy, copy_errno);
    }
    FlushFolder(FolderOf(copy));
    return true;
  }

  // fdatasync: for a file that is only appended to it keeps the data and
  // the size as fsync does, without the file's times.
  bool AppendToFile(const std::string& path, std::string_view bytes, FileFailure& failure) override {
    const std::string folder = FolderOf(path);
    std::error_code folder_error;
    if (!folder.empty()) std::filesystem::create_directories(folder, folder_error);
    const bool existed = Exists(path);
    FileFault not_a_file;
    int fd = OpenRegular(path, O_WRONLY | O_CREAT | O_APPEND, 0666, not_a_file);
    if (fd < 0) {
      const int error = errno;
      if (not_a_file != FileFault::None) return detail::FailNotAFile(failure, path, not_a_file);
      return Fail(failure, path, error == ENOENT && folder_error ? folder_error.value() : error);
    }
    if (!WriteAll(fd, bytes)) {
      const int error = errno;
      ::close(fd);
      return Fail(failure, path, error);
    }
    if (!FlushAndClose(fd, true)) return Fail(failure, path, errno);
    if (!existed) FlushFolder(folder);  // the new file's name, too
    return true;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem files;
  return files;
}

constexpr std::size_t kHugePagesUpTo = std::size_t{32} << 20;

void* AllocateLarge(std::size_t bytes) {
  void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  // Huge pages cost fewer page faults, but where the host of a virtual
  // machine takes back the memory a guest frees by the huge page, a fresh
  // one can cost it many times what ordinary pages do: only the smaller
  // blocks (the trace of a statistics file, of most imports) take them.
  // Advice only: without huge pages it works all the same.
  if (bytes <= kHugePagesUpTo) ::madvise(block, bytes, MADV_HUGEPAGE);
#endif
  return block;
}

void FreeLarge(void* block, std::size_t bytes) { ::munmap(block, bytes); }

void PrepareLarge(void* part, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  // (Linux 5.14 and later; before, the pages are made at the first write.)
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(part) / page * page;
  ::madvise(reinterpret_cast<void*>(start), reinterpret_cast<std::uintptr_t>(part) + bytes - start, MADV_POPULATE_WRITE);
#else
  (void)part;
  (void)bytes;
#endif
}

bool PreparesLarge() {
#ifdef MADV_POPULATE_WRITE
  return true;
#else
  return false;
#endif
}

void YieldToOthers() {
#ifdef __linux__
  // (On Linux a thread has a niceness of its own, set through its id.)
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 19);
#endif
}

std::string ExecutableFolder() {
  std::error_code ec;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || program.empty()) return std::filesystem::current_path(ec).string();
  return program.parent_path().string();
}

}  // namespace fragtally::platform

namespace fragtally::platform {

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::error_code ec;
  std::string folder = std::filesystem::current_path(ec).string();
  if (ec) return path;
  if (path.empty()) return folder;
  return folder == "/" ? folder + path : folder + "/" + path;
}

std::string GameView(const std::string& path) { return path; }

namespace {

// The folder as every copy of the program sees it: absolute, links resolved
// (as far as the folder exists), without "." and "..", no trailing slash.
std::string NormalFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::path absolute = AbsolutePath(folder.empty() ? "." : folder);
  std::filesystem::path normal = std::filesystem::weakly_canonical(absolute, ec);
  if (ec) normal = absolute.lexically_normal();
  std::string text = normal.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// flock without waiting: 0, or why not (EWOULDBLOCK: another holds it).
int TryLock(int fd) {
  int result;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result == 0 ? 0 : errno;
}

// On a network file system that has no locks on folders.
constexpr char kLockFileName[] = "fragtally.lock";

class FolderLock : public InstanceLock {
 public:
  explicit FolderLock(int fd) : fd_(fd) {}
  ~FolderLock() override {
    if (fd_ >= 0) ::close(fd_);  // closing the last descriptor releases the lock
  }
  bool LocksFolder() const override { return fd_ >= 0; }

 private:
  int fd_;
};

}  // namespace

// The game folder itself is locked: every copy on this computer sees the
// same lock, whoever runs it (another login, sudo) and whatever its
// environment, and nothing is written, so a read-only folder is locked as
// well and no file is left after a crash (the system lets go of a lock when
// its process ends, however it ends). A network file system (NFS) locks no
// folder opened for reading; there a lock file in basekrm takes its place,
// which the server keeps for every computer. The choice is the file
// system's, so every copy in one folder makes the same one.
std::unique_ptr<InstanceLock> LockGameFolder(const std::string& folder) {
  const std::string game = NormalFolder(folder);
  int fd = OpenOnce(game.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    const int error = TryLock(fd);
    if (error == 0) return std::make_unique<FolderLock>(fd);
    ::close(fd);
    if (error == EWOULDBLOCK) return nullptr;  // another copy holds it
  }
  const std::string file = (game == "/" ? game : game + "/") + "basekrm/" + kLockFileName;
  fd = OpenOnce(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0666);
  if (fd < 0 && errno == EACCES) fd = OpenOnce(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  struct stat info {};
  if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
    ::close(fd);
    fd = -1;
  }
  if (fd >= 0) {
    const int error = TryLock(fd);
    if (error == 0) return std::make_unique<FolderLock>(fd);
    ::close(fd);
    if (error == EWOULDBLOCK) return nullptr;
  }
  return std::make_unique<FolderLock>(-1);  // no lock at all: run as if alone
}

std::string InstanceName(const std::string& folder) { return detail::HashedName(NormalFolder(folder)); }

}  // namespace fragtally::platform
