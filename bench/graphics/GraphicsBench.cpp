// The copies that run on every animation tick, each next to a plain memcpy of the same bytes.

#include <benchmark/benchmark.h>

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

// A 1:1 StretchDIBits of a bottom-up 4096 × 4096 24-bit image into a top-down bitmap.
void StretchDIBitsOneToOne(benchmark::State& state) {
    BITMAPINFOHEADER header;
    header.biSize = 40;
    header.biWidth = LargeSide;
    header.biHeight = LargeSide;
    header.biPlanes = 1;
    header.biBitCount = 24;
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

}  // namespace
}  // namespace vlz

BENCHMARK_MAIN();
