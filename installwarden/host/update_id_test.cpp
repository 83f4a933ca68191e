#include <gtest/gtest.h>

#include <set>

#include "host/update_id.h"
#include "installwarden/host/update_request.h"
#include "update_state/update_request.h"

namespace installwarden::host {
namespace {

TEST(FormatUpdateId, SetsTheVersionAndVariantBitsOverTheRandomBytes) {
  struct Case {
    std::array<std::uint8_t, 16> bytes;
    const char* expected;
  };
  const Case cases[] = {
      {{}, "00000000-0000-4000-8000-000000000000"},
      {{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
        0xff},
       "ffffffff-ffff-4fff-bfff-ffffffffffff"},
      {{0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef, 0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd,
        0xef},
       "01234567-89ab-4def-8123-456789abcdef"},
  };
  for (const Case& c : cases) {
    const std::string id = formatUpdateId(c.bytes);
    EXPECT_EQ(id, c.expected);
    EXPECT_TRUE(installwarden::isUuid(id)) << id;
  }
}

TEST(NewUpdateId, IsAFreshUuidEachTime) {
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) {
    const auto id = newUpdateId();
    ASSERT_TRUE(id.ok()) << id.reason();
    EXPECT_TRUE(installwarden::isUuid(*id)) << *id;
    EXPECT_EQ((*id)[14], '4') << *id;
    seen.insert(*id);
  }
  EXPECT_EQ(seen.size(), 100u);
}

}  // namespace
}  // namespace installwarden::host
