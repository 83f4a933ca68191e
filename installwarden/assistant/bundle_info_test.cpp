#include "assistant/bundle_info.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "assistant/binary_plist_guard.h"
#include "testing/temp_directory.h"

namespace installwarden {
namespace {

using test_support::TempDirectory;

std::string xmlPlist(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">" +
         body + "</plist>\n";
}

/// The binary form of an XML plist, as libplist writes it.
std::string toBinary(const std::string& xml) {
  plist_t root = nullptr;
  plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &root);
  if (root == nullptr) return {};
  char* bytes = nullptr;
  std::uint32_t length = 0;
  plist_to_bin(root, &bytes, &length);
  std::string binary(bytes, length);
  plist_to_bin_free(bytes);
  plist_free(root);
  return binary;
}

/// Hand-assembled binary plists, for object graphs no writer produces: 4-byte offsets and refs.
class BinaryPlist {
 public:
  std::size_t add(std::string object) {
    objects_.push_back(std::move(object));
    return objects_.size() - 1;
  }
  std::size_t string(const std::string& ascii) {
    std::string object;
    if (ascii.size() < 15) {
      object += static_cast<char>(0x50 | ascii.size());
    } else {
      object += "\x5F\x10";  // the length follows as a 1-byte integer object
      object += static_cast<char>(ascii.size());
    }
    return add(object + ascii);
  }
  std::size_t container(unsigned char type, const std::vector<std::size_t>& refs,
                        std::size_t entries) {
    std::string object(1, static_cast<char>((type << 4) | 0xF));
    object += '\x12';  // the count as a 4-byte integer object
    appendBigEndian(object, entries, 4);
    for (const std::size_t ref : refs) appendBigEndian(object, ref, 4);
    return add(object);
  }
  std::size_t array(const std::vector<std::size_t>& refs) {
    return container(0xA, refs, refs.size());
  }
  std::size_t dict(const std::vector<std::size_t>& keys, const std::vector<std::size_t>& values) {
    std::vector<std::size_t> refs = keys;
    refs.insert(refs.end(), values.begin(), values.end());
    return container(0xD, refs, keys.size());
  }
  /// Sets the reference `index` of object `object` (for cycles).
  void patchRef(std::size_t object, std::size_t index, std::size_t ref) {
    std::string patched;
    appendBigEndian(patched, ref, 4);
    objects_[object].replace(6 + index * 4, 4, patched);
  }

  std::string build(std::size_t top) const {
    std::string bytes = "bplist00";
    std::vector<std::size_t> offsets;
    for (const auto& object : objects_) {
      offsets.push_back(bytes.size());
      bytes += object;
    }
    const std::size_t table = bytes.size();
    for (const std::size_t offset : offsets) appendBigEndian(bytes, offset, 4);
    bytes += std::string(6, '\0');
    bytes += '\x04';
    bytes += '\x04';
    appendBigEndian(bytes, objects_.size(), 8);
    appendBigEndian(bytes, top, 8);
    appendBigEndian(bytes, table, 8);
    return bytes;
  }

 private:
  static void appendBigEndian(std::string& out, std::uint64_t value, int width) {
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) {
      out += static_cast<char>((value >> shift) & 0xFF);
    }
  }
  std::vector<std::string> objects_;
};

const std::string kVersionDict = xmlPlist(
    "<dict><key>CFBundleExecutable</key><string>Example</string>"
    "<key>CFBundleShortVersionString</key><string>2.0.0 beta</string>"
    "<key>CFBundleVersion</key><integer>7</integer></dict>");

/// A version entry beside a value nested `depth` times in `open` ... `close`.
std::string nestedXml(std::size_t depth, const std::string& open, const std::string& close) {
  std::string nested;
  nested.reserve(depth * (open.size() + close.size()));
  for (std::size_t i = 0; i < depth; ++i) nested += open;
  nested += "<true/>";
  for (std::size_t i = 0; i < depth; ++i) nested += close;
  return xmlPlist(
      "<dict><key>CFBundleShortVersionString</key><string>2.0.0</string>"
      "<key>Deep</key>" +
      nested + "</dict>");
}

