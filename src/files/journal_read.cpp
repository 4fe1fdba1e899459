#include "files/journal_read.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "files/line_reader.h"
#include "platform/platform.h"
#include "stats/error.h"

namespace fragtally {

namespace {

// How much of the journal's end the start-up reads first; doubled while the
// last commit is not in it.
constexpr std::uint64_t kTailChunk = 64 * 1024;

// An M line read whole.
struct MatchLines {
  bool Read(std::string_view line, JournalMatch& m) { return ParseMatch(line, m); }
};

// An M line read only for its block's key (kept only when it has one). The
// lines of one game session follow each other: its name is read once a run.
struct KeyLines {
  std::vector<std::string> Sessions;
  bool Read(std::string_view line, JournalKey& key) {
    JournalKeyFields fields;
    if (!ParseMatchKey(line, fields) || !fields.Digest) return false;
    if (Sessions.empty() || fields.EscapedSession != escaped_) {
      std::string session;
      if (!UnescapeField(fields.EscapedSession, session)) return false;
      escaped_.assign(fields.EscapedSession);
      Sessions.push_back(std::move(session));
    }
    key.Import = fields.Import;
    key.Session = static_cast<std::uint32_t>(Sessions.size() - 1);
    key.Position = fields.Position;
    key.Digest = *fields.Digest;
    return true;
  }

 private:
  std::string escaped_;  // the last session's name as the journal writes it
};

// The journal's state lines as the whole file gives them, and its blocks
// (JournalMatch, or JournalKey for their keys alone), as `Lines` reads them.
template <class Match, class Lines>
class JournalReplay {
 public:
  Lines lines;

  void Line(std::string_view line) {
    if (line.empty()) return;
    switch (line[0]) {
      case 'M': {
        Match& m = matches_.emplace_back();
        if (!lines.Read(line, m)) matches_.pop_back();
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
      case 'P': {
        PeopleChange change;
        if (ParsePeopleLine(line, change)) people_.push_back(std::move(change));
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

  const std::vector<PeopleChange>& People() const { return people_; }

  std::vector<Match> Matches() {
    std::vector<std::int64_t> numbers;
    for (const InEffect& e : in_effect_) numbers.push_back(e.import);
    std::erase_if(matches_, [&](const Match& m) { return !std::binary_search(numbers.begin(), numbers.end(), m.Import); });
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

  auto Find(std::int64_t import) {
    return std::find_if(in_effect_.begin(), in_effect_.end(), [&](const InEffect& e) { return e.import == import; });
  }
  void Remove(std::int64_t import) {
    if (auto it = Find(import); it != in_effect_.end()) in_effect_.erase(it);
  }

  std::vector<Match> matches_;
  std::vector<PeopleChange> people_;
  std::vector<JournalCommit> history_;  // the C and U lines not taken back, for X lines
  std::vector<std::shared_ptr<const JournalCommit>> undone_;  // by history_ entry: what a U line undid
  std::vector<InEffect> in_effect_;                           // by import number
};

// Reads every whole line; a last line without its line end (a crash
// part-way through an append that no start-up has closed yet) is left out.
// A journal that is there but cannot be opened raises when `strict`, and
// reads as none otherwise.
template <class Replay>
void ReadJournal(const std::string& path, Replay& replay, bool strict) {
  LineReader file;
  platform::FileFailure failure;
  if (!file.Open(path, &failure)) {
    if (strict && failure.Fault != platform::FileFault::NotFound && failure.Fault != platform::FileFault::None)
      RaiseFileError(ErrorKind::ReadFailed, failure);
    return;
  }
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

JournalTail ReadJournalTail(const std::string& path) {
  JournalTail tail;
  platform::FileFailure failure;
  std::unique_ptr<platform::InputFile> file = platform::Files().OpenForReading(path, &failure);
  if (file == nullptr) {
    // Only a missing journal is none: one that is there but held or not
    // allowed must not read as empty (its numbers would be used again).
    if (failure.Fault != platform::FileFault::NotFound && failure.Fault != platform::FileFault::None)
      RaiseFileError(ErrorKind::ReadFailed, failure);
    return tail;
  }
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
  JournalReplay<JournalMatch, MatchLines> replay;
  ReadJournal(path, replay, true);
  return replay.Imports();
}

JournalHistory ReadJournalHistory(const std::string& path) {
  JournalReplay<JournalMatch, MatchLines> replay;
  ReadJournal(path, replay, false);
  JournalHistory history;
  history.Matches = replay.Matches();
  for (const PeopleChange& change : replay.People()) ApplyPeopleChange(history.People, change);
  return history;
}

std::vector<JournalMatch> ReadJournalMatches(const std::string& path) {
  JournalReplay<JournalMatch, MatchLines> replay;
  ReadJournal(path, replay, false);
  return replay.Matches();
}

JournalKeys ReadJournalKeys(const std::string& path) {
  JournalReplay<JournalKey, KeyLines> replay;
  ReadJournal(path, replay, true);
  JournalKeys keys;
  keys.Keys = replay.Matches();
  keys.Sessions = std::move(replay.lines.Sessions);
  return keys;
}

}  // namespace fragtally
