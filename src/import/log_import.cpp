#include "import/log_import.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "files/journal_format.h"
#include "files/line_reader.h"
#include "files/paths.h"
#include "files/stats_file.h"
#include "import/marker_search.h"
#include "platform/platform.h"
#include "stats/stats_line.h"

namespace fragtally {

namespace {

constexpr std::string_view kStartupPrefix = "--- Fs_startup :";

bool IsStartupLine(std::string_view line) {
  return line.size() >= kStartupPrefix.size() &&
         std::memcmp(line.data(), kStartupPrefix.data(), kStartupPrefix.size()) == 0;
}

// A line that does not end a match: empty or blanks, or "console:" followed
// by nothing but blanks (the block terminator among them). Between the
// blocks of one match the game writes nothing else.
bool IsBlankLine(std::string_view line) {
  // (On every line of the log: a loop, where find_first_not_of calls out per character.)
  std::size_t at = line.starts_with("console:") ? 8 : 0;
  for (; at < line.size(); ++at)
    if (line[at] != ' ' && line[at] != '\t') return false;
  return true;
}

// The map a line "map: NAME" names, or none.
constexpr std::string_view kMapPrefix = "map: ";
// The reading tells lines apart by these first bytes.
static_assert(kStatsHeaderPrefix[0] == 'c' && kStartupPrefix[0] == '-' && kMapPrefix[0] == 'm');
std::optional<std::string_view> MapOf(std::string_view line) {
  if (!line.starts_with(kMapPrefix)) return std::nullopt;
  line.remove_prefix(kMapPrefix.size());
  const std::size_t end = line.find_last_not_of(" \t");
  return line.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

// The game session a start-up line opens, as the journal names it: the date
// and time "Www Mmm dd hh:mm:ss yyyy" after the prefix as "yyyy-mm-dd
// hh:mm:ss", anything else as it stands (without the blanks before it).
std::string SessionOf(std::string_view line) {
  std::string_view text = line.substr(std::min(line.size(), kStartupPrefix.size()));
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  static constexpr std::string_view kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const auto digits = [&](std::size_t at, std::size_t n) {
    for (std::size_t i = at; i < at + n; ++i)
      if (text[i] < '0' || text[i] > '9') return false;
    return true;
  };
  // "Sun Dec 06 20:00:00 2026": 24 characters.
  if (text.size() == 24 && text[3] == ' ' && text[7] == ' ' && text[10] == ' ' && text[13] == ':' &&
      text[16] == ':' && text[19] == ' ' && digits(11, 2) && digits(14, 2) && digits(17, 2) && digits(20, 4) &&
      (digits(8, 2) || (text[8] == ' ' && digits(9, 1)))) {
    const std::size_t month = kMonths.find(text.substr(4, 3));
    if (month != std::string_view::npos && month % 3 == 0) {
      std::string session;
      session.reserve(19);
      const char month_text[3] = {static_cast<char>('0' + (month / 3 + 1) / 10),
                                  static_cast<char>('0' + (month / 3 + 1) % 10), 0};
      session.append(text.substr(20, 4)).append("-").append(month_text).append("-");
      session.push_back(text[8] == ' ' ? '0' : text[8]);
      session.push_back(text[9]);
      session.append(" ").append(text.substr(11, 8));
      return session;
    }
  }
  return std::string(text);
}

// Reads past a block that is not added: its lines up to and including the
// terminator, or to the end of the log.
void SkipStatsBlock(LineReader& log) {
  std::string_view line;
  while (log.NextLine(line))
    if (IsStatsTerminator(line)) return;
}

// What an import changes, as it was before: an import that meets the
// remembered line late goes back to it and counts only what follows.
class Snapshot {
 public:
  explicit Snapshot(const FileState& state)
      : players_(state.Table.PlayerCount),
        trace_size_(state.Trace.size()),
        marker_(state.StartupMarker),
        counted_(state.BlocksAfterMarker),
        current_line_(state.CurrentLine),
        current_name_(state.CurrentName),
        current_player_(state.CurrentPlayer),
        scan_index_(state.ScanIndex),
        kills_field_pos_(state.KillsFieldPos) {
    counters_.reserve(kCounterColumns.size() * static_cast<std::size_t>(players_));
    for (const CounterColumn& column : kCounterColumns)
      for (int slot = 1; slot <= players_; ++slot) counters_.push_back((state.Table.*column.Member)[slot]);
  }

  void Restore(FileState& state) const {
    PlayerTable& table = state.Table;
    std::size_t next = 0;
    for (const CounterColumn& column : kCounterColumns)
      for (int slot = 1; slot <= players_; ++slot) (table.*column.Member)[slot] = counters_[next++];
    TakeOutPlayers(table, players_);
    state.Trace.Truncate(trace_size_);
    state.StartupMarker = marker_;
    state.BlocksAfterMarker = counted_;
    state.CurrentLine = current_line_;
    state.CurrentName = current_name_;
    state.CurrentPlayer = current_player_;
    state.ScanIndex = scan_index_;
    state.KillsFieldPos = kills_field_pos_;
  }

 private:
  std::int16_t players_;
  std::vector<std::int32_t> counters_;  // column by column, slots 1..players_
  std::size_t trace_size_;
  std::string marker_;
  std::optional<std::int64_t> counted_;
  std::string current_line_, current_name_;
  std::int16_t current_player_, scan_index_, kills_field_pos_;
};

// The log as far as the game had written whole lines when the import began:
// the game may go on writing while it is read.
class WrittenPart : public platform::InputFile {
 public:
  explicit WrittenPart(std::unique_ptr<platform::InputFile> file) : file_(std::move(file)) {
    end_ = WholeLinesEnd(*file_);
  }
  long long ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    if (offset >= end_) return 0;
    return file_->ReadAt(offset, buffer, static_cast<std::size_t>(std::min<std::uint64_t>(size, end_ - offset)));
  }
  long long Size() override { return static_cast<long long>(end_); }

 private:
  std::unique_ptr<platform::InputFile> file_;
  std::uint64_t end_ = 0;
};

// The chunk a large log is read ahead in (SetLogReadAhead).
std::atomic<std::size_t> read_ahead{kLogReadAhead};

constexpr std::size_t kReadiedRoom = std::size_t{16} << 20;  // smaller room is made as written

// The trace's room for a large import, made ready by a helper thread a few
// megabytes ahead of the writing: the system zeroes a fresh page at its
// first write, which would otherwise be the reading's own time.
class TraceRoomReadier {
 public:
  explicit TraceRoomReadier(TraceText& trace)
      : room_(trace.RoomStart()), size_(trace.RoomSize()), text_start_(trace.size()) {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {  // no helper: the pages are made as written
    }
  }
  ~TraceRoomReadier() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  // The trace has `size` bytes now.
  void Written(std::size_t size) { written_.store(size - text_start_, std::memory_order_relaxed); }

