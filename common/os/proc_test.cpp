#include "os/proc.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>

namespace os {
namespace {

// Fields 5 to 21 of a real line, between the parent and the start time.
const std::string kMiddle = " 4000 4000 0 -1 4194560 100 0 0 0 1 2 0 0 20 0 1 0";
const std::string kTail = " 9000 12345 ...\n";

std::string line(const std::string& name, const std::string& state, const std::string& parent,
                 const std::string& start) {
  return "4242 (" + name + ") " + state + " " + parent + kMiddle + " " + start + kTail;
}

TEST(ParseProcStat, ReadsStateParentAndStartTimeAfterTheLastParenthesis) {
  struct Case {
    const char* name;
    std::string text;
    std::optional<ProcStat> expected;
  };
  const Case cases[] = {
      {"plain", line("sleep", "S", "1", "777"), ProcStat{'S', 1, 777}},
      {"name with ') Z 1 2 ('", line("x) Z 1 2 (y", "R", "17", "8"), ProcStat{'R', 17, 8}},
      {"name with spaces and newline", line("a b\nc", "Z", "3", "9"), ProcStat{'Z', 3, 9}},
      {"no parenthesis", "4242 sleep S 1" + kMiddle + " 777" + kTail, std::nullopt},
      {"cut before the start time", "4242 (sleep) S 1" + kMiddle, std::nullopt},
      {"start time not a number", line("sleep", "S", "1", "7x7"), std::nullopt},
      {"parent not a number", line("sleep", "S", "one", "777"), std::nullopt},
      {"state of two letters", line("sleep", "SS", "1", "777"), std::nullopt},
      {"empty", "", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto parsed = parseProcStat(c.text);
    ASSERT_EQ(parsed.has_value(), c.expected.has_value()) << c.name;
    if (!parsed) continue;
    EXPECT_EQ(parsed->state, c.expected->state) << c.name;
    EXPECT_EQ(parsed->parentPid, c.expected->parentPid) << c.name;
    EXPECT_EQ(parsed->startTicks, c.expected->startTicks) << c.name;
  }
}

TEST(ParseProcStat, EndedStatesAreZombieAndDead) {
  for (const char state : std::string("RSDTtWIPKx")) EXPECT_FALSE(hasEnded({state, 1, 1})) << state;
  EXPECT_TRUE(hasEnded({'Z', 1, 1}));
  EXPECT_TRUE(hasEnded({'X', 1, 1}));
}

TEST(ParseBootTime, FindsTheBtimeLine) {
  EXPECT_EQ(parseBootTime("cpu  1 2 3\nintr 5\nbtime 1700000000\nprocesses 9\n"), 1700000000u);
  EXPECT_EQ(parseBootTime("cpu 1\nbtime 42"), 42u);
  EXPECT_EQ(parseBootTime("cpu 1\nxbtime 42\n"), std::nullopt);
  EXPECT_EQ(parseBootTime("cpu 1\nbtime soon\n"), std::nullopt);
  EXPECT_EQ(parseBootTime(""), std::nullopt);
}

TEST(ReadProcStat, SeesThisProcessAndItsChildren) {
  const auto self = readProcStat(::getpid());
  ASSERT_TRUE(self.has_value());
  EXPECT_EQ(self->parentPid, ::getppid());
  EXPECT_TRUE(isRunning(::getpid()));
  EXPECT_FALSE(isRunning(0));
  EXPECT_FALSE(isRunning(-1));
  EXPECT_TRUE(bootTimeSeconds().has_value());

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(0);
  // Ended but not reaped: still listed as a child, no longer running.
  siginfo_t info{};
  ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
  const auto children = childrenOf(::getpid());
  EXPECT_NE(std::find(children.begin(), children.end(), child), children.end());
  EXPECT_FALSE(isRunning(child));
  ::waitpid(child, nullptr, 0);
  EXPECT_FALSE(readProcStat(child).has_value());
}

}  // namespace
}  // namespace os
