#include <QColor>
#include <QImage>
#include <QRect>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

/// Number of distinct colours, capped: a blank or failed render has one or two.
int distinctColours(const QImage& image, int cap) {
  std::vector<QRgb> seen;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      const QRgb pixel = image.pixel(x, y);
      if (std::find(seen.begin(), seen.end(), pixel) == seen.end()) {
        seen.push_back(pixel);
        if (static_cast<int>(seen.size()) >= cap) return cap;
      }
    }
  }
  return static_cast<int>(seen.size());
}

/// Runs the screenshot tool with `arguments` (already quoted) and returns its exit status.
int runScreenshot(const std::string& arguments) {
  const std::string command =
      std::string("'") + WINDOW_SCREENSHOT_PATH + "' " + arguments + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QImage screenshot(const std::string& name) {
  return QImage(QString::fromStdString(std::string(SCREENSHOT_DIRECTORY) + "/" + name));
}

/// Where the window has drawn: the bar (strongly blue pixels, its outline included) and the
/// ink of texts and button (everything else clearly off the background, away from the bar's
/// anti-aliased ends).
struct Drawn {
  QRect bar;
  QRect ink;
};

Drawn drawn(const QImage& image) {
  Drawn found;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      if (qBlue(pixel) > qRed(pixel) + 60) found.bar |= QRect(x, y, 1, 1);
    }
  }
  const QRect nearBar = found.bar.adjusted(-4, -4, 4, 4);
  const int background = qGray(image.pixel(0, 0));
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const bool ink = background - qGray(image.pixel(x, y)) > 60;
      if (ink && !nearBar.contains(x, y)) found.ink |= QRect(x, y, 1, 1);
    }
  }
  return found;
}

TEST(WindowScreenshotTest, WritesBothStatesAtTheWindowSize) {
  ASSERT_EQ(runScreenshot(std::string("'") + SCREENSHOT_DIRECTORY + "'"), 0);

  const QImage normal = screenshot("update-window-normal.png");
  const QImage failed = screenshot("update-window-failed.png");
  ASSERT_FALSE(normal.isNull());
  ASSERT_FALSE(failed.isNull());
  EXPECT_EQ(normal.size(), QSize(480, 250));
  EXPECT_EQ(failed.size(), QSize(480, 250));
  EXPECT_GT(distinctColours(normal, 8), 4);  // text was drawn
  EXPECT_NE(normal, failed);
}

TEST(WindowScreenshotTest, AtTwiceTheScaleEverythingIsTwiceAsLarge) {
  const std::string directory = std::string("'") + SCREENSHOT_DIRECTORY + "'";
  ASSERT_EQ(runScreenshot(directory), 0);
  ASSERT_EQ(runScreenshot("--scale 2 " + directory), 0);

  for (const std::string state : {"normal", "failed"}) {
    SCOPED_TRACE(state);
    const QImage single = screenshot("update-window-" + state + ".png");
    const QImage twice = screenshot("update-window-" + state + "@2x.png");
    ASSERT_FALSE(single.isNull());
    ASSERT_FALSE(twice.isNull());
    EXPECT_EQ(twice.size(), single.size() * 2);

    // Fonts, margins and the bar scale together: every edge lands twice as far, give or take
    // the rounding of glyphs and of the bar's anti-aliased ends.
    const Drawn atOne = drawn(single);
    const Drawn atTwo = drawn(twice);
    EXPECT_EQ(atOne.bar.isEmpty(), state == "failed");
    const auto expectDoubled = [](const QRect& one, const QRect& two, const char* what) {
      SCOPED_TRACE(what);
      constexpr int kSlack = 4;
      EXPECT_NEAR(two.left(), 2 * one.left(), kSlack);
      EXPECT_NEAR(two.top(), 2 * one.top(), kSlack);
      EXPECT_NEAR(two.right() + 1, 2 * (one.right() + 1), kSlack);
      EXPECT_NEAR(two.bottom() + 1, 2 * (one.bottom() + 1), kSlack);
    };
    expectDoubled(atOne.bar, atTwo.bar, "bar");
    expectDoubled(atOne.ink, atTwo.ink, "texts");
  }
}

TEST(WindowScreenshotTest, RefusesABadCommandLine) {
  for (const std::string arguments : {"", "--scale 2", "--scale 0.5 /tmp", "--scale 2x /tmp",
                                      "--scale 9 /tmp", "--zoom 2 /tmp", "a b"}) {
    EXPECT_EQ(runScreenshot(arguments), 2) << arguments;
  }
}

}  // namespace
