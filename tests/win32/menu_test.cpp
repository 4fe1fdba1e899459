// The Windows window's menu bar and the Players window it opens: built from
// the menu table and bound to the presenters (whose scenarios are tested in
// tests/form_session_test.cpp), driven with the messages a user's actions send.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "app/main_window/menus.h"
#include "app/players_window/placement.h"
#include "app/players_window/players_session.h"
#include "blocks.h"
#include "window/win32/name_dialog.h"
#include "window/win32/players_window.h"
#include "window/win32/text.h"
#include "window_support.h"

namespace fragtally::testing {
namespace {

using win32::FromUtf8;

const std::string kStartup = "--- Fs_startup : Sun Mar 15 18:02:44 2026";

std::wstring MenuText(HMENU menu, UINT item, UINT by) {
  wchar_t text[128] = L"";
  GetMenuStringW(menu, item, text, 128, by);
  return text;
}

std::wstring CellOf(HWND list, int row, int column) {
  wchar_t text[256] = L"";
  ListView_GetItemText(list, row, column, text, 256);
  return text;
}

class MenuTest : public WindowTest {
 protected:
  // A log of three players, imported: every one has a journal match.
  void ImportThreePlayers() {
    WriteFile(Basekrm() / "LOG.txt",
              CrLf(Lines({{kStartup, "map: krmdm6"}, MatchBlock("Nika", 6), MatchBlock("Tarn", 9), MatchBlock("Ode", 2)})));
    Load();
    Click("Command1");
  }
  void Choose(MenuCommand command) { SendMessageW(main_, WM_COMMAND, static_cast<WPARAM>(command), 0); }
  bool UndoGreyed() const {
    return (GetMenuState(GetMenu(main_), static_cast<UINT>(MenuCommand::UndoImport), MF_BYCOMMAND) & MF_GRAYED) != 0;
  }
  win32::PlayersWindow& OpenPlayers() {
    Choose(MenuCommand::Players);
    EXPECT_NE(form_->players(), nullptr);
    return *form_->players();
  }
};

TEST_F(MenuTest, MenuBarIsTheTablesWithItsCommandIds) {
  HMENU bar = GetMenu(main_);
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(MainMenus().size()));
  for (int m = 0; m < GetMenuItemCount(bar); ++m) {
    const Menu& menu = MainMenus()[static_cast<std::size_t>(m)];
    EXPECT_EQ(MenuText(bar, static_cast<UINT>(m), MF_BYPOSITION), FromUtf8(menu.Label));
    HMENU popup = GetSubMenu(bar, m);
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(menu.Items.size()));
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
      const MenuItem& item = menu.Items[static_cast<std::size_t>(i)];
      EXPECT_EQ(GetMenuItemID(popup, i), static_cast<UINT>(item.Command));
      EXPECT_EQ(MenuText(popup, static_cast<UINT>(i), MF_BYPOSITION), FromUtf8(item.Label));
    }
  }
  EXPECT_EQ(MenuText(bar, static_cast<UINT>(MenuCommand::UndoImport), MF_BYCOMMAND),
            L"&Отменить последний импорт");
}

TEST_F(MenuTest, UndoIsGreyedUntilAnImportAndAfterItsUndo) {
  Load();
  EXPECT_TRUE(UndoGreyed());
  Click("Command1");  // nothing to import yet: still nothing to undo
  ImportThreePlayers();
  EXPECT_FALSE(UndoGreyed());
  sink_.answer = true;  // "Yes" to the question
  Choose(MenuCommand::UndoImport);
  EXPECT_TRUE(UndoGreyed());
  EXPECT_EQ(SendMessageW(Item("Combo1"), CB_GETCOUNT, 0, 0), 0) << "the import's players went with it";
}

