#include "platform/MemoryAdvice.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace vlz {

void PrepareForWriting(void* block, std::size_t size) {
    static const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    auto start = reinterpret_cast<std::uintptr_t>(block);
    std::uintptr_t first = (start + pageSize - 1) & ~(pageSize - 1);
    std::uintptr_t last = (start + size) & ~(pageSize - 1);
    if (block == nullptr || last <= first) {
        return;
    }
    void* pages = reinterpret_cast<void*>(first);
    std::size_t length = last - first;
#ifdef MADV_HUGEPAGE
    madvise(pages, length, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
    madvise(pages, length, MADV_POPULATE_WRITE);
#endif
}

void ReturnFreeMemory() {
    malloc_trim(0);
}

}  // namespace vlz
