#include "recognition/jp2_codestream.h"

#include <algorithm>
#include <array>
#include <vector>

#include "recognition/byte_reader.h"

namespace pagereader {
namespace {

// Marker codes of the codestream.
enum : std::uint16_t {
  kStartOfCodestream = 0xFF4F,
  kCapabilities = 0xFF50,
  kImageAndTileSize = 0xFF51,
  kCodingStyle = 0xFF52,
  kComponentCodingStyle = 0xFF53,
  kTilePartLengths = 0xFF55,
  kPacketLengthsMain = 0xFF57,
  kPacketLengthsTile = 0xFF58,
  kCorrespondingProfile = 0xFF59,
  kQuantization = 0xFF5C,
  kComponentQuantization = 0xFF5D,
  kRegionOfInterest = 0xFF5E,
  kProgressionChange = 0xFF5F,
  kPackedHeadersMain = 0xFF60,
  kPackedHeadersTile = 0xFF61,
  kComponentRegistration = 0xFF63,
  kComment = 0xFF64,
  kStartOfTile = 0xFF90,
  kStartOfData = 0xFF93,
  kEndOfCodestream = 0xFFD9,
};

constexpr std::uint32_t boxType(const char (&name)[5]) {
  return std::uint32_t{static_cast<unsigned char>(name[0])} << 24 |
         std::uint32_t{static_cast<unsigned char>(name[1])} << 16 |
         std::uint32_t{static_cast<unsigned char>(name[2])} << 8 |
         std::uint32_t{static_cast<unsigned char>(name[3])};
}

constexpr int kMaxLevelsInTheFormat = 32;

// What decides a component's resolutions, code-blocks and precincts.
struct CodingStyle {
  int levels = 0;
  int codeBlockWidth = 0;  ///< exponents
  int codeBlockHeight = 0;
  std::array<std::uint8_t, kMaxLevelsInTheFormat + 1> precincts{};  ///< PPx low, PPy high nibble
};

// A tile's coding styles beyond the main header's, from its tile-part headers.
struct TileStyles {
  int layers = 0;
  std::vector<CodingStyle> all;                       ///< from COD: for every component
  std::vector<std::vector<CodingStyle>> byComponent;  ///< from COC
};

std::int64_t floorDiv(std::int64_t value, int exponent) { return value >> exponent; }
std::int64_t ceilDiv(std::int64_t value, int exponent) {
  return (value + (std::int64_t{1} << exponent) - 1) >> exponent;
}
// How many cells of 2^exponent the span [from, to) touches.
std::uint64_t cells(std::int64_t from, std::int64_t to, int exponent) {
  if (to <= from) return 0;
  return static_cast<std::uint64_t>(ceilDiv(to, exponent) - floorDiv(from, exponent));
}

struct Rect {
  std::int64_t x0, y0, x1, y1;
};

// Code-blocks and the largest precinct count of one tile-component under `style`.
struct ComponentWork {
  std::uint64_t codeBlocks = 0;
  std::uint64_t largestPrecinctCount = 0;
};

ComponentWork componentWork(const Rect& tile, const CodingStyle& style) {
  ComponentWork work;
  for (int r = 0; r <= style.levels; ++r) {
    const int scale = style.levels - r;
    const Rect resolution{ceilDiv(tile.x0, scale), ceilDiv(tile.y0, scale), ceilDiv(tile.x1, scale),
                          ceilDiv(tile.y1, scale)};
    const int precinctWidth = style.precincts[static_cast<std::size_t>(r)] & 0x0F;
    const int precinctHeight = style.precincts[static_cast<std::size_t>(r)] >> 4;
    work.largestPrecinctCount = std::max(work.largestPrecinctCount,
                                         cells(resolution.x0, resolution.x1, precinctWidth) *
                                             cells(resolution.y0, resolution.y1, precinctHeight));
    // Code-blocks never cross a precinct, which in a band is half as large beyond the first.
    const int blockWidth =
        std::min(style.codeBlockWidth, r > 0 ? precinctWidth - 1 : precinctWidth);
    const int blockHeight =
        std::min(style.codeBlockHeight, r > 0 ? precinctHeight - 1 : precinctHeight);
    if (r == 0) {
      work.codeBlocks += cells(resolution.x0, resolution.x1, blockWidth) *
                         cells(resolution.y0, resolution.y1, blockHeight);
      continue;
    }
    const int depth = style.levels - r + 1;
    for (const auto& [xShift, yShift] : {std::pair{1, 0}, std::pair{0, 1}, std::pair{1, 1}}) {
      const std::int64_t xOffset = std::int64_t{xShift} << (depth - 1);
      const std::int64_t yOffset = std::int64_t{yShift} << (depth - 1);
      const Rect band{ceilDiv(tile.x0 - xOffset, depth), ceilDiv(tile.y0 - yOffset, depth),
                      ceilDiv(tile.x1 - xOffset, depth), ceilDiv(tile.y1 - yOffset, depth)};
      work.codeBlocks += cells(band.x0, band.x1, blockWidth) * cells(band.y0, band.y1, blockHeight);
    }
  }
  return work;
}

class CodestreamWalker {
 public:
  CodestreamWalker(std::span<const unsigned char> codestream, const ImageLimits& limits)
      : reader_(codestream), limits_(limits) {}

