#pragma once

// Strings between the program (bytes, UTF-16 from app/text_decoding.h) and
// the system's wide-character calls.

#include <string>
#include <string_view>

namespace fragtally::win32 {

// UTF-16 from text_decoding.h as the system's wide characters (both are UTF-16).
std::wstring Wide(std::u16string_view text);

// Bytes in the system's ANSI code page as wide characters. (File names go
// through platform::WidePath, which also takes UTF-8.)
std::wstring FromAnsiCodePage(std::string_view bytes);

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view utf8);

}  // namespace fragtally::win32
