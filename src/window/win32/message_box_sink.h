#pragma once

#include <windows.h>

#include "app/text/messages.h"

namespace fragtally::win32 {

// Shows each message as a system message box (MessageBoxW): its icon, its
// title, its text with CR LF line ends and one OK button, owned by the main
// window once there is one.
class MessageBoxSink : public MessageSink {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace fragtally::win32
