#pragma once
// Lossless widening of palette indices: every pixel keeps its index and the colour table goes
// across unchanged. Each takes an uncompressed source of the named bit count (EPxDIBBadDIBType
// "<routine>: Invalid Bitcount & Compression Combination" otherwise), builds the result in a new
// block from GetMemory and writes `dst` only when it succeeds.

#include "dib/PxDIBInfos.h"

namespace vlz {

void Convert1BitRGBTo4BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping);
void Convert1BitRGBTo8BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping);
void Convert4BitRGBTo8BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping);

}  // namespace vlz
