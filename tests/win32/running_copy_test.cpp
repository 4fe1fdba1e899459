// One copy per game folder, in-process: a later start reaches the running
// copy's window through the same message-only window the program uses, and
// the running copy comes to the front.

#include <chrono>
#include <thread>

#include "app/text/messages.h"
#include "platform/platform.h"
#include "window/win32/message_box_sink.h"
#include "window/win32/running_copy.h"
#include "window_support.h"

namespace fragtally::testing {
namespace {

class RunningCopyTest : public WindowTest {
 protected:
  // A name no other test or program uses.
  std::string Name() const { return platform::InstanceName(dir_.str()) + "-test"; }

  // Another top-level window in front, as another program's.
  void AnotherWindowInFront() {
    other_ = CreateWindowExW(0, L"Static", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other_);
    Pump();
  }
  ~RunningCopyTest() override {
    if (other_ != nullptr) DestroyWindow(other_);
  }

  HWND other_ = nullptr;
};

TEST_F(RunningCopyTest, ALaterStartBringsTheMinimisedWindowToTheFrontWithoutWaitingForIt) {
  win32::RunningCopy running(GetModuleHandleW(nullptr), Name(), *form_);
  ASSERT_TRUE(running.listening());
  Load();
  ShowActive();
  SendMessageW(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  AnotherWindowInFront();
  ASSERT_TRUE(IsIconic(main_));

  // The running copy is this thread, which handles nothing while it asks:
  // as busy as a copy can be. The request is delivered all the same.
  const auto asking = std::chrono::steady_clock::now();
  EXPECT_TRUE(win32::AskRunningCopyToShow(Name(), 5000));
  EXPECT_LT(std::chrono::steady_clock::now() - asking, std::chrono::seconds(1));
  EXPECT_EQ(running.requests(), 0);

  Pump();
  EXPECT_EQ(running.requests(), 1);
  EXPECT_FALSE(IsIconic(main_));
  EXPECT_EQ(GetForegroundWindow(), main_);
  EXPECT_EQ(GetFocus(), Item("Command1"));
}

TEST_F(RunningCopyTest, WhileAMessageBoxIsUpTheBoxComesToTheFront) {
  win32::RunningCopy running(GetModuleHandleW(nullptr), Name(), *form_);
  Load();
  ShowActive();
  // While the window's message box is up, another program comes to the
  // front, then another start asks (from another thread): the box comes to
  // the front, where the user closes it.
  bool delivered = false, box_in_front = false;
  std::thread later_start([&, thread = GetCurrentThreadId()] {
    HWND box = nullptr;
    for (int waited = 0; waited < 5000 && box == nullptr; waited += 10, Sleep(10)) box = MessageBoxOf(thread);
    if (box == nullptr) return;
    HWND other = CreateWindowExW(0, L"Static", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
    if (GetForegroundWindow() == other) {
      delivered = win32::AskRunningCopyToShow(Name(), 5000);
      for (int waited = 0; waited < 5000 && GetForegroundWindow() != box; waited += 10) Sleep(10);
      box_in_front = GetForegroundWindow() == box;
    }
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    DestroyWindow(other);
  });
  win32::MessageBoxSink boxes;
  boxes.SetOwner(main_);
  boxes.ShowMessage(MessageIcon::Information, "Fragtally", "");
  later_start.join();
  EXPECT_TRUE(delivered);
  EXPECT_TRUE(box_in_front);
  EXPECT_EQ(running.requests(), 1);
}

TEST_F(RunningCopyTest, NoRunningCopyAnswersUnderAnotherName) {
  const auto asking = std::chrono::steady_clock::now();
  EXPECT_FALSE(win32::AskRunningCopyToShow(Name(), 300));
  EXPECT_LT(std::chrono::steady_clock::now() - asking, std::chrono::seconds(3));
}

}  // namespace
}  // namespace fragtally::testing
