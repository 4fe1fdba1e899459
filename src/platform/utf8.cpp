#include "platform/utf8.h"

#include <cstddef>

namespace fragtally::platform {

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int more;
    unsigned char low = 0x80, high = 0xBF;  // the range of the first continuation byte
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      if (c == 0xE0) low = 0xA0;   // no overlong forms
      if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      if (c == 0xF0) low = 0x90;   // no overlong forms
      if (c == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
      return false;
    }
    if (n - i <= static_cast<std::size_t>(more)) return false;  // cut short
    for (int k = 1; k <= more; ++k) {
      const unsigned char next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return false;
    }
    i += static_cast<std::size_t>(more) + 1;
  }
  return true;
}

}  // namespace fragtally::platform
