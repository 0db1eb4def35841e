// pixbmp IN.txt OUT.bmp: turns text pixel art (see graphics/PixelArt.h) into a 24-bit BMP.

#include <cstdint>
#include <iostream>
#include <string_view>
#include <vector>

#include "graphics/BitmapInfo.h"
#include "graphics/BmpHeaders.h"
#include "graphics/PixelArt.h"
#include "platform/LittleEndian.h"
#include "platform/Stream.h"

namespace vlz {
namespace {

// 72 dots per inch: what the characters' pictures have always said, so that a package built
// again holds the same bytes.
constexpr std::int32_t PelsPerMeter = 2835;

// A bottom-up 24-bit BMP file of the art's whole picture.
std::vector<std::uint8_t> BmpOfPicture(const TPixelArt& art) {
    const int width = art.PictureWidth();
    const int height = art.PictureHeight();
    const std::vector<TPixelArtColour> picture = art.Picture();
    const auto stride = static_cast<std::uint32_t>(DibStride(24, width));
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);

    BITMAPFILEHEADER file;
    file.bfType = BitmapFileType;
    file.bfOffBits = BitmapFileHeaderSize + BitmapInfoHeaderSize;
    file.bfSize = file.bfOffBits + imageSize;
    BITMAPINFOHEADER info;
    info.biSize = BitmapInfoHeaderSize;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageSize;
    info.biXPelsPerMeter = PelsPerMeter;
    info.biYPelsPerMeter = PelsPerMeter;

    std::vector<std::uint8_t> bytes;
    bytes.reserve(file.bfSize);
    TLittleEndianWriter writer(bytes);
    WriteFileHeader(writer, file);
    WriteInfoHeader(writer, info);
    for (int y = height - 1; y >= 0; --y) {
        const std::size_t rowStart = bytes.size();
        const TPixelArtColour* row =
            picture.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x) {
            writer.U8(row[x].Blue);
            writer.U8(row[x].Green);
            writer.U8(row[x].Red);
        }
        bytes.resize(rowStart + stride, 0);
    }
    return bytes;
}

}  // namespace
}  // namespace vlz

int main(int argc, char** argv) {
    using namespace vlz;
    if (argc != 3) {
        std::cerr << "usage: pixbmp ART.txt OUT.bmp\n";
        return 2;
    }
    try {
        const std::vector<std::uint8_t> text = ReadWholeFile(argv[1]);
        const TPixelArt art = ParsePixelArt(
            std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
        const std::vector<std::uint8_t> bmp = BmpOfPicture(art);
        TFileStream out(argv[2], TFileStream::Mode::Create);
        out.WriteBuffer(bmp.data(), bmp.size());
    } catch (const std::exception& error) {
        std::cerr << "pixbmp: " << argv[1] << ": " << error.what() << '\n';
        return 1;
    }
    return 0;
}
