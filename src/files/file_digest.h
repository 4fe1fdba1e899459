#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace fragtally {

// A 64-bit digest of a file's bytes, to tell whether another program changed
// a file since this one read or wrote it. Not for security: any change a
// person or a program makes changes it. The same bytes give the same digest
// however they arrive in pieces.
class ContentDigest {
 public:
  void Update(std::string_view bytes);
  // Update(line), then one LF: a line as the block keys take it.
  void UpdateLine(std::string_view line);
  std::uint64_t Value() const;

 private:
  void Word(std::uint64_t word);
  std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
  std::uint64_t length_ = 0;
  // The bytes not yet in a word, the first in the lowest bits, and how many
  // bits they take (0 to 56).
  std::uint64_t pending_ = 0;
  unsigned pending_bits_ = 0;
};

std::uint64_t DigestOf(std::string_view bytes);

// The digest of the file at `path` as it is now: nullopt when there is no
// such file; a file that exists but cannot be read raises ReadFailed with why.
std::optional<std::uint64_t> DigestOfFile(const std::string& path);

}  // namespace fragtally
