#include "app/text/messages.h"

#include <set>
#include <utility>
#include <vector>

namespace fragtally {

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string Cause(const platform::FileFailure& failure) { return std::string("Причина: ") + FailureCause(failure) + "."; }

std::string KeptWhenNotSaved(SaveMoment moment) {
  return moment == SaveMoment::Import
             ? "Новые игры остались в памяти программы: она попробует записать их ещё раз при следующем нажатии кнопки "
               "и при закрытии. Файл настроек не записан, поэтому, если записать так и не удастся, эти игры будут "
               "занесены из ЛОГ файла при следующем запуске - ничего не будет посчитано дважды."
             : "Файл настроек тоже не записан, поэтому игры, которые не попали в файл статистики, будут занесены из ЛОГ "
               "файла при следующем запуске - ничего не потеряется и не будет посчитано дважды.";
}

}  // namespace

std::string FailureCause(const platform::FileFailure& failure) {
  switch (failure.Fault) {
    case platform::FileFault::NotFound:
      return "файл или папка не найдены";
    case platform::FileFault::InUse:
      return "файл занят другой программой (редактором, антивирусом, программой резервного копирования или "
             "синхронизации, игрой). Закройте её и повторите";
    case platform::FileFault::AccessDenied:
      if (failure.ProtectedFolder)
        return "Windows не даёт программам записывать в эту папку (Program Files) без прав администратора. Перенесите "
               "игру с программой в другую папку или запускайте программу от имени администратора";
      return "нет доступа: файл только для чтения, или в эту папку нельзя записывать";
    case platform::FileFault::DiskFull:
      return "на диске нет места";
    case platform::FileFault::Folder:
      return "под этим именем папка, а не файл";
    case platform::FileFault::NotRegular:
      return "под этим именем не обычный файл, а устройство, именованный канал или сокет: такие программа не читает "
             "и не заменяет";
    case platform::FileFault::None:
    case platform::FileFault::Other:
      break;
  }
  std::string cause = "ошибка системы " + std::to_string(failure.Code);
  if (!failure.SystemText.empty()) cause += " (" + failure.SystemText + ")";
  return cause;
}

std::string LogNotFoundText(const std::string& log_path, const platform::FileFailure* failure) {
  std::string text = std::string(kLogNotFoundText) + kContactAddress + kLineEnd + log_path;
  if (failure != nullptr && failure->Fault != platform::FileFault::NotFound && failure->Fault != platform::FileFault::None)
    text += kLineEnd + Cause(*failure);
  return text;
}

std::string StatsUnreadableText(const platform::FileFailure& failure) {
  return std::string("Файл статистики есть, но открыть его не удалось:") + kLineEnd + failure.Path + kLineEnd +
         Cause(failure) + kLineEnd +
         "Статистика не загружена. Программа попробует прочитать файл ещё раз при нажатии кнопки импорта; пока это не "
         "удастся, новые матчи не заносятся и файл статистики не перезаписывается, так что прежние итоги не пропадут.";
}

std::string StatsStillUnreadableText(const platform::FileFailure& failure) {
  return std::string("Файл статистики по-прежнему не удаётся прочитать:") + kLineEnd + failure.Path + kLineEnd +
         Cause(failure) + kLineEnd +
         "Новые матчи не занесены, файлы не изменены: иначе новый файл статистики остался бы без прежних итогов. "
         "Закройте программу, которая держит файл, и нажмите кнопку снова - матчи останутся в ЛОГ файле.";
}

std::string SettingsUnreadableText(const platform::FileFailure& failure) {
  return std::string("Файл настроек есть, но прочитать его не удалось:") + kLineEnd + failure.Path + kLineEnd +
         Cause(failure) + kLineEnd +
         "В нём записано, до какого места ЛОГ файла матчи уже занесены. Пока его не удастся прочитать, программа не "
         "заносит новые матчи (иначе они могли бы быть посчитаны дважды) и не перезаписывает этот файл. Закройте "
         "программу, которая его держит, и нажмите кнопку импорта.";
}

std::string StartOverQuestionText(const platform::FileFailure& failure, bool place_from_journal) {
  return std::string("Файл настроек по-прежнему не удаётся прочитать:") + kLineEnd + failure.Path + kLineEnd +
         Cause(failure) + kLineEnd +
         (place_from_journal
              ? "Занести новые матчи всё равно? Место в ЛОГ файле, до которого матчи уже занесены, программа возьмёт "
                "из журнала матчей, а путь к ЛОГ файлу - обычный (basekrm\\LOG.txt); файл настроек будет записан заново."
              : "Начать заново? Тогда весь ЛОГ файл будет занесён с начала, и матчи, которые уже есть в статистике, "
                "будут посчитаны второй раз; путь к ЛОГ файлу - обычный (basekrm\\LOG.txt), файл настроек будет записан "
                "заново.") +
         kLineEnd + "Ответьте «Нет», чтобы ничего не заносить и попробовать позже.";
}

