#include "recognition/image_loader_leptonica.h"

#include <gtest/gtest.h>
#include <leptonica/allheaders.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "hostile_images.h"

namespace pagereader {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// A grey picture of the given size, encoded by Leptonica in `format`.
Bytes encoded(int width, int height, int format, int depth = 8) {
  Pix* pix = pixCreate(width, height, depth);
  pixSetAll(pix);
  l_uint8* data = nullptr;
  size_t size = 0;
  const bool failed = pixWriteMem(&data, &size, pix, format) != 0;
  pixDestroy(&pix);
  if (failed) return {};
  Bytes bytes(data, data + size);
  lept_free(data);
  return bytes;
}

void writeFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void putBigEndian32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

// A PNG whose header claims `width` x `height`, with a correct checksum and no pixel data.
Bytes pngClaiming(std::uint32_t width, std::uint32_t height) {
  // Sized once and filled in place: growing it step by step trips a false array-bounds
  // error in GCC 12's Release build.
  constexpr unsigned char kStart[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                      0,    0,   0,   13,  'I',  'H',  'D',  'R'};
  constexpr unsigned char kEnd[] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
  Bytes bytes(sizeof kStart + 13 + 4 + sizeof kEnd, 0);
  std::copy(std::begin(kStart), std::end(kStart), bytes.begin());
  putBigEndian32(bytes, 16, width);
  putBigEndian32(bytes, 20, height);
  bytes[24] = 8;  // bit depth, grey
  const uLong crc = crc32(0, bytes.data() + 12, 17);
  putBigEndian32(bytes, 29, static_cast<std::uint32_t>(crc));
  std::copy(std::begin(kEnd), std::end(kEnd), bytes.begin() + 33);
  return bytes;
}

// A real JPEG with the frame header patched to claim `side` x `side`.
Bytes jpegClaiming(std::uint16_t side) {
  Bytes bytes = encoded(16, 16, IFF_JFIF_JPEG);
  for (std::size_t i = 0; i + 8 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      bytes[i + 5] = bytes[i + 7] = static_cast<unsigned char>(side >> 8);
      bytes[i + 6] = bytes[i + 8] = static_cast<unsigned char>(side & 0xFF);
      break;
    }
  }
  return bytes;
}

// Two single-frame GIFs from Leptonica spliced into one file of two frames.
Bytes twoFrameGif(Bytes first, const Bytes& second) {
  const auto imageStart = [](const Bytes& gif) {
    return std::size_t{13} + ((gif[10] & 0x80) ? (std::size_t{3} << ((gif[10] & 7) + 1)) : 0);
  };
  first.pop_back();  // trailer
  first.insert(first.end(), second.begin() + static_cast<std::ptrdiff_t>(imageStart(second)),
               second.end());
  return first;
}

