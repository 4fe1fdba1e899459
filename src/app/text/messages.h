#pragma once

#include <cstdint>
#include <string>

#include "files/store.h"
#include "platform/platform.h"

namespace fragtally {

enum class MessageIcon { Information, Error };

// How the commands tell the user something: a modal box with a title, an
// icon, a text and one OK button. The window shows real boxes; tests record
// them. Titles and texts are bytes: the program's own texts are UTF-8, and a
// player's name in a ratings report is shown as it came from the files, so a
// window decodes each line by itself (UTF-8 when valid, else Windows-1251).
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) = 0;
  // A question with the buttons Yes and No, No being the default: true when
  // the user answers Yes. A sink that cannot ask answers No, which changes
  // nothing.
  virtual bool AskYesNo(const std::string& title, const std::string& text) {
    (void)title;
    (void)text;
    return false;
  }
};

// Where users reach the developers; ends the two failure messages.
inline constexpr const char* kContactAddress = "fragtally@example.org";

inline constexpr const char* kStatsNotFoundTitle = "Программе не удалось найти файл статистики";
inline constexpr const char* kStatsNotFoundText =
    "Файл со статистикой не найден. Либо эта программа запускается первый раз, либо вы неправильно её "
    "настроили. Если повторится опять - читайте прилагающийся файл, или обратитесь к разработчику - ";

inline constexpr const char* kLogNotFoundTitle = "Программе не удалось найти ЛОГ файл";
inline constexpr const char* kLogNotFoundText =
    "ЛОГ файл не найден. Либо вы просто ещё ни разу не играли в KRM, либо неправильно настроили данную "
    "программу. Читайте прилагающийся файл, или обратитесь к разработчику - ";

inline constexpr const char* kLogUnchangedTitle = "Статистика не занесена";
inline constexpr const char* kLogUnchangedText =
    "ЛОГ файл не изменился с момента последней проверки. Скорее всего - вы не запускали Krellmar. "
    "Сначала поиграйте! =)";

inline constexpr const char* kRatingsTitle = "Рейтинги игроков";


// A panel whose accuracy does not fit what a label can show is filled only
// up to that label; the user is told instead of the program ending.
inline constexpr const char* kPanelFillFailedTitle = "Статистика игрока показана не полностью";
inline constexpr const char* kPanelFillFailedText =
    "Точность одного из оружий этого игрока слишком велика, чтобы её показать. Значения панели после неё "
    "остались прежними.";

// A save failed, at an import or at closing.
inline constexpr const char* kSaveFailedTitle = "Не удалось сохранить файл";

// The statistics file exists but could not be opened at start-up.
inline constexpr const char* kStatsUnreadableTitle = "Программе не удалось открыть файл статистики";

// The settings file or the match journal exists but could not be read at
// start-up (or still cannot be, at an import).
inline constexpr const char* kSettingsUnreadableTitle = "Программе не удалось прочитать файл настроек";
inline constexpr const char* kJournalUnreadableTitle = "Программе не удалось прочитать журнал матчей";

// A file of the game folder that was there is gone (a removed disk).
inline constexpr const char* kFileVanishedTitle = "Файл программы пропал с диска";

// The statistics file changed on disk since the program read or wrote it.
inline constexpr const char* kStatsChangedTitle = "Файл статистики изменён другой программой";

// A save kept the old statistics file under another name first.
inline constexpr const char* kStatsBackupTitle = "Прежний файл статистики сохранён";

// Undoing the last import: the question, what went wrong, the about box.
inline constexpr const char* kUndoImportTitle = "Отмена последнего импорта";
inline constexpr const char* kUndoFailedTitle = "Импорт не отменён";
inline constexpr const char* kAboutTitle = "О программе";
inline constexpr const char* kReportSavedTitle = "Отчёт сохранён";
inline constexpr const char* kTableSavedTitle = "Таблица сохранена";
inline constexpr const char* kMatchesSavedTitle = "Матчи сохранены";
inline constexpr const char* kExportFailedTitle = "Файл не сохранён";

// No lock could be made on the game folder at start-up: another copy in the
// same folder would not be noticed.
inline constexpr const char* kGameFolderNotLockedTitle = "Не удалось проверить, одна ли копия программы запущена";
std::string GameFolderNotLockedText(const std::string& folder);

// The system refused to make the main window (the Windows program ends).
inline constexpr const char* kWindowNotCreatedText = "Не удалось создать окно программы.";

// When a save fails or is refused.
enum class SaveMoment { Import, Closing };

// The texts of the messages above. File names are put on lines of their own:
// a window decodes each line by itself, and a name may be in the system's
// code page rather than UTF-8.
std::string LogNotFoundText(const std::string& log_path, const platform::FileFailure* failure);
std::string StatsUnreadableText(const platform::FileFailure& failure);
// At an import: the statistics file still cannot be read, so nothing was imported.
std::string StatsStillUnreadableText(const platform::FileFailure& failure);
std::string SettingsUnreadableText(const platform::FileFailure& failure);
// At an import, while the settings file cannot be read: the question whether
// to import all the same (Yes), with the place in the log the journal knows
// or, without one, the whole log again.
std::string StartOverQuestionText(const platform::FileFailure& failure, bool place_from_journal);
std::string JournalUnreadableText(const platform::FileFailure& failure);
// At an import: the journal still cannot be read, so nothing was imported.
std::string JournalStillUnreadableText(const platform::FileFailure& failure);
// A commit that waits for the journal to be read.
std::string JournalUnreadText(const platform::FileFailure& failure, SaveMoment moment);
// A file that was there at start-up is gone at a save.
std::string FileVanishedText(const std::string& path, SaveMoment moment);
std::string StatsSaveFailedText(const platform::FileFailure& failure, SaveMoment moment);
std::string SettingsSaveFailedText(const platform::FileFailure& failure, SaveMoment moment);
std::string StatsChangedText(const std::string& stats_path, const std::string& kept_beside, SaveMoment moment);
std::string StatsBackupText(const std::string& backup_path);
std::string JournalWriteFailedText(const platform::FileFailure& failure, SaveMoment moment);
// `what` failed (a sentence ending in a colon), at the file of `failure`.
std::string UndoNotDoneText(const std::string& what, const platform::FileFailure& failure);
std::string UndoSettingsFailedText(const platform::FileFailure& failure);
// The undo's question: which matches of which game sessions `last` removes.
std::string UndoQuestionText(const JournalImport& last);

// The word for `count` things: one, few (2-4) or many (5-20, 0), as Russian
// chooses after a number; and "5 матчей" with it.
const char* WordForCount(std::int64_t count, const char* one, const char* few, const char* many);
std::string CountedText(std::int64_t count, const char* one, const char* few, const char* many);
// Why the journal gave no import to undo (UndoNotDoneText).
std::string UndoRefusedText(const ImportToUndo& undo);
// Why an undo was not done (any failure but SettingsWrite; UndoNotDoneText).
std::string UndoFailedText(const UndoOutcome& outcome);
// Why a file could not be read or written, in the player's words.
std::string FailureCause(const platform::FileFailure& failure);

}  // namespace fragtally
