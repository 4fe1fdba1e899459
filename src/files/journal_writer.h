#pragma once

// Appending to the match journal (journal_format.h).

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "files/journal_format.h"

namespace fragtally {

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
  // `table`, which must not change while the writer lives; its session is
  // one of `sessions` and its map one of `maps`, whose strings must not
  // change either).
  void Add(const std::vector<std::string>& sessions, const std::vector<std::string>& maps, const PlayerTable& table,
           const PendingBlock& block);
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
    std::int64_t Match;
    const std::string* Map;  // escaped; nullptr for none
    std::uint64_t Digest;
  };
  class Maker;

 private:
  // Makes and appends the gathered lines (and `commit`'s, when given) here.
  void AppendGathered(const JournalCommit* commit);

  std::string path_;
  std::int64_t import_;
  std::deque<std::string> sessions_;  // JournalState::Sessions escaped, as far as met
  std::deque<std::string> maps_;      // and JournalState::Maps
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
