#include "app/main_window/import_report.h"

#include <set>

#include "app/text/messages.h"
#include "platform/platform.h"

namespace fragtally {

namespace {

// "12 игр из 2 игровых сессий, новых игроков: 3" (what an import entered).
std::string WhatWasEntered(const ImportReport& report) {
  std::string text;
  if (report.Matches)
    text = CountedText(*report.Matches, "матч", "матча", "матчей") + " (" + CountedText(report.Games, "игра", "игры", "игр") + ")";
  else
    text = CountedText(report.Games, "игру", "игры", "игр");
  // After "из": one session, else many (the genitive has no form for a few).
  const std::int64_t tens = report.Sessions % 100;
  text += " из " + std::to_string(report.Sessions) +
          (report.Sessions % 10 == 1 && tens != 11 ? " игровой сессии" : " игровых сессий");
  text += report.NewPlayers == 0 ? ", новых игроков нет" : ", новых игроков: " + std::to_string(report.NewPlayers);
  return text;
}

}  // namespace

ImportTally::ImportTally(const WindowState& state)
    : pending_before_(state.Journal.Pending.size()), players_before_(state.Table.PlayerCount) {}

ImportReport ImportTally::Report(const WindowState& state, ImportReport::Outcome outcome) const {
  ImportReport report;
  report.What = outcome;
  report.Time = LocalClockTime();
  const auto& pending = state.Journal.Pending;
  std::set<std::int32_t> sessions;
  std::set<std::pair<std::int32_t, std::int32_t>> matches;  // (session, match): a match is numbered in its session
  for (std::size_t i = pending_before_; i < pending.size(); ++i) {
    sessions.insert(pending[i].Session);
    if (pending[i].Match > 0) matches.emplace(pending[i].Session, pending[i].Match);
  }
  if (!matches.empty()) report.Matches = static_cast<std::int64_t>(matches.size());
  report.Games = pending.size() > pending_before_ ? static_cast<std::int64_t>(pending.size() - pending_before_) : 0;
  report.Sessions = static_cast<std::int64_t>(sessions.size());
  report.NewPlayers = state.Table.PlayerCount > players_before_ ? state.Table.PlayerCount - players_before_ : 0;
  return report;
}

std::string StatusLineText(const ImportReport& report) {
  const std::string when = "Импорт в " + report.Time;
  switch (report.What) {
    case ImportReport::Outcome::Failed:
      if (report.Games == 0 && report.NewPlayers == 0) return when + " не удался: ЛОГ файл не прочитан.";
      return when + " прерван ошибкой чтения ЛОГ файла, успев занести " + WhatWasEntered(report) + ".";
    case ImportReport::Outcome::Entered:
      if (report.Games > 0) return when + " занёс " + WhatWasEntered(report) + ".";
      break;
    case ImportReport::Outcome::NothingNew:
      break;
  }
  return when + ": в ЛОГ файле нет новых игр.";
}

std::string ImportUndoneText(const std::string& time) { return "Последний импорт отменён в " + time + "."; }

std::string LocalClockTime() {
  const std::string now = platform::LocalDateTime();  // YYYY-MM-DD hh:mm:ss
  return now.size() >= 16 ? now.substr(11, 5) : now;
}

}  // namespace fragtally
