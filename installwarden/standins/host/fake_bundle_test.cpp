#include "fake_bundle.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "standin_files.h"
#include "testing/temp_directory.h"

namespace installwarden::standins {
namespace {

TEST(FakeBundleTest, BundleExecutableIsARealExecutableCopy) {
  test_support::TempDirectory folder;
  const std::string bundle = folder.file("Apps/Quorvelin Pro.app");
  ASSERT_TRUE(replaceFile(folder.file("binary"), "#!/bin/sh\n"));
  const AppSettings settings{folder.file("root"), "some-id", false, folder.file("runs.log")};
  const auto made =
      makeFakeBundle(bundle, {"1.0.0", "Quorvelin Pro"}, folder.file("binary"), settings);
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
