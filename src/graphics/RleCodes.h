#pragma once
// The codes of RLE8 and RLE4 pixel data, read one at a time: the one reader behind the bitmap
// library's decoders (which refuse a code that leaves the picture) and the stretched drawing of
// compressed data (which clips it).
//
//   count >= 1, value     encoded run: count pixels of value (RLE4: its high and low nibble in
//                         turn, high first)
//   0, 0                  end of line: on to pixel 0 of the next line
//   0, 1                  end of bitmap
//   0, 2, dx, dy          delta: dx pixels right, dy lines on
//   0, n >= 3, pixels     absolute run of n pixels (RLE8: n bytes; RLE4: n nibbles, high nibble
//                         first), padded with zero bytes to an even byte count
//
// Lines are in data order: line 0 is the first line of the data, the bottom row of a bottom-up
// picture. The reader never reads past its data. Data that ends inside a code ends the codes,
// except an absolute run cut off inside its pixels: that one is still reported, without pixels,
// so that a caller can check where it would have gone. Its padding may be cut off.

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vlz {

enum class TRleCodeKind : std::uint8_t { Run, EndOfLine, EndOfBitmap, Delta, Absolute, EndOfData };

struct TRleCode {
    TRleCodeKind Kind = TRleCodeKind::EndOfData;
    std::uint8_t Count = 0;  // Run and Absolute: pixels
    std::uint8_t Value = 0;  // Run: the byte that is repeated
    std::uint8_t DeltaX = 0;
    std::uint8_t DeltaY = 0;
    const std::uint8_t* Pixels = nullptr;  // Absolute: its pixel bytes, or nullptr when cut off
};

class TRleCodeReader {
  public:
    // `bitCount` is 8 for RLE8 data and 4 for RLE4 data.
    TRleCodeReader(const std::uint8_t* data, std::size_t size, int bitCount)
        : next_(data), end_(data + size), nibbles_(bitCount == 4) {}

    TRleCode Next() {
        if (Left() < 2) {
            return End();
        }
        TRleCode code;
        code.Count = next_[0];
        code.Value = next_[1];
        next_ += 2;
        if (code.Count != 0) {
            code.Kind = TRleCodeKind::Run;
            return code;
        }
        switch (code.Value) {
            case 0:
                code.Kind = TRleCodeKind::EndOfLine;
                return code;
            case 1:
                code.Kind = TRleCodeKind::EndOfBitmap;
                return code;
            case 2:
                if (Left() < 2) {
                    return End();
                }
                code.Kind = TRleCodeKind::Delta;
                code.DeltaX = next_[0];
                code.DeltaY = next_[1];
                next_ += 2;
                return code;
            default: {
                code.Kind = TRleCodeKind::Absolute;
                code.Count = code.Value;
                code.Value = 0;
                std::size_t bytes = nibbles_ ? (code.Count + 1u) / 2 : code.Count;
                if (Left() < bytes) {
                    next_ = end_;
                    return code;
                }
                code.Pixels = next_;
                next_ += std::min((bytes + 1) & ~std::size_t{1}, Left());
                return code;
            }
        }
    }

  private:
    std::size_t Left() const { return static_cast<std::size_t>(end_ - next_); }
    TRleCode End() {
        next_ = end_;
        return TRleCode{};
    }

    const std::uint8_t* next_;
    const std::uint8_t* end_;
    bool nibbles_;
};

}  // namespace vlz
