// pixbmp IN.txt OUT.bmp: turns text pixel art (see PixelArt.h) into a 24-bit BMP.

#include <iostream>

#include "PixelArt.h"
#include "platform/Stream.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: pixbmp ART.txt OUT.bmp\n";
        return 2;
    }
    try {
        std::vector<std::uint8_t> text = vlz::ReadWholeFile(argv[1]);
        vlz::PixelArt art = vlz::ParsePixelArt(std::string(text.begin(), text.end()));
        std::vector<std::uint8_t> bmp =
            vlz::EncodeBmp24(art.PictureWidth(), art.PictureHeight(), art.Picture());
        vlz::TFileStream out(argv[2], vlz::TFileStream::Mode::Create);
        out.WriteBuffer(bmp.data(), bmp.size());
    } catch (const std::exception& error) {
        std::cerr << "pixbmp: " << argv[1] << ": " << error.what() << '\n';
        return 1;
    }
    return 0;
}
