#include "import/marker_search.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "stats/error.h"
#include "stats/stats_line.h"

namespace fragtally {

namespace {

constexpr std::size_t kSearchChunk = 4 << 20;
constexpr std::size_t kLineChunk = 64 << 10;

// Reads [from, to) of the file into `out`; raises ReadFailed on an error.
void ReadRange(platform::InputFile& file, std::uint64_t from, std::uint64_t to, std::vector<char>& out) {
  out.resize(static_cast<std::size_t>(to - from));
  std::size_t done = 0;
  while (done < out.size()) {
    long long got = file.ReadAt(from + done, out.data() + done, out.size() - done);
    if (got < 0) Raise(ErrorKind::ReadFailed);
    if (got == 0) break;  // the file shrank
    done += static_cast<std::size_t>(got);
  }
  out.resize(done);
}

// Walks back from a line through the lines before it, reading the file in
// windows from its end towards its start.
class BackwardLines {
 public:
  explicit BackwardLines(platform::InputFile& file) : file_(file) {}

  // Whether the nearest header or terminator line that starts before
  // `line_start` is a terminator (or there is none).
  bool OutsideBlock(std::uint64_t line_start) {
    std::uint64_t end = line_start;  // the line before ends at end - 1, its LF
    while (end > 0) {
      const std::uint64_t lf = end - 1;
      const std::optional<std::uint64_t> before = LastLineFeedBefore(lf);
      const std::uint64_t start = before ? *before + 1 : 0;
      std::string_view line = Head(start, lf);
      if (!line.empty() && line.back() == '\r' && lf - start == line.size()) line.remove_suffix(1);
      if (IsStatsHeader(line)) return false;
      if (line == kStatsTerminator) return true;
      end = start;
    }
    return true;
  }

 private:
  // The last LF in [0, pos).
  std::optional<std::uint64_t> LastLineFeedBefore(std::uint64_t pos) {
    while (pos > 0) {
      if (!(from_ < pos && pos <= from_ + window_.size())) Load(pos);
      std::string_view part(window_.data(), static_cast<std::size_t>(pos - from_));
      std::size_t hit = part.rfind('\n');
      if (hit != std::string_view::npos) return from_ + hit;
      pos = from_;
    }
    return std::nullopt;
  }

  // Loads the window that ends at `end`.
  void Load(std::uint64_t end) {
    from_ = end > kLineChunk ? end - kLineChunk : 0;
    ReadRange(file_, from_, end, window_);
  }

  // The start of the line [start, end) that the header and terminator tests
  // need: a long line is neither a terminator nor anything but a header by
  // its first bytes.
  std::string_view Head(std::uint64_t start, std::uint64_t end) {
    const std::uint64_t keep = std::min<std::uint64_t>(end - start, kStatsHeaderPrefix.size() + 1);
    if (start >= from_ && start + keep <= from_ + window_.size())
      return std::string_view(window_.data() + (start - from_), static_cast<std::size_t>(keep));
    ReadRange(file_, start, start + keep, head_);
    return std::string_view(head_.data(), head_.size());
  }

