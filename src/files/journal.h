#pragma once

// The match journal, basekrm/Matches.txt beside the statistics file: every
// imported block, one commit line per import and one line per undo, appended
// and never rewritten. The statistics file keeps the totals; the journal adds
// the history behind them (matches imported before it existed have none).
//
// The file is text with CR LF line ends, its fields separated by tabs, so
// that a spreadsheet opens it; the first field of a line is its kind:
//
//   M  import  session  position  name  24 counters (kCounterColumns' order)
//      one imported block: what it added to its player's counters
//   C  import  time  marker  counted  previous marker  previous counted
//      players before  players after  digest before  digest after
//      import in effect before  import in effect after  highest import number
//      an import's commit, after its M lines
//   U  the same fields for the undo of the import it names: the marker and
//      counted blocks it restores, then the ones it replaces, and so on
//   X  C or U  import  time
//      the line before it did not reach the statistics file: the journal
//      is back where that line found it
//
// A name or marker is written as its bytes, with only a tab, CR, LF and
// backslash escaped (\t \r \n \\). Counted blocks are empty when unknown; a
// digest (file_digest.h) is 16 hex digits, or "-" for no statistics file;
// times are local, "YYYY-MM-DD hh:mm:ss". An import is in effect from its C
// line until a U line names it, an X line takes its C line back, or a later
// C line finds an earlier import in effect. A line that cannot be read is
// skipped: a crash part-way through an append leaves one at the end, which
// the next start-up closes with kJournalLineCut, a last field that no line
// may end in.

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stats/journal_state.h"

namespace fragtally {

// A C or U line.
struct JournalCommit {
  char Kind = 'C';
  std::int64_t Import = 0;  // the import committed, or the one undone
  std::string Time;
  std::string Marker;  // the marker and counted blocks the line leaves
  std::optional<std::int64_t> Count;
  std::string PreviousMarker;  // those it found
  std::optional<std::int64_t> PreviousCount;
  std::int64_t PlayersBefore = 0, PlayersAfter = 0;
  std::optional<std::uint64_t> DigestBefore, DigestAfter;  // of the statistics file; nullopt: none
  std::int64_t InEffectBefore = 0, InEffectAfter = 0;      // the newest import in effect, 0 for none
  std::int64_t LastNumber = 0;                            // the highest import number used so far
};

// The journal's end, as the start-up reads it: without reading the rest.
struct JournalTail {
  bool Exists = false;
  bool Torn = false;  // the last line has no line end: a crash part-way through an append
  // The last C or U line, and whether an X line after it took it back.
  std::optional<JournalCommit> Last;
  bool Cancelled = false;
  std::int64_t LastNumber = 0;  // the highest import number used, torn appends included
};
JournalTail ReadJournalTail(const std::string& path);

// The imports still in effect, oldest first, each with its C line and its
// blocks.
struct JournalImport {
  JournalCommit Commit;
  std::vector<JournalMatch> Matches;
};
std::vector<JournalImport> ReadJournalImports(const std::string& path);

// The matches of every import that is still in effect (neither undone nor
// left undone by a crash), oldest first. No journal is no matches; a line
// that cannot be read is skipped.
std::vector<JournalMatch> ReadJournalMatches(const std::string& path);

// The lines of an import: its blocks as read back (numbered `commit.Import`),
// then its C line.
std::string JournalImportText(const std::vector<JournalMatch>& matches, const JournalCommit& commit);
// A U line.
std::string JournalUndoText(const JournalCommit& undo);
// The X line that takes `line` back.
std::string JournalCancelText(const JournalCommit& line);

// What closes a line that a crash cut short.
extern const char* const kJournalLineCut;

// Appends `text` to the journal and flushes it to the disk; raises
// WriteFailed with why when the disk refuses.
void AppendToJournal(const std::string& path, std::string_view text);
// An import's M lines on their way to the journal, in batches of some
// thousands: while the next batch is gathered, a helper thread makes the
// lines of the one before, appends them and flushes them to the disk, so
// that the commit has little left to wait for (a small import's lines are
// all made and appended by Finish). A crash before Finish leaves M lines
// without their C line, which no reader counts. The methods raise
// WriteFailed with why when the disk refuses (what stopped the helper is
// raised by the next call); the lines appended before stay.
class JournalLineWriter {
 public:
  JournalLineWriter(std::string path, std::int64_t import);
  ~JournalLineWriter();
  JournalLineWriter(const JournalLineWriter&) = delete;
  JournalLineWriter& operator=(const JournalLineWriter&) = delete;
  // One block kept until the commit (its name is that of its slot in
  // `table`, which must not change while the writer lives).
  void Add(const JournalState& journal, const PlayerTable& table, const PendingBlock& block);
  // Waits until the batch the helper has is appended; the blocks gathered
  // since stay to be written by the commit.
  void Settle();
  // Appends the rest and `commit`'s line, and flushes them.
  void Finish(const JournalCommit& commit);
  // How many of the lines added are appended.
  std::size_t Appended() const { return appended_; }

  // A block as its line is made from it.
  struct Line {
    const std::string* Name;
    const std::string* Session;  // escaped; nullptr for none
    std::int64_t Position;
    CounterValues Added;
  };
  class Maker;

 private:
  // Makes and appends the gathered lines (and `commit`'s, when given) here.
  void AppendGathered(const JournalCommit* commit);

  std::string path_;
  std::int64_t import_;
  std::deque<std::string> sessions_;  // JournalState::Sessions escaped, as far as met
  std::vector<Line> gathered_;
  std::unique_ptr<Maker> maker_;  // started with the first full batch
  bool without_helper_ = false;   // the system would not start it
  std::size_t making_ = 0;        // lines of the batch the helper has
  std::size_t appended_ = 0;
};

// Appends the lines of an import's commit to the journal: the blocks it keeps
// until its commit that are not there yet (JournalState::AheadBlocks), then
// the C line, and flushes them; raises WriteFailed with why when the disk
// refuses.
void AppendImportToJournal(const std::string& path, const JournalState& journal, const PlayerTable& table,
                           const JournalCommit& commit);

}  // namespace fragtally
