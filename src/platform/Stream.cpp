#include "platform/Stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vlz {
namespace {

std::int64_t ResolveSeek(std::int64_t offset, SeekOrigin origin, std::int64_t position,
                         std::int64_t size) {
    std::int64_t base = origin == SeekOrigin::Begin     ? 0
                        : origin == SeekOrigin::Current ? position
                                                        : size;
    if (offset < 0 ? base < -offset : false) {
        throw EStreamError("Stream seek error");
    }
    return base + offset;
}

}  // namespace

std::int64_t TStream::Size() {
    std::int64_t position = Position();
    std::int64_t size = Seek(0, SeekOrigin::End);
    Seek(position, SeekOrigin::Begin);
    return size;
}

std::int64_t TStream::Remaining() {
    return std::max<std::int64_t>(0, Size() - Position());
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) {
        throw EReadError("Stream read error");
    }
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) {
        throw EWriteError("Stream write error");
    }
}

void TStream::CopyFrom(TStream& source, std::int64_t count) {
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::int64_t>(count, 65536)));
    while (count > 0) {
        auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(count, buffer.size()));
        source.ReadBuffer(buffer.data(), chunk);
        WriteBuffer(buffer.data(), chunk);
        count -= static_cast<std::int64_t>(chunk);
    }
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    // A read of nothing may come with no buffer at all (an empty entry's data()).
    if (count == 0 || position_ >= bytes_.size()) {
        return 0;
    }
    count = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return count;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (position_ + count > bytes_.size()) {
        bytes_.resize(position_ + count);
    }
    if (count != 0) {
        std::memcpy(bytes_.data() + position_, buffer, count);
    }
    position_ += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    position_ =
        static_cast<std::size_t>(ResolveSeek(offset, origin, static_cast<std::int64_t>(position_),
                                             static_cast<std::int64_t>(bytes_.size())));
    return static_cast<std::int64_t>(position_);
}

std::size_t TReadOnlyMemoryStream::Read(void* buffer, std::size_t count) {
    if (count == 0 || position_ >= size_) {
        return 0;
    }
    count = std::min(count, size_ - position_);
    std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    return count;
}

std::size_t TReadOnlyMemoryStream::Write(const void*, std::size_t) {
    return 0;
}

std::int64_t TReadOnlyMemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    position_ = static_cast<std::size_t>(ResolveSeek(
        offset, origin, static_cast<std::int64_t>(position_), static_cast<std::int64_t>(size_)));
    return static_cast<std::int64_t>(position_);
}

TFileStream::TFileStream(const std::string& path, Mode mode) : path_(path) {
    int flags = mode == Mode::Read     ? O_RDONLY
                : mode == Mode::Create ? O_RDWR | O_CREAT | O_TRUNC
                                       : O_RDWR;
    descriptor_ = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (descriptor_ < 0) {
        throw EFOpenError((mode == Mode::Create ? "Cannot create file \"" : "Cannot open file \"") +
                          path + "\". " + std::strerror(errno));
    }
}

TFileStream::~TFileStream() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    std::size_t done = 0;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    while (done < count) {
        ssize_t result = ::read(descriptor_, bytes + done, count - done);
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            break;
        }
        done += static_cast<std::size_t>(result);
    }
    return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    std::size_t done = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    while (done < count) {
        ssize_t result = ::write(descriptor_, bytes + done, count - done);
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            break;
        }
        done += static_cast<std::size_t>(result);
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
    int whence = origin == SeekOrigin::Begin     ? SEEK_SET
                 : origin == SeekOrigin::Current ? SEEK_CUR
                                                 : SEEK_END;
    off_t result = ::lseek(descriptor_, static_cast<off_t>(offset), whence);
    if (result < 0) {
        throw EStreamError("Stream seek error");
    }
    return result;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    TFileStream file(path, TFileStream::Mode::Read);
    std::int64_t size = file.Size();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace vlz
