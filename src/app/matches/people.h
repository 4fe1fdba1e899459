#pragma once

// The organiser's commands on people (journal_people.h), as the Players
// window runs them: each goes through the store and tells what failed, and
// the names that look alike in a table.

#include <string>
#include <unordered_map>
#include <vector>

#include "app/main_window/window_state.h"
#include "app/text/messages.h"

namespace fragtally {

// "Объединить…": `names` (two or more) become one person shown as `shown`
// (one of them). False when nothing changed (and the player was told why).
bool MergeNames(WindowState& state, MessageSink& messages, const std::vector<std::string>& names,
                const std::string& shown);
// "Разделить": every name of the person shown as `person` is its own again.
bool SplitPerson(WindowState& state, MessageSink& messages, const std::string& person);
// "Скрыть" and showing a hidden name again.
bool HideName(WindowState& state, MessageSink& messages, const std::string& name);
bool ShowName(WindowState& state, MessageSink& messages, const std::string& name);
// The matches a person needs to be ranked (0: everyone is).
bool SetRankMinimum(WindowState& state, MessageSink& messages, std::int64_t minimum);

// Names that show as the same characters from different bytes (the same
// name once in Windows-1251 and once in UTF-8), each with the encoding that
// tells it apart ("UTF-8" or "Windows-1251"); other names are not in it.
std::unordered_map<std::string, std::string> LookAlikeNames(const std::vector<std::string>& names);

// The message boxes' texts.
inline constexpr const char* kPeopleFailedTitle = "Изменение не сохранено";
inline constexpr const char* kMergeTooFewText = "Выберите в таблице хотя бы два разных имени.";

}  // namespace fragtally
