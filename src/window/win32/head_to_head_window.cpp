#include "window/win32/head_to_head_window.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "window/win32/list_view.h"
#include "window/win32/players_window.h"
#include "window/win32/text.h"
#include "window/win32/window_proc.h"

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
    : instance_(instance), owner_(owner), dpi_(dpi), font_(font), session_(std::move(decimal_separator)) {}

HeadToHeadWindow::~HeadToHeadWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool HeadToHeadWindow::Open(const WindowState& state, int first, int second) {
  const bool created = hwnd_ == nullptr;
  if (created && !Create()) return false;
  const bool changed = session_.Refresh(state);
  session_.Choose(first, second);
  Show(changed || created);
  BringUp();
  return true;
}

bool HeadToHeadWindow::OpenFor(const WindowState& state, int slot) {
  const bool created = hwnd_ == nullptr;
  if (created && !Create()) return false;
  const bool changed = session_.Refresh(state);
  session_.ChooseFirst(slot);
  Show(changed || created);
  BringUp();
  return true;
}

void HeadToHeadWindow::Refresh(const WindowState& state) {
  if (hwnd_ != nullptr) Show(session_.Refresh(state));
}

bool HeadToHeadWindow::HandleDialogMessage(MSG& message) {
  return hwnd_ != nullptr && IsDialogMessageW(hwnd_, &message);
}

void HeadToHeadWindow::BringUp() {
  if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  focus_ = Control(session_.ChosenEntry(0) >= 0 && session_.ChosenEntry(1) < 0 ? kSecondChooserId : kFirstChooserId);
  SetFocus(focus_);
}

bool HeadToHeadWindow::Create() {
  if (!RegisterObjectWindowClass<HeadToHeadWindow>(instance_, kWindowClass)) return false;
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT frame{0, 0, Scaled(kHeadToHeadShape.Width), Scaled(kHeadToHeadShape.Height)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  if (!CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, FromUtf8(kHeadToHeadTexts.Title).c_str(), kStyle,
                       CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, owner_,
                       nullptr, instance_, this)) {
    return false;
  }
  SetPropW(hwnd_, kWindowIdProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(kHeadToHeadWindowId)));
  CreateControls();
  Layout();
  return true;
}

void HeadToHeadWindow::CreateControls() {
  // Created in the tab order; each chooser's label just before it, so that
  // Alt and the label's letter reach it.
  const auto child = [&](const wchar_t* window_class, DWORD style, int id, const std::wstring& text = {}) {
    HWND control = CreateWindowExW(0, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
  };
  constexpr int kLabels[] = {kFirstLabelId, kSecondLabelId};
  constexpr int kChoosers[] = {kFirstChooserId, kSecondChooserId};
  for (std::size_t p = 0; p < 2; ++p) {
    child(WC_STATICW, SS_LEFT | SS_CENTERIMAGE, kLabels[p], FromUtf8(kHeadToHeadTexts.ChooserLabels[p]));
    child(WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, kChoosers[p]);
  }
  LOGFONTW logfont{};
  GetObjectW(font_, sizeof logfont, &logfont);
  logfont.lfWeight = FW_BOLD;
  bold_font_ = CreateFontIndirectW(&logfont);
  HWND heading = child(WC_STATICW, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, kSharedHeadingId);
  SendMessageW(heading, WM_SETFONT, reinterpret_cast<WPARAM>(bold_font_), FALSE);

  const std::vector<ListColumn> figure_columns(3, ListColumn{L"", 0, true});
  HWND figures = CreateListView(hwnd_, kFiguresId, false);
  SendMessageW(figures, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SetColumns(figures, figure_columns);
  child(WC_STATICW, SS_LEFT | SS_NOPREFIX, kLastSharedLabelId, FromUtf8(kHeadToHeadTexts.LastHeading));
  HWND matches = CreateListView(hwnd_, kLastSharedId, false);
  SendMessageW(matches, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  std::vector<ListColumn> match_columns;
  for (bool right : kHeadToHeadMatchRightAligned) match_columns.push_back({L"", 0, right});
  SetColumns(matches, match_columns);
  child(WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, kHeadToHeadCloseId, FromUtf8(kHeadToHeadTexts.Close));
}

void HeadToHeadWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int margin = Scaled(8), gap = Scaled(6);
  const int width = client.right - 2 * margin, bottom = client.bottom - margin;
  const auto place = [&](int id, int x, int y, int w, int h) {
    SetWindowPos(Control(id), nullptr, x, y, std::max(w, 0), std::max(h, 0), SWP_NOZORDER | SWP_NOACTIVATE);
  };
  // Two label-and-chooser pairs side by side; each label as wide as its text.
  HDC dc = GetDC(hwnd_);
  SelectObject(dc, font_);
  const auto text_width = [&](int id) {
    wchar_t text[64] = L"";
    GetWindowTextW(Control(id), text, 64);
    RECT rect{0, 0, 0, 0};
    DrawTextW(dc, text, -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    return rect.right + Scaled(2);
  };
  const int half = (width - gap * 2) / 2;
  constexpr int kLabels[] = {kFirstLabelId, kSecondLabelId};
  constexpr int kChoosers[] = {kFirstChooserId, kSecondChooserId};
  int chooser_height = 0;
  for (int p = 0; p < 2; ++p) {
    const int x = margin + p * (half + gap * 2), label = text_width(kLabels[p]);
    place(kChoosers[p], x + label + gap, margin, half - label - gap, Scaled(240));
    RECT combo;
    GetWindowRect(Control(kChoosers[p]), &combo);
    chooser_height = combo.bottom - combo.top;
    place(kLabels[p], x, margin, label, chooser_height);
  }
  ReleaseDC(hwnd_, dc);
  const int line = Scaled(18), button_height = Scaled(25), button_width = Scaled(90);
  const int heading_top = margin + chooser_height + gap;
  place(kSharedHeadingId, margin, heading_top, width, line);
  const int lists_top = heading_top + line + gap / 2;
  const int lists_height = bottom - button_height - gap - lists_top - line - gap / 2;
  const int figures_height = lists_height * 3 / 7;
  place(kFiguresId, margin, lists_top, width, figures_height);
  const int last_label_top = lists_top + figures_height + gap;
  place(kLastSharedLabelId, margin, last_label_top, width, line);
  const int last_top = last_label_top + line;
  place(kLastSharedId, margin, last_top, width, bottom - button_height - gap - last_top);
  place(kHeadToHeadCloseId, margin + width - button_width, bottom - button_height, button_width, button_height);
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

void HeadToHeadWindow::Destroyed() {
  RemovePropW(hwnd_, kWindowIdProperty);
  hwnd_ = nullptr;
  focus_ = nullptr;
  if (bold_font_ != nullptr) DeleteObject(bold_font_);
  bold_font_ = nullptr;
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
  const SIZE least{Scaled(kHeadToHeadShape.MinWidth), Scaled(kHeadToHeadShape.MinHeight)};
  return ModelessWindowDefault(hwnd_, message, wparam, lparam, least, focus_, Control(kFirstChooserId));
}

}  // namespace fragtally::win32
