#pragma once

#include "app/text/messages.h"

namespace fragtally {

// Shows each message as a modal box with its icon, title, text and one OK
// button, over the active window (none while the program starts).
class QtMessageSink : public MessageSink {
 public:
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
};

// Writes each message to the standard error output instead (for the tools
// and when the program is measured).
class PrintingSink : public MessageSink {
 public:
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override;
};

}  // namespace fragtally
