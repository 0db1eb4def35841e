#pragma once
// What the clipboard fuzz targets share: a picture as the stream writer puts it, to compare two
// loads by, and bytes copied into a global block as the clipboard hands them over.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dib/PxInternalDIB.h"

namespace vlz {

inline std::vector<std::uint8_t> SavedBytes(const TPxInternalDIB& store) {
    TMemoryStream stream;
    store.SaveToStream(stream);
    return stream.Bytes();
}

// A movable block holding `size` bytes of `data`; null when no block could be had.
inline HGLOBAL GlobalBlockOf(const std::uint8_t* data, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GHND, size);
    if (block != nullptr && size != 0) {
        TGlobalLock lock(block);
        std::memcpy(lock.Data(), data, size);
    }
    return block;
}

}  // namespace vlz
