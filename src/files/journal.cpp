#include "files/journal.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "files/line_reader.h"
#include "platform/platform.h"
#include "stats/error.h"
#include "stats/numbers.h"

namespace fragtally {

namespace {

constexpr std::size_t kCommitFields = 14;
constexpr std::size_t kCancelFields = 4;
// How much of the journal's end the start-up reads first; doubled while the
// last commit is not in it.
constexpr std::uint64_t kTailChunk = 64 * 1024;
// An import's lines are made and appended in batches of this many blocks
// (JournalLineWriter): about a MiB of lines.
constexpr std::size_t kJournalBatch = 8192;

// --- writing -----------------------------------------------------------------------------

// Writes `bytes` escaped at `at`: at most twice their size.
char* PutEscaped(char* at, std::string_view bytes) {
  for (const char c : bytes) {
    switch (c) {
      case '\t': *at++ = '\\', *at++ = 't'; break;
      case '\r': *at++ = '\\', *at++ = 'r'; break;
      case '\n': *at++ = '\\', *at++ = 'n'; break;
      case '\\': *at++ = '\\', *at++ = '\\'; break;
      default: *at++ = c;
    }
  }
  return at;
}


void AppendEscaped(std::string& out, std::string_view bytes) {
  const std::size_t start = out.size();
  out.resize(start + 2 * bytes.size());
  out.resize(static_cast<std::size_t>(PutEscaped(out.data() + start, bytes) - out.data()));
}

void AppendCount(std::string& out, const std::optional<std::int64_t>& count) {
  if (count) AppendNumber(out, *count);
}

void AppendDigest(std::string& out, const std::optional<std::uint64_t>& digest) {
  if (!digest) {
    out.push_back('-');
    return;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  for (int shift = 60; shift >= 0; shift -= 4) out.push_back(kHex[(*digest >> shift) & 0xF]);
}

// The longest an M line can be, its session already escaped.
std::size_t MatchLineMax(std::string_view escaped_session, std::string_view name) {
  return escaped_session.size() + 2 * name.size() + (kCounterColumns.size() + 2) * (kNumberTextMax + 1) + 8;
}

// An M line, written at `at` (room for MatchLineMax); returns its end.
char* PutMatchLine(char* at, std::int64_t import, std::string_view escaped_session, std::int64_t position,
                   std::string_view name, const CounterValues& added) {
  *at++ = 'M';
  *at++ = '\t';
  at = WriteNumber(at, import);
  *at++ = '\t';
  if (!escaped_session.empty()) {  // an empty view may have no bytes at all to copy from
    std::memcpy(at, escaped_session.data(), escaped_session.size());
    at += escaped_session.size();
  }
  *at++ = '\t';
  at = WriteNumber(at, position);
  *at++ = '\t';
  at = PutEscaped(at, name);
  for (const std::int32_t value : added) {
    *at++ = '\t';
    at = WriteNumber(at, value);
  }
  *at++ = '\r';
  *at++ = '\n';
  return at;
}

// Appends an M line at the end of `out`, whose size it keeps in `used`
// (the room beyond is grown as needed, and cut only by the caller).
void AppendMatchLine(std::string& out, std::size_t& used, std::int64_t import, std::string_view escaped_session,
                     std::int64_t position, std::string_view name, const CounterValues& added) {
  const std::size_t most = MatchLineMax(escaped_session, name);
  if (out.size() < used + most) out.resize(std::max(2 * out.size(), used + most));
  char* const end = PutMatchLine(out.data() + used, import, escaped_session, position, name, added);
  used = static_cast<std::size_t>(end - out.data());
}

void AppendCommit(std::string& out, const JournalCommit& c) {
  out.push_back(c.Kind);
  const auto field = [&out] { out.push_back('\t'); };
  field(), AppendNumber(out, c.Import);
  field(), out.append(c.Time);
  field(), AppendEscaped(out, c.Marker);
  field(), AppendCount(out, c.Count);
  field(), AppendEscaped(out, c.PreviousMarker);
  field(), AppendCount(out, c.PreviousCount);
  field(), AppendNumber(out, c.PlayersBefore);
  field(), AppendNumber(out, c.PlayersAfter);
  field(), AppendDigest(out, c.DigestBefore);
  field(), AppendDigest(out, c.DigestAfter);
  field(), AppendNumber(out, c.InEffectBefore);
  field(), AppendNumber(out, c.InEffectAfter);
  field(), AppendNumber(out, c.LastNumber);
  out.append("\r\n");
}

// --- reading -----------------------------------------------------------------------------

// A line's tab-separated fields; false when it does not have exactly N.
template <std::size_t N>
bool SplitFields(std::string_view line, std::array<std::string_view, N>& fields) {
  std::size_t n = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    if (n == N) return false;
    fields[n++] = line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return n == N;
}

bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  if (text.find('\\') == std::string_view::npos) {
    out.assign(text);
    return true;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out.push_back(text[i]);
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case 't': out.push_back('\t'); break;
      case 'r': out.push_back('\r'); break;
      case 'n': out.push_back('\n'); break;
      case '\\': out.push_back('\\'); break;
      default: return false;
    }
  }
  return true;
}

template <class Int>
bool ParseInt(std::string_view text, Int& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool ParseCount(std::string_view text, std::optional<std::int64_t>& count) {
  if (text.empty()) {
    count.reset();
    return true;
  }
  std::int64_t value = 0;
  if (!ParseInt(text, value) || value < 0) return false;
  count = value;
  return true;
}

bool ParseDigest(std::string_view text, std::optional<std::uint64_t>& digest) {
  if (text == "-") {
    digest.reset();
    return true;
  }
  std::uint64_t value = 0;
  if (text.size() != 16) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + 16, value, 16);
  if (error != std::errc() || end != text.data() + 16) return false;
  digest = value;
  return true;
}

// "YYYY-MM-DD hh:mm:ss", as LocalDateTime writes it.
bool IsTime(std::string_view text) {
  static constexpr std::string_view kForm = "0000-00-00 00:00:00";
  if (text.size() != kForm.size()) return false;
  for (std::size_t i = 0; i < kForm.size(); ++i)
    if (kForm[i] == '0' ? text[i] < '0' || text[i] > '9' : text[i] != kForm[i]) return false;
  return true;
}

bool ParseCommit(std::string_view line, JournalCommit& c) {
  std::array<std::string_view, kCommitFields> f;
  if (line.size() < 2 || (line[0] != 'C' && line[0] != 'U') || line[1] != '\t') return false;
  if (!SplitFields(line, f)) return false;
  c.Kind = line[0];
  c.Time.assign(f[2]);
  return IsTime(f[2]) && ParseInt(f[1], c.Import) && Unescape(f[3], c.Marker) && ParseCount(f[4], c.Count) &&
         Unescape(f[5], c.PreviousMarker) && ParseCount(f[6], c.PreviousCount) && ParseInt(f[7], c.PlayersBefore) &&
         ParseInt(f[8], c.PlayersAfter) && ParseDigest(f[9], c.DigestBefore) && ParseDigest(f[10], c.DigestAfter) &&
         ParseInt(f[11], c.InEffectBefore) && ParseInt(f[12], c.InEffectAfter) && ParseInt(f[13], c.LastNumber);
}

// An X line: the kind and import of the line it takes back.
bool ParseCancel(std::string_view line, char& kind, std::int64_t& import) {
  std::array<std::string_view, kCancelFields> f;
  if (line.size() < 2 || line[0] != 'X' || line[1] != '\t' || !SplitFields(line, f)) return false;
  if (f[1].size() != 1 || (f[1][0] != 'C' && f[1][0] != 'U')) return false;
  kind = f[1][0];
  return ParseInt(f[2], import) && IsTime(f[3]);
}

bool ParseMatchImport(std::string_view line, std::int64_t& import) {
  if (line.size() < 2 || line[0] != 'M' || line[1] != '\t') return false;
  const std::size_t tab = line.find('\t', 2);
  return tab != std::string_view::npos && ParseInt(line.substr(2, tab - 2), import);
}

// The next tab-separated field of `rest`, which loses it and its tab; false
// when there is none.
bool NextField(std::string_view& rest, std::string_view& field, bool& last) {
  if (last) return false;
  const std::size_t tab = rest.find('\t');
  if (tab == std::string_view::npos) {
    field = rest;
    last = true;
  } else {
    field = rest.substr(0, tab);
    rest.remove_prefix(tab + 1);
  }
  return true;
}

bool ParseMatch(std::string_view line, JournalMatch& m) {
  if (line.size() < 2 || line[0] != 'M' || line[1] != '\t') return false;
  std::string_view rest = line.substr(2), field;
  bool last = false;
  if (!NextField(rest, field, last) || !ParseInt(field, m.Import)) return false;
  if (!NextField(rest, field, last) || !Unescape(field, m.Session)) return false;
  if (!NextField(rest, field, last) || !ParseInt(field, m.Position)) return false;
  if (!NextField(rest, field, last) || !Unescape(field, m.Name)) return false;
  for (std::int32_t& added : m.Added)
    if (!NextField(rest, field, last) || !ParseInt(field, added)) return false;
  return last;
}

// The journal's state lines as the whole file gives them, and its blocks.
class JournalReplay {
 public:
  void Line(std::string_view line) {
    if (line.empty()) return;
    switch (line[0]) {
      case 'M': {
        JournalMatch& m = matches_.emplace_back();
        if (!ParseMatch(line, m)) matches_.pop_back();
        break;
      }
      case 'C':
      case 'U': {
        JournalCommit c;
        if (!ParseCommit(line, c)) break;
        Apply(c);
        history_.push_back(std::move(c));
        break;
      }
      case 'X': {
        char kind = 0;
        std::int64_t import = 0;
        if (!ParseCancel(line, kind, import) || history_.empty()) break;
        const JournalCommit& last = history_.back();
        if (last.Kind != kind || last.Import != import) break;
        TakeBack(last);
        history_.pop_back();
        break;
      }
      default: break;
    }
  }

