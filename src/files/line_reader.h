#pragma once

#include <string>
#include <vector>

namespace fragtally {

// Reads a text file line by line, byte for byte. A line ends at LF; one CR
// directly before the LF is dropped, any other CR stays in the line. A last
// line without a line end is still a line. The file is closed with the reader.
class LineReader {
 public:
  LineReader() = default;
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens a regular file for reading; false when it cannot be opened or is a folder.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // True when no line is left. A read error counts as the end of the file.
  bool AtEnd();
  // Reads the next line into `line`; false (and `line` empty) at the end.
  bool ReadLine(std::string& line);

  // Whether a read error stopped the reading early.
  bool Failed() const { return failed_; }

 private:
  bool Fill();

  int fd_ = -1;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  bool failed_ = false;
};

}  // namespace fragtally
