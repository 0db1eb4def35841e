#include "dib/PxClipboardDIB.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "dib/DibTestSupport.h"
#include "dib/PxDIBError.h"
#include "dib/PxInternalDIB.h"

namespace vlz {
namespace {

using test::Bytes;
using test::Concat;
using test::InfoHeader;
using test::InfoHeaderBytes;
using ::testing::ElementsAre;

// A global block holding `bytes`, freed at the end of the scope.
class Block {
  public:
    explicit Block(const Bytes& bytes) : handle_(GlobalAlloc(GHND, bytes.size())) {
        TGlobalLock lock(handle_);
        std::memcpy(lock.Data(), bytes.data(), bytes.size());
    }
    explicit Block(HGLOBAL handle) : handle_(handle) {}
    ~Block() { EXPECT_EQ(GlobalFree(handle_), nullptr) << "block left locked"; }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    HGLOBAL Handle() const { return handle_; }
    Bytes Contents() const {
        TGlobalLock lock(handle_);
        return Bytes(lock.Data(), lock.Data() + lock.Size());
    }

  private:
    HGLOBAL handle_;
};

std::string LoadError(const Bytes& bytes) {
    TPxInternalDIB store(false);
    Block block(bytes);
    try {
        store.LoadFromClipboardFormat(block.Handle());
    } catch (const EPxDIBInvalidDIB& error) {
        EXPECT_EQ(store.Width, 1);
        return error.what();
    }
    return "";
}

TEST(ClipboardDIB, PackedDIBRoundTripsWithoutAFileHeader) {
    TPxInternalDIB original(false);
    original.FreeDIB();
    original.CreateDIB(3, -2, 8, 2);
    original.DIBInfos.Colors[1] = RGBQUAD{1, 2, 3, 0};
    std::memcpy(original.DIBInfos.Bits, "\1\0\1\0\0\1\0\0", 8);
    HGLOBAL handle = nullptr;
    original.SaveToClipboardFormat(handle);
    Block block(handle);
    Bytes packed = block.Contents();
    ASSERT_EQ(packed.size(), 40u + 8 + 8);
    EXPECT_EQ(packed[0], 40);  // biSize
    EXPECT_THAT(Bytes(packed.begin() + 44, packed.begin() + 48), ElementsAre(1, 2, 3, 0));

    TPxInternalDIB copy(true);
    copy.LoadFromClipboardFormat(handle);
    EXPECT_EQ(GlobalLockCount(handle), 0);
    EXPECT_EQ(copy.DIBInfos.Header.biHeight, -2);
    EXPECT_EQ(copy.DIBInfos.Header.biClrUsed, 2u);
    EXPECT_EQ(copy.DIBInfos.Colors[1], (RGBQUAD{1, 2, 3, 0}));
    EXPECT_EQ(0, std::memcmp(copy.DIBInfos.Bits, original.DIBInfos.Bits, 8));
}

TEST(ClipboardDIB, SixteenBitAndCoreHeadersAreReadLikeFiles) {
    InfoHeader info;
    info.Width = 2;
    info.BitCount = 16;
    TPxInternalDIB store(false);
    Block sixteen(Concat(InfoHeaderBytes(info), {0xFF, 0x7F, 0x00, 0x7C}));
    store.LoadFromClipboardFormat(sixteen.Handle());
    EXPECT_EQ(store.GetPixelFormat(), pf24Bit);
    EXPECT_THAT(Bytes(store.DIBInfos.Bits, store.DIBInfos.Bits + 8),
                ElementsAre(255, 255, 255, 0, 0, 255, 0, 0));

    Bytes core{12, 0,  0,  0, 1, 0, 1, 0, 1, 0, 24, 0,  // 1 × 1, 24 bits, no triples
               10, 20, 30, 0};
    Block coreBlock(core);
    store.LoadFromClipboardFormat(coreBlock.Handle());
    EXPECT_EQ(store.DIBInfos.Header.biSize, 40u);
    EXPECT_EQ(store.DIBInfos.Header.biBitCount, 24);
    EXPECT_EQ(store.DIBInfos.Bits[2], 30);
}

TEST(ClipboardDIB, RejectsBlocksThatDoNotHoldWhatTheirHeaderSays) {
    const std::string invalid = "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data";
    InfoHeader info;
    info.Width = 4;
    info.Height = 2;
    info.ClrUsed = 1;
    Bytes header = Concat(InfoHeaderBytes(info), {0, 0, 0, 0});

    EXPECT_EQ(LoadError({40, 0}), invalid);  // shorter than biSize
    EXPECT_EQ(LoadError(Bytes(header.begin(), header.begin() + 39)), invalid);
    EXPECT_EQ(LoadError(Concat(header, {1, 2, 3, 4})), invalid);  // one row of two
    EXPECT_EQ(LoadError(Concat(header, Bytes(8, 1))), "");

    info.ClrUsed = 0xFFFFFFFF;  // "negative"
    EXPECT_EQ(LoadError(Concat(InfoHeaderBytes(info), Bytes(2000, 0))), invalid);
    info.ClrUsed = 0;  // a full table that is not there
    EXPECT_EQ(LoadError(Concat(InfoHeaderBytes(info), Bytes(8, 0))), invalid);

    info.ClrUsed = 0;
    info.BitCount = 32;  // two rows of 16 bytes needed
    EXPECT_EQ(LoadError(Concat(InfoHeaderBytes(info), Bytes(31, 0))), invalid);
    info.BitCount = 2;
    EXPECT_EQ(LoadError(Concat(InfoHeaderBytes(info), Bytes(8, 0))),
              "TPxInternalDIB.LoadFromClipboardFormat: Invalid biBitCount");
    info.Size = 108;
    EXPECT_EQ(LoadError(Concat(InfoHeaderBytes(info), Bytes(8, 0))), invalid);
}

}  // namespace
}  // namespace vlz
