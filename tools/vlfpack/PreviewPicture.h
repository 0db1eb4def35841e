#pragma once
// vlfpack preview: one picture with every frame of a character as a note shows it.

#include <cstdint>
#include <string>
#include <vector>

namespace vlz {

class TSprite;

struct TRgbPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgb;  // red, green, blue; top row first

    // 0xRRGGBB
    std::uint32_t Pixel(int x, int y) const;
    void Fill(int left, int top, int width, int height, std::uint32_t colour);
};

// The colours of the checkerboard that shows where the character is transparent, in squares of
// CheckerSquare pixels of the preview, starting light at each frame's top-left corner.
inline constexpr std::uint32_t CheckerLight = 0xFFFFFF;
inline constexpr std::uint32_t CheckerDark = 0xCCCCCC;
inline constexpr int CheckerSquare = 8;
// The preview is at most this many pixels wide and high.
inline constexpr int MaximumPreviewSide = 8192;
inline constexpr int MaximumPreviewScale = 16;

// The whole-number enlargement that shows a frame at about 128 pixels (at most 8 times).
int DefaultPreviewScale(int frameWidth, int frameHeight);

// The line above the frames: the name (when the preview's font can draw it), the number and
// size of the frames and the interval.
std::string PreviewCaption(const TSprite& sprite, int scale);

// Where frame `index` lies in a preview drawn by DrawPreview, to the pixel.
struct TPreviewLayout {
    int Scale = 1;
    int Columns = 1;
    int FramesDrawn = 0;
    int FramesTop = 0;   // of the first row of frames
    int FrameWidth = 0;  // enlarged
    int FrameHeight = 0;
    int CellWidth = 0;  // a frame with its number below
    int CellHeight = 0;
    int CellLeft(int index) const;
    int FrameLeft(int index) const;
    int FrameTop(int index) const;
};

// Every frame in order, enlarged `scale` times with nearest-neighbour, over the checkerboard
// where the character is transparent, numbered, below a line with the frame size and the
// interval. The frames are drawn by the program's own routine. When the frames would not fit
// MaximumPreviewSide, only the first ones are drawn and `warnings` says so.
TRgbPicture DrawPreview(TSprite& sprite, int scale, std::vector<std::string>& warnings,
                        TPreviewLayout* layout = nullptr);

std::vector<std::uint8_t> EncodePng(const TRgbPicture& picture);

}  // namespace vlz
