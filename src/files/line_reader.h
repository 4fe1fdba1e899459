#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/file_digest.h"
#include "platform/platform.h"

namespace fragtally {

// A UTF-8 byte-order mark, as text editors put at the start of a file.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Reads a text file line by line, byte for byte. A line ends at LF; one CR
// directly before the LF, or before the end of the file, is dropped; any
// other CR stays in the line. A last line without a line end is still a line.
// A read error part-way raises ReadFailed. The file is closed with the reader.
class LineReader {
 public:
  LineReader();
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens a file for reading; false when it cannot be opened or is a folder
  // (`failure`, when given, says why).
  bool Open(const std::string& path, platform::FileFailure* failure = nullptr);
  // Reads `file`, which the reader then owns.
  void Open(std::unique_ptr<platform::InputFile> file);
  void Close();
  // The file; not to be read while a helper reads ahead (see ReadAhead).
  platform::InputFile& File() { return *file_; }

  // From here on, a helper thread reads the file ahead, `chunk` bytes at a
  // time, and finds its line ends while the lines before are used: for a
  // large file whose every line is wanted. The lines, positions and failures
  // are those of reading without it. Without a thread (the system would not
  // start one) the file is read as before. Not with DigestInto.
  // `digest_blocks`: the helper digests each statistics block too, from its
  // header to its terminator (or the file's end, or a failed read), as
  // DigestLinesInto would; BlockDigest then tells them.
  void ReadAhead(std::size_t chunk, bool digest_blocks = false);
  // Whether the helper digests blocks.
  bool DigestsBlocks() const { return ahead_ != nullptr && digest_blocks_; }
  // The digest of the block whose header ended at `start_end` (where
  // Position was right after it), once its last line is read; 0 when the
  // helper digested no such block.
  std::uint64_t BlockDigest(std::uint64_t start_end);

  // Where the next line starts, in bytes from the start of the file.
  std::uint64_t Position() const { return file_offset_ - (end_ - begin_); }
  // Goes on reading at `offset`, which is where a line starts.
  void StartAt(std::uint64_t offset);

  // True when no line is left.
  bool AtEnd();
  // The next line as a view into the reader's buffer, valid until the next
  // call; false (and an empty view) at the end.
  bool NextLine(std::string_view& line) {
    if (ahead_ != nullptr) return NextAheadLine(line);
    return NextReadLine(line);
  }
  // The same, copied into `line`.
  bool ReadLine(std::string& line);

  // Every byte read from now on also goes into `digest` (nullptr: none);
  // read to the end from the start, it is the file's digest.
  void DigestInto(ContentDigest* digest) { digest_ = digest; }
  // Every line returned from now on also goes into `digest` (nullptr: none),
  // each followed by one LF whatever its line end was.
  void DigestLinesInto(ContentDigest* digest) { line_digest_ = digest; }

 private:
  class Ahead;
  bool Fill();
  bool NextReadLine(std::string_view& line);
  bool NextAheadLine(std::string_view& line);
  bool NextChunk();
  void StartAhead(std::size_t chunk);
  void StopAhead();
  void DigestLine(std::string_view line);

  std::unique_ptr<platform::InputFile> file_;
  std::unique_ptr<char[]> buffer_;  // not zeroed: only bytes read are looked at
  std::size_t capacity_ = 0;
  std::size_t begin_ = 0;          // first unread byte in the buffer
  std::size_t end_ = 0;            // end of the bytes in the buffer
  std::uint64_t file_offset_ = 0;  // where the bytes after end_ start in the file
  bool eof_ = true;
  ContentDigest* digest_ = nullptr;
  ContentDigest* line_digest_ = nullptr;
  // While a helper reads ahead: it, and the chunk the lines come from (the
  // buffer's bytes are then the chunk's; next_end_ indexes its line ends).
  std::unique_ptr<Ahead> ahead_;
  const char* chunk_bytes_ = nullptr;
  const std::size_t* chunk_ends_ = nullptr;
  std::size_t chunk_lines_ = 0, next_end_ = 0;
  std::size_t chunk_size_ = 0;
  bool digest_blocks_ = false;
  // The digests of the blocks that ended in the chunks taken: where each
  // block's first line ends, and its digest; from `next_digest_` on unasked.
  std::vector<std::pair<std::uint64_t, std::uint64_t>> digests_;
  std::size_t next_digest_ = 0;
};

}  // namespace fragtally
