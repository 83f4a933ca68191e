#include "shell/bundle_path.h"

#include <gtest/gtest.h>

namespace installwarden {
namespace {

TEST(BundlePathTest, InnermostAppAncestorOfTheNormalisedExecutable) {
  struct Case {
    std::string executable;
    std::optional<std::string> bundle;
  };
  const Case cases[] = {
      {"/Applications/Quorvelin Pro.app/Contents/MacOS/Quorvelin Pro",
       "/Applications/Quorvelin Pro.app"},
      {"/opt/Q.app/Contents/Frameworks/Helper.app/Contents/MacOS/Helper",
       "/opt/Q.app/Contents/Frameworks/Helper.app"},
      {"/opt/Q.app/Contents/Frameworks/Squirrel.framework/Resources/ShipIt", "/opt/Q.app"},
      {"/opt/./Q.app/./Contents/MacOS/../MacOS/Q", "/opt/Q.app"},
      {"//opt///Q.app//Contents/MacOS/Q", "/opt/Q.app"},
      {"/opt/X.app/../Q.app/Contents/MacOS/Q", "/opt/Q.app"},
      {"/../../Q.app/Contents/MacOS/Q", "/Q.app"},
      // The kernel marks a replaced executable; the bundle is still where it ran from.
      {"/opt/Q.app/Contents/MacOS/Q (deleted)", "/opt/Q.app"},
      {"/Q.app/Q", "/Q.app"},
      // No bundle: the executable's own name, a dotted-away bundle, near-miss names.
      {"/usr/bin/tool.app", std::nullopt},
      {"/opt/Q.app/../bin/tool", std::nullopt},
      {"/opt/Q.apps/Contents/MacOS/Q", std::nullopt},
      {"/opt/Q.APP/Contents/MacOS/Q", std::nullopt},
      {"/opt/Q.app.bak/Contents/MacOS/Q", std::nullopt},
      {"/usr/bin/bash", std::nullopt},
      {"", std::nullopt},
      {"/", std::nullopt},
      // Relative paths stay relative; a leading ".." is kept, never taken as a bundle.
      {"Q.app/Contents/MacOS/Q", "Q.app"},
      {"../Q.app/x", "../Q.app"},
      {"X.app/../../y", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(bundlePathOfExecutable(c.executable), c.bundle) << '"' << c.executable << '"';
  }
}

}  // namespace
}  // namespace installwarden
