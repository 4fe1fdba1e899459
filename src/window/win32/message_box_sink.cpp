#include "window/win32/message_box_sink.h"

#include "app/text/text_decoding.h"
#include "window/win32/text.h"

namespace fragtally::win32 {

namespace {

int ShowBox(HWND owner, const std::string& title, const std::string& text, UINT type) {
  if (owner != nullptr && !IsWindow(owner)) owner = nullptr;
  return MessageBoxW(owner, Wide(DisplayLines(text, u"\r\n")).c_str(), Wide(DisplayText(title)).c_str(), type);
}

}  // namespace

void MessageBoxSink::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  ShowBox(owner_, title, text, MB_OK | (icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION));
}

bool MessageBoxSink::AskYesNo(const std::string& title, const std::string& text) {
  // No is the default button: Enter alone changes nothing.
  return ShowBox(owner_, title, text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

}  // namespace fragtally::win32
