// gdi's objects and device contexts behind their handles: bitmaps (DIB
// sections and screen-compatible bitmaps), logical palettes, brushes, and
// pens and fonts as placeholders. All of it is process state, cleared at
// host shutdown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "gdi/pixel_view.h"

namespace plat::gdi {

enum class ObjectType { kBitmap, kPalette, kBrush, kPen, kFont };

struct GdiObject {
  explicit GdiObject(ObjectType t) : type(t) {}
  virtual ~GdiObject() = default;
  ObjectType type;
  bool stock = false;
  int selections = 0;  // device contexts it is selected into
};

struct Bitmap : GdiObject {
  Bitmap() : GdiObject(ObjectType::kBitmap) {}
  int width = 0;
  int height = 0;  // rows, always positive
  bool topDown = false;
  int bitsPerPixel = 8;
  PixelFormat format = PixelFormat::kIndexed;
  int stride = 0;
  std::unique_ptr<uint8_t[]> storage;
  uint8_t* bits = nullptr;
  RGBQUAD colours[256] = {};
  int colourCount = 0;
  unsigned colourVersion = 0;
  BITMAPINFOHEADER header = {};  // as given, for GetObjectA
  DWORD masks[3] = {0, 0, 0};
  bool dibSection = false;
  HDC selectedInto = nullptr;

  PixelView View() const;
};

struct Palette : GdiObject {
  Palette() : GdiObject(ObjectType::kPalette) {}
  std::vector<PALETTEENTRY> entries;
  unsigned version = 0;          // raised when entries change by other means than animation
  uint8_t toSystem[256] = {};    // logical index -> system index, when realized
  unsigned realizedVersion = ~0u;
  unsigned realizedSystemVersion = ~0u;
};

struct Brush : GdiObject {
  Brush() : GdiObject(ObjectType::kBrush) {}
  COLORREF colour = 0;
  bool hollow = false;
};

struct Placeholder : GdiObject {
  explicit Placeholder(ObjectType t) : GdiObject(t) {}
  COLORREF colour = 0;  // pens
};

struct DeviceContext {
  enum Kind { kWindow, kScreen, kMemory };
  Kind kind = kMemory;
  HWND hwnd = nullptr;
  bool wholeWindow = false;
  HGDIOBJ bitmap = nullptr;  // memory DCs
  HGDIOBJ brush = nullptr;
  HGDIOBJ pen = nullptr;
  HGDIOBJ font = nullptr;
  HPALETTE palette = nullptr;
  bool paletteBackground = false;
  COLORREF textColour = RGB(0, 0, 0);
  COLORREF backColour = RGB(255, 255, 255);
  int backMode = OPAQUE;
  // BeginPaint's DC draws only inside the area being painted (client coordinates).
  bool paintClipped = false;
  RECT paintClip = {0, 0, 0, 0};
};

// Handle tables.
HGDIOBJ AddObject(std::unique_ptr<GdiObject> object);
GdiObject* FindObject(HGDIOBJ handle);
Bitmap* FindBitmap(HGDIOBJ handle);
Palette* FindPalette(HGDIOBJ handle);
Brush* FindBrush(HGDIOBJ handle);
// Frees the object; false for stock objects and unknown handles.
bool RemoveObject(HGDIOBJ handle);

HDC AddDc(std::unique_ptr<DeviceContext> dc);
DeviceContext* FindDc(HDC handle);
void RemoveDc(HDC handle);
std::vector<std::pair<HDC, DeviceContext*>> AllDcs();

// Stock objects, made on first use.
HGDIOBJ StockObject(int index);
HGDIOBJ DefaultBitmap();  // what a new memory DC holds
Palette* DefaultPalette();

// The palette selected in dc, the default palette when none.
Palette* DcPalette(const DeviceContext& dc);

}  // namespace plat::gdi
