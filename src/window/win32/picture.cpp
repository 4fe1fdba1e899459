#include "window/win32/picture.h"

namespace fragtally::win32 {

namespace {

template <class T>
void Release(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

}  // namespace

IWICImagingFactory* WicFactory() {
  static thread_local IWICImagingFactory* factory = nullptr;
  if (!factory) {
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
  }
  return factory;
}

PanelPicture::~PanelPicture() {
  Release(source_);
  if (scaled_) DeleteObject(scaled_);
}

HRESULT PanelPicture::LoadResource(HMODULE module, int id) {
  IWICImagingFactory* factory = WicFactory();
  if (!factory) return E_FAIL;
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!info) return HRESULT_FROM_WIN32(GetLastError());
  HGLOBAL data = ::LoadResource(module, info);
  const DWORD size = SizeofResource(module, info);
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes || size == 0) return E_FAIL;

  // Resource memory stays mapped while the module is loaded, so a stream
  // over it needs no copy.
  IWICStream* stream = nullptr;
  HRESULT hr = factory->CreateStream(&stream);
  if (SUCCEEDED(hr)) hr = stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)), size);
  IWICBitmapDecoder* decoder = nullptr;
  if (SUCCEEDED(hr)) {
    hr = factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder);
  }
  if (SUCCEEDED(hr)) hr = Decode(decoder);
  Release(decoder);
  Release(stream);
  return hr;
}

HRESULT PanelPicture::LoadFile(const std::wstring& path) {
  IWICImagingFactory* factory = WicFactory();
  if (!factory) return E_FAIL;
  IWICBitmapDecoder* decoder = nullptr;
  HRESULT hr = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder);
  if (SUCCEEDED(hr)) hr = Decode(decoder);
  Release(decoder);
  return hr;
}

HRESULT PanelPicture::Decode(IWICBitmapDecoder* decoder) {
  IWICImagingFactory* factory = WicFactory();
  IWICBitmapFrameDecode* frame = nullptr;
  IWICFormatConverter* converter = nullptr;
  IWICBitmap* bitmap = nullptr;
  HRESULT hr = decoder->GetFrame(0, &frame);
  if (SUCCEEDED(hr)) hr = factory->CreateFormatConverter(&converter);
  if (SUCCEEDED(hr)) {
    hr = converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                               WICBitmapPaletteTypeCustom);
  }
  // Decode now, into memory: a broken file fails here and not at the
  // first paint.
  if (SUCCEEDED(hr)) hr = factory->CreateBitmapFromSource(converter, WICBitmapCacheOnLoad, &bitmap);
  UINT w = 0, h = 0;
  if (SUCCEEDED(hr)) hr = bitmap->GetSize(&w, &h);
  if (SUCCEEDED(hr) && (w == 0 || h == 0)) hr = E_FAIL;
  if (SUCCEEDED(hr)) {
    Release(source_);
    source_ = bitmap;
    bitmap = nullptr;
    if (scaled_) DeleteObject(scaled_);
    scaled_ = nullptr;
    scaled_width_ = scaled_height_ = 0;
  }
  Release(bitmap);
  Release(converter);
  Release(frame);
  return hr;
}

HBITMAP PanelPicture::Scaled(int width, int height) {
  if (!source_ || width <= 0 || height <= 0) return nullptr;
  if (scaled_ && scaled_width_ == width && scaled_height_ == height) return scaled_;

  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down, like WIC
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) return nullptr;

  IWICBitmapScaler* scaler = nullptr;
  HRESULT hr = WicFactory()->CreateBitmapScaler(&scaler);
  if (SUCCEEDED(hr)) {
    hr = scaler->Initialize(source_, static_cast<UINT>(width), static_cast<UINT>(height),
                            WICBitmapInterpolationModeFant);
  }
  if (SUCCEEDED(hr)) {
    hr = scaler->CopyPixels(nullptr, static_cast<UINT>(width) * 4, static_cast<UINT>(width * height * 4),
                            static_cast<BYTE*>(bits));
  }
  Release(scaler);
  if (FAILED(hr)) {
    DeleteObject(dib);
    return nullptr;
  }
  if (scaled_) DeleteObject(scaled_);
  scaled_ = dib;
  scaled_width_ = width;
  scaled_height_ = height;
  return scaled_;
}

}  // namespace fragtally::win32
