#include "app/exports/export.h"

#include <exception>

#include "app/main_window/commands.h"
#include "app/players_window/players_session.h"
#include "files/paths.h"
#include "files/stats_file.h"
#include "stats/numbers.h"

namespace fragtally {

namespace {

ExportResult Failed(int code, std::string message) { return {code, std::move(message) + "\n"}; }

// " (why)": the cause of a file failure, in the player's words.
std::string Why(const platform::FileFailure& failure) { return " (" + FailureCause(failure) + ")"; }
std::string Why(const std::exception& error) {
  const auto* file_error = dynamic_cast<const Error*>(&error);
  return file_error == nullptr ? std::string() : Why(file_error->failure());
}

}  // namespace

ExportResult RunExport(ExportKind kind, const std::string& target, const std::string& program_folder,
                       const CsvFormat& format, PlayersPeriod period) {
  const std::unique_ptr<WindowState> state = NewForm1State(program_folder);
  try {
    LoadStatsFile(*state);
  } catch (const std::exception& error) {
    return Failed(kExportStatsUnreadable, "Не удалось прочитать файл статистики " +
                                              platform::AbsolutePath(StatsFilePath(*state)) + Why(error) +
                                              "; файл " + target + " не записан.");
  }
  return WriteExport(kind, state->Table, ReadJournalMatches(JournalFilePath(*state)), target, format, period);
}

ExportResult WriteExport(ExportKind kind, const PlayerTable& table, const std::vector<JournalMatch>& journal,
                         const std::string& target, const CsvFormat& format, PlayersPeriod period) {
  const DayNumber today = LocalToday();
  const MatchesBySlot matches = GroupMatchesBySlot(table, journal);
  const PeriodSpan span = ResolvePeriod(period, matches, today);
  std::vector<PlayerRow> rows = BuildPlayerRows(table, matches, span);
  const std::size_t players = rows.size();
  std::string contents;
  if (kind == ExportKind::Html)
    contents = BuildHtmlReport(table, journal, format.DecimalSeparator, platform::LocalDateTime(), period, today);
  else
    contents = BuildPlayersCsv(std::move(rows), format, PeriodText(span));
  platform::FileFailure failure;
  if (!platform::Files().ReplaceFile(target, contents, failure)) {
    return Failed(kExportWriteFailed,
                  "Не удалось записать файл " + platform::AbsolutePath(target) + Why(failure) + ".");
  }
  return ExportResult{kExportWritten, std::string(kind == ExportKind::Html ? "Отчёт сохранён: " : "Таблица сохранена: ") +
                                          platform::AbsolutePath(target) + " (" +
                                          (period == PlayersPeriod::AllTime ? "" : PeriodText(span) + "; ") +
                                          "игроков: " + NumberText(static_cast<long long>(players)) +
                                          ", матчей в журнале: " +
                                          NumberText(static_cast<long long>(journal.size())) + ").\n"};
}

void ExportFromWindow(const WindowState& state, MessageSink& messages, ExportKind kind, const std::string& target,
                      const CsvFormat& format) {
  const ExportResult result = WriteExport(kind, state.Table, ReadJournalMatches(JournalFilePath(state)), target, format);
  std::string text = result.Message;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (result.ExitCode == kExportWritten)
    messages.ShowMessage(MessageIcon::Information, kind == ExportKind::Html ? kReportSavedTitle : kTableSavedTitle,
                         text);
  else
    messages.ShowMessage(MessageIcon::Error, kExportFailedTitle, text);
}

}  // namespace fragtally
