#include "files/line_reader.h"

#include <cstring>

#include "stats/error.h"

namespace fragtally {

namespace {
constexpr std::size_t kChunk = 1 << 20;
}

bool LineReader::Open(const std::string& path) {
  Close();
  file_ = platform::Files().OpenForReading(path);
  if (file_ == nullptr) return false;
  buffer_.resize(kChunk);
  begin_ = end_ = 0;
  eof_ = false;
  return true;
}

void LineReader::Close() {
  file_.reset();
  eof_ = true;
  begin_ = end_ = 0;
}

// Reads more bytes behind the unread ones; false when nothing more came.
bool LineReader::Fill() {
  if (eof_ || file_ == nullptr) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (buffer_.size() - end_ < kChunk / 2) buffer_.resize(buffer_.size() * 2);
  long long got = file_->Read(buffer_.data() + end_, buffer_.size() - end_);
  if (got > 0) {
    end_ += static_cast<std::size_t>(got);
    return true;
  }
  eof_ = true;
  if (got < 0) Raise(ErrorKind::ReadFailed);
  return false;
}

bool LineReader::AtEnd() {
  if (begin_ < end_) return false;
  return !Fill();
}

bool LineReader::ReadLine(std::string& line) {
  std::size_t searched = begin_;
  for (;;) {
    const char* start = buffer_.data();
    const void* lf = searched < end_ ? std::memchr(start + searched, '\n', end_ - searched) : nullptr;
    if (lf != nullptr) {
      std::size_t at = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
      std::size_t stop = (at > begin_ && start[at - 1] == '\r') ? at - 1 : at;
      line.assign(start + begin_, stop - begin_);
      begin_ = at + 1;
      return true;
    }
    std::size_t unread = end_ - begin_;
    if (!Fill()) {
      if (begin_ == end_) {
        line.clear();
        return false;
      }
      line.assign(buffer_.data() + begin_, end_ - begin_);
      begin_ = end_;
      return true;
    }
    searched = begin_ + unread;
  }
}

}  // namespace fragtally
