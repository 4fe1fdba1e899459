#pragma once

// What the standard library cannot do portably: reading a file by a path in
// the system's code page, replacing a file atomically, keeping a second name
// for a file, and finding the running program's folder. One interface, a
// POSIX and a Win32 implementation; tests and fuzzing may install their own
// file system (in memory, or one that fails on purpose).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace fragtally::platform {

// The path separator of file names the program builds itself.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

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

  // The file for reading, or nullptr when it cannot be opened (missing, a
  // folder, not allowed).
  virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path) = 0;

  // Whether anything (file, folder, link) has this name.
  virtual bool Exists(const std::string& path) = 0;

  // Replaces the file at `path` by `contents`: a temporary file in the same
  // folder gets every byte, is flushed to the disk and renamed over `path`.
  // A missing folder is created first. On failure the old file stays byte for
  // byte, the temporary file is removed, `error` says why and false is returned.
  virtual bool ReplaceFile(const std::string& path, std::string_view contents, std::string& error) = 0;

  // Gives the file at `path` the second name `copy` without changing it: a
  // hard link where the file system has them, otherwise a copy that is checked
  // for its full size. Never replaces an existing `copy`; false (and `error`)
  // when the copy could not be made.
  virtual bool KeepCopy(const std::string& path, const std::string& copy, std::string& error) = 0;
};

// The native file system, unless a test installed another one.
FileSystem& Files();
// Installs `files` (nullptr: the native one again). The caller keeps it alive.
void UseFileSystem(FileSystem* files);
FileSystem& NativeFileSystem();

// Memory for large, growing buffers (the trace): whole pages straight from
// the system, which it may back with huge pages, so that filling them costs
// few page faults. Raises std::bad_alloc when there is none.
void* AllocateLarge(std::size_t bytes);
void FreeLarge(void* block, std::size_t bytes);

// The folder of the running program, without a trailing separator.
std::string ExecutableFolder();

// A name for a file given in the program's own settings: on POSIX systems a
// backslash is taken as the path separator; on Windows it stays.
std::string NativePath(std::string_view path);

// The local date and time as YYYYMMDD-HHMMSS.
std::string LocalTimeStamp();

}  // namespace fragtally::platform
