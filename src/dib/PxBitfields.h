#pragma once
// 16- and 32-bit pixels never live in a store: while they are read they are expanded to 24 bits,
// each channel cut out by its mask and scaled to 0..255.

#include <cstdint>
#include <functional>

#include "dib/PxDIBInfos.h"

namespace vlz {

// Bytes per source row: 16-bit rows are padded to four bytes, 32-bit rows need no padding.
std::int64_t BitfieldSourceStride(std::uint16_t bitCount, std::int32_t width);

// Expands the 16/32-bit image described by `infos` (header and colour table read, no block yet)
// into a new 24-bit block owned by `infos`. `rowAt(r)` gives source row r, rows in memory order.
// The masks are the defaults for BI_RGB and colour-table entries 0..2 otherwise; a zero mask
// raises EPxDIBInvalidDIB "TPxInternalDIB.LoadFromStream: Invalid Masks". Top-down sources stay
// top-down. Afterwards the header says 24 bits, BI_RGB, and the masks have left the table.
// The caller has checked that the destination size (24-bit stride × rows) fits 32 bits.
void ExpandBitfieldsTo24Bit(TPxDIBInfos& infos,
                            const std::function<const std::uint8_t*(std::int32_t)>& rowAt,
                            bool useFileMapping);

}  // namespace vlz
