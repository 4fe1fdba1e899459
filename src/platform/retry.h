#pragma once

// Shared by the POSIX and the Win32 implementation: the pauses between the
// tries at a file another program holds, the instance name's hash, and the
// failure for a name that is no regular file.

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace fragtally::platform::detail {

// The pauses between tries at a file that another program holds: short at
// first, then longer, until the time set with SetRetryMilliseconds is spent.
//
//   RetryPauses pauses;
//   while (!TryIt() && StillHeld() && pauses.Wait()) {}
class RetryPauses {
 public:
  RetryPauses();
  // Sleeps for the next pause and returns true; false, at once, when the
  // time is spent.
  bool Wait();

 private:
  int left_;
  int step_ = 0;
};

// Sleeps for `milliseconds` (each system its own call).
void SleepMilliseconds(int milliseconds);

// "fragtally-" and 16 hex digits of the 64-bit FNV-1a hash of `bytes`.
std::string HashedName(std::string_view bytes);

// Refuses `path`, which names `fault` (Folder or NotRegular): no system code,
// the system text "is a folder" or "not a regular file". Returns false.
bool FailNotAFile(FileFailure& failure, const std::string& path, FileFault fault);

}  // namespace fragtally::platform::detail
