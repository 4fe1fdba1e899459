#include "window_support.h"

#include <commctrl.h>
#include <objbase.h>

#include <thread>

#include "app/text/text_decoding.h"
#include "window/win32/message_box_sink.h"
#include "window/win32/text.h"

namespace fragtally::testing {

std::wstring TextOf(HWND hwnd) {
  const auto length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied = SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

constexpr UINT_PTR kDrawCounterSubclass = 100;

DrawCounter::DrawCounter(HWND window) : window_(window) {
  SetWindowSubclass(window_, &DrawCounter::Proc, kDrawCounterSubclass, reinterpret_cast<DWORD_PTR>(this));
}

DrawCounter::~DrawCounter() { RemoveWindowSubclass(window_, &DrawCounter::Proc, kDrawCounterSubclass); }

LRESULT CALLBACK DrawCounter::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR self) {
  if (message == WM_DRAWITEM) {
    auto* counter = reinterpret_cast<DrawCounter*>(self);
    const int id = static_cast<int>(reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)->CtlID);
    if (id > ControlIdOf("Label0") && id < ControlIdOf("Combo0")) ++counter->label_draws;
    if (id > ControlIdOf("Image0") && id < ControlIdOf("Text0")) ++counter->picture_draws;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

RECT RectInParent(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::wstring W(const std::string& utf8) { return win32::FromUtf8(utf8); }

void WindowSink::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  window_visible.push_back(window != nullptr && IsWindowVisible(window));
  cursor.push_back(GetCursor());
  RecordingSink::ShowMessage(icon, ToUtf8(DisplayText(title)), ToUtf8(DisplayLines(text, u"\r\n")));
  if (!real_boxes) return;
  std::thread user([thread = GetCurrentThreadId()] {
    for (int waited = 0; waited < 10000; waited += 10) {
      HWND box = MessageBoxOf(thread);
      if (box != nullptr && GetForegroundWindow() == box) {
        Sleep(50);
        PressKey(VK_RETURN);
        return;
      }
      Sleep(10);
    }
  });
  win32::MessageBoxSink boxes;
  boxes.SetOwner(window);
  boxes.ShowMessage(icon, title, text);
  user.join();
}

void PressKey(WORD key) {
  INPUT input[2]{};
  for (INPUT& i : input) {
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = key;
  }
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
}

HWND MessageBoxOf(DWORD thread) {
  HWND found = nullptr;
  EnumThreadWindows(
      thread,
      [](HWND hwnd, LPARAM data) -> BOOL {
        if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != L"#32770") return TRUE;
        *reinterpret_cast<HWND*>(data) = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

WindowTest::WindowTest() : in_game_folder_(dir_.path()) {
  std::filesystem::create_directories(Basekrm());
  win32::FormOptions options;
  options.quit_on_destroy = false;  // no WM_QUIT into the test's thread
  options.choose_save_file = [this](HWND, const win32::SaveRequest& request) {
    save_requests_.push_back(request);
    return save_answer_;
  };
  form_ = std::make_unique<win32::Form1>(sink_, dir_.str(), options);
  main_ = form_->Create(GetModuleHandleW(nullptr));
  sink_.window = main_;
  EXPECT_NE(main_, nullptr);
}

WindowTest::~WindowTest() { form_.reset(); }

void WindowTest::ShowAndPaint() {
  form_->Show(SW_SHOWNOACTIVATE);
  RedrawWindow(main_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();
}

void WindowTest::SelectAsUser(const char* combo, int index) {
  HWND control = Item(combo);
  SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(main_, WM_COMMAND, MAKEWPARAM(Id(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
}

void WindowTest::Click(const char* button) { SendMessageW(Item(button), BM_CLICK, 0, 0); }

void WindowTest::ShowActive() {
  form_->Show(SW_SHOW);
  SetForegroundWindow(main_);
  Pump();
}

void WindowTest::Pump(int ms) {
  const DWORD until = GetTickCount() + static_cast<DWORD>(ms);
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!form_->HandleDialogMessage(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    Sleep(5);
  } while (static_cast<LONG>(until - GetTickCount()) > 0);
}

}  // namespace fragtally::testing

int main(int argc, char** argv) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