TEST_F(MenuTest, AboutAndTheExportsGoThroughThePresenter) {
  ImportThreePlayers();
  const std::size_t before = sink_.messages.size();
  Choose(MenuCommand::About);
  ASSERT_EQ(sink_.messages.size(), before + 1);

  Choose(MenuCommand::ExportCsv);  // the dialog cancelled: nothing is written, nothing told
  ASSERT_EQ(save_requests_.size(), 1u);
  EXPECT_EQ(save_requests_[0].DefaultName, L"Игроки Fragtally.csv");
  EXPECT_EQ(save_requests_[0].Extension, L"csv");
  EXPECT_EQ(sink_.messages.size(), before + 1);

  const std::filesystem::path target = dir_.path() / L"Отчёт.html";
  save_answer_ = target.wstring();
  Choose(MenuCommand::ExportHtml);
  ASSERT_EQ(save_requests_.size(), 2u);
  EXPECT_EQ(save_requests_[1].DefaultName, L"Отчёт Fragtally.html");
  EXPECT_EQ(sink_.messages.size(), before + 2) << "the player is told what was written";
  ASSERT_TRUE(std::filesystem::exists(target)) << "the file name with Cyrillic letters reaches the export whole";
  EXPECT_NE(ReadFile(target).find("Tarn"), std::string::npos);

  const std::filesystem::path matches = dir_.path() / L"Матчи.csv";
  save_answer_ = matches.wstring();
  Choose(MenuCommand::ExportMatches);  // command 7007
  ASSERT_EQ(save_requests_.size(), 3u);
  EXPECT_EQ(save_requests_[2].DefaultName, L"Матчи Fragtally.csv");
  EXPECT_EQ(sink_.messages.size(), before + 3);
  EXPECT_EQ(ReadFile(matches).rfind("\xEF\xBB\xBFСессия", 0), 0u);
  EXPECT_NE(ReadFile(matches).find("Tarn"), std::string::npos) << "the match of the import";
}

TEST_F(MenuTest, PlayersWindowOpensOnceWithItsControls) {
  ImportThreePlayers();
  win32::PlayersWindow& players = OpenPlayers();
  HWND window = players.hwnd();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(TextOf(window), L"Игроки");
  EXPECT_EQ(GetWindow(window, GW_OWNER), main_);
  EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropW(window, win32::kWindowIdProperty)), 8000);
  const std::pair<int, const wchar_t*> controls[] = {{8001, WC_COMBOBOXW}, {8002, WC_LISTVIEWW}, {8003, WC_STATICW},
                                                     {8004, WC_STATICW},   {8005, WC_LISTVIEWW}, {8006, WC_LISTVIEWW},
                                                     {8030, WC_STATICW},   {8031, WC_LISTVIEWW}, {8032, WC_LISTVIEWW},
                                                     {8033, WC_STATICW}};
  for (const auto& [id, window_class] : controls) {
    HWND control = GetDlgItem(window, id);
    ASSERT_NE(control, nullptr) << id;
    wchar_t name[64] = L"";
    GetClassNameW(control, name, 64);
    EXPECT_EQ(_wcsicmp(name, window_class), 0) << id;
  }
  HWND period = GetDlgItem(window, 8001);
  EXPECT_EQ(SendMessageW(period, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(kPlayersPeriods.size()));
  EXPECT_EQ(TextOf(period), L"За всё время");
  RECT client;
  GetClientRect(window, &client);
  EXPECT_NEAR(client.right, MulDiv(kPlayersWindowShape.Width, static_cast<int>(form_->dpi()), 96), 2);
  EXPECT_NEAR(client.bottom, MulDiv(kPlayersWindowShape.Height, static_cast<int>(form_->dpi()), 96), 2);

  Choose(MenuCommand::Players);
  EXPECT_EQ(players.hwnd(), window) << "one window, brought to the front";
  DestroyWindow(window);
  OpenPlayers();
  EXPECT_TRUE(IsWindowVisible(players.hwnd())) << "the menu opens it again";
}

