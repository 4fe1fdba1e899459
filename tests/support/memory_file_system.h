#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace fragtally::testing {

// Files held in memory, for fuzzing and for tests that need many quick runs.
// Paths are compared as they are; a folder exists when a file lies below it.
// `RefuseWrite`, when set, makes every write or copy to a path it accepts
// fail, as a full or read-only disk would. `OnWrite`, when set, is told of
// every write or copy right before it (after = false) and right after it
// (after = true): a test may throw from it to end the program there.
class MemoryFileSystem : public platform::FileSystem {
 public:
  std::unique_ptr<platform::InputFile> OpenForReading(const std::string& path) override;
  bool Exists(const std::string& path) override;
  bool ReplaceFile(const std::string& path, std::string_view contents, std::string& error) override;
  bool KeepCopy(const std::string& path, const std::string& copy, std::string& error) override;

  void Write(const std::string& path, std::string_view bytes) { files_[path] = std::string(bytes); }
  std::optional<std::string> Read(const std::string& path) const;
  void Remove(const std::string& path) { files_.erase(path); }
  void Clear() { files_.clear(); }
  const std::map<std::string, std::string>& Files() const { return files_; }

  std::function<bool(const std::string& path)> RefuseWrite;
  std::function<void(const std::string& path, bool after)> OnWrite;

 private:
  bool IsFolder(const std::string& path) const;
  std::map<std::string, std::string> files_;
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
