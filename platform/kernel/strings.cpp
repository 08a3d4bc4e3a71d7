// ANSI string helpers of the Windows code page 1252 family; upper and lower
// case follow Latin-1.
#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

unsigned char UpperLatin1(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  return c;
}

}  // namespace

extern "C" {

LPSTR WINAPI CharNextA(LPCSTR lpsz) {
  if (!lpsz) return nullptr;
  return const_cast<LPSTR>(*lpsz ? lpsz + 1 : lpsz);
}

// A value whose high word is zero is one character, converted and returned
// in place of a pointer.
LPSTR WINAPI CharUpperA(LPSTR lpsz) {
  if (IS_INTRESOURCE(lpsz)) {
    auto c = static_cast<unsigned char>(reinterpret_cast<uintptr_t>(lpsz) & 0xFF);
    return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(UpperLatin1(c)));
  }
  for (char* p = lpsz; *p; ++p) *p = static_cast<char>(UpperLatin1(static_cast<unsigned char>(*p)));
  return lpsz;
}

int WINAPI lstrlenA(LPCSTR lpString) { return lpString ? static_cast<int>(std::strlen(lpString)) : 0; }

LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2) return nullptr;
  std::memmove(lpString1, lpString2, std::strlen(lpString2) + 1);
  return lpString1;
}

LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
  if (!lpString1 || !lpString2 || iMaxLength <= 0) return lpString1;
  int i = 0;
  for (; i < iMaxLength - 1 && lpString2[i]; ++i) lpString1[i] = lpString2[i];
  lpString1[i] = '\0';
  return lpString1;
}

LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2) return nullptr;
  std::strcat(lpString1, lpString2);
  return lpString1;
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2) return lpString1 ? 1 : (lpString2 ? -1 : 0);
  for (;; ++lpString1, ++lpString2) {
    unsigned char a = UpperLatin1(static_cast<unsigned char>(*lpString1));
    unsigned char b = UpperLatin1(static_cast<unsigned char>(*lpString2));
    if (a != b) return a < b ? -1 : 1;
    if (!a) return 0;
  }
}

// nNumber * nNumerator / nDenominator with a 64-bit product, rounded half
// away from zero; -1 when the divisor is 0 or the result does not fit.
int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator) {
  if (nDenominator == 0) return -1;
  int64_t product = int64_t{nNumber} * nNumerator;
  int64_t divisor = nDenominator;
  bool negative = (product < 0) != (divisor < 0);
  uint64_t magnitude = product < 0 ? uint64_t(-product) : uint64_t(product);
  uint64_t by = divisor < 0 ? uint64_t(-divisor) : uint64_t(divisor);
  uint64_t quotient = (magnitude + by / 2) / by;
  if (quotient > (negative ? uint64_t{0x80000000} : uint64_t{0x7FFFFFFF})) return -1;
  return negative ? static_cast<int>(-static_cast<int64_t>(quotient)) : static_cast<int>(quotient);
}

}  // extern "C"
