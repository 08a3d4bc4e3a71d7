#include "kernel/res_file.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "byte_order/little_endian.h"

// windres output linked in as data (cmake/Resources.cmake); absent in
// programs without resources.
extern "C" __attribute__((weak)) const unsigned char win32_resource_data[];
extern "C" __attribute__((weak)) const unsigned char win32_resource_data_end[];

namespace plat {
namespace {

constexpr size_t kFixedHeaderTail = 16;  // DataVersion, MemoryFlags, LanguageId, Version, Characteristics

size_t AlignDword(size_t n) { return (n + 3) & ~size_t{3}; }

// Reads an ordinal or a NUL-terminated UTF-16 string at header[*at], within
// headerSize. Returns false if it does not end inside the header.
bool ReadId(const uint8_t* header, size_t headerSize, size_t* at, ResId* id) {
  if (*at + 2 > headerSize) return false;
  if (ReadLe16(header + *at) == 0xFFFF) {
    if (*at + 4 > headerSize) return false;
    id->isOrdinal = true;
    id->ordinal = ReadLe16(header + *at + 2);
    *at += 4;
    return true;
  }
  id->isOrdinal = false;
  for (;;) {
    if (*at + 2 > headerSize) return false;
    uint16_t c = ReadLe16(header + *at);
    *at += 2;
    if (c == 0) return true;
    id->text += c <= 0xFF ? static_cast<char>(c) : '?';
  }
}

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

}  // namespace

bool ParseResFile(const uint8_t* data, size_t size, std::vector<ResEntry>* entries) {
  entries->clear();
  if (!data) return size == 0;
  size_t at = 0;
  while (at < size) {
    if (size - at < 8) break;  // trailing padding
    uint32_t dataSize = ReadLe32(data + at);
    uint32_t headerSize = ReadLe32(data + at + 4);
    if (headerSize < 8 + 2 + 2 + kFixedHeaderTail || headerSize > size - at ||
        dataSize > size - at - headerSize) {
      entries->clear();
      return false;
    }
    const uint8_t* header = data + at;
    ResEntry entry;
    size_t field = 8;
    if (!ReadId(header, headerSize, &field, &entry.type) ||
        !ReadId(header, headerSize, &field, &entry.name)) {
      entries->clear();
      return false;
    }
    field = AlignDword(field);
    if (field + kFixedHeaderTail > headerSize) {
      entries->clear();
      return false;
    }
    entry.language = ReadLe16(header + field + 6);
    entry.data = header + headerSize;
    entry.size = dataSize;
    // The leading empty entry (type 0, size 0) only marks a 32-bit .res.
    bool marker = entry.type.isOrdinal && entry.type.ordinal == 0 && dataSize == 0;
    if (!marker) entries->push_back(entry);
    at += AlignDword(size_t{headerSize} + dataSize);
  }
  return true;
}

bool ResIdMatches(const ResId& id, const char* wanted) {
  if (IS_INTRESOURCE(wanted))
    return id.isOrdinal && id.ordinal == static_cast<uint16_t>(reinterpret_cast<uintptr_t>(wanted));
  if (wanted[0] == '#') {
    char* end = nullptr;
    unsigned long number = std::strtoul(wanted + 1, &end, 10);
    if (wanted[1] >= '0' && wanted[1] <= '9' && *end == '\0' && number <= 0xFFFF)
      return id.isOrdinal && id.ordinal == number;
  }
  if (id.isOrdinal) return false;
  size_t length = std::strlen(wanted);
  if (length != id.text.size()) return false;
  for (size_t i = 0; i < length; ++i)
    if (Upper(wanted[i]) != Upper(id.text[i])) return false;
  return true;
}

const std::vector<ResEntry>& LinkedResources() {
  static const std::vector<ResEntry> entries = [] {
    std::vector<ResEntry> parsed;
    const uint8_t* begin = win32_resource_data;
    const uint8_t* end = win32_resource_data_end;
    if (begin && end && end > begin) ParseResFile(begin, static_cast<size_t>(end - begin), &parsed);
    return parsed;
  }();
  return entries;
}

const ResEntry* FindLinkedResource(const char* name, const char* type) {
  if (!name || !type) return nullptr;
  for (const ResEntry& entry : LinkedResources())
    if (ResIdMatches(entry.type, type) && ResIdMatches(entry.name, name)) return &entry;
  return nullptr;
}

}  // namespace plat
