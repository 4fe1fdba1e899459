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
//      match  map  digest
//      one imported block: what it added to its player's counters, the
//      match it belongs to (its number in the session), the map and the
//      digest of its lines. A line written before matches were told apart
//      ends after the counters: its block has no match, map or digest.
//   C  import  time  marker  counted  previous marker  previous counted
//      players before  players after  digest before  digest after
//      import in effect before  import in effect after  highest import number
//      blocks skipped
//      an import's commit, after its M lines; the last field, how many
//      blocks of the log it left out because an import in effect holds
//      their keys, is missing from lines written before blocks had keys
//      (read as 0)
//   U  the same fields for the undo of the import it names: the marker and
//      counted blocks it restores, then the ones it replaces, and so on
//      (without blocks skipped)
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

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/journal_state.h"

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
  // C lines: the blocks of the log left out because an import in effect
  // holds their keys though the remembered start-up line would have counted
  // them (0 on a line written before blocks had keys).
  std::int64_t Skipped = 0;
};

// The lines of an import: its blocks as read back (numbered `commit.Import`),
// then its C line.
std::string JournalImportText(const std::vector<JournalMatch>& matches, const JournalCommit& commit);
// A U line.
std::string JournalUndoText(const JournalCommit& undo);
// The X line that takes `line` back.
std::string JournalCancelText(const JournalCommit& line);

// What closes a line that a crash cut short.
extern const char* const kJournalLineCut;

// --- The pieces the reader and the writer share ---

// Writes `bytes` escaped at `at` (room for twice their size); returns the end.
char* PutEscaped(char* at, std::string_view bytes);
void AppendEscaped(std::string& out, std::string_view bytes);
// Appends an M line at the end of `out`, whose size it keeps in `used` (the
// room beyond is grown as needed, and cut only by the caller). The session
// is escaped already.
// The same for the map.
struct MatchLineFields {
  std::string_view EscapedSession;
  std::int64_t Position = 0;
  std::string_view Name;
  const CounterValues* Added = nullptr;
  std::int64_t Match = 0;
  std::string_view EscapedMap;
  std::optional<std::uint64_t> Digest;
};
void AppendMatchLine(std::string& out, std::size_t& used, std::int64_t import, const MatchLineFields& fields);
// Appends a C or U line.
void AppendCommit(std::string& out, const JournalCommit& commit);

// Whether `text` is a time as the journal writes it: "YYYY-MM-DD hh:mm:ss".
bool IsJournalTime(std::string_view text);
// Undoes PutEscaped; false for an escape it does not write.
bool UnescapeField(std::string_view text, std::string& out);

// Each parser reads one line without its line end; false when the line is
// not of its kind or not whole.
bool ParseCommit(std::string_view line, JournalCommit& commit);
// An X line: the kind and import of the line it takes back.
bool ParseCancel(std::string_view line, char& kind, std::int64_t& import);
// Only the import number of an M line.
bool ParseMatchImport(std::string_view line, std::int64_t& import);
bool ParseMatch(std::string_view line, JournalMatch& match);
// Only the fields of an M line that make its block's key (the session left
// escaped; no digest on an older line).
struct JournalKeyFields {
  std::int64_t Import = 0;
  std::string_view EscapedSession;
  std::int64_t Position = 0;
  std::optional<std::uint64_t> Digest;
};
bool ParseMatchKey(std::string_view line, JournalKeyFields& key);

}  // namespace fragtally
