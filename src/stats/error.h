#pragma once

#include <stdexcept>
#include <string>

namespace fragtally {

// How a step below a command can fail. The table, the line parser and the
// block step raise the first three; the files raise the others.
enum class ErrorKind {
  Overflow,             // a total or a position left its range
  SubscriptOutOfRange,  // a slot outside 1..9999, or no selected entry
  InvalidArgument,      // a cut with a negative length
  NotFound,             // a file that cannot be opened for reading
  ReadFailed,           // a read error part-way through a file
  WriteFailed,          // a save the disk refused; the old file stays
};

// The one error type below the commands. Each command catches it (and
// anything else thrown below it) at its one failure path.
class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& detail);
  ErrorKind kind() const noexcept { return kind_; }

 private:
  ErrorKind kind_;
};

// Raises Error. The detail, when given, says what went wrong in words the
// user can act on; otherwise the kind's own name is the message.
[[noreturn]] void Raise(ErrorKind kind, const std::string& detail = {});

const char* ErrorKindName(ErrorKind kind) noexcept;

}  // namespace fragtally
