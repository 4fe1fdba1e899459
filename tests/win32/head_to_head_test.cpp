// The Windows head-to-head window bound to its presenter (whose figures are
// tested in tests/head_to_head_test.cpp): opened by menu command 7006 for the
// main window's two lists or from the Players window's button, its controls
// and IDs, its choosers, Tab and Shift+Tab, Escape.

#include <windows.h>
#include <commctrl.h>

#include "app/main_window/menus.h"
#include "app/matches/head_to_head_session.h"
#include "blocks.h"
#include "window/win32/head_to_head_window.h"
#include "window/win32/players_window.h"
#include "window/win32/text.h"
#include "window_support.h"

namespace fragtally::testing {
namespace {

using win32::FromUtf8;

std::wstring Cell(HWND list, int row, int column) {
  wchar_t text[256] = L"";
  ListView_GetItemText(list, row, column, text, 256);
  return text;
}
std::wstring Caption(HWND list, int column) {
  wchar_t text[256] = L"";
  HDITEMW item{};
  item.mask = HDI_TEXT;
  item.pszText = text;
  item.cchTextMax = 256;
  Header_GetItem(ListView_GetHeader(list), column, &item);
  return text;
}

class HeadToHeadTest : public WindowTest {
 protected:
  // Two matches of Nika and Tarn (Ode in the first), imported.
  void ImportTwoMatches() {
    WriteFile(Basekrm() / "LOG.txt",
              CrLf(Lines({{"--- Fs_startup : Sun Mar 15 18:02:44 2026", "map: krmdm6"}, MatchBlock("Nika", 6),
                          MatchBlock("Tarn", 9), MatchBlock("Ode", 2), {"Fraglimit hit."}, MatchBlock("Nika", 7),
                          MatchBlock("Tarn", 7)})));
    Load();
    Click("Command1");
  }
  void Choose(MenuCommand command) { SendMessageW(main_, WM_COMMAND, static_cast<WPARAM>(command), 0); }
  HWND Part(int id) const { return form_->head_to_head() ? form_->head_to_head()->Control(id) : nullptr; }
};

TEST_F(HeadToHeadTest, MenuOpensItForTheTwoListsPlayersWithItsControls) {
  ImportTwoMatches();
  SelectAsUser("Combo1", 1);
  SelectAsUser("Combo2", 1);
  const std::size_t before = sink_.messages.size();
  Choose(MenuCommand::HeadToHead);  // the same player in both lists: told so, no window
  ASSERT_EQ(sink_.messages.size(), before + 1);
  EXPECT_EQ(sink_.messages.back().text, std::string(kHeadToHeadTexts.MenuChooseTwo));
  EXPECT_EQ(form_->head_to_head(), nullptr);

  SelectAsUser("Combo1", 0);  // Nika
  SelectAsUser("Combo2", 1);  // Tarn
  Choose(MenuCommand::HeadToHead);
  ASSERT_NE(form_->head_to_head(), nullptr);
  HWND window = form_->head_to_head()->hwnd();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(TextOf(window), L"Личные встречи");
  EXPECT_EQ(GetWindow(window, GW_OWNER), main_);
  EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropW(window, win32::kWindowIdProperty)), 8061);
  const std::pair<int, const wchar_t*> controls[] = {
      {8062, WC_STATICW}, {8063, WC_COMBOBOXW}, {8064, WC_STATICW},   {8065, WC_COMBOBOXW},
      {8066, WC_STATICW}, {8067, WC_LISTVIEWW}, {8068, WC_STATICW},   {8069, WC_LISTVIEWW}, {8070, WC_BUTTONW}};
  for (const auto& [id, window_class] : controls) {
    HWND control = GetDlgItem(window, id);
    ASSERT_NE(control, nullptr) << id;
    wchar_t name[64] = L"";
    GetClassNameW(control, name, 64);
    EXPECT_EQ(_wcsicmp(name, window_class), 0) << id;
  }
  EXPECT_EQ(TextOf(Part(8062)), L"&Первый игрок:");
  EXPECT_EQ(SendMessageW(Part(8063), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(TextOf(Part(8063)), L"Nika");
  EXPECT_EQ(TextOf(Part(8065)), L"Tarn");

  // The presenter's texts as it gives them.
  EXPECT_EQ(TextOf(Part(8066)), L"Общих матчей в журнале: 2");
  HWND figures = Part(8067);
  ASSERT_EQ(ListView_GetItemCount(figures), static_cast<int>(kHeadToHeadFigureCaptions.size()));
  EXPECT_EQ(Caption(figures, 1), L"Nika");
  EXPECT_EQ(Caption(figures, 2), L"Tarn");
  EXPECT_EQ(Cell(figures, 0, 0), L"Место выше соперника");
  EXPECT_EQ(Cell(figures, 0, 1), L"0");
  EXPECT_EQ(Cell(figures, 0, 2), L"1");
  EXPECT_EQ(Cell(figures, 1, 1), L"1");
  HWND matches = Part(8069);
  ASSERT_EQ(ListView_GetItemCount(matches), 2);
  EXPECT_EQ(Caption(matches, 5), L"Место: Tarn");
  EXPECT_EQ(Cell(matches, 1, 3), L"2 из 3");
  EXPECT_EQ(Cell(matches, 1, 5), L"1 из 3");

  // Another second player in its chooser, as a user chooses.
  SendMessageW(Part(8065), CB_SETCURSEL, 2, 0);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(8065, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Part(8065)));
  EXPECT_EQ(TextOf(Part(8066)), L"Общих матчей в журнале: 1");
  EXPECT_EQ(Caption(figures, 2), L"Ode");
  EXPECT_EQ(Cell(figures, 0, 1), L"1");

  Choose(MenuCommand::HeadToHead);
  EXPECT_EQ(form_->head_to_head()->hwnd(), window) << "one window, brought to the front";
  EXPECT_EQ(TextOf(Part(8065)), L"Tarn");
}

TEST_F(HeadToHeadTest, PlayersWindowButtonOpensItForTheSelectedPlayer) {
  ImportTwoMatches();
  Choose(MenuCommand::Players);
  ASSERT_NE(form_->players(), nullptr);
  HWND button = form_->players()->Control(win32::kHeadToHeadButtonId);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(TextOf(button), FromUtf8(kHeadToHeadTexts.OpenButton));
  form_->players()->session().SelectRow(0);
  const std::wstring selected = W(form_->players()->session().CellText(0, PlayersColumn::Name));
  SendMessageW(button, BM_CLICK, 0, 0);
  ASSERT_NE(form_->head_to_head(), nullptr);
  EXPECT_TRUE(IsWindowVisible(form_->head_to_head()->hwnd()));
  EXPECT_EQ(TextOf(Part(8063)), selected);
  EXPECT_EQ(SendMessageW(Part(8065), CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(TextOf(Part(8066)), FromUtf8(kHeadToHeadTexts.ChooseTwo));
  EXPECT_EQ(ListView_GetItemCount(Part(8067)), 0);
}

TEST_F(HeadToHeadTest, TabAndShiftTabWalkEveryControlAndEscapeCloses) {
  ImportTwoMatches();
  ShowActive();
  SelectAsUser("Combo1", 0);
  SelectAsUser("Combo2", 1);
  Choose(MenuCommand::HeadToHead);
  win32::HeadToHeadWindow& window = *form_->head_to_head();
  SetForegroundWindow(window.hwnd());
  Pump();
  const std::vector<int> order{8063, 8065, 8067, 8069, 8070};
  const auto press = [&](int id, bool shift, WORD key) {
    SetFocus(window.Control(id));
    Pump(50);
    INPUT shift_key{};
    shift_key.type = INPUT_KEYBOARD;
    shift_key.ki.wVk = VK_SHIFT;
    if (shift) SendInput(1, &shift_key, sizeof shift_key);
    PressKey(key);
    shift_key.ki.dwFlags = KEYEVENTF_KEYUP;
    if (shift) SendInput(1, &shift_key, sizeof shift_key);
    Pump(100);
  };
  for (std::size_t i = 0; i < order.size(); ++i) {
    press(order[i], false, VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), order[(i + 1) % order.size()]) << "Tab from " << order[i];
    press(order[i], true, VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), order[(i + order.size() - 1) % order.size()]) << "Shift+Tab from " << order[i];
  }
  press(8067, false, VK_ESCAPE);
  EXPECT_FALSE(window.IsOpen());
  Choose(MenuCommand::HeadToHead);
  ASSERT_TRUE(window.IsOpen());
  SendMessageW(window.Control(8070), BM_CLICK, 0, 0);
  EXPECT_FALSE(window.IsOpen());
  EXPECT_TRUE(IsWindow(main_));
}

}  // namespace
}  // namespace fragtally::testing
