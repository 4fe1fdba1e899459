#include "window/win32/trace_box.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "window/display_text.h"

namespace fragtally::win32 {

namespace {

constexpr UINT_PTR kTraceSubclass = 2;
constexpr std::u16string_view kLineEnd = u"\r\n";

std::size_t CopyTrace(std::string_view trace, wchar_t* buffer, std::size_t capacity) {
  std::size_t copied = 0;
  ForEachLineBlock(trace, kDisplayBlock, [&](std::string_view block) {
    const std::u16string text = DisplayLines(block, kLineEnd);
    const std::size_t n = std::min(text.size(), capacity - copied);
    std::memcpy(buffer + copied, text.data(), n * sizeof(wchar_t));
    copied += n;
    return copied < capacity;
  });
  return copied;
}

LRESULT CALLBACK TraceProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  const WindowState& state = *reinterpret_cast<const WindowState*>(data);
  const std::string_view trace = state.Trace;
  switch (message) {
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(DisplayLinesLength(trace, kLineEnd));
    case WM_GETTEXT: {
      if (wparam == 0 || lparam == 0) return 0;
      wchar_t* buffer = reinterpret_cast<wchar_t*>(lparam);
      const std::size_t copied = CopyTrace(trace, buffer, static_cast<std::size_t>(wparam) - 1);
      buffer[copied] = L'\0';
      return static_cast<LRESULT>(copied);
    }
    case EM_GETSEL: {
      // No selection; the caret where the program put it.
      const std::size_t caret = DisplayLinesLength(trace.substr(0, std::min(state.TraceCaret, trace.size())), kLineEnd);
      if (wparam != 0) *reinterpret_cast<DWORD*>(wparam) = static_cast<DWORD>(caret);
      if (lparam != 0) *reinterpret_cast<DWORD*>(lparam) = static_cast<DWORD>(caret);
      return caret > 0xFFFF ? -1 : MAKELRESULT(caret, caret);
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &TraceProc, kTraceSubclass);
      break;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

}  // namespace

void AttachTraceBox(HWND edit, const WindowState& state) {
  SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
  SetWindowSubclass(edit, &TraceProc, kTraceSubclass, reinterpret_cast<DWORD_PTR>(&state));
}

}  // namespace fragtally::win32
