#include "files/line_reader.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "stats/error.h"
#include "stats/stats_line.h"

namespace fragtally {

namespace {
// Bytes read at a time; a small file gets a buffer of its own size.
constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kSmallest = 4096;
}

// The helper that reads ahead. It reads the file a chunk at a time into one
// of a few slots and finds the chunk's line ends; a chunk holds whole lines
// (the part of a line at its end goes on into the next one), except that the
// file's last line may lack its LF. The reader takes the chunks in turn and
// gives each back for the next bytes when it takes the one after it.
class LineReader::Ahead {
 public:
  struct Chunk {
    std::unique_ptr<char[]> bytes;
    std::size_t capacity = 0;
    std::size_t size = 0;        // whole lines, and the file's last line
    std::uint64_t offset = 0;    // where bytes[0] is in the file
    std::vector<std::size_t> ends;  // each line's end: its LF, or `size` for a last line without one
    // The blocks that ended in it (the last one part-way, at the end or a
    // failure): where each one's first line ends, and its digest.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> digests;
    bool last = false;
    std::exception_ptr failure;  // raised once its lines are used: the reading failed after them
  };

  Ahead(platform::InputFile& file, std::uint64_t offset, std::size_t chunk, bool digest_blocks)
      : file_(file), offset_(offset), chunk_(chunk), digest_blocks_(digest_blocks), thread_([this] { Run(); }) {}

  ~Ahead() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  // Lets go of the chunk taken before (raising its failure, if it had one)
  // and waits for the next; nullptr after the last.
  const Chunk* Next() {
    std::unique_lock lock(mutex_);
    if (holding_) {
      holding_ = false;
      Chunk& done = slots_[taken_ % kSlots];
      ++taken_;
      std::exception_ptr failure = std::exchange(done.failure, nullptr);
      changed_.notify_all();
      if (failure) std::rethrow_exception(failure);
    }
    changed_.wait(lock, [&] { return made_ > taken_ || finished_; });
    if (made_ == taken_) return nullptr;
    holding_ = true;
    return &slots_[taken_ % kSlots];
  }

 private:
  static constexpr std::size_t kSlots = 3;

