#pragma once

#include <stdexcept>
#include <string>

#include "platform/platform.h"

namespace fragtally {

// How a step below a command can fail. The table, the line parser and the
// block step raise the first three; the files raise the others.
enum class ErrorKind {
  Overflow,             // a total or a position left its range
  SubscriptOutOfRange,  // a slot outside 1..9999, or no selected entry
  InvalidArgument,      // a cut with a negative length
  NotFound,             // a file that cannot be opened for reading (the failure says why)
  ReadFailed,           // a read error part-way through a file
  WriteFailed,          // a save the disk refused; the old file stays
  ChangedOnDisk,        // a save refused: another program changed the file since this one read or wrote it
};

// The one error type below the commands. Each command catches it (and
// anything else thrown below it) at its one failure path.
// A file error carries which file and why (FileFailure).
class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& detail, platform::FileFailure failure = {});
  ErrorKind kind() const noexcept { return kind_; }
  const platform::FileFailure& failure() const noexcept { return failure_; }

 private:
  ErrorKind kind_;
  platform::FileFailure failure_;
};

// Raises Error. The detail, when given, says what went wrong; otherwise the
// kind's own name is the message.
[[noreturn]] void Raise(ErrorKind kind, const std::string& detail = {});
// Raises a file error of `kind` for `failure`.
[[noreturn]] void RaiseFileError(ErrorKind kind, platform::FileFailure failure);

const char* ErrorKindName(ErrorKind kind) noexcept;

// Which file a file error is about, and why; nullptr for any other error.
const platform::FileFailure* FileFailureOf(const std::exception& error);
// The same, or `path` with no known cause for any other error.
platform::FileFailure FailureOf(const std::exception& error, const std::string& path);

}  // namespace fragtally
