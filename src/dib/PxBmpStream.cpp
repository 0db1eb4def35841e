#include "dib/PxBmpStream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dib/PxBitfields.h"
#include "dib/PxBlockGuard.h"
#include "dib/PxDIBError.h"
#include "dib/PxDIBHeader.h"
#include "dib/PxInternalDIB.h"
#include "platform/MemoryAdvice.h"
#include "platform/SharedMemory.h"

namespace vlz {

namespace {

[[noreturn]] void Invalid(const char* message) {
    throw EPxDIBInvalidDIB(message);
}

// A block size that does not fit the 32-bit ImageSize is as unreadable as a wrong one.
[[noreturn]] void InvalidImageSize() {
    Invalid("TPxInternalDIB.LoadFromStream: Invalid Image Size");
}

// The same failure as the short read it forestalls: a header must not make the loader allocate
// more than the stream can hold.
void RequireStreamHolds(TStream& stream, std::int64_t bytes) {
    if (stream.Remaining() < bytes) {
        throw EReadError("Stream read error");
    }
}

template <std::size_t Count>
TLittleEndianReader ReadFields(TStream& stream, std::uint8_t (&buffer)[Count]) {
    stream.ReadBuffer(buffer, Count);
    return TLittleEndianReader(buffer, Count);
}

void ReadColorEntries(TStream& stream, RGBQUAD* colors, std::size_t count) {
    std::vector<std::uint8_t> bytes(count * 4);
    stream.ReadBuffer(bytes.data(), bytes.size());
    TLittleEndianReader reader(bytes.data(), bytes.size());
    ReadColorTable(reader, colors, count);
}

void SkipGap(TStream& stream, std::uint32_t offBits, std::uint64_t consumed) {
    if (offBits < consumed) {
        Invalid("TPxInternalDIB.LoadFromFile: bfOffBits is too small");
    }
    stream.Skip(static_cast<std::int64_t>(offBits - consumed));
    // Pixels that would start past the end belong to a cut-off file, even where an RLE stream of
    // no bytes would need none of them.
    if (stream.Position() > stream.Size()) {
        throw EReadError("Stream read error");
    }
}

// 40-byte header: the rest of the header, masks, colour table, gap.
void ReadInfoHeader(TStream& stream, const BITMAPFILEHEADER& fileHeader, TPxDIBInfos& infos) {
    std::uint8_t fields[BitmapInfoHeaderSize - 4];
    TLittleEndianReader reader = ReadFields(stream, fields);
    BITMAPINFOHEADER& header = infos.Header;
    ReadInfoHeaderFields(reader, header);
    FillDefaultResolution(header);
    if (!IsKnownBitCount(header.biBitCount)) {
        Invalid("TPxInternalDIB.LoadFromStream: Invalid BitCout");
    }
    std::uint64_t colors = ColorTableEntriesOf(header);
    std::uint64_t masks = header.biCompression == BI_BITFIELDS ? 3 : 0;
    // The table holds 256 entries behind the masks; entries beyond are skipped unread.
    std::uint64_t kept = std::min<std::uint64_t>(colors, 256);
    ReadColorEntries(stream, infos.Colors, static_cast<std::size_t>(masks + kept));
    std::uint64_t consumed =
        BitmapFileHeaderSize + InfoHeaderPartSize(BitmapInfoHeaderSize, header);
    if (colors > kept) {
        // A count near 2^32 fails here rather than after a skip far past the end of the stream.
        if (fileHeader.bfOffBits < consumed) {
            Invalid("TPxInternalDIB.LoadFromFile: bfOffBits is too small");
        }
        stream.Skip(static_cast<std::int64_t>((colors - kept) * 4));
    }
    SkipGap(stream, fileHeader.bfOffBits, consumed);
    header.biClrUsed = static_cast<std::uint32_t>(kept);
}

// 12-byte header: the rest of the header and a full table of triples, turned into a 40-byte one.
void ReadCoreHeader(TStream& stream, const BITMAPFILEHEADER& fileHeader, TPxDIBInfos& infos) {
    std::uint8_t fields[BitmapCoreHeaderSize - 4];
    TLittleEndianReader reader = ReadFields(stream, fields);
    BITMAPCOREHEADER core = ReadCoreHeaderFields(reader);
    std::uint16_t bitCount = core.bcBitCount;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) {
        Invalid("TPxInternalDIB.LoadFromStream: Invalid BitCount");
    }
    std::size_t triples = FullColorTableSize(bitCount);
    std::vector<std::uint8_t> table(triples * 3);
    stream.ReadBuffer(table.data(), table.size());
    TLittleEndianReader tableReader(table.data(), table.size());
    ReadColorTriples(tableReader, infos.Colors, triples);
    SkipGap(stream, fileHeader.bfOffBits, BitmapFileHeaderSize + CoreHeaderPartSize(core));
    ConvertCoreHeader(core, infos);
}

// Fills the whole new block from the stream. Page faults, one per page of a fresh block, would
// cost more than the copy itself: a section is filled by writes to it in chunks, heap memory is
// mapped in one go first.
void ReadPixels(TStream& stream, TPxDIBInfos& infos) {
    auto size = static_cast<std::size_t>(infos.ImageSize);
    if (infos.MappingHandle == NoMapping) {
        PrepareForWriting(infos.Bits, size);
        stream.ReadBuffer(infos.Bits, size);
        return;
    }
    constexpr std::size_t ChunkSize = 256 * 1024;
    std::vector<std::uint8_t> chunk(std::min(size, ChunkSize));
    for (std::size_t offset = 0; offset < size; offset += chunk.size()) {
        std::size_t count = std::min(chunk.size(), size - offset);
        stream.ReadBuffer(chunk.data(), count);
        if (!WriteSection(infos.MappingHandle, offset, chunk.data(), count)) {
            std::memcpy(infos.Bits + offset, chunk.data(), count);
        }
    }
}

}  // namespace

