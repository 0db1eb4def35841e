#include "dib/PxRLE.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "dib/PxBlockGuard.h"
#include "dib/PxDIBError.h"
#include "dib/PxDIBHeader.h"
#include "graphics/RleCodes.h"

namespace vlz {

namespace {

constexpr std::uint8_t EscapeEndOfLine = 0;
constexpr std::uint8_t EscapeEndOfBitmap = 1;

// The shape of an uncompressed image, checked once so that the loops below can trust it.
struct TLayout {
    std::int64_t Width;
    std::int64_t Rows;
    std::int64_t Stride;
    std::int32_t Size;  // Stride × Rows
};

TLayout LayoutOf(const BITMAPINFOHEADER& header, int bitCount, const char* routine) {
    TLayout layout{header.biWidth, RowCountOf(header), DibStride(bitCount, header.biWidth), 0};
    std::int64_t size = BlockSizeOf(layout.Stride, layout.Rows);
    if (layout.Width <= 0 || layout.Rows == 0 || size < 0) {
        throw EPxDIBInvalidDIB(std::string(routine) + ": Invalid Width or Height");
    }
    layout.Size = static_cast<std::int32_t>(size);
    return layout;
}

void RequireFormat(const TPxDIBInfos& infos, int bitCount, std::uint32_t compression,
                   const char* routine) {
    if (infos.Header.biBitCount != bitCount || infos.Header.biCompression != compression) {
        throw EPxDIBBadDIBType(std::string(routine) +
                               ": Invalid Bitcount & Compression Combination");
    }
}

[[noreturn]] void BadData(const char* routine, int number) {
    throw EPxDIBInvalidDIB(std::string(routine) + ": Bad RLE Data " + std::to_string(number));
}

// The codes of a source record, as far as its block goes; a negative size counts as empty.
TRleCodeReader CodesOf(const TPxDIBInfos& infos, int bitCount) {
    std::size_t size = infos.Bits == nullptr || infos.ImageSize < 0
                           ? 0
                           : static_cast<std::size_t>(infos.ImageSize);
    return TRleCodeReader(infos.Bits, size, bitCount);
}

// Writes `count` nibbles into a 4-bit row from pixel x on. `NibbleAt(i)` gives nibble i. A high
// nibble is written together with a zero low nibble, as the low one always follows.
template <typename NibbleAt>
void PutNibbles(std::uint8_t* row, std::int64_t x, std::int64_t count, NibbleAt nibbleAt) {
    for (std::int64_t index = 0; index < count; ++index, ++x) {
        std::uint8_t& byte = row[x >> 1];
        std::uint8_t nibble = nibbleAt(index);
        byte = (x & 1) == 0 ? static_cast<std::uint8_t>(nibble << 4)
                            : static_cast<std::uint8_t>((byte & 0xF0) | nibble);
    }
}

// Decodes RLE codes into a zeroed block, refusing every code that leaves the image. `Bits` is 8
// or 4; `first` is the first of the routine's four error numbers. Codes cut off by the end of the
// data end decoding where they start.
template <int Bits>
void DecodeRLE(TRleCodeReader codes, std::uint8_t* pixels, const TLayout& layout,
               const char* routine, int first) {
    // An odd-width 4-bit row may have the spare nibble of its last byte written.
    const std::int64_t limit = Bits == 8 ? layout.Width : (layout.Width + 1) & ~std::int64_t{1};
    const std::int64_t rows = layout.Rows;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::uint8_t* row = pixels;
    for (;;) {
        const TRleCode code = codes.Next();
        switch (code.Kind) {
            case TRleCodeKind::Run: {
                const std::uint8_t count = code.Count;
                const std::uint8_t value = code.Value;
                if (x + count > limit || y >= rows) {
                    BadData(routine, first + 3);
                }
                if constexpr (Bits == 8) {
                    std::memset(row + x, value, count);
                } else if ((x & 1) == 0) {
                    // Pixel pairs line up with bytes, so each whole byte is the value itself.
                    std::memset(row + (x >> 1), value, static_cast<std::size_t>(count >> 1));
                    if ((count & 1) != 0) {
                        row[(x + count) >> 1] = value & 0xF0;
                    }
                } else {
                    PutNibbles(row, x, count, [value](std::int64_t index) {
                        return (index & 1) == 0 ? value >> 4 : value & 0x0F;
                    });
                }
                x += count;
                break;
            }
            case TRleCodeKind::EndOfLine:
                x = 0;
                ++y;
                if (y > rows) {
                    BadData(routine, first);
                }
                row += layout.Stride;
                break;
            case TRleCodeKind::Delta:
                x += code.DeltaX;
                y += code.DeltaY;
                if (x > limit || y > rows) {
                    BadData(routine, first + 1);
                }
                row = pixels + y * layout.Stride;
                break;
            case TRleCodeKind::Absolute: {
                const std::int64_t length = code.Count;
                if (x + length > limit || y >= rows) {
                    BadData(routine, first + 2);
                }
                const std::uint8_t* literal = code.Pixels;
                if (literal == nullptr) {
                    return;
                }
                if constexpr (Bits == 8) {
                    std::memcpy(row + x, literal, code.Count);
                } else if ((x & 1) == 0) {
                    std::memcpy(row + (x >> 1), literal, code.Count >> 1);
                    if ((code.Count & 1) != 0) {
                        row[(x + length) >> 1] = literal[code.Count >> 1] & 0xF0;
                    }
                } else {
                    PutNibbles(row, x, length, [literal](std::int64_t index) {
                        std::uint8_t byte = literal[index >> 1];
                        return (index & 1) == 0 ? byte >> 4 : byte & 0x0F;
                    });
                }
                x += length;
                break;
            }
            case TRleCodeKind::EndOfBitmap:
            case TRleCodeKind::EndOfData:
                return;
        }
    }
}

template <int Bits>
void Decode(const TPxDIBInfos& source, TPxDIBInfos& destination, bool useFileMapping,
            const char* routine, int first) {
    RequireFormat(source, Bits, Bits == 8 ? BI_RLE8 : BI_RLE4, routine);
    // The expansion is the one block whose size a header declares instead of the bytes that are
    // there, so a small file can ask for any amount. Like every block of the library it must fit
    // the 32-bit ImageSize; up to that it costs only the pages the codes write to.
    const BITMAPINFOHEADER& header = source.Header;
    if (header.biWidth > 0 &&
        BlockSizeOf(DibStride(Bits, header.biWidth), RowCountOf(header)) < 0) {
        throw EOutOfMemory(std::string(routine) + ": Image Too Large");
    }
    TLayout layout = LayoutOf(header, Bits, routine);
    TPxDIBInfos result = source;
    TPxBlockGuard block(result, layout.Size, useFileMapping);
    DecodeRLE<Bits>(CodesOf(source, Bits), result.Bits, layout, routine, first);
    result.Header.biCompression = BI_RGB;
    result.Header.biSizeImage = 0;
    destination = result;
    block.Release();
}

// The encoder's output: a buffer the size of the uncompressed pixels that it may never outgrow.
// Each emission checks its room first; the reserve kept by runs and literals leaves space for the
// row's end of line and the final end of bitmap.
class TRLEWriter {
  public:
    TRLEWriter(std::uint8_t* buffer, std::int64_t capacity, const char* routine)
        : buffer_(buffer), capacity_(capacity), routine_(routine) {}

