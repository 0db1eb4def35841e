// Runs the built pxdib tool on sample files.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "dib/PxDIB.h"
#include "platform/Stream.h"

namespace {

struct Result {
    int ExitCode;
    std::string Output;  // standard output and standard error
};

Result RunTool(const std::string& arguments) {
    std::string command = std::string(PXDIB_PATH) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    Result result{-1, ""};
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        result.Output += buffer;
    }
    int status = pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Sample(const std::string& name) {
    return std::string(VLZ_SOURCE_DIR) + "/tests/data/bmp/" + name;
}

TEST(PxDibTool, InfoPrintsTheHeaderAndFormat) {
    Result result = RunTool("info " + Sample("stream/8bit-topdown.bmp"));
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Output,
              "width: 13\nheight: -7\nbitcount: 8\ncompression: 0\nclrused: 16\n"
              "imagesize: 112\nformat: pf8Bit\n");

    result = RunTool("info " + Sample("stream/16bit.bmp"));
    EXPECT_NE(result.Output.find("bitcount: 24\n"), std::string::npos);
    EXPECT_NE(result.Output.find("format: pf24Bit\n"), std::string::npos);
    result = RunTool("info " + Sample("stream/rle4.bmp"));
    EXPECT_NE(result.Output.find("compression: 2\n"), std::string::npos);
    EXPECT_NE(result.Output.find("format: pf4BitRLE\n"), std::string::npos);
}

TEST(PxDibTool, CopyWritesTheSameImageBack) {
    std::string target = std::string(VLZ_BINARY_DIR) + "/pxdib-copy-test.bmp";
    Result result = RunTool("copy " + Sample("stream/rle8.bmp") + " " + target);
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    // Written with the same header, table and RLE bytes as read.
    EXPECT_EQ(vlz::ReadWholeFile(target), vlz::ReadWholeFile(Sample("stream/rle8.bmp")));
    std::filesystem::remove(target);
}

TEST(PxDibTool, ErrorsPrintTheMessageAloneAndKeepTheTarget) {
    std::string target = std::string(VLZ_BINARY_DIR) + "/pxdib-kept.bmp";
    {
        vlz::TFileStream file(target, vlz::TFileStream::Mode::Create);
        file.WriteBuffer("keep", 4);
    }
    Result result = RunTool("copy " + Sample("malformed/header-size-108.bmp") + " " + target);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Output, "TPxInternalDIB.LoadFromStream: Invalid Bitmap Header Size\n");
    EXPECT_EQ(vlz::ReadWholeFile(target).size(), 4u);
    std::filesystem::remove(target);

    result = RunTool("info " + Sample("malformed/rle4-delta-past-last-row.bmp"));
    EXPECT_EQ(result.ExitCode, 0);
    result = RunTool("info");
    EXPECT_EQ(result.ExitCode, 2);
    EXPECT_NE(result.Output.find("usage"), std::string::npos);
    EXPECT_EQ(RunTool("frobnicate x").ExitCode, 2);
}

TEST(PxDibTool, PixelPrintsTheValueInHexadecimal) {
    vlz::TPxDIB dib;
    vlz::TFileStream file(Sample("stream/24bit.bmp"), vlz::TFileStream::Mode::Read);
    dib.LoadFromStream(file);
    char expected[16];
    std::snprintf(expected, sizeof expected, "0x%06X\n",
                  static_cast<unsigned>(dib.GetPixels(1, 2)));
    Result result = RunTool("pixel " + Sample("stream/24bit.bmp") + " 1 2");
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Output, expected);

    result = RunTool("pixel " + Sample("stream/24bit.bmp") + " 1 99999");
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Output, "TPxDIB.GetPixels: Pixel Position is Out of Range\n");
    result = RunTool("pixel " + Sample("stream/rle8.bmp") + " 0 0");
    EXPECT_EQ(result.Output, "TPxDIB.GetPixels: Bad DIB Type\n");
    EXPECT_EQ(RunTool("pixel " + Sample("stream/24bit.bmp") + " 1 2x").ExitCode, 2);
}

}  // namespace
