// appicon ART.txt SIZE OUT.png: the program's desktop icon at SIZE × SIZE pixels, made from the
// tray icon's pixel art (see graphics/PixelArt.h). The art is enlarged by the largest whole factor
// that fits, each pixel becoming a square block, and centred on a transparent square, so that every
// size keeps the art's crisp edges and its own colours.

#include <QImage>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <string_view>
#include <vector>

#include "graphics/PixelArt.h"
#include "platform/Stream.h"

namespace {

QImage MakeIcon(const vlz::TPixelArt& art, int size) {
    const int width = art.PictureWidth();
    const int height = art.PictureHeight();
    const std::vector<std::uint32_t> pixels = art.PictureArgb();
    const int factor = std::max(1, std::min(size / width, size / height));
    const int left = (size - width * factor) / 2;
    const int top = (size - height * factor) / 2;
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int column = (x - left) / factor;
            const int row = (y - top) / factor;
            if (x >= left && y >= top && column < width && row < height) {
                icon.setPixel(x, y, pixels[static_cast<std::size_t>(row * width + column)]);
            }
        }
    }
    return icon;
}

}  // namespace

int main(int argc, char** argv) {
    int size = 0;
    const std::string_view sizeText = argc == 4 ? argv[2] : "";
    const char* const last = sizeText.data() + sizeText.size();
    const auto [end, error] = std::from_chars(sizeText.data(), last, size);
    if (argc != 4 || error != std::errc{} || end != last || size < 1 || size > 1024) {
        std::cerr << "usage: appicon ART.txt SIZE OUT.png (SIZE 1 to 1024)\n";
        return 2;
    }
    try {
        const std::vector<std::uint8_t> text = vlz::ReadWholeFile(argv[1]);
        const vlz::TPixelArt art = vlz::ParsePixelArt(
            std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
        if (art.PictureWidth() == 0 || art.PictureWidth() > size || art.PictureHeight() > size) {
            std::cerr << "appicon: " << argv[1] << ": the art does not fit " << size << " pixels\n";
            return 1;
        }
        if (!MakeIcon(art, size).save(QString::fromLocal8Bit(argv[3]), "PNG")) {
            std::cerr << "appicon: cannot write " << argv[3] << '\n';
            return 1;
        }
    } catch (const std::exception& failure) {
        std::cerr << "appicon: " << argv[1] << ": " << failure.what() << '\n';
        return 1;
    }
    return 0;
}
