#pragma once

// Long texts for the windows: the trace can hold gigabytes, so it is decoded
// (app/text_decoding.h) a block at a time and never converted whole.

#include <cstddef>
#include <string>
#include <string_view>

#include "app/text/text_decoding.h"

namespace fragtally {

// How many UTF-16 characters DisplayLines gives for `bytes`, counted a block
// at a time.
std::size_t DisplayLinesLength(std::string_view bytes, std::u16string_view line_end);

// Calls `each` with the blocks [begin, end) of `bytes` in order, every block
// of about `block` bytes and ending after a line end (or at the end), so that
// no line is split; stops when `each` returns false.
template <class Each>
void ForEachLineBlock(std::string_view bytes, std::size_t block, Each&& each) {
  std::size_t begin = 0;
  while (begin < bytes.size()) {
    std::size_t end = bytes.size();
    if (end - begin > block) {
      const std::size_t line_end = bytes.find('\n', begin + block - 1);
      end = line_end == std::string_view::npos ? bytes.size() : line_end + 1;
    }
    if (!each(bytes.substr(begin, end - begin))) return;
    begin = end;
  }
}

// The block size the windows decode long texts in.
inline constexpr std::size_t kDisplayBlock = std::size_t{1} << 20;

}  // namespace fragtally