  void Run() {
    std::string carry;  // the start of a line the chunk before ended in
    for (;;) {
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || made_ - taken_ < kSlots; });
        if (stop_) return;
      }
      Chunk& chunk = slots_[made_ % kSlots];  // the reader is done with it
      const bool in_block = in_block_;  // as the lines before the chunk left it
      const std::uint64_t block_start_end = block_start_end_;
      const ContentDigest block = block_;
      try {
        Fill(chunk, carry);
      } catch (...) {  // none of the chunk's lines is read
        chunk.size = 0;
        chunk.ends.clear();
        chunk.digests.clear();
        chunk.last = true;
        chunk.failure = std::current_exception();
        in_block_ = in_block;
        block_start_end_ = block_start_end;
        block_ = block;
        try {  // the block's lines read before the failure
          EndBlockPart(chunk);
        } catch (...) {
        }
      }
      std::lock_guard lock(mutex_);
      ++made_;
      finished_ = chunk.last;
      changed_.notify_all();
      if (finished_) return;
    }
  }

  void Fill(Chunk& chunk, std::string& carry) {
    const std::size_t wanted = std::max(chunk_, carry.size() * 2);
    if (chunk.capacity < wanted) {
      chunk.bytes.reset(new char[wanted]);
      chunk.capacity = wanted;
    }
    chunk.offset = offset_ - carry.size();
    std::memcpy(chunk.bytes.get(), carry.data(), carry.size());
    std::size_t size = carry.size();
    std::size_t searched = 0;
    chunk.ends.clear();
    chunk.digests.clear();
    for (;;) {
      long long got = 0;
      while (size < chunk.capacity && (got = file_.ReadAt(offset_, chunk.bytes.get() + size, chunk.capacity - size)) > 0) {
        size += static_cast<std::size_t>(got);
        offset_ += static_cast<std::uint64_t>(got);
      }
      const char* bytes = chunk.bytes.get();
      while (const void* lf = searched < size ? std::memchr(bytes + searched, '\n', size - searched) : nullptr) {
        const auto at = static_cast<std::size_t>(static_cast<const char*>(lf) - bytes);
        chunk.ends.push_back(at);
        if (digest_blocks_) DigestLine(chunk, searched, at, at + 1);
        searched = at + 1;
      }
      if (got < 0) {  // the lines read whole count; the part of one after them is lost with the failure
        try {
          Raise(ErrorKind::ReadFailed);
        } catch (...) {
          chunk.failure = std::current_exception();
        }
        chunk.size = searched;
        chunk.last = true;
        EndBlockPart(chunk);
        return;
      }
      if (size < chunk.capacity) {  // the end of the file
        if (searched < size) {
          chunk.ends.push_back(size);
          if (digest_blocks_) DigestLine(chunk, searched, size, size);
        }
        chunk.size = size;
        chunk.last = true;
        EndBlockPart(chunk);
        return;
      }
      if (!chunk.ends.empty()) break;
      // A line longer than the chunk: room for more of it.
      std::unique_ptr<char[]> larger(new char[chunk.capacity * 2]);
      std::memcpy(larger.get(), chunk.bytes.get(), size);
      chunk.bytes = std::move(larger);
      chunk.capacity *= 2;
    }
    chunk.size = searched;
    carry.assign(chunk.bytes.get() + searched, size - searched);
  }

  // The line [begin, end) of the chunk, the next starting at `next`,
  // through the statistics blocks: a block's digest goes with the chunk its
  // last line is in.
  void DigestLine(Chunk& chunk, std::size_t begin, std::size_t end, std::size_t next) {
    const char* bytes = chunk.bytes.get();
    const std::size_t stop = end > begin && bytes[end - 1] == '\r' ? end - 1 : end;
    const std::string_view line(bytes + begin, stop - begin);
    if (!in_block_) {
      if (line.empty() || line[0] != kStatsHeaderPrefix[0] || !IsStatsHeader(line)) return;
      in_block_ = true;
      block_start_end_ = chunk.offset + next;
      block_ = ContentDigest();
    }
    block_.UpdateLine(line);
    if (IsStatsTerminator(line)) {
      in_block_ = false;
      chunk.digests.emplace_back(block_start_end_, block_.Value());
    }
  }

  // The reading stops with the chunk: the block begun, if any, is digested
  // as far as its lines were read.
  void EndBlockPart(Chunk& chunk) {
    if (digest_blocks_ && in_block_) chunk.digests.emplace_back(block_start_end_, block_.Value());
  }

  platform::InputFile& file_;
  std::uint64_t offset_;  // the helper's: where its next read starts
  const std::size_t chunk_;
  const bool digest_blocks_;
  bool in_block_ = false;             // a block has begun and not ended
  std::uint64_t block_start_end_ = 0;  // where its first line ends
  ContentDigest block_;               // its lines so far
  Chunk slots_[kSlots];
  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t made_ = 0, taken_ = 0;  // chunks made by the helper, and given back
  bool holding_ = false;                // the reader holds slots_[taken_ % kSlots]
  bool finished_ = false, stop_ = false;
  std::thread thread_;  // last: it starts once the rest is made
};

LineReader::LineReader() = default;
LineReader::~LineReader() = default;

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
  StopAhead();
  file_.reset();
  digest_ = nullptr;
  eof_ = true;
  begin_ = end_ = 0;
  file_offset_ = 0;
}