 private:
  static constexpr std::size_t kAhead = std::size_t{4} << 20;
  static constexpr std::size_t kStep = std::size_t{2} << 20;

  void Run() {
    platform::YieldToOthers();  // the reading comes first: this is worth only a processor's idle time
    std::size_t ready = 0;
    std::unique_lock lock(mutex_);
    while (!stop_ && ready < size_) {
      const std::size_t wanted = std::min(size_, written_.load(std::memory_order_relaxed) + kAhead);
      if (ready < wanted) {
        lock.unlock();
        const std::size_t step = std::min(kStep, wanted - ready);
        platform::PrepareLarge(room_ + ready, step);
        ready += step;
        lock.lock();
      } else {
        wake_.wait_for(lock, std::chrono::milliseconds(1));
      }
    }
  }

  char* const room_;
  const std::size_t size_;
  const std::size_t text_start_;
  std::atomic<std::size_t> written_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

class LogImport {
 public:
  LogImport(FileState& state, LineReader& log, std::uint64_t tail_searched, ImportedBlocks& read,
            ImportWatcher* watcher, const CountedBlocks* counted, TraceRoomReadier* readier)
      : state_(state),
        log_(log),
        marker_(state.StartupMarker),
        counted_before_(state.BlocksAfterMarker),
        tail_searched_(tail_searched),
        unfinished_from_(UnfinishedBlocksFrom(log.File())),
        read_(read),
        watcher_(watcher),
        counted_(counted),
        readier_(readier) {}

