// Drawing an RLE image costs memory for what is drawn, not for the picture a small file declares.
// This program counts every allocation through operator new, so it has a file of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "dib/DibTestSupport.h"
#include "dib/PxDIB.h"
#include "graphics/Bitmap.h"

namespace {

std::size_t liveBytes = 0;
std::size_t peakBytes = 0;

// Each block carries its size in front, so that the unsized delete can count it off.
constexpr std::size_t Prefix = alignof(std::max_align_t);

void* Allocate(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + Prefix));
    if (block == nullptr) {
        return nullptr;
    }
    *reinterpret_cast<std::size_t*>(block) = size;
    liveBytes += size;
    peakBytes = std::max(peakBytes, liveBytes);
    return block + Prefix;
}

void Release(void* pointer) {
    if (pointer != nullptr) {
        unsigned char* block = static_cast<unsigned char*>(pointer) - Prefix;
        liveBytes -= *reinterpret_cast<std::size_t*>(block);
        std::free(block);
    }
}

void* AllocateOrThrow(std::size_t size) {
    if (void* pointer = Allocate(size)) {
        return pointer;
    }
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* pointer) noexcept {
    Release(pointer);
}
void operator delete[](void* pointer) noexcept {
    Release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    Release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    Release(pointer);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept {
    Release(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept {
    Release(pointer);
}

namespace vlz {
namespace {

using test::Bytes;

// Moves the RLE position by (dx, dy) in steps of at most 255.
void Delta(Bytes& codes, int dx, int dy) {
    while (dx > 0 || dy > 0) {
        int x = std::min(dx, 255), y = std::min(dy, 255);
        codes.insert(codes.end(),
                     {0, 2, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)});
        dx -= x;
        dy -= y;
    }
}

TEST(RLEDrawing, MemoryFollowsTheTargetNotTheDeclaredPicture) {
    // 8000 × 8000 pixels in some 200 bytes of codes. A 2 × 2 target shows picture rows 0 and
    // 4000 (data lines 7999 and 3999) and columns 0 and 4000.
    Bytes codes;
    Delta(codes, 0, 3999);
    codes.insert(codes.end(), {255, 1});
    Delta(codes, 4000 - 255, 0);
    codes.insert(codes.end(), {1, 2, 0, 0});
    Delta(codes, 0, 7999 - 4000);
    codes.insert(codes.end(), {1, 3, 0, 1});
    Bytes header = test::InfoHeaderBytes(
        {.Width = 8000, .Height = 8000, .BitCount = 8, .Compression = BI_RLE8, .ClrUsed = 4});
    const std::uint8_t colours[] = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
    header.insert(header.end(), std::begin(colours), std::end(colours));
    Bytes file = test::BmpFile(header, codes);
    ASSERT_LT(file.size(), 1024u);
    TPxDIB dib;
    {
        TMemoryStream stream(file);
        dib.LoadFromStream(stream);
    }

    for (TPxPaletteMode mode : {pmOwn, pmHalftone}) {
        TBitmap target(2, 2);
        dib.PaletteMode = mode;
        peakBytes = liveBytes;
        const std::size_t before = liveBytes;
        target.Canvas().StretchDraw(Rect(0, 0, 2, 2), dib);
        EXPECT_LT(peakBytes - before, 256u * 1024) << int(mode);
        EXPECT_EQ(target.Canvas().GetPixel(0, 0), RGB(0, 0, 255)) << int(mode);
        // Through a fixed palette the picture is drawn on a blank copy first: a pixel the codes
        // never set shows that copy's entry 0.
        EXPECT_EQ(target.Canvas().GetPixel(1, 0), mode == pmOwn ? clWhite : clBlack) << int(mode);
        EXPECT_EQ(target.Canvas().GetPixel(0, 1), RGB(255, 0, 0)) << int(mode);
        EXPECT_EQ(target.Canvas().GetPixel(1, 1), RGB(0, 255, 0)) << int(mode);
    }
}

}  // namespace
}  // namespace vlz
