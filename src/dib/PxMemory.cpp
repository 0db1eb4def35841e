#include "dib/PxMemory.h"

#include <cstdlib>

#include "platform/Exception.h"

namespace vlz {

void GetMemory(std::int32_t size, MappingHandle& mapping, std::uint8_t*& bits,
               bool useFileMapping) {
    // A zero-byte request still gets a block of one byte, so that Bits is never null.
    std::size_t bytes = size > 0 ? static_cast<std::size_t>(size) : 1;
    if (!useFileMapping) {
        void* block = std::calloc(bytes, 1);
        if (block == nullptr) {
            throw EOutOfMemory("Out of memory");
        }
        mapping = NoMapping;
        bits = static_cast<std::uint8_t*>(block);
        return;
    }
    MappingHandle section = CreateSection(bytes);
    if (section == NoMapping) {
        throw EOutOfResources("GetMemory: Cannot Make File Mapping Object");
    }
    TSectionView view = MapSection(section);
    if (view.Data == nullptr) {
        CloseSection(section);
        throw EOutOfResources("GetMemory: Cannot Make View of File Map");
    }
    mapping = section;
    bits = view.Data;
}

void FreeMemory(MappingHandle& mapping, std::uint8_t*& bits, bool useFileMapping) {
    if (bits != nullptr) {
        if (useFileMapping) {
            // The block's own section is still open here, so it still knows the view's length.
            TSectionView view{bits, SectionSize(mapping)};
            UnmapSection(view);
        } else {
            std::free(bits);
        }
    }
    CloseSection(mapping);
    mapping = NoMapping;
    bits = nullptr;
}

}  // namespace vlz
