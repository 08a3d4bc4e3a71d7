#!/usr/bin/env python3
"""Writes the icon files that tests/support/test.rc links into the tests.

test.ico holds four images whose pixels follow the formulas below, so the
tests can compute what each pixel must be:
  1. 16x16, 4 bits: index (x + y) % 16, colour (16i, 255 - 16i, i); the AND
     mask hides the last column.
  2. 32x32, 8 bits: index (x * 8 + y) % 256, colour (i, 255 - i, 7); the mask
     hides the first row.
  3. 32x32, 32 bits: colour (8x, 8y, 0x40), alpha 255 except alpha 0 at
     (0, 0) and 0x80 at (1, 0).
  4. 48x48 PNG, RGBA: colour (5x, 5y, 0x99), alpha 255.
mono.ico holds one 32x32 1-bit image: white where (x + y) is odd, black
elsewhere; the mask hides the last row.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def bmp_image(width, height, bits, palette, pixel, masked):
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, bits, 0, 0, 0, 0, len(palette), 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    stride = (width * bits + 31) // 32 * 4
    rows = b''
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            value = pixel(x, y)
            if bits < 8:
                shift = 8 - bits - (x * bits) % 8
                row[x * bits // 8] |= value << shift
            elif bits == 8:
                row[x] = value
            else:
                row[x * 4:x * 4 + 4] = struct.pack('<I', value)
        rows += bytes(row)
    mask_stride = (width + 31) // 32 * 4
    mask = b''
    for y in reversed(range(height)):
        row = bytearray(mask_stride)
        for x in range(width):
            if masked(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    return header + pal + rows + mask


def png_image(width, height, rgba):
    raw = b''.join(b'\0' + b''.join(struct.pack('BBBB', *rgba(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)

    ihdr = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')


def ico(images):
    """images: (width, height, colour count, bits, data)"""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (w, h, colours, bits, data) in images:
        out += struct.pack('<BBBBHHII', w % 256, h % 256, colours % 256, 0, 1, bits, len(data), offset)
        offset += len(data)
    return out + b''.join(image[4] for image in images)


def argb32(x, y):
    alpha = 0 if (x, y) == (0, 0) else 0x80 if (x, y) == (1, 0) else 0xFF
    return alpha << 24 | (8 * x) << 16 | (8 * y) << 8 | 0x40


four = bmp_image(16, 16, 4, [(16 * i, 255 - 16 * i, i) for i in range(16)], lambda x, y: (x + y) % 16,
                 lambda x, y: x == 15)
eight = bmp_image(32, 32, 8, [(i, 255 - i, 7) for i in range(256)], lambda x, y: (x * 8 + y) % 256,
                  lambda x, y: y == 0)
thirty_two = bmp_image(32, 32, 32, [], argb32, lambda x, y: False)
png = png_image(48, 48, lambda x, y: (5 * x, 5 * y, 0x99, 0xFF))
mono = bmp_image(32, 32, 1, [(0, 0, 0), (255, 255, 255)], lambda x, y: (x + y) % 2, lambda x, y: y == 31)

with open(os.path.join(HERE, 'test.ico'), 'wb') as f:
    f.write(ico([(16, 16, 16, 4, four), (32, 32, 0, 8, eight), (32, 32, 0, 32, thirty_two), (48, 48, 0, 32, png)]))
with open(os.path.join(HERE, 'mono.ico'), 'wb') as f:
    f.write(ico([(32, 32, 2, 1, mono)]))
