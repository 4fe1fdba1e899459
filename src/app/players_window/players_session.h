#pragma once

// The Players window's presenter: the model of players.h read from the main
// window's table and the match journal, with the selected player kept across
// refreshes, sorts and periods. A window binds its table, period choice,
// charts and lists to it and forwards its events here.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/players_window/players.h"
#include "app/main_window/window_state.h"
#include "app/text/messages.h"

namespace fragtally {

// The Players window's own texts (UTF-8) and shape, the same in both windows.
struct PlayersWindowTexts {
  std::string_view Title;
  std::string_view PeriodLabel;  // before the period's choice; "&" marks the letter Alt chooses it by
  std::string_view NoPlayer;     // the page's heading while no row is chosen
  std::string_view Matches;      // after the chosen player's name, before the number of matches
  std::string_view NoMatches;    // after the name of a player without matches in the journal
  std::string_view NoRecord;     // the value of a record that no match set
  std::string_view NoScoreboard;  // the scoreboard's title while no game is chosen
  std::string_view NoMatch;       // its title for a chosen game without a match
  // After the chosen player's name for a period, before the period's text
  // (PeriodText) and the number of matches in it.
  std::string_view PeriodMatches;
  std::string_view PeriodMatchesEnd;
  std::string_view AllWeapons;  // the accuracy chart's first choice: every weapon fired
};
inline constexpr PlayersWindowTexts kPlayersWindowTexts{
    "Игроки", "&Период:", "Выберите игрока в таблице.", " — игр в журнале: ",
    " — в журнале нет игр этого игрока.", "—", "Выберите игру в списке последних игр.",
    "Эта игра записана до того, как программа стала различать матчи: таблицы матча нет.",
    " — игр в журнале за период «", "»: ", "Всё оружие"};

// The people's controls and dialogs (UTF-8), the same in both windows.
struct PeopleTexts {
  std::string_view Merge;        // the button: merge the chosen rows
  std::string_view Split;        // the button: a merged person's names their own again
  std::string_view Hide;         // the button: the chosen rows out of the table and the report
  std::string_view HiddenNames;  // the button: the hidden names' list
  std::string_view MinimumLabel;  // before the matches needed to be ranked; "&" as in PeriodLabel
  std::string_view MergeTitle, MergePrompt;    // the dialog asking which name is shown
  std::string_view MergeButton;                // its button that merges
  std::string_view HiddenTitle, HiddenPrompt;  // the hidden names' dialog
  std::string_view ShowButton;   // its button: the chosen name back in the table
  std::string_view Cancel;       // the list dialog's other button
  std::string_view NoHidden;     // its text while no name is hidden
  std::string_view NamesTitle;   // the page's list of the person's names
};
inline constexpr PeopleTexts kPeopleTexts{"Объединить…",
                                          "Разделить",
                                          "Скрыть",
                                          "Скрытые имена…",
                                          "&Матчей для рейтинга:",
                                          "Объединить имена",
                                          "Под каким именем показывать игрока?",
                                          "Объединить",
                                          "Скрытые имена",
                                          "Выберите имя, чтобы снова показывать его в таблице и отчёте:",
                                          "Показать",
                                          "Отмена",
                                          "Скрытых имён нет.",
                                          "Имена игрока"};
// The most matches the minimum can be set to.
inline constexpr std::int64_t kMaxRankMinimum = 9999;
// "меньше 10 матчей": why a row is listed after the ranked ones.
std::string BelowMinimumText(std::int64_t minimum);
// The text beside the minimum: what a greyed row means.
std::string RankLegendText(std::int64_t minimum);

// Sizes in pixels at 96 DPI.
struct PlayersWindowShape {
  int Width, Height;        // at its first opening
  int MinWidth, MinHeight;  // the least a player can make it
  double TableShare;        // the table's share of the height below the period's choice, until the splitter moves
  int LeastTableHeight, LeastPageHeight;  // what the splitter leaves each
};
inline constexpr PlayersWindowShape kPlayersWindowShape{1100, 820, 640, 560, 0.28, 80, 300};

// A column of the page's lists.
struct PageListColumn {
  std::string_view Caption;  // UTF-8
  CellAlign Align;
  std::string_view Tooltip = {};  // UTF-8: what the column holds, shown over its header; empty: none
};
// The personal records: what, its value, and the session and match that set it.
inline constexpr std::array<PageListColumn, 4> kRecordColumns{{
    {"Рекорд", CellAlign::Left},
    {"Значение", CellAlign::Right},
    {kMatchColumnCaptions[0], CellAlign::Left},
    {kMatchColumnCaptions[1], CellAlign::Right},
}};
// The last games, newest first, each with its match.
inline constexpr std::array<PageListColumn, kMatchColumnCaptions.size()> kLastMatchColumns{{
    {kMatchColumnCaptions[0], CellAlign::Left, "Начало игровой сессии"},
    {kMatchColumnCaptions[1], CellAlign::Right, "Номер матча в сессии; пусто у игры, записанной до того, как программа стала различать матчи"},
    {kMatchColumnCaptions[2], CellAlign::Left, "Карта матча"},
    {kMatchColumnCaptions[3], CellAlign::Right, "Место игрока по фрагам из числа игроков матча"},
    {kMatchColumnCaptions[4], CellAlign::Right},
    {kMatchColumnCaptions[5], CellAlign::Right},
    {kMatchColumnCaptions[6], CellAlign::Right},
    {kMatchColumnCaptions[7], CellAlign::Right},
    {kMatchColumnCaptions[8], CellAlign::Right},
    {kMatchColumnCaptions[9], CellAlign::Right},
}};
// The person's names, each with its first and last games.
inline constexpr std::array<PageListColumn, 3> kNameColumns{{
    {"Имя", CellAlign::Left, "Имена игрока в журнале; первое — то, под которым он показан"},
    {"Первая игра", CellAlign::Left, "Начало игровой сессии первой игры под этим именем"},
    {"Последняя игра", CellAlign::Left, "Начало игровой сессии последней игры под этим именем"},
}};
// The maps of the player's matches, most matches first.
inline constexpr std::array<PageListColumn, kMapColumnCaptions.size()> kMapColumns{{
    {kMapColumnCaptions[0], CellAlign::Left},
    {kMapColumnCaptions[1], CellAlign::Right, "Матчей игрока на этой карте"},
    {kMapColumnCaptions[2], CellAlign::Right, "Первых мест в них"},
    {kMapColumnCaptions[3], CellAlign::Right, "Фраги / матчи"},
    {kMapColumnCaptions[4], CellAlign::Right, "Все попадания из всех выстрелов на этой карте, в процентах"},
}};
// The chosen match's scoreboard: every player of it, best place first.
inline constexpr std::array<PageListColumn, kScoreboardColumnCaptions.size()> kScoreboardColumns{{
    {kScoreboardColumnCaptions[0], CellAlign::Right, "Место по фрагам; равные фраги делят место"},
    {kScoreboardColumnCaptions[1], CellAlign::Left},
    {kScoreboardColumnCaptions[2], CellAlign::Right},
    {kScoreboardColumnCaptions[3], CellAlign::Right},
    {kScoreboardColumnCaptions[4], CellAlign::Right},
    {kScoreboardColumnCaptions[5], CellAlign::Right, "Все попадания из всех выстрелов, в процентах"},
    {kScoreboardColumnCaptions[6], CellAlign::Right},
    {kScoreboardColumnCaptions[7], CellAlign::Right},
}};

// The page of the chosen player as both windows show it. The heading's name
// and every cell are each either bytes of the game (a name, a session) or
// UTF-8; a window decodes each by itself for display.
struct PlayersPageView {
  std::string HeadingName;  // bytes: the chosen player's name; empty while none is chosen
  std::string HeadingText;  // UTF-8, after the name
  // The charts, or null: their places stay blank while no player with
  // matches in the journal is chosen.
  const Chart* Frags = nullptr;
  const Chart* Accuracy = nullptr;
  const Chart* Skill = nullptr;  // null also while the player has no match with a number
  // The accuracy chart's choices (UTF-8): kAllWeapons' text, then each
  // weapon the player fired; empty while there is no chart. WeaponChoice is
  // the one shown.
  std::vector<std::string> WeaponChoices;
  int WeaponChoice = 0;
  std::vector<std::vector<std::string>> Records;      // in kRecordColumns' order
  std::vector<std::vector<std::string>> LastMatches;  // in kLastMatchColumns' order
  std::vector<std::vector<std::string>> Maps;         // in kMapColumns' order
  std::vector<std::vector<std::string>> Names;        // in kNameColumns' order
  int ChosenMatch = -1;  // the row of LastMatches whose scoreboard is shown, or -1
  std::string ScoreboardTitle;  // UTF-8
  std::vector<std::vector<std::string>> Scoreboard;  // in kScoreboardColumns' order
};

// Today's date on this computer's clock.
DayNumber LocalToday();

class PlayersSession {
 public:
  explicit PlayersSession(std::string decimal_separator) : decimal_separator_(std::move(decimal_separator)) {}

