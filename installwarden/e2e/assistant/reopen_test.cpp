// Reopening the application from the failed window, pressed the way a person does it: the
// assistant shows its window on a private X server and gets a real Return key press.
#include <gtest/gtest.h>
#include <signal.h>

#include <sstream>

#include "assistant_scene.h"
#include "standin_files.h"
#include "x_display.h"

namespace installwarden::e2e {
namespace {

int applicationStarts(const AssistantScene& scene) {
  std::istringstream runs(standins::readFile(scene.layout().appRunsLog).value_or(""));
  int count = 0;
  for (std::string line; std::getline(runs, line);) ++count;
  return count;
}

TEST(ReopenTest, ReturnInTheFailedWindowReopensOnceTheInstallerHasEnded) {
  AssistantScene scene({.installerRuns = "install 60\n"});
  XDisplay display(scene.processes());
  if (display.name().empty()) GTEST_SKIP() << "no X server could be started";
  scene.showOn(display.name());

  scene.startOwner();
  const pid_t job = scene.startFirstInstallerRun();
  scene.startAssistant();
  ASSERT_TRUE(scene.awaitPhase("preparing")) << scene.diagnostics();
  scene.quitOwner();
  ASSERT_TRUE(scene.awaitPhase("installing")) << scene.diagnostics();

  // A failed start reported while the installer still works.
  scene.reportLaunch(false);
  const auto failed = scene.awaitPhase("failed");
  ASSERT_TRUE(failed) << scene.diagnostics();
  ASSERT_TRUE(failed->visible);

  // While the installer's process lives, the button opens nothing.
  ASSERT_TRUE(display.pressReturnInWindow(480, 250, 5s)) << "no 480 x 250 window on screen";
  EXPECT_TRUE(scene.holdsForTicks(3, [&](const UpdateStatus& status) {
    return status.phase == "failed" && applicationStarts(scene) == 0;
  })) << scene.diagnostics();

  ::kill(job, SIGKILL);
  ASSERT_TRUE(scene.processes().waitForEnd(job, 5s));
  ASSERT_TRUE(display.pressReturnInWindow(480, 250, 5s));
  ASSERT_TRUE(scene.awaitPhase("cancelled")) << scene.diagnostics();
  EXPECT_TRUE(exitedWith(scene.awaitAssistantEnd(), 0)) << scene.diagnostics();
  EXPECT_TRUE(eventually([&] { return applicationStarts(scene) == 1; }, 5s))
      << "the application was not started from " << scene.layout().appPath;
}

}  // namespace
}  // namespace installwarden::e2e
