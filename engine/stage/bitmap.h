// mBitmap: the engine's pixel surface. Either a DIB section selected into a
// memory DC (the stage, shown with one BitBlt) or one movable memory block
// holding header, colour table and pixels (every image's frame buffer).
#pragma once

#include <windows.h>

#include <cstdint>

#include "foundation/object.h"
#include "stage/bitmap_desc.h"

// Classes with mObject as a virtual base take no "build the shared base"
// flag: C++ constructs a virtual base once, from the complete object.
class mBitmap : public virtual mObject {
 public:
  mBitmap();
  mBitmap(int width, int height, int bitsPerPixel);
  ~mBitmap() override;

  // Negative height asks for top-down rows.
  BOOL Create(int width, int height, int bitsPerPixel);
  // Always bottom-up; bitsPerPixel 0 means 8. Falls back to a memory bitmap
  // of the same size when the system cannot make the section.
  BOOL CreateSection(int width, int height, int bitsPerPixel);
  int Release();
  void SetTopDown(BOOL topDown);
  uint32_t SetTransparentColour(uint32_t index);
  void SetTransparent(BOOL on);
  void SetRemap(BOOL on);

  // Colours.
  void SetColours(const RGBQUAD* entries, int first, int count);
  void SetColoursRemap(const RGBQUAD* entries, int first, int count);
  int NearestColour(RGBQUAD colour) const;
  HPALETTE CreateIdentityPalette(BOOL remapPixels);
  static int LoadDefaultColours(RGBQUAD* table);

  // Pixel copies from this bitmap into target: rect in target coordinates,
  // (sx, sy) the source position of its top-left corner.
  void CopyOpaque(mBitmap* target, const RECT* rect, int sx, int sy);
  void CopyKeyed(mBitmap* target, const RECT* rect, int sx, int sy);
  void CopyOpaqueMapped(mBitmap* target, const RECT* rect, int sx, int sy);
  void CopyKeyedMapped(mBitmap* target, const RECT* rect, int sx, int sy);
  // Draws this bitmap, as a frame of frameWidth x frameHeight, onto target
  // at (x, y), clipped to clip (or to the target), by its copy mode.
  void DrawOnto(mBitmap* target, int x, int y, const RECT* clip, int frameWidth, int frameHeight);
  BOOL BuildTranslation(mBitmap* target);
  BOOL FreeTranslation() { return BuildTranslation(nullptr); }
  void FillRects(int index, const RECT* rects, int count);
  void DrawToWindow(HDC dc, const RECT* rect, int sx, int sy);

  BitmapDesc* desc;  // always &ownDesc
  BitmapDesc ownDesc;
  uint8_t* translation = nullptr;
  BOOL translationNeeded = FALSE;
  HDC memoryDC = nullptr;
  BITMAPINFOHEADER* header = nullptr;
  HGLOBAL memory = nullptr;  // whole block, or the section's colour-table block
  HBITMAP section = nullptr;
  HGDIOBJ previousBitmap = nullptr;
  HGLOBAL translationMemory = nullptr;
  uint32_t placeholder = 0;  // the pixel an empty bitmap points at
  int32_t translationVersion = 0;
  mBitmap* translationTarget = nullptr;

 private:
  void SetEmpty();
  void SetGeometry(int width, int height, int bitsPerPixel, BOOL topDown);
  void DispatchCopy(mBitmap* target, const RECT* rect, int sx, int sy);
  bool ClipCopy(const mBitmap* target, RECT* rect, int* sx, int* sy) const;
  void EnsureTranslation(mBitmap* target);
};

namespace stage_internal {
// CreateDIBSection as the bitmap calls it; tests replace it to make the
// section fail.
using CreateDibSectionFn = HBITMAP(WINAPI*)(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD);
extern CreateDibSectionFn g_createDibSection;
}  // namespace stage_internal
