// Test entry for suites that need a QApplication: always the headless platform, so results do
// not depend on the machine's display.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  char platformFlag[] = "-platform";
  char platformName[] = "offscreen";
  char* qtArgv[] = {argv[0], platformFlag, platformName, nullptr};
  int qtArgc = 3;
  QApplication app(qtArgc, qtArgv);
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