  std::optional<Jp2Outline> walk() {
    if (reader_.u16() != kStartOfCodestream || reader_.u16() != kImageAndTileSize) return {};
    if (!readImageAndTileSize()) return {};
    if (!readMainHeader() || !readTileParts()) return {};
    return outline();
  }

 private:
  bool readImageAndTileSize() {
    const std::uint16_t length = reader_.u16();
    reader_.u16();  // capabilities
    width_ = reader_.u32(), height_ = reader_.u32();
    x0_ = reader_.u32(), y0_ = reader_.u32();
    tileWidth_ = reader_.u32(), tileHeight_ = reader_.u32();
    tileX0_ = reader_.u32(), tileY0_ = reader_.u32();
    components_ = reader_.u16();
    if (!reader_.ok() || components_ < 1 || components_ > limits_.maxSamplesPerPixel ||
        length != 38 + 3 * components_) {
      return false;
    }
    for (int c = 0; c < components_; ++c) {
      precision_ = std::max(precision_, (reader_.u8() & 0x7F) + 1);
      // The image is handed on with every component read at the first one's size.
      if (reader_.u8() != 1 || reader_.u8() != 1) return false;
    }
    if (!reader_.ok() || width_ <= x0_ || height_ <= y0_ || tileWidth_ == 0 || tileHeight_ == 0 ||
        tileX0_ > x0_ || tileY0_ > y0_ || tileX0_ + tileWidth_ <= x0_ ||
        tileY0_ + tileHeight_ <= y0_ || !dimensionsAllowed(width_ - x0_, height_ - y0_, limits_)) {
      return false;
    }
    // Within the allowed sides every span below stays small, so no count can overflow.
    tilesAcross_ = static_cast<std::uint64_t>((width_ - tileX0_ + tileWidth_ - 1) / tileWidth_);
    tilesDown_ = static_cast<std::uint64_t>((height_ - tileY0_ + tileHeight_ - 1) / tileHeight_);
    if (tilesAcross_ > limits_.maxJp2Tiles || tilesDown_ > limits_.maxJp2Tiles ||
        tilesAcross_ * tilesDown_ > limits_.maxJp2Tiles) {
      return false;
    }
    tiles_.resize(static_cast<std::size_t>(tilesAcross_ * tilesDown_));
    mainByComponent_.resize(static_cast<std::size_t>(components_));
    return countMarker();
  }

  bool countMarker() { return ++markers_ <= limits_.maxJp2Markers; }

  // One COD or COC segment's style; nothing when it is malformed or deeper than allowed.
  std::optional<CodingStyle> readStyle(std::uint16_t marker, std::size_t end, int* layers,
                                       int* component) {
    if (marker == kComponentCodingStyle) *component = reader_.u8();
    const std::uint8_t flags = reader_.u8();
    if (marker == kCodingStyle) {
      reader_.u8();  // progression order
      *layers = reader_.u16();
      reader_.u8();  // multiple component transform
    }
    CodingStyle style;
    style.levels = reader_.u8();
    const int blockWidth = reader_.u8();
    const int blockHeight = reader_.u8();
    reader_.skip(2);  // code-block style, wavelet
    if (!reader_.ok() || style.levels > kMaxLevelsInTheFormat || blockWidth > 8 ||
        blockHeight > 8 || blockWidth + blockHeight > 8 ||
        style.levels > limits_.maxJp2DecompositionLevels) {
      return std::nullopt;
    }
    style.codeBlockWidth = blockWidth + 2;
    style.codeBlockHeight = blockHeight + 2;
    for (int r = 0; r <= style.levels; ++r) {
      const std::uint8_t precinct = (flags & 1) ? reader_.u8() : 0xFF;  // 2^15 unless given
      const bool tooSmall = r > 0 && ((precinct & 0x0F) == 0 || (precinct >> 4) == 0);
      if (tooSmall) return std::nullopt;
      style.precincts[static_cast<std::size_t>(r)] = precinct;
    }
    if (!reader_.ok() || reader_.position() != end) return std::nullopt;
    return style;
  }

