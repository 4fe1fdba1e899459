#include "window/win32/form1.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <tuple>

#include "app/commands.h"
#include "files/paths.h"
#include "platform/platform.h"
#include "window/display_text.h"
#include "window/win32/newer_windows.h"
#include "window/win32/resource.h"
#include "window/win32/text.h"

namespace fragtally::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"Fragtally.Form1";
constexpr UINT_PTR kFrameSubclass = 1;
constexpr UINT_PTR kTraceSubclass = 2;

// The trace is decoded for Text2 a block of about this many bytes at a time,
// cut after a line end, so that no line is split.
constexpr std::size_t kTraceBlock = 1 << 20;

// Rows a selector's drop-down list shows before it scrolls.
constexpr int kDropDownRows = 12;

int Pixels(int twips, UINT dpi) { return TwipsToPixels(twips, static_cast<int>(dpi)); }

HFONT MakeFont(const FontSpec& spec, UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(static_cast<int>(std::lround(spec.Points * 100)), static_cast<int>(dpi), 7200);
  font.lfWeight = spec.Bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = static_cast<BYTE>(spec.CharSet);
  // The window's captions are Russian. Where the system's default character
  // set has no Cyrillic (a Western ANSI code page), the default font would
  // show them as boxes: ask for its Cyrillic form instead.
  if (spec.CharSet == DEFAULT_CHARSET && GetACP() != 1251) font.lfCharSet = RUSSIAN_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  const std::wstring face = FromUtf8(spec.Face);
  wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return CreateFontIndirectW(&font);
}

// The user's decimal separator (regional settings), as UTF-8.
std::string DecimalSeparator() {
  wchar_t separator[8] = L"";
  const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
  if (n <= 1) return ".";
  return ToUtf8(std::wstring_view(separator, static_cast<std::size_t>(n - 1)));
}

// Calls `each` with the trace's blocks [begin, end) up to `limit` bytes,
// every block ending after a line end (or at `limit`).
template <class Each>
void ForEachTraceBlock(std::string_view trace, std::size_t limit, Each&& each) {
  std::size_t begin = 0;
  while (begin < limit) {
    std::size_t end = limit;
    if (limit - begin > kTraceBlock) {
      const std::size_t line_end = trace.find('\n', begin + kTraceBlock - 1);
      end = line_end == std::string_view::npos ? limit : std::min(limit, line_end + 1);
    }
    if (!each(trace.substr(begin, end - begin))) return;
    begin = end;
  }
}

}  // namespace

// --- messages and the wait cursor -------------------------------------------------------

template <class Box>
auto Form1::RenderFirst::Around(Box box) {
  form_.Render();
  // The box takes the focus; the control that had it gets it back once the
  // window is active again.
  form_.RememberFocus();
  // A box is up: the user may act on it, so the cursor is the normal one.
  const bool was_busy = form_.busy_;
  if (was_busy) {
    form_.busy_ = false;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  }
  struct Busy {
    Form1& form;
    bool was_busy;
    ~Busy() {
      if (!was_busy) return;
      form.busy_ = true;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    }
  } again{form_, was_busy};
  return box();
}

void Form1::RenderFirst::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  Around([&] { messages_.ShowMessage(icon, title, text); });
}

bool Form1::RenderFirst::AskYesNo(const std::string& title, const std::string& text) {
  return Around([&] { return messages_.AskYesNo(title, text); });
}

Form1::WaitCursor::WaitCursor(Form1& form)
    : form_(form), was_busy_(form.busy_), previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {
  form_.busy_ = true;
}

Form1::WaitCursor::~WaitCursor() {
  form_.busy_ = was_busy_;
  SetCursor(previous_ != nullptr ? previous_ : LoadCursorW(nullptr, IDC_ARROW));
}

// --- the window -------------------------------------------------------------------------

Form1::Form1(MessageSink& messages, std::string program_folder, FormOptions options)
    : messages_(*this, messages),
      state_(NewForm1State(program_folder.empty() ? platform::ExecutableFolder() : std::move(program_folder))),
      options_(options) {}

