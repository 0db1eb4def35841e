#pragma once
// Small pictures kept as editable text, for the project's own artwork: the characters' pictures
// and the tray icons.
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

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/Exception.h"

namespace vlz {

struct TPixelArtColour {
    std::uint8_t Red = 0, Green = 0, Blue = 0;
    bool operator==(const TPixelArtColour&) const = default;
};

struct TPixelArt {
    int FrameWidth = 0;
    int FrameHeight = 0;
    int Columns = 0;
    std::vector<std::vector<TPixelArtColour>> Frames;  // FrameWidth × FrameHeight, top row first
    TPixelArtColour Transparent;

    int PictureWidth() const { return FrameWidth * Columns; }
    int PictureHeight() const;
    // The whole picture, top row first, the transparent colour kept as a colour (a character's
    // picture, whose top-left pixel says which colour is left out).
    std::vector<TPixelArtColour> Picture() const;
    // The whole picture as 0xAARRGGBB, top row first, the transparent colour fully transparent
    // (0) and every other colour opaque (an icon's pixels).
    std::vector<std::uint32_t> PictureArgb() const;
};

// Raised with "line N: …" for text that breaks the format.
class EPixelArtError : public Exception {
  public:
    using Exception::Exception;
};

TPixelArt ParsePixelArt(std::string_view text);

}  // namespace vlz