  std::vector<JournalImport> Imports() {
    // Blocks go to their import in effect; others (undone, taken back, or
    // an append a crash cut short) are left out.
    std::vector<JournalImport> imports(in_effect_.size());
    for (std::size_t i = 0; i < in_effect_.size(); ++i) imports[i].Commit = *in_effect_[i].commit;
    for (JournalMatch& m : matches_) {
      const auto it = std::lower_bound(in_effect_.begin(), in_effect_.end(), m.Import,
                                       [](const InEffect& e, std::int64_t import) { return e.import < import; });
      if (it != in_effect_.end() && it->import == m.Import)
        imports[static_cast<std::size_t>(it - in_effect_.begin())].Matches.push_back(std::move(m));
    }
    return imports;
  }

  std::vector<JournalMatch> Matches() {
    std::vector<std::int64_t> numbers;
    for (const InEffect& e : in_effect_) numbers.push_back(e.import);
    std::erase_if(matches_, [&](const JournalMatch& m) { return !std::binary_search(numbers.begin(), numbers.end(), m.Import); });
    return std::move(matches_);
  }

  // Room for the blocks of a journal of `bytes` (a block's line is some 100 bytes or more).
  void Expect(std::uint64_t bytes) { matches_.reserve(static_cast<std::size_t>(bytes / 100)); }

