#pragma once

#include <stdexcept>

namespace fragtally {

// The three ways a step below a command can fail. Commands catch StatsError at
// their one failure path; nothing below a command handles it.
enum class ErrorKind { Overflow, SubscriptOutOfRange, InvalidArgument };

class StatsError : public std::runtime_error {
 public:
  explicit StatsError(ErrorKind kind);
  ErrorKind kind() const noexcept { return kind_; }

 private:
  ErrorKind kind_;
};

[[noreturn]] void Raise(ErrorKind kind);

const char* ErrorKindName(ErrorKind kind) noexcept;

}  // namespace fragtally
