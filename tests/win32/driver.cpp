// Drives the real fragtally.exe from another process, as a user (or an
// automation tool) would: it finds every control by its control ID, reads and
// closes the real message boxes, clicks with posted BM_CLICK and selects with
// CB_SETCURSEL plus the CBN_SELCHANGE a user's choice sends. What it sees is
// written to a transcript in the same form as tests/gui/reference_run.cpp
// writes the Linux window's, so the two can be compared byte for byte.
//
//   driver.exe PROGRAM GAME_FOLDER TRANSCRIPT STEPS
//
// PROGRAM is started with GAME_FOLDER as its current folder. STEPS are
// separated by ';':
//   start            start the program, wait for its (possibly hidden) window
//   shown            wait until the window is on the screen
//   box              wait for a message box, write it down, press OK
//   no-box           write down that no message box is up
//   snapshot         write down every label, frame, button and selector
//   click ID         post BM_CLICK to the button
//   select ID INDEX  select an entry of a selector as a user would
//   trace            write down Text2 as read with WM_GETTEXT, and its caret
//   screenshot PATH  save the window as it is on the screen as a PNG
//   close            post WM_CLOSE; write down any message box; wait for the end
//   require-lock     write down whether the game folder's lock is held (by the
//                    program); when it is not, skip the steps after it
//   minimize         minimise the window as its title bar's button does
//   start-again      start the program a second time in the game folder and
//                    write down how that start ended (within 20 s)
//   front            wait until the window (or its message box) is in front,
//                    not minimised, and write down whether it came
//   windows          write down how many windows of the program are on the screen
//   menu ID          post the menu command ID (7001-7007) to the window
//   players-key ID VK  post the key VK (a virtual-key code) to control ID of
//                    the Players window, once that window is on the screen
//   players-screenshot PATH  save the Players window as a PNG
//   open-menu LETTER the main window's menu chosen by LETTER (UTF-8), as Alt
//                    and that letter open it
//   menu-screenshot PATH  save the main window with its open menu as a PNG,
//                    then close the menu (Escape twice)
//   head-to-head-screenshot PATH  save the head-to-head window as a PNG
//   players-select ID ROW...  choose these rows (and no other) of the list
//                    view ID of the Players window
//   players-click ID post BM_CLICK to button ID of the Players window
//   dialog-screenshot PATH  save the program's dialog in front (the Players
//                    window's list dialog) as a PNG, then cancel it
// Exit code 0 when every step could be done.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_window/layout.h"
#include "control_reading.h"
#include "platform/platform.h"
#include "transcript.h"
#include "capture.h"
#include "window/win32/text.h"

using fragtally::testing::ClassOf;
using fragtally::testing::ComboItems;
using fragtally::testing::TranscriptEscaped;
using fragtally::win32::FromUtf8;
using fragtally::win32::ToUtf8;

namespace {

int g_failures = 0;

void Say(const std::string& utf8) {
  const std::string line = "driver: " + utf8 + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void Fail(const std::string& what) {
  ++g_failures;
  Say("FAILED: " + what);
}

// WM_GETTEXT across processes: the system copies the text over.
std::wstring TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 60000, &length)) return L"<no answer>";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, 60000, &copied);
  text.resize(copied);
  return text;
}

template <class Find>
auto WaitFor(Find find, int timeout_ms) -> decltype(find()) {
  for (int waited = 0;; waited += 10) {
    if (auto found = find()) return found;
    if (waited >= timeout_ms) return {};
    Sleep(10);
  }
}

class Driver {
 public:
  Driver(std::wstring program, std::wstring folder, std::ofstream& out)
      : program_(std::move(program)), folder_(std::move(folder)), out_(out) {}
  ~Driver() {
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
  }