  ImportOutcome Run() {
    session_held_ = counted_ != nullptr && counted_->HoldsSession({});
    if (!marker_.empty()) {
      // A remembered line without a date may stand for several game
      // sessions; when the journal holds its session, their blocks before
      // the last such line are read too, and their keys tell which are new.
      const std::string marker_session = SessionOf(marker_);
      // (A date, as the journal writes times, names one session alone.)
      const bool read_before = counted_ != nullptr && IsStartupLine(marker_) && !IsJournalTime(marker_session) &&
                               counted_->HoldsSession(marker_session);
      // The remembered line near the end: the common case of a log the game
      // appends to, found without reading the rest. Anywhere else, it is met
      // on the way, and what was added before it is taken back.
      if (std::optional<std::uint64_t> after =
              FindMarkerLine(log_.File(), marker_, read_before ? UINT64_MAX : tail_searched_)) {
        if (read_before) {
          anchor_at_ = *after;
        } else {
          log_.StartAt(*after);
          Anchor();
          if (IsStatsHeader(marker_)) SkipStatsBlock(log_);  // the line itself heads a block
        }
      } else if (!read_before) {
        start_.emplace(state_);
        watching_ = true;
      }
    }
    // The rest is read line by line: a helper reads ahead meanwhile.
    log_.ReadAhead(read_ahead.load(std::memory_order_relaxed), true);
    std::string_view line;
    while (log_.NextLine(line)) {
      if ((watching_ && line == marker_) || (anchor_at_ && log_.Position() == *anchor_at_)) {
        if (anchor_at_) {
          anchor_at_.reset();
          Anchor();
        } else {
          AnchorLate();
        }
        if (IsStatsHeader(marker_)) SkipStatsBlock(log_);  // the line itself heads a block
        continue;
      }
      // A block without its terminator yet is still being written: neither
      // it nor anything after it is read, and the next import reads it whole.
      // (The lines are told apart by their first byte first: most are chatter.)
      const char first = line.empty() ? '\0' : line[0];
      const bool header = first == 'c' && IsStatsHeader(line);
      if (header && log_.Position() > unfinished_from_) break;
      if (failure_) {  // only looking for the remembered line now: the state stays as the failure left it
        if (header) SkipStatsBlock(log_);
        continue;
      }
      if (header) {
        Block(line);
        continue;
      }
      if (first == '-' && IsStartupLine(line)) {
        NewSession(line);
        if (anchor_at_) continue;  // before the remembered line: only its blocks' keys count
        state_.StartupMarker.assign(line);
        state_.BlocksAfterMarker = 0;
        in_marker_session_ = false;
        counting_ = true;
        if (!session_held_) anything_new_ = true;  // a session the journal holds is not new
      } else if (!IsBlankLine(line)) {
        in_match_ = false;  // chat, a kill, "Fraglimit hit.", a map: the match is over
        if (first == 'm')
          if (std::optional<std::string_view> map = MapOf(line)) SetMap(*map);
      }
    }
    if (failure_) std::rethrow_exception(failure_);
    if (anything_new_ || (!anchored_ && !counted_by_key_)) return ImportOutcome::Completed;
    // Nothing new: the log holds the remembered line and nothing after it,
    // or every block it holds is counted already. The settings stay as they
    // were then, and nothing was skipped that needs telling.
    if (!anchored_) {
      state_.StartupMarker = marker_;
      state_.BlocksAfterMarker = counted_before_;
    }
    read_.Skipped = 0;
    return ImportOutcome::LogUnchanged;
  }

  // Reading goes on right after the remembered line: what follows in its game
  // session was counted as far as BlocksAfterMarker says (all of it when that
  // is unknown).
  void Anchor() {
    anchored_ = true;
    NewSession(marker_);
    in_marker_session_ = true;
    counting_ = true;
    counted_in_session_ = state_.BlocksAfterMarker.value_or(INT64_MAX);
    if (!state_.BlocksAfterMarker) state_.BlocksAfterMarker = 0;
    failure_ = nullptr;
  }

  // The remembered line met while reading: everything added before it was
  // counted by an earlier import, and goes (the watcher lets go of it first).
  void AnchorLate() {
    if (watcher_ != nullptr) watcher_->TakenBack();
    start_->Restore(state_);
    read_.Blocks.clear();
    read_.Skipped = 0;  // the remembered line counts what came before it
    anything_new_ = false;
    Anchor();
  }

