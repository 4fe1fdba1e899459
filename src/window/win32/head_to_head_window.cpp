#include "window/win32/head_to_head_window.h"

#include <commctrl.h>

#include <functional>
#include <vector>

#include "window/win32/list_view.h"
#include "window/win32/text.h"

namespace fragtally::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"Fragtally.HeadToHead";

// The list's captions and rows (UTF-8), each column as wide as its caption and cells.
template <std::size_t N>
void Fill(HWND list, const std::array<std::string, N>& captions, const std::vector<std::array<std::string, N>>& rows,
          int padding) {
  std::vector<std::wstring> header;
  for (const std::string& caption : captions) header.push_back(FromUtf8(caption));
  SetColumnCaptions(list, header);
  std::vector<std::vector<std::wstring>> shown;
  for (const std::array<std::string, N>& cells : rows) {
    std::vector<std::wstring>& row = shown.emplace_back();
    for (const std::string& cell : cells) row.push_back(FromUtf8(cell));
  }
  SetRows(list, shown);
  FitColumnsToTexts(list, padding);
}

}  // namespace

HeadToHeadWindow::HeadToHeadWindow(HINSTANCE instance, HWND owner, UINT dpi, HFONT font, std::string decimal_separator)
    : OwnedWindow(instance, owner, dpi, font), session_(std::move(decimal_separator)) {}

bool HeadToHeadWindow::Open(const WindowState& state, int first, int second) {
  return OpenChoosing(state, [&] { session_.Choose(first, second); });
}

bool HeadToHeadWindow::OpenFor(const WindowState& state, int slot) {
  return OpenChoosing(state, [&] { session_.ChooseFirst(slot); });
}

bool HeadToHeadWindow::OpenChoosing(const WindowState& state, const std::function<void()>& choose) {
  const bool created = hwnd_ == nullptr;
  if (created && !Create()) return false;
  const bool changed = session_.Refresh(state);
  choose();
  Show(changed || created);
  BringUp();
  // The focus on the chooser that needs a player.
  focus_ = Control(session_.ChosenEntry(0) >= 0 && session_.ChosenEntry(1) < 0 ? kSecondChooserId : kFirstChooserId);
  SetFocus(focus_);
  return true;
}

void HeadToHeadWindow::Refresh(const WindowState& state) {
  if (hwnd_ != nullptr) Show(session_.Refresh(state));
}

bool HeadToHeadWindow::Create() {
  if (!CreateWindowOf(*this, kWindowClass, WS_EX_CONTROLPARENT, kHeadToHeadTexts.Title,
                      DefaultPlace(kHeadToHeadShape.Width, kHeadToHeadShape.Height), kHeadToHeadWindowId)) {
    return false;
  }
  CreateControls();
  Layout();
  return true;
}

void HeadToHeadWindow::CreateControls() {
  // Created in the tab order; each chooser's label just before it, so that
  // Alt and the label's letter reach it.
  constexpr int kLabels[] = {kFirstLabelId, kSecondLabelId};
  constexpr int kChoosers[] = {kFirstChooserId, kSecondChooserId};
  for (std::size_t p = 0; p < 2; ++p) {
    AddControl(WC_STATICW, SS_LEFT | SS_CENTERIMAGE, kLabels[p], FromUtf8(kHeadToHeadTexts.ChooserLabels[p]));
    AddControl(WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, kChoosers[p]);
  }
  AddHeading(kSharedHeadingId, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS);

  SetColumns(AddList(kFiguresId, false), std::vector<ListColumn>(3, ListColumn{L"", 0, true}));
  AddControl(WC_STATICW, SS_LEFT | SS_NOPREFIX, kLastSharedLabelId, FromUtf8(kHeadToHeadTexts.LastHeading));
  std::vector<ListColumn> match_columns;
  for (bool right : kHeadToHeadMatchRightAligned) match_columns.push_back({L"", 0, right});
  SetColumns(AddList(kLastSharedId, false), match_columns);
  AddControl(WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, kHeadToHeadCloseId, FromUtf8(kHeadToHeadTexts.Close));
}

void HeadToHeadWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int margin = Scaled(8), gap = Scaled(6);
  const int width = client.right - 2 * margin, bottom = client.bottom - margin;
  // Two label-and-chooser pairs side by side; each label as wide as its text.
  const int half = (width - gap * 2) / 2;
  constexpr int kLabels[] = {kFirstLabelId, kSecondLabelId};
  constexpr int kChoosers[] = {kFirstChooserId, kSecondChooserId};
  int chooser_height = 0;
  for (int p = 0; p < 2; ++p) {
    const int x = margin + p * (half + gap * 2), label = TextWidth(kLabels[p]);
    Place(kChoosers[p], x + label + gap, margin, half - label - gap, Scaled(240));
    RECT combo;
    GetWindowRect(Control(kChoosers[p]), &combo);
    chooser_height = combo.bottom - combo.top;
    Place(kLabels[p], x, margin, label, chooser_height);
  }
  const int line = Scaled(18), button_height = Scaled(25), button_width = Scaled(90);
  const int heading_top = margin + chooser_height + gap;
  Place(kSharedHeadingId, margin, heading_top, width, line);
  const int lists_top = heading_top + line + gap / 2;
  const int lists_height = bottom - button_height - gap - lists_top - line - gap / 2;
  const int figures_height = lists_height * 3 / 7;
  Place(kFiguresId, margin, lists_top, width, figures_height);
  const int last_label_top = lists_top + figures_height + gap;
  Place(kLastSharedLabelId, margin, last_label_top, width, line);
  const int last_top = last_label_top + line;
  Place(kLastSharedId, margin, last_top, width, bottom - button_height - gap - last_top);
  Place(kHeadToHeadCloseId, margin + width - button_width, bottom - button_height, button_width, button_height);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void HeadToHeadWindow::Show(bool entries_changed) {
  constexpr int kChoosers[] = {kFirstChooserId, kSecondChooserId};
  for (std::size_t p = 0; p < 2; ++p) {
    HWND chooser = Control(kChoosers[p]);
    if (entries_changed) {
      SendMessageW(chooser, WM_SETREDRAW, FALSE, 0);
      SendMessageW(chooser, CB_RESETCONTENT, 0, 0);
      SendMessageW(chooser, CB_INITSTORAGE, session_.Entries().size(), session_.Entries().size() * 32 * sizeof(wchar_t));
      for (const std::string& entry : session_.Entries())
        SendMessageW(chooser, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FromUtf8(entry).c_str()));
      SendMessageW(chooser, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(chooser, nullptr, TRUE);
    }
    // CB_SETCURSEL notifies nobody, so this is no user's choice.
    SendMessageW(chooser, CB_SETCURSEL, static_cast<WPARAM>(session_.ChosenEntry(static_cast<int>(p))), 0);
  }
  const HeadToHeadView& view = session_.View();
  SetWindowTextW(Control(kSharedHeadingId), FromUtf8(view.Heading).c_str());
  Fill(Control(kFiguresId), view.FigureColumns, view.Figures, Scaled(16));
  Fill(Control(kLastSharedId), view.MatchColumns, view.Matches, Scaled(16));
}

LRESULT HeadToHeadWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == IDCANCEL || (id == kHeadToHeadCloseId && HIWORD(wparam) == BN_CLICKED)) {  // Escape, the button
        DestroyWindow(hwnd_);
      } else if ((id == kFirstChooserId || id == kSecondChooserId) && HIWORD(wparam) == CBN_SELCHANGE) {
        session_.ChooseEntry(id == kFirstChooserId ? 0 : 1,
                             static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0)));
        Show(false);
      }
      return 0;
    }
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) Layout();
      return 0;
  }
  return DefaultMessage(message, wparam, lparam, kHeadToHeadShape.MinWidth, kHeadToHeadShape.MinHeight, kFirstChooserId);
}

}  // namespace fragtally::win32