 private:
  struct InEffect {
    std::int64_t import;
    std::shared_ptr<const JournalCommit> commit;
  };

  void Apply(const JournalCommit& c) {
    if (c.Kind == 'C') {
      // Imports after the one it found in effect did not reach the
      // statistics file (their X line may be missing).
      std::erase_if(in_effect_, [&](const InEffect& e) { return e.import > c.InEffectBefore || e.import == c.Import; });
      in_effect_.push_back({c.Import, std::make_shared<const JournalCommit>(c)});
      undone_.emplace_back();
    } else {
      const auto it = Find(c.Import);
      undone_.push_back(it == in_effect_.end() ? nullptr : it->commit);
      Remove(c.Import);
    }
  }

  void TakeBack(const JournalCommit& c) {
    std::shared_ptr<const JournalCommit> undone = std::move(undone_.back());
    undone_.pop_back();
    if (c.Kind == 'C') {
      Remove(c.Import);
    } else if (undone) {
      in_effect_.insert(std::lower_bound(in_effect_.begin(), in_effect_.end(), c.Import,
                                         [](const InEffect& e, std::int64_t import) { return e.import < import; }),
                        {c.Import, std::move(undone)});
    }
  }

  std::vector<InEffect>::iterator Find(std::int64_t import) {
    return std::find_if(in_effect_.begin(), in_effect_.end(), [&](const InEffect& e) { return e.import == import; });
  }
  void Remove(std::int64_t import) {
    if (auto it = Find(import); it != in_effect_.end()) in_effect_.erase(it);
  }

