#pragma once

#include <cstddef>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

namespace fragtally {

// The trace: a text that only grows at its end, a line at a time, to a
// hundred megabytes and more after a large log. Its storage comes in large
// blocks (platform::AllocateLarge) once it is big, and a line is written
// straight into it.
class TraceText {
 public:
  TraceText() = default;
  TraceText(const TraceText& other);
  TraceText& operator=(const TraceText& other);
  TraceText(TraceText&& other) noexcept;
  TraceText& operator=(TraceText&& other) noexcept;
  ~TraceText();

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const char* data() const { return data_ != nullptr ? data_ : ""; }
  operator std::string_view() const { return {data(), size_}; }
  std::string_view substr(std::size_t pos, std::size_t count = std::string_view::npos) const {
    return std::string_view(*this).substr(pos, count);
  }
  std::size_t find(std::string_view text, std::size_t pos = 0) const { return std::string_view(*this).find(text, pos); }
  std::size_t rfind(char c) const { return std::string_view(*this).rfind(c); }

  // Makes room for `count` more bytes at once (a growing text is otherwise
  // copied each time its room doubles).
  void Reserve(std::size_t count) {
    if (capacity_ - size_ < count) Grow(count);
  }

  // The room after the text (Reserve makes it): where the next bytes go.
  char* RoomStart() { return data_ + size_; }
  std::size_t RoomSize() const { return capacity_ - size_; }

  void append(std::string_view text) {
    char* at = Extend(text.size());
    std::memcpy(at, text.data(), text.size());
    size_ += text.size();
  }
  void clear() { size_ = 0; }
  // Takes back what was appended after the text had `size` bytes.
  void Truncate(std::size_t size) {
    if (size < size_) size_ = size;
  }

  // Room for `count` more bytes at the end: write them there, then Commit
  // where the written bytes end.
  char* Extend(std::size_t count) {
    if (capacity_ - size_ < count) Grow(count);
    return data_ + size_;
  }
  void Commit(const char* end) { size_ = static_cast<std::size_t>(end - data_); }

  friend bool operator==(const TraceText& trace, std::string_view text) { return std::string_view(trace) == text; }
  friend std::ostream& operator<<(std::ostream& out, const TraceText& trace) { return out << std::string_view(trace); }

 private:
  void Grow(std::size_t count);

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace fragtally
