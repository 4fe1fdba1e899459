#pragma once

// Whether bytes are UTF-8. The program keeps every text as bytes; where a
// text must become characters (a path for the system, a name on the screen
// or in a report), valid UTF-8 is read as UTF-8 and anything else in an
// older single-byte code page.

#include <string_view>

namespace fragtally::platform {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF,
// no sequence cut short.
bool IsValidUtf8(std::string_view bytes);

}  // namespace fragtally::platform
