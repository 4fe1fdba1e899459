#include "window/win32/form1.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/platform.h"
#include "app/text/text_decoding.h"
#include "window/win32/frame.h"
#include "window/win32/newer_windows.h"
#include "window/win32/panel_paint.h"
#include "window/win32/resource.h"
#include "window/win32/text.h"
#include "window/win32/trace_box.h"
#include "window/win32/user_locale.h"
#include "window/win32/window_proc.h"

namespace fragtally::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"Fragtally.Form1";

// Rows a selector's drop-down list shows before it scrolls.
constexpr int kDropDownRows = 12;

int Pixels(int twips, UINT dpi) { return TwipsToPixels(twips, static_cast<int>(dpi)); }

HFONT MakeFont(const FontSpec& font, UINT dpi) {
  LOGFONTW logfont{};
  logfont.lfHeight = -MulDiv(static_cast<int>(std::lround(font.Points * 100)), static_cast<int>(dpi), 7200);
  logfont.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
  logfont.lfCharSet = static_cast<BYTE>(font.CharSet);
  // The window's captions are Russian. Where the system's default character
  // set has no Cyrillic (a Western ANSI code page), the default font would
  // show them as boxes: ask for its Cyrillic form instead.
  if (font.CharSet == DEFAULT_CHARSET && GetACP() != 1251) logfont.lfCharSet = RUSSIAN_CHARSET;
  logfont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logfont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logfont.lfQuality = DEFAULT_QUALITY;
  logfont.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  const std::wstring face = FromUtf8(font.Face);
  wcsncpy(logfont.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return CreateFontIndirectW(&logfont);
}

// The menu bar, from the menu table.
HMENU CreateMenuBar() {
  HMENU bar = CreateMenu();
  for (const Menu& menu : MainMenus()) {
    HMENU popup = CreatePopupMenu();
    for (const MenuItem& item : menu.Items)
      AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(item.Command), FromUtf8(item.Label).c_str());
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), FromUtf8(menu.Label).c_str());
  }
  return bar;
}

}  // namespace

// --- messages and the wait cursor -------------------------------------------------------

void Form1::FocusKeeping::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  form_.RememberFocus();
  messages_.ShowMessage(icon, title, text);
}

bool Form1::FocusKeeping::AskYesNo(const std::string& title, const std::string& text) {
  form_.RememberFocus();
  return messages_.AskYesNo(title, text);
}

void Form1::SetBusy(bool busy) {
  busy_ = busy;
  if (busy) {
    cursor_before_busy_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  } else {
    SetCursor(cursor_before_busy_ != nullptr ? cursor_before_busy_ : LoadCursorW(nullptr, IDC_ARROW));
  }
}

// --- the window -------------------------------------------------------------------------

Form1::Form1(MessageSink& messages, std::string program_folder, FormOptions options)
    : messages_(*this, messages),
      session_(*this, messages_, program_folder.empty() ? platform::ExecutableFolder() : std::move(program_folder)),
      options_(options) {}

Form1::~Form1() {
  head_to_head_.reset();
  players_.reset();
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (window_font_ != nullptr) DeleteObject(window_font_);
  if (label_font_ != nullptr) DeleteObject(label_font_);
}

HWND Form1::Create(HINSTANCE instance) {
  instance_ = instance;
  if (!RegisterObjectWindowClass<Form1>(instance, kWindowClass)) return nullptr;

  picture_.LoadResource(instance, FRAGTALLY_IDR_PANEL_PICTURE);

  // A fixed size, like the window it was drawn as: no maximise, no resize.
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const std::wstring caption = FromUtf8(kWindowCaption);
  HMENU menu = CreateMenuBar();
  if (!CreateWindowExW(0, kWindowClass, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr,
                       menu, instance, this)) {
    DestroyMenu(menu);
    return nullptr;
  }
  CreateControls();
  ApplyDpi(WindowDpi(hwnd_));
  session_.ViewReset();
  return hwnd_;
}

void Form1::Show(int show_command) {
  ShowWindow(hwnd_, show_command);
  UpdateWindow(hwnd_);
}

void Form1::BringToFront() {
  if (hwnd_ == nullptr) return;
  if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
  // While a message box is up, the window is disabled and the box is what
  // the user must answer: the box comes to the front.
  HWND popup = GetLastActivePopup(hwnd_);
  SetForegroundWindow(popup != nullptr && IsWindowVisible(popup) ? popup : hwnd_);
}

// --- the keyboard focus ------------------------------------------------------------------

void Form1::RememberFocus() {
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
}

