// wsprintfA: the Windows subset of printf formats. Integers are 32-bit
// ("l" changes nothing: long is 32-bit on Windows), "I64" makes them 64-bit;
// no floating point and no "*" widths. Like Windows, it never stores more
// than 1024 bytes, the terminator included.
#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "core/trace.h"

namespace {

constexpr int kMaxOutput = 1024;

class Output {
 public:
  explicit Output(char* buffer) : buffer_(buffer) {}
  void Put(char c) {
    if (length_ < kMaxOutput - 1) buffer_[length_++] = c;
  }
  void Repeat(char c, int count) {
    for (int i = 0; i < count; ++i) Put(c);
  }
  int Finish() {
    buffer_[length_] = '\0';
    return length_;
  }

 private:
  char* buffer_;
  int length_ = 0;
};

struct Field {
  bool left = false;
  bool zero = false;
  bool alternate = false;
  int width = 0;
  int precision = -1;
};

// Pads the body (sign or prefix, then digits or text) to the field width.
void Emit(Output& out, const Field& field, const char* prefix, const char* body, int bodyLength) {
  int prefixLength = static_cast<int>(std::strlen(prefix));
  int padding = field.width - prefixLength - bodyLength;
  if (padding < 0) padding = 0;
  if (!field.left && !field.zero) out.Repeat(' ', padding);
  for (int i = 0; i < prefixLength; ++i) out.Put(prefix[i]);
  if (!field.left && field.zero) out.Repeat('0', padding);
  for (int i = 0; i < bodyLength; ++i) out.Put(body[i]);
  if (field.left) out.Repeat(' ', padding);
}

void EmitNumber(Output& out, const Field& field, uint64_t magnitude, bool negative, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char text[64];
  int length = 0;
  char reversed[32];
  int count = 0;
  do {
    reversed[count++] = digits[magnitude % base];
    magnitude /= base;
  } while (magnitude);
  int minimum = field.precision > 0 ? (field.precision < 40 ? field.precision : 40) : 0;
  for (int i = count; i < minimum; ++i) text[length++] = '0';
  while (count) text[length++] = reversed[--count];
  const char* prefix = negative ? "-" : "";
  if (field.alternate && base == 16) prefix = upper ? "0X" : "0x";
  Field padded = field;
  if (field.precision >= 0) padded.zero = false;
  Emit(out, padded, prefix, text, length);
}

}  // namespace

extern "C" {

int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list args) {
  if (!buffer) return 0;
  Output out(buffer);
  if (!format) return out.Finish();
  for (const char* p = format; *p; ++p) {
    if (*p != '%') {
      out.Put(*p);
      continue;
    }
    ++p;
    Field field;
    for (;; ++p) {
      if (*p == '-')
        field.left = true;
      else if (*p == '0')
        field.zero = true;
      else if (*p == '#')
        field.alternate = true;
      else
        break;
    }
    for (; *p >= '0' && *p <= '9'; ++p)
      if (field.width < 10000) field.width = field.width * 10 + (*p - '0');
    if (*p == '.') {
      field.precision = 0;
      for (++p; *p >= '0' && *p <= '9'; ++p)
        if (field.precision < 10000) field.precision = field.precision * 10 + (*p - '0');
    }
    bool wide64 = false;
    if (*p == 'l' || *p == 'h') {
      ++p;
    } else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
      wide64 = true;
      p += 3;
    }
    switch (*p) {
      case 'd':
      case 'i': {
        int64_t value = wide64 ? va_arg(args, int64_t) : va_arg(args, int);
        uint64_t magnitude = value < 0 ? uint64_t(0) - uint64_t(value) : uint64_t(value);
        EmitNumber(out, field, magnitude, value < 0, 10, false);
        break;
      }
      case 'u':
      case 'x':
      case 'X': {
        uint64_t value = wide64 ? va_arg(args, uint64_t) : va_arg(args, unsigned);
        EmitNumber(out, field, value, false, *p == 'u' ? 10 : 16, *p == 'X');
        break;
      }
      case 'p': {
        Field pointer = field;
        pointer.zero = true;
        pointer.width = 2 * static_cast<int>(sizeof(void*));
        EmitNumber(out, pointer, reinterpret_cast<uintptr_t>(va_arg(args, void*)), false, 16, true);
        break;
      }
      case 'c': {
        char c = static_cast<char>(va_arg(args, int));
        Emit(out, field, "", &c, 1);
        break;
      }
      case 's': {
        const char* text = va_arg(args, const char*);
        if (!text) text = "(null)";
        int length = 0;
        while (text[length] && (field.precision < 0 || length < field.precision)) ++length;
        Emit(out, field, "", text, length);
        break;
      }
      case '\0':
        --p;  // a lone '%' at the end is dropped
        break;
      default:
        if (*p == 'S' || *p == 'C') PLAT_FIXME("wsprintfA: wide %%%c", *p);
        // Unknown types print as themselves ("%%" -> "%"); the flags are dropped.
        out.Put(*p);
        break;
    }
  }
  return out.Finish();
}

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  int length = wvsprintfA(buffer, format, args);
  va_end(args);
  return length;
}

}  // extern "C"
