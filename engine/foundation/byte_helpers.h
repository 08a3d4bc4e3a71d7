// Byte copy and fills used by the decoders for runs of pixels: the plain
// byte sequences whatever the alignment of either pointer; a count of 0 or
// less writes nothing.
#pragma once

#include <cstddef>
#include <cstdint>

void CopyBytes(void* dest, const void* src, long count);
void FillBytes(void* dest, uint32_t value, unsigned long count);
void FillWords(void* dest, uint16_t pattern, long count);
