#include "recognition/tiff_orientation.h"

#include <cstdint>

#include "recognition/byte_reader.h"

namespace pagereader {
namespace {

constexpr std::uint16_t kOrientationTag = 274;
constexpr std::uint16_t kShortType = 3;
constexpr std::uint16_t kTopLeft = 1;

// How the file lays out its directories: classic TIFF or BigTIFF, in either byte order.
struct Layout {
  bool bigEndian = false;
  bool bigTiff = false;
  std::size_t entryBytes() const { return bigTiff ? 20 : 12; }
  /// Width of an entry's count and of its value (or value offset) field.
  std::size_t fieldBytes() const { return bigTiff ? 8 : 4; }
};

// The first directory's offset; nothing when the header is not a TIFF header.
std::optional<std::uint64_t> firstDirectory(ByteReader& reader, Layout& layout) {
  const std::uint16_t order = reader.u16();
  if (order != 0x4949 && order != 0x4D4D) return std::nullopt;  // "II" or "MM"
  layout.bigEndian = order == 0x4D4D;
  const std::uint16_t version = reader.u16(layout.bigEndian);
  if (version == 42) {
    const std::uint32_t offset = reader.u32(layout.bigEndian);
    return reader.ok() ? std::optional<std::uint64_t>(offset) : std::nullopt;
  }
  if (version != 43) return std::nullopt;
  layout.bigTiff = true;
  const std::uint16_t offsetBytes = reader.u16(layout.bigEndian);
  const std::uint16_t reserved = reader.u16(layout.bigEndian);
  const std::uint64_t offset = reader.u64(layout.bigEndian);
  if (!reader.ok() || offsetBytes != 8 || reserved != 0) return std::nullopt;
  return offset;
}

void put(std::vector<unsigned char>& bytes, std::size_t at, std::uint64_t value, std::size_t width,
         bool bigEndian) {
  for (std::size_t i = 0; i < width; ++i) {
    const std::size_t shift = 8 * (bigEndian ? width - 1 - i : i);
    bytes[at + i] = static_cast<unsigned char>(value >> shift);
  }
}

}  // namespace

std::optional<std::vector<unsigned char>> withFirstPageUpright(
    std::span<const unsigned char> bytes) {
  ByteReader reader(bytes);
  Layout layout;
  const std::optional<std::uint64_t> directory = firstDirectory(reader, layout);
  if (!directory || !reader.seek(*directory)) return std::nullopt;
  const std::uint64_t entries =
      layout.bigTiff ? reader.u64(layout.bigEndian) : reader.u16(layout.bigEndian);
  const std::size_t firstEntry = reader.position();
  if (!reader.ok() || entries > reader.remaining() / layout.entryBytes()) return std::nullopt;

  std::optional<std::vector<unsigned char>> upright;
  for (std::uint64_t i = 0; i < entries; ++i) {
    const std::size_t entry = firstEntry + static_cast<std::size_t>(i) * layout.entryBytes();
    reader.seek(entry);
    const std::uint16_t tag = reader.u16(layout.bigEndian);
    const std::uint16_t type = reader.u16(layout.bigEndian);
    const std::uint64_t count =
        layout.bigTiff ? reader.u64(layout.bigEndian) : reader.u32(layout.bigEndian);
    const std::uint16_t value = reader.u16(layout.bigEndian);
    if (tag != kOrientationTag || (type == kShortType && count == 1 && value == kTopLeft)) continue;
    // Whatever the entry held, it now holds one SHORT of 1, stored in the entry itself.
    if (!upright) upright.emplace(bytes.begin(), bytes.end());
    const std::size_t typeAt = entry + 2;
    const std::size_t countAt = entry + 4;
    const std::size_t valueAt = countAt + layout.fieldBytes();
    put(*upright, typeAt, kShortType, 2, layout.bigEndian);
    put(*upright, countAt, 1, layout.fieldBytes(), layout.bigEndian);
    put(*upright, valueAt, 0, layout.fieldBytes(), layout.bigEndian);
    put(*upright, valueAt, kTopLeft, 2, layout.bigEndian);
  }
  return upright;
}

}  // namespace pagereader
