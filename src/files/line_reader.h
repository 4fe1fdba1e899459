#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fragtally {

// Reads a text file line by line, byte for byte. A line ends at LF; one CR
// directly before the LF is dropped, any other CR stays in the line. A last
// line without a line end is still a line. A read error part-way raises
// ReadFailed. The file is closed with the reader.
class LineReader {
 public:
  // Opens a file for reading; false when it cannot be opened or is a folder.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  // True when no line is left.
  bool AtEnd();
  // Reads the next line into `line`; false (and `line` empty) at the end.
  bool ReadLine(std::string& line);

 private:
  bool Fill();

  std::unique_ptr<platform::InputFile> file_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool eof_ = true;
};

}  // namespace fragtally
