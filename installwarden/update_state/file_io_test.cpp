#include "update_state/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "update_state/testing/temp_directory.h"

namespace installwarden {
namespace {

mode_t permissions(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

/// Names in the directory, to see that no temporary file is left behind.
std::vector<std::string> entries(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class Save : public ::testing::Test {
 protected:
  testing::TempDirectory root;
};

TEST_F(Save, CreatesTheFileWithMode0600) {
  EXPECT_EQ(save("{\"a\":1}", root.path(), "status.json"), std::nullopt);
  EXPECT_EQ(root.read("status.json"), "{\"a\":1}");
  EXPECT_EQ(permissions(root.file("status.json")), 0600u);
  EXPECT_EQ(entries(root.path()), std::vector<std::string>{"status.json"});
}

TEST_F(Save, ReplacesAnExistingFileAndNarrowsItsPermissions) {
  root.write("status.json", "old content that is longer than the new one");
  ASSERT_EQ(::chmod(root.file("status.json").c_str(), 0644), 0);
  EXPECT_EQ(save("new", root.path(), "status.json", /*sync=*/false), std::nullopt);
  EXPECT_EQ(root.read("status.json"), "new");
  EXPECT_EQ(permissions(root.file("status.json")), 0600u);
}

TEST_F(Save, ReplacesASymlinkInsteadOfWritingThroughIt) {
  root.write("victim", "keep");
  std::filesystem::create_symlink(root.file("victim"), root.file("status.json"));
  EXPECT_EQ(save("new", root.path(), "status.json"), std::nullopt);
  EXPECT_EQ(root.read("victim"), "keep");
  EXPECT_FALSE(std::filesystem::is_symlink(root.file("status.json")));
  EXPECT_EQ(root.read("status.json"), "new");
}

TEST_F(Save, ReportsAFailureAndLeavesNoTemporaryFile) {
  std::filesystem::create_directory(root.file("status.json"));  // rename cannot replace it
  const auto error = save("new", root.path(), "status.json");
  ASSERT_TRUE(error.has_value());
  EXPECT_FALSE(error->empty());
  EXPECT_EQ(entries(root.path()), std::vector<std::string>{"status.json"});
}

TEST_F(Save, ReportsAMissingDirectory) {
  EXPECT_TRUE(save("new", root.file("gone"), "status.json").has_value());
}

TEST(ReadWholeFile, ReadsFilesThatReportNoSize) {
  // /proc files stat as empty; the content comes only from reading to the end.
  const auto stat = readWholeFile("/proc/self/stat");
  ASSERT_TRUE(stat.has_value());
  EXPECT_FALSE(stat->empty());
}

TEST(ReadWholeFile, RefusesWhatIsNotARegularFileOrTooLarge) {
  testing::TempDirectory root;
  ASSERT_EQ(::mkfifo(root.file("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(readWholeFile(root.file("fifo")).has_value());
  EXPECT_FALSE(readWholeFile("/dev/zero").has_value());
  EXPECT_FALSE(readWholeFile(root.path()).has_value());
  EXPECT_FALSE(readWholeFile(root.file("missing")).has_value());

  root.write("ten", "0123456789");
  EXPECT_EQ(readWholeFile(root.file("ten"), 10), "0123456789");
  EXPECT_FALSE(readWholeFile(root.file("ten"), 9).has_value());
  root.write("empty", "");
  EXPECT_EQ(readWholeFile(root.file("empty")), "");
}

TEST(JoinPath, AddsOneSlash) {
  EXPECT_EQ(joinPath("/r", "a"), "/r/a");
  EXPECT_EQ(joinPath("/r/", "a"), "/r/a");
  EXPECT_EQ(joinPath("", "a"), "a");
}

}  // namespace
}  // namespace installwarden
