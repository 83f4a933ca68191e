#include "info_plist.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <filesystem>
#include <string>

#include "standin_files.h"
#include "testing/temp_directory.h"

namespace installwarden::standins {
namespace {

TEST(InfoPlistTest, NewVersionKeepsTheOtherEntriesAndLeavesNoTemporaryFile) {
  test_support::TempDirectory folder;
  const std::string bundle = folder.file("Quorvelin Pro.app");
  ASSERT_TRUE(makeDirectories(bundle + "/Contents"));
  ASSERT_TRUE(writeInfoPlist(bundle, {"1.0.0", "Quorvelin Pro"}));
  ASSERT_TRUE(writeBundleVersion(bundle, "2.0.0 <beta> & more"));

  const auto info = readBundleInfo(bundle);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->shortVersion, "2.0.0 <beta> & more");
  EXPECT_EQ(info->executable, "Quorvelin Pro");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(bundle + "/Contents"), {}), 1);
}

TEST(InfoPlistTest, NewVersionReplacesABinaryOrUnreadablePlist) {
  test_support::TempDirectory folder;
  const std::string bundle = folder.file("Binary.app");
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

}  // namespace
}  // namespace installwarden::standins
