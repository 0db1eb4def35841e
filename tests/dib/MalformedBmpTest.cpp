// Replays every sample that once broke a loader, or could, in the stream form and as a packed DIB
// (the file without its file header), and checks the outcome stated for it: the exact message of
// a refusal, or an image that can be written back and, when compressed, decoded.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "dib/PxInternalDIB.h"
#include "dib/PxRLE.h"
#include "platform/Exception.h"

namespace vlz {
namespace {

constexpr const char* Loads = "";

struct TOutcome {
    const char* Stream;     // the message of the refusal, or Loads
    const char* Clipboard;  // the same for the packed DIB
    const char* Decoding;   // an RLE image that loads: the decoder's message, or "" when it decodes
};

const std::map<std::string, TOutcome> Outcomes = {
    {"16bit-masks-from-missing-table.bmp",
     {"TPxInternalDIB.LoadFromStream: Invalid Masks",
      "TPxInternalDIB.LoadFromStream: Invalid Masks", ""}},
    {"16bit-topdown-rows-missing.bmp",
     {"Stream read error", "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data", ""}},
    {"32bit-rows-missing.bmp",
     {"Stream read error", "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data", ""}},
    // A packed DIB has no bfSize: its pixels are whatever follows the table.
    {"bfsize-before-offbits.bmp", {"TPxInternalDIB.LoadFromStream: Invalid Image Size", Loads, ""}},
    {"bfsize-short-of-rows.bmp", {"TPxInternalDIB.LoadFromStream: Invalid Image Size", Loads, ""}},
    {"clrused-300-offbits-short.bmp",
     {"TPxInternalDIB.LoadFromFile: bfOffBits is too small", Loads, ""}},
    {"clrused-4294967295.bmp",
     {"TPxInternalDIB.LoadFromFile: bfOffBits is too small",
      "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data", ""}},
    {"gigabytes-from-a-small-file.bmp",
     {"Stream read error", "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data", ""}},
    {"header-size-108.bmp",
     {"TPxInternalDIB.LoadFromStream: Invalid Bitmap Header Size",
      "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data", ""}},
    {"height-int32-min.bmp",
     {"TPxInternalDIB.LoadFromStream: Invalid Width or Height",
      "TPxInternalDIB.LoadFromStream: Invalid Width or Height", ""}},
    {"rle4-delta-past-last-row.bmp", {Loads, Loads, "Convert4BitRLETo4BitRGB: Bad RLE Data 6"}},
    // Beyond the largest block the library makes: refused before any block is asked for.
    {"rle8-expansion-over-2-gib.bmp", {Loads, Loads, "Convert8BitRLETo8BitRGB: Image Too Large"}},
    {"rle8-codes-after-file-size.bmp", {Loads, Loads, ""}},
    {"rle8-ends-inside-absolute-run.bmp", {Loads, Loads, ""}},
    {"rle8-ends-inside-delta.bmp", {Loads, Loads, ""}},
    {"rle8-ends-of-line-past-last-row.bmp",
     {Loads, Loads, "Convert8BitRLETo8BitRGB: Bad RLE Data 1"}},
    // 1.6 GB declared, and only the pages the codes write are ever touched.
    {"rle8-huge-canvas-tiny-stream.bmp", {Loads, Loads, ""}},
    {"rle8-no-end-of-bitmap.bmp", {Loads, Loads, ""}},
    // A packed DIB ends with its table: it holds an empty stream.
    {"rle8-pixels-past-end-of-file.bmp", {"Stream read error", Loads, ""}},
    {"rle8-run-past-right-edge.bmp", {Loads, Loads, "Convert8BitRLETo8BitRGB: Bad RLE Data 4"}},
    {"truncated-in-colour-table.bmp",
     {"Stream read error", "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data", ""}},
    {"width-times-height-overflow.bmp",
     {"TPxInternalDIB.LoadFromStream: Invalid Image Size",
      "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data", ""}},
};

// Writes a loaded image back and decodes it when it is compressed; the decoder's message, or "".
std::string Exercise(TPxInternalDIB& store) {
    TMemoryStream saved;
    store.SaveToStream(saved);
    EXPECT_GT(saved.Size(), 54);
    TPxPixelFormat format = store.GetPixelFormat();
    if (format != pf8BitRLE && format != pf4BitRLE) {
        return "";
    }
    try {
        TPxDIBInfos decoded;
        (format == pf8BitRLE ? Convert8BitRLETo8BitRGB : Convert4BitRLETo4BitRGB)(store.DIBInfos,
                                                                                  decoded, true);
        FreeMemory(decoded.MappingHandle, decoded.Bits, true);
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

// Loads with `load` and checks the outcome: the refusal's message, or the decoder's.
template <typename Load>
void Expect(Load load, const char* refusal, const char* decoding, const char* form) {
    SCOPED_TRACE(form);
    TPxInternalDIB store(true);
    try {
        load(store);
    } catch (const Exception& error) {
        EXPECT_EQ(error.what(), std::string(refusal));
        return;
    }
    EXPECT_EQ(refusal, std::string(Loads)) << "loaded";
    EXPECT_EQ(Exercise(store), decoding);
}

TEST(MalformedBmp, EverySampleHasTheOutcomeStatedForIt) {
    std::filesystem::path folder =
        std::filesystem::path(VLZ_SOURCE_DIR) / "tests/data/bmp/malformed";
    std::size_t samples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        auto outcome = Outcomes.find(name);
        ASSERT_NE(outcome, Outcomes.end()) << "a sample without a stated outcome";
        ++samples;
        std::vector<std::uint8_t> bytes = ReadWholeFile(entry.path().string());
        Expect(
            [&](TPxInternalDIB& store) {
                TMemoryStream stream(bytes);
                store.LoadFromStream(stream);
            },
            outcome->second.Stream, outcome->second.Decoding, "stream");

        ASSERT_GT(bytes.size(), 14u);
        HGLOBAL block = GlobalAlloc(GHND, bytes.size() - 14);
        std::copy(bytes.begin() + 14, bytes.end(), TGlobalLock(block).Data());
        Expect([&](TPxInternalDIB& store) { store.LoadFromClipboardFormat(block); },
               outcome->second.Clipboard, outcome->second.Decoding, "clipboard");
        EXPECT_EQ(GlobalLockCount(block), 0);
        EXPECT_EQ(GlobalFree(block), nullptr);
    }
    EXPECT_EQ(samples, Outcomes.size()) << "a stated outcome without its sample";
}

}  // namespace
}  // namespace vlz
