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

TEST(PxDibTool, InfoShowsWhyAStoreHasNoPixelFormat) {
    // A 24-bit file with BI_BITFIELDS: it loads, but is none of the six formats.
    std::vector<std::uint8_t> file = vlz::ReadWholeFile(Sample("stream/24bit.bmp"));
    file[14 + 16] = 3;                         // biCompression
    file.insert(file.begin() + 54, 12, 0xFF);  // three masks
    file[2] += 12;                             // bfSize
    file[10] += 12;                            // bfOffBits
    std::string path = std::string(VLZ_BINARY_DIR) + "/pxdib-bitfields24.bmp";
    {
        vlz::TFileStream stream(path, vlz::TFileStream::Mode::Create);
        stream.WriteBuffer(file.data(), file.size());
    }
    Result result = RunTool("info " + path);
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_NE(result.Output.find("format: TPxInternalDIB.GetPixelFormat: Invalid DIB(24Bit)\n"),
              std::string::npos)
        << result.Output;
    std::filesystem::remove(path);
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

TEST(PxDibTool, ConvertWritesTheTargetFormat) {
    const std::string target = std::string(VLZ_BINARY_DIR) + "/pxdib-convert-test.bmp";
    struct Case {
        std::string Arguments;
        std::string Expected;  // lines of `info` that must appear
    };
    const Case cases[] = {
        {"--to pf8Bit", "format: pf8Bit\n"},
        {"--to pf4Bit --reduction high", "format: pf4Bit\n"},
        {"--to pf8BitHalftone", "clrused: 215\nimagesize: 112\nformat: pf8Bit\n"},
        {"--to pf1BitMonochrome", "clrused: 2\nimagesize: 28\nformat: pf1Bit\n"},
        {"--to pf1Bit --mask 00FF00", "format: pf1Bit\n"},
    };
    for (const Case& c : cases) {
        Result result =
            RunTool("convert " + Sample("stream/24bit.bmp") + " " + target + " " + c.Arguments);
        EXPECT_EQ(result.ExitCode, 0) << c.Arguments << ": " << result.Output;
        // Not a terminal: no progress bar.
        EXPECT_EQ(result.Output, "") << c.Arguments;
        EXPECT_NE(RunTool("info " + target).Output.find(c.Expected), std::string::npos)
            << c.Arguments;
    }
    // Back to 24 bits from RLE: the colours survive a lossless round.
    EXPECT_EQ(
        RunTool("convert " + Sample("stream/rle8.bmp") + " " + target + " --to pf24Bit").ExitCode,
        0);
    EXPECT_NE(RunTool("info " + target).Output.find("format: pf24Bit\n"), std::string::npos);
    std::filesystem::remove(target);
}

TEST(PxDibTool, ConvertFailuresKeepTheTarget) {
    const std::string target = std::string(VLZ_BINARY_DIR) + "/pxdib-convert-kept.bmp";
    {
        vlz::TFileStream file(target, vlz::TFileStream::Mode::Create);
        file.WriteBuffer("keep", 4);
    }
    // A 13 × 7 picture of many colours does not fit its RLE4 budget.
    Result result = RunTool("convert " + Sample("stream/24bit.bmp") + " " + target +
                            " --to pf4BitRLE --reduction high");
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Output, "Convert4BitRGBTo4BitRLE: Compression Failed\n");
    EXPECT_EQ(vlz::ReadWholeFile(target).size(), 4u);

    for (const char* arguments : {"--to pf9Bit", "--to pf8Bit --reduction medium",
                                  "--to pf1Bit --mask FFF", "--reduction low", "--to"}) {
        result = RunTool("convert " + Sample("stream/24bit.bmp") + " " + target + " " + arguments);
        EXPECT_EQ(result.ExitCode, 2) << arguments;
        EXPECT_NE(result.Output.find("usage"), std::string::npos) << arguments;
    }
    EXPECT_EQ(vlz::ReadWholeFile(target).size(), 4u);
    std::filesystem::remove(target);
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
