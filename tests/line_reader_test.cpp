// The log read ahead by a helper thread gives the lines, positions and
// failures of reading it in place: over chunk ends, CR LF pairs, lines longer
// than a chunk, short reads, a failed read and jumps back and forth.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "files/line_reader.h"
#include "stats/error.h"
#include "stats/stats_line.h"

namespace fragtally {
namespace {

// A file in memory that reads at most `most` bytes at a time and fails at
// `fails_at` and beyond.
class TextFile : public platform::InputFile {
 public:
  TextFile(std::string text, std::size_t most, std::uint64_t fails_at)
      : text_(std::move(text)), most_(most), fails_at_(fails_at) {}
  long long ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    if (offset >= fails_at_) return -1;
    if (offset >= text_.size()) return 0;
    std::size_t n = std::min({size, most_, text_.size() - static_cast<std::size_t>(offset)});
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, fails_at_ - offset));
    std::memcpy(buffer, text_.data() + offset, n);
    return static_cast<long long>(n);
  }
  long long Size() override { return static_cast<long long>(text_.size()); }

 private:
  std::string text_;
  std::size_t most_;
  std::uint64_t fails_at_;
};

struct Read {
  std::vector<std::string> lines;
  std::vector<std::uint64_t> positions;  // before each line, then at the end
  bool failed = false;
  std::uint64_t digest = 0;
};

// Reads to the end; at each `jumps` entry (after that many lines) goes on
// at the start of line `to` seen so far.
Read ReadAll(const std::string& text, std::size_t most, std::uint64_t fails_at, std::size_t ahead,
             const std::vector<std::pair<std::size_t, std::size_t>>& jumps = {}) {
  LineReader reader;
  reader.Open(std::make_unique<TextFile>(text, most, fails_at));
  reader.ReadAhead(ahead);
  ContentDigest digest;
  reader.DigestLinesInto(&digest);
  Read read;
  std::vector<std::uint64_t> starts;
  std::size_t jump = 0;
  try {
    for (;;) {
      if (jump < jumps.size() && read.lines.size() == jumps[jump].first) {
        const std::size_t to = std::min(jumps[jump++].second, starts.size());
        if (to < starts.size()) reader.StartAt(starts[to]);
      }
      read.positions.push_back(reader.Position());
      if (reader.AtEnd()) break;
      std::string_view line;
      if (!reader.NextLine(line)) break;
      starts.push_back(read.positions.back());
      read.lines.emplace_back(line);
    }
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), ErrorKind::ReadFailed);
    read.failed = true;
  }
  read.digest = digest.Value();
  return read;
}

std::string RandomText(std::mt19937& random, std::size_t lines) {
  // (Bytes next to LF's value, and with the top bit set, among them.)
  static const char* const kPieces[] = {"", "a", "console: x", "\r", "Kills: 12", "\r\r", "map: krmdm1", " ", "\x0b\x8a\xff\x09\x01"};
  std::string text;
  for (std::size_t i = 0; i < lines; ++i) {
    const std::size_t length = random() % 5 == 0 ? random() % 300 : random() % 4;
    for (std::size_t j = 0; j < length; ++j) text += kPieces[random() % std::size(kPieces)];
    text += random() % 4 == 0 ? "\r\n" : "\n";
  }
  if (random() % 3 == 0) text += "last line without its end\r";  // a CR at the very end goes too
  return text;
}

void ExpectSame(const Read& ahead, const Read& in_place, const std::string& what) {
  EXPECT_EQ(ahead.lines, in_place.lines) << what;
  EXPECT_EQ(ahead.positions, in_place.positions) << what;
  EXPECT_EQ(ahead.failed, in_place.failed) << what;
  EXPECT_EQ(ahead.digest, in_place.digest) << what;
}

TEST(LineReaderAhead, GivesTheLinesPositionsAndFailuresOfReadingInPlace) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const std::string text = round == 0 ? std::string() : RandomText(random, random() % 200);
    const std::size_t chunk = 1 + random() % 97;
    const std::size_t most = random() % 2 == 0 ? SIZE_MAX : 1 + random() % 5;
    const std::uint64_t fails_at = random() % 4 == 0 ? random() % (text.size() + 1) : UINT64_MAX;
    std::vector<std::pair<std::size_t, std::size_t>> jumps;
    for (int j = random() % 4; j > 0; --j) jumps.emplace_back(random() % 150, random() % 150);
    std::sort(jumps.begin(), jumps.end());
    const std::string what = "round " + std::to_string(round) + ", chunk " + std::to_string(chunk);
    ExpectSame(ReadAll(text, most, fails_at, chunk, jumps), ReadAll(text, most, fails_at, 0, jumps), what);
  }
}

