// Device contexts and the objects selected into them.
#include <windows.h>

#include <new>

#include <cstring>

#include "core/draw_target.h"
#include "core/trace.h"
#include "gdi/dc_access.h"
#include "gdi/objects.h"
#include "gdi/palette_state.h"
#include "gdi/present.h"

using namespace plat::gdi;
using plat::DrawTarget;
using plat::GetDrawTarget;

namespace {

void Unselect(HGDIOBJ handle) {
  if (GdiObject* o = FindObject(handle)) {
    if (o->selections > 0) --o->selections;
    if (o->type == ObjectType::kBitmap) static_cast<Bitmap*>(o)->selectedInto = nullptr;
  }
}

void Select(HGDIOBJ handle) {
  if (GdiObject* o = FindObject(handle)) ++o->selections;
}

HDC NewDc(DeviceContext::Kind kind, HWND hwnd, bool wholeWindow) {
  DeviceContext* made = nullptr;
  HDC handle = nullptr;
  try {
    auto dc = std::make_unique<DeviceContext>();
    made = dc.get();
    dc->kind = kind;
    dc->hwnd = hwnd;
    dc->wholeWindow = wholeWindow;
    dc->brush = StockObject(WHITE_BRUSH);
    dc->pen = StockObject(BLACK_PEN);
    dc->font = StockObject(SYSTEM_FONT);
    if (kind == DeviceContext::kMemory) dc->bitmap = DefaultBitmap();
    handle = AddDc(std::move(dc));
  } catch (const std::bad_alloc&) {
    return nullptr;  // out of memory: no DC, as on Windows
  }
  Select(made->brush);
  Select(made->pen);
  Select(made->font);
  if (made->bitmap) Select(made->bitmap);
  return handle;
}

// Lets go of everything the DC holds, presents what was drawn through it
// and forgets it.
void DropDc(HDC hdc, DeviceContext* dc) {
  if (dc->kind != DeviceContext::kMemory) {
    DrawTarget target;
    if (GetDrawTarget(dc->kind == DeviceContext::kScreen ? nullptr : dc->hwnd, dc->wholeWindow, &target))
      PresentNative(target.native);
  }
  Unselect(dc->bitmap);
  Unselect(dc->brush);
  Unselect(dc->pen);
  Unselect(dc->font);
  Unselect(dc->palette);
  RemoveDc(hdc);
}

}  // namespace

namespace plat {

HDC GetDcForWindow(HWND hwnd, bool wholeWindow) {
  // The screen always has a DC, even where it has no pixels of its own; a
  // window's DC draws nothing while the window has no surface.
  if (hwnd && !IsWindow(hwnd)) return nullptr;
  return NewDc(hwnd ? DeviceContext::kWindow : DeviceContext::kScreen, hwnd, wholeWindow);
}

void SetDcPaintClip(HDC hdc, const RECT& r) {
  if (DeviceContext* dc = FindDc(hdc)) {
    dc->paintClipped = true;
    dc->paintClip = r;
  }
}

HBRUSH CreatePermanentBrush(COLORREF colour) {
  auto brush = std::make_unique<Brush>();
  brush->colour = colour;
  brush->stock = true;
  return static_cast<HBRUSH>(AddObject(std::move(brush)));
}

}  // namespace plat

HDC WINAPI GetDC(HWND hWnd) { return plat::GetDcForWindow(hWnd, false); }

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
  DeviceContext* dc = FindDc(hDC);
  if (!dc || dc->kind == DeviceContext::kMemory || dc->hwnd != hWnd) return 0;
  DropDc(hDC, dc);
  return 1;
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  if (hdc && !FindDc(hdc)) return nullptr;
  return NewDc(DeviceContext::kMemory, nullptr, false);
}

