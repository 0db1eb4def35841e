#include "graphics/Icon.h"

#include <gtest/gtest.h>

#include "platform/Exception.h"

namespace vlz {
namespace {

TEST(IconTest, AssignedIconsShareThePictureAndItsHandle) {
    TIcon first;
    EXPECT_TRUE(first.Empty());
    EXPECT_EQ(first.Handle(), 0u);
    first.SetPixels(2, 1, {0xFF112233u, 0x80445566u});
    HICON handle = first.Handle();
    ASSERT_NE(handle, 0u);

    TIcon second;
    second.Assign(&first);
    EXPECT_EQ(second.Handle(), handle);
    EXPECT_EQ(second.Pixels(), (std::vector<std::uint32_t>{0xFF112233u, 0x80445566u}));

    first.SetPixels(1, 1, {0xFFFFFFFFu});
    EXPECT_NE(first.Handle(), handle) << "a changed picture is a new picture";
    EXPECT_EQ(second.Handle(), handle);
}

TEST(IconTest, HandleLeadsToThePictureWhileSomeIconHoldsIt) {
    HICON handle;
    {
        TIcon icon;
        icon.SetPixels(1, 2, {1u, 2u});
        handle = icon.Handle();
        auto image = FindIconImage(handle);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Width, 1);
        EXPECT_EQ(image->Height, 2);
    }
    EXPECT_EQ(FindIconImage(handle), nullptr);
    EXPECT_EQ(FindIconImage(0), nullptr);
}

TEST(IconTest, EveryChangeIsAnnounced) {
    TIcon icon;
    TIcon other;
    other.SetPixels(1, 1, {7u});
    int changes = 0;
    icon.OnChange = [&](TIcon& sender) {
        EXPECT_EQ(&sender, &icon);
        ++changes;
    };
    icon.SetPixels(1, 1, {3u});
    icon.Assign(&other);
    icon.Assign(&icon);
    icon.Clear();
    EXPECT_EQ(changes, 3);
    EXPECT_TRUE(icon.Empty());
}

TEST(IconTest, RejectsSizesThatDoNotFitThePixels) {
    TIcon icon;
    EXPECT_THROW(icon.SetPixels(2, 2, {1u, 2u, 3u}), Exception);
    EXPECT_THROW(icon.SetPixels(0, 0, {}), Exception);
    EXPECT_THROW(icon.SetPixels(-1, -1, {1u}), Exception);
    EXPECT_THROW(icon.SetPixels(257, 1, std::vector<std::uint32_t>(257)), Exception);
    EXPECT_TRUE(icon.Empty());
}

}  // namespace
}  // namespace vlz
