// The digest names blocks in journals already written and files on disk:
// its values may never change, however the bytes arrive.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "files/file_digest.h"
#include "files/line_reader.h"
#include "test_support.h"

namespace fragtally {
namespace {

// Values as journals hold them.
TEST(FileDigest, KeepsTheValuesWrittenBefore) {
  EXPECT_EQ(DigestOf(""), 0x9CA066F1A4AB2EEAull);
  EXPECT_EQ(DigestOf("a"), 0xCFB34330039BCB3Full);
  EXPECT_EQ(DigestOf("console:  \n"), 0xD8CC34F041C9DA99ull);
  EXPECT_EQ(DigestOf("console: Stats for: Riqui\n"), 0x34F2549F765BDC7Aull);
  EXPECT_EQ(DigestOf("0123456789abcdef"), 0xF48A8163938CBFFBull);
  EXPECT_EQ(DigestOf("0123456789abcdefg"), 0xE293D94B9A243639ull);
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes.push_back(static_cast<char>((i * 131 + 7) % 256));
  EXPECT_EQ(DigestOf(bytes), 0x28ABF75141A1E7BCull);
  ContentDigest block;
  for (const char* line : {"console: Stats for: Riqui", "console: Gauntlet:   3",
                           "console: Machinegun:   503/833     60%", "console:  "})
    block.UpdateLine(line);
  EXPECT_EQ(block.Value(), 0x5F5F9631025F6EBCull);
}

// Any cut into pieces, lines or not, gives the digest of the whole.
TEST(FileDigest, TheSameWhateverThePieces) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 90, '\0');
    for (char& c : bytes) c = static_cast<char>(random() % 4 == 0 ? '\n' : random());
    const std::uint64_t whole = DigestOf(bytes);
    ContentDigest pieces;
    for (std::size_t at = 0; at < bytes.size();) {
      const std::size_t size = std::min<std::size_t>(bytes.size() - at, random() % 19);
      pieces.Update(std::string_view(bytes).substr(at, size));
      at += size;
    }
    EXPECT_EQ(pieces.Value(), whole) << "round " << round;
    // The same bytes as lines, each with its LF.
    ContentDigest lines;
    std::string_view rest = bytes;
    while (!rest.empty() && rest.find('\n') != std::string_view::npos) {
      const std::size_t lf = rest.find('\n');
      lines.UpdateLine(rest.substr(0, lf));
      rest.remove_prefix(lf + 1);
    }
    lines.Update(rest);
    EXPECT_EQ(lines.Value(), whole) << "round " << round;
  }
}

// A file's lines give one digest whether they end in CR LF or LF.
TEST(FileDigest, LinesTheSameWithEitherLineEnd) {
  testing::TempDir folder;
  const std::string lines = "console: Stats for: ko\nconsole: Kills: 1     Deaths: 2\nconsole:  \nlast";
  std::string crlf;
  for (char c : lines) crlf.append(c == '\n' ? "\r\n" : std::string(1, c));
  std::uint64_t digests[2];
  int i = 0;
  for (const std::string* text : {&lines, static_cast<const std::string*>(&crlf)}) {
    const std::string path = (folder.path() / ("log" + std::to_string(i) + ".txt")).string();
    testing::WriteFile(path, *text);
    LineReader reader;
    ASSERT_TRUE(reader.Open(path));
    ContentDigest digest;
    reader.DigestLinesInto(&digest);
    std::string_view line;
    while (reader.NextLine(line)) {
    }
    digests[i++] = digest.Value();
  }
  EXPECT_EQ(digests[0], digests[1]);
  EXPECT_EQ(digests[0], DigestOf(lines + "\n"));
}

}  // namespace
}  // namespace fragtally
