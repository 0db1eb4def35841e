#include "dib/PxRLE.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "dib/PxBlockGuard.h"
#include "dib/PxDIBError.h"
#include "dib/PxDIBHeader.h"
#include "graphics/RleCodes.h"
#include "platform/MemoryAdvice.h"
#include "platform/SharedMemory.h"

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
// row's end of line and the final end of bitmap. A row that cannot run out of room whatever it
// holds is written without the checks (`Checked` false).
class TRLEWriter {
  public:
    // Bytes the buffer must have beyond its capacity.
    static constexpr std::int64_t Slack = 16;

    TRLEWriter(std::uint8_t* buffer, std::int64_t capacity, const char* routine)
        : buffer_(buffer), capacity_(capacity), routine_(routine) {}

    std::int64_t Written() const { return written_; }
    std::int64_t Room() const { return capacity_ - written_; }

    template <bool Checked>
    void Need(std::int64_t bytes) const {
        if (Checked && capacity_ - written_ < bytes) {
            throw EPxDIBCompressionFailed(std::string(routine_) + ": Compression Failed");
        }
    }
    void Pair(std::uint8_t first, std::uint8_t second) {
        buffer_[written_] = first;
        buffer_[written_ + 1] = second;
        written_ += 2;
    }
    // `readable` units can be read from `units` on. Where sixteen at a time stay within them the
    // copy goes in whole blocks: what it writes past the literal lands in the buffer's slack or
    // under the next emission.
    void Literal(const std::uint8_t* units, std::int64_t count, std::int64_t readable) {
        std::uint8_t* out = buffer_ + written_;
#if defined(__SSE2__)
        if (count + 15 <= readable) {
            for (std::int64_t index = 0; index < count; index += 16) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + index),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + index)));
            }
        } else {
            std::memcpy(out, units, static_cast<std::size_t>(count));
        }
#else
        (void)readable;
        std::memcpy(out, units, static_cast<std::size_t>(count));
#endif
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

// No emission writes more than two bytes per unit (a run of one unit is the worst; a literal of
// three or more writes its units and at most three bytes more), and no check asks for more than
// the emission writes plus the reserve. A row that finds this much room cannot fail.
constexpr std::int64_t WorstRowBytes(std::int64_t units) {
    return 2 * units + 2 + RunRoom;
}

// Emission of one row's runs and literals. For RLE4 a unit is a byte of two pixels and counts
// are in pixels, cut short at the row's end by the padding nibble of an odd width.
template <int Bits, bool Checked>
class TRowEmitter {
  public:
    TRowEmitter(TRLEWriter& writer, std::int64_t width) : writer_(writer), pixelsLeft_(width) {}

    void Run(std::uint8_t value, std::int64_t units) {
        writer_.Need<Checked>(RunRoom);
        writer_.Pair(PixelCount(units), value);
    }

    void Literal(const std::uint8_t* units, std::int64_t count, std::int64_t readable) {
        writer_.Need<Checked>((count + 1) / 2 * 2 + RunRoom);
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
        writer_.Literal(units, count, readable);
    }

    void EndOfLine() {
        writer_.Need<Checked>(EndOfLineRoom);
        writer_.Pair(0, EscapeEndOfLine);
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

// How many of units[0, limit) equal units[0]; limit >= 1.
inline std::int64_t RunLength(const std::uint8_t* units, std::int64_t limit) {
    std::int64_t length = 1;
#if defined(__SSE2__)
    const __m128i value = _mm_set1_epi8(static_cast<char>(units[0]));
    for (; length + 16 <= limit; length += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + length));
        const auto equal =
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, value)));
        if (equal != 0xFFFF) {
            return length + std::countr_one(equal);
        }
    }
#endif
    while (length < limit && units[length] == units[0]) {
        ++length;
    }
    return length;
}

// The first index in [from, to) whose unit repeats the one before it, or `to`; from >= 1.
inline std::int64_t FirstRepeat(const std::uint8_t* units, std::int64_t from, std::int64_t to) {
    std::int64_t index = from;
#if defined(__SSE2__)
    for (; index + 16 <= to; index += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + index));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + index - 1));
        const auto equal =
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, before)));
        if (equal != 0) {
            return index + std::countr_zero(equal);
        }
    }
