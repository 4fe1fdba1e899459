#include "window/win32/newer_windows.h"

#include <cwchar>

namespace fragtally::win32 {

namespace {

bool g_act_as_windows7 = false;

// A function of a system DLL, or nullptr when this Windows has none. A DLL
// that is not loaded yet is loaded from the system folder only.
template <class Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
  if (g_act_as_windows7) return nullptr;
  HMODULE module = GetModuleHandleW(dll);
  if (module == nullptr) {
    wchar_t path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n + 1 + wcslen(dll) >= MAX_PATH) return nullptr;
    path[n] = L'\\';
    wcscpy(path + n + 1, dll);
    module = LoadLibraryW(path);  // kept loaded: the function is called again
    if (module == nullptr) return nullptr;
  }
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);  // user32, Windows 10 1607
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);  // shcore, Windows 8.1
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);  // user32, Windows 10 1607
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

}  // namespace

void ActAsWindows7(bool windows7) { g_act_as_windows7 = windows7; }

UINT WindowDpi(HWND hwnd) {
  if (auto get_dpi_for_window = SystemFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow")) {
    if (const UINT dpi = get_dpi_for_window(hwnd)) return dpi;
  }
  if (auto get_dpi_for_monitor = SystemFunction<GetDpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor")) {
    UINT x = 0, y = 0;
    if (SUCCEEDED(get_dpi_for_monitor(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) &&
        y != 0)
      return y;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD ex_style, UINT dpi, bool menu) {
  if (auto adjust = SystemFunction<AdjustWindowRectExForDpiFunction>(L"user32.dll", "AdjustWindowRectExForDpi")) {
    if (adjust(&rect, style, menu ? TRUE : FALSE, ex_style, dpi)) return;
  }
  AdjustWindowRectEx(&rect, style, menu ? TRUE : FALSE, ex_style);
}

}  // namespace fragtally::win32
