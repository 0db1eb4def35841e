#pragma once
// Expansion of palette images to 24 bits: every pixel becomes the blue, green and red bytes of its
// colour-table entry, taken as the table stands. The result keeps the source's table and
// biClrUsed. Each takes an uncompressed source of the named bit count (EPxDIBBadDIBType
// "<routine>: Invalid Bitcount & Compression Combination" otherwise) and writes `dst` only when it
// succeeds.

#include "dib/PxDIBInfos.h"

namespace vlz {

void Convert1BitRGBToTrueColor(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping);
void Convert4BitRGBToTrueColor(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping);
void Convert8BitRGBToTrueColor(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping);

}  // namespace vlz
