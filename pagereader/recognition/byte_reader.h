#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pagereader {

/// A cursor over a file's bytes for the header walks. It never reads past the end: a read or
/// skip that would goes no further, yields zero and marks the reader failed, so a walk can read
/// a whole structure and check `ok()` once.
class ByteReader {
 public:
  explicit ByteReader(std::span<const unsigned char> bytes, std::size_t position = 0)
      : bytes_(bytes), position_(position <= bytes.size() ? position : bytes.size()) {
    if (position > bytes.size()) failed_ = true;
  }

  bool ok() const { return !failed_; }
  bool atEnd() const { return position_ == bytes_.size(); }
  std::size_t position() const { return position_; }
  std::size_t remaining() const { return bytes_.size() - position_; }

  /// Moves to `position`, which may be the end but not beyond it.
  bool seek(std::uint64_t position) {
    if (position > bytes_.size()) return fail();
    position_ = static_cast<std::size_t>(position);
    return true;
  }
  bool skip(std::uint64_t count) {
    if (count > remaining()) return fail();
    position_ += static_cast<std::size_t>(count);
    return true;
  }

  std::uint8_t u8() { return static_cast<std::uint8_t>(unsignedValue(1, true)); }
  std::uint16_t u16(bool bigEndian = true) {
    return static_cast<std::uint16_t>(unsignedValue(2, bigEndian));
  }
  std::uint32_t u32(bool bigEndian = true) {
    return static_cast<std::uint32_t>(unsignedValue(4, bigEndian));
  }
  std::uint64_t u64(bool bigEndian = true) { return unsignedValue(8, bigEndian); }

 private:
  bool fail() {
    failed_ = true;
    return false;
  }

  std::uint64_t unsignedValue(std::size_t width, bool bigEndian) {
    if (width > remaining()) {
      fail();
      return 0;
    }
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
      const std::uint64_t byte = bytes_[position_ + i];
      value |= bigEndian ? byte << (8 * (width - 1 - i)) : byte << (8 * i);
    }
    position_ += width;
    return value;
  }

  std::span<const unsigned char> bytes_;
  std::size_t position_ = 0;
  bool failed_ = false;
};

}  // namespace pagereader
