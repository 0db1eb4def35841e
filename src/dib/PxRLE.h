#pragma once
// Run-length codecs between the uncompressed 8- and 4-bit layouts and RLE8 / RLE4 streams.
//
// The stream is a sequence of byte pairs (rows in memory order; row 0 is the first row of the
// block, the bottom row of a bottom-up image):
//
//   count >= 1, value     encoded run: count pixels of value (RLE4: its high and low nibble in
//                         turn, high first)
//   0, 0                  end of line: on to pixel 0 of the next row
//   0, 1                  end of bitmap
//   0, 2, dx, dy          delta: dx pixels right, dy rows on
//   0, n >= 3, literal    absolute run of n pixels (RLE4: n nibbles), padded to an even byte count
//
// Each routine reads `Src` only and fills `Dst` only when it succeeds: a copy of the whole source
// record with a new block (from GetMemory with `UseFileMapping`) and the fields of the new layout.
// The source block is neither changed nor released.

#include "dib/PxDIBInfos.h"

namespace vlz {

// RLE8 → 8 bits, BI_RGB, same biHeight. Pixels the stream never writes stay 0. Raises
// EPxDIBBadDIBType for a source that is not 8-bit RLE8 and EPxDIBInvalidDIB "...: Bad RLE Data
// 1..4" for a stream that steps outside the image. A stream that ends early (inside an escape,
// or without its end of bitmap) ends decoding where its data ends.
void Convert8BitRLETo8BitRGB(const TPxDIBInfos& Src, TPxDIBInfos& Dst, bool UseFileMapping);
// RLE4 → 4 bits, BI_RGB; as above with "Bad RLE Data 5..8".
void Convert4BitRLETo4BitRGB(const TPxDIBInfos& Src, TPxDIBInfos& Dst, bool UseFileMapping);

// 8 bits → RLE8, always bottom-up. The stream may not grow past the size of the uncompressed
// pixels: an image that does not compress raises EPxDIBCompressionFailed.
void Convert8BitRGBTo8BitRLE(const TPxDIBInfos& Src, TPxDIBInfos& Dst, bool UseFileMapping);
// 4 bits → RLE4; as above.
void Convert4BitRGBTo4BitRLE(const TPxDIBInfos& Src, TPxDIBInfos& Dst, bool UseFileMapping);

}  // namespace vlz
