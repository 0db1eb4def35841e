#pragma once
// Byte streams: read exactly N bytes (a short read raises EReadError), write, and move the
// position. The bitmap library, the package reader and the tools read through them.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Exception.h"

namespace vlz {

enum class SeekOrigin { Begin, Current, End };

class TStream {
  public:
    virtual ~TStream() = default;

    // Reads up to `count` bytes; returns how many were read (fewer only at the end).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes up to `count` bytes; returns how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Moves the position and returns the new one. A position before the start raises EStreamError.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
    std::int64_t Size();
    // Bytes between the position and the end (0 when the position lies past the end).
    std::int64_t Remaining();

    // Exactly `count` bytes, or EReadError "Stream read error".
    void ReadBuffer(void* buffer, std::size_t count);
    // Exactly `count` bytes, or EWriteError "Stream write error".
    void WriteBuffer(const void* buffer, std::size_t count);
    // Moves by a signed offset from the current position.
    void Skip(std::int64_t offset) { Seek(offset, SeekOrigin::Current); }
    // Copies exactly `count` bytes from `source` at its position.
    void CopyFrom(TStream& source, std::int64_t count);
};

// A growable block of memory.
class TMemoryStream : public TStream {
  public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t>& Bytes() { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// A read-only view of memory that the stream does not own.
class TReadOnlyMemoryStream : public TStream {
  public:
    TReadOnlyMemoryStream(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// A file. Read mode shares the file with every other reader and writer; Create makes a new file
// or empties an existing one.
class TFileStream : public TStream {
  public:
    enum class Mode { Read, Create, ReadWrite };
    TFileStream(const std::string& path, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    int descriptor_ = -1;
};

// The whole file, or EFOpenError / EReadError.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

}  // namespace vlz
