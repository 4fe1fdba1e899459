#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/platform.h"

namespace fragtally {

// Finds the last line of the log that an import reads outside a block and
// that equals `marker` (a non-empty line), searching from the end of the
// file back over at most `searched` bytes: the offset where the line after
// it starts, or nothing.
//
// A line is read outside a block when the nearest header or terminator line
// before it is a terminator, or when there is none: after a header every line
// belongs to the block up to its terminator.
std::optional<std::uint64_t> FindMarkerLine(platform::InputFile& log, std::string_view marker,
                                            std::uint64_t searched = UINT64_MAX);

}  // namespace fragtally