TPxDIBInfos ReadBmpStream(TStream& stream, bool useFileMapping) {
    std::uint8_t fileFields[BitmapFileHeaderSize];
    TLittleEndianReader fileReader = ReadFields(stream, fileFields);
    BITMAPFILEHEADER fileHeader = ReadFileHeader(fileReader);
    if (fileHeader.bfType != BitmapFileType) {
        throw EPxDIBInvalidDIBFile("TPxInternalDIB.LoadFromFile: File type is invalid");
    }
    std::uint8_t sizeField[4];
    std::uint32_t headerSize = ReadFields(stream, sizeField).U32();

    TPxDIBInfos infos;
    if (headerSize == BitmapInfoHeaderSize) {
        ReadInfoHeader(stream, fileHeader, infos);
    } else if (headerSize == BitmapCoreHeaderSize) {
        ReadCoreHeader(stream, fileHeader, infos);
    } else {
        Invalid("TPxInternalDIB.LoadFromStream: Invalid Bitmap Header Size");
    }

    const BITMAPINFOHEADER& header = infos.Header;
    std::int64_t rows = RowCountOf(header);
    if (header.biWidth <= 0 || rows == 0 || rows > INT32_MAX) {
        Invalid("TPxInternalDIB.LoadFromStream: Invalid Width or Height");
    }

    if (header.biBitCount == 16 || header.biBitCount == 32) {
        // bfSize plays no part here: the rows are read one by one, as many as the header says.
        std::int64_t sourceStride = BitfieldSourceStride(header.biBitCount, header.biWidth);
        if (BlockSizeOf(DibStride(24, header.biWidth), rows) < 0) {
            InvalidImageSize();
        }
        RequireStreamHolds(stream, sourceStride * rows);
        std::vector<std::uint8_t> line(static_cast<std::size_t>(sourceStride));
        ExpandBitfieldsTo24Bit(
            infos,
            [&](std::int32_t) {
                stream.ReadBuffer(line.data(), line.size());
                return line.data();
            },
            useFileMapping);
        return infos;
    }

    std::int64_t imageSize = static_cast<std::int64_t>(fileHeader.bfSize) -
                             static_cast<std::int64_t>(fileHeader.bfOffBits);
    if (imageSize < 0 || imageSize > INT32_MAX) {
        InvalidImageSize();
    }
    // RLE blocks hold a stream of any length; uncompressed ones must hold every row.
    if (!IsRLECompressed(header) && RowStrideOf(header) > imageSize / rows) {
        InvalidImageSize();
    }
    RequireStreamHolds(stream, imageSize);
    TPxBlockGuard block(infos, static_cast<std::int32_t>(imageSize), useFileMapping);
    ReadPixels(stream, infos);
    block.Release();
    return infos;
}

void WriteBmpStream(TStream& stream, const TPxDIBInfos& infos) {
    std::uint32_t colors = infos.Header.biClrUsed;
    if (colors > 256 || infos.ImageSize < 0 || infos.Bits == nullptr) {
        throw EPxDIBInvalidDIB("TPxInternalDIB.SaveToStream: Invalid DIB");
    }
    std::uint32_t offBits = BitmapFileHeaderSize + BitmapInfoHeaderSize + 4 * colors;
    std::vector<std::uint8_t> head;
    head.reserve(offBits);
    TLittleEndianWriter writer(head);
    BITMAPFILEHEADER fileHeader;
    fileHeader.bfType = BitmapFileType;
    fileHeader.bfSize = offBits + static_cast<std::uint32_t>(infos.ImageSize);
    fileHeader.bfOffBits = offBits;
    WriteFileHeader(writer, fileHeader);
    WriteInfoHeader(writer, infos.Header);
    WriteColorTable(writer, infos.Colors, colors);
    stream.WriteBuffer(head.data(), head.size());
    stream.WriteBuffer(infos.Bits, static_cast<std::size_t>(infos.ImageSize));
}

void TPxInternalDIB::LoadFromStream(TStream& stream) {
    Commit(ReadBmpStream(stream, UseFileMapping));
}

void TPxInternalDIB::SaveToStream(TStream& stream) const {
    WriteBmpStream(stream, DIBInfos);
}

}  // namespace vlz