Form1::~Form1() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (window_font_ != nullptr) DeleteObject(window_font_);
  if (label_font_ != nullptr) DeleteObject(label_font_);
}

HWND Form1::Create(HINSTANCE instance) {
  instance_ = instance;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  if (!GetClassInfoExW(instance, kWindowClass, &window_class)) {
    window_class = WNDCLASSEXW{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &Form1::WindowProc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(FRAGTALLY_IDI_ICON));
    window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(FRAGTALLY_IDI_ICON), IMAGE_ICON,
                                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&window_class)) return nullptr;
  }

  picture_.LoadResource(instance, FRAGTALLY_IDR_PANEL_PICTURE);

  // A fixed size, like the window it was drawn as: no maximise, no resize.
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const std::wstring caption = FromUtf8(kWindowCaption);
  if (!CreateWindowExW(0, kWindowClass, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr,
                       nullptr, instance, this)) {
    return nullptr;
  }
  CreateControls();
  ApplyDpi(WindowDpi(hwnd_));
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
  return it != controls_.end() && it->second.spec->Kind == ControlKind::CommandButton ? focus : nullptr;
}

RECT Form1::PixelRect(const ControlSpec& spec) const {
  int left = Pixels(spec.Rect.Left, dpi_);
  int top = Pixels(spec.Rect.Top, dpi_);
  if (const ControlSpec* container = FindControl(spec.Container)) {
    left += Pixels(container->Rect.Left, dpi_);
    top += Pixels(container->Rect.Top, dpi_);
  }
  return RECT{left, top, left + Pixels(spec.Rect.Width, dpi_), top + Pixels(spec.Rect.Height, dpi_)};
}

