#pragma once

// Everything the program reads is bytes: player names come from the game's
// log (Windows-1251) or from files a player edited (often UTF-8). A window
// shows valid UTF-8 as UTF-8 and anything else as Windows-1251, each line by
// itself. This is the one place where bytes become characters.

#include <string>
#include <string_view>

namespace fragtally {

// One line (a name, a label's text) as UTF-16.
std::u16string DisplayText(std::string_view bytes);

// Text of several lines (a trace chunk, a message): each line decoded by
// itself; CR LF and LF line ends become `line_end`, any other CR stays.
std::u16string DisplayLines(std::string_view bytes, std::u16string_view line_end);

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Windows-1251 by the program's own table; 0x98 (unassigned) shows as U+FFFD.
std::u16string DecodeWindows1251(std::string_view bytes);

// UTF-16 back to UTF-8 (for a window toolkit's own strings).
std::string ToUtf8(std::u16string_view text);

}  // namespace fragtally
