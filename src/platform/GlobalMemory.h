#pragma once
// Global memory blocks, the currency of clipboard data: allocated with flags, sized, locked to get
// at the bytes, unlocked and freed by whoever owns them. Blocks here never actually move; the
// lock count is kept so that a forgotten unlock or a free of a locked block can be noticed.

#include <cstddef>
#include <cstdint>

namespace vlz {

struct TGlobalBlock;
using HGLOBAL = TGlobalBlock*;

constexpr std::uint32_t GMEM_FIXED = 0x0000;
constexpr std::uint32_t GMEM_MOVEABLE = 0x0002;
constexpr std::uint32_t GMEM_ZEROINIT = 0x0040;
constexpr std::uint32_t GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// A new block of `size` bytes (zero-filled with GMEM_ZEROINIT), or nullptr when memory runs out
// or the size is beyond what a block may hold.
HGLOBAL GlobalAlloc(std::uint32_t flags, std::size_t size);
// The block's size in bytes; 0 for nullptr.
std::size_t GlobalSize(HGLOBAL block);
// The block's bytes, counting one more lock; nullptr for nullptr.
void* GlobalLock(HGLOBAL block);
// Counts one lock less; returns whether the block is still locked.
bool GlobalUnlock(HGLOBAL block);
// The number of locks held on the block.
int GlobalLockCount(HGLOBAL block);
// Frees the block; returns nullptr on success (the block itself when it is still locked and was
// therefore kept).
HGLOBAL GlobalFree(HGLOBAL block);

// Holds a block locked for the length of a scope.
class TGlobalLock {
  public:
    explicit TGlobalLock(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
    ~TGlobalLock() {
        if (data_ != nullptr) {
            GlobalUnlock(block_);
        }
    }
    TGlobalLock(const TGlobalLock&) = delete;
    TGlobalLock& operator=(const TGlobalLock&) = delete;

    std::uint8_t* Data() const { return static_cast<std::uint8_t*>(data_); }
    std::size_t Size() const { return GlobalSize(block_); }

  private:
    HGLOBAL block_;
    void* data_;
};

}  // namespace vlz