void Form1::RestoreFocus() {
  if (IsIconic(hwnd_)) return;  // nothing to type into; done when it is restored
  HWND target = focus_;
  if (target == nullptr || !IsChild(hwnd_, target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
    target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);  // the first tab stop
  if (target != nullptr) SetFocus(target);
}

HWND Form1::FocusedButton() const {
  HWND focus = GetFocus();
  if (focus == nullptr || GetParent(focus) != hwnd_) return nullptr;
  const auto it = controls_.find(GetDlgCtrlID(focus));
  return it != controls_.end() && it->second.control->Kind == ControlKind::CommandButton ? focus : nullptr;
}

RECT Form1::PixelRect(const ControlSpec& control) const {
  const TwipRect r = WindowRect(control);
  const int left = Pixels(r.Left, dpi_), top = Pixels(r.Top, dpi_);
  return RECT{left, top, left + Pixels(r.Width, dpi_), top + Pixels(r.Height, dpi_)};
}

void Form1::CreateControls() {
  // Each control is a direct child of the window; the z-order (top first)
  // keeps the labels above the pictures and the frames below everything, and
  // puts the tab stops in their tab order: labels, pictures, tab stops, the
  // rest. WS_CLIPSIBLINGS makes each control leave alone what lies above it.
  std::vector<HWND> labels, pictures, others;

  for (const ControlSpec& control : Form1Controls()) {
    const std::wstring text = Wide(DisplayText(control.DesignText));
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ex_style = 0;
    const wchar_t* window_class = WC_STATICW;
    switch (control.Kind) {
      case ControlKind::GroupBox:
        window_class = WC_BUTTONW;
        style |= WS_VISIBLE | BS_GROUPBOX;
        break;
      case ControlKind::CommandButton:
        window_class = WC_BUTTONW;
        style |= WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case ControlKind::ComboBox:
        window_class = WC_COMBOBOXW;
        style |= WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS;
        break;
      case ControlKind::PictureBox:
        style |= WS_VISIBLE | SS_OWNERDRAW;
        break;
      case ControlKind::Label:
        style |= WS_VISIBLE | SS_OWNERDRAW | SS_NOPREFIX;
        break;
      case ControlKind::TextBox:
        // Text2 is the trace. It would cover the bottom rows of both panels,
        // so it stays hidden (no WS_VISIBLE). It answers for its text from the
        // trace itself (trace_box.cpp) and never holds a copy.
        window_class = WC_EDITW;
        style |= WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY;
        ex_style = WS_EX_CLIENTEDGE;
        break;
    }
    HWND hwnd = CreateWindowExW(ex_style, window_class, control.Kind == ControlKind::TextBox ? L"" : text.c_str(), style,
                                0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.ControlId)),
                                instance_, nullptr);
    controls_[control.ControlId] = ControlInfo{&control, hwnd};

    PanelHandles* panel = control.Panel != kNone ? &panels_[static_cast<std::size_t>(control.Panel - 1)] : nullptr;
    switch (control.Kind) {
      case ControlKind::GroupBox:
        AttachFrame(hwnd);
        others.push_back(hwnd);
        break;
      case ControlKind::ComboBox:
        panel->Selector = hwnd;
        break;
      case ControlKind::PictureBox:
        panel->Image = hwnd;
        pictures.push_back(hwnd);
        break;
      case ControlKind::Label:
        if (control.Fill != kNone) panel->Values[static_cast<std::size_t>(control.Fill)] = hwnd;
        labels.push_back(hwnd);
        break;
      case ControlKind::TextBox:
        AttachTraceBox(hwnd, session_.state());
        break;
      case ControlKind::CommandButton:
        break;
    }
    if (control.TabIndex == kNone && control.Kind != ControlKind::GroupBox && control.Kind != ControlKind::Label &&
        control.Kind != ControlKind::PictureBox) {
      others.insert(others.begin(), hwnd);
    }
  }

  // Under the table's controls: what the last import entered.
  const ControlSpec& status = StatusLineControl();
  HWND status_line = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_LEFTNOWORDWRAP |
                                                            SS_NOPREFIX | SS_CENTERIMAGE | SS_SUNKEN,
                                     0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(status.ControlId)),
                                     instance_, nullptr);
  controls_[status.ControlId] = ControlInfo{&status, status_line};
  others.insert(others.begin(), status_line);  // the frames stay below everything

  std::vector<HWND> top_to_bottom = labels;
  top_to_bottom.insert(top_to_bottom.end(), pictures.begin(), pictures.end());
  for (const ControlSpec* stop : TabOrder()) top_to_bottom.push_back(controls_.at(stop->ControlId).hwnd);
  top_to_bottom.insert(top_to_bottom.end(), others.begin(), others.end());
  HWND after = HWND_TOP;
  for (HWND control : top_to_bottom) {
    SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = control;
  }
}