  std::vector<JournalMatch> matches_;
  std::vector<JournalCommit> history_;  // the C and U lines not taken back, for X lines
  std::vector<std::shared_ptr<const JournalCommit>> undone_;  // by history_ entry: what a U line undid
  std::vector<InEffect> in_effect_;                           // by import number
};

// Reads every whole line; a last line without its line end (a crash
// part-way through an append that no start-up has closed yet) is left out.
template <class Replay>
void ReadJournal(const std::string& path, Replay& replay) {
  LineReader file;
  if (!file.Open(path)) return;
  const long long size = file.File().Size();
  if (size > 0) replay.Expect(static_cast<std::uint64_t>(size));
  char last = '\n';
  if (size > 0 && file.File().ReadAt(static_cast<std::uint64_t>(size - 1), &last, 1) != 1)
    Raise(ErrorKind::ReadFailed, "the journal could not be read");
  std::string_view line;
  while (file.NextLine(line))
    if (last == '\n' || file.Position() < static_cast<std::uint64_t>(size)) replay.Line(line);
}

}  // namespace

std::string JournalImportText(const std::vector<JournalMatch>& matches, const JournalCommit& commit) {
  std::string out;
  out.reserve(matches.size() * 160 + 256);
  std::size_t used = 0;
  std::string session;
  for (const JournalMatch& m : matches) {
    session.clear();
    AppendEscaped(session, m.Session);
    AppendMatchLine(out, used, commit.Import, session, m.Position, m.Name, m.Added);
  }
  out.resize(used);
  AppendCommit(out, commit);
  return out;
}

