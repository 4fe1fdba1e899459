#pragma once

// The fuzz targets' bodies. Each takes one input, runs it through the core
// and checks the outcome; a failed check goes to the failure handler
// (fuzz_support.h). Built into libFuzzer programs (fuzz/) and into the replay
// test (tests/reliability/).

#include <cstddef>
#include <cstdint>

namespace fragtally::fuzz {

// Byte 0 picks the slot (a player with ordinary, zero, near-maximum or
// near-minimum totals, or a slot outside 1..9999); the rest is the line.
void FuzzStatsLine(const std::uint8_t* data, std::size_t size);

// The whole input is the statistics file: load, compare with the reference,
// save, load the saved file again and compare the totals.
void FuzzStatsFile(const std::uint8_t* data, std::size_t size);

// Byte 0 picks the remembered start-up marker; the rest is the game's log,
// imported after a statistics file of three players was loaded. Then the
// table is saved and loaded again.
void FuzzLogImport(const std::uint8_t* data, std::size_t size);

// The input bytes are the choices of a history of game starts, matches,
// imports, closes and kills (history.h): every match counted exactly once.
void FuzzImportHistory(const std::uint8_t* data, std::size_t size);

// Byte 0 picks the check: ReadNumber on text, FormatRatingValue on a double,
// or the ratings report on two players built from the input.
void FuzzNumbers(const std::uint8_t* data, std::size_t size);

// The input's lines are player names (up to an empty line) and then journal
// sessions: their escaping for HTML holds no markup, the first name's section
// of the report (its matches in those sessions) keeps its markup, and the CSV
// its columns.
void FuzzReport(const std::uint8_t* data, std::size_t size);

}  // namespace fragtally::fuzz

// In a libFuzzer build each target file defines the entry point for its body.
#ifdef FRAGTALLY_LIBFUZZER
#define FRAGTALLY_FUZZ_ENTRY(body)                                                  \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    body(data, size);                                                               \
    return 0;                                                                       \
  }
#else
#define FRAGTALLY_FUZZ_ENTRY(body)
#endif
