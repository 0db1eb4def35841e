// Draws arbitrary RLE8/RLE4 data, stretched, into a small bitmap. The first four bytes choose the
// depth, the picture's size and the target rectangle; the rest are the codes.
#include <cstddef>
#include <cstdint>

#include "graphics/Bitmap.h"
#include "graphics/StretchDIBits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    vlz::BITMAPINFOHEADER header;
    header.biSize = 40;
    header.biPlanes = 1;
    header.biBitCount = (data[0] & 1) ? 4 : 8;
    header.biCompression = header.biBitCount == 4 ? vlz::BI_RLE4 : vlz::BI_RLE8;
    header.biWidth = 1 + data[1] % 64;
    header.biHeight = 1 + data[2] % 64;
    header.biSizeImage = static_cast<std::uint32_t>(size - 4);
    vlz::RGBQUAD colors[256] = {};
    vlz::TBitmap target(16, 16,
                        (data[0] & 2) ? vlz::TPixelFormat::pf8bit : vlz::TPixelFormat::pf24bit);
    int scale = 1 + data[3] % 4;
    vlz::StretchDIBits(target.Surface(), -3, -2, header.biWidth * scale - 8,
                       header.biHeight * scale, 0, 0, header.biWidth, header.biHeight, data + 4,
                       vlz::BitmapInfoView{&header, colors}, vlz::SRCCOPY);
    return 0;
}
