#include "platform/GlobalMemory.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace vlz {

struct TGlobalBlock {
    std::uint8_t* data = nullptr;
    std::size_t size = 0;
    int locks = 0;
};

namespace {

// Blocks carry their size in 32 bits on the clipboard side; nothing larger is handed out.
constexpr std::size_t MaxGlobalBlockSize = std::numeric_limits<std::uint32_t>::max();

}  // namespace

HGLOBAL GlobalAlloc(std::uint32_t flags, std::size_t size) {
    if (size > MaxGlobalBlockSize) {
        return nullptr;
    }
    auto* block = new (std::nothrow) TGlobalBlock;
    if (block == nullptr) {
        return nullptr;
    }
    // A zero-byte block still has an address, as a locked block must.
    std::size_t bytes = size == 0 ? 1 : size;
    void* data = (flags & GMEM_ZEROINIT) != 0 ? std::calloc(bytes, 1) : std::malloc(bytes);
    if (data == nullptr) {
        delete block;
        return nullptr;
    }
    block->data = static_cast<std::uint8_t*>(data);
    block->size = size;
    return block;
}

std::size_t GlobalSize(HGLOBAL block) {
    return block == nullptr ? 0 : block->size;
}

void* GlobalLock(HGLOBAL block) {
    if (block == nullptr) {
        return nullptr;
    }
    ++block->locks;
    return block->data;
}

bool GlobalUnlock(HGLOBAL block) {
    if (block == nullptr || block->locks == 0) {
        return false;
    }
    --block->locks;
    return block->locks > 0;
}

int GlobalLockCount(HGLOBAL block) {
    return block == nullptr ? 0 : block->locks;
}

HGLOBAL GlobalFree(HGLOBAL block) {
    if (block == nullptr) {
        return nullptr;
    }
    if (block->locks > 0) {
        return block;
    }
    std::free(block->data);
    delete block;
    return nullptr;
}

}  // namespace vlz
