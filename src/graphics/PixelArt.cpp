#include "graphics/PixelArt.h"

#include <map>
#include <sstream>
#include <string>

namespace vlz {
namespace {

std::string StripComment(const std::string& line) {
    std::string result = line.substr(0, line.find('#'));
    while (!result.empty() &&
           (result.back() == ' ' || result.back() == '\t' || result.back() == '\r')) {
        result.pop_back();
    }
    return result;
}

[[noreturn]] void Fail(int lineNumber, const std::string& message) {
    throw EPixelArtError("line " + std::to_string(lineNumber) + ": " + message);
}

}  // namespace

int TPixelArt::PictureHeight() const {
    int rows = (static_cast<int>(Frames.size()) + Columns - 1) / Columns;
    return FrameHeight * rows;
}

std::vector<TPixelArtColour> TPixelArt::Picture() const {
    const int width = PictureWidth();
    std::vector<TPixelArtColour> picture(static_cast<std::size_t>(width) * PictureHeight(),
                                         Transparent);
    for (std::size_t n = 0; n < Frames.size(); ++n) {
        const int left = static_cast<int>(n) % Columns * FrameWidth;
        const int top = static_cast<int>(n) / Columns * FrameHeight;
        for (int y = 0; y < FrameHeight; ++y) {
            for (int x = 0; x < FrameWidth; ++x) {
                picture[static_cast<std::size_t>(top + y) * width + left + x] =
                    Frames[n][static_cast<std::size_t>(y) * FrameWidth + x];
            }
        }
    }
    return picture;
}

std::vector<std::uint32_t> TPixelArt::PictureArgb() const {
    std::vector<std::uint32_t> pixels;
    const std::vector<TPixelArtColour> picture = Picture();
    pixels.reserve(picture.size());
    for (const TPixelArtColour& colour : picture) {
        pixels.push_back(colour == Transparent
                             ? 0u
                             : 0xFF000000u | (static_cast<std::uint32_t>(colour.Red) << 16) |
                                   (static_cast<std::uint32_t>(colour.Green) << 8) | colour.Blue);
    }
    return pixels;
}

TPixelArt ParsePixelArt(std::string_view text) {
    TPixelArt art;
    std::map<char, TPixelArtColour> legend;
    char transparent = 0;
    std::istringstream input{std::string(text)};
    std::string raw;
    int lineNumber = 0;
    std::vector<TPixelArtColour>* frame = nullptr;
    int rowsLeft = 0;

    while (std::getline(input, raw)) {
        ++lineNumber;
        if (rowsLeft > 0) {
            std::string row = raw;
            while (!row.empty() && (row.back() == '\r' || row.back() == ' ')) {
                row.pop_back();
            }
            if (static_cast<int>(row.size()) != art.FrameWidth) {
                Fail(lineNumber, "a row needs " + std::to_string(art.FrameWidth) +
                                     " characters, this one has " + std::to_string(row.size()));
            }
            for (char c : row) {
                auto colour = legend.find(c);
                if (colour == legend.end()) {
                    Fail(lineNumber, std::string("'") + c + "' is not in the palette");
                }
                frame->push_back(colour->second);
            }
            --rowsLeft;
            continue;
        }
        std::istringstream words(StripComment(raw));
        std::string keyword;
        if (!(words >> keyword)) {
            continue;
        }
        if (keyword == "size") {
            if (!(words >> art.FrameWidth >> art.FrameHeight) || art.FrameWidth < 1 ||
                art.FrameHeight < 1 || art.FrameWidth > 4096 || art.FrameHeight > 4096) {
                Fail(lineNumber, "size needs a width and a height from 1 to 4096");
            }
        } else if (keyword == "columns") {
            if (!(words >> art.Columns) || art.Columns < 1) {
                Fail(lineNumber, "columns needs a number of at least 1");
            }
        } else if (keyword == "colour") {
            std::string symbol;
            std::string hex;
            if (!(words >> symbol >> hex) || symbol.size() != 1 || hex.size() != 6 ||
                hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
                Fail(lineNumber, "colour needs one character and RRGGBB");
            }
            auto value = static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
            TPixelArtColour colour{static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value)};
            if (legend.count(symbol[0]) != 0) {
                Fail(lineNumber, "'" + symbol + "' is in the palette twice");
            }
            if (transparent == 0) {
                transparent = symbol[0];
            } else if (colour == legend[transparent]) {
                Fail(lineNumber, "'" + symbol + "' has the transparent colour and would vanish");
            }
            legend[symbol[0]] = colour;
        } else if (keyword == "frame") {
            if (art.FrameWidth == 0 || legend.empty()) {
                Fail(lineNumber, "size and the palette come before the first frame");
            }
            art.Frames.emplace_back();
            frame = &art.Frames.back();
            rowsLeft = art.FrameHeight;
        } else {
            Fail(lineNumber, "unknown keyword '" + keyword + "'");
        }
    }
    if (rowsLeft > 0) {
        Fail(lineNumber, "the last frame ends " + std::to_string(rowsLeft) + " rows early");
    }
    if (art.Frames.empty()) {
        throw EPixelArtError("no frame");
    }
    if (!(art.Frames.front().front() == legend[transparent])) {
        throw EPixelArtError(
            "the first frame's top-left pixel must be the transparent colour (the first in the "
            "palette)");
    }
    if (art.Columns == 0) {
        art.Columns = static_cast<int>(art.Frames.size());
    }
    art.Transparent = legend[transparent];
    return art;
}

}  // namespace vlz
