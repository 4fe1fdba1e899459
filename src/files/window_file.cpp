#include "files/window_file.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "files/line_reader.h"
#include "files/paths.h"
#include "stats/numbers.h"

namespace fragtally {

namespace {

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_';
}

// An optional '-' and one to nine digits: a screen coordinate or size, and
// never an overflow.
std::optional<std::int64_t> WholeNumber(std::string_view text) {
  const bool negative = text.starts_with('-');
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

}  // namespace

WindowValues LoadWindowValues(const FileState& state) {
  WindowValues values;
  try {
    LineReader file;
    if (!file.Open(WindowFilePath(state))) return values;
    std::string line;
    // A few lines are the file; a long one is something else, read no further.
    constexpr int kMostLines = 1000;
    for (int number = 0; number < kMostLines && file.ReadLine(line); ++number) {
      std::string_view text = line;
      if (number == 0 && text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
      const auto equals = text.find('=');
      if (equals == std::string_view::npos || equals == 0) continue;
      const std::string_view name = text.substr(0, equals);
      if (!std::all_of(name.begin(), name.end(), IsNameCharacter)) continue;
      if (const auto value = WholeNumber(text.substr(equals + 1))) values[std::string(name)] = *value;
    }
  } catch (const std::exception&) {
    // Unreadable: the windows take their defaults.
    values.clear();
  }
  return values;
}

void SaveWindowValues(const FileState& state, const WindowValues& values) {
  std::string contents;
  for (const auto& [name, value] : values) {
    contents += name;
    contents += '=';
    if (value < 0) contents += '-';
    AppendNumber(contents, value < 0 ? -value : value);
    contents += "\r\n";
  }
  ReplaceFile(WindowFilePath(state), contents);
}

}  // namespace fragtally
