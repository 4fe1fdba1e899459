#pragma once

// Everything the program reads is bytes: player names come from the game's
// log (Windows-1251) or from files a player edited (often UTF-8). A window
// shows valid UTF-8 as UTF-8 and anything else as Windows-1251, each line by
// itself. This is the one place where bytes become characters.

#include <cstddef>
#include <string>
#include <string_view>

namespace fragtally {

// One line (a name, a label's text) as UTF-16.
std::u16string DisplayText(std::string_view bytes);

// Text of several lines (a trace chunk, a message): each line decoded by
// itself; CR LF and LF line ends become `line_end`, any other CR stays.
std::u16string DisplayLines(std::string_view bytes, std::u16string_view line_end);

// How many UTF-16 characters DisplayLines gives for `bytes`, counted a block
// at a time (a long trace is never converted whole).
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

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Windows-1251 by the program's own table; 0x98 (unassigned) shows as U+FFFD.
std::u16string DecodeWindows1251(std::string_view bytes);

// UTF-16 back to UTF-8 (for a window toolkit's own strings).
std::string ToUtf8(std::u16string_view text);

}  // namespace fragtally
