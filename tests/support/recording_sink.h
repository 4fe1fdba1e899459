#pragma once

#include <string>
#include <vector>

#include "app/messages.h"

namespace fragtally::testing {

struct RecordedMessage {
  MessageIcon icon;
  std::string title;
  std::string text;
};

// Keeps every message box instead of showing it.
class RecordingSink : public MessageSink {
 public:
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override {
    messages.push_back({icon, title, text});
  }
  std::vector<RecordedMessage> messages;
};

}  // namespace fragtally::testing
