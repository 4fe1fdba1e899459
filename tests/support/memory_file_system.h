#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace fragtally::testing {

// The program crashed in the middle of an append (not a std::exception: no
// handler of the program catches it).
struct TornAppend {};

// Files held in memory, for fuzzing and for tests that need many quick runs.
// Paths are compared as they are; a folder exists when a file lies below it.
// `RefuseWrite`, when set, makes every write or copy to a path it accepts
// fail, as a full or read-only disk would. `OnWrite`, when set, is told of
// every write or copy right before it (after = false) and right after it
// (after = true): a test may throw from it to end the program there.
class MemoryFileSystem : public platform::FileSystem {
 public:
  std::unique_ptr<platform::InputFile> OpenForReading(const std::string& path,
                                                      platform::FileFailure* failure = nullptr) override;
  bool Exists(const std::string& path) override;
  bool ReplaceFile(const std::string& path, std::string_view contents, platform::FileFailure& failure) override;
  bool KeepCopy(const std::string& path, const std::string& copy, platform::FileFailure& failure) override;
  // Held without sharing replacement, a file cannot be appended to either.
  // `TearAppend`, when set, is asked before each append how many of its
  // bytes reach the file: fewer than all is a crash part-way, which writes
  // that part and throws TornAppend.
  bool AppendToFile(const std::string& path, std::string_view bytes, platform::FileFailure& failure) override;
  void RemoveTemporaries(const std::string& path) override;

  void Write(const std::string& path, std::string_view bytes) {
    files_[path] = std::make_shared<std::string>(bytes);
  }
  // Adds bytes at the end of a file (made when missing), as the game writes its log.
  void Append(const std::string& path, std::string_view bytes);
  std::optional<std::string> Read(const std::string& path) const;
  // The bytes of `path` as they are now, without a copy (empty when missing);
  // valid until the file changes.
  std::string_view View(const std::string& path) const;
  void Remove(const std::string& path) { files_.erase(path); }
  void Clear() {
    files_.clear();
    TearAppend = nullptr;
    held_.clear();
  }
  std::size_t FileCount() const { return files_.size(); }

  // Another program holds `path` open, as on Windows: with the share mode
  // that lets others read it (or not), and that lets others rename over it
  // (FILE_SHARE_DELETE, or not). What it does not share fails as in use.
  void Hold(const std::string& path, bool shares_reading, bool shares_replacing) {
    held_[path] = {shares_reading, shares_replacing};
  }
  void Release(const std::string& path) { held_.erase(path); }

  std::function<bool(const std::string& path)> RefuseWrite;
  std::function<void(const std::string& path, bool after)> OnWrite;
  std::function<std::size_t(const std::string& path, std::size_t size)> TearAppend;

 private:
  bool IsFolder(const std::string& path) const;
  // Tells OnWrite of a write to `path` about to begin; true (and `failure`)
  // when the write must fail: a folder, a refused path, a file held without
  // sharing replacement.
  bool WriteRefused(const std::string& path, platform::FileFailure& failure);
  // The bytes of `path` to change, by the rule below (a test may save
  // thousands of times); made when missing. New bytes start as a copy of the
  // old ones when `keep_bytes`, else empty.
  std::string& Changeable(const std::string& path, bool keep_bytes);
  // A file open for reading shares its bytes; a change replaces them or,
  // when no reader shares them, changes them in place.
  std::map<std::string, std::shared_ptr<std::string>> files_;
  struct Sharing {
    bool reading, replacing;
  };
  std::map<std::string, Sharing> held_;
  mutable std::string probe_;  // a folder's name with a separator, kept to spare an allocation
};

// Installs a file system for the lifetime of the guard.
class UsingFileSystem {
 public:
  explicit UsingFileSystem(platform::FileSystem& files) { platform::UseFileSystem(&files); }
  ~UsingFileSystem() { platform::UseFileSystem(nullptr); }
  UsingFileSystem(const UsingFileSystem&) = delete;
  UsingFileSystem& operator=(const UsingFileSystem&) = delete;
};

}  // namespace fragtally::testing
