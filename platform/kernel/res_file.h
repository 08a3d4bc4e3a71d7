// Reader of compiled resource files (windres -O res): the resources linked
// into the program as data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// A resource type or name: a 16-bit ordinal or a string.
struct ResId {
  bool isOrdinal = true;
  uint16_t ordinal = 0;
  std::string text;  // Latin-1; characters beyond it become '?'
};

struct ResEntry {
  ResId type;
  ResId name;
  uint16_t language = 0;
  const uint8_t* data = nullptr;
  uint32_t size = 0;
};

// Parses a whole .res image. On any damage (an entry running past the end,
// an unterminated name, a header too short) it returns false and leaves
// *entries empty: a damaged file gives no resources at all.
bool ParseResFile(const uint8_t* data, size_t size, std::vector<ResEntry>* entries);

// Whether id names the resource: ordinals by value, strings without regard
// to case. A string "#123" means the ordinal 123.
bool ResIdMatches(const ResId& id, const char* wanted);

// The entries of the .res linked into this program (none without one).
const std::vector<ResEntry>& LinkedResources();

// The first entry of this type and name, any language; nullptr if none.
const ResEntry* FindLinkedResource(const char* name, const char* type);

}  // namespace plat
