#pragma once

// What the standard library cannot do portably: reading a file, replacing a
// file atomically, keeping a second name for a file, finding the running
// program's folder, and making sure one copy of the program runs per game
// folder. One interface, a POSIX and a Win32 implementation; tests and
// fuzzing may install their own file system (in memory, or one that fails on
// purpose).
//
// Paths are bytes. On Windows a path that is valid UTF-8 is taken as UTF-8,
// any other as the system's ANSI code page (what an old settings file holds);
// the program's own folder is given in UTF-8, so that a folder whose name the
// code page cannot spell works. Paths of any length work.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace fragtally::platform {

// The path separator of file names the program builds itself.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Why a file could not be opened, written or copied, in terms the player can
// act on.
enum class FileFault {
  None,
  NotFound,      // no such file, or a folder on the way is missing
  InUse,         // another program holds it (a sharing or lock violation), still after the retries
  AccessDenied,  // not allowed: a read-only file or disk, a folder the user may not write
  DiskFull,      // no room left on the disk
  Folder,        // a folder where a file was meant
  NotRegular,    // a device, a FIFO (named pipe) or a socket where a file was meant
  Other,         // anything else: Code and SystemText tell
};

struct FileFailure {
  FileFault Fault = FileFault::None;
  std::string Path;        // the file the operation failed on
  int Code = 0;            // errno, or GetLastError()
  std::string SystemText;  // the system's own words for Code, UTF-8
  // Windows: access was denied in a folder that Windows protects from
  // ordinary users (Program Files and the like).
  bool ProtectedFolder = false;
};

// A failure of `fault` at `path`, with no system code.
inline FileFailure FailureAt(FileFault fault, std::string path) {
  FileFailure failure;
  failure.Fault = fault;
  failure.Path = std::move(path);
  return failure;
}

// A file opened for reading, read at any place.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to `size` bytes at `offset` into `buffer`: the count read, 0 at
  // (or beyond) the end of the file, -1 when the read failed.
  virtual long long ReadAt(std::uint64_t offset, char* buffer, std::size_t size) = 0;
  // The file's size now, or -1 when it cannot be told.
  virtual long long Size() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The file for reading, or nullptr when it cannot be opened (missing, not
  // allowed, held by another program); `failure`, when given, says why. Only
  // a regular file is opened (a symbolic link to one is followed): a folder
  // is refused as Folder, a device, FIFO or socket as NotRegular, at once and
  // without waiting for a writer. The file stays readable while others read,
  // write, rename or delete it.
  virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path, FileFailure* failure = nullptr) = 0;

  // Whether anything (file, folder, link) has this name.
  virtual bool Exists(const std::string& path) = 0;

  // Replaces the file at `path` by `contents`: a temporary file in the same
  // folder gets every byte, is flushed to the disk and renamed over `path`.
  // A missing folder is created first. Only a regular file is replaced: a
  // symbolic link is written through (its target is replaced, in the
  // target's folder, and the link stays), and a folder, device, FIFO or
  // socket is refused (Folder, NotRegular). On failure the old file stays
  // byte for byte, the temporary file is removed, `failure` says why and
  // false is returned.
  virtual bool ReplaceFile(const std::string& path, std::string_view contents, FileFailure& failure) = 0;

  // Gives the file at `path` the second name `copy` without changing it: a
  // hard link where the file system has them, otherwise a copy that is checked
  // for its full size. A symbolic link at `path` gives a copy of its target.
  // Never replaces an existing `copy`; false (and `failure`) when the copy
  // could not be made or `path` is no regular file.
  virtual bool KeepCopy(const std::string& path, const std::string& copy, FileFailure& failure) = 0;

  // Adds `bytes` at the end of the file at `path` (made, with its folder,
  // when missing) and flushes them to the disk before returning true. As
  // ReplaceFile, it writes through a symbolic link and refuses anything but a
  // regular file. A file another program holds is tried again as ReplaceFile does. On failure
  // `failure` says why and false is returned; a failure or a crash part-way
  // may leave a part of `bytes` at the end. A file system that does not say
  // otherwise appends to the disk with the native one.
  virtual bool AppendToFile(const std::string& path, std::string_view bytes, FileFailure& failure);

  // Removes what a ReplaceFile of `path` stopped before its rename (a kill,
  // a power cut) left beside it: the files named `path`, ".new-" and digits.
  // Nothing else is touched, and a file that cannot be removed stays. Only
  // one copy of the program runs per game folder, so no save of another copy
  // is under way. A file system that does not say otherwise removes them
  // from the disk with the native one.
  virtual void RemoveTemporaries(const std::string& path);
};

