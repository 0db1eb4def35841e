#include "notes/core/FramePicture.h"

namespace vlz {

namespace {

constexpr std::uint32_t Face = 0xDE9E52;       // 222, 158, 82
constexpr std::uint32_t Highlight = 0xE7B67B;  // 231, 182, 123
constexpr std::uint32_t Shadow = 0x9C6931;     // 156, 105, 49
constexpr std::uint32_t Black = 0x000000;
constexpr std::uint32_t StripeDark = 0xAD7D42;   // 173, 125, 66
constexpr std::uint32_t StripeLight = 0xEFC394;  // 239, 195, 148

// Inclusive rectangles, as the artwork is described.
void Fill(TFramePicture& picture, int left, int top, int right, int bottom, std::uint32_t rgb) {
    for (int y = top; y <= bottom; ++y) {
        std::uint8_t* pixel = picture.Pixels.data() + y * TFramePicture::Stride + left * 3;
        for (int x = left; x <= right; ++x) {
            *pixel++ = static_cast<std::uint8_t>(rgb);
            *pixel++ = static_cast<std::uint8_t>(rgb >> 8);
            *pixel++ = static_cast<std::uint8_t>(rgb >> 16);
        }
    }
}

}  // namespace

std::uint32_t TFramePicture::RGBAt(int x, int y) const {
    const std::uint8_t* pixel = Pixels.data() + y * Stride + x * 3;
    return static_cast<std::uint32_t>(pixel[0]) | (static_cast<std::uint32_t>(pixel[1]) << 8) |
           (static_cast<std::uint32_t>(pixel[2]) << 16);
}

TFramePicture MakeFramePicture() {
    TFramePicture picture;
    picture.Pixels.resize(TFramePicture::Stride * TFramePicture::Height);
    constexpr int Right = TFramePicture::Width - 1;
    constexpr int Bottom = TFramePicture::Height - 1;
    Fill(picture, 0, 0, Right, Bottom, Face);

    // Raised panel: light falls from the top left; the highlight sits 3 pixels in from the edge,
    // the shadow on the right and bottom edges themselves.
    Fill(picture, 3, 3, Right - 3, 5, Highlight);
    Fill(picture, 3, 3, 5, Bottom - 3, Highlight);
    Fill(picture, Right - 2, 0, Right, Bottom, Shadow);
    Fill(picture, 0, Bottom - 2, Right, Bottom, Shadow);

    // Sunken inset under the memo: its bands lie around it, since the memo covers the inset
    // itself.
    constexpr int InsetRight = MemoLeft + MemoWidth - 1;
    constexpr int InsetBottom = MemoTop + MemoHeight - 1;
    Fill(picture, MemoLeft, MemoTop, InsetRight, InsetBottom, Black);
    Fill(picture, MemoLeft - 3, MemoTop - 3, InsetRight + 3, MemoTop - 1, Shadow);
    Fill(picture, MemoLeft - 3, MemoTop - 3, MemoLeft - 1, InsetBottom + 3, Shadow);
    Fill(picture, InsetRight + 1, MemoTop, InsetRight + 3, InsetBottom + 3, Highlight);
    Fill(picture, MemoLeft, InsetBottom + 1, InsetRight + 3, InsetBottom + 3, Highlight);

    // Stripes behind the character box: every fourth row dark with a light row below it.
    for (int y = 14; y <= 99; y += 4) {
        Fill(picture, 13, y, 79, y, StripeDark);
        if (y + 1 <= 99) {
            Fill(picture, 13, y + 1, 79, y + 1, StripeLight);
        }
    }
    return picture;
}

}  // namespace vlz
