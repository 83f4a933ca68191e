#include "recognition/jpeg_scans.h"

#include <cstdint>
#include <optional>

#include "recognition/byte_reader.h"

namespace pagereader {
namespace {

constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kTemporary = 0x01;

bool isRestart(std::uint8_t marker) { return (marker & 0xF8) == 0xD0; }

// The next marker code, skipping what precedes it as the decoder does: stray bytes, fill bytes
// (0xFF) and stuffed zeros. With `insideScan`, restart markers belong to the scan's data and are
// skipped too. Nothing at the end of the bytes.
std::optional<std::uint8_t> nextMarker(ByteReader& reader, bool insideScan) {
  while (reader.ok()) {
    while (reader.ok() && reader.u8() != 0xFF) {
    }
    std::uint8_t code = 0xFF;
    while (reader.ok() && code == 0xFF) code = reader.u8();
    if (!reader.ok()) return std::nullopt;
    if (code != 0 && !(insideScan && isRestart(code))) return code;
  }
  return std::nullopt;
}

}  // namespace

std::size_t jpegScanCount(std::span<const unsigned char> bytes, std::size_t stopAbove) {
  ByteReader reader(bytes);
  if (reader.u8() != 0xFF || reader.u8() != kStartOfImage) return 0;
  std::size_t scans = 0;
  bool insideScan = false;
  for (;;) {
    const std::optional<std::uint8_t> marker = nextMarker(reader, insideScan);
    if (!marker || *marker == kEndOfImage || *marker == kStartOfImage) break;
    insideScan = false;
    if (isRestart(*marker) || *marker == kTemporary) continue;  // no segment follows
    const std::uint16_t length = reader.u16();
    if (!reader.ok() || length < 2 || !reader.skip(length - 2u)) break;
    if (*marker == kStartOfScan) {
      if (++scans > stopAbove) break;
      insideScan = true;  // its entropy-coded data follows, up to the next marker
    }
  }
  return scans;
}

}  // namespace pagereader
