// Global memory blocks. Fixed blocks are their own handle; movable blocks get
// a handle from a table of their own, distinct from any data pointer, and
// count their locks. Every handle is looked up before use, so a stale or
// foreign handle fails with ERROR_INVALID_HANDLE instead of touching memory.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

#include "core/lifecycle.h"
#include "orvanel/memory_blocks.h"

namespace {

// Larger requests fail cleanly; no caller of this layer needs blocks that big.
constexpr SIZE_T kMaxBlockBytes = SIZE_T(1) << 32;
constexpr uintptr_t kFirstMovableHandle = 0x10000;
constexpr uintptr_t kHandleStep = 16;

struct Block {
  bool movable = false;
  UINT flags = 0;
  SIZE_T size = 0;
  SIZE_T capacity = 0;
  unsigned lockCount = 0;
  void* data = nullptr;  // null: a discarded (zero-sized) movable block
};

struct Blocks {
  std::mutex mutex;
  std::unordered_map<uintptr_t, Block> byHandle;
  std::unordered_map<void*, uintptr_t> movableByData;
  uintptr_t nextHandle = kFirstMovableHandle;
  bool resetRegistered = false;
};

Blocks& State() {
  static Blocks blocks;
  return blocks;
}

void FreeAllBlocks() {
  Blocks& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  for (auto& [handle, block] : state.byHandle) std::free(block.data);
  state.byHandle.clear();
  state.movableByData.clear();
  // Movable handles are not handed out again, so that a block freed after
  // shutdown by a late owner cannot hit a new one.
  state.resetRegistered = false;
}

void* AllocateBytes(SIZE_T bytes, bool zero) {
  if (bytes > kMaxBlockBytes) return nullptr;
  SIZE_T real = bytes == 0 ? 1 : bytes;
  return zero ? std::calloc(1, real) : std::malloc(real);
}

Block* Find(Blocks& state, HGLOBAL handle) {
  auto it = state.byHandle.find(reinterpret_cast<uintptr_t>(handle));
  return it == state.byHandle.end() ? nullptr : &it->second;
}

uintptr_t NewMovableHandle(Blocks& state) {
  while (state.byHandle.count(state.nextHandle)) state.nextHandle += kHandleStep;
  uintptr_t handle = state.nextHandle;
  state.nextHandle += kHandleStep;
  return handle;
}

void InvalidHandle() { SetLastError(ERROR_INVALID_HANDLE); }

}  // namespace

namespace host {

size_t LiveGlobalBlocks() {
  Blocks& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.byHandle.size();
}

}  // namespace host

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  Blocks& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!state.resetRegistered) {
    plat::RegisterReset(FreeAllBlocks);
    state.resetRegistered = true;
  }
  Block block;
  block.movable = (uFlags & GMEM_MOVEABLE) != 0;
  block.flags = uFlags;
  block.size = dwBytes;
  if (!(block.movable && dwBytes == 0)) {
    block.data = AllocateBytes(dwBytes, (uFlags & GMEM_ZEROINIT) != 0);
    if (!block.data) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    block.capacity = dwBytes;
  }
  uintptr_t handle = block.movable ? NewMovableHandle(state) : reinterpret_cast<uintptr_t>(block.data);
  try {
    state.byHandle[handle] = block;
    if (block.movable && block.data) state.movableByData[block.data] = handle;
  } catch (const std::bad_alloc&) {  // the tables could not grow
    state.byHandle.erase(handle);
    std::free(block.data);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return reinterpret_cast<HGLOBAL>(handle);
}

LPVOID WINAPI GlobalLock(HGLOBAL hMem) {
  Blocks& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  Block* block = Find(state, hMem);
  if (!block) {
    InvalidHandle();
    return nullptr;
  }
  if (!block->movable) return block->data;
  if (!block->data) {
    SetLastError(ERROR_DISCARDED);
    return nullptr;
  }
  if (block->lockCount < GMEM_LOCKCOUNT) ++block->lockCount;
  return block->data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL hMem) {
  Blocks& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  Block* block = Find(state, hMem);
  if (!block) {
    InvalidHandle();
    return FALSE;
  }
  if (!block->movable || block->lockCount == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--block->lockCount > 0) return TRUE;
  SetLastError(ERROR_SUCCESS);
  return FALSE;
}