    std::int64_t Written() const { return written_; }

    void Need(std::int64_t bytes) const {
        if (capacity_ - written_ < bytes) {
            throw EPxDIBCompressionFailed(std::string(routine_) + ": Compression Failed");
        }
    }
    void Pair(std::uint8_t first, std::uint8_t second) {
        buffer_[written_++] = first;
        buffer_[written_++] = second;
    }
    void Literal(const std::uint8_t* units, std::int64_t count) {
        std::memcpy(buffer_ + written_, units, static_cast<std::size_t>(count));
        written_ += count;
        if ((count & 1) != 0) {
            buffer_[written_++] = 0;
        }
    }

  private:
    std::uint8_t* buffer_;
    std::int64_t capacity_;
    std::int64_t written_ = 0;
    const char* routine_;
};

constexpr std::int64_t RunRoom = 6;
constexpr std::int64_t EndOfLineRoom = 4;
constexpr std::int64_t EndOfBitmapRoom = 2;

// Emission of one row's runs and literals. For RLE4 a unit is a byte of two pixels and counts
// are in pixels, cut short at the row's end by the padding nibble of an odd width.
template <int Bits>
class TRowEmitter {
  public:
    TRowEmitter(TRLEWriter& writer, std::int64_t width) : writer_(writer), pixelsLeft_(width) {}

    void Run(std::uint8_t value, std::int64_t units) {
        writer_.Need(RunRoom);
        writer_.Pair(PixelCount(units), value);
    }

    void Literal(const std::uint8_t* units, std::int64_t count) {
        writer_.Need((count + 1) / 2 * 2 + RunRoom);
        // An absolute run needs three pixels or more; shorter literals go out as runs of one.
        if (Bits == 8 && count <= 2) {
            for (std::int64_t index = 0; index < count; ++index) {
                writer_.Pair(1, units[index]);
            }
            return;
        }
        if (Bits == 4 && count == 1) {
            writer_.Pair(PixelCount(1), units[0]);
            return;
        }
        writer_.Pair(0, PixelCount(count));
        writer_.Literal(units, count);
    }

  private:
    std::uint8_t PixelCount(std::int64_t units) {
        std::int64_t pixels = Bits == 8 ? units : std::min(units * 2, pixelsLeft_);
        pixelsLeft_ -= pixels;
        return static_cast<std::uint8_t>(pixels);
    }

