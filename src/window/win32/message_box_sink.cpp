#include "window/win32/message_box_sink.h"

#include "window/display_text.h"
#include "window/win32/text.h"

namespace fragtally::win32 {

void MessageBoxSink::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  const UINT type = MB_OK | (icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION);
  const HWND owner = owner_ != nullptr && IsWindow(owner_) ? owner_ : nullptr;
  MessageBoxW(owner, Wide(DisplayLines(text, u"\r\n")).c_str(), Wide(DisplayText(title)).c_str(), type);
}

}  // namespace fragtally::win32
