#include "stats/stats_error.h"

namespace fragtally {

const char* ErrorKindName(ErrorKind kind) noexcept {
  switch (kind) {
    case ErrorKind::Overflow:
      return "overflow";
    case ErrorKind::SubscriptOutOfRange:
      return "subscript out of range";
    case ErrorKind::InvalidArgument:
      return "invalid argument";
  }
  return "unknown error";
}

StatsError::StatsError(ErrorKind kind) : std::runtime_error(ErrorKindName(kind)), kind_(kind) {}

void Raise(ErrorKind kind) { throw StatsError(kind); }

}  // namespace fragtally
