#include "update_state/process_table.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "update_state/testing/fakes.h"

namespace installwarden {
namespace {

std::uint64_t nowMicroseconds() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                        std::chrono::system_clock::now().time_since_epoch())
                                        .count());
}

/// A forked child that waits until killed; optionally renamed first.
class Child {
 public:
  explicit Child(const char* name = nullptr) {
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      if (name != nullptr) ::prctl(PR_SET_NAME, name);
      for (;;) ::pause();
    }
    // Let a rename land before anyone looks.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (!reaped_) {
      ::kill(pid_, SIGKILL);
      reap();
    }
  }
  pid_t pid() const { return pid_; }
  /// Killed, but left unreaped: a zombie.
  void killWithoutReaping() {
    ::kill(pid_, SIGKILL);
    siginfo_t info{};
    ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT);
  }
  void reap() {
    ::waitpid(pid_, nullptr, 0);
    reaped_ = true;
  }

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
};

TEST(ProcessBirth, NoBirthForPidsBelowOne) {
  EXPECT_EQ(processBirth(0), std::nullopt);
  EXPECT_EQ(processBirth(-1), std::nullopt);
  SystemProcessTable table;
  EXPECT_FALSE(table.exists(0));
}

TEST(ProcessBirth, OwnBirthIsStableAndRecent) {
  const auto first = processBirth(::getpid());
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(processBirth(::getpid()), first);
  // The boot time has whole seconds only, hence the second of slack.
  EXPECT_LE(*first, nowMicroseconds() + 1'000'000);
  EXPECT_GE(*first, nowMicroseconds() - 3'600'000'000ull);
}

TEST(ProcessBirth, LaterProcessesHaveLaterBirths) {
  Child first;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Child second;
  const auto firstBirth = processBirth(first.pid());
  const auto secondBirth = processBirth(second.pid());
  ASSERT_TRUE(firstBirth && secondBirth);
  EXPECT_GE(*firstBirth, *processBirth(::getpid()));
  EXPECT_GT(*secondBirth, *firstBirth);
}

TEST(ProcessBirth, CommandNameWithParenthesesAndSpaces) {
  Child child("x) Z 1 2 (y");
  const auto birth = processBirth(child.pid());
  ASSERT_TRUE(birth.has_value());
  EXPECT_GE(*birth, *processBirth(::getpid()));
}

TEST(ProcessBirth, EndedProcessesHaveNone) {
  Child zombie;
  ASSERT_TRUE(processBirth(zombie.pid()).has_value());
  zombie.killWithoutReaping();
  SystemProcessTable table;
  EXPECT_EQ(processBirth(zombie.pid()), std::nullopt) << "a zombie has ended";
  EXPECT_FALSE(table.exists(zombie.pid()));
  zombie.reap();
  EXPECT_EQ(processBirth(zombie.pid()), std::nullopt);
  EXPECT_FALSE(table.exists(zombie.pid()));
}

TEST(IsSameProcess, NeedsTheRecordedBirth) {
  testing::FakeProcessTable table;
  table.add(300, 1000);
  EXPECT_TRUE(isSameProcess(table, 300, 1000));
  EXPECT_FALSE(isSameProcess(table, 300, 999)) << "pid reused by a later process";
  EXPECT_FALSE(isSameProcess(table, 300, 0)) << "no birth was recorded";
  EXPECT_FALSE(isSameProcess(table, 301, 1000)) << "no such process";
}

TEST(IsSameProcess, PidsBelowOneNeverAskTheTable) {
  testing::FakeProcessTable table;
  table.add(0, 1000);
  table.add(-1, 1000);
  EXPECT_FALSE(isSameProcess(table, 0, 1000));
  EXPECT_FALSE(isSameProcess(table, -1, 1000));
  EXPECT_TRUE(table.asked.empty());
}

}  // namespace
}  // namespace installwarden