struct PlistCase {
  const char* name;
  std::string bytes;
  std::optional<std::string> version;
};

class PlistVersion : public ::testing::TestWithParam<PlistCase> {};

TEST_P(PlistVersion, ReadsTheShortVersionStringOnly) {
  const PlistCase& c = GetParam();
  TempDirectory dir;
  dir.write("Example.app/Contents/Info.plist", c.bytes);
  EXPECT_EQ(installedVersion(dir.file("Example.app")), c.version);
}

INSTANTIATE_TEST_SUITE_P(
    BundleInfo, PlistVersion,
    ::testing::Values(
        PlistCase{"Xml", kVersionDict, "2.0.0 beta"},
        PlistCase{"Binary", toBinary(kVersionDict), "2.0.0 beta"},
        PlistCase{"UntrimmedNonAscii",
                  xmlPlist("<dict><key>CFBundleShortVersionString</key><string> 2.0\xC3\xA9 "
                           "</string></dict>"),
                  " 2.0\xC3\xA9 "},
        PlistCase{"RootIsArray", xmlPlist("<array><string>2.0.0</string></array>"), std::nullopt},
        PlistCase{"EmptyDictionary", xmlPlist("<dict/>"), std::nullopt},
        PlistCase{"KeyMissing",
                  xmlPlist("<dict><key>CFBundleVersion</key><string>2.0.0</string></dict>"),
                  std::nullopt},
        PlistCase{"ValueNotText",
                  xmlPlist("<dict><key>CFBundleShortVersionString</key><real>2.0</real></dict>"),
                  std::nullopt},
        PlistCase{"NotAPlist", "{\"CFBundleShortVersionString\":\"2.0.0\"}", std::nullopt},
        PlistCase{"TruncatedXml", kVersionDict.substr(0, kVersionDict.size() / 2), std::nullopt},
        PlistCase{"TruncatedBinary", toBinary(kVersionDict).substr(0, 40), std::nullopt},
        PlistCase{"EmptyFile", "", std::nullopt},
        // Parsing or releasing nesting this deep overflows the stack.
        PlistCase{"XmlArrays200000Deep", nestedXml(200'000, "<array>", "</array>"), std::nullopt},
        PlistCase{"XmlDictionaries150000Deep", nestedXml(150'000, "<dict><key>k</key>", "</dict>"),
                  std::nullopt},
        // Closing tags inside a comment close nothing: still 600 levels.
        PlistCase{"XmlNestingBehindCommentedCloses",
                  nestedXml(600, "<array><!--</array>-->", "</array>"), std::nullopt},
        PlistCase{"XmlNestedWithinBounds", nestedXml(400, "<array>", "</array>"), "2.0.0"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(BundleInfo, ReadsOtherKeysAndToleratesATrailingSlash) {
  TempDirectory dir;
  dir.write("Example.app/Contents/Info.plist", kVersionDict);
  EXPECT_EQ(bundleInfoString(dir.file("Example.app/"), "CFBundleExecutable"), "Example");
  EXPECT_EQ(bundleInfoString(dir.file("Example.app"), "NoSuchKey"), std::nullopt);
}

TEST(BundleInfo, MissingBundleOrInfoPlistGivesNothing) {
  TempDirectory dir;
  EXPECT_EQ(installedVersion(dir.file("Missing.app")), std::nullopt);
  dir.write("Example.app/Contents/MacOS/Example", "");
  EXPECT_EQ(installedVersion(dir.file("Example.app")), std::nullopt);
}

TEST(BundleInfo, HandWrittenBinaryPlistIsReadLikeAWrittenOne) {
  // Checks the assembler the hostile cases below rely on.
  BinaryPlist plist;
  const std::size_t key = plist.string("CFBundleShortVersionString");
  const std::size_t value = plist.string("3.1");
  const std::string bytes = plist.build(plist.dict({key}, {value}));
  EXPECT_TRUE(binaryPlistWithinBounds(bytes));
  EXPECT_EQ(plistDictionaryString(bytes, "CFBundleShortVersionString"), "3.1");
}

/// A dictionary whose version entry sits beside an array nested `depth` levels deep.
std::string deeplyNested(std::size_t depth) {
  BinaryPlist plist;
  std::size_t inner = plist.array({});
  for (std::size_t i = 1; i < depth; ++i) inner = plist.array({inner});
  const std::size_t versionKey = plist.string("CFBundleShortVersionString");
  const std::size_t deepKey = plist.string("Deep");
  const std::size_t value = plist.string("3.1");
  return plist.build(plist.dict({versionKey, deepKey}, {value, inner}));
}

TEST(BundleInfo, HostileBinaryObjectGraphsAreRefusedBeforeParsing) {
  // Nesting this deep overflows the parser's stack.
  EXPECT_EQ(plistDictionaryString(deeplyNested(200'000), "CFBundleShortVersionString"),
            std::nullopt);

  BinaryPlist cyclic;
  const std::size_t self = cyclic.array({0});
  cyclic.patchRef(self, 0, self);
  EXPECT_FALSE(binaryPlistWithinBounds(cyclic.build(self)));

  // 64 levels of [x, x] expand to 2^64 nodes: the parser would copy them until memory runs out.
  BinaryPlist doubling;
  std::size_t level = doubling.string("leaf");
  for (int i = 0; i < 64; ++i) level = doubling.array({level, level});
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(plistDictionaryString(doubling.build(level), "x"), std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST(BinaryPlistGuard, DepthAndExpandedSizeLimitsAreInclusive) {
  // The dictionary above a chain of `depth` arrays: depth + 1 objects deep.
  EXPECT_TRUE(binaryPlistWithinBounds(deeplyNested(10), 11));
  EXPECT_FALSE(binaryPlistWithinBounds(deeplyNested(10), 10));
  EXPECT_EQ(plistDictionaryString(deeplyNested(kMaxPlistDepth - 1), "CFBundleShortVersionString"),
            "3.1");
  EXPECT_EQ(plistDictionaryString(deeplyNested(kMaxPlistDepth), "CFBundleShortVersionString"),
            std::nullopt);

  BinaryPlist shared;  // [s, s, s]: four nodes once the shared string is counted at each use
  const std::size_t leaf = shared.string("s");
  const std::string bytes = shared.build(shared.array({leaf, leaf, leaf}));
  EXPECT_TRUE(binaryPlistWithinBounds(bytes, kMaxPlistDepth, 4));
  EXPECT_FALSE(binaryPlistWithinBounds(bytes, kMaxPlistDepth, 3));
}

TEST(BinaryPlistGuard, MalformedTablesAreRefused) {
  BinaryPlist plist;
  const std::string good = plist.build(plist.array({plist.string("a")}));
  ASSERT_TRUE(binaryPlistWithinBounds(good));

  const std::size_t trailer = good.size() - 32;
  const auto patched = [&](std::size_t at, char value) {
    std::string bytes = good;
    bytes[at] = value;
    return bytes;
  };
  EXPECT_FALSE(binaryPlistWithinBounds(good.substr(0, 39)));
  EXPECT_FALSE(binaryPlistWithinBounds(patched(trailer + 6, 0)));     // offset size 0
  EXPECT_FALSE(binaryPlistWithinBounds(patched(trailer + 7, 9)));     // reference size 9
  EXPECT_FALSE(binaryPlistWithinBounds(patched(trailer + 15, 100)));  // more objects than offsets
  EXPECT_FALSE(binaryPlistWithinBounds(patched(trailer + 23, 5)));    // top object missing
  EXPECT_FALSE(binaryPlistWithinBounds(patched(trailer + 31, 2)));    // table in the header
  EXPECT_FALSE(binaryPlistWithinBounds(patched(good.size() - 33, 0x7F)));  // offset out of range
  EXPECT_FALSE(binaryPlistWithinBounds(patched(8 + 2 + 4 + 3, 9)));        // reference to no object
  EXPECT_FALSE(binaryPlistWithinBounds(patched(8 + 2 + 4, 1)));            // count past the objects
}

}  // namespace
}  // namespace installwarden
