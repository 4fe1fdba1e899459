#include "window/display_text.h"

namespace fragtally {

std::size_t DisplayLinesLength(std::string_view bytes, std::u16string_view line_end) {
  std::size_t length = 0;
  ForEachLineBlock(bytes, kDisplayBlock, [&](std::string_view block) {
    length += DisplayLines(block, line_end).size();
    return true;
  });
  return length;
}

}  // namespace fragtally
