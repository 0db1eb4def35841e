// BMP files of any shape through the stream loader; whatever loads is written back and, when
// compressed, decoded.
#include <cstddef>
#include <cstdint>

#include "dib/PxInternalDIB.h"
#include "dib/PxRLE.h"
#include "platform/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vlz;
    try {
        TPxInternalDIB store(true);
        TReadOnlyMemoryStream input(data, size);
        store.LoadFromStream(input);
        TMemoryStream output;
        store.SaveToStream(output);
        TPxPixelFormat format = store.GetPixelFormat();
        if (format == pf8BitRLE || format == pf4BitRLE) {
            TPxDIBInfos decoded;
            (format == pf8BitRLE ? Convert8BitRLETo8BitRGB : Convert4BitRLETo4BitRGB)(
                store.DIBInfos, decoded, true);
            FreeMemory(decoded.MappingHandle, decoded.Bits, true);
        }
    } catch (const Exception&) {
    }
    return 0;
}
