// Byte copy and fills used by the decoders for runs of pixels. They align
// the destination to 16 bits, as the original routines did; the results are
// the plain byte sequences whatever the alignment.
#pragma once

#include <cstddef>
#include <cstdint>

void CopyBytes(void* dest, const void* src, long count);
void FillBytes(void* dest, uint32_t value, unsigned long count);
void FillWords(void* dest, uint16_t pattern, long count);
