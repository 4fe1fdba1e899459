#include "stats/error.h"

#include <exception>
#include <utility>

namespace fragtally {

const char* ErrorKindName(ErrorKind kind) noexcept {
  switch (kind) {
    case ErrorKind::Overflow:
      return "overflow";
    case ErrorKind::SubscriptOutOfRange:
      return "subscript out of range";
    case ErrorKind::InvalidArgument:
      return "invalid argument";
    case ErrorKind::NotFound:
      return "file not found";
    case ErrorKind::ReadFailed:
      return "read failed";
    case ErrorKind::WriteFailed:
      return "write failed";
    case ErrorKind::ChangedOnDisk:
      return "changed on disk";
  }
  return "unknown error";
}

Error::Error(ErrorKind kind, const std::string& detail, platform::FileFailure failure)
    : std::runtime_error(detail.empty() ? ErrorKindName(kind) : detail), kind_(kind), failure_(std::move(failure)) {}

void Raise(ErrorKind kind, const std::string& detail) { throw Error(kind, detail); }

void RaiseFileError(ErrorKind kind, platform::FileFailure failure) {
  std::string detail = std::string(ErrorKindName(kind)) + ": " + failure.Path;
  if (!failure.SystemText.empty()) detail += " (" + failure.SystemText + ")";
  throw Error(kind, detail, std::move(failure));
}

const platform::FileFailure* FileFailureOf(const std::exception& error) {
  const auto* file_error = dynamic_cast<const Error*>(&error);
  return file_error != nullptr && !file_error->failure().Path.empty() ? &file_error->failure() : nullptr;
}

platform::FileFailure FailureOf(const std::exception& error, const std::string& path) {
  const platform::FileFailure* failure = FileFailureOf(error);
  return failure != nullptr ? *failure : platform::FailureAt(platform::FileFault::Other, path);
}

}  // namespace fragtally