void Form1::ApplyDpi(UINT dpi) {
  dpi_ = dpi != 0 ? dpi : 96;
  HFONT old_window_font = window_font_, old_label_font = label_font_;
  window_font_ = MakeFont(kWindowFont, dpi_);
  label_font_ = MakeFont(kPanelLabelFont, dpi_);

  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
  // The client area below the menu bar keeps the table's size, and the
  // status line's under it.
  const int client_width = Pixels(kClientWidthTwips, dpi_), client_height = Pixels(kClientHeightWithStatusTwips, dpi_);
  RECT frame{0, 0, client_width, client_height};
  AdjustWindowRectForDpi(frame, style, ex_style, dpi_, GetMenu(hwnd_) != nullptr);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A menu bar that needs two rows (large fonts) takes more than the one
  // row the frame was computed for: the window grows by the difference.
  RECT client{};
  GetClientRect(hwnd_, &client);
  if (client.bottom != client_height) {
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + client_height - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  for (const auto& [id, control] : controls_) {
    RECT r = PixelRect(*control.control);
    HFONT font = FontOf(control.control->Font);
    SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (control.control->Kind == ControlKind::ComboBox) {
      // A combo box's height holds its drop-down list; the box itself is as
      // high as its font makes it.
      const LRESULT item_height = SendMessageW(control.hwnd, CB_GETITEMHEIGHT, 0, 0);
      r.bottom = r.top + (r.bottom - r.top) + kDropDownRows * static_cast<int>(item_height > 0 ? item_height : 13);
    }
    SetWindowPos(control.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (old_window_font != nullptr) DeleteObject(old_window_font);
  if (old_label_font != nullptr) DeleteObject(old_label_font);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form1::LoadPanelPictures(const std::string& path) {
  // A missing or unreadable picture leaves the built-in one, without a word.
  picture_.LoadFile(platform::WidePath(path));
  for (const PanelHandles& panel : panels_) InvalidateRect(panel.Image, nullptr, FALSE);
  for (const auto& [id, control] : controls_)
    if (control.control->Kind == ControlKind::Label) InvalidateRect(control.hwnd, nullptr, FALSE);
}

void Form1::OnCommand(int id, int code) {
  // While a handler runs, its message box is up and the window is disabled;
  // what still arrives (a click sent by another program) is dropped by the
  // presenter.
  static const int kCombo1 = ControlIdOf("Combo1"), kCombo2 = ControlIdOf("Combo2");
  static const int kCommand1 = ControlIdOf("Command1"), kCommand2 = ControlIdOf("Command2");
  if ((id == kCombo1 || id == kCombo2) && code == CBN_SELCHANGE) {
    session_.Select(id == kCombo1 ? Panel::First : Panel::Second,
                    static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0)));
  } else if (id == kCommand1 && code == BN_CLICKED) {
    session_.Import();
  } else if (id == kCommand2 && code == BN_CLICKED) {
    session_.Ratings(DecimalSeparator());
  } else if (code == 0 && IsMenuCommand(id)) {
    session_.Menu(static_cast<MenuCommand>(id), *this);
  }
  if (close_pending_ && !session_.running()) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void Form1::ShowPlayers() {
  if (players_ == nullptr) {
    players_ = std::make_unique<PlayersWindow>(instance_, hwnd_, dpi_, window_font_, DecimalSeparator(), messages_);
    players_->SetHeadToHead([this](int slot) { MadeHeadToHead().OpenFor(session_.state(), slot); });
    players_->SetPeopleChanged([this] {
      if (head_to_head_ != nullptr) head_to_head_->Refresh(session_.state());
    });
  }
  players_->Open(session_.state());
}

HeadToHeadWindow& Form1::MadeHeadToHead() {
  if (head_to_head_ == nullptr)
    head_to_head_ = std::make_unique<HeadToHeadWindow>(instance_, hwnd_, dpi_, window_font_, DecimalSeparator());
  return *head_to_head_;
}

void Form1::ShowHeadToHead(int first_slot, int second_slot) {
  MadeHeadToHead().Open(session_.state(), first_slot, second_slot);
}

std::optional<std::string> Form1::ChooseExportFile(const ExportOffer& offer) {
  const SaveRequest request = SaveRequestFor(offer);
  RememberFocus();
  const std::optional<std::wstring> target =
      options_.choose_save_file ? options_.choose_save_file(hwnd_, request) : AskSaveFile(hwnd_, request);
  if (!target) return std::nullopt;
  return ToUtf8(*target);
}

CsvFormat Form1::UserCsvFormat() { return win32::UserCsvFormat(); }

bool Form1::HandleDialogMessage(MSG& message) {
  if (players_ != nullptr && players_->HandleDialogMessage(message)) return true;
  if (head_to_head_ != nullptr && head_to_head_->HandleDialogMessage(message)) return true;
  return hwnd_ != nullptr && IsDialogMessageW(hwnd_, &message);
}

// --- copying the state into the controls -------------------------------------------------

void Form1::Apply(const ViewDelta& delta) {
  if (hwnd_ == nullptr) return;  // made again by Create, which applies the whole state
  std::vector<std::wstring> names;
  names.reserve(delta.NewEntries.size());
  for (std::string_view name : delta.NewEntries) names.push_back(Wide(DisplayText(name)));
  for (std::size_t p = 0; p < panels_.size(); ++p) {
    HWND combo = panels_[p].Selector;
    if (delta.ResetEntries) SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    if (!names.empty()) {
      SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
      SendMessageW(combo, CB_INITSTORAGE, names.size(), names.size() * 32 * sizeof(wchar_t));
      for (const std::wstring& name : names) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
      SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(combo, nullptr, TRUE);
    }
    // CB_SETCURSEL notifies nobody, so this is no user's selection.
    if (SendMessageW(combo, CB_GETCURSEL, 0, 0) != delta.Selected[p])
      SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(delta.Selected[p]), 0);
  }
  // The static repaints only itself (WM_DRAWITEM), picture part and text in
  // one go: nothing flickers, nothing of the old text stays.
  for (const ViewDelta::LabelText& label : delta.Labels)
    SetWindowTextW(panels_[label.Which == Panel::First ? 0 : 1].Values[static_cast<std::size_t>(label.Fill)],
                   Wide(DisplayText(label.Text)).c_str());
  EnableMenuItem(GetMenu(hwnd_), static_cast<UINT>(MenuCommand::UndoImport),
                 MF_BYCOMMAND | (delta.UndoImportEnabled ? MF_ENABLED : MF_GRAYED));
  if (delta.TotalsChanged && players_ != nullptr) players_->Refresh(session_.state());
  if (delta.TotalsChanged && head_to_head_ != nullptr) head_to_head_->Refresh(session_.state());
  if (delta.StatusLine) SetWindowTextW(Control(kStatusLineId), Wide(DisplayText(*delta.StatusLine)).c_str());
}

// --- painting ----------------------------------------------------------------------------

HBITMAP Form1::ScaledPicture() {
  RECT r{};
  GetClientRect(panels_[0].Image, &r);
  return picture_.Scaled(r.right - r.left, r.bottom - r.top);
}

void Form1::OnDrawItem(const DRAWITEMSTRUCT& item) {
  auto it = controls_.find(static_cast<int>(item.CtlID));
  if (it == controls_.end()) return;
  const ControlSpec& control = *it->second.control;
  if (control.Kind == ControlKind::PictureBox) {
    DrawPicture(item, ScaledPicture());
  } else if (control.Kind == ControlKind::Label) {
    DrawLabel(item, control, FontOf(control.Font), panels_[control.Panel == 2 ? 1 : 0].Image, ScaledPicture());
  }
}

// --- the window procedure ----------------------------------------------------------------

void Form1::Destroyed() {
  hwnd_ = nullptr;
  controls_.clear();
  panels_ = {};
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        RememberFocus();
        break;
      }
      // Like the window it was drawn as: activation counts once the window is
      // on the screen.
      if (IsWindowVisible(hwnd_)) session_.Activate();
      if (HIWORD(wparam) == 0) {  // not minimised: the focus goes back where it was
        RestoreFocus();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      // The window itself has nothing to type into: its control takes the focus.
      RestoreFocus();
      return 0;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_MINIMIZE) RememberFocus();
      break;
    case DM_GETDEFID:
      // IsDialogMessage asks which button Enter presses: the focused one, as
      // in a dialog box; none when the focus is elsewhere.
      if (HWND button = FocusedButton()) return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
      return 0;
    case WM_SETCURSOR:
      if (busy_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyDpi(HIWORD(wparam));
      return 0;
    }
    case WM_CLOSE:
      // Closing is never refused: the files are written, then the window goes.
      if (session_.running()) {  // a handler's box is up: close once the handler is done
        close_pending_ = true;
        return 0;
      }
      session_.Unload();
      DestroyWindow(hwnd_);
      return 0;
    case WM_ENDSESSION:
      if (wparam) session_.Unload();
      return 0;
    case WM_DESTROY:
      if (options_.quit_on_destroy) PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace fragtally::win32