BOOL WINAPI DeleteDC(HDC hdc) {
  DeviceContext* dc = FindDc(hdc);
  if (!dc) return FALSE;
  DropDc(hdc, dc);
  return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  DeviceContext* dc = FindDc(hdc);
  GdiObject* object = FindObject(h);
  if (!dc || !object) return nullptr;
  HGDIOBJ* slot = nullptr;
  switch (object->type) {
    case ObjectType::kBitmap: {
      Bitmap* bitmap = static_cast<Bitmap*>(object);
      if (dc->kind != DeviceContext::kMemory) return nullptr;
      if (dc->bitmap == h) return h;
      // A bitmap lives in one memory DC at a time; the default bitmap is shared.
      if (bitmap->selectedInto && !bitmap->stock) return nullptr;
      slot = &dc->bitmap;
      break;
    }
    case ObjectType::kBrush: slot = &dc->brush; break;
    case ObjectType::kPen: slot = &dc->pen; break;
    case ObjectType::kFont: slot = &dc->font; break;
    case ObjectType::kPalette: return nullptr;  // SelectPalette's job
  }
  HGDIOBJ previous = *slot;
  Unselect(previous);
  *slot = h;
  Select(h);
  if (object->type == ObjectType::kBitmap && !object->stock) static_cast<Bitmap*>(object)->selectedInto = hdc;
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  GdiObject* object = FindObject(ho);
  if (!object) return FALSE;
  if (object->stock) return TRUE;  // harmless, and nothing happens
  if (object->selections > 0) return FALSE;
  if (ho == ForegroundPalette()) SetForegroundPalette(nullptr);
  return RemoveObject(ho) ? TRUE : FALSE;
}

HGDIOBJ WINAPI GetStockObject(int i) { return StockObject(i); }

DWORD WINAPI GetObjectType(HGDIOBJ h) {
  if (DeviceContext* dc = FindDc(static_cast<HDC>(h))) return dc->kind == DeviceContext::kMemory ? OBJ_MEMDC : OBJ_DC;
  GdiObject* object = FindObject(h);
  if (!object) return 0;
  switch (object->type) {
    case ObjectType::kBitmap: return OBJ_BITMAP;
    case ObjectType::kPalette: return OBJ_PAL;
    case ObjectType::kBrush: return OBJ_BRUSH;
    case ObjectType::kPen: return OBJ_PEN;
    case ObjectType::kFont: return OBJ_FONT;
  }
  return 0;
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
  GdiObject* object = FindObject(h);
  if (!object || c < 0) return 0;
  switch (object->type) {
    case ObjectType::kBitmap: {
      const Bitmap& b = *static_cast<Bitmap*>(object);
      BITMAP bm = {};
      bm.bmWidth = b.width;
      bm.bmHeight = b.height;
      bm.bmWidthBytes = b.stride;
      bm.bmPlanes = 1;
      bm.bmBitsPixel = static_cast<WORD>(b.bitsPerPixel);
      bm.bmBits = b.dibSection ? b.bits : nullptr;
      if (!pv) return b.dibSection ? static_cast<int>(sizeof(DIBSECTION)) : static_cast<int>(sizeof(BITMAP));
      if (b.dibSection && c >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION ds = {};
        ds.dsBm = bm;
        ds.dsBmih = b.header;
        std::memcpy(ds.dsBitfields, b.masks, sizeof(ds.dsBitfields));
        std::memcpy(pv, &ds, sizeof(ds));
        return static_cast<int>(sizeof(DIBSECTION));
      }
      if (c < static_cast<int>(sizeof(BITMAP))) return 0;
      std::memcpy(pv, &bm, sizeof(bm));
      return static_cast<int>(sizeof(BITMAP));
    }
    case ObjectType::kPalette: {
      if (!pv) return static_cast<int>(sizeof(WORD));
      if (c < static_cast<int>(sizeof(WORD))) return 0;
      WORD count = static_cast<WORD>(static_cast<Palette*>(object)->entries.size());
      std::memcpy(pv, &count, sizeof(count));
      return static_cast<int>(sizeof(WORD));
    }
    case ObjectType::kBrush: {
      if (!pv) return static_cast<int>(sizeof(LOGBRUSH));
      if (c < static_cast<int>(sizeof(LOGBRUSH))) return 0;
      const Brush& brush = *static_cast<Brush*>(object);
      LOGBRUSH lb = {static_cast<UINT>(brush.hollow ? BS_NULL : BS_SOLID), brush.colour, 0};
      std::memcpy(pv, &lb, sizeof(lb));
      return static_cast<int>(sizeof(LOGBRUSH));
    }
    default:
      PLAT_FIXME("GetObjectA: object type %d", static_cast<int>(object->type));
      return 0;
  }
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  auto brush = std::make_unique<Brush>();
  brush->colour = color;
  return static_cast<HBRUSH>(AddObject(std::move(brush)));
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  DeviceContext* dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF previous = dc->textColour;
  dc->textColour = color;
  return previous;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  DeviceContext* dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF previous = dc->backColour;
  dc->backColour = color;
  return previous;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  DeviceContext* dc = FindDc(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int previous = dc->backMode;
  dc->backMode = mode;
  return previous;
}