    TRLEWriter& writer_;
    std::int64_t pixelsLeft_;
};

// One row through the run / literal state machine. The literal buffer is always a stretch of
// consecutive units of the row, so it is kept as a start index and a length.
template <int Bits>
void EncodeRow(const std::uint8_t* units, std::int64_t unitCount, std::int64_t width,
               TRLEWriter& writer) {
    constexpr std::int64_t Limit = Bits == 8 ? 255 : 127;
    TRowEmitter<Bits> emit(writer, width);
    enum class State { One, Run, Literal };
    State state = State::One;
    std::int64_t start = 0;  // first unit of the literal buffer, or of the run
    std::int64_t length = 1;
    std::int64_t index = 1;
    while (index < unitCount) {
        std::uint8_t unit = units[index];
        switch (state) {
            case State::One:
                state = unit == units[start] ? State::Run : State::Literal;
                length = 2;
                ++index;
                break;
            case State::Run: {
                std::uint8_t value = units[start];
                while (index < unitCount && length < Limit && units[index] == value) {
                    ++length;
                    ++index;
                }
                if (index < unitCount) {
                    emit.Run(value, length);
                    start = index++;
                    length = 1;
                    state = State::One;
                }
                break;
            }
            case State::Literal:
                while (index < unitCount && length < Limit && units[index] != units[index - 1]) {
                    ++length;
                    ++index;
                }
                if (index == unitCount) {
                    break;
                }
                if (units[index] == units[index - 1]) {
                    emit.Literal(units + start, length - 1);
                    start = index - 1;
                    length = 2;
                    state = State::Run;
                } else {
                    emit.Literal(units + start, length);
                    start = index;
                    length = 1;
                    state = State::One;
                }
                ++index;
                break;
        }
    }
    if (state == State::Literal) {
        emit.Literal(units + start, length);
    } else {
        emit.Run(units[start], length);
    }
    writer.Need(EndOfLineRoom);
    writer.Pair(0, EscapeEndOfLine);
}

template <int Bits>
void Encode(const TPxDIBInfos& source, TPxDIBInfos& destination, bool useFileMapping,
            const char* routine) {
    RequireFormat(source, Bits, BI_RGB, routine);
    TLayout layout = LayoutOf(source.Header, Bits, routine);
    if (source.Bits == nullptr || source.ImageSize < layout.Size) {
        throw EPxDIBInvalidDIB(std::string(routine) + ": Invalid Image Size");
    }
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[layout.Size]);
    if (buffer == nullptr) {
        throw EOutOfMemory(std::string(routine) + ": Out Of Memory");
    }
    TRLEWriter writer(buffer.get(), layout.Size, routine);
    std::int64_t unitCount = Bits == 8 ? layout.Width : (layout.Width + 1) / 2;
    bool topDown = source.Header.biHeight < 0;
    for (std::int64_t row = 0; row < layout.Rows; ++row) {
        std::int64_t sourceRow = topDown ? layout.Rows - 1 - row : row;
        EncodeRow<Bits>(source.Bits + sourceRow * layout.Stride, unitCount, layout.Width, writer);
    }
    writer.Need(EndOfBitmapRoom);
    writer.Pair(0, EscapeEndOfBitmap);

    TPxDIBInfos result = source;
    auto length = static_cast<std::int32_t>(writer.Written());
    TPxBlockGuard block(result, length, useFileMapping);
    std::memcpy(result.Bits, buffer.get(), static_cast<std::size_t>(length));
    result.Header.biCompression = Bits == 8 ? BI_RLE8 : BI_RLE4;
    result.Header.biSizeImage = static_cast<std::uint32_t>(length);
    result.Header.biHeight = static_cast<std::int32_t>(layout.Rows);
    destination = result;
    block.Release();
}

}  // namespace

void Convert8BitRLETo8BitRGB(const TPxDIBInfos& Src, TPxDIBInfos& Dst, bool UseFileMapping) {
    Decode<8>(Src, Dst, UseFileMapping, "Convert8BitRLETo8BitRGB", 1);
}

void Convert4BitRLETo4BitRGB(const TPxDIBInfos& Src, TPxDIBInfos& Dst, bool UseFileMapping) {
    Decode<4>(Src, Dst, UseFileMapping, "Convert4BitRLETo4BitRGB", 5);
}

void Convert8BitRGBTo8BitRLE(const TPxDIBInfos& Src, TPxDIBInfos& Dst, bool UseFileMapping) {
    Encode<8>(Src, Dst, UseFileMapping, "Convert8BitRGBTo8BitRLE");
}

void Convert4BitRGBTo4BitRLE(const TPxDIBInfos& Src, TPxDIBInfos& Dst, bool UseFileMapping) {
    Encode<4>(Src, Dst, UseFileMapping, "Convert4BitRGBTo4BitRLE");
}

}  // namespace vlz