void Form1::CreateControls() {
  // Each control is a direct child of the window; the z-order (top first)
  // keeps the labels above the pictures and the frames below everything, and
  // puts the tab stops in their tab order: labels, pictures, tab stops, the
  // rest. WS_CLIPSIBLINGS makes each control leave alone what lies above it.
  std::vector<HWND> labels, pictures, others;
  std::vector<std::tuple<int, int, HWND>> tab_stops;

  for (const ControlSpec& spec : Form1Controls()) {
    const std::wstring text = Wide(DisplayText(spec.DesignText));
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ex_style = 0;
    const wchar_t* window_class = WC_STATICW;
    switch (spec.Kind) {
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
        // trace itself (TraceProc) and never holds a copy.
        window_class = WC_EDITW;
        style |= WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY;
        ex_style = WS_EX_CLIENTEDGE;
        break;
    }
    HWND control = CreateWindowExW(ex_style, window_class, spec.Kind == ControlKind::TextBox ? L"" : text.c_str(), style,
                                   0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.ControlId)),
                                   instance_, nullptr);
    controls_[spec.ControlId] = ControlInfo{&spec, control};

    PanelControls* panel = spec.Panel == 1 ? &panel1_ : spec.Panel == 2 ? &panel2_ : nullptr;
    switch (spec.Kind) {
      case ControlKind::GroupBox:
        SetWindowSubclass(control, &Form1::FrameProc, kFrameSubclass, 0);
        others.push_back(control);
        break;
      case ControlKind::ComboBox:
        panel->combo = control;
        break;
      case ControlKind::PictureBox:
        panel->picture = control;
        pictures.push_back(control);
        break;
      case ControlKind::Label:
        if (spec.Fill != kNone) {
          panel->values[static_cast<std::size_t>(spec.Fill)] = control;
          panel->shown[static_cast<std::size_t>(spec.Fill)] = spec.DesignText;
        }
        labels.push_back(control);
        break;
      case ControlKind::TextBox:
        text2_ = control;
        SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
        SetWindowSubclass(control, &Form1::TraceProc, kTraceSubclass, reinterpret_cast<DWORD_PTR>(this));
        break;
      case ControlKind::CommandButton:
        break;
    }
    // Tab stops by their container's tab index, then their own.
    if (spec.TabIndex != kNone && spec.Kind != ControlKind::GroupBox) {
      const ControlSpec* container = FindControl(spec.Container);
      tab_stops.emplace_back(container ? container->TabIndex : spec.TabIndex, container ? spec.TabIndex : -1, control);
    } else if (spec.Kind != ControlKind::GroupBox && spec.Kind != ControlKind::Label &&
               spec.Kind != ControlKind::PictureBox) {
      others.insert(others.begin(), control);
    }
  }

  std::stable_sort(tab_stops.begin(), tab_stops.end(), [](const auto& a, const auto& b) {
    return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
  });
  std::vector<HWND> top_to_bottom = labels;
  top_to_bottom.insert(top_to_bottom.end(), pictures.begin(), pictures.end());
  for (const auto& stop : tab_stops) top_to_bottom.push_back(std::get<2>(stop));
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
  RECT frame{0, 0, Pixels(kClientWidthTwips, dpi_), Pixels(kClientHeightTwips, dpi_)};
  AdjustWindowRectForDpi(frame, style, ex_style, dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  for (const auto& [id, control] : controls_) {
    RECT r = PixelRect(*control.spec);
    HFONT font = FontOf(control.spec->Font);
    SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (control.spec->Kind == ControlKind::ComboBox) {
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

void Form1::LoadPanelPictures() {
  // A missing or unreadable picture leaves the built-in one, without a word.
  picture_.LoadFile(platform::WidePath(PanelPicturePath(*state_)));
  for (HWND picture : {panel1_.picture, panel2_.picture}) InvalidateRect(picture, nullptr, FALSE);
  for (const auto& [id, control] : controls_)
    if (control.spec->Kind == ControlKind::Label) InvalidateRect(control.hwnd, nullptr, FALSE);
}

// --- the handlers ------------------------------------------------------------------------

void Form1::Form_Load() {
  if (loaded_) return;
  loaded_ = true;
  WaitCursor wait(*this);
  LoadPanelPictures();
  fragtally::Form_Load(*state_, messages_);
  Render();
}

void Form1::Form_Activate() {
  fragtally::Form_Activate(*state_);
  Render();
}

void Form1::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  fragtally::Form_Unload(*state_, messages_);
}

void Form1::Command1_Click() {
  WaitCursor wait(*this);
  fragtally::Command1_Click(*state_, messages_);
  Render();
}

void Form1::Command2_Click() { fragtally::Command2_Click(*state_, messages_, DecimalSeparator()); }

void Form1::OnSelection(Panel panel, int index) {
  SelectPlayer(*state_, messages_, panel, index);
  Render();
}

void Form1::OnCommand(int id, int code) {
  // While a handler runs, its message box is up and the window is disabled;
  // what still arrives (a click sent by another program) waits for the box.
  if (in_handler_) return;
  struct InHandler {
    bool& flag;
    explicit InHandler(bool& f) : flag(f) { flag = true; }
    ~InHandler() { flag = false; }
  };
  static const int kCombo1 = ControlIdOf("Combo1"), kCombo2 = ControlIdOf("Combo2");
  static const int kCommand1 = ControlIdOf("Command1"), kCommand2 = ControlIdOf("Command2");
  if ((id == kCombo1 || id == kCombo2) && code == CBN_SELCHANGE) {
    InHandler running(in_handler_);
    HWND combo = Control(id);
    OnSelection(id == kCombo1 ? Panel::First : Panel::Second,
                static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)));
  } else if (id == kCommand1 && code == BN_CLICKED) {
    InHandler running(in_handler_);
    Command1_Click();
  } else if (id == kCommand2 && code == BN_CLICKED) {
    InHandler running(in_handler_);
    Command2_Click();
  }
  if (close_pending_ && !in_handler_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

// --- copying the state into the controls -------------------------------------------------

void Form1::Render() {
  if (hwnd_ == nullptr) return;
  RenderSelector(panel1_.combo, state_->Combo1);
  RenderSelector(panel2_.combo, state_->Combo2);
  RenderPanel(panel1_, state_->Panel1);
  RenderPanel(panel2_, state_->Panel2);
}

void Form1::RenderSelector(HWND combo, const Selector& selector) {
  const auto& list = selector.List;
  std::size_t count = static_cast<std::size_t>(std::max<LRESULT>(0, SendMessageW(combo, CB_GETCOUNT, 0, 0)));
  if (list.size() < count) {  // names are never removed; start over if they were
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    count = 0;
  }
  if (list.size() > count) {
    SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    SendMessageW(combo, CB_INITSTORAGE, list.size() - count, (list.size() - count) * 32 * sizeof(wchar_t));
    for (std::size_t i = count; i < list.size(); ++i) {
      const std::wstring name = Wide(DisplayText(list[i]));
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(combo, nullptr, TRUE);
  }
  // CB_SETCURSEL notifies nobody, so this is no user's selection.
  if (SendMessageW(combo, CB_GETCURSEL, 0, 0) != selector.ListIndex)
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selector.ListIndex), 0);
}

void Form1::RenderPanel(PanelControls& panel, const PanelLabels& labels) {
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (panel.shown[i] == labels[i]) continue;
    // The static repaints only itself (WM_DRAWITEM), picture part and text
    // in one go: nothing flickers, nothing of the old text stays.
    SetWindowTextW(panel.values[i], Wide(DisplayText(labels[i])).c_str());
    panel.shown[i] = labels[i];
  }
}

