#include "app/exports/export.h"

#include <exception>

#include "app/main_window/commands.h"
#include "app/matches/match_view.h"
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
  return WriteExport(kind, state->Table, *SnapshotMatches(ReadJournalHistory(JournalFilePath(*state))), target, format,
                     period);
}

namespace {

// "36 игр", "6 матчей": the journal's games (its blocks) and the matches they make.
std::string JournalCounts(const MatchSnapshot& matches) {
  std::size_t games = 0;
  for (const PlayedMatch& match : matches.Book.Matches) games += match.Games.size();
  std::string text = "игр в журнале: " + NumberText(static_cast<long long>(matches.Journal.size())) +
                     ", матчей: " + NumberText(static_cast<long long>(matches.Book.Matches.size()));
  if (games < matches.Journal.size())
    text += ", игр без матча (из старых строк журнала): " +
            NumberText(static_cast<long long>(matches.Journal.size() - games));
  return text;
}

}  // namespace

ExportResult WriteExport(ExportKind kind, const PlayerTable& table, const MatchSnapshot& matches,
                         const std::string& target, const CsvFormat& format, PlayersPeriod period) {
  const DayNumber today = LocalToday();
  const MatchesBySlot by_slot = GroupMatchesBySlot(table, matches.Journal);
  const PeriodSpan span = ResolvePeriod(period, by_slot, today);
  std::string contents;
  std::string what;
  if (kind == ExportKind::Matches) {
    contents = BuildMatchesCsv(matches, format);
    what = "Матчи сохранены: " + platform::AbsolutePath(target) + " (" + JournalCounts(matches) + ").\n";
  } else {
    std::vector<PlayerRow> rows = BuildPlayerRows(table, by_slot, span, &matches);
    const std::size_t players = rows.size();
    if (kind == ExportKind::Html)
      contents = BuildHtmlReport(table, matches, format.DecimalSeparator, platform::LocalDateTime(), period, today);
    else
      contents = BuildPlayersCsv(std::move(rows), format, PeriodText(span));
    what = std::string(kind == ExportKind::Html ? "Отчёт сохранён: " : "Таблица сохранена: ") +
           platform::AbsolutePath(target) + " (" + (period == PlayersPeriod::AllTime ? "" : PeriodText(span) + "; ") +
           "игроков: " + NumberText(static_cast<long long>(players)) + ", " + JournalCounts(matches) + ").\n";
  }
  platform::FileFailure failure;
  if (!platform::Files().ReplaceFile(target, contents, failure)) {
    return Failed(kExportWriteFailed,
                  "Не удалось записать файл " + platform::AbsolutePath(target) + Why(failure) + ".");
  }
  return ExportResult{kExportWritten, std::move(what)};
}

void ExportFromWindow(const WindowState& state, MessageSink& messages, ExportKind kind, const std::string& target,
                      const CsvFormat& format) {
  const ExportResult result = WriteExport(kind, state.Table, *state.Matches->Current(state), target, format);
  std::string text = result.Message;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (result.ExitCode == kExportWritten)
    messages.ShowMessage(MessageIcon::Information,
                         kind == ExportKind::Html  ? kReportSavedTitle
                         : kind == ExportKind::Csv ? kTableSavedTitle
                                                   : kMatchesSavedTitle,
                         text);
  else
    messages.ShowMessage(MessageIcon::Error, kExportFailedTitle, text);
}

}  // namespace fragtally
