// The bitmap library against its limits and peers, on 4096 × 4096 images:
//   loading a 24-bit BMP held in memory   vs malloc + memcpy of the same bytes, vs stb_image
//   RLE8 decoding (photo-like, flat)      vs libgd reading the same RLE8 files
//   RLE8 and RLE4 encoding                vs libgd writing RLE8
#include <benchmark/benchmark.h>
#include <gd.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb/stb_image.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "dib/PxDIBError.h"
#include "dib/PxInternalDIB.h"
#include "dib/PxRLE.h"

namespace vlz {
namespace {

constexpr std::int32_t Side = 4096;

using Bytes = std::vector<std::uint8_t>;

Bytes Save(const TPxInternalDIB& store) {
    TMemoryStream stream;
    store.SaveToStream(stream);
    return stream.Bytes();
}

const Bytes& File24() {
    static const Bytes file = [] {
        TPxInternalDIB store(false);
        store.FreeDIB();
        store.CreateDIB(Side, Side, 24, 0);
        std::mt19937 random(1);
        for (std::int32_t index = 0; index < store.DIBInfos.ImageSize; ++index) {
            store.DIBInfos.Bits[index] = static_cast<std::uint8_t>(index / 3 + (random() & 15));
        }
        return Save(store);
    }();
    return file;
}

// Rows of `units` (pixels for 8 bits, pixel pairs for 4 bits) in one of two characters:
// photo-like: mostly literal stretches whose neighbours differ, with short runs between them;
// flat: long runs of a few colours, as in a drawing.
enum class Picture { PhotoLike, Flat };

std::unique_ptr<TPxInternalDIB> Image(int bitCount, Picture picture) {
    auto store = std::make_unique<TPxInternalDIB>(false);
    store->FreeDIB();
    store->CreateDIB(Side, Side, bitCount, ColorCountOf(bitCount));
    std::mt19937 random(bitCount);
    std::int64_t stride = RowStrideOf(store->DIBInfos.Header);
    std::int64_t units = bitCount == 8 ? Side : Side / 2;
    for (std::int32_t row = 0; row < Side; ++row) {
        std::uint8_t* line = store->DIBInfos.Bits + row * stride;
        std::int64_t x = 0;
        std::uint8_t value = 0;
        while (x < units) {
            std::int64_t literal = picture == Picture::PhotoLike ? 10 + random() % 40 : 0;
            std::int64_t run =
                picture == Picture::PhotoLike ? 4 + random() % 8 : 64 + random() % 400;
            for (std::int64_t index = 0; index < literal && x < units; ++index, ++x) {
                value = static_cast<std::uint8_t>(value + 1 + random() % 200);
                line[x] = value;
            }
            value = static_cast<std::uint8_t>(random());
            for (std::int64_t index = 0; index < run && x < units; ++index, ++x) {
                line[x] = value;
            }
        }
    }
    for (int index = 0; index < ColorCountOf(bitCount); ++index) {
        store->DIBInfos.Colors[index] =
            RGBQUAD{static_cast<std::uint8_t>(index), static_cast<std::uint8_t>(index * 3),
                    static_cast<std::uint8_t>(index * 7), 0};
    }
    return store;
}

// The image as an RLE8 file, encoded by this library.
Bytes RLE8File(Picture picture) {
    auto image = Image(8, picture);
    TPxInternalDIB store(false);
    TPxDIBInfos encoded;
    Convert8BitRGBTo8BitRLE(image->DIBInfos, encoded, false);
    store.FreeDIB();
    store.DIBInfos = encoded;
    return Save(store);
}

const Bytes& RLE8Of(Picture picture) {
    static const Bytes photo = RLE8File(Picture::PhotoLike);
    static const Bytes flat = RLE8File(Picture::Flat);
    return picture == Picture::PhotoLike ? photo : flat;
}

void SetBytes(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void LoadFromStream24(benchmark::State& state) {
    const Bytes& file = File24();
    bool mapped = state.range(0) != 0;
    for (auto _ : state) {
        TPxInternalDIB store(mapped);
        TReadOnlyMemoryStream stream(file.data(), file.size());
        store.LoadFromStream(stream);
        benchmark::DoNotOptimize(store.DIBInfos.Bits);
    }
    SetBytes(state, file.size());
}
BENCHMARK(LoadFromStream24)->ArgName("mapped")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void MallocMemcpy24(benchmark::State& state) {
    const Bytes& file = File24();
    for (auto _ : state) {
        void* copy = std::malloc(file.size());
        std::memcpy(copy, file.data(), file.size());
        benchmark::DoNotOptimize(copy);
        std::free(copy);
    }
    SetBytes(state, file.size());
}
BENCHMARK(MallocMemcpy24)->Unit(benchmark::kMillisecond);

void StbImageDecode24(benchmark::State& state) {
    const Bytes& file = File24();
    for (auto _ : state) {
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width,
                                                &height, &channels, 0);
        if (pixels == nullptr) {
            state.SkipWithError("stb_image could not read the file");
            break;
        }
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    SetBytes(state, file.size());
}
BENCHMARK(StbImageDecode24)->Unit(benchmark::kMillisecond);

void DecodeRLE8(benchmark::State& state) {
    auto picture = static_cast<Picture>(state.range(0));
    TPxInternalDIB store(false);
    TReadOnlyMemoryStream stream(RLE8Of(picture).data(), RLE8Of(picture).size());
    store.LoadFromStream(stream);
    for (auto _ : state) {
        TPxDIBInfos decoded;
        Convert8BitRLETo8BitRGB(store.DIBInfos, decoded, false);
        benchmark::DoNotOptimize(decoded.Bits);
        FreeMemory(decoded.MappingHandle, decoded.Bits, false);
    }
    state.SetLabel(picture == Picture::PhotoLike ? "photo-like" : "flat");
    SetBytes(state, static_cast<std::size_t>(Side) * Side);
}
BENCHMARK(DecodeRLE8)->ArgName("flat")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void GdReadRLE8(benchmark::State& state) {
    auto picture = static_cast<Picture>(state.range(0));
    Bytes file = RLE8Of(picture);
    for (auto _ : state) {
        gdImagePtr image = gdImageCreateFromBmpPtr(static_cast<int>(file.size()), file.data());
        if (image == nullptr) {
            state.SkipWithError("libgd could not read the file");
            break;
        }
        benchmark::DoNotOptimize(image);
        gdImageDestroy(image);
    }
    state.SetLabel(picture == Picture::PhotoLike ? "photo-like" : "flat");
    SetBytes(state, static_cast<std::size_t>(Side) * Side);
}
BENCHMARK(GdReadRLE8)->ArgName("flat")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

template <int Bits>
void EncodeRLE(benchmark::State& state) {
    auto picture = static_cast<Picture>(state.range(0));
    auto image = Image(Bits, picture);
    auto encode = Bits == 8 ? Convert8BitRGBTo8BitRLE : Convert4BitRGBTo4BitRLE;
    for (auto _ : state) {
        TPxDIBInfos encoded;
        encode(image->DIBInfos, encoded, false);
        benchmark::DoNotOptimize(encoded.Bits);
        FreeMemory(encoded.MappingHandle, encoded.Bits, false);
    }
    state.SetLabel(picture == Picture::PhotoLike ? "photo-like" : "flat");
    SetBytes(state, static_cast<std::size_t>(Side) * Side);
}
BENCHMARK(EncodeRLE<8>)->ArgName("flat")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeRLE<4>)->ArgName("flat")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void GdWriteRLE8(benchmark::State& state) {
    auto picture = static_cast<Picture>(state.range(0));
    Bytes file = RLE8Of(picture);
    gdImagePtr image = gdImageCreateFromBmpPtr(static_cast<int>(file.size()), file.data());
    for (auto _ : state) {
        int size = 0;
        void* written = gdImageBmpPtr(image, &size, 1);
        benchmark::DoNotOptimize(written);
        gdFree(written);
    }
    gdImageDestroy(image);
    state.SetLabel(picture == Picture::PhotoLike ? "photo-like" : "flat");
    SetBytes(state, static_cast<std::size_t>(Side) * Side);
}
BENCHMARK(GdWriteRLE8)->ArgName("flat")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vlz

BENCHMARK_MAIN();
