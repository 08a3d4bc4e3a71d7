// Dialog and menu templates as resources hold them (DLGTEMPLATE and
// DLGTEMPLATEEX, MENUITEMTEMPLATE), read with every length checked.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat::dlg {

// A name in a template: a string or an ordinal.
struct NameOrOrdinal {
  bool isOrdinal = false;
  uint16_t ordinal = 0;
  std::string text;  // Windows-1252
  bool Empty() const { return !isOrdinal && text.empty(); }
};

struct DialogItem {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  NameOrOrdinal windowClass;  // ordinal 0x80 button ... 0x85 combo box
  NameOrOrdinal title;
  std::vector<uint8_t> creationData;
};

struct DialogTemplate {
  bool extended = false;
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu;
  NameOrOrdinal windowClass;
  std::string title;
  bool hasFont = false;
  int pointSize = 8;
  int weight = 400;
  std::string faceName;
  std::vector<DialogItem> items;
};

// False (and out unspecified) for anything truncated or malformed.
bool ParseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate* out);

struct MenuEntry {
  uint16_t flags = 0;  // MF_POPUP, MF_GRAYED, MF_SEPARATOR ...
  uint16_t id = 0;
  std::string text;
  std::vector<MenuEntry> popup;
};

// A standard menu template (version 0); false when malformed.
bool ParseMenuTemplate(const uint8_t* data, size_t size, std::vector<MenuEntry>* out);

// The class name a dialog item ordinal stands for, or "" for none.
const char* ItemClassName(uint16_t ordinal);

}  // namespace plat::dlg
