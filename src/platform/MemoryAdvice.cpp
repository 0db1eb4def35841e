#include "platform/MemoryAdvice.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

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

namespace {

struct Mapping {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    bool readOnlyFile = false;
    bool hasPrivateCopies = true;
};

void Release(const Mapping& mapping) {
    // Only pages that are the file's own bytes can be dropped: a private copy (a relocated page
    // made read-only again, say) would come back as the file's bytes and be lost.
    if (!mapping.readOnlyFile || mapping.hasPrivateCopies || mapping.end <= mapping.start) {
        return;
    }
    void* pages = reinterpret_cast<void*>(mapping.start);
    const std::size_t length = mapping.end - mapping.start;
    // Without this, each page touched again would map the fifteen around it as well.
    madvise(pages, length, MADV_RANDOM);
    madvise(pages, length, MADV_DONTNEED);
}

}  // namespace

void ReleaseFilePages() {
    std::FILE* maps = std::fopen("/proc/self/smaps", "re");
    if (maps == nullptr) {
        return;
    }
    // Read whole before changing anything: the advice below may split or merge the mappings
    // listed after the one it is given for.
    std::vector<Mapping> mappings;
    char line[4096];
    while (std::fgets(line, sizeof line, maps) != nullptr) {
        unsigned long start = 0;
        unsigned long end = 0;
        char permissions[5] = {};
        unsigned long long offset = 0;
        char device[16] = {};
        unsigned long inode = 0;
        int pathStart = 0;
        if (std::sscanf(line, "%lx-%lx %4s %llx %15s %lu %n", &start, &end, permissions, &offset,
                        device, &inode, &pathStart) >= 6) {
            const bool readOnly = permissions[0] == 'r' && permissions[1] == '-';
            mappings.push_back({start, end, readOnly && inode != 0 && line[pathStart] == '/'});
            continue;
        }
        unsigned long kilobytes = 0;
        if (!mappings.empty() && std::sscanf(line, "Anonymous: %lu kB", &kilobytes) == 1) {
            mappings.back().hasPrivateCopies = kilobytes != 0;
        }
    }
    std::fclose(maps);
    for (const Mapping& mapping : mappings) {
        Release(mapping);
    }
}

}  // namespace vlz
