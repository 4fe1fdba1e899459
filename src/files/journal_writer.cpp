#include "files/journal_writer.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/platform.h"
#include "stats/error.h"

namespace fragtally {

namespace {

// An import's lines are made and appended in batches of this many blocks
// (JournalLineWriter): about a MiB of lines.
constexpr std::size_t kJournalBatch = 8192;

// Makes the lines of `lines` at the end of `text`.
void MakeLines(std::int64_t import, const std::vector<JournalLineWriter::Line>& lines, std::string& text) {
  std::size_t used = text.size();
  const auto view = [](const std::string* text) { return text != nullptr ? std::string_view(*text) : std::string_view(); };
  for (const JournalLineWriter::Line& line : lines)
    AppendMatchLine(text, used, import,
                    {view(line.Session), line.Position, *line.Name, &line.Added, line.Match, view(line.Map),
                     line.Match > 0 ? std::optional<std::uint64_t>(line.Digest) : std::nullopt});
  text.resize(used);
}

}  // namespace

// The helper thread: makes a batch's lines and appends them, one batch at a
// time, handed on by Give and waited for by Take.
class JournalLineWriter::Maker {
 public:
  Maker(std::string path, std::int64_t import) : path_(std::move(path)), import_(import), thread_([this] { Run(); }) {}
  // Waits for the batch it has, whose lines still reach the journal: a writer
  // dropped without Settle gives up its number (no C line follows them).
  ~Maker() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  // Hands `lines` on; it comes back empty.
  void Give(std::vector<Line>& lines) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !busy_; });
    lines_.swap(lines);
    busy_ = true;
    changed_.notify_all();
  }

  // Waits until the batch last given is appended; raises what stopped it.
  void Take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !busy_; });
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return busy_ || stop_; });
      if (!busy_) return;
      lock.unlock();
      try {
        text_.clear();
        MakeLines(import_, lines_, text_);
        AppendToJournal(path_, text_);
      } catch (...) {  // a test's crash, too, is raised where the batch is taken
        failure_ = std::current_exception();
      }
      lines_.clear();
      lock.lock();
      busy_ = false;
      changed_.notify_all();
    }
  }

  const std::string path_;
  const std::int64_t import_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool busy_ = false, stop_ = false;
  std::vector<Line> lines_;  // while busy_, the thread's own
  std::string text_;
  std::exception_ptr failure_;
  std::thread thread_;  // last: it starts once the rest is made
};

// The batches grow as gathered: a small import (most of them) takes little.
JournalLineWriter::JournalLineWriter(std::string path, std::int64_t import) : path_(std::move(path)), import_(import) {}

JournalLineWriter::~JournalLineWriter() = default;

namespace {

// `names[index]` escaped, from `escaped`, which grows as far as needed;
// nullptr for index -1.
const std::string* Escaped(std::deque<std::string>& escaped, const std::vector<std::string>& names,
                           std::int32_t index) {
  if (index < 0) return nullptr;
  const auto at = static_cast<std::size_t>(index);
  while (escaped.size() <= at) {
    const std::string& name = names[escaped.size()];
    AppendEscaped(escaped.emplace_back(), name);
  }
  return &escaped[at];
}

}  // namespace

void JournalLineWriter::Add(const std::vector<std::string>& sessions, const std::vector<std::string>& maps,
                            const PlayerTable& table, const PendingBlock& block) {
  gathered_.push_back({&table.PlayerName[block.Slot], Escaped(sessions_, sessions, block.Session), block.Position,
                       block.Added, block.Match, Escaped(maps_, maps, block.Map), block.Digest});
  if (gathered_.size() < kJournalBatch) return;
  // To the helper thread, once the batch before is appended; without one
  // (the system would not start it), appended here.
  if (maker_ == nullptr && !without_helper_) {
    try {
      maker_ = std::make_unique<Maker>(path_, import_);
    } catch (const std::system_error&) {
      without_helper_ = true;
    }
  }
  if (without_helper_) return AppendGathered(nullptr);
  Settle();
  maker_->Give(gathered_);
  making_ = kJournalBatch;
}

void JournalLineWriter::Settle() {
  if (making_ == 0) return;
  const std::size_t lines = std::exchange(making_, 0);
  maker_->Take();
  appended_ += lines;
}

void JournalLineWriter::Finish(const JournalCommit& commit) {
  Settle();
  AppendGathered(&commit);
}

void JournalLineWriter::AppendGathered(const JournalCommit* commit) {
  std::string text;
  MakeLines(import_, gathered_, text);
  if (commit != nullptr) AppendCommit(text, *commit);
  AppendToJournal(path_, text);
  appended_ += gathered_.size();
  gathered_.clear();
}

void AppendImportToJournal(const std::string& path, const JournalState& journal, const PlayerTable& table,
                           const JournalCommit& commit) {
  JournalLineWriter lines(path, commit.Import);
  const std::size_t ahead = journal.AheadImport == commit.Import ? journal.AheadBlocks : 0;
  for (std::size_t i = ahead; i < journal.Pending.size(); ++i) lines.Add(journal.Sessions, journal.Maps, table, journal.Pending[i]);
  lines.Finish(commit);
}

void AppendToJournal(const std::string& path, std::string_view text) {
  platform::FileFailure failure;
  if (!platform::Files().AppendToFile(path, text, failure)) RaiseFileError(ErrorKind::WriteFailed, failure);
}

}  // namespace fragtally
