#pragma once

// One copy of the program per game folder. The copy that holds the folder's
// lock (platform::LockGameFolder) answers under the folder's instance name
// (platform::InstanceName) with a message-only window; a later start in the
// same folder finds that window, asks the running copy to bring its window to
// the front, and ends.

#include <windows.h>

#include <string>

namespace fragtally::win32 {

class Form1;

// The running copy's side: while it lives, a request from another start
// brings `form` to the front (Form1::BringToFront).
class RunningCopy {
 public:
  RunningCopy(HINSTANCE instance, const std::string& instance_name, Form1& form);
  RunningCopy(const RunningCopy&) = delete;
  RunningCopy& operator=(const RunningCopy&) = delete;
  ~RunningCopy();

  // Whether the window that answers could be made.
  bool listening() const { return hwnd_ != nullptr; }
  // How many requests came (tests).
  int requests() const { return requests_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  Form1& form_;
  HWND hwnd_ = nullptr;
  int requests_ = 0;
};

// The later start's side: asks the copy running under `instance_name` to
// bring its window to the front, waiting up to `wait_ms` for it to answer
// (it may be starting itself). The request is posted, never waited on: a
// running copy that is busy, or has a message box up, handles it when it can.
// Whether a running copy was found.
bool AskRunningCopyToShow(const std::string& instance_name, DWORD wait_ms);

}  // namespace fragtally::win32
