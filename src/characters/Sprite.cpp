#include "characters/Sprite.h"

#include <algorithm>
#include <limits>

#include "characters/Description.h"
#include "characters/PackageFile2.h"
#include "dib/PxDIB.h"

namespace vlz {

TSprite::TSprite() = default;
TSprite::~TSprite() = default;

void TSprite::LoadFromFile(const std::string& fileName) {
    TReadPackageFile reader;
    reader.OpenFile(fileName);

    TCharacterDescription description = LoadPackageDescription(reader, fileName);
    Name = description.Name;
    PatternWidth = description.PatternWidth;
    PatternHeight = description.PatternHeight;
    PatternCount = description.PatternCount;
    AnimationInterval = description.AnimationInterval;

    // Everything about the picture is one step: any failure leaves Image and Mask untouched.
    try {
        TStream* stream = reader.OpenEntry("image.bmp");
        if (stream == nullptr) {
            throw Exception("no image.bmp");
        }
        TPxDIB picture;
        picture.LoadFromStream(*stream);
        TPxDIB mask;
        mask.Assign(&picture);
        const std::int32_t key = picture.GetPixels(0, 0);
        const int width = picture.Width();
        const int height = picture.Height();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (picture.GetPixels(x, y) == key) {
                    picture.SetPixels(x, y, clBlack);
                    mask.SetPixels(x, y, clWhite);
                } else {
                    mask.SetPixels(x, y, clBlack);
                }
            }
        }
        TBitmap image;
        image.Assign(&picture);
        TBitmap maskBitmap;
        maskBitmap.Assign(&mask);
        Image.Assign(&image);
        Mask.Assign(&maskBitmap);
    } catch (const std::exception&) {
        throw Exception("ファイル読み込みエラー");
    }
}

TRect TSprite::FrameRect(int frame) const {
    int columns = std::max(1, Image.Width() / PatternWidth);
    // Frame numbers and sides are 32-bit; the picture coordinates of a far frame are not.
    std::int64_t left = std::int64_t{frame % columns} * PatternWidth;
    std::int64_t top = std::int64_t{frame / columns} * PatternHeight;
    auto clamp = [](std::int64_t value) {
        return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min() / 2,
                                                         std::numeric_limits<int>::max() / 2));
    };
    return Bounds(clamp(left), clamp(top), PatternWidth, PatternHeight);
}

void TSprite::DrawFrame(TCanvas& canvas, int x, int y, int frame) {
    TRect source = FrameRect(frame);
    TRect visible = Intersect(source, Rect(0, 0, Image.Width(), Image.Height()));
    if (!visible.IsEmpty()) {
        TRect destination = Bounds(x + (visible.Left - source.Left), y + (visible.Top - source.Top),
                                   visible.Width(), visible.Height());
        canvas.CopyMode = SRCAND;
        canvas.CopyRect(destination, Mask.Canvas(), visible);
        canvas.CopyMode = SRCPAINT;
        canvas.CopyRect(destination, Image.Canvas(), visible);
    }
    canvas.CopyMode = SRCCOPY;
}

void TSprite::DrawFrameOpaque(TCanvas& canvas, int x, int y, int frame) {
    TBitmap buffer(PatternWidth, PatternHeight, TPixelFormat::pf24bit);
    buffer.Canvas().Brush.Color = canvas.Brush.Color;
    buffer.Canvas().FillRect(Rect(0, 0, PatternWidth, PatternHeight));
    DrawFrame(buffer.Canvas(), 0, 0, frame);
    canvas.Draw(x, y, buffer);
}

}  // namespace vlz
