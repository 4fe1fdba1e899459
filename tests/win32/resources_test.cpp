// The resources every program with the window carries (fragtally.rc): the
// program's version, and an icon for every size the shell shows.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_window/layout.h"
#include "app/program/version.h"
#include "window/win32/resource.h"

namespace fragtally::testing {
namespace {

// The version resource is the project's version (app/program/version.h), whose three
// numbers the caption runs together: 0,5,0,0 and "0.5.0" for "... version 050".
TEST(Resources, TheVersionIsTheProjectsAndTheCaptions) {
  const std::string caption = kWindowCaption;
  const std::string digits = caption.substr(caption.rfind(' ') + 1);
  ASSERT_EQ(digits.size(), 3u) << caption;
  EXPECT_EQ(std::string(FRAGTALLY_VERSION), std::string() + digits[0] + "." + digits[1] + "." + digits[2]);

  wchar_t program[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(program, 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  const DWORD ms = (static_cast<DWORD>(digits[0] - '0') << 16) | static_cast<DWORD>(digits[1] - '0');
  const DWORD ls = static_cast<DWORD>(digits[2] - '0') << 16;
  EXPECT_EQ(fixed->dwFileVersionMS, ms);
  EXPECT_EQ(fixed->dwFileVersionLS, ls);
  EXPECT_EQ(fixed->dwProductVersionMS, ms);
  EXPECT_EQ(fixed->dwProductVersionLS, ls);

  const std::string version = FRAGTALLY_VERSION;
  for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) {
    wchar_t* text = nullptr;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\041904B0\\") + name;
    ASSERT_TRUE(VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)) << name;
    EXPECT_EQ(std::wstring(text), std::wstring(version.begin(), version.end()));
  }
}

// The icon as drawn at `side` x `side` over white: 32-bit pixels, 0xRRGGBB.
std::vector<std::uint32_t> Drawn(HICON icon, int side) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, dib);
  RECT all{0, 0, side, side};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(dc, 0, 0, icon, side, side, 0, nullptr, DI_NORMAL);
  GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> pixels(p, p + side * side);
  for (std::uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// The title bar, Explorer and the taskbar each find their size: 16, 32 (the
// 16-colour picture), 48 and 256 (stored as a PNG). Each loads as that size
// and shows the picture: navy inside the border, white around the square.
TEST(Resources, TheIconHasEverySizeTheShellShows) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC group = FindResourceW(self, MAKEINTRESOURCEW(FRAGTALLY_IDI_ICON), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(self, group)));
  ASSERT_NE(directory, nullptr);
  // GRPICONDIR: reserved, type, count; then per image: width, height (0 for
  // 256), colours, reserved, planes, bits per pixel, size, resource ID.
  const int count = directory[4] | directory[5] << 8;
  std::map<int, int> bits_by_side;
  for (int i = 0; i < count; ++i) {
    const BYTE* entry = directory + 6 + 14 * i;
    bits_by_side[entry[0] == 0 ? 256 : entry[0]] = entry[6] | entry[7] << 8;
  }
  EXPECT_EQ(bits_by_side, (std::map<int, int>{{16, 32}, {32, 4}, {48, 32}, {256, 32}}));

  for (int side : {16, 32, 48, 256}) {
    HICON icon = static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(FRAGTALLY_IDI_ICON), IMAGE_ICON, side, side, 0));
    ASSERT_NE(icon, nullptr) << side;
    ICONINFO parts{};
    ASSERT_TRUE(GetIconInfo(icon, &parts)) << side;
    BITMAP colour{};
    GetObjectW(parts.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, side);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);

    const std::vector<std::uint32_t> pixels = Drawn(icon, side);
    const int inside = side * 4 / 32;  // (4, 4) of the 32 x 32 picture: navy, outside the ring
    EXPECT_EQ(pixels[inside * side + inside], 0x000080u) << side;
    if (side >= 32) {
      EXPECT_EQ(pixels[0], 0xFFFFFFu) << side << ": the corner is transparent";
    }
    DestroyIcon(icon);
  }
}

}  // namespace
}  // namespace fragtally::testing
