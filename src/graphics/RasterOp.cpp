#include "graphics/RasterOp.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/PixelTranslation.h"

namespace vlz {
namespace {

// Clips a block against both surfaces; false when nothing is left.
bool ClipBlock(int targetWidth, int targetHeight, int sourceWidth, int sourceHeight, int& x, int& y,
               int& width, int& height, int& sourceX, int& sourceY) {
    auto clipAxis = [](int limit, int sourceLimit, int& start, int& sourceStart, int& length) {
        if (start < 0) {
            sourceStart -= start;
            length += start;
            start = 0;
        }
        if (sourceStart < 0) {
            start -= sourceStart;
            length += sourceStart;
            sourceStart = 0;
        }
        length = std::min({length, limit - start, sourceLimit - sourceStart});
        return length > 0;
    };
    return clipAxis(targetWidth, sourceWidth, x, sourceX, width) &&
           clipAxis(targetHeight, sourceHeight, y, sourceY, height);
}

bool SameColorTable(const TDibSurface& a, const TDibSurface& b) {
    int count = a.ColorCount();
    return count == b.ColorCount() && std::equal(a.Colors, a.Colors + count, b.Colors);
}

// Byte-wise operations on whole rows, eight bytes at a time: the animation's per-tick copies.
template <typename Operation>
void CombineBytes(const std::uint8_t* source, std::uint8_t* target, std::size_t count,
                  Operation operation) {
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t s, d;
        std::memcpy(&s, source + i, 8);
        std::memcpy(&d, target + i, 8);
        d = operation(s, d);
        std::memcpy(target + i, &d, 8);
    }
    for (; i < count; ++i) {
        target[i] = static_cast<std::uint8_t>(operation(source[i], target[i]));
    }
}

bool FastRowCopy(const TDibSurface& target, int x, int y, int width, int height,
                 const TDibSurface& source, int sourceX, int sourceY, std::uint8_t code) {
    int bits = target.BitCount();
    if (bits != source.BitCount() || (bits != 24 && bits != 8)) {
        return false;
    }
    if (code != 0xCC && code != 0x88 && code != 0xEE && code != 0x66) {
        return false;
    }
    if (bits == 8 && !SameColorTable(target, source)) {
        return false;
    }
    bool sameMemory = target.Bits == source.Bits;
    if (sameMemory && code != 0xCC) {
        return false;  // in-place AND/OR/XOR of overlapping rows goes the careful way
    }
    std::size_t bytesPerPixel = static_cast<std::size_t>(bits / 8);
    std::size_t count = bytesPerPixel * static_cast<std::size_t>(width);
    bool downwards = sameMemory && y > sourceY;
    for (int i = 0; i < height; ++i) {
        int row = downwards ? height - 1 - i : i;
        const std::uint8_t* from =
            source.ScanLine(sourceY + row) + bytesPerPixel * static_cast<std::size_t>(sourceX);
        std::uint8_t* to = target.ScanLine(y + row) + bytesPerPixel * static_cast<std::size_t>(x);
        switch (code) {
            case 0xCC:
                std::memmove(to, from, count);
                break;
            case 0x88:
                CombineBytes(from, to, count,
                             [](std::uint64_t s, std::uint64_t d) { return s & d; });
                break;
            case 0xEE:
                CombineBytes(from, to, count,
                             [](std::uint64_t s, std::uint64_t d) { return s | d; });
                break;
            default:
                CombineBytes(from, to, count,
                             [](std::uint64_t s, std::uint64_t d) { return s ^ d; });
                break;
        }
    }
    return true;
}

}  // namespace

std::uint32_t ApplyRop(std::uint8_t code, std::uint32_t pattern, std::uint32_t source,
                       std::uint32_t destination) {
    std::uint32_t result = 0;
    for (int term = 0; term < 8; ++term) {
        if (code & (1 << term)) {
            result |= ((term & 4) ? pattern : ~pattern) & ((term & 2) ? source : ~source) &
                      ((term & 1) ? destination : ~destination);
        }
    }
    return result;
}

void CombineRow(std::uint8_t code, std::uint32_t pattern, const std::uint32_t* source,
                std::uint32_t* destination, int count) {
    switch (code) {
        case 0xCC:
            std::copy_n(source, count, destination);
            break;
        case 0x88:
            for (int i = 0; i < count; ++i) {
                destination[i] &= source[i];
            }
            break;
        case 0xEE:
            for (int i = 0; i < count; ++i) {
                destination[i] |= source[i];
            }
            break;
        case 0x66:
            for (int i = 0; i < count; ++i) {
                destination[i] ^= source[i];
            }
            break;
        default:
            for (int i = 0; i < count; ++i) {
                destination[i] = ApplyRop(code, pattern, source ? source[i] : 0, destination[i]);
            }
            break;
    }
}

bool BitBlt(const TDibSurface& target, int x, int y, int width, int height,
            const TDibSurface* source, int sourceX, int sourceY, std::uint32_t rop,
            TColor pattern) {
    if (!target.IsDrawable()) {
        return false;
    }
    bool usesSource = RopUsesSource(rop);
    if (usesSource && (source == nullptr || !source->IsDrawable())) {
        return false;
    }
    int sourceWidth = usesSource ? source->Width() : INT32_MAX;
    int sourceHeight = usesSource ? source->Height() : INT32_MAX;
    if (!usesSource) {
        sourceX = sourceY = 0;
    }
    if (!ClipBlock(target.Width(), target.Height(), sourceWidth, sourceHeight, x, y, width, height,
                   sourceX, sourceY)) {
        return true;
    }
    std::uint8_t code = RopCode(rop);
    if (usesSource && FastRowCopy(target, x, y, width, height, *source, sourceX, sourceY, code)) {
        return true;
    }

    std::uint32_t mask = target.BitCount() == 24 ? 0xFFFFFF : (1u << target.BitCount()) - 1;
    std::uint32_t patternValue = ColorToPixel(target, pattern);
    std::vector<std::uint32_t> sourceRow(usesSource ? static_cast<std::size_t>(width) : 0);
    std::vector<std::uint32_t> targetRow(static_cast<std::size_t>(width));
    // A later source row must not be overwritten before it is read.
    bool downwards = usesSource && source->Bits == target.Bits && y > sourceY;
    TPixelTranslation translate(usesSource ? source->BitCount() : 24,
                                usesSource ? source->Colors : nullptr,
                                usesSource ? source->ColorCount() : 0, target);
    for (int i = 0; i < height; ++i) {
        int row = downwards ? height - 1 - i : i;
        if (usesSource) {
            ReadRow(*source, sourceY + row, sourceX, width, sourceRow.data());
            translate.TranslateRow(sourceRow.data(), width);
        }
        ReadRow(target, y + row, x, width, targetRow.data());
        CombineRow(code, patternValue, usesSource ? sourceRow.data() : nullptr, targetRow.data(),
                   width);
        for (auto& value : targetRow) {
            value &= mask;
        }
        WriteRow(target, y + row, x, width, targetRow.data());
    }
    return true;
}

}  // namespace vlz
