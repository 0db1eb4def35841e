#pragma once
// Character packages: a small read-only archive of named entries.
//
//   offset 0    13 bytes  0x0C "PackageFile2" (a string with a leading length byte)
//   offset 13   2 bytes   entry count, signed 16-bit little-endian
//   offset 15   264 × count directory entries:
//                 1 byte name length, 255 bytes name (CP932, padding of any value),
//                 4 bytes Offset (from the start of the data area), 4 bytes Size, both signed
//   then        the data area
//
// A bad header is reported by a warning box and leaves the reader empty; nothing is thrown.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Stream.h"

namespace vlz {

struct TPackageEntry {
    std::string Name;  // CP932 bytes, at most 255
    std::int32_t Offset = 0;
    std::int32_t Size = 0;
};

inline constexpr std::size_t PackageSignatureSize = 13;
inline constexpr std::size_t PackageEntrySize = 264;
inline constexpr std::size_t PackageNameCapacity = 255;
extern const char PackageSignature[PackageSignatureSize];

class TReadPackageFile {
  public:
    TReadPackageFile() = default;
    ~TReadPackageFile();
    TReadPackageFile(const TReadPackageFile&) = delete;
    TReadPackageFile& operator=(const TReadPackageFile&) = delete;

    // Opens the file read-only, shared with every other reader and writer. A file that cannot
    // be opened is passed over silently: the reader stays empty.
    void OpenFile(const std::string& fileName);
    // Reads the header and directory from the stream's position. The caller keeps the stream,
    // which must outlive the reader's use of it.
    void OpenStream(TStream& stream);
    void Close();

    // A copy of the entry, or the sentinel "ERROR" with Offset and Size -1 for a bad index.
    TPackageEntry GetEntry(std::int32_t index) const;
    // The last entry whose name equals `name` (CP932) once both are in upper case as Windows
    // makes CP932 text (full-width, Greek and Cyrillic letters too), or -1.
    std::int32_t IndexOf(std::string_view name) const;
    // The package's stream positioned at the entry's first byte, or nullptr when no entry has
    // that name or its first byte would lie before the start of the stream. The stream is the
    // same object for every entry and stays the reader's.
    TStream* OpenEntry(std::string_view name);
    // Whether the entry's bytes lie wholly inside the package's stream.
    bool Contains(const TPackageEntry& entry) const;

    bool IsOpen() const { return stream_ != nullptr; }
    std::int16_t Count() const { return count_; }
    std::int64_t DataStart() const { return dataStart_; }

  private:
    void RejectHeader();

    bool ownsStream_ = false;
    TStream* stream_ = nullptr;
    std::unique_ptr<TStream> ownedStream_;
    std::int64_t dataStart_ = 0;
    std::int16_t count_ = 0;
    std::vector<TPackageEntry> entries_;
    std::vector<std::string> upperCaseNames_;  // what IndexOf compares, one per entry
};

}  // namespace vlz
