// The keyword-line reader of mFile, for the engine's small text formats.
#include <cstdlib>
#include <cstring>

#include "media/file.h"

namespace {

constexpr int kStepLimit = 80;   // characters per scanning step
constexpr int kLookahead = 160;  // bytes wanted in the window before a step

bool IsBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0; }
bool IsLineEnd(uint8_t c) { return c == '\r' || c == '\n' || c == 0; }
bool IsSeparator(uint8_t c) { return c == '=' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0; }
uint8_t Upper(uint8_t c) { return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 'a' + 'A') : c; }

}  // namespace

// A memory block may be read-only (a resource): the reader marks up a copy of
// it instead, laid out so that positions stay the same.
bool mFile::MakeTextWritable() {
  State& s = fileState;
  if (!(s.flags & kMemoryBlock) || textCopy_) return true;
  size_t length = static_cast<size_t>(s.dataEnd - s.windowFirst);
  auto* copy = static_cast<uint8_t*>(std::malloc(length + 1));
  if (!copy) {
    ReportError(kClassFile, kErrOutOfMemory, nullptr);
    return false;
  }
  if (length > 0) std::memcpy(copy, s.windowFirst, length);
  copy[length] = 0;
  size_t offset = static_cast<size_t>(s.readPtr - s.windowFirst);
  textCopy_ = copy;
  s.areaBase = s.bufferStart = s.windowFirst = copy;
  s.readPtr = copy + offset;
  s.dataEnd = copy + length;
  s.bufferEnd = copy + length + 1;
  return true;
}

int mFile::ReadKeyword(const char* const* keywords) {
  State& s = fileState;
  if (!s.isOpen || !MakeTextWritable()) return -1;
  // Bytes at or past the end of the data read as zero, which is blank.
  auto at = [&s](const uint8_t* p) -> uint8_t { return p < s.dataEnd ? *p : 0; };

  for (;;) {
    if (s.bufferEnd - s.readPtr < kLookahead) Refill(s.readPtr);
    if (s.dataEnd < s.bufferEnd && s.readPtr >= s.dataEnd) return -1;
    uint8_t* p = s.readPtr;

    if (at(p) == '/' && at(p + 1) == '/') {
      p += 2;
      for (int i = 0; i < kStepLimit && p < s.dataEnd && !IsLineEnd(*p); ++i) ++p;
      s.readPtr = p;
      continue;
    }

    int found = -1;
    const char* keyword = nullptr;
    for (int k = 0; keywords && keywords[k] && keywords[k][0] != '\0'; ++k) {
      const char* word = keywords[k];
      size_t length = std::strlen(word);
      size_t i = 0;
      while (i < length && Upper(at(p + i)) == static_cast<uint8_t>(word[i])) ++i;
      if (i < length) continue;
      if (word[0] == ':' || IsSeparator(at(p + length))) {
        found = k;
        keyword = word;
        break;
      }
    }

    if (found < 0) {
      for (int i = 0; i < kStepLimit && p < s.dataEnd && !IsBlank(*p); ++i) ++p;
      for (int i = 0; i < kStepLimit && p < s.dataEnd && IsBlank(*p); ++i) ++p;
      s.readPtr = p;
      continue;
    }

    p += std::strlen(keyword);
    for (int i = 0; i < kStepLimit && p < s.dataEnd && (*p == '=' || *p == ' ' || *p == '\t'); ++i) ++p;
    s.readPtr = p;
    uint8_t* end = p;
    for (int i = 0; i < kStepLimit && end < s.dataEnd && !IsLineEnd(*end); ++i) ++end;
    // At most one past the data: inside the own buffer's slack or the copy's
    // terminator; a caller's buffer gets no byte written past its end.
    if (end < s.bufferEnd || block_ || textCopy_) *end = 0;
    s.position = Tell();
    return found;
  }
}
