#pragma once
// Little-endian fields of file structures, read and written one field at a time. The reader
// cannot overrun its block: past the end every read yields 0 and the reader remembers it, so a
// parser checks the size once up front (or Overrun() once at the end) instead of at every field.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vlz {

class TLittleEndianReader {
  public:
    TLittleEndianReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return size_ - position_; }
    bool Overrun() const { return overrun_; }

    std::uint8_t U8() {
        if (position_ >= size_) {
            overrun_ = true;
            return 0;
        }
        return data_[position_++];
    }
    std::uint16_t U16() {
        std::uint16_t low = U8();
        return static_cast<std::uint16_t>(low | (U8() << 8));
    }
    std::uint32_t U32() {
        std::uint32_t low = U16();
        return low | (static_cast<std::uint32_t>(U16()) << 16);
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    void Skip(std::size_t count) {
        if (count > Remaining()) {
            overrun_ = true;
            position_ = size_;
            return;
        }
        position_ += count;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool overrun_ = false;
};

// Appends fields to a byte vector.
class TLittleEndianWriter {
  public:
    explicit TLittleEndianWriter(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    void U8(std::uint8_t value) { bytes_.push_back(value); }
    void U16(std::uint16_t value) {
        U8(static_cast<std::uint8_t>(value));
        U8(static_cast<std::uint8_t>(value >> 8));
    }
    void U32(std::uint32_t value) {
        U16(static_cast<std::uint16_t>(value));
        U16(static_cast<std::uint16_t>(value >> 16));
    }
    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }

  private:
    std::vector<std::uint8_t>& bytes_;
};

}  // namespace vlz
