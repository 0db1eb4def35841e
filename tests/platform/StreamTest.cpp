#include "platform/Stream.h"

#include <gtest/gtest.h>

#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

TEST(Stream, ShortReadRaisesReadError) {
    TMemoryStream stream({1, 2, 3});
    std::uint8_t buffer[4];
    EXPECT_THROW(stream.ReadBuffer(buffer, 4), EReadError);
    stream.Seek(0, SeekOrigin::Begin);
    stream.ReadBuffer(buffer, 3);
    EXPECT_EQ(buffer[2], 3);
    EXPECT_EQ(stream.Remaining(), 0);
}

TEST(Stream, ReadsNothingWithoutABuffer) {
    TMemoryStream stream({1, 2});
    const std::uint8_t bytes[] = {1, 2};
    TReadOnlyMemoryStream readOnly(bytes, sizeof bytes);
    for (TStream* each : std::initializer_list<TStream*>{&stream, &readOnly}) {
        EXPECT_EQ(each->Read(nullptr, 0), 0u);
        EXPECT_EQ(each->Position(), 0);
    }
}

TEST(Stream, SeekBeforeStartFails) {
    TMemoryStream stream({1, 2});
    stream.Skip(1);
    EXPECT_THROW(stream.Skip(-2), EStreamError);
}

TEST(Stream, FileRoundTripAndMissingFile) {
    testing::TemporaryFolder folder;
    const std::string path = folder / "stream.bin";
    {
        TFileStream file(path, TFileStream::Mode::Create);
        file.WriteBuffer("abcdef", 6);
    }
    EXPECT_EQ(ReadWholeFile(path).size(), 6u);
    TFileStream file(path, TFileStream::Mode::Read);
    file.Skip(4);
    EXPECT_EQ(file.Remaining(), 2);
    EXPECT_THROW(TFileStream(folder / "absent.bin", TFileStream::Mode::Read), EFOpenError);
}

}  // namespace
}  // namespace vlz
