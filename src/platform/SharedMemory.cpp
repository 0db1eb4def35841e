#include "platform/SharedMemory.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vlz {

SectionHandle CreateSection(std::size_t size) {
    int descriptor = memfd_create("vlzozed-section", MFD_CLOEXEC);
    if (descriptor < 0) {
        return NoSection;
    }
    if (ftruncate(descriptor, static_cast<off_t>(size > 0 ? size : 1)) != 0) {
        close(descriptor);
        return NoSection;
    }
    return descriptor;
}

std::size_t SectionSize(SectionHandle section) {
    struct stat status {};
    if (section == NoSection || fstat(section, &status) != 0) {
        return 0;
    }
    return static_cast<std::size_t>(status.st_size);
}

TSectionView MapSection(SectionHandle section) {
    std::size_t size = SectionSize(section);
    if (size == 0) {
        return {};
    }
    void* view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, section, 0);
    if (view == MAP_FAILED) {
        return {};
    }
    return {static_cast<std::uint8_t*>(view), size};
}

void UnmapSection(TSectionView& view) {
    if (view.Data != nullptr) {
        munmap(view.Data, view.Size);
    }
    view = {};
}

bool WriteSection(SectionHandle section, std::size_t offset, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        ssize_t written = pwrite(section, bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        offset += static_cast<std::size_t>(written);
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void CloseSection(SectionHandle section) {
    if (section != NoSection) {
        close(section);
    }
}

}  // namespace vlz
