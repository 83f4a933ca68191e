#include "assistant/status_file_writer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace installwarden {
namespace {

struct SaveCall {
  std::string path;
  std::string bytes;
  bool sync;
};

TEST(StatusFileWriter, FlushesOnlyWhenTheBytesChangeSinceTheLastSuccessfulWrite) {
  std::vector<SaveCall> calls;
  std::optional<std::string> nextFailure;
  StatusFileWriter writer("/root/dir",
                          [&](const std::string& path, const std::string& bytes,
                              bool flushToDisk) -> common::Result<void> {
                            calls.push_back({path, bytes, flushToDisk});
                            if (const auto failure = std::exchange(nextFailure, std::nullopt)) {
                              return common::Failure{*failure};
                            }
                            return common::done();
                          });

  struct Step {
    std::string bytes;
    std::optional<std::string> failure;
    bool expectedSync;
  };
  const std::vector<Step> steps = {
      {"A", std::nullopt, true},   // first write
      {"A", std::nullopt, false},  // same bytes: rewritten, not flushed
      {"A", std::nullopt, false},
      {"B", std::nullopt, true},               // changed
      {"C", "No space left on device", true},  // failed
      {"B", std::nullopt, true},               // after a failure the next write flushes
      {"B", std::nullopt, false},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    nextFailure = steps[i].failure;
    const auto written = writer.write(steps[i].bytes);
    EXPECT_EQ(written.ok(), !steps[i].failure) << "step " << i;
    EXPECT_EQ(written.reason(), steps[i].failure.value_or("")) << "step " << i;
    ASSERT_EQ(calls.size(), i + 1);
    EXPECT_EQ(calls[i].bytes, steps[i].bytes);
    EXPECT_EQ(calls[i].sync, steps[i].expectedSync) << "step " << i;
    EXPECT_EQ(calls[i].path, "/root/dir/status.json");
  }
}

}  // namespace
}  // namespace installwarden