void LineReader::StartAt(std::uint64_t offset) {
  if (ahead_ != nullptr) {
    // Within the chunk being read (a block read again): among its lines;
    // anywhere else the helper starts over there.
    const std::uint64_t chunk_start = file_offset_ - end_;
    if (chunk_bytes_ != nullptr && offset >= chunk_start && offset <= file_offset_) {
      begin_ = static_cast<std::size_t>(offset - chunk_start);
      next_end_ = begin_ == end_ ? chunk_lines_
                                 : static_cast<std::size_t>(std::lower_bound(chunk_ends_, chunk_ends_ + chunk_lines_, begin_) -
                                                            chunk_ends_);
      return;
    }
    StopAhead();
    file_offset_ = offset;
    begin_ = end_ = 0;
    StartAhead(chunk_size_);
    return;
  }
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
  if (ahead_ != nullptr) {
    while (begin_ == end_)  // (a chunk may hold no line: the end of the file)
      if (!NextChunk()) return true;
    return false;
  }
  return !Fill();
}

void LineReader::ReadAhead(std::size_t chunk, bool digest_blocks) {
  digest_blocks_ = digest_blocks;
  if (ahead_ != nullptr || file_ == nullptr || digest_ != nullptr || chunk == 0) return;
  // A file of a few chunks is read sooner than a helper starts.
  const long long size = file_->Size();
  if (size >= 0 && static_cast<unsigned long long>(size) < Position() + 4 * chunk) return;
  file_offset_ = Position();
  begin_ = end_ = 0;
  StartAhead(chunk);
}

void LineReader::StartAhead(std::size_t chunk) {
  try {
    ahead_ = std::make_unique<Ahead>(*file_, file_offset_, chunk, digest_blocks_);
    chunk_size_ = chunk;
  } catch (const std::system_error&) {  // no thread: read here
    eof_ = false;
  }
}

void LineReader::StopAhead() {
  if (ahead_ == nullptr) return;
  ahead_.reset();
  chunk_bytes_ = nullptr;
  chunk_ends_ = nullptr;
  chunk_lines_ = next_end_ = 0;
  begin_ = end_ = 0;
  eof_ = false;
  digests_.clear();
  next_digest_ = 0;
}

// The helper's next chunk, once the one before is used up; false at the end.
bool LineReader::NextChunk() {
  const Ahead::Chunk* chunk = nullptr;
  try {
    chunk = ahead_->Next();
  } catch (...) {  // the reading failed: nothing more comes
    chunk_lines_ = next_end_ = 0;
    begin_ = end_;
    throw;
  }
  if (chunk == nullptr) {
    chunk_lines_ = next_end_ = 0;
    begin_ = end_;
    return false;
  }
  // A block's digest is asked for once its last line is read, before the
  // next chunk is taken (or, at the end of the file, the chunk after none).
  digests_.assign(chunk->digests.begin(), chunk->digests.end());
  next_digest_ = 0;
  chunk_bytes_ = chunk->bytes.get();
  chunk_ends_ = chunk->ends.data();
  chunk_lines_ = chunk->ends.size();
  next_end_ = 0;
  begin_ = 0;
  end_ = chunk->size;
  file_offset_ = chunk->offset + chunk->size;
  return true;
}

std::uint64_t LineReader::BlockDigest(std::uint64_t start_end) {
  // Asked in the order the blocks come: the ones before are passed over.
  while (next_digest_ < digests_.size() && digests_[next_digest_].first < start_end) ++next_digest_;
  if (next_digest_ < digests_.size() && digests_[next_digest_].first == start_end) return digests_[next_digest_].second;
  return 0;
}

bool LineReader::NextAheadLine(std::string_view& line) {
  while (next_end_ == chunk_lines_)
    if (!NextChunk()) {
      line = {};
      return false;
    }
  const std::size_t end = chunk_ends_[next_end_++];
  // The helper's bytes and line ends come from its core's cache: asked for
  // a little ahead.
  __builtin_prefetch(chunk_bytes_ + end + 1024);
  __builtin_prefetch(chunk_ends_ + next_end_ + 32);
  const std::size_t stop = end > begin_ && chunk_bytes_[end - 1] == '\r' ? end - 1 : end;
  line = std::string_view(chunk_bytes_ + begin_, stop - begin_);
  begin_ = end < end_ ? end + 1 : end;
  if (line_digest_ != nullptr) DigestLine(line);
  return true;
}

bool LineReader::NextReadLine(std::string_view& line) {
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
