#pragma once

// The program without its window: "--export-html FILE", "--export-csv
// FILE" and "--export-matches FILE" read the statistics file and the
// journal of the program's folder, as the window would at start, write the
// file and end. "--period NAME" (all, evening, week, month, year, 30days,
// 365days; all by default) chooses the period of the report and the table,
// as the Players window's list does; the matches' file holds every match.

#include <optional>
#include <string>
#include <vector>

#include "app/text/messages.h"
#include "app/exports/report.h"
#include "app/main_window/window_state.h"

namespace fragtally {

enum ExportStatus {
  kExportWritten = 0,
  kExportUsage = 1,          // an unknown option, or no FILE (command_line.h)
  kExportStatsUnreadable = 2,  // no statistics file, or one that could not be read completely
  kExportWriteFailed = 3,    // FILE could not be written
};

struct ExportResult {
  int ExitCode = kExportWritten;
  std::string Message;  // UTF-8, one line and its LF: for stdout when written, stderr otherwise
};

// The HTML report, the players' CSV table, the matches' CSV (one line per
// player per match).
enum class ExportKind { Html, Csv, Matches };

// The export of the command line (command_line.h): the statistics file and
// the journal of `program_folder`, as the window would read them at start,
// written to `target`, of `period` up to today. `format` is the user's
// locale.
ExportResult RunExport(ExportKind kind, const std::string& target, const std::string& program_folder,
                       const CsvFormat& format, PlayersPeriod period = PlayersPeriod::AllTime);

// Writes the export of `table` and the journal's matches in `period` (up to
// today) to `target` (atomically: the old file stays when the write fails).
ExportResult WriteExport(ExportKind kind, const PlayerTable& table, const MatchSnapshot& matches,
                         const std::string& target, const CsvFormat& format,
                         PlayersPeriod period = PlayersPeriod::AllTime);

// The same from the window, of the players it shows: the player is told in a
// box what was written, or why not.
void ExportFromWindow(const WindowState& state, MessageSink& messages, ExportKind kind, const std::string& target,
                      const CsvFormat& format);

}  // namespace fragtally
