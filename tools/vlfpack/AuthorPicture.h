#pragma once
// The picture of a new package: whatever the author drew, as the "image.bmp" the program reads.
//
// The program reads a 24-bit BMP with a 40-byte header and leaves out every pixel of the colour
// of the top-left pixel (the key colour). Authors save PNG files, and BMP files with 108- or
// 124-byte headers, 16 or 32 bits and an alpha channel; those are decoded and written again as
// such a BMP. Where the source has an alpha channel its fully transparent pixels take the key
// colour, so they are left out too; other alpha values are drawn opaque.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Exception.h"

namespace vlz {

// A picture that cannot become a package's picture: not PNG or BMP, undecodable, too large.
class EPictureError : public Exception {
  public:
    using Exception::Exception;
};

struct TPackagePicture {
    std::vector<std::uint8_t> Bmp;  // the entry's bytes
    int Width = 0;
    int Height = 0;
    // False when the source was already such a BMP and is kept byte for byte.
    bool Converted = false;
    // What the author should know about the transparency the note will show.
    std::vector<std::string> Warnings;
};

// The largest picture taken: 8192 × 8192 pixels or as many in another shape, which holds far
// more frames than a character needs and keeps the BMP well below the format's 2 GiB.
inline constexpr std::int64_t MaximumPicturePixels = std::int64_t{8192} * 8192;
inline constexpr int MaximumPictureSide = 65535;

// Raises EPictureError with the reason.
TPackagePicture MakePackagePicture(const std::vector<std::uint8_t>& source);

}  // namespace vlz