struct ImageLoaderTest : ::testing::Test {
  void SetUp() override {
    setMsgSeverity(L_SEVERITY_NONE);
    dir = fs::temp_directory_path() / ("pagereader_loader_" + std::to_string(getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  static std::pair<std::uint32_t, std::uint32_t> sizeOf(
      const std::unique_ptr<LeptonicaImage>& image) {
    return {image->width(), image->height()};
  }

  fs::path dir;
  ImageLimits limits;
};

TEST_F(ImageLoaderTest, DecodesTheSupportedFormats) {
  const int formats[] = {IFF_PNG, IFF_JFIF_JPEG, IFF_TIFF_ZIP, IFF_GIF,
                         IFF_BMP, IFF_PNM,       IFF_WEBP,     IFF_JP2};
  for (int format : formats) {
    const Bytes bytes = encoded(37, 23, format);
    ASSERT_FALSE(bytes.empty()) << "format " << format;
    const auto image = decodeFirstImage(bytes, limits);
    ASSERT_TRUE(image) << "format " << format;
    EXPECT_EQ(sizeOf(image), std::make_pair(37u, 23u)) << "format " << format;
  }
}

TEST_F(ImageLoaderTest, TakesTheFirstPageOrFrame) {
  const fs::path tiff = dir / "pages.tif";
  Pix* pages[] = {pixCreate(40, 30, 1), pixCreate(80, 60, 1)};
  ASSERT_EQ(pixWriteTiff(tiff.c_str(), pages[0], IFF_TIFF_G4, "w"), 0);
  ASSERT_EQ(pixWriteTiff(tiff.c_str(), pages[1], IFF_TIFF_G4, "a"), 0);
  for (Pix*& page : pages) pixDestroy(&page);
  EXPECT_EQ(sizeOf(loadImageFile(tiff.string(), limits)), std::make_pair(40u, 30u));

  const Bytes gif = twoFrameGif(encoded(40, 30, IFF_GIF, 1), encoded(20, 10, IFF_GIF, 1));
  EXPECT_EQ(sizeOf(decodeFirstImage(gif, limits)), std::make_pair(40u, 30u));
}

TEST_F(ImageLoaderTest, RejectsHostileBytesWithoutDecodingThem) {
  const Bytes png = encoded(64, 64, IFF_PNG);
  Bytes truncated(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2));
  Bytes corrupt = png;
  for (std::size_t i = 40; i < corrupt.size() - 12; i += 3) corrupt[i] ^= 0x5A;
  const Bytes smallGif = encoded(4, 4, IFF_GIF, 1);
  Bytes gifWithGiantFrame = twoFrameGif(smallGif, smallGif);
  const std::size_t secondFrame = smallGif.size() - 1;  // where the first file's trailer was
  ASSERT_EQ(gifWithGiantFrame[secondFrame], 0x2C);
  for (std::size_t k = 5; k < 9; ++k) gifWithGiantFrame[secondFrame + k] = 0xFF;  // 65535 x 65535
  Bytes bmp = encoded(8, 8, IFF_BMP);
  bmp[18] = bmp[19] = bmp[22] = bmp[23] = 0xFF, bmp[20] = bmp[24] = 0x0F;
  const std::string text = "this is not an image at all, just words";
  const std::string pdf = "%PDF-1.4\n1 0 obj <<>> endobj\n";
  const std::string spix = "spix\x01\x00\x00\x00\x01\x00\x00\x00\x08\x00\x00\x00";

  const std::pair<const char*, Bytes> cases[] = {
      {"empty", {}},
      {"too short to sniff", Bytes(png.begin(), png.begin() + 11)},
      {"text", Bytes(text.begin(), text.end())},
      {"pdf", Bytes(pdf.begin(), pdf.end())},
      {"serialised pix", Bytes(spix.begin(), spix.end())},
      {"truncated png", truncated},
      {"corrupt png", corrupt},
      {"png claiming 100000 x 100000", pngClaiming(100000, 100000)},
      {"png claiming 40000 x 10", pngClaiming(40000, 10)},
      {"png claiming 0 x 0", pngClaiming(0, 0)},
      {"jpeg claiming 60000 x 60000", jpegClaiming(60000)},
      {"gif with a giant second frame", gifWithGiantFrame},
      {"bmp claiming a giant size", bmp},
      {"gif of more one-pixel frames than allowed",
       hostile::gifOfOnePixelFrames(limits.maxGifFrames + 1)},
      {"gif of more tiny sub-blocks than allowed",
       hostile::gifWithTinySubBlocks(limits.maxGifExtensionSubBlocks + 1)},
  };
  for (const auto& [name, bytes] : cases) EXPECT_FALSE(decodeFirstImage(bytes, limits)) << name;
}

TEST_F(ImageLoaderTest, RefusesJpegsWithMoreScansThanEncodersWrite) {
  ASSERT_EQ(limits.maxJpegScans, 100u);
  struct Case {
    int acBands, bitSteps;  // scans: bitSteps x (1 + acBands)
    bool decoded;
  };
  const Case cases[] = {{5, 2, true}, {24, 4, true}, {33, 3, false}, {63, 11, false}};
  for (const Case& c : cases) {
    const auto image =
        decodeFirstImage(hostile::progressiveJpeg(40, c.acBands, c.bitSteps), limits);
    EXPECT_EQ(image != nullptr, c.decoded) << c.bitSteps * (1 + c.acBands) << " scans";
  }
}

TEST_F(ImageLoaderTest, TiffsAreReadAsStoredWhateverTheirOrientationTag) {
  hostile::TiffPicture rgb;
  rgb.samplesPerPixel = 3;
  rgb.bigEndian = true;
  hostile::TiffPicture bigGrey;
  bigGrey.bigTiff = true;
  const std::pair<const char*, hostile::TiffPicture> layouts[] = {
      {"grey", {}}, {"big-endian RGB", rgb}, {"BigTIFF grey", bigGrey}};
  for (auto [name, picture] : layouts) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
      SCOPED_TRACE(std::string(name) + ", orientation " + std::to_string(orientation));
      picture.orientation = orientation;
      const auto image = decodeFirstImage(hostile::tiff(picture), limits);
      ASSERT_TRUE(image);
      ASSERT_EQ(sizeOf(image), std::make_pair(5u, 3u));
      int mismatches = 0;
      for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
          l_int32 r = 0, g = 0, b = 0;
          if (picture.samplesPerPixel == 3) {
            pixGetRGBPixel(image->pix(), x, y, &r, &g, &b);
          } else {
            l_uint32 value = 0;
            pixGetPixel(image->pix(), x, y, &value);
            r = g = b = static_cast<l_int32>(value);
          }
          const int last = picture.samplesPerPixel - 1;
          mismatches +=
              r != hostile::storedSample(x, y, 0) || b != hostile::storedSample(x, y, last);
        }
      }
      EXPECT_EQ(mismatches, 0);
    }
  }
}

