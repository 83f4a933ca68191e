#include "assistant/status_file_writer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace installwarden {
namespace {

struct SaveCall {
  std::string bytes;
  std::string directory;
  std::string name;
  bool sync;
};

TEST(StatusFileWriter, FlushesOnlyWhenTheBytesChangeSinceTheLastSuccessfulWrite) {
  std::vector<SaveCall> calls;
  std::optional<std::string> nextFailure;
  StatusFileWriter writer("/root/dir", [&](const std::string& bytes, const std::string& directory,
                                           const std::string& name, bool sync) {
    calls.push_back({bytes, directory, name, sync});
    return std::exchange(nextFailure, std::nullopt);
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
      {"B", std::nullopt, true},               // after a failure the file's state is unknown
      {"B", std::nullopt, false},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    nextFailure = steps[i].failure;
    EXPECT_EQ(writer.write(steps[i].bytes), steps[i].failure) << "step " << i;
    ASSERT_EQ(calls.size(), i + 1);
    EXPECT_EQ(calls[i].bytes, steps[i].bytes);
    EXPECT_EQ(calls[i].sync, steps[i].expectedSync) << "step " << i;
    EXPECT_EQ(calls[i].directory, "/root/dir");
    EXPECT_EQ(calls[i].name, "status.json");
  }
}

}  // namespace
}  // namespace installwarden