// --- Text2: the trace, answered from the state -------------------------------------------

std::size_t Form1::TraceLength() const {
  std::size_t length = 0;
  const std::string_view trace = state_->Trace;
  ForEachTraceBlock(trace, trace.size(), [&](std::string_view block) {
    length += DisplayLines(block, u"\r\n").size();
    return true;
  });
  return length;
}

std::size_t Form1::CopyTrace(wchar_t* buffer, std::size_t capacity) const {
  std::size_t copied = 0;
  const std::string_view trace = state_->Trace;
  ForEachTraceBlock(trace, trace.size(), [&](std::string_view block) {
    const std::u16string text = DisplayLines(block, u"\r\n");
    const std::size_t n = std::min(text.size(), capacity - copied);
    std::memcpy(buffer + copied, text.data(), n * sizeof(wchar_t));
    copied += n;
    return copied < capacity;
  });
  return copied;
}

std::size_t Form1::TraceCaretPosition() const {
  const std::string_view trace = state_->Trace;
  const std::size_t caret = std::min(state_->TraceCaret, trace.size());
  std::size_t position = 0;
  ForEachTraceBlock(trace, caret, [&](std::string_view block) {
    position += DisplayLines(block, u"\r\n").size();
    return true;
  });
  return position;
}

LRESULT CALLBACK Form1::TraceProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  const Form1* form = reinterpret_cast<const Form1*>(data);
  switch (message) {
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(form->TraceLength());
    case WM_GETTEXT: {
      if (wparam == 0 || lparam == 0) return 0;
      wchar_t* buffer = reinterpret_cast<wchar_t*>(lparam);
      const std::size_t copied = form->CopyTrace(buffer, static_cast<std::size_t>(wparam) - 1);
      buffer[copied] = L'\0';
      return static_cast<LRESULT>(copied);
    }
    case EM_GETSEL: {
      // No selection; the caret where the program put it.
      const std::size_t caret = form->TraceCaretPosition();
      if (wparam != 0) *reinterpret_cast<DWORD*>(wparam) = static_cast<DWORD>(caret);
      if (lparam != 0) *reinterpret_cast<DWORD*>(lparam) = static_cast<DWORD>(caret);
      return caret > 0xFFFF ? -1 : MAKELRESULT(caret, caret);
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &Form1::TraceProc, kTraceSubclass);
      break;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

// --- painting ----------------------------------------------------------------------------

HBITMAP Form1::ScaledPicture() {
  RECT r{};
  GetClientRect(panel1_.picture, &r);
  return picture_.Scaled(r.right - r.left, r.bottom - r.top);
}

void Form1::OnDrawItem(const DRAWITEMSTRUCT& item) {
  auto it = controls_.find(static_cast<int>(item.CtlID));
  if (it == controls_.end()) return;
  if (it->second.spec->Kind == ControlKind::PictureBox) {
    DrawPicture(item);
  } else if (it->second.spec->Kind == ControlKind::Label) {
    DrawLabel(item, *it->second.spec);
  }
}

void Form1::DrawPicture(const DRAWITEMSTRUCT& item) {
  ++counters_.picture_draws;
  const RECT& r = item.rcItem;
  HBITMAP bitmap = ScaledPicture();
  if (bitmap == nullptr) {
    FillRect(item.hDC, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return;
  }
  HDC source = CreateCompatibleDC(item.hDC);
  HGDIOBJ old = SelectObject(source, bitmap);
  BitBlt(item.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

// A label is transparent over its panel's picture: it is painted whole, in
// one BitBlt, from an off-screen buffer holding the part of the picture under
// it and the text on top. Nothing between the old and the new text reaches
// the screen, and no trace of the old text can remain.
void Form1::DrawLabel(const DRAWITEMSTRUCT& item, const ControlSpec& spec) {
  ++counters_.label_draws;
  const int width = item.rcItem.right - item.rcItem.left;
  const int height = item.rcItem.bottom - item.rcItem.top;
  if (width <= 0 || height <= 0) return;

  HDC buffer = CreateCompatibleDC(item.hDC);
  HBITMAP buffer_bitmap = CreateCompatibleBitmap(item.hDC, width, height);
  HGDIOBJ old_bitmap = SelectObject(buffer, buffer_bitmap);

  RECT all{0, 0, width, height};
  FillRect(buffer, &all, GetSysColorBrush(COLOR_BTNFACE));  // what lies outside the picture, if anything
  HWND picture = spec.Panel == 2 ? panel2_.picture : panel1_.picture;
  if (HBITMAP scaled = ScaledPicture()) {
    POINT at{0, 0};  // the label's top left corner in the picture
    MapWindowPoints(item.hwndItem, picture, &at, 1);
    HDC source = CreateCompatibleDC(item.hDC);
    HGDIOBJ old = SelectObject(source, scaled);
    BitBlt(buffer, 0, 0, width, height, source, at.x, at.y, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }

  const int length = GetWindowTextLengthW(item.hwndItem);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(item.hwndItem, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));

  SetBkMode(buffer, TRANSPARENT);
  SetTextColor(buffer, RGB(spec.TextColour.Red, spec.TextColour.Green, spec.TextColour.Blue));
  HGDIOBJ old_font = SelectObject(buffer, FontOf(spec.Font));
  const UINT format = DT_NOPREFIX | DT_SINGLELINE | DT_TOP | (spec.Align == TextAlign::Centre ? DT_CENTER : DT_LEFT);
  DrawTextW(buffer, text.c_str(), length, &all, format);
  SelectObject(buffer, old_font);

  BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, old_bitmap);
  DeleteObject(buffer_bitmap);
  DeleteDC(buffer);
}

// A group box paints only its frame and caption and leaves its inside to the
// parent, which (WS_CLIPCHILDREN) does not paint under its children: the
// frame fills its inside itself; WS_CLIPSIBLINGS keeps that off the controls
// above it.
LRESULT CALLBACK Form1::FrameProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wparam), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &Form1::FrameProc, kFrameSubclass);
      break;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

// --- the window procedure ----------------------------------------------------------------

LRESULT CALLBACK Form1::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Form1* form = nullptr;
  if (message == WM_NCCREATE) {
    form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  } else {
    form = reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (form == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  const LRESULT result = form->HandleMessage(message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
    form->text2_ = nullptr;
    form->controls_.clear();
    form->panel1_ = PanelControls{};
    form->panel2_ = PanelControls{};
  }
  return result;
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
      if (IsWindowVisible(hwnd_)) Form_Activate();
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
      if (in_handler_) {  // a handler's box is up: close once the handler is done
        close_pending_ = true;
        return 0;
      }
      Form_Unload();
      DestroyWindow(hwnd_);
      return 0;
    case WM_ENDSESSION:
      if (wparam) Form_Unload();
      return 0;
    case WM_DESTROY:
      if (options_.quit_on_destroy) PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace fragtally::win32