TEST_F(MenuTest, TheSplitterBarMovesTheTableAndThePageAndComesBackWithThePlace) {
  ImportThreePlayers();
  win32::PlayersWindow& players = OpenPlayers();
  HWND bar = players.Control(8040);
  ASSERT_NE(bar, nullptr);
  // The page's first row: the heading and the accuracy chart's weapon.
  const RECT table = RectInParent(players.Control(8002)), heading = RectInParent(players.Control(8041));
  const RECT placed = RectInParent(bar);
  EXPECT_EQ(placed.top, table.bottom) << "right under the table";
  EXPECT_EQ(placed.bottom, heading.top) << "right over the page";
  EXPECT_EQ(placed.right - placed.left, table.right - table.left);

  // Dragged 60 pixels down: the table is taller, the page starts lower.
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 2));
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 62));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(20, 62));
  const RECT taller = RectInParent(players.Control(8002));
  EXPECT_EQ(taller.bottom - taller.top, table.bottom - table.top + 60);
  EXPECT_EQ(RectInParent(players.Control(8041)).top, heading.top + 60);
  EXPECT_EQ(RectInParent(bar).top, taller.bottom);
  // Dragged far down, the page keeps its least height.
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 2));
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 3000));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(20, 3000));
  RECT client;
  GetClientRect(players.hwnd(), &client);
  const int least_page = MulDiv(kPlayersWindowShape.LeastPageHeight, static_cast<int>(form_->dpi()), 96);
  EXPECT_LE(RectInParent(players.Control(8002)).bottom, client.bottom - least_page);
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 2));
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 62 - (RectInParent(bar).top - table.bottom)));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(20, 62));
  ASSERT_EQ(RectInParent(players.Control(8002)).bottom - table.top, table.bottom - table.top + 60);

  // Closed far off the screen: the window file keeps the place and the
  // splitter; opened again, the window is back on the screen, the table as tall.
  SetWindowPos(players.hwnd(), nullptr, 30000, 20000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  DestroyWindow(players.hwnd());
  const PlayersPlacement kept = LoadPlayersPlacement(form_->session().state());
  EXPECT_EQ(kept.TableHeight, table.bottom - table.top + 60);
  ASSERT_TRUE(kept.Window.has_value());
  OpenPlayers();
  RECT window;
  GetWindowRect(players.hwnd(), &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(players.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_LE(window.right, monitor.rcWork.right);
  EXPECT_LE(window.bottom, monitor.rcWork.bottom);
  EXPECT_GE(window.left, monitor.rcWork.left);
  EXPECT_EQ(RectInParent(players.Control(8002)).bottom - RectInParent(players.Control(8002)).top,
            table.bottom - table.top + 60);

  // A garbled window file: the default size, and no message.
  DestroyWindow(players.hwnd());
  const std::size_t messages = sink_.messages.size();
  WriteFile(Basekrm() / "window.ini", "Players.X=\xFF\r\nPlayers.TableHeight=abc\r\n");
  OpenPlayers();
  GetClientRect(players.hwnd(), &client);
  EXPECT_NEAR(client.right, MulDiv(kPlayersWindowShape.Width, static_cast<int>(form_->dpi()), 96), 2);
  EXPECT_EQ(RectInParent(players.Control(8002)).bottom - RectInParent(players.Control(8002)).top,
            table.bottom - table.top);
  EXPECT_EQ(sink_.messages.size(), messages);
}

TEST_F(MenuTest, TheAccuracyChartsWeaponIsChosenInItsComboBox) {
  ImportThreePlayers();
  win32::PlayersWindow& players = OpenPlayers();
  HWND weapon = players.Control(8041);
  ASSERT_NE(weapon, nullptr);
  wchar_t name[64] = L"";
  GetClassNameW(weapon, name, 64);
  EXPECT_EQ(_wcsicmp(name, WC_COMBOBOXW), 0);
  const PlayersPageView view = players.session().PageView();
  ASSERT_GE(view.WeaponChoices.size(), 2u);
  ASSERT_EQ(SendMessageW(weapon, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(view.WeaponChoices.size()));
  EXPECT_EQ(TextOf(weapon), W(view.WeaponChoices[0]));
  EXPECT_EQ(SendMessageW(weapon, CB_GETCURSEL, 0, 0), 0);

  SendMessageW(weapon, CB_SETCURSEL, 1, 0);
  SendMessageW(players.hwnd(), WM_COMMAND, MAKEWPARAM(8041, CBN_SELCHANGE), reinterpret_cast<LPARAM>(weapon));
  EXPECT_EQ(players.session().PageView().WeaponChoice, 1);
  EXPECT_EQ(TextOf(weapon), W(view.WeaponChoices[1]));
  // The next player fired the same weapon: it stays chosen.
  HWND table = players.Control(8002);
  ListView_SetItemState(table, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(players.session().SelectedRow(), 1);
  EXPECT_EQ(SendMessageW(weapon, CB_GETCURSEL, 0, 0), 1);
}

TEST_F(MenuTest, TabAndShiftTabWalkEveryControlAndEscapeClosesFromAnyOfThem) {
  ImportThreePlayers();
  ShowActive();
  win32::PlayersWindow& players = OpenPlayers();
  SetForegroundWindow(players.hwnd());
  Pump();
  // 8060: the head-to-head button; 8092 hide and 8095 the minimum (merge, split and the hidden names
  // are disabled with one row chosen and nothing hidden); 8041: the accuracy chart's weapon; 8098 the names.
  const std::vector<int> order{8001, 8060, 8092, 8095, 8002, 8041, 8006, 8032, 8005, 8031, 8098};
  const auto press = [&](int id, bool shift, WORD key) {
    SetFocus(players.Control(id));
    Pump(50);
    if (shift) {
      INPUT down{};
      down.type = INPUT_KEYBOARD;
      down.ki.wVk = VK_SHIFT;
      SendInput(1, &down, sizeof down);
    }
    PressKey(key);
    if (shift) {
      INPUT up{};
      up.type = INPUT_KEYBOARD;
      up.ki.wVk = VK_SHIFT;
      up.ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(1, &up, sizeof up);
    }
    Pump(100);
  };
  for (std::size_t i = 0; i < order.size(); ++i) {
    press(order[i], false, VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), order[(i + 1) % order.size()]) << "Tab from " << order[i];
    press(order[i], true, VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), order[(i + order.size() - 1) % order.size()]) << "Shift+Tab from " << order[i];
  }

  for (int id : order) {
    OpenPlayers();
    SetForegroundWindow(players.hwnd());
    Pump();
    press(id, false, VK_ESCAPE);
    EXPECT_FALSE(players.IsOpen()) << "Escape in " << id;
  }
  EXPECT_TRUE(IsWindow(main_));
}

TEST_F(MenuTest, ThePresentersTextsAndColumnsAreShown) {
  ImportThreePlayers();
  win32::PlayersWindow& players = OpenPlayers();
  EXPECT_EQ(TextOf(players.Control(win32::kPeriodLabelId)), FromUtf8(kPlayersWindowTexts.PeriodLabel));
  HWND records = players.Control(8005);
  HWND header = ListView_GetHeader(records);
  ASSERT_EQ(Header_GetItemCount(header), static_cast<int>(kRecordColumns.size()));
  for (std::size_t c = 0; c < kRecordColumns.size(); ++c) {
    wchar_t caption[64] = L"";
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = caption;
    item.cchTextMax = 64;
    Header_GetItem(header, static_cast<int>(c), &item);
    EXPECT_EQ(std::wstring(caption), FromUtf8(kRecordColumns[c].Caption));
  }

  // The table's columns fit their captions and longest cells, and no more.
  HWND table = players.Control(8002);
  for (std::size_t c = 0; c < kPlayersColumns.size(); ++c) {
    const std::wstring caption = FromUtf8(kPlayersColumns[c].Caption);
    const int text = static_cast<int>(SendMessageW(table, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(caption.c_str())));
    EXPECT_GT(ListView_GetColumnWidth(table, static_cast<int>(c)), text) << c;
    // (Under Wine the first column stays wider than asked: 150 pixels here.)
    if (c > 0) {
      EXPECT_LT(ListView_GetColumnWidth(table, static_cast<int>(c)), text + MulDiv(60, static_cast<int>(form_->dpi()), 96))
          << c;
    }
  }

  // Each caption with a tooltip text has its tooltip over it.
  HWND tooltips = players.HeaderTooltips(8002);
  ASSERT_NE(tooltips, nullptr);
  std::vector<std::wstring> shown, expected;
  for (const PlayersColumnInfo& column : kPlayersColumns)
    if (!column.Tooltip.empty()) expected.push_back(FromUtf8(column.Tooltip));
  const int tools = static_cast<int>(SendMessageW(tooltips, TTM_GETTOOLCOUNT, 0, 0));
  for (int t = 0; t < tools; ++t) {
    wchar_t text[512] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    SendMessageW(tooltips, TTM_ENUMTOOLSW, static_cast<WPARAM>(t), reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(tool.hwnd, ListView_GetHeader(players.Control(8002)));
    shown.push_back(text);
  }
  EXPECT_EQ(shown, expected);

  // The first row is chosen at the opening; the page is the presenter's, cell for cell.
  const PlayersPageView view = players.session().PageView();
  EXPECT_EQ(players.session().SelectedRow(), 0);
  EXPECT_EQ(TextOf(players.Control(win32::kPlayerHeadingId)), FromUtf8(view.HeadingName + view.HeadingText));
  ASSERT_EQ(ListView_GetItemCount(records), static_cast<int>(view.Records.size()));
  for (std::size_t r = 0; r < view.Records.size(); ++r)
    for (std::size_t c = 0; c < kRecordColumns.size(); ++c)
      EXPECT_EQ(CellOf(records, static_cast<int>(r), static_cast<int>(c)), FromUtf8(view.Records[r][c]));

  sink_.answer = true;
  Choose(MenuCommand::UndoImport);
  EXPECT_EQ(TextOf(players.Control(win32::kPlayerHeadingId)), FromUtf8(kPlayersWindowTexts.NoPlayer));
  EXPECT_EQ(ListView_GetItemCount(records), 0);
}

TEST_F(MenuTest, HeaderClickSortsWithItsArrowAndARowShowsItsPage) {
  ImportThreePlayers();
  win32::PlayersWindow& players = OpenPlayers();
  HWND table = players.Control(8002);
  ASSERT_EQ(ListView_GetItemCount(table), 3);
  EXPECT_EQ(CellOf(table, 0, 0), L"Tarn") << "ranked by the frag rating until a header is clicked";

  NMLISTVIEW click{};
  click.hdr = {table, 8002, LVN_COLUMNCLICK};
  click.iItem = -1;
  click.iSubItem = static_cast<int>(PlayersColumn::Kills);
  SendMessageW(players.hwnd(), WM_NOTIFY, 8002, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(CellOf(table, 0, 0), L"Tarn") << "most kills first";
  EXPECT_EQ(CellOf(table, 2, 0), L"Ode");
  HDITEMW header{};
  header.mask = HDI_FORMAT;
  Header_GetItem(ListView_GetHeader(table), static_cast<int>(PlayersColumn::Kills), &header);
  EXPECT_TRUE(header.fmt & HDF_SORTDOWN);
  SendMessageW(players.hwnd(), WM_NOTIFY, 8002, reinterpret_cast<LPARAM>(&click));
  Header_GetItem(ListView_GetHeader(table), static_cast<int>(PlayersColumn::Kills), &header);
  EXPECT_TRUE(header.fmt & HDF_SORTUP);
  EXPECT_EQ(CellOf(table, 0, 0), L"Ode");

  EXPECT_EQ(TextOf(players.Control(win32::kPlayerHeadingId)).rfind(L"Tarn", 0), 0u)
      << "the first row, chosen at the opening, stays chosen across the sorts";
  ListView_SetItemState(table, 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);  // Tarn
  EXPECT_EQ(players.session().SelectedRow(), 2);
  EXPECT_EQ(TextOf(players.Control(win32::kPlayerHeadingId)).rfind(L"Tarn", 0), 0u);
  HWND matches = players.Control(8006);
  ASSERT_EQ(ListView_GetItemCount(matches), 1);
  EXPECT_EQ(CellOf(matches, 0, 5), L"9") << "Tarn's kills";
  EXPECT_GT(ListView_GetItemCount(players.Control(8005)), 0);

  SendMessageW(players.hwnd(), WM_NOTIFY, 8002, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(SendMessageW(table, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0)
      << "the selection follows the player across a sort";
}

TEST_F(MenuTest, ALastGameShowsItsMatchsScoreboardBesideTheMapsAndTheSkillChart) {
  ImportThreePlayers();
  WriteFile(Basekrm() / "LOG.txt", ReadFile(Basekrm() / "LOG.txt") +
                                       CrLf(Lines({{"map: krmdm17", "Fraglimit hit."}, MatchBlock("Tarn", 4), MatchBlock("Nika", 5)})));
  Click("Command1");
  win32::PlayersWindow& players = OpenPlayers();
  HWND matches = players.Control(win32::kLastMatchesId), scoreboard = players.Control(win32::kScoreboardId);
  HWND maps = players.Control(win32::kMapsId);
  const auto same_as_presenter = [&] {
    const PlayersPageView view = players.session().PageView();
    EXPECT_EQ(SendMessageW(matches, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), view.ChosenMatch);
    EXPECT_EQ(TextOf(players.Control(win32::kScoreboardTitleId)), FromUtf8(view.ScoreboardTitle));
    ASSERT_EQ(ListView_GetItemCount(scoreboard), static_cast<int>(view.Scoreboard.size()));
    for (std::size_t r = 0; r < view.Scoreboard.size(); ++r)
      for (std::size_t c = 0; c < kScoreboardColumns.size(); ++c)
        EXPECT_EQ(CellOf(scoreboard, static_cast<int>(r), static_cast<int>(c)), FromUtf8(view.Scoreboard[r][c]));
    ASSERT_EQ(ListView_GetItemCount(maps), static_cast<int>(view.Maps.size()));
    for (std::size_t r = 0; r < view.Maps.size(); ++r) EXPECT_EQ(CellOf(maps, static_cast<int>(r), 0), FromUtf8(view.Maps[r][0]));
    EXPECT_NE(view.Skill, nullptr);
  };
  ASSERT_EQ(ListView_GetItemCount(matches), 2);  // Tarn's two games, newest first
  EXPECT_EQ(players.session().PageView().ChosenMatch, 0);
  same_as_presenter();
  EXPECT_EQ(ListView_GetItemCount(scoreboard), 2);
  ListView_SetItemState(matches, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(players.session().PageView().ChosenMatch, 1);
  same_as_presenter();
  EXPECT_EQ(ListView_GetItemCount(scoreboard), 3);
  EXPECT_NE(players.HeaderTooltips(win32::kScoreboardId), nullptr);
}

TEST_F(MenuTest, PeoplesControlsMergeSplitHideShowAndSetTheMinimum) {
  ImportThreePlayers();
  win32::PlayersWindow& players = OpenPlayers();
  const std::size_t messages_before = sink_.messages.size();  // the import's
  const std::pair<int, const wchar_t*> controls[] = {
      {8090, WC_BUTTONW}, {8091, WC_BUTTONW}, {8092, WC_BUTTONW}, {8093, WC_BUTTONW},   {8094, WC_STATICW},
      {8095, WC_EDITW},   {8096, UPDOWN_CLASSW}, {8097, WC_STATICW}, {8098, WC_LISTVIEWW}};
  for (const auto& [id, window_class] : controls) {
    HWND control = players.Control(id);
    ASSERT_NE(control, nullptr) << id;
    wchar_t name[64] = L"";
    GetClassNameW(control, name, 64);
    EXPECT_EQ(_wcsicmp(name, window_class), 0) << id;
  }
  EXPECT_EQ(TextOf(players.Control(8090)), FromUtf8(kPeopleTexts.Merge));
  EXPECT_EQ(TextOf(players.Control(8093)), FromUtf8(kPeopleTexts.HiddenNames));
  EXPECT_EQ(TextOf(players.Control(8095)), L"10");
  EXPECT_EQ(TextOf(players.Control(8097)), FromUtf8(RankLegendText(10)));

  // A minimum typed in and left: everyone with one match is ranked.
  HWND minimum = players.Control(8095);
  SetWindowTextW(minimum, L"1");
  SendMessageW(players.hwnd(), WM_COMMAND, MAKEWPARAM(8095, EN_KILLFOCUS), reinterpret_cast<LPARAM>(minimum));
  EXPECT_EQ(players.session().RankMinimum(), 1);
  EXPECT_TRUE(players.session().Ranked(0));

  HWND table = players.Control(8002);
  const auto row_of = [&](const std::wstring& name) {
    for (int row = 0; row < ListView_GetItemCount(table); ++row)
      if (CellOf(table, row, 0) == name) return row;
    return -1;
  };
  const auto choose = [&](std::initializer_list<int> rows) {
    ListView_SetItemState(table, -1, 0, LVIS_SELECTED);
    for (int row : rows) ListView_SetItemState(table, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  };
  const auto click = [&](int id) {
    SendMessageW(players.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(players.Control(id)));
  };
  std::vector<std::string> offered;
  players.SetNameChooser([&](std::string_view, std::string_view, std::string_view,
                             const std::vector<std::string>& names) -> std::optional<int> {
    offered = names;
    const auto tarn = std::find(names.begin(), names.end(), "Tarn");
    return tarn != names.end() ? static_cast<int>(tarn - names.begin()) : 0;
  });

  choose({row_of(L"Ode")});
  EXPECT_FALSE(IsWindowEnabled(players.Control(8090)));
  choose({row_of(L"Ode"), row_of(L"Tarn")});
  ASSERT_TRUE(IsWindowEnabled(players.Control(8090)));
  click(8090);
  EXPECT_EQ(offered.size(), 2u);
  ASSERT_EQ(ListView_GetItemCount(table), 2);
  EXPECT_EQ(row_of(L"Ode"), -1);
  EXPECT_EQ(CellOf(table, row_of(L"Tarn"), static_cast<int>(PlayersColumn::Kills)), L"11");
  choose({row_of(L"Tarn")});
  EXPECT_EQ(ListView_GetItemCount(players.Control(8098)), 2);  // the page's names
  ASSERT_TRUE(IsWindowEnabled(players.Control(8091)));
  click(8091);
  EXPECT_EQ(ListView_GetItemCount(table), 3);

  EXPECT_FALSE(IsWindowEnabled(players.Control(8093)));
  choose({row_of(L"Nika")});
  click(8092);
  ASSERT_EQ(ListView_GetItemCount(table), 2);
  ASSERT_TRUE(IsWindowEnabled(players.Control(8093)));
  click(8093);
  EXPECT_EQ(offered, (std::vector<std::string>{"Nika"}));
  EXPECT_EQ(ListView_GetItemCount(table), 3);
  EXPECT_EQ(sink_.messages.size(), messages_before);
}

// The list dialog answered by a timer while it is open: its controls, then the second name chosen.
TEST_F(MenuTest, TheNameDialogListsTheNamesAndGivesTheChosenOne) {
  static int listed = 0;
  static std::wstring button;
  listed = 0;
  SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = GetActiveWindow();
    if (dialog == nullptr || reinterpret_cast<INT_PTR>(GetPropW(dialog, L"Fragtally.Id")) != win32::kNameDialogId) return;
    KillTimer(nullptr, timer);
    HWND list = GetDlgItem(dialog, win32::kChoiceListId);
    listed = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    button = TextOf(GetDlgItem(dialog, IDOK));
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  const std::optional<int> chosen =
      win32::ChooseName(main_, 96, reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)),
                        {L"title", L"prompt", FromUtf8(kPeopleTexts.Merge), FromUtf8(kPeopleTexts.Cancel)},
                        {L"T4rn", L"Tarn"});
  EXPECT_EQ(chosen, std::optional<int>(1));
  EXPECT_EQ(listed, 2);
  EXPECT_EQ(button, FromUtf8(kPeopleTexts.Merge));
}

TEST_F(MenuTest, AnImportOrUndoRefreshesAnOpenPlayersWindow) {
  Load();
  win32::PlayersWindow& players = OpenPlayers();
  EXPECT_EQ(ListView_GetItemCount(players.Control(8002)), 0);
  ImportThreePlayers();
  EXPECT_EQ(ListView_GetItemCount(players.Control(8002)), 3);
  sink_.answer = true;
  Choose(MenuCommand::UndoImport);
  EXPECT_EQ(ListView_GetItemCount(players.Control(8002)), 0);
}

}  // namespace
}  // namespace fragtally::testing