namespace {

// Makes the lines of `lines` at the end of `text`.
void MakeLines(std::int64_t import, const std::vector<JournalLineWriter::Line>& lines, std::string& text) {
  std::size_t used = text.size();
  for (const JournalLineWriter::Line& line : lines)
    AppendMatchLine(text, used, import, line.Session != nullptr ? std::string_view(*line.Session) : std::string_view(),
                    line.Position, *line.Name, line.Added);
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

void JournalLineWriter::Add(const JournalState& journal, const PlayerTable& table, const PendingBlock& block) {
  const std::string* session = nullptr;
  if (block.Session >= 0) {
    const std::size_t index = static_cast<std::size_t>(block.Session);
    while (sessions_.size() <= index) {
      std::string& escaped = sessions_.emplace_back();
      AppendEscaped(escaped, journal.Sessions[sessions_.size() - 1]);
    }
    session = &sessions_[index];
  }
  gathered_.push_back({&table.PlayerName[block.Slot], session, block.Position, block.Added});
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
  for (std::size_t i = ahead; i < journal.Pending.size(); ++i) lines.Add(journal, table, journal.Pending[i]);
  lines.Finish(commit);
}

std::string JournalUndoText(const JournalCommit& undo) {
  std::string out;
  AppendCommit(out, undo);
  return out;
}

const char* const kJournalLineCut = "\t!\r\n";

std::string JournalCancelText(const JournalCommit& line) {
  std::string out = "X\t";
  out.push_back(line.Kind);
  out.push_back('\t');
  AppendNumber(out, line.Import);
  out.append("\t").append(platform::LocalDateTime()).append("\r\n");
  return out;
}

void AppendToJournal(const std::string& path, std::string_view text) {
  platform::FileFailure failure;
  if (!platform::Files().AppendToFile(path, text, failure)) RaiseFileError(ErrorKind::WriteFailed, failure);
}

JournalTail ReadJournalTail(const std::string& path) {
  JournalTail tail;
  std::unique_ptr<platform::InputFile> file = platform::Files().OpenForReading(path);
  if (file == nullptr) return tail;
  tail.Exists = true;
  const long long size_now = file->Size();
  if (size_now <= 0) return tail;
  const std::uint64_t size = static_cast<std::uint64_t>(size_now);
  std::string chunk;
  for (std::uint64_t length = std::min(size, kTailChunk);; length = std::min(size, length * 2)) {
    chunk.resize(length);
    std::size_t got = 0;
    while (got < length) {
      const long long n = file->ReadAt(size - length + got, chunk.data() + got, length - got);
      if (n <= 0) Raise(ErrorKind::ReadFailed, "the journal could not be read");
      got += static_cast<std::size_t>(n);
    }
    tail.Torn = chunk.back() != '\n';
    // The lines from the end back: the last C or U line (and an X after it),
    // and the numbers of blocks appended after it.
    std::string_view text(chunk);
    if (tail.Torn) text = text.substr(0, text.rfind('\n') + 1);  // npos + 1: nothing whole
    const bool whole = length == size;  // the chunk's first line starts a line
    tail = JournalTail{true, tail.Torn, std::nullopt, false, 0};
    char cancelled_kind = 0;  // an X line after the last C or U line: which it takes back
    std::int64_t cancelled_import = 0;
    std::int64_t highest = 0;
    while (!text.empty()) {
      const std::size_t previous_end = text.size() >= 2 ? text.rfind('\n', text.size() - 2) : std::string_view::npos;
      const std::size_t start = previous_end == std::string_view::npos ? 0 : previous_end + 1;
      if (start == 0 && !whole) break;  // perhaps the end of a line: read more
      std::string_view line = text.substr(start);
      text = text.substr(0, start);
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
      std::int64_t import = 0;
      char kind = 0;
      JournalCommit commit;
      if (ParseMatchImport(line, import)) {
        highest = std::max(highest, import);
      } else if (cancelled_kind == 0 && ParseCancel(line, kind, import)) {
        cancelled_kind = kind;
        cancelled_import = import;
      } else if (ParseCommit(line, commit)) {
        tail.Cancelled = cancelled_kind == commit.Kind && cancelled_import == commit.Import;
        tail.LastNumber = std::max(highest, commit.LastNumber);
        tail.Last = std::move(commit);
        return tail;
      }
    }
    if (whole) {
      tail.LastNumber = highest;
      return tail;
    }
  }
}

std::vector<JournalImport> ReadJournalImports(const std::string& path) {
  JournalReplay replay;
  ReadJournal(path, replay);
  return replay.Imports();
}

std::vector<JournalMatch> ReadJournalMatches(const std::string& path) {
  JournalReplay replay;
  ReadJournal(path, replay);
  return replay.Matches();
}

}  // namespace fragtally
