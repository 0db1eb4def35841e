#pragma once
// The plain record that every codec and converter of the library reads and fills, and the pixel
// formats the library holds in memory.

#include <cstddef>
#include <cstdint>

#include "dib/PxMemory.h"
#include "graphics/BitmapInfo.h"

namespace vlz {

// 256 palette entries, plus room for a BI_BITFIELDS header's three masks in front of a full
// palette, plus one spare.
constexpr int DibColorTableEntries = 260;

struct TPxDIBInfos {
    std::int32_t ImageSize = 0;  // byte size of the block at Bits
    // The section behind Bits; NoMapping for heap memory. The type is qualified because the
    // field shares its name.
    vlz::MappingHandle MappingHandle = NoMapping;
    std::uint8_t* Bits = nullptr;
    BITMAPINFOHEADER Header;  // biSize is always 40 in memory
    RGBQUAD Colors[DibColorTableEntries];

    BitmapInfoView Info() const { return {&Header, Colors}; }
};

static_assert(offsetof(TPxDIBInfos, Colors) == offsetof(TPxDIBInfos, Header) + 40,
              "the colour table follows the header directly, as in a BITMAPINFO");

enum TPxPixelFormat : std::uint8_t {
    pf1Bit = 0,
    pf4Bit = 1,
    pf4BitRLE = 2,
    pf8Bit = 3,
    pf8BitRLE = 4,
    pf24Bit = 5,
    // Conversion targets only; never the result of GetPixelFormat.
    pf8BitHalftone = 6,
    pf1BitMonochrome = 7,
};

}  // namespace vlz
