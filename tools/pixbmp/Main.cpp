// pixbmp IN.txt OUT.bmp: turns text pixel art (see graphics/PixelArt.h) into a 24-bit BMP.

#include <iostream>
#include <string_view>

#include "graphics/Bitmap.h"
#include "graphics/PixelArt.h"
#include "platform/Stream.h"

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
        const std::vector<TPixelArtColour> picture = art.Picture();
        TBitmap bitmap(art.PictureWidth(), art.PictureHeight(), TPixelFormat::pf24bit);
        for (int y = 0; y < bitmap.Height(); ++y) {
            std::uint8_t* pixel = bitmap.ScanLine(y);
            for (int x = 0; x < bitmap.Width(); ++x) {
                const TPixelArtColour& colour =
                    picture[static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap.Width()) +
                            static_cast<std::size_t>(x)];
                *pixel++ = colour.Blue;
                *pixel++ = colour.Green;
                *pixel++ = colour.Red;
            }
        }
        bitmap.SaveToFile(argv[2]);
    } catch (const std::exception& error) {
        std::cerr << "pixbmp: " << argv[1] << ": " << error.what() << '\n';
        return 1;
    }
    return 0;
}
