#include "AuthorPicture.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <iterator>
#include <memory>
#include <optional>

#include "dib/PxDIB.h"
#include "graphics/Bitmap.h"
#include "graphics/BitmapInfo.h"
#include "platform/LittleEndian.h"
#include "platform/Stream.h"

namespace vlz {
namespace {

constexpr std::uint8_t PngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool IsPng(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= sizeof PngSignature &&
           std::equal(std::begin(PngSignature), std::end(PngSignature), bytes.begin());
}

bool IsBmp(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

// The fields that tell whether the program can take a BMP as it is:
//
//   0 BITMAPFILEHEADER (14 bytes)
//  14 header size: 12 (core), 40, 52, 56, 108 or 124
//  18 width, height, planes (core: 16-bit each, info: 32, 32 and 16 bits)
//     bit count (16 bits), then, in every header but the core one, the compression (32 bits)
struct TBmpFields {
    std::uint32_t HeaderSize = 0;
    std::uint16_t BitCount = 0;
    std::uint32_t Compression = BI_RGB;
};

TBmpFields ReadBmpFields(const std::vector<std::uint8_t>& bytes) {
    TLittleEndianReader reader(bytes.data(), bytes.size());
    reader.Skip(14);
    TBmpFields fields;
    fields.HeaderSize = reader.U32();
    reader.Skip(fields.HeaderSize == 12 ? 6 : 10);
    fields.BitCount = reader.U16();
    if (fields.HeaderSize != 12) {
        fields.Compression = reader.U32();
    }
    return fields;
}

// A BMP that is already what the program reads, and that its own bitmap library accepts, is
// kept as the author made it.
std::optional<TPackagePicture> AsReadyPicture(const std::vector<std::uint8_t>& source,
                                              const TBmpFields& fields) {
    if (fields.HeaderSize != 40 || fields.BitCount != 24 || fields.Compression != BI_RGB) {
        return std::nullopt;
    }
    try {
        TReadOnlyMemoryStream stream(source.data(), source.size());
        TPxDIB picture;
        picture.LoadFromStream(stream);
        if (picture.PixelFormat() != TPxPixelFormat::pf24Bit) {
            return std::nullopt;
        }
        return TPackagePicture{source, picture.Width(), picture.Height(), false, {}};
    } catch (const std::exception&) {
        // Damaged in a way the decoder below may forgive (a wrong file size, for example).
        return std::nullopt;
    }
}

struct TDecodedPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgba;  // top row first
    bool HasAlpha = false;

    std::size_t PixelCount() const { return Rgba.size() / 4; }
    std::uint8_t Alpha(std::size_t pixel) const { return Rgba[4 * pixel + 3]; }
    // As the program's 24-bit pixel values, 0x00BBGGRR.
    std::uint32_t Colour(std::size_t pixel) const {
        const std::uint8_t* rgba = &Rgba[4 * pixel];
        return rgba[0] | (std::uint32_t{rgba[1]} << 8) | (std::uint32_t{rgba[2]} << 16);
    }
    void SetColour(std::size_t pixel, std::uint32_t colour) {
        Rgba[4 * pixel] = static_cast<std::uint8_t>(colour);
        Rgba[4 * pixel + 1] = static_cast<std::uint8_t>(colour >> 8);
        Rgba[4 * pixel + 2] = static_cast<std::uint8_t>(colour >> 16);
    }
};

std::string CannotRead() {
    const char* reason = stbi_failure_reason();
    return std::string("cannot read the picture") +
           (reason ? std::string(" (") + reason + ")" : "");
}

TDecodedPicture Decode(const std::vector<std::uint8_t>& source, bool bmp) {
    if (source.size() > static_cast<std::size_t>(INT_MAX)) {
        throw EPictureError("the picture file is too large");
    }
    const auto size = static_cast<int>(source.size());
    int width = 0;
    int height = 0;
    int channels = 0;
    // The size first, so that no decoder allocates for a picture that is refused anyway.
    if (!stbi_info_from_memory(source.data(), size, &width, &height, &channels)) {
        throw EPictureError(CannotRead());
    }
    if (width > MaximumPictureSide || height > MaximumPictureSide ||
        std::int64_t{width} * height > MaximumPicturePixels) {
        throw EPictureError("the picture is " + std::to_string(width) + " x " +
                            std::to_string(height) + " pixels, more than a character can use");
    }
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(source.data(), size, &width, &height, &channels, 4),
        &stbi_image_free);
    if (!pixels) {
        throw EPictureError(CannotRead());
    }
    TDecodedPicture picture;
    picture.Width = width;
    picture.Height = height;
    picture.Rgba.assign(pixels.get(), pixels.get() + std::size_t{4} * width * height);
    picture.HasAlpha = channels == 2 || channels == 4;
    // Many writers of 32-bit BMP files leave the fourth byte of every pixel 0 and mean no alpha
    // at all, even under a header whose alpha mask says otherwise; such a picture is opaque.
    if (bmp && picture.HasAlpha) {
        bool anyAlpha = false;
        for (std::size_t pixel = 0; pixel < picture.PixelCount() && !anyAlpha; ++pixel) {
            anyAlpha = picture.Alpha(pixel) != 0;
        }
        picture.HasAlpha = anyAlpha;
    }
    return picture;
}

std::string HexColour(std::uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return text;
}

// The key colour of a picture whose top-left pixel is transparent: that pixel's own colour when
// no visible pixel has it, else one that no visible pixel has, so that nothing the author drew
// disappears with the background.
std::uint32_t UnusedKeyColour(const TDecodedPicture& picture) {
    std::vector<bool> used(std::size_t{1} << 24);
    for (std::size_t pixel = 0; pixel < picture.PixelCount(); ++pixel) {
        if (picture.Alpha(pixel) != 0) {
            used[picture.Colour(pixel)] = true;
        }
    }
    for (std::uint32_t candidate : {picture.Colour(0), std::uint32_t{0xFF00FF}}) {
        if (!used[candidate]) {
            return candidate;
        }
    }
    for (std::uint32_t candidate = 0; candidate < used.size(); ++candidate) {
        if (!used[candidate]) {
            return candidate;
        }
    }
    throw EPictureError(
        "the picture uses every colour, so none is left for its transparent pixels");
}

// Gives the fully transparent pixels the key colour; returns what the author should know.
std::vector<std::string> ApplyTransparency(TDecodedPicture& picture) {
    std::vector<std::string> warnings;
    if (!picture.HasAlpha) {
        return warnings;
    }
    std::size_t transparent = 0;
    std::size_t partly = 0;
    for (std::size_t pixel = 0; pixel < picture.PixelCount(); ++pixel) {
        std::uint8_t alpha = picture.Alpha(pixel);
        transparent += alpha == 0;
        partly += alpha != 0 && alpha != 255;
    }
    if (transparent > 0) {
        std::uint32_t key;
        if (picture.Alpha(0) == 0) {
            key = UnusedKeyColour(picture);
        } else {
            key = picture.Colour(0);
            warnings.push_back("the top-left pixel is not transparent, so its colour " +
                               HexColour(key) +
                               " is the transparent colour: the note leaves out every pixel of "
                               "that colour as well as the transparent ones");
        }
        for (std::size_t pixel = 0; pixel < picture.PixelCount(); ++pixel) {
            if (picture.Alpha(pixel) == 0) {
                picture.SetColour(pixel, key);
            }
        }
        if (transparent == picture.PixelCount()) {
            warnings.push_back("every pixel of the picture is transparent: the note shows nothing");
        }
    }
    if (partly > 0) {
        warnings.push_back(std::to_string(partly) + (partly == 1 ? " pixel is" : " pixels are") +
                           " partly transparent; the note shows them opaque");
    }
    return warnings;
}

// Written by the program's own bitmap library, so that it is the BMP the program reads.
std::vector<std::uint8_t> EncodeBmp(const TDecodedPicture& picture) {
    TBitmap bitmap(picture.Width, picture.Height, TPixelFormat::pf24bit);
    for (int y = 0; y < picture.Height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < picture.Width; ++x) {
            std::uint32_t colour = picture.Colour(std::size_t{1} * y * picture.Width + x);
            row[3 * x] = static_cast<std::uint8_t>(colour >> 16);
            row[3 * x + 1] = static_cast<std::uint8_t>(colour >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(colour);
        }
    }
    TPxDIB dib;
    dib.Assign(&bitmap);
    TMemoryStream stream;
    dib.SaveToStream(stream);
    return std::move(stream.Bytes());
}

}  // namespace

TPackagePicture MakePackagePicture(const std::vector<std::uint8_t>& source) {
    const bool bmp = IsBmp(source);
    if (!bmp && !IsPng(source)) {
        throw EPictureError("not a PNG or BMP picture");
    }
    if (bmp) {
        TBmpFields fields = ReadBmpFields(source);
        if (std::optional<TPackagePicture> ready = AsReadyPicture(source, fields)) {
            return std::move(*ready);
        }
        if (fields.HeaderSize != 12 &&
            (fields.Compression == BI_RLE8 || fields.Compression == BI_RLE4)) {
            throw EPictureError(
                "run-length compressed BMP pictures are not taken; save it "
                "uncompressed, or as PNG");
        }
    }
    TDecodedPicture decoded = Decode(source, bmp);
    TPackagePicture picture;
    picture.Warnings = ApplyTransparency(decoded);
    picture.Bmp = EncodeBmp(decoded);
    picture.Width = decoded.Width;
    picture.Height = decoded.Height;
    picture.Converted = true;
    return picture;
}

}  // namespace vlz
