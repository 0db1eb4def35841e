#include "characters/PackageFile2.h"

#include <algorithm>
#include <cstring>

#include "platform/Cp932.h"
#include "platform/Cp932Case.h"
#include "platform/LittleEndian.h"
#include "platform/MessageBox.h"

namespace vlz {

const char PackageSignature[PackageSignatureSize] = {'\x0C', 'P', 'a', 'c', 'k', 'a', 'g',
                                                     'e',    'F', 'i', 'l', 'e', '2'};

namespace {

// Reads exactly `count` bytes; false when the stream ends first.
bool ReadFully(TStream& stream, void* buffer, std::size_t count) {
    return stream.Read(buffer, count) == count;
}

}  // namespace

TReadPackageFile::~TReadPackageFile() {
    Close();
}

void TReadPackageFile::OpenFile(const std::string& fileName) {
    std::unique_ptr<TStream> file;
    try {
        file = std::make_unique<TFileStream>(fileName, TFileStream::Mode::Read);
    } catch (const EStreamError&) {
        return;
    }
    ownedStream_ = std::move(file);
    ownsStream_ = true;
    OpenStream(*ownedStream_);
}

void TReadPackageFile::OpenStream(TStream& stream) {
    stream_ = &stream;

    // The signature, compared over its length byte plus that many bytes. A file too short for
    // its header, a negative count or a directory cut short are all the same bad header.
    std::uint8_t signature[PackageSignatureSize];
    if (!ReadFully(stream, signature, sizeof signature) ||
        std::memcmp(signature, PackageSignature, PackageSignatureSize) != 0) {
        RejectHeader();
        return;
    }
    std::uint8_t countBytes[2];
    if (!ReadFully(stream, countBytes, sizeof countBytes)) {
        RejectHeader();
        return;
    }
    auto count =
        static_cast<std::int16_t>(TLittleEndianReader(countBytes, sizeof countBytes).U16());
    if (count < 0 ||
        stream.Remaining() < static_cast<std::int64_t>(count) * std::int64_t{PackageEntrySize}) {
        RejectHeader();
        return;
    }

    std::vector<std::uint8_t> directory(static_cast<std::size_t>(count) * PackageEntrySize);
    if (!ReadFully(stream, directory.data(), directory.size())) {
        RejectHeader();
        return;
    }
    // Each entry: a name of up to 255 bytes after its length byte, then Offset and Size.
    entries_.resize(static_cast<std::size_t>(count));
    upperCaseNames_.clear();
    upperCaseNames_.reserve(entries_.size());
    TLittleEndianReader reader(directory.data(), directory.size());
    for (TPackageEntry& entry : entries_) {
        const std::uint8_t length = reader.U8();
        entry.Name.assign(reinterpret_cast<const char*>(directory.data() + reader.Position()),
                          length);
        reader.Skip(PackageNameCapacity);
        entry.Offset = reader.I32();
        entry.Size = reader.I32();
        upperCaseNames_.push_back(Cp932CodePageUpperCase(entry.Name));
    }
    count_ = count;
    dataStart_ = stream.Position();
}

void TReadPackageFile::RejectHeader() {
    Close();
    ShowMessageBox("ヘッダエラー。データ形式が違います。", "TReadPackageFile.OpenStream",
                   MB_OK | MB_ICONWARNING, MessageBoxOwner::None);
}

void TReadPackageFile::Close() {
    ownedStream_.reset();
    ownsStream_ = false;
    stream_ = nullptr;
    entries_.clear();
    upperCaseNames_.clear();
    count_ = 0;
    dataStart_ = 0;
}

TPackageEntry TReadPackageFile::GetEntry(std::int32_t index) const {
    if (index < 0 || index >= count_) {
        return TPackageEntry{"ERROR", -1, -1};
    }
    return entries_[static_cast<std::size_t>(index)];
}

std::int32_t TReadPackageFile::IndexOf(std::string_view name) const {
    // Every entry is compared, so a later entry of the same name wins.
    std::string wanted = Cp932CodePageUpperCase(name);
    std::int32_t result = -1;
    for (std::size_t i = 0; i < upperCaseNames_.size(); ++i) {
        if (upperCaseNames_[i] == wanted) {
            result = static_cast<std::int32_t>(i);
        }
    }
    return result;
}

TStream* TReadPackageFile::OpenEntry(std::string_view name) {
    std::int32_t index = IndexOf(name);
    if (index < 0) {
        return nullptr;
    }
    std::int64_t position = dataStart_ + entries_[static_cast<std::size_t>(index)].Offset;
    if (position < 0) {
        return nullptr;
    }
    stream_->Seek(position, SeekOrigin::Begin);
    return stream_;
}

bool TReadPackageFile::Contains(const TPackageEntry& entry) const {
    if (stream_ == nullptr || entry.Offset < 0 || entry.Size < 0) {
        return false;
    }
    std::int64_t end = dataStart_ + std::int64_t{entry.Offset} + entry.Size;
    return end <= stream_->Size();
}

}  // namespace vlz
