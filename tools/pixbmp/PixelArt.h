#pragma once
// Text pixel art: a palette legend of characters, then the rows of each frame.
//
//   # a comment (also after a value)
//   size 24 20          width and height of one frame
//   columns 2           frames per row of the picture (default: every frame in one row)
//   colour . FF00FF     a legend character and its colour as RRGGBB; the first one listed is the
//   colour K 2A1A0A     transparent colour and must be the top-left pixel of the first frame
//   frame               a frame: the next `height` lines, `width` legend characters each
//   ....
//
// Frames are laid out row by row, left to right; the cells of the last row that no frame fills
// take the transparent colour.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Exception.h"

namespace vlz {

struct PixelArtColour {
    std::uint8_t Red = 0, Green = 0, Blue = 0;
    bool operator==(const PixelArtColour&) const = default;
};

struct PixelArt {
    int FrameWidth = 0;
    int FrameHeight = 0;
    int Columns = 0;
    std::vector<std::vector<PixelArtColour>>
        Frames;  // FrameWidth × FrameHeight each, top row first

    int PictureWidth() const { return FrameWidth * Columns; }
    int PictureHeight() const;
    // The whole picture, top row first.
    std::vector<PixelArtColour> Picture() const;
};

// Raised with "line N: …" for text that breaks the format.
class EPixelArtError : public Exception {
  public:
    using Exception::Exception;
};

PixelArt ParsePixelArt(const std::string& text);

// A 24-bit uncompressed BMP file of the picture.
std::vector<std::uint8_t> EncodeBmp24(int width, int height,
                                      const std::vector<PixelArtColour>& topDownPixels);

}  // namespace vlz
