#include "stats/trace_text.h"

#include <algorithm>
#include <utility>

#include "platform/platform.h"

namespace fragtally {

namespace {

// Blocks of a megabyte and more come straight from the system.
constexpr std::size_t kLarge = std::size_t{1} << 20;

char* Allocate(std::size_t bytes) {
  return static_cast<char*>(bytes >= kLarge ? platform::AllocateLarge(bytes) : ::operator new(bytes));
}

void Free(char* block, std::size_t bytes) {
  if (block == nullptr) return;
  if (bytes >= kLarge)
    platform::FreeLarge(block, bytes);
  else
    ::operator delete(block);
}

}  // namespace

TraceText::TraceText(const TraceText& other) { append(other); }

TraceText& TraceText::operator=(const TraceText& other) {
  if (this != &other) {
    clear();
    append(other);
  }
  return *this;
}

TraceText::TraceText(TraceText&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

TraceText& TraceText::operator=(TraceText&& other) noexcept {
  if (this != &other) {
    Free(data_, capacity_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

TraceText::~TraceText() { Free(data_, capacity_); }

void TraceText::Grow(std::size_t count) {
  const std::size_t wanted = std::max({size_ + count, capacity_ * 2, std::size_t{256}});
  char* larger = Allocate(wanted);
  if (size_ > 0) std::memcpy(larger, data_, size_);
  Free(data_, capacity_);
  data_ = larger;
  capacity_ = wanted;
}

}  // namespace fragtally
