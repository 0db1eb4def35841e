#include "platform/Stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

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

TEST(Stream, SeekBeforeStartFails) {
    TMemoryStream stream({1, 2});
    stream.Skip(1);
    EXPECT_THROW(stream.Skip(-2), EStreamError);
}

TEST(Stream, FileRoundTripAndMissingFile) {
    auto path = (std::filesystem::temp_directory_path() / "vlz_stream_test.bin").string();
    {
        TFileStream file(path, TFileStream::Mode::Create);
        file.WriteBuffer("abcdef", 6);
    }
    EXPECT_EQ(ReadWholeFile(path).size(), 6u);
    TFileStream file(path, TFileStream::Mode::Read);
    file.Skip(4);
    EXPECT_EQ(file.Remaining(), 2);
    std::remove(path.c_str());
    EXPECT_THROW(TFileStream("/nonexistent/x", TFileStream::Mode::Read), EFOpenError);
}

}  // namespace
}  // namespace vlz
