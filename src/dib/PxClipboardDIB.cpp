#include "dib/PxClipboardDIB.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "dib/PxBitfields.h"
#include "dib/PxBlockGuard.h"
#include "dib/PxDIBError.h"
#include "dib/PxDIBHeader.h"
#include "dib/PxInternalDIB.h"
#include "platform/Exception.h"

namespace vlz {

namespace {

// The header and 259 table entries: as much as Header and Colors can take.
constexpr std::uint64_t MaxHeaderCopy = BitmapInfoHeaderSize + 259 * 4;

[[noreturn]] void InvalidData() {
    throw EPxDIBInvalidDIB("TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data");
}

// Reads the header part; returns its length in the block.
std::uint64_t ReadHeaderPart(const std::uint8_t* data, std::size_t size, TPxDIBInfos& infos) {
    if (size < 4) {
        InvalidData();
    }
    TLittleEndianReader reader(data, size);
    std::uint32_t headerSize = reader.U32();
    if (headerSize == BitmapInfoHeaderSize) {
        if (size < BitmapInfoHeaderSize) {
            InvalidData();
        }
        BITMAPINFOHEADER& header = infos.Header;
        ReadInfoHeaderFields(reader, header);
        std::uint64_t colors = ColorTableEntriesOf(header);
        std::uint64_t headerPart = InfoHeaderPartSize(BitmapInfoHeaderSize, header);
        if (headerPart > size) {
            InvalidData();
        }
        std::uint64_t copied = std::min(headerPart, MaxHeaderCopy);
        ReadColorTable(reader, infos.Colors,
                       static_cast<std::size_t>((copied - BitmapInfoHeaderSize) / 4));
        FillDefaultResolution(header);
        header.biClrUsed = static_cast<std::uint32_t>(std::min<std::uint64_t>(colors, 256));
        return headerPart;
    }
    if (headerSize == BitmapCoreHeaderSize) {
        BITMAPCOREHEADER core = ReadCoreHeaderFields(reader);
        std::uint64_t headerPart = CoreHeaderPartSize(core);
        if (reader.Overrun() || headerPart > size) {
            InvalidData();
        }
        ReadColorTriples(reader, infos.Colors, FullColorTableSize(core.bcBitCount));
        ConvertCoreHeader(core, infos);
        return headerPart;
    }
    InvalidData();
}

}  // namespace

TPxDIBInfos ReadPackedDIB(HGLOBAL handle, bool useFileMapping) {
    TGlobalLock lock(handle);
    const std::uint8_t* data = lock.Data();
    if (data == nullptr) {
        InvalidData();
    }
    std::size_t size = lock.Size();
    TPxDIBInfos infos;
    std::uint64_t headerPart = ReadHeaderPart(data, size, infos);
    std::uint64_t imageSize = size - headerPart;
    const std::uint8_t* pixels = data + headerPart;

    const BITMAPINFOHEADER& header = infos.Header;
    std::int64_t rows = RowCountOf(header);
    if (header.biWidth <= 0 || rows == 0 || rows > INT32_MAX) {
        throw EPxDIBInvalidDIB("TPxInternalDIB.LoadFromStream: Invalid Width or Height");
    }
    switch (header.biBitCount) {
        case 1:
        case 4:
        case 8:
        case 24: {
            if (imageSize > INT32_MAX) {
                InvalidData();
            }
            // RLE blocks hold a stream of any length; uncompressed ones must hold every row.
            if (!IsRLECompressed(header) &&
                RowStrideOf(header) > static_cast<std::int64_t>(imageSize) / rows) {
                InvalidData();
            }
            TPxBlockGuard block(infos, static_cast<std::int32_t>(imageSize), useFileMapping);
            std::memcpy(infos.Bits, pixels, static_cast<std::size_t>(imageSize));
            block.Release();
            return infos;
        }
        case 16:
        case 32: {
            std::int64_t sourceStride = BitfieldSourceStride(header.biBitCount, header.biWidth);
            if (BlockSizeOf(DibStride(24, header.biWidth), rows) < 0 ||
                sourceStride > static_cast<std::int64_t>(imageSize) / rows) {
                InvalidData();
            }
            ExpandBitfieldsTo24Bit(
                infos, [&](std::int32_t row) { return pixels + row * sourceStride; },
                useFileMapping);
            return infos;
        }
        default:
            throw EPxDIBInvalidDIB("TPxInternalDIB.LoadFromClipboardFormat: Invalid biBitCount");
    }
}

HGLOBAL WritePackedDIB(const TPxDIBInfos& infos) {
    std::uint32_t colors = infos.Header.biClrUsed;
    if (colors > 256 || infos.ImageSize < 0 || infos.Bits == nullptr) {
        throw EPxDIBInvalidDIB("TPxInternalDIB.SaveToClipboardFormat: Invalid DIB");
    }
    std::vector<std::uint8_t> head;
    head.reserve(BitmapInfoHeaderSize + 4 * colors);
    TLittleEndianWriter writer(head);
    WriteInfoHeader(writer, infos.Header);
    WriteColorTable(writer, infos.Colors, colors);

    auto imageSize = static_cast<std::size_t>(infos.ImageSize);
    HGLOBAL handle = GlobalAlloc(GHND, head.size() + imageSize);
    if (handle == nullptr) {
        throw EOutOfMemory("TPxInternalDIB.SaveToClipboardFormat: Out Of Memory");
    }
    {
        TGlobalLock lock(handle);
        std::memcpy(lock.Data(), head.data(), head.size());
        std::memcpy(lock.Data() + head.size(), infos.Bits, imageSize);
    }
    return handle;
}

void TPxInternalDIB::LoadFromClipboardFormat(HGLOBAL handle) {
    Commit(ReadPackedDIB(handle, UseFileMapping));
}

void TPxInternalDIB::SaveToClipboardFormat(HGLOBAL& handle) const {
    handle = WritePackedDIB(DIBInfos);
}

}  // namespace vlz
