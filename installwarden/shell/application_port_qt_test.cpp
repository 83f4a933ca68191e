#include "shell/application_port_qt.h"

#include <QApplication>
#include <QTimer>

#include <csignal>
#include <vector>

#include <gtest/gtest.h>

#include "shell/stop_signals_linux.h"

namespace installwarden {
namespace {

/// Runs the event loop with `requests` issued in turn, 20 ms apart, while the rule answers
/// from `allowed`; each request sees the state its predecessors left. Returns, per request,
/// whether the loop was still running just before it was made.
class TerminationRun {
 public:
  explicit TerminationRun(std::vector<std::function<void()>> requests)
      : requests_(std::move(requests)) {}

  std::vector<bool> run(QtApplicationPort& port) {
    std::vector<bool> runningBefore;
    QTimer step;
    step.setInterval(20);
    std::size_t next = 0;
    QObject::connect(&step, &QTimer::timeout, [&] {
      if (next == requests_.size()) {
        // Nothing ended the loop: stop the test instead of hanging.
        step.stop();
        QCoreApplication::exit(7);
        return;
      }
      runningBefore.push_back(!port.ended());
      requests_[next++]();
    });
    step.start();
    exitCode = QApplication::exec();
    return runningBefore;
  }

  int exitCode = -1;

 private:
  std::vector<std::function<void()>> requests_;
};

TEST(ApplicationPortTest, ToolkitQuitIsRefusedUntilTheRuleAllowsIt) {
  QtApplicationPort port;
  bool allowed = false;
  int asked = 0;
  port.setTerminationRule([&] {
    ++asked;
    return allowed;
  });
  TerminationRun run({[] { QCoreApplication::quit(); },  // refused
                      [] { QCoreApplication::quit(); },  // refused
                      [&] {
                        allowed = true;
                        QCoreApplication::quit();
                      }});
  EXPECT_EQ(run.run(port), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(port.ended());
  EXPECT_EQ(asked, 3);
}

TEST(ApplicationPortTest, WithoutARuleEveryRequestIsRefused) {
  QtApplicationPort port;
  TerminationRun run({[&] { port.terminate(); }, [] { QCoreApplication::quit(); }});
  run.run(port);
  EXPECT_EQ(run.exitCode, 7);  // ended by the test's own stop
  EXPECT_FALSE(port.ended());
}

TEST(ApplicationPortTest, StopSignalsGoThroughTheRule) {
  QtApplicationPort port;
  bool allowed = false;
  std::vector<int> received;
  StopSignalRelay relay([&](int signal) {
    received.push_back(signal);
    port.terminate();
  });
  ASSERT_TRUE(relay.installed());
  port.setTerminationRule([&] { return allowed; });
  // Without the relay, each of these would end the test process.
  TerminationRun run({[] { std::raise(SIGTERM); }, [] { std::raise(SIGINT); },
                      [] { std::raise(SIGHUP); },
                      [&] {
                        allowed = true;
                        std::raise(SIGTERM);
                      }});
  EXPECT_EQ(run.run(port), (std::vector<bool>{true, true, true, true}));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP, SIGTERM}));
}

TEST(ApplicationPortTest, RelayRestoresThePreviousHandlers) {
  struct sigaction before = {};
  sigaction(SIGHUP, nullptr, &before);
  {
    StopSignalRelay relay([](int) {});
  }
  struct sigaction after = {};
  sigaction(SIGHUP, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
}  // namespace installwarden
