// The platform layer on POSIX systems.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"

namespace fragtally::platform {

namespace {

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

bool Fail(FileFailure& failure, const std::string& path, int error) {
  failure.Fault = FaultOf(error);
  failure.Path = path;
  failure.Code = error;
  failure.SystemText = std::strerror(error);
  failure.ProtectedFolder = false;
  return false;
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
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

bool FlushAndClose(int fd) {
  int sync_result = ::fsync(fd);
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
  int fd = OpenRetrying(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
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
    int fd = OpenRetrying(path.c_str(), O_RDONLY);
    if (fd < 0) {
      if (failure != nullptr) Fail(*failure, path, errno);
      return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
      ::close(fd);
      if (failure != nullptr) Fail(*failure, path, EISDIR);
      return nullptr;
    }
    return std::make_unique<PosixInputFile>(fd);
  }

  bool Exists(const std::string& path) override {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
  }

  bool ReplaceFile(const std::string& path, std::string_view contents, FileFailure& failure) override {
    const std::string folder = FolderOf(path);
    if (!folder.empty()) {
      std::error_code ec;
      std::filesystem::create_directories(folder, ec);
    }
    // The new file keeps the old one's permissions; a new one gets the usual
    // ones (0666 less the umask).
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;

    std::string temporary;
    int fd = -1;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
      temporary = path + ".new-" + std::to_string(random() % 1000000);
      fd = OpenRetrying(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
      if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
      return Fail(failure, path, errno);
    }
    bool ok = (!replacing || ::fchmod(fd, old.st_mode & 07777) == 0) && WriteAll(fd, contents);
    int write_errno = errno;
    if (!ok) {
      ::close(fd);
    } else if (!FlushAndClose(fd)) {
      ok = false;
      write_errno = errno;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
      ok = false;
      write_errno = errno;
    }
    if (!ok) {
      ::unlink(temporary.c_str());
      return Fail(failure, path, write_errno);
    }
    FlushFolder(folder);
    return true;
  }

  bool KeepCopy(const std::string& path, const std::string& copy, FileFailure& failure) override {
    if (::link(path.c_str(), copy.c_str()) == 0) {
      FlushFolder(FolderOf(copy));
      return true;
    }
    if (errno == EEXIST) {
      return Fail(failure, copy, errno);
    }
    // No hard links here: copy, and check that every byte arrived.
    int in = OpenRetrying(path.c_str(), O_RDONLY);
    if (in < 0) {
      return Fail(failure, path, errno);
    }
    int out = OpenRetrying(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (out < 0) {
      Fail(failure, copy, errno);
      ::close(in);
      return false;
    }
    bool ok = true;
    long long copied = 0;
    char buffer[1 << 16];
    for (;;) {
      ssize_t got = ::read(in, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        ok = got == 0;
        break;
      }
      if (!WriteAll(out, std::string_view(buffer, static_cast<std::size_t>(got)))) {
        ok = false;
        break;
      }
      copied += got;
    }
    int copy_errno = errno;
    struct stat original {};
    ok = ok && ::fstat(in, &original) == 0 && original.st_size == copied;
    ::close(in);
    if (ok && !FlushAndClose(out)) {
      ok = false;
      copy_errno = errno;
    } else if (!ok) {
      ::close(out);
    }
    if (!ok) {
      ::unlink(copy.c_str());
      return Fail(failure, copy, copy_errno ? copy_errno : EIO);
    }
    FlushFolder(FolderOf(copy));
    return true;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem files;
  return files;
}

void* AllocateLarge(std::size_t bytes) {
  void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  ::madvise(block, bytes, MADV_HUGEPAGE);  // advice only: without huge pages it works all the same
#endif
  return block;
}

void FreeLarge(void* block, std::size_t bytes) { ::munmap(block, bytes); }

std::string ExecutableFolder() {
  std::error_code ec;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || program.empty()) return std::filesystem::current_path(ec).string();
  return program.parent_path().string();
}

}  // namespace fragtally::platform

namespace fragtally::platform {

void SetRetryMilliseconds(int) {}

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::error_code ec;
  std::string folder = std::filesystem::current_path(ec).string();
  if (ec) return path;
  return folder == "/" ? folder + path : folder + "/" + path;
}

std::string GameView(const std::string& path) { return path; }

std::unique_ptr<InstanceLock> LockGameFolder(const std::string&) { return std::make_unique<InstanceLock>(); }

std::string InstanceName(const std::string& folder) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : folder) hash = (hash ^ c) * 1099511628211ull;
  char name[40];
  std::snprintf(name, sizeof name, "fragtally-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace fragtally::platform
