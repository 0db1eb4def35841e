#include "graphics/Surface.h"

#include <cstdlib>

namespace vlz {

bool TDibSurface::IsDrawable() const {
    if (Header == nullptr || Bits == nullptr || Header->biCompression != BI_RGB) {
        return false;
    }
    int bits = Header->biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) {
        return false;
    }
    return Header->biWidth > 0 && Header->biHeight != 0 && (bits == 24 || Colors != nullptr);
}

int TDibSurface::Height() const {
    if (Header == nullptr) {
        return 0;
    }
    // INT32_MIN has no absolute value; no real surface is that tall.
    return Header->biHeight == INT32_MIN ? 0 : std::abs(Header->biHeight);
}

std::uint8_t* TDibSurface::ScanLine(int y) const {
    std::int64_t row = Header->biHeight > 0 ? Header->biHeight - 1 - y : y;
    return Bits + row * Stride();
}

int TDibSurface::ColorCount() const {
    return Header ? ColorTableSize(*Header) : 0;
}

int ColorTableSize(const BITMAPINFOHEADER& header) {
    int full = header.biBitCount <= 8 ? 1 << header.biBitCount : 0;
    if (header.biClrUsed == 0) {
        return full;
    }
    return header.biClrUsed > 256 ? 256 : static_cast<int>(header.biClrUsed);
}

std::uint32_t ReadPixel(const TDibSurface& surface, int x, int y) {
    const std::uint8_t* row = surface.ScanLine(y);
    switch (surface.Header->biBitCount) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        case 8:
            return row[x];
        default: {
            const std::uint8_t* pixel = row + 3 * static_cast<std::int64_t>(x);
            return pixel[0] | (pixel[1] << 8) | (pixel[2] << 16);
        }
    }
}

void WritePixel(const TDibSurface& surface, int x, int y, std::uint32_t value) {
    std::uint8_t* row = surface.ScanLine(y);
    switch (surface.Header->biBitCount) {
        case 1: {
            std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
            row[x >> 3] = (value & 1) ? row[x >> 3] | mask : row[x >> 3] & ~mask;
            break;
        }
        case 4: {
            std::uint8_t& byte = row[x >> 1];
            byte = (x & 1) ? (byte & 0xF0) | (value & 0x0F) : (byte & 0x0F) | ((value & 0x0F) << 4);
            break;
        }
        case 8:
            row[x] = static_cast<std::uint8_t>(value);
            break;
        default: {
            std::uint8_t* pixel = row + 3 * static_cast<std::int64_t>(x);
            pixel[0] = static_cast<std::uint8_t>(value);
            pixel[1] = static_cast<std::uint8_t>(value >> 8);
            pixel[2] = static_cast<std::uint8_t>(value >> 16);
            break;
        }
    }
}

void ReadRow(const TDibSurface& surface, int y, int x, int count, std::uint32_t* values) {
    const std::uint8_t* row = surface.ScanLine(y);
    switch (surface.Header->biBitCount) {
        case 8:
            for (int i = 0; i < count; ++i) {
                values[i] = row[x + i];
            }
            break;
        case 24: {
            const std::uint8_t* pixel = row + 3 * static_cast<std::int64_t>(x);
            for (int i = 0; i < count; ++i, pixel += 3) {
                values[i] = pixel[0] | (pixel[1] << 8) | (pixel[2] << 16);
            }
            break;
        }
        default:
            for (int i = 0; i < count; ++i) {
                values[i] = ReadPixel(surface, x + i, y);
            }
            break;
    }
}

void WriteRow(const TDibSurface& surface, int y, int x, int count, const std::uint32_t* values) {
    std::uint8_t* row = surface.ScanLine(y);
    switch (surface.Header->biBitCount) {
        case 8:
            for (int i = 0; i < count; ++i) {
                row[x + i] = static_cast<std::uint8_t>(values[i]);
            }
            break;
        case 24: {
            std::uint8_t* pixel = row + 3 * static_cast<std::int64_t>(x);
            for (int i = 0; i < count; ++i, pixel += 3) {
                pixel[0] = static_cast<std::uint8_t>(values[i]);
                pixel[1] = static_cast<std::uint8_t>(values[i] >> 8);
                pixel[2] = static_cast<std::uint8_t>(values[i] >> 16);
            }
            break;
        }
        default:
            for (int i = 0; i < count; ++i) {
                WritePixel(surface, x + i, y, values[i]);
            }
            break;
    }
}

std::uint32_t NearestColorIndex(const RGBQUAD* colors, int count, TColor rgb) {
    int red = GetRValue(rgb), green = GetGValue(rgb), blue = GetBValue(rgb);
    std::uint32_t best = 0;
    int bestDistance = INT32_MAX;
    for (int i = 0; i < count; ++i) {
        int dr = colors[i].rgbRed - red, dg = colors[i].rgbGreen - green,
            db = colors[i].rgbBlue - blue;
        int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<std::uint32_t>(i);
            if (distance == 0) {
                break;
            }
        }
    }
    return best;
}

std::uint32_t ColorToPixel(const TDibSurface& surface, TColor color) {
    TColor rgb = ColorToRGB(color);
    if (surface.BitCount() == 24) {
        return static_cast<std::uint32_t>(GetBValue(rgb) | (GetGValue(rgb) << 8) |
                                          (GetRValue(rgb) << 16));
    }
    return NearestColorIndex(surface.Colors, surface.ColorCount(), rgb);
}

TColor PixelToColor(const TDibSurface& surface, std::uint32_t value) {
    if (surface.BitCount() == 24) {
        return RGB(static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                   static_cast<std::uint8_t>(value));
    }
    if (value >= static_cast<std::uint32_t>(surface.ColorCount())) {
        return clBlack;
    }
    const RGBQUAD& entry = surface.Colors[value];
    return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
}

}  // namespace vlz
