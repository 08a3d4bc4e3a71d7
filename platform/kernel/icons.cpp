// Icon objects: LoadIconA, DestroyIcon and the pixels behind an HICON.
// Icons from LoadIconA are shared, as on Windows: loading the same icon
// twice gives the same handle, and DestroyIcon leaves it alone.
#include "kernel/icons.h"

#include <map>
#include <memory>
#include <string>

#include "core/lifecycle.h"
#include "core/trace.h"
#include "kernel/modules.h"
#include "kernel/res_file.h"

namespace plat {
namespace {

struct IconObject {
  IconImage image;
  bool shared = false;
};

struct Icons {
  std::map<HICON, std::unique_ptr<IconObject>> live;
  std::map<std::string, HICON> loaded;  // shared icons by module and name
};

Icons& State() {
  static Icons icons;
  return icons;
}

void ForgetIcons() { State() = Icons(); }

HICON Adopt(IconImage image, bool shared) {
  RegisterReset(ForgetIcons);
  auto object = std::make_unique<IconObject>();
  object->image = std::move(image);
  object->shared = shared;
  HICON handle = reinterpret_cast<HICON>(object.get());
  State().live[handle] = std::move(object);
  return handle;
}

std::string CacheKey(bool stock, LPCSTR name) {
  std::string key = stock ? "stock:" : "program:";
  if (IS_INTRESOURCE(name)) return key + "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
  for (const char* p = name; *p; ++p) key += static_cast<char>(*p >= 'a' && *p <= 'z' ? *p - 32 : *p);
  return key;
}

bool LoadProgramIcon(LPCSTR name, IconImage* image) {
  const ResEntry* group = FindLinkedResource(name, RT_GROUP_ICON);
  if (!group) return false;
  int id = ChooseGroupIconImage(group->data, group->size, 32, 32);
  if (id < 0) return false;
  const ResEntry* icon = FindLinkedResource(MAKEINTRESOURCEA(id), RT_ICON);
  return icon && DecodeIconImage(icon->data, icon->size, image);
}

}  // namespace

const IconImage* IconPixels(HICON icon) {
  auto it = State().live.find(icon);
  return it == State().live.end() ? nullptr : &it->second->image;
}

HICON CreateIconFromImage(const IconImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.argb.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
    return nullptr;
  return Adopt(image, false);
}

}  // namespace plat

extern "C" {

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  if (!lpIconName) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  bool stock = hInstance == nullptr;
  if (!stock && hInstance != plat::ProgramInstance()) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  std::string key = plat::CacheKey(stock, lpIconName);
  auto& loaded = plat::State().loaded;
  auto cached = loaded.find(key);
  if (cached != loaded.end()) return cached->second;

  plat::IconImage image;
  bool found =
      stock ? IS_INTRESOURCE(lpIconName) &&
                  plat::DrawStockIcon(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(lpIconName)), &image)
            : plat::LoadProgramIcon(lpIconName, &image);
  if (!found) {
    if (stock) PLAT_FIXME("LoadIconA: stock icon %p", static_cast<const void*>(lpIconName));
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  HICON icon = plat::Adopt(std::move(image), true);
  plat::State().loaded[key] = icon;
  return icon;
}

BOOL WINAPI DestroyIcon(HICON hIcon) {
  auto& live = plat::State().live;
  auto it = live.find(hIcon);
  if (it == live.end()) {
    SetLastError(ERROR_INVALID_ICON_HANDLE);
    return FALSE;
  }
  if (!it->second->shared) live.erase(it);
  return TRUE;
}

}  // extern "C"
