#include "app/export.h"

#include <algorithm>
#include <exception>
#include <iterator>

#include "app/commands.h"
#include "app/players_session.h"
#include "files/paths.h"
#include "files/stats_file.h"
#include "stats/numbers.h"

namespace fragtally {

namespace {

constexpr std::string_view kHtmlOption = "--export-html";
constexpr std::string_view kCsvOption = "--export-csv";
constexpr std::string_view kPeriodOption = "--period";

// The values of "--period", as the periods' list offers them.
struct PeriodName {
  std::string_view Name;
  PlayersPeriod Period;
};
constexpr PeriodName kPeriodNames[] = {
    {"all", PlayersPeriod::AllTime},     {"evening", PlayersPeriod::LastEvening}, {"week", PlayersPeriod::ThisWeek},
    {"month", PlayersPeriod::ThisMonth}, {"year", PlayersPeriod::ThisYear},       {"30days", PlayersPeriod::Last30Days},
    {"365days", PlayersPeriod::Last365Days},
};

// FILE and the period of "--export-html FILE" or "--export-csv FILE",
// with "--period NAME" or "--period=NAME" before or after; none when the
// arguments say anything else.
struct ExportRequest {
  bool Html = false;
  std::string Target;
  PlayersPeriod Period = PlayersPeriod::AllTime;
};
std::optional<ExportRequest> ReadExportRequest(const std::vector<std::string>& arguments) {
  ExportRequest request;
  bool have_target = false, have_period = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == kHtmlOption || argument == kCsvOption) {
      if (have_target || i + 1 >= arguments.size() || arguments[i + 1].empty()) return std::nullopt;
      request.Html = argument == kHtmlOption;
      request.Target = arguments[++i];
      have_target = true;
      continue;
    }
    std::string_view name;
    if (argument == kPeriodOption) {
      if (i + 1 >= arguments.size()) return std::nullopt;
      name = arguments[++i];
    } else if (argument.rfind(std::string(kPeriodOption) + "=", 0) == 0) {
      name = std::string_view(argument).substr(kPeriodOption.size() + 1);
    } else {
      return std::nullopt;
    }
    const auto* found = std::find_if(std::begin(kPeriodNames), std::end(kPeriodNames),
                                     [&](const PeriodName& known) { return known.Name == name; });
    if (have_period || found == std::end(kPeriodNames)) return std::nullopt;
    request.Period = found->Period;
    have_period = true;
  }
  if (!have_target) return std::nullopt;
  return request;
}

ExportResult Failed(int code, std::string message) { return {code, std::move(message) + "\n"}; }

// " (why)": the cause of a file failure, in the player's words.
std::string Why(const platform::FileFailure& failure) { return " (" + FailureCause(failure) + ")"; }
std::string Why(const std::exception& error) {
  const auto* file_error = dynamic_cast<const Error*>(&error);
  return file_error == nullptr ? std::string() : Why(file_error->failure());
}

}  // namespace

std::optional<ExportResult> RunExport(const std::vector<std::string>& arguments, const std::string& program_folder,
                                      const CsvFormat& format) {
  bool asked = false;
  for (const std::string& argument : arguments) asked = asked || argument.rfind("--export-", 0) == 0;
  if (!asked) return std::nullopt;
  const std::optional<ExportRequest> request = ReadExportRequest(arguments);
  if (!request)
    return Failed(kExportUsage, "Использование: fragtally --export-html ФАЙЛ | --export-csv ФАЙЛ "
                                "[--period all|evening|week|month|year|30days|365days]");
  const std::string& target = request->Target;

  const std::unique_ptr<WindowState> state = NewForm1State(program_folder);
  try {
    LoadStatsFile(*state);
  } catch (const std::exception& error) {
    return Failed(kExportStatsUnreadable, "Не удалось прочитать файл статистики " +
                                              platform::AbsolutePath(StatsFilePath(*state)) + Why(error) +
                                              "; файл " + target + " не записан.");
  }
  return WriteExport(request->Html ? ExportKind::Html : ExportKind::Csv, state->Table,
                     ReadJournalMatches(JournalFilePath(*state)), target, format, request->Period);
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
