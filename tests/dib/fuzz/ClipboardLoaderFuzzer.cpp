// Packed DIBs of any shape through the clipboard loader; whatever loads is packed again.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "dib/PxInternalDIB.h"
#include "platform/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vlz;
    HGLOBAL block = GlobalAlloc(GHND, size);
    if (block == nullptr) {
        return 0;
    }
    {
        TGlobalLock lock(block);
        if (size != 0) {
            std::memcpy(lock.Data(), data, size);
        }
    }
    try {
        TPxInternalDIB store(true);
        store.LoadFromClipboardFormat(block);
        HGLOBAL packed = nullptr;
        store.SaveToClipboardFormat(packed);
        GlobalFree(packed);
    } catch (const Exception&) {
    }
    if (GlobalLockCount(block) != 0) {
        __builtin_trap();  // the loader must unlock on every path
    }
    GlobalFree(block);
    return 0;
}
