#include "stats/error.h"

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
  }
  return "unknown error";
}

Error::Error(ErrorKind kind, const std::string& detail)
    : std::runtime_error(detail.empty() ? ErrorKindName(kind) : detail), kind_(kind) {}

void Raise(ErrorKind kind, const std::string& detail) { throw Error(kind, detail); }

}  // namespace fragtally
