#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vlz {
namespace {

TEST(GlobalMemory, ZeroInitialisedBlockKeepsItsSizeAndLockCount) {
    HGLOBAL block = GlobalAlloc(GHND, 100);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 100u);
    auto* bytes = static_cast<std::uint8_t*>(GlobalLock(block));
    EXPECT_TRUE(std::all_of(bytes, bytes + 100, [](std::uint8_t byte) { return byte == 0; }));
    EXPECT_EQ(GlobalLock(block), bytes);
    EXPECT_EQ(GlobalLockCount(block), 2);
    EXPECT_TRUE(GlobalUnlock(block));
    // A locked block is not freed under its user.
    EXPECT_EQ(GlobalFree(block), block);
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, RefusesBlocksBeyond32BitSizes) {
    EXPECT_EQ(GlobalAlloc(GHND, std::size_t{1} << 33), nullptr);
    EXPECT_EQ(GlobalSize(nullptr), 0u);
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
    HGLOBAL empty = GlobalAlloc(GHND, 0);
    {
        TGlobalLock lock(empty);
        EXPECT_NE(lock.Data(), nullptr);
        EXPECT_EQ(lock.Size(), 0u);
    }
    EXPECT_EQ(GlobalFree(empty), nullptr);
}

}  // namespace
}  // namespace vlz
