#pragma once
// A small icon: an ARGB picture (0xAARRGGBB, rows top to bottom) or nothing. Each picture gets
// a handle that the notification-area shell uses to find it again; icons that were assigned from
// one another share the picture and its handle, as long as neither changes.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vlz {

using HICON = std::uintptr_t;

struct TIconImage {
    HICON Handle = 0;
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;
};

class TIcon {
  public:
    TIcon() = default;
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    bool Empty() const { return !FImage; }
    int Width() const { return FImage ? FImage->Width : 0; }
    int Height() const { return FImage ? FImage->Height : 0; }
    // Empty when the icon is.
    const std::vector<std::uint32_t>& Pixels() const;
    // 0 when the icon is empty.
    HICON Handle() const { return FImage ? FImage->Handle : 0; }

    // Takes a width × height ARGB picture; raises Exception for a size that does not fit
    // the pixels or lies outside 1..256.
    void SetPixels(int width, int height, std::vector<std::uint32_t> pixels);
    // Shares the source's picture; nullptr empties the icon.
    void Assign(const TIcon* source);
    void Clear() { Assign(nullptr); }

    // Called after every change of the picture with the icon that changed.
    std::function<void(TIcon& sender)> OnChange;

  private:
    void Changed();

    std::shared_ptr<const TIconImage> FImage;
};

// The picture behind a handle while some icon still holds it, else nullptr.
std::shared_ptr<const TIconImage> FindIconImage(HICON handle);

}  // namespace vlz
