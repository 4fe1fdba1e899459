#pragma once

// The end-to-end transcripts (tests/gui/reference_run.cpp for the Linux window,
// tests/win32/driver.cpp for the Windows program) are compared byte for byte,
// so both write a value the same way: one line, backslash, CR and LF escaped.

#include <string>

namespace fragtally::testing {

inline std::string TranscriptEscaped(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

}  // namespace fragtally::testing
