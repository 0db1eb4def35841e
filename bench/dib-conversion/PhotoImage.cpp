#include "PhotoImage.h"

#include <cmath>
#include <map>
#include <utility>

namespace vlz::bench {
namespace {

std::uint8_t Clamp(double value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : std::lround(value));
}

// A small xorshift generator, so the picture is the same on every machine and library version.
struct TNoise {
    std::uint32_t State = 2463534242u;
    int Next(int amplitude) {
        State ^= State << 13;
        State ^= State >> 17;
        State ^= State << 5;
        return static_cast<int>(State % (2 * amplitude + 1)) - amplitude;
    }
};

TPxDIBInfos MakePhoto(int width, int height) {
    TPxDIBInfos infos;
    infos.Header.biSize = 40;
    infos.Header.biWidth = width;
    infos.Header.biHeight = height;
    infos.Header.biPlanes = 1;
    infos.Header.biBitCount = 24;
    infos.Header.biCompression = BI_RGB;
    const std::int64_t stride = DibStride(24, width);
    infos.ImageSize = static_cast<std::int32_t>(stride * height);
    GetMemory(infos.ImageSize, infos.MappingHandle, infos.Bits, false);

    TNoise noise;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* pixel = infos.Bits + y * stride;
        const double v = static_cast<double>(y) / height;
        for (int x = 0; x < width; ++x, pixel += 3) {
            const double u = static_cast<double>(x) / width;
            // Sky-like and ground-like gradients with slow waves.
            double red = 60 + 150 * u + 30 * std::sin(6.0 * v + 3.0 * u);
            double green = 90 + 120 * v + 25 * std::cos(5.0 * u - 2.0 * v);
            double blue = 200 - 140 * v * u + 35 * std::sin(9.0 * u * v);
            // A sun, a lake and a house.
            const double sun = std::hypot(u - 0.75, v - 0.8);
            if (sun < 0.08) {
                red = 250, green = 220 - 300 * sun, blue = 120;
            }
            if (std::hypot((u - 0.3) * 0.6, v - 0.2) < 0.12) {
                red *= 0.3, green *= 0.6, blue = 180 + 60 * u;
            }
            if (u > 0.45 && u < 0.6 && v > 0.15 && v < 0.4) {
                red = 150, green = 60, blue = 40;
            }
            pixel[0] = Clamp(blue + noise.Next(6));
            pixel[1] = Clamp(green + noise.Next(6));
            pixel[2] = Clamp(red + noise.Next(6));
        }
    }
    return infos;
}

RGBQUAD ColorAt(const TPxDIBInfos& image, int x, int y) {
    const std::int64_t stride = DibStride(image.Header.biBitCount, image.Header.biWidth);
    const std::uint8_t* row = image.Bits + y * stride;
    switch (image.Header.biBitCount) {
        case 24:
            return {row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
        case 8:
            return image.Colors[row[x]];
        case 4:
            return image.Colors[x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4];
        default:
            return image.Colors[(row[x / 8] >> (7 - x % 8)) & 1];
    }
}

}  // namespace

const TPxDIBInfos& PhotoImage(int width, int height) {
    static std::map<std::pair<int, int>, TPxDIBInfos> images;
    auto found = images.find({width, height});
    if (found == images.end()) {
        found = images.emplace(std::make_pair(width, height), MakePhoto(width, height)).first;
    }
    return found->second;
}

double MeanSquaredError(const TPxDIBInfos& original, const TPxDIBInfos& image) {
    double total = 0;
    const int width = original.Header.biWidth;
    const int height = std::abs(original.Header.biHeight);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const RGBQUAD a = ColorAt(original, x, y);
            const RGBQUAD b = ColorAt(image, x, y);
            const double dr = a.rgbRed - b.rgbRed, dg = a.rgbGreen - b.rgbGreen,
                         db = a.rgbBlue - b.rgbBlue;
            total += dr * dr + dg * dg + db * db;
        }
    }
    return total / (3.0 * width * height);
}

}  // namespace vlz::bench
