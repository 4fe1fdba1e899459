#pragma once

// The program without its window: "--export-html FILE" and "--export-csv
// FILE" read the statistics file and the journal of the program's folder,
// as the window would at start, write the file and end. "--period NAME"
// (all, evening, week, month, year, 30days, 365days; all by default)
// chooses the period, as the Players window's list does.

#include <optional>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/report.h"
#include "app/window_state.h"

namespace fragtally {

enum ExportStatus {
  kExportWritten = 0,
  kExportUsage = 1,          // an unknown option, or no FILE
  kExportStatsUnreadable = 2,  // no statistics file, or one that could not be read completely
  kExportWriteFailed = 3,    // FILE could not be written
};

struct ExportResult {
  int ExitCode = kExportWritten;
  std::string Message;  // UTF-8, one line and its LF: for stdout when written, stderr otherwise
};

// Runs the export that `arguments` (the program's arguments without its own
// name) ask for; none when they ask for no export (the window opens).
// `format` is the user's locale.
std::optional<ExportResult> RunExport(const std::vector<std::string>& arguments, const std::string& program_folder,
                                      const CsvFormat& format);

enum class ExportKind { Html, Csv };

// Writes the HTML report or the CSV table of `table` and the journal's
// matches in `period` (up to today) to `target` (atomically: the old file
// stays when the write fails).
ExportResult WriteExport(ExportKind kind, const PlayerTable& table, const std::vector<JournalMatch>& journal,
                         const std::string& target, const CsvFormat& format,
                         PlayersPeriod period = PlayersPeriod::AllTime);

// The same from the window, of the players it shows: the player is told in a
// box what was written, or why not.
void ExportFromWindow(const WindowState& state, MessageSink& messages, ExportKind kind, const std::string& target,
                      const CsvFormat& format);

}  // namespace fragtally
