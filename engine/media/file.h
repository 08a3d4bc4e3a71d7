// mFile: buffered reading of disk files and memory blocks through one read
// window, with RIFF chunk navigation and the keyword-line reader.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

#include "foundation/object.h"

class mFile : public virtual mObject {
 public:
  // The state record decoders read (and whose readPtr they advance) directly.
  struct State {
    int32_t isOpen;
    int32_t size;         // file size at open; 0 for a memory block
    char* name;           // copy of the name given to Open; null for a memory block
    int32_t position;     // logical position of the read pointer
    uint8_t* readPtr;
    uint8_t* windowFirst;  // first window byte with a known file position
    uint8_t* dataEnd;      // end of the valid data in the window
    uint32_t flags;        // kMemoryBlock
    HMMIO handle;
    MMIOINFO* ioInfo;
    uint8_t* areaBase;     // first byte of the back area
    uint8_t* bufferStart;  // areaBase + back size
    uint8_t* bufferEnd;
    int32_t firstPos;      // file position of the byte at windowFirst
    int32_t bufferSize;
    int32_t backSize;
  };
  static constexpr uint32_t kMemoryBlock = 1;
  static constexpr int32_t kDefaultBufferSize = 8192;
  static constexpr int32_t kDefaultBackSize = 2048;
  static constexpr int kMaxContainers = 10;

  mFile();
  ~mFile() override;

  bool Open(const char* name, DWORD openFlags);
  bool OpenMemory(const void* block, int32_t length);
  int32_t Read(void* dst, int32_t count);
  int32_t Write(const void* src, int32_t count);
  int32_t Seek(int32_t offset, int origin);
  void SetBuffer(void* buffer, int32_t size, int32_t back);
  uint8_t* Refill(uint8_t* keep);
  void Close();

  bool RiffDescend(uint32_t form);
  bool FindChunk(uint32_t id);
  bool NextChunk();
  bool ListDescend(uint32_t type);
  int32_t ChunkAscend();
  int32_t ChunkSkip();

  // keywords: upper-case texts ended by an empty one. Returns the index of
  // the keyword found (its argument at readPtr) or -1 at the end of the data.
  int ReadKeyword(const char* const* keywords);

  // Makes n contiguous bytes available at readPtr (n at most the back size).
  // False when the data ends before them: the caller stops there.
  bool EnsureBytes(int32_t n) {
    if (fileState.bufferEnd - fileState.readPtr < n) Refill(fileState.readPtr);
    return fileState.dataEnd - fileState.readPtr >= n;
  }
  int32_t Tell() const {
    return fileState.firstPos + static_cast<int32_t>(fileState.readPtr - fileState.windowFirst);
  }

  const State* GetFileState() const { return &fileState; }

  int32_t chunkDepth = 0;
  uint32_t chunkEnds[kMaxContainers] = {};
  uint32_t lastChunkEnd = 0;
  uint32_t lastChunkSize = 0;

 protected:
  State fileState;

 private:
  void ResetState();
  void EmptyWindow();
  void InstallBuffer();
  bool MakeTextWritable();
  const char* Detail() const { return fileState.name; }

  HGLOBAL block_ = nullptr;   // name, I/O record, back area and buffer of a disk file
  uint8_t* textCopy_ = nullptr;  // writable copy of a memory block the keyword reader marks up
};

// Four-character code as RIFF stores it, compared as a little-endian word.
constexpr uint32_t FourCC(const char (&code)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24);
}
