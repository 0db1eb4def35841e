#pragma once
// A character: a loop of equally sized frames cut from one picture, drawn over any background
// with the colour of the picture's top-left pixel left out.
//
// The picture is a grid of PatternWidth × PatternHeight frames read row by row from the top
// left; it has (picture width div PatternWidth) columns, at least one. The transparency is
// worked out once, at load: Image holds the picture with every transparent pixel black, Mask is
// white where the picture is transparent and black elsewhere, so that a frame is drawn with two
// block copies (the mask with SRCAND, then the image with SRCPAINT) and no per-pixel work.

#include <cstdint>
#include <memory>
#include <string>

#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"

namespace vlz {

class TSprite {
  public:
    TSprite();
    ~TSprite();
    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;

    // Fills every field from a character package. A missing or unusable description shows its
    // box and leaves the defaults from the failing setting on; a picture that cannot be read
    // raises Exception "ファイル読み込みエラー" and leaves Image and Mask as they were.
    void LoadFromFile(const std::string& fileName);

    // Draws frame `frame` at (x, y), leaving the canvas alone where the character is
    // transparent. The frame number is not reduced: callers pass (tick mod PatternCount). The
    // parts of a frame that lie outside the picture count as transparent. The canvas's copy mode
    // is SRCCOPY afterwards.
    void DrawFrame(TCanvas& canvas, int x, int y, int frame);
    // Draws the frame over a rectangle of the canvas's brush colour, with one copy.
    void DrawFrameOpaque(TCanvas& canvas, int x, int y, int frame);

    // The frame's rectangle in the picture (not clipped to it).
    TRect FrameRect(int frame) const;

    TBitmap Image;
    TBitmap Mask;
    std::int32_t PatternWidth = 32;
    std::int32_t PatternHeight = 32;
    std::int32_t PatternCount = 1;
    std::string Name;  // UTF-8
    std::int32_t AnimationInterval = 100;
};

}  // namespace vlz
