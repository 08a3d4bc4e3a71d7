#include "gdi/objects.h"

#include <new>
#include <unordered_map>

#include "core/lifecycle.h"

namespace plat::gdi {
namespace {

// Handles are small tagged numbers, never addresses, so a stale handle is
// found missing instead of read.
constexpr uintptr_t kHandleBase = 0x6D000000;
constexpr int kStockCount = DEFAULT_GUI_FONT + 1;

struct Tables {
  std::unordered_map<uintptr_t, std::unique_ptr<GdiObject>> objects;
  std::unordered_map<uintptr_t, std::unique_ptr<DeviceContext>> dcs;
  uintptr_t next = kHandleBase;
  HGDIOBJ stock[kStockCount] = {};
  HGDIOBJ defaultBitmap = nullptr;
};

Tables* g_tables = nullptr;

void ResetTables() {
  delete g_tables;
  g_tables = nullptr;
}

Tables& T() {
  if (!g_tables) {
    g_tables = new Tables;
    RegisterReset(ResetTables);
  }
  return *g_tables;
}

uintptr_t NextHandle() {
  T().next += 4;
  return T().next;
}

std::unique_ptr<GdiObject> MakeStock(int index) {
  auto brush = [](COLORREF c, bool hollow = false) {
    auto b = std::make_unique<Brush>();
    b->colour = c;
    b->hollow = hollow;
    return b;
  };
  switch (index) {
    case WHITE_BRUSH: return brush(RGB(255, 255, 255));
    case LTGRAY_BRUSH: return brush(RGB(192, 192, 192));
    case GRAY_BRUSH: return brush(RGB(128, 128, 128));
    case DKGRAY_BRUSH: return brush(RGB(64, 64, 64));
    case BLACK_BRUSH: return brush(RGB(0, 0, 0));
    case NULL_BRUSH: return brush(0, true);
    case WHITE_PEN:
    case BLACK_PEN:
    case NULL_PEN: {
      auto pen = std::make_unique<Placeholder>(ObjectType::kPen);
      pen->colour = index == WHITE_PEN ? RGB(255, 255, 255) : 0;
      return pen;
    }
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
    case SYSTEM_FIXED_FONT:
    case DEFAULT_GUI_FONT:
      return std::make_unique<Placeholder>(ObjectType::kFont);
    case DEFAULT_PALETTE: {
      // The twenty static colours.
      auto palette = std::make_unique<Palette>();
      palette->entries.resize(20);
      static const BYTE kLow[10][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},
                                       {0, 0, 128},   {128, 0, 128}, {0, 128, 128},   {192, 192, 192},
                                       {192, 220, 192}, {166, 202, 240}};
      static const BYTE kHigh[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                        {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                        {0, 255, 255},   {255, 255, 255}};
      for (int i = 0; i < 10; ++i) {
        palette->entries[i] = PALETTEENTRY{kLow[i][0], kLow[i][1], kLow[i][2], 0};
        palette->entries[10 + i] = PALETTEENTRY{kHigh[i][0], kHigh[i][1], kHigh[i][2], 0};
      }
      return palette;
    }
    default:
      return nullptr;
  }
}

}  // namespace

PixelView Bitmap::View() const {
  PixelView v;
  v.width = width;
  v.height = height;
  v.bitsPerPixel = bitsPerPixel;
  v.format = format;
  v.pitch = topDown ? stride : -static_cast<ptrdiff_t>(stride);
  v.row0 = topDown ? bits : bits + static_cast<ptrdiff_t>(height - 1) * stride;
  v.colours = colours;
  v.colourCount = colourCount;
  return v;
}

HGDIOBJ AddObject(std::unique_ptr<GdiObject> object) {
  if (!object) return nullptr;
  uintptr_t handle = NextHandle();
  try {
    T().objects.emplace(handle, std::move(object));
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return reinterpret_cast<HGDIOBJ>(handle);
}

GdiObject* FindObject(HGDIOBJ handle) {
  if (!g_tables || !handle) return nullptr;
  auto it = g_tables->objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == g_tables->objects.end() ? nullptr : it->second.get();
}

Bitmap* FindBitmap(HGDIOBJ handle) {
  GdiObject* o = FindObject(handle);
  return o && o->type == ObjectType::kBitmap ? static_cast<Bitmap*>(o) : nullptr;
}

Palette* FindPalette(HGDIOBJ handle) {
  GdiObject* o = FindObject(handle);
  return o && o->type == ObjectType::kPalette ? static_cast<Palette*>(o) : nullptr;
}

Brush* FindBrush(HGDIOBJ handle) {
  GdiObject* o = FindObject(handle);
  return o && o->type == ObjectType::kBrush ? static_cast<Brush*>(o) : nullptr;
}

bool RemoveObject(HGDIOBJ handle) {
  GdiObject* o = FindObject(handle);
  if (!o || o->stock) return false;
  g_tables->objects.erase(reinterpret_cast<uintptr_t>(handle));
  return true;
}

HDC AddDc(std::unique_ptr<DeviceContext> dc) {
  uintptr_t handle = NextHandle();
  T().dcs.emplace(handle, std::move(dc));
  return reinterpret_cast<HDC>(handle);
}

DeviceContext* FindDc(HDC handle) {
  if (!g_tables || !handle) return nullptr;
  auto it = g_tables->dcs.find(reinterpret_cast<uintptr_t>(handle));
  return it == g_tables->dcs.end() ? nullptr : it->second.get();
}

void RemoveDc(HDC handle) {
  if (g_tables) g_tables->dcs.erase(reinterpret_cast<uintptr_t>(handle));
}

std::vector<std::pair<HDC, DeviceContext*>> AllDcs() {
  std::vector<std::pair<HDC, DeviceContext*>> all;
  if (!g_tables) return all;
  for (auto& [handle, dc] : g_tables->dcs) all.emplace_back(reinterpret_cast<HDC>(handle), dc.get());
  return all;
}

HGDIOBJ StockObject(int index) {
  if (index < 0 || index >= kStockCount) return nullptr;
  Tables& t = T();
  if (!t.stock[index]) {
    std::unique_ptr<GdiObject> object = MakeStock(index);
    if (!object) return nullptr;
    object->stock = true;
    t.stock[index] = AddObject(std::move(object));
  }
  return t.stock[index];
}

HGDIOBJ DefaultBitmap() {
  Tables& t = T();
  if (!t.defaultBitmap) {
    // One monochrome pixel, as in a new memory DC.
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = bitmap->height = 1;
    bitmap->bitsPerPixel = 1;
    bitmap->stride = 4;
    bitmap->storage = std::make_unique<uint8_t[]>(4);
    bitmap->bits = bitmap->storage.get();
    bitmap->colours[1] = RGBQUAD{255, 255, 255, 0};
    bitmap->colourCount = 2;
    bitmap->stock = true;
    t.defaultBitmap = AddObject(std::move(bitmap));
  }
  return t.defaultBitmap;
}

Palette* DefaultPalette() { return FindPalette(StockObject(DEFAULT_PALETTE)); }

Palette* DcPalette(const DeviceContext& dc) {
  Palette* p = FindPalette(dc.palette);
  return p ? p : DefaultPalette();
}

}  // namespace plat::gdi
