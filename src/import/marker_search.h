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

// The game may be writing its log while it is imported. The end of the log's
// last whole line (the offset after its last LF, 0 when it has none): a line
// without its line end is still being written.
std::uint64_t WholeLinesEnd(platform::InputFile& log);

// Where statistics blocks that are still being written may start: the end of
// the last terminator line within the last `searched` bytes of the log, or,
// when that window holds none, the window's start. A block whose header
// starts there or later has no terminator after it yet.
inline constexpr std::uint64_t kBlockTailSearched = 1u << 20;
std::uint64_t UnfinishedBlocksFrom(platform::InputFile& log, std::uint64_t searched = kBlockTailSearched);

}  // namespace fragtally
