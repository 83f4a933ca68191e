#include <QColor>
#include <QImage>

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

TEST(WindowScreenshotTest, WritesBothStatesAtTheWindowSize) {
  const std::string directory = SCREENSHOT_DIRECTORY;
  const std::string command =
      std::string("'") + WINDOW_SCREENSHOT_PATH + "' '" + directory + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);

  const QImage normal(QString::fromStdString(directory + "/update-window-normal.png"));
  const QImage failed(QString::fromStdString(directory + "/update-window-failed.png"));
  ASSERT_FALSE(normal.isNull());
  ASSERT_FALSE(failed.isNull());
  EXPECT_EQ(normal.size(), QSize(480, 250));
  EXPECT_EQ(failed.size(), QSize(480, 250));
  EXPECT_GT(distinctColours(normal, 8), 4);  // text was drawn
  EXPECT_NE(normal, failed);
}

TEST(WindowScreenshotTest, RefusesAMissingArgument) {
  const std::string command = std::string("'") + WINDOW_SCREENSHOT_PATH + "' 2>/dev/null";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
