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
#include "assistant/testing/binary_plist.h"
#include "testing/temp_directory.h"

namespace installwarden {
namespace {

using test_support::TempDirectory;
using testing::BinaryPlist;
using testing::deeplyNested;

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

}  // namespace
}  // namespace installwarden
