// Speed and quality of the library's lossy conversions next to their peers, on one 4096 × 4096
// photo-like picture, all measured in the same run:
//   Low256, Low16    the low (colour-box) reducer vs libgd's palette conversion (goal: no slower)
//   High256, High16  the high (per-pixel) reducer vs libimagequant at speed 10 (goal: ≥ 6× faster
//                    at 256 colours, ≥ 5× at 16)
//   Halftone, Monochrome  the library's dithering vs a plain serpentine Floyd–Steinberg pass to
//                    the same palette (goal: no slower)
// Each benchmark reports the time per megapixel and MSE, the mean squared error per channel of
// its result against the original. Results go to heap memory for every contender.

#include <benchmark/benchmark.h>
#include <gd.h>
#include <libimagequant.h>

#include <algorithm>
#include <vector>

#include "PhotoImage.h"
#include "dib/PxColorReduction.h"
#include "dib/PxDithering.h"

namespace vlz::bench {
namespace {

constexpr int Side = 4096;
constexpr double Megapixels = Side * static_cast<double>(Side) / 1e6;

void Report(benchmark::State& state, double meanSquaredError) {
    state.counters["per_MP"] =
        benchmark::Counter(Megapixels * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["MSE"] = meanSquaredError;
}

// ---- The library ----

using Reducer = void (*)(const TPxDIBInfos&, TPxDIBInfos&, bool, const TPxProgressCallback&);
using Ditherer = void (*)(const TPxDIBInfos&, TPxDIBInfos&, bool);

void RunOurs(benchmark::State& state, const std::function<void(TPxDIBInfos&)>& convert) {
    const TPxDIBInfos& original = PhotoImage(Side, Side);
    TPxDIBInfos result;
    for (auto _ : state) {
        FreeMemory(result.MappingHandle, result.Bits, false);
        convert(result);
        benchmark::DoNotOptimize(result.Bits);
    }
    Report(state, MeanSquaredError(original, result));
    FreeMemory(result.MappingHandle, result.Bits, false);
}

void OurReducer(benchmark::State& state, Reducer reduce) {
    const TPxDIBInfos& original = PhotoImage(Side, Side);
    RunOurs(state, [&](TPxDIBInfos& result) { reduce(original, result, false, nullptr); });
}

void OurDitherer(benchmark::State& state, Ditherer dither) {
    const TPxDIBInfos& original = PhotoImage(Side, Side);
    RunOurs(state, [&](TPxDIBInfos& result) { dither(original, result, false); });
}

// ---- libgd: the classic median-cut palette conversion, without dithering ----

void Libgd(benchmark::State& state, int colors) {
    const TPxDIBInfos& original = PhotoImage(Side, Side);
    gdImagePtr image = gdImageCreateTrueColor(Side, Side);
    const std::int64_t stride = DibStride(24, Side);
    for (int y = 0; y < Side; ++y) {
        const std::uint8_t* pixel = original.Bits + (Side - 1 - y) * stride;  // gd is top-down
        for (int x = 0; x < Side; ++x, pixel += 3) {
            image->tpixels[y][x] = gdTrueColor(pixel[2], pixel[1], pixel[0]);
        }
    }
    gdImageTrueColorToPaletteSetMethod(image, GD_QUANT_JQUANT, 0);
    gdImagePtr palette = nullptr;
    for (auto _ : state) {
        if (palette != nullptr) {
            gdImageDestroy(palette);
        }
        palette = gdImageCreatePaletteFromTrueColor(image, 0, colors);
        benchmark::DoNotOptimize(palette);
    }
    double total = 0;
    for (int y = 0; y < Side; ++y) {
        for (int x = 0; x < Side; ++x) {
            const int index = palette->pixels[y][x];
            const int truth = image->tpixels[y][x];
            const double dr = gdTrueColorGetRed(truth) - palette->red[index];
            const double dg = gdTrueColorGetGreen(truth) - palette->green[index];
            const double db = gdTrueColorGetBlue(truth) - palette->blue[index];
            total += dr * dr + dg * dg + db * db;
        }
    }
    Report(state, total / (3.0 * Megapixels * 1e6));
    gdImageDestroy(palette);
    gdImageDestroy(image);
}

// ---- libimagequant at its fastest speed setting, remapped without dithering ----

void Libimagequant(benchmark::State& state, int colors) {
    const TPxDIBInfos& original = PhotoImage(Side, Side);
    // The library takes RGBA; the repacking is not timed.
    std::vector<std::uint8_t> rgba(4 * static_cast<std::size_t>(Side) * Side);
    const std::int64_t stride = DibStride(24, Side);
    for (int y = 0; y < Side; ++y) {
        const std::uint8_t* pixel = original.Bits + (Side - 1 - y) * stride;
        std::uint8_t* out = rgba.data() + 4 * static_cast<std::size_t>(y) * Side;
        for (int x = 0; x < Side; ++x, pixel += 3, out += 4) {
            out[0] = pixel[2], out[1] = pixel[1], out[2] = pixel[0], out[3] = 255;
        }
    }
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(Side) * Side);
    liq_palette palette{};
    for (auto _ : state) {
        liq_attr* attributes = liq_attr_create();
        liq_set_speed(attributes, 10);
        liq_set_max_colors(attributes, colors);
        liq_image* image = liq_image_create_rgba(attributes, rgba.data(), Side, Side, 0);
        liq_result* result = nullptr;
        if (liq_image_quantize(image, attributes, &result) != LIQ_OK) {
            state.SkipWithError("libimagequant failed");
            break;
        }
        liq_set_dithering_level(result, 0);
        liq_write_remapped_image(result, image, indices.data(), indices.size());
        palette = *liq_get_palette(result);
        liq_result_destroy(result);
        liq_image_destroy(image);
        liq_attr_destroy(attributes);
    }
    double total = 0;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        const liq_color& color = palette.entries[indices[i]];
        const double dr = rgba[4 * i] - color.r, dg = rgba[4 * i + 1] - color.g,
                     db = rgba[4 * i + 2] - color.b;
        total += dr * dr + dg * dg + db * db;
    }
    Report(state, total / (3.0 * static_cast<double>(indices.size())));
}

// ---- A plain serpentine Floyd–Steinberg pass (7, 3, 5, 1 sixteenths), written the obvious way
// ----

struct THalftoneTarget {
    static constexpr int BitCount = 8;
    // Nearest level per channel on the halftone grid.
    static void Quantize(int (&value)[3], int (&error)[3], std::uint8_t* row, int x) {
        const int red = std::clamp((value[0] * 5 + 127) / 255, 0, 5);
        const int green = std::clamp((value[1] * 6 + 127) / 255, 0, 6);
        const int blue = std::clamp((value[2] * 4 + 127) / 255, 0, 4);
        const RGBQUAD& color = HalftoneColors()[red * 35 + green * 5 + blue];
        error[0] = value[0] - color.rgbRed;
        error[1] = value[1] - color.rgbGreen;
        error[2] = value[2] - color.rgbBlue;
        row[x] = static_cast<std::uint8_t>(red * 35 + green * 5 + blue);
    }
    static void SetPalette(TPxDIBInfos& infos) {
        std::copy(HalftoneColors().begin(), HalftoneColors().end(), infos.Colors);
    }
};

struct TMonochromeTarget {
    static constexpr int BitCount = 1;
    static void Quantize(int (&value)[3], int (&error)[3], std::uint8_t* row, int x) {
        const int level = value[0] + value[1] + value[2] >= 384 ? 255 : 0;
        for (int c = 0; c < 3; ++c) {
            error[c] = value[c] - level;
        }
        if (level != 0) {
            row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    static void SetPalette(TPxDIBInfos& infos) {
        infos.Colors[0] = {0, 0, 0, 0};
        infos.Colors[1] = {255, 255, 255, 0};
    }
};

template <typename Target>
void PlainFloydSteinberg(const TPxDIBInfos& original, TPxDIBInfos& result) {
    const int width = original.Header.biWidth;
    const int height = original.Header.biHeight;
    const std::int64_t sourceStride = DibStride(24, width);
    const std::int64_t stride = DibStride(Target::BitCount, width);
    result.Header = original.Header;
    result.Header.biBitCount = Target::BitCount;
    result.ImageSize = static_cast<std::int32_t>(stride * height);
    GetMemory(result.ImageSize, result.MappingHandle, result.Bits, false);
    Target::SetPalette(result);

    std::vector<int> thisRow(3 * (width + 2)), nextRow(3 * (width + 2));
    for (int y = 0; y < height; ++y) {
        std::fill(nextRow.begin(), nextRow.end(), 0);
        const bool leftToRight = y % 2 == 0;
        const int direction = leftToRight ? 1 : -1;
        const std::uint8_t* pixels = original.Bits + y * sourceStride;
        std::uint8_t* row = result.Bits + y * stride;
        for (int step = 0; step < width; ++step) {
            const int x = leftToRight ? step : width - 1 - step;
            int value[3], error[3];
            for (int c = 0; c < 3; ++c) {
                value[c] = pixels[3 * x + 2 - c] + thisRow[3 * (x + 1) + c] / 16;
            }
            Target::Quantize(value, error, row, x);
            for (int c = 0; c < 3; ++c) {
                thisRow[3 * (x + 1 + direction) + c] += 7 * error[c];
                nextRow[3 * (x + 1 - direction) + c] += 3 * error[c];
                nextRow[3 * (x + 1) + c] += 5 * error[c];
                nextRow[3 * (x + 1 + direction) + c] += error[c];
            }
        }
        std::swap(thisRow, nextRow);
    }
}

template <typename Target>
void Plain(benchmark::State& state) {
    const TPxDIBInfos& original = PhotoImage(Side, Side);
    RunOurs(state, [&](TPxDIBInfos& result) { PlainFloydSteinberg<Target>(original, result); });
}

}  // namespace

BENCHMARK_CAPTURE(OurReducer, Low256_Ours, ConvertTrueColorTo8BitRGBLow)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Libgd, Low256_Libgd, 256)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OurReducer, Low16_Ours, ConvertTrueColorTo4BitRGBLow)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Libgd, Low16_Libgd, 16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OurReducer, High256_Ours, ConvertTrueColorTo8BitRGBHigh)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Libimagequant, High256_Libimagequant, 256)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OurReducer, High16_Ours, ConvertTrueColorTo4BitRGBHigh)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Libimagequant, High16_Libimagequant, 16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OurDitherer, Halftone_Ours, ConvertToHalftone8Bit)->Unit(benchmark::kMillisecond);
BENCHMARK(Plain<THalftoneTarget>)
    ->Name("Halftone_PlainFloydSteinberg")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OurDitherer, Monochrome_Ours, ConvertToMonochrome1Bit)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Plain<TMonochromeTarget>)
    ->Name("Monochrome_PlainFloydSteinberg")
    ->Unit(benchmark::kMillisecond);

}  // namespace vlz::bench

BENCHMARK_MAIN();
