#pragma once

// Everything the program reads is bytes: player names come from the game's
// log (Windows-1251) or from files a player edited (often UTF-8). Where they
// become characters (the windows, the HTML report and the CSV table), valid
// UTF-8 is read as UTF-8 and anything else as Windows-1251, each line by
// itself. This is the one place where bytes become characters.

#include <string>
#include <string_view>

namespace fragtally {

// One line (a name, a label's text) as UTF-16.
std::u16string DisplayText(std::string_view bytes);

// Text of several lines (a trace chunk, a message): each line decoded by
// itself; CR LF and LF line ends become `line_end`, any other CR stays.
std::u16string DisplayLines(std::string_view bytes, std::u16string_view line_end);

// Windows-1251 by the program's own table; 0x98 (unassigned) shows as U+FFFD.
std::u16string DecodeWindows1251(std::string_view bytes);

// UTF-16 as UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

}  // namespace fragtally