  platform::InputFile& file_;
  std::vector<char> window_;
  std::uint64_t from_ = 0;
  std::vector<char> head_;
};

std::uint64_t SizeOf(platform::InputFile& file) {
  const long long size = file.Size();
  if (size < 0) Raise(ErrorKind::ReadFailed);
  return static_cast<std::uint64_t>(size);
}

}  // namespace

std::uint64_t WholeLinesEnd(platform::InputFile& log) {
  std::vector<char> chunk;
  for (std::uint64_t high = SizeOf(log); high > 0;) {
    const std::uint64_t low = high > kLineChunk ? high - kLineChunk : 0;
    ReadRange(log, low, high, chunk);
    const std::string_view part(chunk.data(), chunk.size());
    if (const std::size_t lf = part.rfind('\n'); lf != std::string_view::npos) return low + lf + 1;
    high = low;
  }
  return 0;
}

std::uint64_t UnfinishedBlocksFrom(platform::InputFile& log, std::uint64_t searched) {
  const std::uint64_t size = SizeOf(log);
  const std::uint64_t lowest = size > searched ? size - searched : 0;
  std::vector<char> chunk;
  // Pieces [low, high) from the end back to `lowest`; `high` is where a line
  // starts, and every line from there on has been looked at. A line that
  // begins before its piece is looked at with the next piece, which ends
  // where it ends; one longer than a piece (no terminator) is passed over.
  std::uint64_t high = size;
  bool in_long_line = false;  // the line that ends at `high` began before the piece before
  while (high > lowest) {
    const std::uint64_t low = high - lowest > kLineChunk ? high - kLineChunk : lowest;
    const std::uint64_t from = low > 0 ? low - 1 : 0;  // one byte more, to tell whether a line starts at `low`
    ReadRange(log, from, high, chunk);
    if (chunk.size() != high - from) Raise(ErrorKind::ReadFailed);  // the file shrank under the search
    const std::string_view part(chunk.data() + (low - from), static_cast<std::size_t>(high - low));
    const bool line_starts_at_low = low == lowest || chunk[0] == '\n';
    std::size_t end = part.size();
    if (in_long_line) {  // skip the rest of it
      const std::size_t lf = part.rfind('\n');
      if (lf == std::string_view::npos && !line_starts_at_low) {
        high = low;
        continue;
      }
      end = lf == std::string_view::npos ? 0 : lf + 1;
      in_long_line = false;
    }
    while (end > 0) {
      const std::size_t lf_before = end >= 2 ? part.rfind('\n', end - 2) : std::string_view::npos;
      if (lf_before == std::string_view::npos && !line_starts_at_low) break;  // begins before the piece
      const std::size_t start = lf_before == std::string_view::npos ? 0 : lf_before + 1;
      std::string_view line = part.substr(start, end - start);
      if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (IsStatsTerminator(line)) return low + end;
      end = start;
    }
    if (end == part.size() && end > 0) {  // not one line ends in the piece but the last, begun before it
      in_long_line = true;
      end = 0;
    }
    high = low + end;
  }
  return lowest;
}

std::optional<std::uint64_t> FindMarkerLine(platform::InputFile& log, std::string_view marker,
                                            std::uint64_t searched) {
  if (marker.empty()) return std::nullopt;
  const std::uint64_t size = SizeOf(log);
  const std::uint64_t m = marker.size();
  if (m > size) return std::nullopt;
  const bool marker_ends_in_cr = marker.back() == '\r';

  const std::boyer_moore_horspool_searcher searcher(marker.rbegin(), marker.rend());
  BackwardLines lines(log);
  std::vector<char> chunk;
  std::vector<char> byte;

  // Occurrences that start in [low, high), the chunks taken from the end,
  // down to `lowest`.
  const std::uint64_t lowest = size > searched ? size - searched : 0;
  std::uint64_t high = size - m + 1;
  while (high > lowest) {
    const std::uint64_t low = high - lowest > kSearchChunk ? high - kSearchChunk : lowest;
    // One byte before for the line start, the marker, and two bytes after for the line end.
    const std::uint64_t from = low > 0 ? low - 1 : 0;
    const std::uint64_t to = std::min(size, high - 1 + m + 2);
    ReadRange(log, from, to, chunk);
    const char* base = chunk.data();
    const auto at = [&](std::uint64_t offset) { return base[offset - from]; };
    const std::uint64_t available = from + chunk.size();

    // Search backwards among the starts [low, search_end).
    std::uint64_t search_end = high;
    while (search_end > low) {
      const char* first = base + (low - from);
      const char* last = base + std::min<std::uint64_t>(search_end - 1 + m, available) - from;
      auto rfirst = std::make_reverse_iterator(last);
      auto rlast = std::make_reverse_iterator(first);
      auto found = std::search(rfirst, rlast, searcher);
      if (found == rlast) break;
      const std::uint64_t pos = static_cast<std::uint64_t>((found.base() - base)) + from - m;
      search_end = pos;  // the next search looks before this start

      if (pos > 0 && at(pos - 1) != '\n') continue;
      const std::uint64_t end = pos + m;
      std::uint64_t next;  // where the line after it starts
      if (end == size) {
        if (marker_ends_in_cr) continue;  // the CR before the end would be dropped
        next = size;
      } else if (at(end) == '\n') {
        if (marker_ends_in_cr) continue;
        next = end + 1;
      } else if (at(end) == '\r' && (end + 1 == size || at(end + 1) == '\n')) {
        next = end + 1 == size ? size : end + 2;
      } else {
        continue;
      }
      if (lines.OutsideBlock(pos)) return next;
    }
    high = low;
  }
  return std::nullopt;
}

}  // namespace fragtally
