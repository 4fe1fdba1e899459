#pragma once

#include <windows.h>
#include <wincodec.h>

#include <string>

namespace fragtally::win32 {

// The panel picture: decoded once (JPEG or anything else WIC reads), then
// scaled to the picture box size into a 32-bit DIB section.
// COM must be initialised on the calling thread.
class PanelPicture {
 public:
  PanelPicture() = default;
  PanelPicture(const PanelPicture&) = delete;
  PanelPicture& operator=(const PanelPicture&) = delete;
  ~PanelPicture();

  // Decodes the RCDATA resource `id` of `module`.
  HRESULT LoadResource(HMODULE module, int id);
  // Decodes a file; on any failure the picture loaded before stays.
  HRESULT LoadFile(const std::wstring& path);

  // The picture stretched to width x height (cached until the size changes);
  // nullptr when nothing was decoded.
  HBITMAP Scaled(int width, int height);

 private:
  HRESULT Decode(IWICBitmapDecoder* decoder);

  IWICBitmapSource* source_ = nullptr;  // decoded, 32bppPBGRA, kept in memory
  HBITMAP scaled_ = nullptr;
  int scaled_width_ = 0, scaled_height_ = 0;
};

// The WIC factory of this thread (created on first use).
IWICImagingFactory* WicFactory();

}  // namespace fragtally::win32