// Whether `name` is what ReplaceFile names the temporary file of a file
// named `base`: `base`, ".new-" and one to six digits.
bool IsTemporaryOf(std::string_view name, std::string_view base);

// The native file system tries again, for about this long, when another
// program holds a file it opens, replaces or copies (a virus scanner, an
// editor, a sync tool): a few tries with short sleeps. Tests may shorten it.
inline constexpr int kDefaultRetryMilliseconds = 1000;
void SetRetryMilliseconds(int milliseconds);

// The native file system, unless a test installed another one.
FileSystem& Files();
// Installs `files` (nullptr: the native one again). The caller keeps it alive.
void UseFileSystem(FileSystem* files);
FileSystem& NativeFileSystem();

// Memory for large, growing buffers (the trace): whole pages straight from
// the system (as huge pages, where it may, up to a size), given back to it
// when freed. Raises std::bad_alloc when there is none.
void* AllocateLarge(std::size_t bytes);
void FreeLarge(void* block, std::size_t bytes);
// Makes the pages of part of such a block ready to be written, as the first
// write to each would (the system zeroes them now, not then), leaving what is
// in them as it is: a helper thread may do this ahead of the writing. Advice
// only: where the system cannot, nothing happens.
void PrepareLarge(void* part, std::size_t bytes);
// Whether PrepareLarge does anything on this system.
bool PreparesLarge();
// Gives the calling thread the lowest priority, for a helper whose work is
// only worth doing on an idle processor. Advice only.
void YieldToOthers();

// The folder of the running program, without a trailing separator.
std::string ExecutableFolder();

// The full path of `path` (relative paths against the current folder), for
// telling the player which file was meant.
std::string AbsolutePath(const std::string& path);

// Where a 32-bit game that predates Windows Vista finds `path`: Windows
// redirects such a game's writes below Program Files to the user's
// VirtualStore folder, so its copy there is the one the game wrote, when it
// exists. Otherwise, and on other systems, `path` itself.
std::string GameView(const std::string& path);

// Held while this copy of the program runs in a game folder.
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
  // False when no lock could be made at all (a file system that has no
  // locks, a folder that cannot be opened): the program runs as if alone,
  // and the player should be told.
  virtual bool LocksFolder() const = 0;
};

// Only one copy of the program runs per game folder: the lock, held until it
// is destroyed (or the process ends, however it ends), or nullptr when
// another running copy holds it for `folder`. Every copy that runs in the
// folder sees the lock, whoever runs it and in whatever environment: on
// Windows a mutex named after the folder in the global namespace, on POSIX
// systems a lock on the folder itself. When no lock can be made at all, one
// is returned all the same (LocksFolder() false).
std::unique_ptr<InstanceLock> LockGameFolder(const std::string& folder);

// A name for `folder` that every copy of the program derives alike (on
// Windows without regard to case): ASCII letters, digits and '-' only. The
// lock is made under it, and the windows use it to find the first copy.
std::string InstanceName(const std::string& folder);

#ifdef _WIN32
// `path` in the form the system's wide-character calls take: decoded as
// UTF-8 when it is valid UTF-8, otherwise in the ANSI code page; a long one
// made absolute with the \\?\ prefix. For the windows, so that a picture or
// any other file they open by name is the file the platform layer means.
std::wstring WidePath(std::string_view path);
#endif

// A name for a file given in the program's own settings: on POSIX systems a
// backslash is taken as the path separator; on Windows it stays.
std::string NativePath(std::string_view path);

// The local date and time as YYYYMMDD-HHMMSS.
std::string LocalTimeStamp();
// The local date and time as YYYY-MM-DD hh:mm:ss.
std::string LocalDateTime();

}  // namespace fragtally::platform
