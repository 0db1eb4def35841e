#!/usr/bin/env python3
"""Writes the seed corpora and the malformed samples of the bitmap library's tests.

stream/     BMP files for the stream loader
clipboard/  the same images as packed DIBs (no file header)
rle8/, rle4/  inputs of the RLE decoder fuzz targets: width (u16), height (i16), then the stream
              (the targets take the width mod 4096 and the height mod 1024)
malformed/  files that once broke, or could break, a loader; named after what they break
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def info_header(width, height, bits, compression=0, clr_used=0, size=40):
    header = struct.pack('<IiiHHIIiiII', 40 if size == 40 else size, width, height, 1, bits,
                         compression, 0, 2835, 2835, clr_used, 0)
    return header + bytes(size - 40)


def bmp(header_and_table, pixels, bf_size=None, off_bits=None):
    offset = 14 + len(header_and_table) if off_bits is None else off_bits
    size = offset + len(pixels) if bf_size is None else bf_size
    return b'BM' + struct.pack('<IHHI', size, 0, 0, offset) + header_and_table + pixels


def gray(count):
    return b''.join(struct.pack('<BBBB', i * 255 // max(count - 1, 1), i * 255 // max(count - 1, 1),
                                i * 255 // max(count - 1, 1), 0) for i in range(count))


def stride(bits, width):
    return (bits * width + 31) // 32 * 4


def rows(bits, width, height, pattern):
    data = bytearray()
    for y in range(height):
        row = bytearray(stride(bits, width))
        for x in range(width):
            value = pattern(x, y)
            if bits == 1:
                row[x // 8] |= (value & 1) << (7 - x % 8)
            elif bits == 4:
                row[x // 2] |= (value & 15) << (4 if x % 2 == 0 else 0)
            elif bits == 8:
                row[x] = value & 255
            elif bits == 16:
                row[2 * x:2 * x + 2] = struct.pack('<H', value & 0xFFFF)
            elif bits == 24:
                row[3 * x:3 * x + 3] = struct.pack('<I', value)[:3]
            elif bits == 32:
                row[4 * x:4 * x + 4] = struct.pack('<I', value & 0xFFFFFFFF)
        data += row
    return bytes(data)


def write(folder, name, data):
    os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    with open(os.path.join(HERE, folder, name), 'wb') as out:
        out.write(data)


def images():
    w, h = 13, 7
    yield '1bit.bmp', bmp(info_header(w, h, 1, clr_used=2) + gray(2),
                          rows(1, w, h, lambda x, y: (x + y) & 1))
    yield '4bit.bmp', bmp(info_header(w, h, 4) + gray(16), rows(4, w, h, lambda x, y: x + y))
    yield '8bit.bmp', bmp(info_header(w, h, 8) + gray(256), rows(8, w, h, lambda x, y: x * y))
    yield '8bit-topdown.bmp', bmp(info_header(w, -h, 8, clr_used=16) + gray(16),
                                  rows(8, w, h, lambda x, y: x ^ y))
    yield '24bit.bmp', bmp(info_header(w, h, 24), rows(24, w, h, lambda x, y: x * 0x10203 + y))
    yield '16bit.bmp', bmp(info_header(w, h, 16), rows(16, w, h, lambda x, y: x * 0x421 + y))
    yield '16bit-565.bmp', bmp(info_header(w, -h, 16, 3) + struct.pack('<III', 0xF800, 0x07E0,
                                                                      0x001F),
                               rows(16, w, h, lambda x, y: x * 0x841 + y))
    yield '32bit.bmp', bmp(info_header(w, h, 32), rows(32, w, h, lambda x, y: x * 0x10101 + y))
    yield '32bit-bitfields.bmp', bmp(info_header(w, h, 32, 3) + struct.pack(
        '<III', 0xFF000000, 0x00FF0000, 0x0000FF00), rows(32, w, h, lambda x, y: x << 24 | y))
    core = struct.pack('<IHHHH', 12, w, h, 1, 4) + b''.join(
        struct.pack('<BBB', i * 16, 255 - i * 16, 128) for i in range(16))
    yield 'core-4bit.bmp', bmp(core, rows(4, w, h, lambda x, y: x))
    # Shorter than an info header: the clipboard glue must still find its pixels.
    core1 = struct.pack('<IHHHH', 12, 3, 1, 1, 1) + bytes([0, 0, 0, 255, 255, 255])
    yield 'core-1bit.bmp', bmp(core1, rows(1, 3, 1, lambda x, y: x & 1))
    rle8 = bytes([4, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 2, 1, 3, 9, 0, 0, 13, 5, 0, 1])
    yield 'rle8.bmp', bmp(info_header(w, h, 8, 1, clr_used=16) + gray(16), rle8)
    rle4 = bytes([5, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 0, 2, 1, 2, 13, 0xAB, 0, 1])
    yield 'rle4.bmp', bmp(info_header(w, h, 4, 2) + gray(16), rle4)


def malformed():
    table = gray(256)
    yield 'clrused-4294967295.bmp', bmp(info_header(4, 1, 8, clr_used=0xFFFFFFFF) + table,
                                        bytes(4))
    yield 'clrused-300-offbits-short.bmp', bmp(info_header(4, 1, 8, clr_used=300) + gray(256)
                                               + bytes(176), bytes(4), off_bits=14 + 40 + 1024)
    yield 'bfsize-short-of-rows.bmp', bmp(info_header(4, 4, 8) + table, bytes(16), bf_size=1082)
    yield 'bfsize-before-offbits.bmp', bmp(info_header(4, 1, 8) + table, bytes(4), bf_size=10)
    yield 'gigabytes-from-a-small-file.bmp', bmp(info_header(40000, 40000, 8) + table,
                                                 bytes(4), bf_size=1600001078)
    yield 'width-times-height-overflow.bmp', bmp(info_header(0x7FFFFFFF, 0x7FFFFFFF, 24),
                                                 bytes(4), bf_size=0xFFFFFFFF)
    yield 'height-int32-min.bmp', bmp(info_header(1, -0x80000000, 8) + table, bytes(4))
    yield '32bit-rows-missing.bmp', bmp(info_header(100, 100, 32), bytes(40))
    yield '16bit-topdown-rows-missing.bmp', bmp(info_header(3, -3, 16), bytes(8))
    yield '16bit-masks-from-missing-table.bmp', bmp(info_header(2, 1, 16, 1), bytes(4))
    yield 'rle8-no-end-of-bitmap.bmp', bmp(info_header(8, 2, 8, 1) + table, bytes([8, 1, 0, 0, 8]))
    yield 'rle8-ends-inside-delta.bmp', bmp(info_header(8, 2, 8, 1) + table, bytes([0, 2, 3]))
    yield 'rle8-ends-inside-absolute-run.bmp', bmp(info_header(8, 2, 8, 1) + table,
                                                   bytes([0, 6, 1, 2]))
    yield 'rle8-run-past-right-edge.bmp', bmp(info_header(8, 2, 8, 1) + table,
                                              bytes([9, 1, 0, 1]))
    yield 'rle8-ends-of-line-past-last-row.bmp', bmp(info_header(8, 1, 8, 1) + table,
                                                     bytes([0, 0, 0, 0, 1, 1, 0, 1]))
    yield 'rle4-delta-past-last-row.bmp', bmp(info_header(8, 2, 4, 2) + gray(16),
                                              bytes([0, 2, 0, 3, 0, 1]))
    yield 'rle8-huge-canvas-tiny-stream.bmp', bmp(info_header(40000, 40000, 8, 1) + table,
                                                  bytes([0, 1]))
    yield 'rle8-expansion-over-2-gib.bmp', bmp(info_header(60000, 40000, 8, 1) + table,
                                               bytes([0, 1]))
    yield 'header-size-108.bmp', bmp(info_header(4, 1, 8, size=108) + table, bytes(4))
    yield 'truncated-in-colour-table.bmp', bmp(info_header(4, 1, 8) + table, bytes(4))[:300]
    # An RLE stream of no bytes needs none, but its file is cut off before the pixels begin.
    end = 14 + 40 + 1024 + 16
    yield 'rle8-pixels-past-end-of-file.bmp', bmp(info_header(8, 2, 8, 1) + table, b'',
                                                  bf_size=end, off_bits=end)
    # Bytes after bfSize are no part of the picture, though a packed DIB made of the file by
    # dropping its file header alone would read them as more codes.
    yield 'rle8-codes-after-file-size.bmp', bmp(info_header(8, 2, 8, 1) + table,
                                                bytes([8, 1])) + bytes([0, 0, 8, 2, 0, 1])


def rle_seed(width, height, stream):
    return struct.pack('<Hh', width, height) + stream


def main():
    for name, data in images():
        write('stream', name, data)
        write('clipboard', name.replace('.bmp', '.dib'), data[14:])
    for name, data in malformed():
        write('malformed', name, data)
    # Samples that once broke a reader of the stream seeds are seeds themselves.
    broken = dict(malformed())
    for name in ['width-times-height-overflow.bmp', 'rle8-expansion-over-2-gib.bmp']:
        write('stream', name, broken[name])
    write('rle8', 'runs-and-literals', rle_seed(13, 7, bytes(
        [4, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 2, 1, 3, 9, 0, 0, 13, 5, 0, 1])))
    write('rle8', 'example-4x2', rle_seed(4, 2, bytes([4, 7, 0, 0, 2, 9, 0, 1])))
    write('rle8', 'topdown', rle_seed(6, -2, bytes([6, 1, 0, 0, 6, 2, 0, 0, 0, 1])))
    write('rle4', 'runs-and-literals', rle_seed(13, 7, bytes(
        [5, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 0, 2, 1, 2, 13, 0xAB, 0, 1])))
    write('rle4', 'odd-width', rle_seed(15, 1, bytes([0x0E, 0x11, 0x01, 0x10, 0, 0, 0, 1])))
    write('rle4', 'delta-to-odd-pixel', rle_seed(4, 1, bytes([0, 2, 3, 0, 1, 0xF0, 0, 1])))


if __name__ == '__main__':
    main()
