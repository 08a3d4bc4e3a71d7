// Resources of the program: FindResourceA and friends over the linked .res,
// and LoadStringA over its string tables. Only the program's own module
// (or null for it) has resources.
#include <windows.h>

#include "byte_order/little_endian.h"
#include "kernel/modules.h"
#include "kernel/res_file.h"

namespace {

bool IsProgramModule(HMODULE module) { return !module || module == plat::ProgramInstance(); }

const plat::ResEntry* EntryOf(HRSRC resource) {
  if (!resource) return nullptr;
  for (const plat::ResEntry& entry : plat::LinkedResources())
    if (reinterpret_cast<HRSRC>(const_cast<plat::ResEntry*>(&entry)) == resource) return &entry;
  return nullptr;
}

}  // namespace

extern "C" {

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  const plat::ResEntry* entry = IsProgramModule(hModule) ? plat::FindLinkedResource(lpName, lpType) : nullptr;
  if (!entry) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HRSRC>(const_cast<plat::ResEntry*>(entry));
}

// The handle is the address of the bytes; they are read-only.
HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
  const plat::ResEntry* entry = EntryOf(hResInfo);
  if (!entry) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return const_cast<uint8_t*>(entry->data);
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  const plat::ResEntry* entry = EntryOf(hResInfo);
  if (!entry) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return 0;
  }
  return entry->size;
}

BOOL WINAPI FreeResource(HGLOBAL hResData) { return FALSE; }

// String tables come in blocks of 16 counted UTF-16 strings; block n holds
// the ids (n - 1) * 16 to n * 16 - 1. Characters beyond Latin-1 become '?'.
int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax <= 0) return 0;
  lpBuffer[0] = '\0';
  if (!IsProgramModule(hInstance) || uID > 0xFFFF) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  const plat::ResEntry* block = plat::FindLinkedResource(MAKEINTRESOURCEA(uID / 16 + 1), RT_STRING);
  if (!block) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  const uint8_t* at = block->data;
  const uint8_t* end = block->data + block->size;
  for (UINT index = uID % 16;; --index) {
    if (end - at < 2) return 0;
    size_t length = ReadLe16(at);
    at += 2;
    if (static_cast<size_t>(end - at) / 2 < length) return 0;
    if (index == 0) {
      size_t copied =
          length < static_cast<size_t>(cchBufferMax - 1) ? length : static_cast<size_t>(cchBufferMax - 1);
      for (size_t i = 0; i < copied; ++i) {
        uint16_t c = ReadLe16(at + 2 * i);
        lpBuffer[i] = c <= 0xFF ? static_cast<char>(c) : '?';
      }
      lpBuffer[copied] = '\0';
      if (copied == 0) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return static_cast<int>(copied);
    }
    at += 2 * length;
  }
}

}  // extern "C"
