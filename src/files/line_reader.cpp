#include "files/line_reader.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fragtally {

namespace {
constexpr std::size_t kChunk = 1 << 20;
}

LineReader::~LineReader() { Close(); }

bool LineReader::Open(const std::string& path) {
  Close();
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  buffer_.resize(kChunk);
  begin_ = end_ = 0;
  eof_ = failed_ = false;
  return true;
}

void LineReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  eof_ = true;
  begin_ = end_ = 0;
}

// Reads more bytes behind the unread ones; false when nothing more came.
bool LineReader::Fill() {
  if (eof_ || fd_ < 0) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (buffer_.size() - end_ < kChunk / 2) buffer_.resize(buffer_.size() * 2);
  for (;;) {
    ssize_t got = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
    if (got > 0) {
      end_ += static_cast<std::size_t>(got);
      return true;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) failed_ = true;
    eof_ = true;
    return false;
  }
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
      std::size_t at = static_cast<const char*>(lf) - start;
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