std::string JournalUnreadableText(const platform::FileFailure& failure) {
  return std::string("Журнал матчей есть, но прочитать его не удалось:") + kLineEnd + failure.Path + kLineEnd +
         Cause(failure) + kLineEnd +
         "Пока его не удастся прочитать, новые матчи не заносятся (программа попробует ещё раз при нажатии кнопки "
         "импорта), и отменить импорт нельзя. Закройте программу, которая держит журнал.";
}

std::string JournalStillUnreadableText(const platform::FileFailure& failure) {
  return std::string("Журнал матчей по-прежнему не удаётся прочитать:") + kLineEnd + failure.Path + kLineEnd +
         Cause(failure) + kLineEnd +
         "Новые матчи не занесены, файлы не изменены: без журнала программа не знает номера импортов и не может "
         "проверить, всё ли записано после прошлого раза. Матчи остались в ЛОГ файле: закройте программу, которая "
         "держит журнал, и нажмите кнопку снова.";
}

std::string JournalUnreadText(const platform::FileFailure& failure, SaveMoment moment) {
  return std::string("Журнал матчей по-прежнему не удаётся прочитать:") + kLineEnd + failure.Path + kLineEnd +
         Cause(failure) + kLineEnd +
         "Статистика заносится только вместе с журналом, поэтому файлы статистики и настроек остались без изменений. " +
         KeptWhenNotSaved(moment);
}

std::string FileVanishedText(const std::string& path, SaveMoment moment) {
  return std::string("Файл, который был на диске при запуске программы, пропал (например, вынута флешка или "
                     "отключён сетевой диск с игрой):") +
         kLineEnd + path + kLineEnd +
         "Программа ничего не записала, чтобы не создать вместо него новый файл. Верните диск на место; если же вы "
         "удалили файл нарочно, перезапустите программу - она начнёт новый. " +
         KeptWhenNotSaved(moment);
}

std::string StatsSaveFailedText(const platform::FileFailure& failure, SaveMoment moment) {
  return std::string("Файл статистики не записан, прежний файл остался без изменений:") + kLineEnd + failure.Path +
         kLineEnd + Cause(failure) + kLineEnd + KeptWhenNotSaved(moment);
}

std::string SettingsSaveFailedText(const platform::FileFailure& failure, SaveMoment moment) {
  std::string text = std::string("Файл настроек не записан, прежний файл остался без изменений:") + kLineEnd +
                     failure.Path + kLineEnd + Cause(failure) + kLineEnd;
  text += moment == SaveMoment::Import
              ? "Статистика записана. Программа попробует записать файл настроек ещё раз при следующем нажатии кнопки и "
                "при закрытии; если так и не удастся, она допишет его по журналу матчей при следующем запуске - ничего не "
                "будет посчитано дважды."
              : "Статистика записана. Файл настроек программа допишет по журналу матчей при следующем запуске - ничего "
                "не будет посчитано дважды.";
  return text;
}

std::string JournalWriteFailedText(const platform::FileFailure& failure, SaveMoment moment) {
  return std::string("Журнал матчей не записан:") + kLineEnd + failure.Path + kLineEnd + Cause(failure) + kLineEnd +
         "Статистика заносится только вместе с журналом, поэтому файлы статистики и настроек остались без изменений. " +
         KeptWhenNotSaved(moment);
}

std::string UndoNotDoneText(const std::string& what, const platform::FileFailure& failure) {
  return what + kLineEnd + failure.Path + kLineEnd + Cause(failure) + kLineEnd +
         "Импорт не отменён: статистика, файлы и журнал остались прежними.";
}

const char* WordForCount(std::int64_t count, const char* one, const char* few, const char* many) {
  const std::int64_t tens = count % 100, ones = count % 10;
  if (tens >= 11 && tens <= 14) return many;
  if (ones == 1) return one;
  if (ones >= 2 && ones <= 4) return few;
  return many;
}

std::string CountedText(std::int64_t count, const char* one, const char* few, const char* many) {
  return std::to_string(count) + " " + WordForCount(count, one, few, many);
}

namespace {

// What an import brought: "6 матчей, 36 игр", or "3 игры" when none of its
// games has a match (older journal lines).
struct MatchesAndGames {
  std::set<std::int64_t> Matches;
  std::int64_t Games = 0;
  std::string Text() const {
    const std::string games = CountedText(Games, "игра", "игры", "игр");
    if (Matches.empty()) return games;
    return CountedText(static_cast<std::int64_t>(Matches.size()), "матч", "матча", "матчей") + ", " + games;
  }
};

}  // namespace

