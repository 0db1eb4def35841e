#pragma once
// Exact-colour conversions to 1 bit: a pixel is white (1) when its colour equals `rgbColour`
// (0x00BBGGRR) in red, green and blue, otherwise black (0). The result has the black-and-white
// table (biClrUsed 2). `dst` is written only when the conversion succeeds.

#include <cstdint>

#include "dib/PxDIBInfos.h"

namespace vlz {

// 24-bit source; EPxDIBBadDIBType "ConvertTrueColorTo1BitRGB: Invalid Bitcount" otherwise.
void ConvertTrueColorTo1BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, std::uint32_t rgbColour,
                               bool useFileMapping);
// 8-bit BI_RGB source, matched through its colour table; EPxDIBBadDIBType
// "Convert8BitTo1BitRGB: Invalid Bitcount or Compression" otherwise.
void Convert8BitTo1BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, std::uint32_t rgbColour,
                          bool useFileMapping);
// 4-bit BI_RGB source, matched through its colour table; EPxDIBBadDIBType
// "Convert4BitRGBTo1BitRGB: Invalid Bitcount" otherwise.
void Convert4BitRGBTo1BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, std::uint32_t rgbColour,
                             bool useFileMapping);

}  // namespace vlz
