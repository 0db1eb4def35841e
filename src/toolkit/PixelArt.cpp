#include "toolkit/PixelArt.h"

#include <array>
#include <optional>
#include <string>

#include "platform/Exception.h"

namespace vlz {

namespace {

std::optional<std::uint32_t> ParseColour(std::string_view value) {
    if (value == "transparent") {
        return 0u;
    }
    if (value.size() != 6) {
        return std::nullopt;
    }
    std::uint32_t rgb = 0;
    for (const char digit : value) {
        int nibble = 0;
        if (digit >= '0' && digit <= '9') {
            nibble = digit - '0';
        } else if (digit >= 'A' && digit <= 'F') {
            nibble = digit - 'A' + 10;
        } else if (digit >= 'a' && digit <= 'f') {
            nibble = digit - 'a' + 10;
        } else {
            return std::nullopt;
        }
        rgb = (rgb << 4) | static_cast<std::uint32_t>(nibble);
    }
    return 0xFF000000u | rgb;
}

}  // namespace

TPixelArt ParsePixelArt(std::string_view text) {
    std::array<std::optional<std::uint32_t>, 256> legend{};
    TPixelArt art;
    int lineNumber = 0;
    bool inRows = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto fail = [&](const char* why) {
            throw Exception("pixel art line " + std::to_string(lineNumber) + ": " + why);
        };
        if (!inRows && line.size() >= 3 && line[1] == ' ') {
            const auto colour = ParseColour(line.substr(2));
            if (!colour) {
                fail("bad colour");
            }
            legend[static_cast<unsigned char>(line[0])] = colour;
            continue;
        }
        inRows = true;
        if (art.Width == 0) {
            art.Width = static_cast<int>(line.size());
        } else if (static_cast<int>(line.size()) != art.Width) {
            fail("row width differs from the first row");
        }
        for (const char symbol : line) {
            const auto& colour = legend[static_cast<unsigned char>(symbol)];
            if (!colour) {
                fail("character not in the legend");
            }
            art.Pixels.push_back(*colour);
        }
        ++art.Height;
    }
    return art;
}

}  // namespace vlz
