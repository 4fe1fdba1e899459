// The search for the remembered start-up line, from the end of the log: line
// ends, block structure, and places where the file is read in pieces.
#include <gtest/gtest.h>

#include <string>

#include "import/marker_search.h"
#include "memory_file_system.h"

namespace fragtally {
namespace {

using testing::MemoryFileSystem;

const std::string kMarker = "--- Fs_startup : Mon Dec 07 21:15:03 2026";

std::optional<std::uint64_t> Find(const std::string& log, const std::string& marker = kMarker) {
  MemoryFileSystem files;
  files.Write("LOG.txt", log);
  auto file = files.OpenForReading("LOG.txt");
  return FindMarkerLine(*file, marker);
}

TEST(MarkerSearch, AWholeLineOnlyAndTheOffsetAfterIt) {
  EXPECT_EQ(Find(kMarker + "\r\nx\r\n"), kMarker.size() + 2);
  EXPECT_EQ(Find("a\n" + kMarker + "\nb"), 2 + kMarker.size() + 1);
  EXPECT_EQ(Find("a\r\n" + kMarker), 3 + kMarker.size()) << "the last line, without a line end";
  EXPECT_EQ(Find("a\r\n" + kMarker + "\r"), 3 + kMarker.size() + 1) << "a CR before the end goes";
  EXPECT_FALSE(Find("x" + kMarker + "\r\n")) << "not at a line start";
  EXPECT_FALSE(Find(kMarker + " \r\n")) << "more on the line";
  EXPECT_FALSE(Find(kMarker + "\r\r\n")) << "only one CR is dropped";
  EXPECT_FALSE(Find(kMarker.substr(0, 20) + "\r\n"));
  EXPECT_FALSE(Find("", kMarker));
  EXPECT_FALSE(Find("anything\r\n", ""));
}

TEST(MarkerSearch, AMarkerEndingInACarriageReturn) {
  const std::string marker = "weird\r";
  EXPECT_EQ(Find("weird\r\r\nx", marker), 8u);
  EXPECT_EQ(Find("weird\r\r", marker), 7u);
  EXPECT_FALSE(Find("weird\r\n", marker)) << "that line is \"weird\"";
}

TEST(MarkerSearch, TheLastOneOutsideABlock) {
  const std::string block = "console: Stats for: Ann\r\nconsole: Gauntlet:   1\r\nconsole:  \r\n";
  const std::string first = kMarker + "\r\n";
  // Twice outside blocks: the second.
  EXPECT_EQ(Find(first + block + first + "tail\r\n"), first.size() + block.size() + first.size());
  // The second inside a block (no terminator before it): the first.
  EXPECT_EQ(Find(first + "console: Stats for: Bob\r\n" + first + "console:  \r\n"), first.size());
  // Inside a block whose header line is itself long.
  EXPECT_FALSE(Find("console: Stats for: " + std::string(200, 'n') + "\r\n" + first));
  // After a terminator that ends nothing, still outside.
  EXPECT_EQ(Find("console:  \r\n" + first), 12 + first.size());
  // A terminator with a CR before its LF counts as one.
  EXPECT_EQ(Find("console: Stats for: A\r\nconsole:  \r\r\n" + first), std::nullopt)
      << "\"console:  \\r\" is no terminator, so the block goes on";
}

TEST(MarkerSearch, PiecesOfTheFileAreJoinedAtEveryBoundary) {
  // The file is searched in pieces of 4 MiB from its end, and lines are read
  // back in pieces of 64 KiB: put the marker across those places.
  const std::size_t piece = 4u << 20;
  for (std::size_t shift : {0u, 1u, 7u, 20u, 41u, 42u, 43u, 60u}) {
    std::string log(piece + 100, 'c');
    for (std::size_t at = 50; at < log.size(); at += 50) log[at] = '\n';
    const std::size_t at = log.size() - piece - shift;  // the marker line starts here
    std::string line = kMarker + "\r\n";
    log.replace(at, line.size(), line);
    log[at - 1] = '\n';
    SCOPED_TRACE(shift);
    EXPECT_EQ(Find(log), at + line.size());
  }
  // A header 200 KiB before the marker, with nothing in between: inside its block.
  std::string far = "console: Stats for: Far\n" + std::string(200u << 10, 'x') + "\n" + kMarker + "\n";
  EXPECT_FALSE(Find(far));
  far = "console:  \n" + far.substr(far.find('\n') + 1);
  EXPECT_TRUE(Find(far));
}

}  // namespace
}  // namespace fragtally