  void Run(const std::string& step) {
    std::istringstream words(step);
    std::string verb;
    words >> verb;
    Say("step: " + step);
    if (verb == "start") Start();
    else if (verb == "shown") Shown();
    else if (verb == "box") Box(false);
    else if (verb == "no-box") Box(true);
    else if (verb == "snapshot") Snapshot();
    else if (verb == "click") {
      int id = 0;
      words >> id;
      Click(id);
    } else if (verb == "select") {
      int id = 0, index = 0;
      words >> id >> index;
      Select(id, index);
    } else if (verb == "trace") Trace();
    else if (verb == "screenshot") {
      std::string path;
      std::getline(words >> std::ws, path);
      Screenshot(FromUtf8(path));
    } else if (verb == "close") Close();
    else if (verb == "require-lock") RequireLock();
    else if (verb == "minimize") Minimize();
    else if (verb == "start-again") StartAgain();
    else if (verb == "front") Front();
    else if (verb == "windows") Windows();
    else if (verb == "menu") {
      int id = 0;
      words >> id;
      PostMessageW(main_, WM_COMMAND, static_cast<WPARAM>(id), 0);
      Sync();
    } else if (verb == "players-key") {
      int id = 0, key = 0;
      words >> id >> key;
      HWND players = PlayersWindow();
      if (players == nullptr) return Fail("no Players window");
      PostMessageW(GetDlgItem(players, id), WM_KEYDOWN, static_cast<WPARAM>(key), 1);
      PostMessageW(GetDlgItem(players, id), WM_KEYUP, static_cast<WPARAM>(key), 0xC0000001);
      Sync();
    } else if (verb == "open-menu") {
      std::string letter;
      words >> letter;
      const std::wstring wide = FromUtf8(letter);
      if (wide.empty()) return Fail("no letter");
      PostMessageW(main_, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wide[0]));
      Sync();
    } else if (verb == "menu-screenshot") {
      std::string path;
      std::getline(words >> std::ws, path);
      MenuScreenshot(FromUtf8(path));
    } else if (verb == "players-screenshot") {
      std::string path;
      std::getline(words >> std::ws, path);
      HWND players = PlayersWindow();
      if (players == nullptr) return Fail("no Players window");
      Capture(players, FromUtf8(path));
    } else if (verb == "players-select") {
      int id = 0;
      words >> id;
      std::vector<int> rows;
      for (int row = 0; words >> row;) rows.push_back(row);
      HWND players = PlayersWindow();
      if (players == nullptr) return Fail("no Players window");
      SelectRows(GetDlgItem(players, id), rows);
    } else if (verb == "players-click") {
      int id = 0;
      words >> id;
      HWND players = PlayersWindow();
      if (players == nullptr) return Fail("no Players window");
      PostMessageW(GetDlgItem(players, id), BM_CLICK, 0, 0);
    } else if (verb == "dialog-screenshot") {
      std::string path;
      std::getline(words >> std::ws, path);
      HWND dialog = WaitFor([&] { return FindBox(); }, 10000);
      if (dialog == nullptr) return Fail("no dialog");
      Capture(dialog, FromUtf8(path));
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      Sync();
    } else if (verb == "head-to-head-screenshot") {
      std::string path;
      std::getline(words >> std::ws, path);
      HWND window = OwnWindow(L"Fragtally.HeadToHead");
      if (window == nullptr) return Fail("no head-to-head window");
      Capture(window, FromUtf8(path));
    } else Fail("unknown step " + step);
  }

  // The steps after a require-lock that found no lock are skipped.
  bool skipping() const { return skipping_; }

 private:
  void Start() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + program_ + L"\"";
    if (!CreateProcessW(program_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                        &startup, &process_)) {
      Fail("cannot start the program (error " + std::to_string(GetLastError()) + ")");
      return;
    }
    const std::wstring caption = FromUtf8(fragtally::kWindowCaption);
    main_ = WaitFor(
        [&]() -> HWND {
          // The window exists (hidden) before the start-up's message box.
          HWND found = nullptr;
          for (HWND w = FindWindowW(nullptr, caption.c_str()); w != nullptr;
               w = FindWindowExW(nullptr, w, nullptr, caption.c_str())) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == process_.dwProcessId) found = w;
          }
          return found;
        },
        30000);
    if (main_ == nullptr) Fail("no window captioned " + std::string(fragtally::kWindowCaption));
  }

  void Shown() {
    if (!WaitFor([&] { return IsWindowVisible(main_) != FALSE; }, 30000)) Fail("the window was never shown");
    Sync();
  }

  // Returns once the program has handled everything sent so far (or sits in
  // a message box's loop).
  void Sync() {
    DWORD_PTR ignored = 0;
    if (main_ != nullptr && !SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored))
      Fail("the window does not answer");
  }

  HWND FindBox() const {
    struct Search {
      DWORD pid;
      HWND found;
    } search{process_.dwProcessId, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          DWORD pid = 0;
          GetWindowThreadProcessId(hwnd, &pid);
          if (pid != s->pid || !IsWindowVisible(hwnd) || ClassOf(hwnd) != L"#32770") return TRUE;
          s->found = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // Which standard icon the box shows: the pixels of its icon static against
  // the system's icons drawn here at the same size (icon handles are per
  // process and cannot be compared). Only pixels an icon covers fully (the
  // same over black and over white) count.
  static std::string IconOf(HWND box) {
    HWND icon_static = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if (ClassOf(child) == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) icon_static = child;
    }
    if (icon_static == nullptr) return "none";
    RECT r;
    GetWindowRect(icon_static, &r);
    const fragtally::win32::Image shot = fragtally::win32::CaptureScreen(r);
    if (shot.empty()) return "unknown";
    const int w = shot.width, h = shot.height;
    const struct {
      const char* name;
      LPCWSTR id;
    } candidates[] = {{"information", IDI_INFORMATION}, {"error", IDI_ERROR}, {"warning", IDI_WARNING},
                      {"question", IDI_QUESTION}};
    std::string best = "unknown";
    double best_share = 0.05;  // more than 5% of differing pixels is no match
    HDC screen = GetDC(nullptr);
    for (const auto& candidate : candidates) {
      HICON icon = LoadIconW(nullptr, candidate.id);
      std::vector<std::uint32_t> over[2];
      for (int background = 0; background < 2; ++background) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, dib);
        RECT all{0, 0, w, h};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(background ? WHITE_BRUSH : BLACK_BRUSH)));
        DrawIconEx(dc, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
        GdiFlush();
        auto* p = static_cast<std::uint32_t*>(bits);
        over[background].assign(p, p + w * h);
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(dib);
      }
      long compared = 0, differing = 0;
      for (int i = 0; i < w * h; ++i) {
        const std::uint32_t a = over[0][i] & 0xFFFFFF, b = over[1][i] & 0xFFFFFF;
        if (a != b) continue;
        ++compared;
        const std::uint32_t s = shot.pixels[i] & 0xFFFFFF;
        int difference = 0;
        for (int shift = 0; shift < 24; shift += 8)
          difference += std::abs(static_cast<int>((s >> shift) & 0xFF) - static_cast<int>((a >> shift) & 0xFF));
        if (difference > 24) ++differing;
      }
      const double share = compared > 0 ? static_cast<double>(differing) / compared : 1.0;
      if (share < best_share) {
        best_share = share;
        best = candidate.name;
      }
    }
    ReleaseDC(nullptr, screen);
    return best;
  }

  // Writes the box down and presses OK.
  void ReadAndClose(HWND box) {
    const bool shown = IsWindowVisible(main_) != FALSE;
    int buttons = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
      if (ClassOf(child) == L"Button") ++buttons;
    // The icon is read from the screen: give the box time to be painted.
    std::string icon = "unknown";
    for (int attempt = 0; attempt < 40 && icon == "unknown"; ++attempt) {
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
      RedrawWindow(box, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      Sleep(attempt == 0 ? 20 : 50);
      icon = IconOf(box);
    }
    out_ << "box " << icon << (shown ? "" : ", before the window is shown") << "\n";
    out_ << "  title: " << TranscriptEscaped(ToUtf8(TextOf(box))) << "\n";
    out_ << "  text: " << TranscriptEscaped(ToUtf8(TextOf(GetDlgItem(box, 0xFFFF)))) << "\n";
    if (buttons != 1 || GetDlgItem(box, IDOK) == nullptr) Fail("the box has " + std::to_string(buttons) + " buttons");
    if (GetWindow(box, GW_OWNER) != main_) Fail("the box is not owned by the main window");
    SendMessageW(box, WM_COMMAND, IDOK, 0);
    if (!WaitFor([&] { return IsWindow(box) == FALSE; }, 10000)) Fail("the box did not close");
  }

  void Box(bool expect_none) {
    Sync();
    HWND box = WaitFor([&] { return FindBox(); }, expect_none ? 300 : 20000);
    if (box == nullptr) {
      out_ << "no box\n";
      return;
    }
    ReadAndClose(box);
    Sync();
  }

  void Snapshot() {
    Sync();
    out_ << "snapshot\n";
    for (const fragtally::ControlSpec& control : fragtally::Form1Controls()) {
      HWND hwnd = GetDlgItem(main_, control.ControlId);
      if (hwnd == nullptr) {
        Fail(std::string("no control ") + control.Name);
        continue;
      }
      if (GetParent(hwnd) != main_) Fail(std::string(control.Name) + " is no direct child of the window");
      switch (control.Kind) {
        case fragtally::ControlKind::ComboBox: {
          out_ << "  " << control.Name << ":";
          for (const std::wstring& item : ComboItems(hwnd)) out_ << " [" << TranscriptEscaped(ToUtf8(item)) << "]";
          out_ << " selected " << SendMessageW(hwnd, CB_GETCURSEL, 0, 0) << " showing ["
               << TranscriptEscaped(ToUtf8(TextOf(hwnd))) << "]\n";
          break;
        }
        case fragtally::ControlKind::Label:
        case fragtally::ControlKind::GroupBox:
        case fragtally::ControlKind::CommandButton:
          out_ << "  " << control.Name << ": " << TranscriptEscaped(ToUtf8(TextOf(hwnd))) << "\n";
          break;
        case fragtally::ControlKind::TextBox:
          out_ << "  " << control.Name << (IsWindowVisible(hwnd) ? ": shown\n" : ": hidden\n");
          break;
        case fragtally::ControlKind::PictureBox:
          break;
      }
    }
  }

  // LVM_SETITEMSTATE with its LVITEM in the program's memory (a list view
  // reads it there).
  void SelectRows(HWND list, const std::vector<int>& rows) {
    if (list == nullptr) return Fail("no list");
    void* remote = VirtualAllocEx(process_.hProcess, nullptr, sizeof(LVITEMW), MEM_COMMIT, PAGE_READWRITE);
    if (remote == nullptr) return Fail("cannot reach the program's memory");
    const auto set = [&](int row, UINT state) {
      LVITEMW item{};
      item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      item.state = state;
      WriteProcessMemory(process_.hProcess, remote, &item, sizeof item, nullptr);
      SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
    };
    set(-1, 0);
    for (int row : rows) set(row, LVIS_SELECTED | LVIS_FOCUSED);
    VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
    Sync();
  }

  void Click(int id) {
    HWND button = GetDlgItem(main_, id);
    if (button == nullptr) return Fail("no button " + std::to_string(id));
    // Posted: the click's handler may sit in a message box until it is
    // closed, and a sent BM_CLICK would not come back before.
    PostMessageW(button, BM_CLICK, 0, 0);
    Sync();
  }

  void Select(int id, int index) {
    HWND combo = GetDlgItem(main_, id);
    if (combo == nullptr) return Fail("no selector " + std::to_string(id));
    // CB_SETCURSEL alone tells nobody; a user's choice also sends this.
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageW(main_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    Sync();
  }

  void Trace() {
    Sync();
    HWND text2 = GetDlgItem(main_, fragtally::ControlIdOf("Text2"));
    const std::wstring trace = TextOf(text2);
    DWORD start = 0, end = 0;
    SendMessageW(text2, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    out_ << "trace of " << trace.size() << " characters, caret at " << end << (end == trace.size() ? " (the end)" : "")
         << "\n";
    std::size_t begin = 0;
    while (begin < trace.size()) {
      std::size_t line_end = trace.find(L"\r\n", begin);
      if (line_end == std::wstring::npos) line_end = trace.size();
      out_ << "  | " << TranscriptEscaped(ToUtf8(trace.substr(begin, line_end - begin))) << "\n";
      begin = line_end + 2;
    }
  }

  void Screenshot(const std::wstring& path) { Capture(main_, path); }

  // The program's Players window on the screen (within 10 s), or nullptr.
  HWND PlayersWindow() { return OwnWindow(L"Fragtally.Players"); }
  // The program's visible window of that class, once there is one.
  HWND OwnWindow(const wchar_t* window_class) {
    return WaitFor(
        [&]() -> HWND {
          HWND w = FindWindowW(window_class, nullptr);
          DWORD pid = 0;
          if (w != nullptr) GetWindowThreadProcessId(w, &pid);
          return pid == process_.dwProcessId && IsWindowVisible(w) ? w : nullptr;
        },
        10000);
  }

  void Capture(HWND window, const std::wstring& path) {
    Sync();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sync();
    Sleep(300);  // the X server shows what was drawn
    RECT r;
    GetWindowRect(window, &r);
    if (FAILED(fragtally::win32::SavePng(fragtally::win32::CaptureScreen(r), path))) Fail("cannot save the picture");
  }

  // The main window and the program's open menu (a "#32768" window) together.
  void MenuScreenshot(const std::wstring& path) {
    HWND popup = WaitFor(
        [&]() -> HWND {
          for (HWND w = FindWindowW(L"#32768", nullptr); w != nullptr; w = FindWindowExW(nullptr, w, L"#32768", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == process_.dwProcessId && IsWindowVisible(w)) return w;
          }
          return nullptr;
        },
        10000);
    if (popup == nullptr) return Fail("no open menu");
    Sleep(300);  // the X server shows what was drawn
    RECT window, menu, both;
    GetWindowRect(main_, &window);
    GetWindowRect(popup, &menu);
    UnionRect(&both, &window, &menu);
    if (FAILED(fragtally::win32::SavePng(fragtally::win32::CaptureScreen(both), path))) Fail("cannot save the picture");
    for (int i = 0; i < 2; ++i) {
      PostMessageW(main_, WM_KEYDOWN, VK_ESCAPE, 1);
      PostMessageW(main_, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    }
    Sync();
  }

  void Close() {
    Sync();
    PostMessageW(main_, WM_CLOSE, 0, 0);
    for (int waited = 0; waited < 30000; waited += 10) {
      if (WaitForSingleObject(process_.hProcess, 10) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        out_ << "closed, exit code " << code << "\n";
        return;
      }
      if (HWND box = FindBox()) ReadAndClose(box);
    }
    Fail("the program did not end after WM_CLOSE");
  }

  // The game folder's lock is the platform layer's: a copy that holds it
  // makes a lock from here fail.
  void RequireLock() {
    const bool held = fragtally::platform::LockGameFolder(ToUtf8(folder_)) == nullptr;
    out_ << (held ? "the game folder is locked\n" : "the game folder is not locked: the steps after this are skipped\n");
    skipping_ = !held;
  }

  void Minimize() {
    PostMessageW(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    if (!WaitFor([&] { return IsIconic(main_) != FALSE; }, 10000)) Fail("the window was not minimised");
    Sync();
  }

  void StartAgain() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION second{};
    std::wstring command = L"\"" + program_ + L"\"";
    if (!CreateProcessW(program_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                        &startup, &second)) {
      Fail("cannot start the program again (error " + std::to_string(GetLastError()) + ")");
      return;
    }
    if (WaitForSingleObject(second.hProcess, 20000) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(second.hProcess, &code);
      out_ << "the second start ended, exit code " << code << "\n";
    } else {
      out_ << "the second start still runs after 20 s\n";
      TerminateProcess(second.hProcess, 99);
      WaitForSingleObject(second.hProcess, 5000);
    }
    CloseHandle(second.hProcess);
    CloseHandle(second.hThread);
  }

  void Front() {
    const auto in_front = [&] {
      HWND front = GetForegroundWindow();
      return !IsIconic(main_) && front != nullptr && (front == main_ || GetWindow(front, GW_OWNER) == main_);
    };
    if (WaitFor(in_front, 10000)) {
      out_ << "the window is in front\n";
    } else {
      out_ << "the window is not in front" << (IsIconic(main_) ? " (minimised)" : "") << "\n";
    }
  }

  void Windows() {
    int count = 0;
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
          if (IsWindowVisible(hwnd) && ClassOf(hwnd) == L"Fragtally.Form1") ++*reinterpret_cast<int*>(data);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    out_ << "windows of the program: " << count << "\n";
  }

  std::wstring program_, folder_;
  std::ofstream& out_;
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
  bool skipping_ = false;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    Say("usage: driver PROGRAM GAME_FOLDER TRANSCRIPT STEPS");
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // WIC, for screenshots
  std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
  {
    Driver driver(argv[1], argv[2], out);
    std::stringstream steps(ToUtf8(argv[4]));
    std::string step;
    while (std::getline(steps, step, ';') && !driver.skipping()) {
      if (step.find_first_not_of(' ') == std::string::npos) continue;
      driver.Run(step.substr(step.find_first_not_of(' ')));
      out.flush();
    }
  }
  CoUninitialize();
  return g_failures == 0 ? 0 : 1;
}
