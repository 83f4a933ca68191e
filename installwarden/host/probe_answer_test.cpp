#include "host/probe_answer.h"

#include <gtest/gtest.h>

#include "update_state/probe.h"

namespace installwarden::host {
namespace {

TEST(ParseProbeAnswer, ReadsBackWhatTheProbePrints) {
  for (int bits = 0; bits < 16; ++bits) {
    const installwarden::ProbeAnswer printed{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0,
                                             (bits & 8) != 0};
    const auto read = parseProbeAnswer(installwarden::encodeProbeAnswer(printed) + "\n");
    ASSERT_TRUE(read.has_value()) << bits;
    EXPECT_EQ(read->active, printed.active);
    EXPECT_EQ(read->block, printed.block);
    EXPECT_EQ(read->resume, printed.resume);
    EXPECT_EQ(read->occupied, printed.occupied);
  }
}

TEST(ParseProbeAnswer, RefusesAnythingButFourBooleans) {
  const char* refused[] = {
      "",
      "usage: installwarden ...",
      "{\"active\":false,\"block\":false,\"resume\":false}",
      "{\"active\":\"false\",\"block\":false,\"resume\":false,\"occupied\":false}",
      "{\"active\":0,\"block\":false,\"resume\":false,\"occupied\":false}",
      "{\"active\":null,\"block\":false,\"resume\":false,\"occupied\":false}",
      "[false,false,false,false]",
      "{\"active\":false,\"block\":false,\"resume\":false,\"occupied\":false",
  };
  for (const char* output : refused) EXPECT_FALSE(parseProbeAnswer(output)) << output;
  EXPECT_TRUE(parseProbeAnswer(
      "{\"occupied\":true,\"resume\":false,\"block\":false,\"active\":true,\"later\":1}"))
      << "key order and added keys do not matter";
}

}  // namespace
}  // namespace installwarden::host
