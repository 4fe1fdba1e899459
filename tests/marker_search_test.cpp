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

// Where blocks still being written may start: after the last terminator
// line, found from the end back over lines of every length, whatever the
// pieces the file is read in.
TEST(MarkerSearch, BlocksStillBeingWrittenStartAfterTheLastTerminator) {
  MemoryFileSystem files;
  auto from = [&](const std::string& log, std::uint64_t searched = 1u << 20) {
    files.Write("LOG.txt", log);
    return UnfinishedBlocksFrom(*files.OpenForReading("LOG.txt"), searched);
  };
  EXPECT_EQ(from("console:  \r\nconsole: Stats for: A\r\n"), 12u);
  EXPECT_EQ(from("console:  \nx\nconsole:  \r\nconsole: Stats for: A\n"), 25u) << "the last one";
  EXPECT_EQ(from("console: Stats for: A\r\n"), 0u) << "none at all";
  EXPECT_EQ(from("console:   \r\nxconsole:  \r\n"), 0u) << "only a whole line is a terminator";
  for (std::size_t length : {(64u << 10) - 13, (64u << 10) - 12, (64u << 10) - 11, 64u << 10, (64u << 10) + 1,
                             (128u << 10) - 12, 300u << 10}) {
    SCOPED_TRACE(length);
    // A terminator, then a long line whose end falls on or near a piece's edge.
    const std::string log = "console:  \r\n" + std::string(length, 'x') + "console:  \r\n";
    EXPECT_EQ(from(log), 12u) << "the long line merely ends in the terminator's text";
    EXPECT_EQ(from(log + "y\n"), 12u);
    EXPECT_EQ(from("a\n" + std::string(length, 'x') + "\nconsole:  \n" + std::string(length, 'y') + "\n"),
              length + 3 + 11);
  }
  EXPECT_EQ(from("console:  \r\n" + std::string(5000, 'x') + "\n", 1000), 5013u - 1000)
      << "none within the bytes searched: from where the search stopped";
  EXPECT_EQ(WholeLinesEnd(*(files.Write("L", "a\r\nb"), files.OpenForReading("L"))), 3u);
  EXPECT_EQ(WholeLinesEnd(*(files.Write("L", "no line end"), files.OpenForReading("L"))), 0u);
  EXPECT_EQ(WholeLinesEnd(*(files.Write("L", std::string(200000, 'x') + "\n" + std::string(100000, 'y')),
                            files.OpenForReading("L"))),
            200001u);
}

}  // namespace
}  // namespace fragtally
