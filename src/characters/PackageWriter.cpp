#include "characters/PackageWriter.h"

#include <limits>

#include "characters/PackageFile2.h"
#include "platform/LittleEndian.h"

namespace vlz {

std::vector<std::uint8_t> BuildPackage(const std::vector<TPackageItem>& items) {
    if (items.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
        throw EPackageError("too many entries for one package (at most 32767)");
    }
    std::vector<std::uint8_t> bytes(PackageSignature, PackageSignature + PackageSignatureSize);
    TLittleEndianWriter writer(bytes);
    writer.U16(static_cast<std::uint16_t>(items.size()));

    std::uint64_t offset = 0;
    for (const TPackageItem& item : items) {
        if (item.Name.empty() || item.Name.size() > PackageNameCapacity) {
            throw EPackageError("an entry name must have 1 to 255 bytes: \"" + item.Name + "\"");
        }
        if (offset + item.Data.size() > std::numeric_limits<std::int32_t>::max()) {
            throw EPackageError("the entries hold more than 2 GiB");
        }
        bytes.push_back(static_cast<std::uint8_t>(item.Name.size()));
        bytes.insert(bytes.end(), item.Name.begin(), item.Name.end());
        bytes.resize(bytes.size() + PackageNameCapacity - item.Name.size(), 0);
        writer.U32(static_cast<std::uint32_t>(offset));
        writer.U32(static_cast<std::uint32_t>(item.Data.size()));
        offset += item.Data.size();
    }
    for (const TPackageItem& item : items) {
        bytes.insert(bytes.end(), item.Data.begin(), item.Data.end());
    }
    return bytes;
}

}  // namespace vlz
