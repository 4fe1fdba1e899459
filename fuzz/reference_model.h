#pragma once

// A second, deliberately plain reading of the statistics rules: numbers, the
// thirteen statistics lines, blocks, the statistics-file load and the log
// import loop. It shares no code with the program; the fuzz targets run both
// on every input and compare the outcomes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "stats/error.h"

namespace fragtally::fuzz {

// The number at the start of a field; nullopt when it is too large for a double.
std::optional<double> ReferenceNumber(std::string_view field);

// The lines of a file as the program reads them: split at LF, one CR right
// before the LF dropped, a last line without LF kept.
std::vector<std::string_view> SplitLines(std::string_view bytes);

struct RefPlayer {
  std::string name;
  SlotCounters counters{};
};

struct RefTable {
  std::vector<RefPlayer> players;
  std::string trace;
  std::string current_name;
  int current_player = 0;
};

struct LineOutcome {
  bool recognised = false;
  std::optional<ErrorKind> error;
};

// One statistics line added to `counters`; the trace line goes to `trace`
// only when the whole line was read.
LineOutcome ReferenceParseLine(std::string_view line, SlotCounters& counters, std::string& trace);

// The block whose header is lines[next - 1]; `next` ends after its last line.
std::optional<ErrorKind> ReferenceAddBlock(const std::vector<std::string_view>& lines, std::size_t& next,
                                           RefTable& table);

// The statistics-file load; nullopt when the end of the file was reached.
std::optional<ErrorKind> ReferenceLoad(std::string_view bytes, RefTable& table);

enum class RefImport { Completed, LogUnchanged, Failed };

// The import over the log's lines (no panels, no files): the last line
// outside a block equal to `marker` anchors it; of that line's session the
// first `counted` blocks (all when unknown) are skipped; everything else is
// added, and `marker` and `counted` follow the start-up lines.
RefImport ReferenceImportLines(std::string_view bytes, std::string& marker, std::optional<std::int64_t>& counted,
                               RefTable& table);

// Whether AccuracyText fails (the rounded percentage leaves 16 bits).
bool ReferenceAccuracyFails(std::int32_t hits, std::int32_t shots);

// Compares the program's table with the reference.
void CheckSameTable(const WindowState& state, const RefTable& table);

}  // namespace fragtally::fuzz