  // When the window opens: as Refresh, and the first row is chosen when no
  // player is.
  void Open(const WindowState& state);
  // After every import and undo: the table of `state` (read until the next
  // refresh) and the journal read afresh.
  void Refresh(const WindowState& state);
  // The same from a table (read until the next refresh) and the journal's
  // matches as given, on `today`.
  void Show(const PlayerTable& table, std::shared_ptr<const MatchSnapshot> matches, DayNumber today);

  void SetPeriod(PlayersPeriod period);
  void ClickHeader(PlayersColumn column);
  // The player of a row chosen (-1: none); the newest of the player's games
  // with a match is chosen on the page.
  void SelectRow(int row);
  // A row of the page's last games chosen (-1: none): its match's scoreboard
  // is shown (none for a game without a match).
  void SelectMatch(int row);
  // One of the page's WeaponChoices chosen for the accuracy chart (0: all).
  // The weapon stays chosen for the next player who fired it.
  void ChooseWeapon(int choice);

  // The organiser's commands on people (app/matches/people.h) for rows of
  // the table; after each the players and journal are read afresh from
  // `state`. False when nothing changed (`messages` told why).
  // The names a merge of `rows` can be shown under: each row's shown name (bytes), in the rows' order.
  std::vector<std::string> MergeChoices(const std::vector<int>& rows) const;
  bool Merge(WindowState& state, MessageSink& messages, const std::vector<int>& rows, const std::string& shown);
  // What a window's list dialog does: asks for one of `names` (bytes), with
  // `button` to take it; its index, or none when cancelled.
  using NameChooser = std::function<std::optional<int>(std::string_view title, std::string_view prompt,
                                                       std::string_view button, const std::vector<std::string>& names)>;
  // "Объединить…" on the chosen rows: fewer than two is told; else `choose` asks which name is shown.
  bool MergeChosen(WindowState& state, MessageSink& messages, const std::vector<int>& rows, const NameChooser& choose);
  // "Скрытые имена…": none hidden is told; else `choose` asks which one to show again.
  bool ShowHiddenChosen(WindowState& state, MessageSink& messages, const NameChooser& choose);
  // A row of a merged person (one that "Разделить" splits).
  bool CanSplit(int row) const;
  bool Split(WindowState& state, MessageSink& messages, int row);
  bool Hide(WindowState& state, MessageSink& messages, const std::vector<int>& rows);
  // The hidden names (bytes), sorted, and one shown again.
  std::vector<std::string> HiddenNames() const;
  bool Show(WindowState& state, MessageSink& messages, const std::string& name);
  std::int64_t RankMinimum() const;
  bool SetRankMinimum(WindowState& state, MessageSink& messages, std::int64_t minimum);
  // Whether a row is ranked, and what a window says over an unranked one (UTF-8; empty for a ranked one).
  bool Ranked(int row) const { return model_.Rows().at(static_cast<std::size_t>(row)).Ranked; }
  std::string RowNote(int row) const;

