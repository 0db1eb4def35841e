// The copies that run on every animation tick, each next to a plain memcpy of the same bytes,
// and the drawing of compressed pictures.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/StretchDIBits.h"
#include "notes/core/NoteLayout.h"

namespace vlz {
namespace {

// A frame as large as the note's character box.
constexpr int FrameWidth = CharacterBoxWidth;
constexpr int FrameHeight = CharacterBoxHeight;
constexpr int FrameCount = 4;

void FillNoise(TBitmap& bitmap, std::uint32_t seed) {
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (std::int64_t i = 0; i < bitmap.Stride(); ++i) {
            seed = seed * 1103515245 + 12345;
            row[i] = static_cast<std::uint8_t>(seed >> 16);
        }
    }
}

// The sprite's transparent draw: SRCAND of the mask, then SRCPAINT of the picture, of one frame
// out of a sheet into the 68 × 89 composition buffer.
void SpriteTransparentDraw(benchmark::State& state) {
    TBitmap image(FrameWidth * FrameCount, FrameHeight), mask(FrameWidth * FrameCount, FrameHeight);
    TBitmap buffer(FrameWidth, FrameHeight);
    FillNoise(image, 1);
    FillNoise(mask, 2);
    FillNoise(buffer, 3);
    TCanvas& canvas = buffer.Canvas();
    int frame = 0;
    for (auto _ : state) {
        TRect source = Bounds((frame++ % FrameCount) * FrameWidth, 0, FrameWidth, FrameHeight);
        TRect target = Rect(0, 0, FrameWidth, FrameHeight);
        canvas.CopyMode = SRCAND;
        canvas.CopyRect(target, mask.Canvas(), source);
        canvas.CopyMode = SRCPAINT;
        canvas.CopyRect(target, image.Canvas(), source);
        canvas.CopyMode = SRCCOPY;
        benchmark::DoNotOptimize(buffer.ScanLine(0));
    }
    state.SetBytesProcessed(state.iterations() * 2 * FrameHeight * FrameWidth * 3);
}
BENCHMARK(SpriteTransparentDraw);

// Baseline: the same rows moved twice with memcpy.
void SpriteBaselineMemcpy(benchmark::State& state) {
    TBitmap image(FrameWidth * FrameCount, FrameHeight), buffer(FrameWidth, FrameHeight);
    int frame = 0;
    for (auto _ : state) {
        int column = (frame++ % FrameCount) * FrameWidth * 3;
        for (int pass = 0; pass < 2; ++pass) {
            for (int y = 0; y < FrameHeight; ++y) {
                std::memcpy(buffer.ScanLine(y), image.ScanLine(y) + column, FrameWidth * 3);
            }
        }
        benchmark::DoNotOptimize(buffer.ScanLine(0));
    }
    state.SetBytesProcessed(state.iterations() * 2 * FrameHeight * FrameWidth * 3);
}
BENCHMARK(SpriteBaselineMemcpy);

constexpr int LargeSide = 4096;

BITMAPINFOHEADER BottomUpHeader(int width, int height, int bitCount,
                                std::uint32_t compression = BI_RGB) {
    BITMAPINFOHEADER header;
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<std::uint16_t>(bitCount);
    header.biCompression = compression;
    return header;
}

// A 1:1 StretchDIBits of a bottom-up 4096 × 4096 24-bit image into a top-down bitmap.
void StretchDIBitsOneToOne(benchmark::State& state) {
    BITMAPINFOHEADER header = BottomUpHeader(LargeSide, LargeSide, 24);
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(DibStride(24, LargeSide)) * LargeSide,
                                   0x5A);
    TBitmap target(LargeSide, LargeSide);
    for (auto _ : state) {
        StretchDIBits(target.Surface(), 0, 0, LargeSide, LargeSide, 0, 0, LargeSide, LargeSide,
                      bits.data(), BitmapInfoView{&header, nullptr}, SRCCOPY);
        benchmark::DoNotOptimize(target.ScanLine(0));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bits.size()));
}
BENCHMARK(StretchDIBitsOneToOne)->Unit(benchmark::kMillisecond);

void StretchBaselineMemcpy(benchmark::State& state) {
    std::size_t size = static_cast<std::size_t>(DibStride(24, LargeSide)) * LargeSide;
    std::vector<std::uint8_t> from(size, 0x5A), to(size, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), size);
        benchmark::DoNotOptimize(to.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}
BENCHMARK(StretchBaselineMemcpy)->Unit(benchmark::kMillisecond);

// RLE8 data of a `width` × `height` picture: on every line short runs and literals in turn.
std::vector<std::uint8_t> RleLines(int width, int height) {
    std::vector<std::uint8_t> codes;
    std::uint32_t seed = 7;
    for (int line = 0; line < height; ++line) {
        for (int x = 0; x < width;) {
            seed = seed * 1103515245 + 12345;
            int length = std::min(width - x, 3 + static_cast<int>(seed >> 16) % 14);
            if (((seed >> 12) & 1) != 0 || length < 3) {  // a literal needs three pixels
                codes.insert(codes.end(), {static_cast<std::uint8_t>(length),
                                           static_cast<std::uint8_t>(seed >> 20)});
            } else {
                codes.insert(codes.end(), {0, static_cast<std::uint8_t>(length)});
                for (int i = 0; i < length + (length & 1); ++i) {
                    codes.push_back(static_cast<std::uint8_t>(seed >> (i % 16)));
                }
            }
            x += length;
        }
        codes.insert(codes.end(), {0, 0});
    }
    codes.insert(codes.end(), {0, 1});
    return codes;
}

// Drawing a compressed 640 × 480 picture into a 24-bit bitmap at full size (0) or at half size
// (1), as a TPxDIB of it draws on a canvas.
void StretchDIBitsRle8(benchmark::State& state) {
    constexpr int Width = 640, Height = 480;
    std::vector<std::uint8_t> codes = RleLines(Width, Height);
    BITMAPINFOHEADER header = BottomUpHeader(Width, Height, 8, BI_RLE8);
    header.biSizeImage = static_cast<std::uint32_t>(codes.size());
    std::vector<RGBQUAD> colors(256);
    for (int i = 0; i < 256; ++i) {
        colors[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i),
                                               static_cast<std::uint8_t>(255 - i), 128, 0};
    }
    int divisor = state.range(0) != 0 ? 2 : 1;
    TBitmap target(Width / divisor, Height / divisor);
    for (auto _ : state) {
        StretchDIBits(target.Surface(), 0, 0, Width / divisor, Height / divisor, 0, 0, Width,
                      Height, codes.data(), BitmapInfoView{&header, colors.data()}, SRCCOPY);
        benchmark::DoNotOptimize(target.ScanLine(0));
    }
    state.SetItemsProcessed(state.iterations() * Width * Height);
}
BENCHMARK(StretchDIBitsRle8)->ArgName("half")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vlz

BENCHMARK_MAIN();