TEST(LineReaderAhead, ReadsALineLongerThanManyChunksWhole) {
  const std::string text = "short\n" + std::string(100000, 'x') + "\r\nnext\n" + std::string(5000, 'y');
  const Read read = ReadAll(text, SIZE_MAX, UINT64_MAX, 16);
  ASSERT_EQ(read.lines.size(), 4u);
  EXPECT_EQ(read.lines[1], std::string(100000, 'x'));
  EXPECT_EQ(read.lines[3], std::string(5000, 'y'));
  EXPECT_EQ(read.positions.back(), text.size());
}

TEST(LineReaderAhead, StopsHalfWayWithoutWaitingForTheRest) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "line " + std::to_string(i) + "\n";
  LineReader reader;
  reader.Open(std::make_unique<TextFile>(text, SIZE_MAX, UINT64_MAX));
  reader.ReadAhead(64);
  std::string_view line;
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(reader.NextLine(line));
  EXPECT_EQ(line, "line 9");
  reader.Close();  // the helper stops; nothing is left running
  EXPECT_TRUE(reader.AtEnd());
}

}  // namespace
}  // namespace fragtally

namespace fragtally {
namespace {

bool StartsBlock(std::string_view line) { return IsStatsHeader(line); }
bool EndsBlock(std::string_view line) { return IsStatsTerminator(line); }

// Each block's digest as the import takes it: where its first line ends,
// and the digest of its lines to its end (the end of the file, or the
// failure); `ahead`: from the helper, otherwise digested in place.
std::vector<std::pair<std::uint64_t, std::uint64_t>> BlockDigests(const std::string& text, std::uint64_t fails_at,
                                                                  std::size_t ahead) {
  LineReader reader;
  reader.Open(std::make_unique<TextFile>(text, SIZE_MAX, fails_at));
  if (ahead > 0) reader.ReadAhead(ahead, true);
  EXPECT_EQ(reader.DigestsBlocks(), ahead > 0 && text.size() >= 4 * ahead);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> digests;
  std::string_view line;
  try {
    while (reader.NextLine(line)) {
      if (!StartsBlock(line)) continue;
      const std::uint64_t start_end = reader.Position();
      ContentDigest digest;
      if (!reader.DigestsBlocks()) {
        digest.UpdateLine(line);
        reader.DigestLinesInto(&digest);
      }
      try {
        while (!EndsBlock(line) && reader.NextLine(line)) {
        }
      } catch (const Error&) {
        reader.DigestLinesInto(nullptr);
        digests.emplace_back(start_end, reader.DigestsBlocks() ? reader.BlockDigest(start_end) : digest.Value());
        throw;
      }
      reader.DigestLinesInto(nullptr);
      digests.emplace_back(start_end, reader.DigestsBlocks() ? reader.BlockDigest(start_end) : digest.Value());
    }
  } catch (const Error&) {
  }
  return digests;
}

TEST(LineReaderAhead, DigestsEachBlockAsTheLinesWouldBeDigestedInPlace) {
  std::mt19937 random(11);
  static const char* const kLines[] = {"console: Stats for: A", "console: Stats for: B\r", "Kills: 3", "b\r", "",
                                       "console:  ",           "console:  \r",            "x console: Stats for: C"};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int i = random() % 120; i > 0; --i) text += std::string(kLines[random() % std::size(kLines)]) + "\n";
    if (random() % 2 == 0) text += "console: Stats for: D";  // a block cut by the end of the file
    const std::uint64_t fails_at = random() % 3 == 0 ? random() % (text.size() + 1) : UINT64_MAX;
    const std::size_t chunk = 1 + random() % 40;
    const auto in_place = BlockDigests(text, fails_at, 0);
    EXPECT_EQ(BlockDigests(text, fails_at, chunk), in_place) << "round " << round << ", chunk " << chunk;
  }
}

}  // namespace
}  // namespace fragtally
