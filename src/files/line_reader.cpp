#include "files/line_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "stats/error.h"

namespace fragtally {

namespace {
// Bytes read at a time; a small file gets a buffer of its own size.
constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kSmallest = 4096;
}

bool LineReader::Open(const std::string& path, platform::FileFailure* failure) {
  std::unique_ptr<platform::InputFile> file = platform::Files().OpenForReading(path, failure);
  if (file == nullptr) {
    Close();
    return false;
  }
  Open(std::move(file));
  return true;
}

void LineReader::Open(std::unique_ptr<platform::InputFile> file) {
  Close();
  file_ = std::move(file);
  const long long size = file_->Size();
  const std::size_t wanted = size < 0 || static_cast<unsigned long long>(size) >= kChunk
                                 ? kChunk
                                 : std::max(kSmallest, static_cast<std::size_t>(size) + 1);
  if (capacity_ < wanted) {
    buffer_.reset(new char[wanted]);
    capacity_ = wanted;
  }
  begin_ = end_ = 0;
  file_offset_ = 0;
  eof_ = false;
}

void LineReader::Close() {
  file_.reset();
  digest_ = nullptr;
  eof_ = true;
  begin_ = end_ = 0;
  file_offset_ = 0;
}

void LineReader::StartAt(std::uint64_t offset) {
  begin_ = end_ = 0;
  file_offset_ = offset;
  eof_ = file_ == nullptr;
}

// Reads more bytes behind the unread ones; false when nothing more came.
bool LineReader::Fill() {
  if (eof_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (capacity_ - end_ < capacity_ / 2) {  // a line longer than half the buffer: make room
    std::unique_ptr<char[]> larger(new char[capacity_ * 2]);
    std::memcpy(larger.get(), buffer_.get(), end_);
    buffer_ = std::move(larger);
    capacity_ *= 2;
  }
  long long got = file_->ReadAt(file_offset_, buffer_.get() + end_, capacity_ - end_);
  if (got > 0) {
    if (digest_ != nullptr) digest_->Update(std::string_view(buffer_.get() + end_, static_cast<std::size_t>(got)));
    end_ += static_cast<std::size_t>(got);
    file_offset_ += static_cast<std::uint64_t>(got);
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

bool LineReader::NextLine(std::string_view& line) {
  std::size_t searched = begin_;
  for (;;) {
    const char* start = buffer_.get();
    const void* lf = searched < end_ ? std::memchr(start + searched, '\n', end_ - searched) : nullptr;
    if (lf != nullptr) {
      std::size_t at = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
      std::size_t stop = (at > begin_ && start[at - 1] == '\r') ? at - 1 : at;
      line = std::string_view(start + begin_, stop - begin_);
      begin_ = at + 1;
      if (line_digest_ != nullptr) DigestLine(line);
      return true;
    }
    std::size_t unread = end_ - begin_;
    if (!Fill()) {
      if (begin_ == end_) {
        line = {};
        return false;
      }
      // The last line, without a line end.
      std::size_t stop = buffer_[end_ - 1] == '\r' ? end_ - 1 : end_;
      line = std::string_view(buffer_.get() + begin_, stop - begin_);
      begin_ = end_;
      if (line_digest_ != nullptr) DigestLine(line);
      return true;
    }
    searched = begin_ + unread;
  }
}

void LineReader::DigestLine(std::string_view line) {
  line_digest_->UpdateLine(line);
}

bool LineReader::ReadLine(std::string& line) {
  std::string_view view;
  bool got = NextLine(view);
  line.assign(view);
  return got;
}

}  // namespace fragtally