  // Reads a COD or COC segment into the given place.
  bool readStyleSegment(std::uint16_t marker, std::size_t end, std::vector<CodingStyle>& all,
                        std::vector<std::vector<CodingStyle>>& byComponent, int& layers) {
    int segmentLayers = 0;
    int component = 0;
    const std::optional<CodingStyle> style = readStyle(marker, end, &segmentLayers, &component);
    if (!style) return false;
    if (marker == kCodingStyle) {
      if (segmentLayers == 0) return false;
      layers = std::max(layers, segmentLayers);
      all.push_back(*style);
    } else {
      if (component >= components_) return false;
      byComponent.resize(static_cast<std::size_t>(components_));
      byComponent[static_cast<std::size_t>(component)].push_back(*style);
    }
    maxLevels_ = std::max(maxLevels_, style->levels);
    return true;
  }

  bool readMainHeader() {
    for (;;) {
      const std::uint16_t marker = reader_.u16();
      if (!reader_.ok()) return false;
      if (marker == kStartOfTile) break;
      const std::uint16_t length = reader_.u16();
      if (!reader_.ok() || length < 2 || length - 2u > reader_.remaining() || !countMarker()) {
        return false;
      }
      const std::size_t end = reader_.position() + length - 2;
      switch (marker) {
        case kCodingStyle:
        case kComponentCodingStyle:
          if (!readStyleSegment(marker, end, mainAll_, mainByComponent_, mainLayers_)) return false;
          break;
        case kCapabilities:
        case kCorrespondingProfile:
        case kQuantization:
        case kComponentQuantization:
        case kRegionOfInterest:
        case kProgressionChange:
        case kPackedHeadersMain:
        case kTilePartLengths:
        case kPacketLengthsMain:
        case kComponentRegistration:
        case kComment:
          reader_.seek(end);
          break;
        default:
          return false;
      }
    }
    return !mainAll_.empty();
  }

  // Every tile-part, from one start-of-tile marker (already read) to the next by its length.
  bool readTileParts() {
    for (;;) {
      const std::size_t start = reader_.position() - 2;
      const std::uint16_t length = reader_.u16();
      const std::uint16_t tile = reader_.u16();
      const std::uint32_t partLength = reader_.u32();
      reader_.skip(2);                 // tile-part index and count
      if (!reader_.ok()) return true;  // cut short: the decoder stops here too
      if (length != 10 || tile >= tiles_.size() || !countMarker()) return false;
      TileStyles& styles = tiles_[tile];
      for (;;) {
        const std::uint16_t marker = reader_.u16();
        if (!reader_.ok()) return true;
        if (marker == kStartOfData) break;
        const std::uint16_t segmentLength = reader_.u16();
        if (!reader_.ok()) return true;
        if (segmentLength < 2 || !countMarker()) return false;
        if (segmentLength - 2u > reader_.remaining()) return true;
        const std::size_t end = reader_.position() + segmentLength - 2;
        switch (marker) {
          case kCodingStyle:
          case kComponentCodingStyle:
            if (!readStyleSegment(marker, end, styles.all, styles.byComponent, styles.layers)) {
              return false;
            }
            break;
          case kQuantization:
          case kComponentQuantization:
          case kRegionOfInterest:
          case kProgressionChange:
          case kPackedHeadersTile:
          case kPacketLengthsTile:
          case kComment:
            reader_.seek(end);
            break;
          default:
            return false;
        }
      }
      if (partLength == 0) return true;  // the last tile-part runs to the end
      const std::uint64_t next = std::uint64_t{start} + partLength;
      if (next < reader_.position()) return false;
      if (next >= reader_.position() + reader_.remaining()) return true;  // cut short
      reader_.seek(next);
      const std::uint16_t marker = reader_.u16();
      if (!reader_.ok() || marker == kEndOfCodestream) return true;
      if (marker != kStartOfTile) return false;
    }
  }

