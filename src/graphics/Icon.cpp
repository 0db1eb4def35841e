#include "graphics/Icon.h"

#include <mutex>
#include <unordered_map>

#include "platform/Exception.h"

namespace vlz {
namespace {

// Handles are never reused, so a stale handle finds nothing rather than another picture.
struct IconTable {
    std::mutex mutex;
    std::unordered_map<HICON, std::weak_ptr<const TIconImage>> images;
    HICON lastHandle = 0;
};

IconTable& Table() {
    static IconTable table;
    return table;
}

std::shared_ptr<const TIconImage> RegisterImage(int width, int height,
                                                std::vector<std::uint32_t> pixels) {
    IconTable& table = Table();
    std::lock_guard lock(table.mutex);
    HICON handle = ++table.lastHandle;
    auto image = std::shared_ptr<const TIconImage>(
        new TIconImage{handle, width, height, std::move(pixels)}, [](const TIconImage* released) {
            IconTable& owner = Table();
            {
                std::lock_guard releaseLock(owner.mutex);
                owner.images.erase(released->Handle);
            }
            delete released;
        });
    table.images.emplace(handle, image);
    return image;
}

}  // namespace

const std::vector<std::uint32_t>& TIcon::Pixels() const {
    static const std::vector<std::uint32_t> none;
    return FImage ? FImage->Pixels : none;
}

void TIcon::SetPixels(int width, int height, std::vector<std::uint32_t> pixels) {
    if (width < 1 || height < 1 || width > 256 || height > 256 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        throw Exception("TIcon.SetPixels: Invalid icon size");
    }
    FImage = RegisterImage(width, height, std::move(pixels));
    Changed();
}

void TIcon::Assign(const TIcon* source) {
    if (source == this) {
        return;
    }
    FImage = source ? source->FImage : nullptr;
    Changed();
}

void TIcon::Changed() {
    if (OnChange) {
        OnChange(*this);
    }
}

std::shared_ptr<const TIconImage> FindIconImage(HICON handle) {
    IconTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto found = table.images.find(handle);
    return found == table.images.end() ? nullptr : found->second.lock();
}

}  // namespace vlz