// A locked block is freed all the same, as on Windows.
HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
  if (!hMem) return nullptr;
  Blocks& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto it = state.byHandle.find(reinterpret_cast<uintptr_t>(hMem));
  if (it == state.byHandle.end()) {
    InvalidHandle();
    return hMem;
  }
  if (it->second.movable && it->second.data) state.movableByData.erase(it->second.data);
  std::free(it->second.data);
  state.byHandle.erase(it);
  return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL hMem) {
  Blocks& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  Block* block = Find(state, hMem);
  if (!block) {
    InvalidHandle();
    return 0;
  }
  return block->data ? block->size : 0;
}

UINT WINAPI GlobalFlags(HGLOBAL hMem) {
  Blocks& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  Block* block = Find(state, hMem);
  if (!block) {
    InvalidHandle();
    return GMEM_INVALID_HANDLE;
  }
  UINT flags = block->lockCount & GMEM_LOCKCOUNT;
  flags |= block->flags & (GMEM_DISCARDABLE | GMEM_DDESHARE);
  if (block->movable && !block->data) flags |= GMEM_DISCARDED;
  return flags;
}

HGLOBAL WINAPI GlobalHandle(LPCVOID pMem) {
  Blocks& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  void* data = const_cast<void*>(pMem);
  auto movable = state.movableByData.find(data);
  if (movable != state.movableByData.end()) return reinterpret_cast<HGLOBAL>(movable->second);
  if (data && state.byHandle.count(reinterpret_cast<uintptr_t>(data))) return data;
  InvalidHandle();
  return nullptr;
}

// Growing a locked movable block, or a fixed block without GMEM_MOVEABLE,
// would move memory a caller still points into: that fails instead.
HGLOBAL WINAPI GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags) {
  Blocks& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto it = state.byHandle.find(reinterpret_cast<uintptr_t>(hMem));
  if (it == state.byHandle.end()) {
    InvalidHandle();
    return nullptr;
  }
  Block& block = it->second;
  if (uFlags & GMEM_MODIFY) {
    // Only the discardable flag can change; fixed blocks stay fixed.
    block.flags = (block.flags & ~UINT(GMEM_DISCARDABLE)) | (uFlags & GMEM_DISCARDABLE);
    return hMem;
  }
  bool zero = (uFlags & GMEM_ZEROINIT) != 0;
  if (dwBytes > kMaxBlockBytes) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (dwBytes <= block.capacity && block.data) {
    if (zero && dwBytes > block.size)
      std::memset(static_cast<char*>(block.data) + block.size, 0, dwBytes - block.size);
    block.size = dwBytes;
    return hMem;
  }
  bool mayMove = block.movable ? block.lockCount == 0 : (uFlags & GMEM_MOVEABLE) != 0;
  if (!mayMove) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // A new block first: if the tables cannot take it, the old one is untouched.
  void* grown = AllocateBytes(dwBytes, zero);
  if (!grown) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (block.data) std::memcpy(grown, block.data, std::min(block.size, dwBytes));
  Block moved = block;
  moved.data = grown;
  moved.size = moved.capacity = dwBytes;
  uintptr_t handle = block.movable ? it->first : reinterpret_cast<uintptr_t>(grown);
  try {
    if (block.movable)
      state.movableByData[grown] = handle;
    else
      state.byHandle[handle] = moved;
  } catch (const std::bad_alloc&) {
    std::free(grown);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (block.movable && block.data) state.movableByData.erase(block.data);
  std::free(block.data);
  if (block.movable)
    block = moved;
  else
    state.byHandle.erase(reinterpret_cast<uintptr_t>(hMem));  // by key: the insert may have rehashed
  return reinterpret_cast<HGLOBAL>(handle);
}

}  // extern "C"