  // A block is counted already when the journal holds its key. Otherwise
  // the journal may know it as new (its session held from the first block
  // on, or another block held at its place); and where no key tells, the
  // remembered line decides: the blocks before it, and of its own session
  // as many as were counted.
  void Block(std::string_view header) {
    header_end_ = log_.Position();
    if (!in_match_) ++match_;
    in_match_ = true;
    const std::int64_t position = ++position_;
    const bool counted_by_line = anchor_at_.has_value() || (in_marker_session_ && position <= counted_in_session_);
    using Verdict = CountedBlocks::Verdict;
    Verdict verdict = Verdict::Unknown;
    std::optional<std::uint64_t> digest;
    if (session_held_) {
      const std::string_view session = read_.Sessions.empty() || session_ < 0
                                           ? std::string_view()
                                           : std::string_view(read_.Sessions[static_cast<std::size_t>(session_)]);
      if (counted_->HoldsPlace(session, position)) {  // the block's digest tells: read it first
        const std::uint64_t body = log_.Position();
        ContentDigest lines;
        StartDigest(lines, header);
        SkipStatsBlock(log_);
        log_.DigestLinesInto(nullptr);
        digest = DigestOf(lines);
        verdict = counted_->Look(session, position, *digest);
        if (verdict == Verdict::New || (verdict == Verdict::Unknown && !counted_by_line)) log_.StartAt(body);
      } else {
        verdict = counted_->Look(session, position, 0);  // no digest is held here
      }
    }
    if (verdict == Verdict::Counted || (verdict == Verdict::Unknown && counted_by_line)) {
      if (!digest) SkipStatsBlock(log_);
      if (verdict == Verdict::Counted) {
        counted_by_key_ = true;
        if (!counted_by_line) ++read_.Skipped;
      }
      if (counting_) CountedUpTo(position);
      return;
    }
    anything_new_ = true;
    // Counted before it is read: a block that fails part-way was read.
    if (counting_) CountedUpTo(position);
    state_.CurrentLine.assign(header);
    BlockStart start;
    ContentDigest lines;
    if (!digest) StartDigest(lines, header);
    try {
      AddStatsBlock(state_, log_, &start);
    } catch (const std::exception&) {
      std::exception_ptr failure = std::current_exception();
      // The block counts as read, and its key is that of all its lines.
      if (!IsStatsTerminator(state_.CurrentLine)) {
        try {
          SkipStatsBlock(log_);
        } catch (const std::exception&) {  // the log cannot be read on: what failed first is told
        }
      }
      log_.DigestLinesInto(nullptr);
      Journal(start, position, digest ? *digest : DigestOf(lines));
      // A failure is final only if the remembered line does not come later.
      if (!watching_) std::rethrow_exception(failure);
      failure_ = failure;
      return;
    }
    log_.DigestLinesInto(nullptr);
    Journal(start, position, digest ? *digest : DigestOf(lines));
  }

  // The block's digest: its header, then each of its lines as the reader
  // goes; or the reader's helper digests it.
  void StartDigest(ContentDigest& lines, std::string_view header) {
    helper_digests_ = log_.DigestsBlocks();
    if (helper_digests_) return;
    lines.UpdateLine(header);
    log_.DigestLinesInto(&lines);
  }
  // Once the block is read to its end.
  std::uint64_t DigestOf(const ContentDigest& lines) {
    return helper_digests_ ? log_.BlockDigest(header_end_) : lines.Value();
  }

  void CountedUpTo(std::int64_t position) {
    state_.BlocksAfterMarker = std::max(state_.BlocksAfterMarker.value_or(0), position);
  }

  // What the block changed in its slot, for the journal.
  void Journal(const BlockStart& start, std::int64_t position, std::uint64_t digest) {
    if (start.Slot == 0) return;  // no player was found or added: nothing changed
    PendingBlock& block = read_.Blocks.emplace_back();
    block.Slot = start.Slot;
    block.Session = session_;
    block.Position = position;
    block.Match = match_;
    block.Map = map_;
    block.Digest = digest;
    for (std::size_t i = 0; i < kCounterColumns.size(); ++i)
      block.Added[i] = static_cast<std::int32_t>(static_cast<std::uint32_t>((state_.Table.*kCounterColumns[i].Member)[start.Slot]) -
                                                 static_cast<std::uint32_t>(start.Counters[i]));
    if (watcher_ != nullptr) watcher_->BlockRead(read_, state_.Table);
    if (readier_ != nullptr) readier_->Written(state_.Trace.size());
  }