  std::optional<Jp2Outline> outline() {
    Jp2Outline result;
    result.width = width_ - x0_;
    result.height = height_ - y0_;
    result.components = components_;
    result.maxPrecision = precision_;
    result.tiles = tiles_.size();
    result.maxDecompositionLevels = maxLevels_;
    result.markers = markers_;
    for (std::size_t t = 0; t < tiles_.size(); ++t) {
      const std::int64_t across = static_cast<std::int64_t>(t % tilesAcross_);
      const std::int64_t down = static_cast<std::int64_t>(t / tilesAcross_);
      const Rect tile{std::max(tileX0_ + across * tileWidth_, x0_),
                      std::max(tileY0_ + down * tileHeight_, y0_),
                      std::min(tileX0_ + (across + 1) * tileWidth_, width_),
                      std::min(tileY0_ + (down + 1) * tileHeight_, height_)};
      const TileStyles& own = tiles_[t];
      std::uint64_t largestPrecinctCount = 0;
      int resolutions = 0;
      for (int c = 0; c < components_; ++c) {
        // Any of the styles that may apply; the costliest counts.
        std::vector<CodingStyle> candidates = mainAll_;
        const auto add = [&](const std::vector<std::vector<CodingStyle>>& byComponent) {
          if (byComponent.size() > static_cast<std::size_t>(c)) {
            const auto& styles = byComponent[static_cast<std::size_t>(c)];
            candidates.insert(candidates.end(), styles.begin(), styles.end());
          }
        };
        add(mainByComponent_);
        candidates.insert(candidates.end(), own.all.begin(), own.all.end());
        add(own.byComponent);
        std::uint64_t codeBlocks = 0;
        for (const CodingStyle& style : candidates) {
          const ComponentWork work = componentWork(tile, style);
          codeBlocks = std::max(codeBlocks, work.codeBlocks);
          largestPrecinctCount = std::max(largestPrecinctCount, work.largestPrecinctCount);
          resolutions = std::max(resolutions, style.levels + 1);
        }
        result.codeBlocks += codeBlocks;
        if (result.codeBlocks > limits_.maxJp2CodeBlocks) return std::nullopt;
      }
      const std::uint64_t layers = static_cast<std::uint64_t>(std::max(mainLayers_, own.layers));
      // Each factor is bounded, so the product cannot overflow before it is compared.
      if (largestPrecinctCount > limits_.maxJp2PacketSlots) return std::nullopt;
      result.packetSlots += (layers + 1) * static_cast<std::uint64_t>(resolutions) *
                            static_cast<std::uint64_t>(components_) * largestPrecinctCount;
      if (result.packetSlots > limits_.maxJp2PacketSlots) return std::nullopt;
    }
    return result;
  }

  ByteReader reader_;
  const ImageLimits& limits_;
  std::int64_t width_ = 0, height_ = 0, x0_ = 0, y0_ = 0;
  std::int64_t tileWidth_ = 0, tileHeight_ = 0, tileX0_ = 0, tileY0_ = 0;
  std::uint64_t tilesAcross_ = 0, tilesDown_ = 0;
  int components_ = 0;
  int precision_ = 0;
  int maxLevels_ = 0;
  int mainLayers_ = 0;
  std::uint64_t markers_ = 0;
  std::vector<CodingStyle> mainAll_;
  std::vector<std::vector<CodingStyle>> mainByComponent_;
  std::vector<TileStyles> tiles_;
};

// The codestream inside a JP2 file's boxes, and how many components a palette makes of it.
struct Contents {
  std::span<const unsigned char> codestream;
  int paletteComponents = 0;  ///< 0: no palette
};

std::optional<Contents> jp2Contents(std::span<const unsigned char> bytes) {
  ByteReader reader(bytes);
  Contents contents;
  while (!reader.atEnd()) {
    const std::size_t start = reader.position();
    std::uint64_t length = reader.u32();
    const std::uint32_t type = reader.u32();
    if (length == 1) length = reader.u64();
    const std::size_t header = reader.position() - start;
    if (length == 0) length = header + reader.remaining();  // runs to the end
    if (!reader.ok() || length < header || length - header > reader.remaining()) return {};
    const std::span<const unsigned char> payload =
        bytes.subspan(reader.position(), length - header);
    if (type == boxType("jp2c")) {
      contents.codestream = payload;
      return contents;
    }
    if (type == boxType("jp2h")) {
      // A palette turns each sample into as many components as it has columns.
      ByteReader inner(payload);
      while (!inner.atEnd()) {
        const std::uint32_t innerLength = inner.u32();
        const std::uint32_t innerType = inner.u32();
        if (!inner.ok() || innerLength < 8 || innerLength - 8 > inner.remaining()) return {};
        const std::size_t end = inner.position() + innerLength - 8;
        if (innerType == boxType("pclr")) {
          inner.u16();  // entries
          contents.paletteComponents = std::max(contents.paletteComponents, int{inner.u8()});
          if (!inner.ok() || contents.paletteComponents == 0) return {};
        }
        inner.seek(end);
      }
    }
    reader.skip(length - header);
  }
  return std::nullopt;
}

}  // namespace

std::optional<Jp2Outline> jp2Outline(std::span<const unsigned char> bytes,
                                     const ImageLimits& limits) {
  std::optional<Contents> contents;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0x4F) {
    contents = Contents{bytes, 0};
  } else {
    contents = jp2Contents(bytes);
  }
  if (!contents) return std::nullopt;
  std::optional<Jp2Outline> outline = CodestreamWalker(contents->codestream, limits).walk();
  if (outline && contents->paletteComponents > 0) {
    outline->components = contents->paletteComponents;
  }
  return outline;
}

}  // namespace pagereader
