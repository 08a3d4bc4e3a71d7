// PNG output on Windows through the system's own imaging component (WIC).
#include <windows.h>
#include <wincodec.h>

#include <string>
#include <vector>

#include "mtool/mtool.h"

namespace mtool {
namespace {

template <typename T>
struct Com {
  T* p = nullptr;
  ~Com() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

std::wstring Wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(n > 0 ? n : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
  return wide;
}

bool Write(const std::string& path, int width, int height, const uint8_t* indices, const uint8_t* bgrx) {
  Com<IWICImagingFactory> factory;
  Com<IWICStream> stream;
  Com<IWICBitmapEncoder> encoder;
  Com<IWICBitmapFrameEncode> frame;
  Com<IWICPalette> palette;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory.p))))
    return false;
  std::vector<WICColor> colours(256);
  for (int i = 0; i < 256; ++i)
    colours[i] = 0xFF000000u | bgrx[4 * i + 2] << 16 | bgrx[4 * i + 1] << 8 | bgrx[4 * i];
  WICPixelFormatGUID format = GUID_WICPixelFormat8bppIndexed;
  const std::wstring file = Wide(path);
  return SUCCEEDED(factory->CreateStream(&stream)) &&
         SUCCEEDED(stream->InitializeFromFilename(file.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
         SUCCEEDED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
         SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
         SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat8bppIndexed &&
         SUCCEEDED(factory->CreatePalette(&palette)) &&
         SUCCEEDED(palette->InitializeCustom(colours.data(), 256)) && SUCCEEDED(frame->SetPalette(palette.p)) &&
         SUCCEEDED(frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(width),
                                      static_cast<UINT>(width) * static_cast<UINT>(height),
                                      const_cast<BYTE*>(indices))) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace

bool WritePalettePng(const std::string& path, int width, int height, const uint8_t* indices, const uint8_t* bgrx) {
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > 0x7FFFFFFF) return false;
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = Write(path, width, height, indices, bgrx);
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}

}  // namespace mtool
