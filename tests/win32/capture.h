#pragma once

// Pictures of windows as they are on the screen, and PNG files of them (for
// the README picture and for tests that look at pixels).

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace fragtally::win32 {

// 32-bit BGRX pixels, top-down rows.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  bool empty() const { return pixels.empty(); }
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF; }
};

// Copies what the screen shows in `r` (screen coordinates); works for the
// windows of any process.
Image CaptureScreen(const RECT& r);
// The window (frame included) through its own window DC.
Image CaptureWindowDc(HWND hwnd);

// Encodes a PNG with WIC's encoder. COM must be initialised.
HRESULT SavePng(const Image& image, const std::wstring& path);

}  // namespace fragtally::win32
