#pragma once

#include <string>
#include <vector>

#include "app/text/messages.h"

namespace fragtally::testing {

struct RecordedMessage {
  MessageIcon icon;
  std::string title;
  std::string text;
  bool asked = false;  // a Yes/No question
};

// Keeps every message box instead of showing it.
class RecordingSink : public MessageSink {
 public:
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override {
    messages.push_back({icon, title, text});
  }
  // Each question is kept as a message with no icon of its own (asked is
  // true) and answered with `answer`.
  bool AskYesNo(const std::string& title, const std::string& text) override {
    messages.push_back({MessageIcon::Information, title, text, true});
    return answer;
  }
  std::vector<RecordedMessage> messages;
  bool answer = false;
};

}  // namespace fragtally::testing
