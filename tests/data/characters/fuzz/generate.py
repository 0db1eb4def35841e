#!/usr/bin/env python3
"""Writes the whole-character seeds of the character fuzz target (character/): packages with a
description and a picture of their own, small enough to fuzz quickly."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def package(entries):
    """entries: (name, bytes) pairs; the directory, then the data in the same order."""
    head = bytes([12]) + b'PackageFile2' + struct.pack('<h', len(entries))
    directory, data = b'', b''
    for name, content in entries:
        directory += bytes([len(name)]) + name.ljust(255, b'\0')
        directory += struct.pack('<ii', len(data), len(content))
        data += content
    return head + directory + data


def description(name, width, height, count, interval):
    return (b'Name=%s\r\nPatternWidth=%d\r\nPatternHeight=%d\r\nPatternCount=%d\r\n'
            b'AnimationInterval=%d\r\n' % (name, width, height, count, interval))


def bmp(width, height, bits, pixels, colors, compression=0):
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in colors)
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression, len(pixels),
                         2835, 2835, len(colors), 0)
    offset = 14 + len(header) + len(table)
    return b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + header + table + pixels


def main():
    colors = [(0, 255, 0), (200, 40, 40), (250, 250, 250), (20, 20, 20)]
    # Two 4 × 4 frames side by side, 8 bits; the top-left pixel (colour 0) is transparent.
    rows = b''.join(bytes([0, 1, 2, 3, 3, 2, 1, 0]) for _ in range(4))
    write('two-frames-8bit.vlf', package([
        (b'desc.txt', description(b'Pair', 4, 4, 2, 150)),
        (b'image.bmp', bmp(8, 4, 8, rows, colors))]))
    # The same picture in RLE8, with frames that run past its right and bottom edges.
    codes = b''.join(bytes([2, 0, 2, 1, 4, 3, 0, 0]) for _ in range(4)) + bytes([0, 1])
    write('rle8-frames-past-the-edge.vlf', package([
        (b'desc.txt', description(b'\x83\x8a\x83\x8b', 5, 3, 5, 90)),
        (b'image.bmp', bmp(8, 4, 8, codes, colors, compression=1))]))
    # 4 bits, one frame larger than the picture.
    write('frame-larger-than-picture-4bit.vlf', package([
        (b'desc.txt', description(b'Big', 16, 16, 1, 0)),
        (b'image.bmp', bmp(4, 2, 4, bytes([0x01, 0x23, 0, 0, 0x32, 0x10, 0, 0]), colors))]))


def write(name, data):
    with open(os.path.join(HERE, 'character', name), 'wb') as file:
        file.write(data)


if __name__ == '__main__':
    main()
