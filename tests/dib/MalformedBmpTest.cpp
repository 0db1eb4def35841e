// Replays every sample that once broke a loader, or could: each must fail cleanly or load into
// a store whose pixels can be decoded and written back, in the stream and the clipboard form.
#include <gtest/gtest.h>

#include <filesystem>

#include "dib/PxInternalDIB.h"
#include "dib/PxRLE.h"
#include "platform/Exception.h"

namespace vlz {
namespace {

void Exercise(TPxInternalDIB& store) {
    TMemoryStream saved;
    store.SaveToStream(saved);
    TPxPixelFormat format = store.GetPixelFormat();
    if (format == pf8BitRLE || format == pf4BitRLE) {
        TPxDIBInfos decoded;
        (format == pf8BitRLE ? Convert8BitRLETo8BitRGB : Convert4BitRLETo4BitRGB)(store.DIBInfos,
                                                                                  decoded, true);
        FreeMemory(decoded.MappingHandle, decoded.Bits, true);
    }
}

TEST(MalformedBmp, EverySampleFailsCleanlyOrLoadsSafely) {
    std::filesystem::path folder =
        std::filesystem::path(VLZ_SOURCE_DIR) / "tests/data/bmp/malformed";
    int samples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        ++samples;
        std::vector<std::uint8_t> bytes = ReadWholeFile(entry.path().string());
        try {
            TPxInternalDIB store(true);
            TMemoryStream stream(bytes);
            store.LoadFromStream(stream);
            Exercise(store);
        } catch (const Exception&) {
        }
        if (bytes.size() > 14) {
            HGLOBAL block = GlobalAlloc(GHND, bytes.size() - 14);
            std::copy(bytes.begin() + 14, bytes.end(), TGlobalLock(block).Data());
            try {
                TPxInternalDIB store(true);
                store.LoadFromClipboardFormat(block);
                Exercise(store);
            } catch (const Exception&) {
            }
            EXPECT_EQ(GlobalFree(block), nullptr);
        }
    }
    EXPECT_GT(samples, 10);
}

}  // namespace
}  // namespace vlz