  const PlayersWindowModel& model() const { return model_; }
  int RowCount() const { return static_cast<int>(model_.Rows().size()); }
  std::string CellText(int row, PlayersColumn column) const {
    return model_.CellText(row, column, decimal_separator_);
  }
  // For each column of kPlayersColumns, its longest cell (in characters) in
  // the rows shown: a window sizes the column to it and to its caption,
  // without measuring every row.
  std::vector<std::string> LongestCells() const;
  // The selected player's row (-1 when none), and page.
  int SelectedRow() const { return selected_slot_ > 0 ? model_.RowOfSlot(selected_slot_) : -1; }
  const std::optional<PlayerPage>& Page() const { return page_; }
  // The page as the window shows it (it points into Page()).
  PlayersPageView PageView() const;
  const std::string& decimal_separator() const { return decimal_separator_; }

 private:
  void KeepSelection();
  // The accuracy chart of the chosen weapon, or of all when the page's player never fired it.
  void ShowWeapon();

  std::string decimal_separator_;
  PlayersWindowModel model_;
  int selected_slot_ = 0;
  std::optional<PlayerPage> page_;
  int chosen_match_ = -1;
  std::string chosen_weapon_;  // its name; empty: all
  int weapon_choice_ = 0;      // in the page's WeaponChoices
  Chart weapon_chart_;         // the accuracy chart of one weapon
};

}  // namespace fragtally