  void NewSession(std::string_view startup_line) {
    std::vector<std::string>& sessions = read_.Sessions;
    sessions.push_back(SessionOf(startup_line));
    session_ = static_cast<std::int32_t>(sessions.size() - 1);
    session_held_ = counted_ != nullptr && counted_->HoldsSession(sessions.back());
    position_ = 0;
    match_ = 0;
    in_match_ = false;
    map_ = -1;
  }

  void SetMap(std::string_view map) {
    std::vector<std::string>& maps = read_.Maps;
    if (map_ >= 0 && maps[static_cast<std::size_t>(map_)] == map) return;
    if (maps.empty() || maps.back() != map) maps.emplace_back(map);
    map_ = static_cast<std::int32_t>(maps.size() - 1);
  }

  FileState& state_;
  LineReader& log_;
  const std::string marker_;
  const std::optional<std::int64_t> counted_before_;  // BlocksAfterMarker when the import began
  const std::uint64_t tail_searched_;
  const std::uint64_t unfinished_from_;
  std::optional<Snapshot> start_;
  bool watching_ = false;           // the remembered line may still come
  bool anchored_ = false;           // it came
  // Where the remembered line ends, while the blocks before it are read for
  // their keys alone.
  std::optional<std::uint64_t> anchor_at_;
  bool in_marker_session_ = false;  // reading its game session
  std::int64_t counted_in_session_ = 0;  // of which the first so many blocks were counted
  bool counting_ = false;  // blocks count towards BlocksAfterMarker
  bool anything_new_ = false;
  bool counted_by_key_ = false;  // a block was left out because its key is counted
  std::exception_ptr failure_;
  std::uint64_t header_end_ = 0;  // where the block being read has its first line end
  bool helper_digests_ = false;   // its digest comes from the reader's helper
  std::int32_t session_ = -1;   // the game session being read (read_.Sessions), for the journal
  bool session_held_ = false;   // the journal holds keys of it
  std::int64_t position_ = 0;   // the last block's place in it
  // The matches of the game session being read: the last one's number, and
  // whether nothing but blank lines came since its last block (the next
  // block is then of the same match). The map: an index into read_.Maps.
  std::int32_t match_ = 0;
  bool in_match_ = false;
  std::int32_t map_ = -1;
  ImportedBlocks& read_;
  ImportWatcher* const watcher_;
  const CountedBlocks* const counted_;
  TraceRoomReadier* const readier_;
};

}  // namespace

ImportOutcome ImportLog(FileState& state, ImportedBlocks& read, std::uint64_t tail_searched, ImportWatcher* watcher,
                        const CountedBlocks* counted) {
  platform::FileFailure failure;
  std::unique_ptr<platform::InputFile> file =
      platform::Files().OpenForReading(platform::GameView(platform::NativePath(state.LogPath)), &failure);
  if (file == nullptr) RaiseFileError(ErrorKind::NotFound, failure);
  LineReader log;
  log.Open(std::make_unique<WrittenPart>(std::move(file)));
  // The trace grows by about a sixth of the log's size (the statistics lines,
  // shortened); room for a fifth is taken at once, in address space only.
  // The record of the blocks: one for every kilobyte at most in the logs the
  // game writes, reserved at once rather than grown.
  if (const long long size = log.File().Size(); size > 0) {
    state.Trace.Reserve(static_cast<std::size_t>(size / 5));
    read.Blocks.reserve(read.Blocks.size() + static_cast<std::size_t>(size / 1024));
  }
  std::optional<TraceRoomReadier> readier;
  if (state.Trace.RoomSize() >= kReadiedRoom && platform::PreparesLarge()) readier.emplace(state.Trace);
  return LogImport(state, log, tail_searched, read, watcher, counted, readier ? &*readier : nullptr).Run();
}

void SetLogReadAhead(std::size_t chunk) { read_ahead.store(chunk, std::memory_order_relaxed); }

ImportOutcome ImportLog(FileState& state, std::uint64_t tail_searched) {
  ImportedBlocks read;
  return ImportLog(state, read, tail_searched);
}

}  // namespace fragtally