TEST_F(ImageLoaderTest, Jpeg2000WorkIsBoundedBeforeDecoding) {
  using hostile::Jp2Coding;
  struct Case {
    const char* name;
    Jp2Coding coding;
    void (*tighten)(ImageLimits&);
    bool decoded;
  };
  const auto coding = [](auto change) {
    Jp2Coding result;
    change(result);
    return result;
  };
  const auto keep = [](ImageLimits&) {};
  const Case cases[] = {
      {"as encoded", {}, keep, true},
      {"three tiles, three allowed", coding([](Jp2Coding& c) { c.width = 111, c.tileWidth = 37; }),
       [](ImageLimits& l) { l.maxJp2Tiles = 3; }, true},
      {"four tiles, three allowed", coding([](Jp2Coding& c) {
         c.width = 74, c.height = 46, c.tileWidth = 37, c.tileHeight = 23;
       }),
       [](ImageLimits& l) { l.maxJp2Tiles = 3; }, false},
      {"more code-blocks than allowed", coding([](Jp2Coding& c) { c.codeBlockExponent = 2; }),
       [](ImageLimits& l) { l.maxJp2CodeBlocks = 20; }, false},
      {"more levels than allowed",
       {},
       [](ImageLimits& l) { l.maxJp2DecompositionLevels = 2; },
       false},
      {"more packet slots than allowed", coding([](Jp2Coding& c) { c.layers = 50; }),
       [](ImageLimits& l) { l.maxJp2PacketSlots = 100; }, false},
      {"more marker segments than allowed", coding([](Jp2Coding& c) { c.comments = 20; }),
       [](ImageLimits& l) { l.maxJp2Markers = 20; }, false},
      {"components sampled below the grid", coding([](Jp2Coding& c) {
         c.width = c.height = 64, c.subsampling = {1, 4, 4};
       }),
       keep, false},
  };
  for (const Case& c : cases) {
    ImageLimits tightened = limits;
    c.tighten(tightened);
    EXPECT_EQ(decodeFirstImage(hostile::jp2(c.coding), tightened) != nullptr, c.decoded) << c.name;
  }
}

TEST_F(ImageLoaderTest, TheLimitsDecideBeforeDecoding) {
  const Bytes png = encoded(100, 100, IFF_PNG);
  EXPECT_TRUE(decodeFirstImage(png, limits));
  ImageLimits small = limits;
  small.maxPixels = 9999;
  EXPECT_FALSE(decodeFirstImage(png, small));
  small = limits;
  small.maxSide = 99;
  EXPECT_FALSE(decodeFirstImage(png, small));
  small = limits;
  small.maxFileBytes = png.size() - 1;
  writeFile(dir / "a.png", png);
  EXPECT_FALSE(loadImageFile((dir / "a.png").string(), small));
}

TEST_F(ImageLoaderTest, ReadsOnlyRegularFilesAndFollowsNamesAsGiven) {
  const Bytes png = encoded(12, 8, IFF_PNG);
  const fs::path odd = dir / "screen shot 截图 ü.png";
  writeFile(odd, png);
  fs::create_symlink(odd, dir / "link.png");
  writeFile(dir / "empty.png", {});
  fs::create_directory(dir / "folder.png");
  ASSERT_EQ(mkfifo((dir / "pipe.png").c_str(), 0600), 0);

  EXPECT_EQ(sizeOf(loadImageFile(odd.string(), limits)), std::make_pair(12u, 8u));
  EXPECT_EQ(sizeOf(loadImageFile((dir / "link.png").string(), limits)), std::make_pair(12u, 8u));
  for (const char* name : {"missing.png", "empty.png", "folder.png", "pipe.png"}) {
    EXPECT_FALSE(loadImageFile((dir / name).string(), limits)) << name;  // a FIFO must not block
  }
}

}  // namespace
}  // namespace pagereader
