#include "assistant/binary_plist_guard.h"

#include <gtest/gtest.h>

#include <string>

#include "assistant/bundle_info.h"
#include "assistant/testing/binary_plist.h"

namespace installwarden {
namespace {

using testing::BinaryPlist;
using testing::deeplyNested;

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