#endif
    while (index < to && units[index] != units[index - 1]) {
        ++index;
    }
    return index;
}

// One row through the run / literal rules, which come down to this, from each unit p that
// starts a new emission:
//   - the last unit of the row goes out as a run of one;
//   - a unit equal to the next one starts a run, as long as the equal units go, at most Limit;
//   - otherwise a literal starts. It takes the units up to the one before the first unit q that
//     repeats its predecessor (that pair starts the next run), if q lies within p + Limit;
//     otherwise it takes the rest of the row or Limit units, whichever is less.
template <int Bits, bool Checked>
void EncodeRow(const std::uint8_t* units, std::int64_t unitCount, std::int64_t width,
               TRLEWriter& writer) {
    constexpr std::int64_t Limit = Bits == 8 ? 255 : 127;
    TRowEmitter<Bits, Checked> emit(writer, width);
    std::int64_t start = 0;
    while (start < unitCount) {
        const std::int64_t left = unitCount - start;
        if (left == 1) {
            emit.Run(units[start], 1);
            break;
        }
        if (units[start + 1] == units[start]) {
            const std::int64_t length = RunLength(units + start, std::min(left, Limit));
            emit.Run(units[start], length);
            start += length;
            continue;
        }
        const std::int64_t searchEnd = std::min(start + Limit, unitCount - 1) + 1;
        const std::int64_t repeat = FirstRepeat(units, start + 2, searchEnd);
        if (repeat < searchEnd) {
            emit.Literal(units + start, repeat - 1 - start, left);
            start = repeat - 1;
        } else {
            const std::int64_t length = std::min(left, Limit);
            emit.Literal(units + start, length, left);
            start += length;
        }
    }
    emit.EndOfLine();
}

// Copies the finished stream into its new block. A fresh block would take one page fault per page
// as the copy first touches it: a section is written to directly, heap pages are made resident in
// one go.
void FillBlock(const TPxDIBInfos& infos, const std::uint8_t* stream, std::size_t size) {
    if (infos.MappingHandle != NoMapping && WriteSection(infos.MappingHandle, 0, stream, size)) {
        return;
    }
    PrepareForWriting(infos.Bits, size);
    std::memcpy(infos.Bits, stream, size);
}

template <int Bits>
void Encode(const TPxDIBInfos& source, TPxDIBInfos& destination, bool useFileMapping,
            const char* routine) {
    RequireFormat(source, Bits, BI_RGB, routine);
    TLayout layout = LayoutOf(source.Header, Bits, routine);
    if (source.Bits == nullptr || source.ImageSize < layout.Size) {
        throw EPxDIBInvalidDIB(std::string(routine) + ": Invalid Image Size");
    }
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow)
                                               std::uint8_t[layout.Size + TRLEWriter::Slack]);
    if (buffer == nullptr) {
        throw EOutOfMemory(std::string(routine) + ": Out Of Memory");
    }
    TRLEWriter writer(buffer.get(), layout.Size, routine);
    std::int64_t unitCount = Bits == 8 ? layout.Width : (layout.Width + 1) / 2;
    bool topDown = source.Header.biHeight < 0;
    for (std::int64_t row = 0; row < layout.Rows; ++row) {
        std::int64_t sourceRow = topDown ? layout.Rows - 1 - row : row;
        const std::uint8_t* units = source.Bits + sourceRow * layout.Stride;
        if (writer.Room() >= WorstRowBytes(unitCount)) {
            EncodeRow<Bits, false>(units, unitCount, layout.Width, writer);
        } else {
            EncodeRow<Bits, true>(units, unitCount, layout.Width, writer);
        }
    }
    writer.Need<true>(EndOfBitmapRoom);
    writer.Pair(0, EscapeEndOfBitmap);

    TPxDIBInfos result = source;
    auto length = static_cast<std::int32_t>(writer.Written());
    TPxBlockGuard block(result, length, useFileMapping);
    FillBlock(result, buffer.get(), static_cast<std::size_t>(length));
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