std::string UndoQuestionText(const JournalImport& last) {
  // Sessions in the order the import met them; a match is numbered within its session.
  std::vector<std::pair<std::string, MatchesAndGames>> sessions;
  for (const JournalMatch& game : last.Matches) {
    if (sessions.empty() || sessions.back().first != game.Session) sessions.emplace_back(game.Session, MatchesAndGames{});
    MatchesAndGames& session = sessions.back().second;
    ++session.Games;
    if (game.Match > 0) session.Matches.insert(game.Match);
  }
  std::int64_t matches = 0, games = 0;
  for (const auto& [session, counts] : sessions) {
    matches += static_cast<std::int64_t>(counts.Matches.size());
    games += counts.Games;
  }
  std::string text = "Отменить последний импорт (" + last.Commit.Time + ")";
  if (sessions.empty()) {
    text += "?\r\nОн не занёс ни одной игры; будет отменено только то, докуда был прочитан ЛОГ файл.\r\n";
  } else {
    text += ": ";
    if (matches > 0) text += CountedText(matches, "матч", "матча", "матчей") + ", ";
    text += CountedText(games, "игра", "игры", "игр") + "?\r\nИз статистики будут убраны:\r\n";
    for (const auto& [session, counts] : sessions)
      text += (session.empty() ? std::string("без даты игровой сессии") : "игровая сессия " + session) + ": " +
              counts.Text() + "\r\n";
    text += "(игра - результат одного игрока в одном матче).\r\n";
  }
  text += "Следующий импорт занесёт эти игры снова, если они ещё есть в ЛОГ файле.";
  return text;
}

namespace {

constexpr const char* kUndoWouldDiffer =
    "Отмена не вернула бы файл статистики таким, каким он был до этого импорта: строки импорта в журнале матчей "
    "изменены, удалены или повторены, или файл статистики правили вручную. Журнал матчей:";

// Why an undo was not done when no file error stands behind it: the journal's path and no cause.
std::string UndoNotDoneNoCause(const std::string& what, const std::string& path) {
  return what + kLineEnd + path + kLineEnd + "Импорт не отменён: статистика, файлы и журнал остались прежними.";
}

}  // namespace

std::string UndoRefusedText(const ImportToUndo& undo) {
  switch (undo.Refused) {
    case ImportToUndo::Problem::JournalUnreadable: return UndoNotDoneText("Журнал матчей не прочитан:", undo.Failure);
    case ImportToUndo::Problem::ResultDiffers: return UndoNotDoneNoCause(kUndoWouldDiffer, undo.Failure.Path);
    default: return UndoNotDoneNoCause("Журнал матчей не совпадает со статистикой:", undo.Failure.Path);
  }
}

std::string UndoFailedText(const UndoOutcome& outcome) {
  switch (outcome.Failed) {
    case UndoOutcome::Problem::JournalWrite: return UndoNotDoneText("Журнал матчей не записан:", outcome.Failure);
    case UndoOutcome::Problem::StatsWrite: return UndoNotDoneText("Файл статистики не записан:", outcome.Failure);
    case UndoOutcome::Problem::StatsChanged:
      return std::string("Файл статистики изменился на диске после того, как эта программа его прочитала или записала "
                         "(его изменила другая программа или другая копия Fragtally); он оставлен как есть:") +
             kLineEnd + outcome.Failure.Path + kLineEnd +
             "Импорт не отменён. Статистика, какой она была бы после отмены, записана рядом:" + kLineEnd +
             outcome.KeptBeside;
    case UndoOutcome::Problem::Vanished:
      return UndoNotDoneNoCause("Файл, который был на диске при запуске программы, пропал (например, вынута флешка с "
                                "игрой):",
                                outcome.Failure.Path);
    default: return UndoNotDoneNoCause(kUndoWouldDiffer, outcome.Failure.Path);
  }
}

std::string UndoSettingsFailedText(const platform::FileFailure& failure) {
  return std::string("Импорт отменён, и статистика записана, но файл настроек не записан:") + kLineEnd + failure.Path +
         kLineEnd + Cause(failure) + kLineEnd +
         "Программа попробует записать его ещё раз при следующем нажатии кнопки импорта и при закрытии, а если не "
         "удастся - допишет его по журналу матчей при следующем запуске.";
}

std::string GameFolderNotLockedText(const std::string& folder) {
  return std::string("Программе не удалось занять папку игры (так бывает на сетевом диске, который не даёт "
                     "блокировок), поэтому она не может проверить, не запущена ли в этой папке ещё одна копия Fragtally:") +
         kLineEnd + folder + kLineEnd +
         "Если другая копия запущена - здесь или на другом компьютере, - закройте одну из них: две копии занесли бы "
         "одни и те же игры дважды.";
}

std::string StatsChangedText(const std::string& stats_path, const std::string& kept_beside, SaveMoment moment) {
  return std::string("Файл статистики изменился на диске после того, как эта программа его прочитала (его изменила "
                     "другая программа или другая копия Fragtally):") +
         kLineEnd + stats_path + kLineEnd + "Он оставлен как есть. Статистика этой копии программы записана рядом:" +
         kLineEnd + kept_beside + kLineEnd + KeptWhenNotSaved(moment);
}

std::string StatsBackupText(const std::string& backup_path) {
  return std::string("Прежний файл статистики не удалось прочитать целиком, поэтому перед записью новой статистики он "
                     "сохранён под именем:") +
         kLineEnd + backup_path + kLineEnd +
         "В новом файле - то, что программа смогла прочитать, и новые игры.";
}

}  // namespace fragtally
