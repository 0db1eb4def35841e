#pragma once
// Block copies with a raster operation, over DIB surfaces. A raster operation is a ternary code:
// its third byte is the truth table of the result over pattern (brush), source and destination,
// with pattern = 0xF0, source = 0xCC and destination = 0xAA. On paletted targets the operation
// works on colour-table indices, as display drivers do for device-independent sections.

#include <cstdint>

#include "graphics/Color.h"
#include "graphics/Surface.h"

namespace vlz {

constexpr std::uint32_t SRCCOPY = 0x00CC0020;      // source
constexpr std::uint32_t SRCPAINT = 0x00EE0086;     // source OR destination
constexpr std::uint32_t SRCAND = 0x008800C6;       // source AND destination
constexpr std::uint32_t SRCINVERT = 0x00660046;    // source XOR destination
constexpr std::uint32_t SRCERASE = 0x00440328;     // source AND NOT destination
constexpr std::uint32_t NOTSRCCOPY = 0x00330008;   // NOT source
constexpr std::uint32_t NOTSRCERASE = 0x001100A6;  // NOT (source OR destination)
constexpr std::uint32_t MERGEPAINT = 0x00BB0226;   // NOT source OR destination
constexpr std::uint32_t PATCOPY = 0x00F00021;      // brush
constexpr std::uint32_t DSTINVERT = 0x00550009;    // NOT destination
constexpr std::uint32_t BLACKNESS = 0x00000042;
constexpr std::uint32_t WHITENESS = 0x00FF0062;

constexpr std::uint8_t RopCode(std::uint32_t rop) {
    return static_cast<std::uint8_t>(rop >> 16);
}
constexpr bool RopUsesSource(std::uint32_t rop) {
    return ((RopCode(rop) >> 2) & 0x33) != (RopCode(rop) & 0x33);
}
constexpr bool RopUsesDestination(std::uint32_t rop) {
    return ((RopCode(rop) >> 1) & 0x55) != (RopCode(rop) & 0x55);
}

// The result of a raster operation on raw values (not masked to any pixel size).
std::uint32_t ApplyRop(std::uint8_t code, std::uint32_t pattern, std::uint32_t source,
                       std::uint32_t destination);

// Combines `count` translated source values into destination values in place.
void CombineRow(std::uint8_t code, std::uint32_t pattern, const std::uint32_t* source,
                std::uint32_t* destination, int count);

// Copies the width × height block at (sourceX, sourceY) of `source` to (x, y) of `target` through
// `rop`; `pattern` is the brush colour for operations that use one. Only the part that lies within
// both surfaces is drawn. `source` may be null when the operation does not use it, and may be the
// target itself (overlapping blocks are copied as if through a temporary). Returns false when a
// surface it needs is not drawable.
bool BitBlt(const TDibSurface& target, int x, int y, int width, int height,
            const TDibSurface* source, int sourceX, int sourceY, std::uint32_t rop,
            TColor pattern = clBlack);

}  // namespace vlz
