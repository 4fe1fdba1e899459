#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace fragtally::testing {

// The native files, every call passed on: a test derives from it to watch
// the calls it cares about (and passes them on itself).
class PassThroughFileSystem : public platform::FileSystem {
 public:
  std::unique_ptr<platform::InputFile> OpenForReading(const std::string& path,
                                                      platform::FileFailure* failure = nullptr) override {
    return platform::NativeFileSystem().OpenForReading(path, failure);
  }
  bool Exists(const std::string& path) override { return platform::NativeFileSystem().Exists(path); }
  bool ReplaceFile(const std::string& path, std::string_view contents, platform::FileFailure& failure) override {
    return platform::NativeFileSystem().ReplaceFile(path, contents, failure);
  }
  bool KeepCopy(const std::string& path, const std::string& copy, platform::FileFailure& failure) override {
    return platform::NativeFileSystem().KeepCopy(path, copy, failure);
  }
  bool AppendToFile(const std::string& path, std::string_view bytes, platform::FileFailure& failure) override {
    return platform::NativeFileSystem().AppendToFile(path, bytes, failure);
  }
};

}  // namespace fragtally::testing
