#include "capture.h"

#include <wincodec.h>

#include "window/win32/picture.h"

namespace fragtally::win32 {

namespace {

// A 32-bit DIB section and a memory DC holding it.
struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  std::uint32_t* bits = nullptr;
  int width = 0, height = 0;

  Canvas(HDC like, int w, int h) : width(w), height(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    bitmap = CreateDIBSection(like, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<std::uint32_t*>(p);
    dc = CreateCompatibleDC(like);
    old = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  Image Take() const {
    GdiFlush();
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.assign(bits, bits + static_cast<std::size_t>(width) * height);
    for (auto& px : image.pixels) px |= 0xFF000000u;  // GDI leaves alpha at 0
    return image;
  }
};

}  // namespace

Image CaptureScreen(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return {};
  HDC screen = GetDC(nullptr);
  Image image;
  {
    Canvas canvas(screen, w, h);
    if (BitBlt(canvas.dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT)) image = canvas.Take();
  }
  ReleaseDC(nullptr, screen);
  return image;
}

Image CaptureWindowDc(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC window = GetWindowDC(hwnd);
  Image image;
  {
    Canvas canvas(window, w, h);
    if (BitBlt(canvas.dc, 0, 0, w, h, window, 0, 0, SRCCOPY)) image = canvas.Take();
  }
  ReleaseDC(hwnd, window);
  return image;
}

HRESULT SavePng(const Image& image, const std::wstring& path) {
  IWICImagingFactory* factory = WicFactory();
  if (!factory || image.empty()) return E_FAIL;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  HRESULT hr = factory->CreateStream(&stream);
  if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
  if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
  if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
  if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, nullptr);
  if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
  if (SUCCEEDED(hr)) hr = frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height));
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
  if (SUCCEEDED(hr) && format != GUID_WICPixelFormat32bppBGRA) hr = E_UNEXPECTED;
  if (SUCCEEDED(hr)) {
    const UINT stride = static_cast<UINT>(image.width) * 4;
    hr = frame->WritePixels(static_cast<UINT>(image.height), stride, stride * static_cast<UINT>(image.height),
                            reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(image.pixels.data())));
  }
  if (SUCCEEDED(hr)) hr = frame->Commit();
  if (SUCCEEDED(hr)) hr = encoder->Commit();
  if (frame) frame->Release();
  if (encoder) encoder->Release();
  if (stream) stream->Release();
  return hr;
}

}  // namespace fragtally::win32
