#include "PreviewPicture.h"

#include <stb/stb_easy_font.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "characters/Sprite.h"
#include "graphics/Bitmap.h"

namespace vlz {
namespace {

constexpr std::uint32_t PageColour = 0x2B2B2B;
constexpr std::uint32_t TextColour = 0xF0F0F0;
constexpr int Margin = 16;
constexpr int Gap = 16;
constexpr int LabelGap = 6;
constexpr int TextScale = 2;
// Rows of frames wrap before the preview grows wider than this.
constexpr int PreferredWidth = 1200;

// Text in stb's small vector font, which is made of axis-aligned unit rectangles, so that it
// draws crisp at a whole-number scale without any font on the system.
struct TTextSize {
    int Width = 0;
    int Height = 0;
};

TTextSize MeasureText(std::string text) {
    return {stb_easy_font_width(text.data()) * TextScale,
            stb_easy_font_height(text.data()) * TextScale};
}

void DrawText(TRgbPicture& picture, int left, int top, std::string text, std::uint32_t colour) {
    // Each rectangle is four vertices of x, y, z and a colour: 64 bytes. No glyph has 20.
    std::vector<unsigned char> vertices(64 * 20 * (text.size() + 1));
    int quads = stb_easy_font_print(0, 0, text.data(), nullptr, vertices.data(),
                                    static_cast<int>(vertices.size()));
    for (int quad = 0; quad < quads; ++quad) {
        float corners[2][2];
        std::memcpy(corners[0], &vertices[64 * quad], sizeof corners[0]);
        std::memcpy(corners[1], &vertices[64 * quad + 32], sizeof corners[1]);
        auto place = [](float value) { return static_cast<int>(std::lround(value * TextScale)); };
        picture.Fill(left + place(corners[0][0]), top + place(corners[0][1]),
                     place(corners[1][0]) - place(corners[0][0]),
                     place(corners[1][1]) - place(corners[0][1]), colour);
    }
}

bool IsPrintableAscii(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

}  // namespace

std::string PreviewCaption(const TSprite& sprite, int scale) {
    // The font has no Japanese; such a name is left out rather than drawn as boxes.
    std::string text = IsPrintableAscii(sprite.Name) ? sprite.Name + ": " : "";
    text += std::to_string(sprite.PatternCount) +
            (sprite.PatternCount == 1 ? " frame" : " frames") + " of " +
            std::to_string(sprite.PatternWidth) + " x " + std::to_string(sprite.PatternHeight);
    text += sprite.AnimationInterval == 0
                ? ", interval 0: the note shows frame 0 only"
                : ", " + std::to_string(sprite.AnimationInterval) + " ms each";
    return text + "   (shown x" + std::to_string(scale) + ")";
}

namespace {

// The frame as the note draws it. The program's own routine draws it twice, over black and over
// white: where the two differ, the character is transparent.
void DrawFrame(TSprite& sprite, int frame, int scale, TRgbPicture& picture, int left, int top) {
    const int width = sprite.PatternWidth;
    const int height = sprite.PatternHeight;
    TBitmap overBlack(width, height);
    TBitmap overWhite(width, height);
    for (auto [bitmap, background] : {std::pair{&overBlack, clBlack}, {&overWhite, clWhite}}) {
        bitmap->Canvas().Brush.Color = background;
        bitmap->Canvas().FillRect(Rect(0, 0, width, height));
        sprite.DrawFrame(bitmap->Canvas(), 0, 0, frame);
    }
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* black = overBlack.ScanLine(y);
        const std::uint8_t* white = overWhite.ScanLine(y);
        for (int x = 0; x < width; ++x, black += 3, white += 3) {
            const bool transparent = std::memcmp(black, white, 3) != 0;
            const std::uint32_t colour =
                (std::uint32_t{black[2]} << 16) | (std::uint32_t{black[1]} << 8) | black[0];
            for (int row = y * scale; row < (y + 1) * scale; ++row) {
                for (int column = x * scale; column < (x + 1) * scale; ++column) {
                    const bool light = (row / CheckerSquare + column / CheckerSquare) % 2 == 0;
                    picture.Fill(left + column, top + row, 1, 1,
                                 !transparent ? colour
                                 : light      ? CheckerLight
                                              : CheckerDark);
                }
            }
        }
    }
}

}  // namespace

std::uint32_t TRgbPicture::Pixel(int x, int y) const {
    const std::uint8_t* pixel = &Rgb[3 * (std::size_t{1} * y * Width + x)];
    return (std::uint32_t{pixel[0]} << 16) | (std::uint32_t{pixel[1]} << 8) | pixel[2];
}

void TRgbPicture::Fill(int left, int top, int width, int height, std::uint32_t colour) {
    const int right = std::min(left + width, Width);
    const int bottom = std::min(top + height, Height);
    for (int y = std::max(top, 0); y < bottom; ++y) {
        for (int x = std::max(left, 0); x < right; ++x) {
            std::uint8_t* pixel = &Rgb[3 * (std::size_t{1} * y * Width + x)];
            pixel[0] = static_cast<std::uint8_t>(colour >> 16);
            pixel[1] = static_cast<std::uint8_t>(colour >> 8);
            pixel[2] = static_cast<std::uint8_t>(colour);
        }
    }
}

int DefaultPreviewScale(int frameWidth, int frameHeight) {
    return std::clamp(128 / std::max({frameWidth, frameHeight, 1}), 1, 8);
}

int TPreviewLayout::CellLeft(int index) const {
    return Margin + (index % Columns) * (CellWidth + Gap);
}

int TPreviewLayout::FrameLeft(int index) const {
    return CellLeft(index) + (CellWidth - FrameWidth) / 2;
}

int TPreviewLayout::FrameTop(int index) const {
    return FramesTop + (index / Columns) * (CellHeight + Gap);
}

TRgbPicture DrawPreview(TSprite& sprite, int scale, std::vector<std::string>& warnings,
                        TPreviewLayout* layoutOut) {
    const int count = sprite.PatternCount;
    const std::string header = PreviewCaption(sprite, scale);
    const TTextSize headerSize = MeasureText(header);
    const TTextSize labelSize = MeasureText(std::to_string(count - 1));

    TPreviewLayout layout;
    layout.Scale = scale;
    layout.FrameWidth = sprite.PatternWidth * scale;
    layout.FrameHeight = sprite.PatternHeight * scale;
    layout.CellWidth = std::max(layout.FrameWidth, labelSize.Width);
    layout.CellHeight = layout.FrameHeight + LabelGap + labelSize.Height;
    layout.FramesTop = Margin + headerSize.Height + Gap;
    layout.Columns =
        std::clamp((PreferredWidth - 2 * Margin + Gap) / (layout.CellWidth + Gap), 1, count);
    const int rowsThatFit = std::max(
        1, (MaximumPreviewSide - layout.FramesTop - Margin + Gap) / (layout.CellHeight + Gap));
    layout.FramesDrawn =
        static_cast<int>(std::min<std::int64_t>(count, std::int64_t{rowsThatFit} * layout.Columns));
    if (layout.FramesDrawn < count) {
        warnings.push_back("only the first " + std::to_string(layout.FramesDrawn) + " of the " +
                           std::to_string(count) + " frames are drawn");
    }
    const int rows = (layout.FramesDrawn + layout.Columns - 1) / layout.Columns;

    TRgbPicture picture;
    picture.Width = std::min(
        MaximumPreviewSide,
        2 * Margin + std::max(layout.Columns * (layout.CellWidth + Gap) - Gap, headerSize.Width));
    picture.Height = layout.FramesTop + rows * (layout.CellHeight + Gap) - Gap + Margin;
    picture.Rgb.resize(std::size_t{3} * picture.Width * picture.Height);
    picture.Fill(0, 0, picture.Width, picture.Height, PageColour);
    DrawText(picture, Margin, Margin, header, TextColour);
    for (int index = 0; index < layout.FramesDrawn; ++index) {
        const int top = layout.FrameTop(index);
        DrawFrame(sprite, index, scale, picture, layout.FrameLeft(index), top);
        const std::string label = std::to_string(index);
        DrawText(picture,
                 layout.CellLeft(index) + (layout.CellWidth - MeasureText(label).Width) / 2,
                 top + layout.FrameHeight + LabelGap, label, TextColour);
    }
    if (layoutOut) {
        *layoutOut = layout;
    }
    return picture;
}

std::vector<std::uint8_t> EncodePng(const TRgbPicture& picture) {
    std::vector<std::uint8_t> bytes;
    auto append = [](void* context, void* data, int size) {
        auto* output = static_cast<std::vector<std::uint8_t>*>(context);
        auto* first = static_cast<std::uint8_t*>(data);
        output->insert(output->end(), first, first + size);
    };
    if (!stbi_write_png_to_func(append, &bytes, picture.Width, picture.Height, 3,
                                picture.Rgb.data(), picture.Width * 3)) {
        throw std::runtime_error("cannot encode the preview as PNG");
    }
    return bytes;
}

}  // namespace vlz
