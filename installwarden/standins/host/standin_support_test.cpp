#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "fake_bundle.h"
#include "info_plist.h"
#include "installer_runs.h"
#include "standin_files.h"

namespace installwarden::standins {
namespace {

class StandinSupportTest : public ::testing::Test {
 protected:
  StandinSupportTest() {
    std::string pattern = (std::filesystem::temp_directory_path() / "iw-standin-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
  }
  ~StandinSupportTest() override { std::filesystem::remove_all(folder_); }
  std::string path(const std::string& name) const { return folder_ + "/" + name; }

  std::string folder_;
};

TEST_F(StandinSupportTest, ScenarioRunsFollowTheLinesThenRepeatTheLast) {
  ASSERT_TRUE(replaceFile(path("runs"), "still-running 1.5\n\ninstall\n"));
  const auto first = nextRun(path("runs"));
  const auto second = nextRun(path("runs"));
  const auto third = nextRun(path("runs"));
  ASSERT_TRUE(first && second && third);
  EXPECT_EQ(first->action, InstallerAction::kStillRunning);
  EXPECT_DOUBLE_EQ(first->holdSeconds, 1.5);
  EXPECT_EQ(second->action, InstallerAction::kInstall);
  EXPECT_EQ(third->action, InstallerAction::kInstall);
}

TEST_F(StandinSupportTest, ScenarioWithABadLineIsUnusable) {
  for (const char* line : {"install soon", "reinstall", "abort -1", "abort 2 3", "install nan"}) {
    EXPECT_FALSE(parseRun(line)) << line;
  }
  ASSERT_TRUE(replaceFile(path("runs"), "install\nexplode\n"));
  EXPECT_FALSE(nextRun(path("runs")));
  EXPECT_FALSE(nextRun(path("missing")));
}

TEST_F(StandinSupportTest, NewVersionKeepsTheOtherEntriesAndLeavesNoTemporaryFile) {
  const std::string bundle = path("Quorvelin Pro.app");
  ASSERT_TRUE(makeDirectories(bundle + "/Contents"));
  ASSERT_TRUE(writeInfoPlist(bundle, {"1.0.0", "Quorvelin Pro"}));
  ASSERT_TRUE(writeBundleVersion(bundle, "2.0.0 <beta> & more"));

  const auto info = readBundleInfo(bundle);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->shortVersion, "2.0.0 <beta> & more");
  EXPECT_EQ(info->executable, "Quorvelin Pro");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(bundle + "/Contents"), {}), 1);
}

TEST_F(StandinSupportTest, NewVersionReplacesABinaryOrUnreadablePlist) {
  const std::string bundle = path("Binary.app");
  ASSERT_TRUE(makeDirectories(bundle + "/Contents"));
  plist_t dictionary = plist_new_dict();
  plist_dict_set_item(dictionary, "CFBundleExecutable", plist_new_string("Binary"));
  char* bytes = nullptr;
  uint32_t length = 0;
  plist_to_bin(dictionary, &bytes, &length);
  ASSERT_TRUE(replaceFile(infoPlistPath(bundle), std::string(bytes, length)));
  plist_to_bin_free(bytes);
  plist_free(dictionary);

  ASSERT_TRUE(writeBundleVersion(bundle, "3.1"));
  const auto info = readBundleInfo(bundle);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->shortVersion, "3.1");
  EXPECT_EQ(info->executable, "Binary");

  ASSERT_TRUE(replaceFile(infoPlistPath(bundle), "not a property list"));
  ASSERT_TRUE(writeBundleVersion(bundle, "3.2"));
  EXPECT_FALSE(readBundleInfo(bundle)) << "no executable entry is left to read";
}

TEST_F(StandinSupportTest, BundleExecutableIsARealExecutableCopy) {
  const std::string bundle = path("Apps/Quorvelin Pro.app");
  ASSERT_TRUE(replaceFile(path("binary"), "#!/bin/sh\n"));
  const AppSettings settings{path("root"), "some-id", false, path("runs.log")};
  const auto made = makeFakeBundle(bundle, {"1.0.0", "Quorvelin Pro"}, path("binary"), settings);
  ASSERT_TRUE(made.ok()) << made.reason();

  const std::string executable = bundleExecutablePath(bundle, "Quorvelin Pro");
  struct stat info {};
  ASSERT_EQ(::lstat(executable.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(::access(executable.c_str(), X_OK), 0);
  const auto read = readAppSettings(bundle);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->root, settings.root);
  EXPECT_FALSE(read->ok);
  EXPECT_EQ(bundleOfExecutable(executable), bundle);
}

TEST(BundleOfExecutableTest, OnlyContentsMacOSInsideADotApp) {
  const struct {
    const char* executable;
    const char* bundle;  // nullptr: not inside a bundle
  } cases[] = {
      {"/a/Quorvelin Pro.app/Contents/MacOS/Quorvelin Pro", "/a/Quorvelin Pro.app"},
      {"/a/Quorvelin Pro.app/Contents/Resources/tool", nullptr},
      {"/a/Quorvelin Pro/Contents/MacOS/x", nullptr},
      {"/usr/bin/fake-host", nullptr},
      {"fake-host", nullptr},
  };
  for (const auto& row : cases) {
    const auto bundle = bundleOfExecutable(row.executable);
    if (row.bundle == nullptr) {
      EXPECT_FALSE(bundle) << row.executable;
    } else {
      EXPECT_EQ(bundle, row.bundle) << row.executable;
    }
  }
}

}  // namespace
}  // namespace installwarden::standins
