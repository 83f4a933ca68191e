#include "os/subprocess.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "os/proc.h"
#include "testing/temp_directory.h"

namespace os {
namespace {

using std::chrono::milliseconds;
using namespace std::chrono_literals;

Command shell(const std::string& script) {
  Command command;
  command.argv = {"/bin/sh", "-c", script};
  command.output = Stream::kCapture;
  command.errors = Stream::kCapture;
  return command;
}

Ended runOrFail(const Command& command, milliseconds timeout = 10s) {
  auto ran = run(command, timeout);
  EXPECT_TRUE(ran.ok()) << ran.reason();
  return ran.ok() ? std::move(ran).value() : Ended{};
}

/// "Name:\tvalue" from /proc/self/status as the child saw it.
std::string statusField(const std::string& status, const std::string& name) {
  const auto at = status.find("\n" + name + ":\t");
  if (at == std::string::npos) return "";
  const auto start = at + name.size() + 3;
  return status.substr(start, status.find('\n', start) - start);
}

/// The bits of a /proc signal mask that stand for signals a program may use: the standard ones
/// and the real-time ones from SIGRTMIN on.
std::uint64_t ownSignals(const std::string& hexMask) {
  std::uint64_t mask = std::stoull(hexMask, nullptr, 16);
  for (int signal = 32; signal < SIGRTMIN; ++signal) mask &= ~(std::uint64_t{1} << (signal - 1));
  return mask;
}

TEST(Run, PassesArgumentsUnchangedAndKeepsBothStreamsApart) {
  Command command = shell("printf '%s|' \"$@\"; echo err >&2; exit 3");
  command.argv.insert(command.argv.end(), {"sh", "a b", "", "c"});
  const auto ended = runOrFail(command);
  EXPECT_EQ(ended.exitStatus, 3);
  EXPECT_FALSE(ended.killed);
  EXPECT_EQ(ended.output, "a b||c|");
  EXPECT_EQ(ended.errors, "err\n");
}

TEST(Run, StreamsGoWhereTheCommandSays) {
  test_support::TempDirectory folder;
  Command command = shell("echo out; echo err >&2; cat");
  command.input = Stream::kNull;
  command.output = Stream::kFile;
  command.errors = Stream::kFile;
  command.file = folder.file("both.log");
  folder.write("both.log", "before\n");
  EXPECT_EQ(runOrFail(command).exitStatus, 0);
  EXPECT_EQ(folder.read("both.log"), "before\nout\nerr\n");

  command.output = Stream::kCapture;
  command.errors = Stream::kNull;
  const auto ended = runOrFail(command);
  EXPECT_EQ(ended.output, "out\n");
  EXPECT_EQ(ended.errors, "");
}

TEST(Run, ReadsOutputLargerThanThePipeBufferOnBothStreams) {
  const auto ended = runOrFail(
      shell("head -c 300000 /dev/zero | tr '\\000' a; head -c 300000 /dev/zero | tr '\\000' b "
            ">&2"));
  EXPECT_EQ(ended.exitStatus, 0);
  EXPECT_EQ(ended.output, std::string(300000, 'a'));
  EXPECT_EQ(ended.errors, std::string(300000, 'b'));
}

TEST(Run, EnvironmentIsInheritedOrGivenWhole) {
  ::setenv("OS_TEST_INHERITED", "yes", 1);
  EXPECT_EQ(runOrFail(shell("printf %s \"$OS_TEST_INHERITED\"")).output, "yes");
  Command command = shell("printf '%s,%s' \"$OS_TEST_INHERITED\" \"$GIVEN\"");
  command.environment = std::vector<std::string>{"GIVEN=only"};
  EXPECT_EQ(runOrFail(command).output, ",only");
}

/// /proc/self/status of a child started by each way of starting one: a run to the end, a
/// spawn (the test programs), a detached spawn (an application being reopened).
struct Starter {
  const char* name;
  std::string (*childStatus)();
  friend void PrintTo(const Starter& starter, std::ostream* out) { *out << starter.name; }
};

std::string childStatusThrough(common::Result<pid_t> (*start)(const Command&)) {
  test_support::TempDirectory folder;
  Command command;
  command.argv = {"cat", "/proc/self/status"};
  command.output = Stream::kFile;
  command.file = folder.file("status");
  const auto pid = start(command);
  EXPECT_TRUE(pid.ok()) << pid.reason();
  if (!pid.ok() || !waitForEnd(*pid, 10s)) return "";
  // Not "\n" + text: GCC 12's Release build reports a false -Wrestrict for it.
  return std::string("\n").append(folder.read("status"));
}

const Starter kStarters[] = {
    {"Run", [] { return runOrFail(shell("exec cat /proc/self/status")).output; }},
    {"Spawn", [] { return childStatusThrough(spawn); }},
    {"SpawnDetached", [] { return childStatusThrough(spawnDetached); }},
};

class ChildSignals : public ::testing::TestWithParam<Starter> {};

TEST_P(ChildSignals, DefaultDispositionsAndAnEmptyMaskWhateverTheParentHas) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previousPipe {};
  struct sigaction previousTerm {};
  ::sigaction(SIGPIPE, &ignore, &previousPipe);
  ::sigaction(SIGTERM, &ignore, &previousTerm);
  sigset_t blocked;
  sigset_t previousMask;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  sigaddset(&blocked, SIGCHLD);
  sigaddset(&blocked, SIGHUP);
  ::pthread_sigmask(SIG_BLOCK, &blocked, &previousMask);

  const std::string status = GetParam().childStatus();

  ::pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
  ::sigaction(SIGPIPE, &previousPipe, nullptr);
  ::sigaction(SIGTERM, &previousTerm, nullptr);
  ASSERT_NE(statusField(status, "SigIgn"), "") << status;
  // The C library keeps two signals between the standard and the real-time ones for itself.
  EXPECT_EQ(ownSignals(statusField(status, "SigIgn")), 0u) << status;
  EXPECT_EQ(ownSignals(statusField(status, "SigBlk")), 0u) << status;
}

INSTANTIATE_TEST_SUITE_P(Starters, ChildSignals, ::testing::ValuesIn(kStarters),
                         [](const auto& starter) { return std::string(starter.param.name); });

TEST(Run, ProgramThatCannotStartFails) {
  test_support::TempDirectory folder;
  folder.write("not-executable", "#!/bin/sh\necho hi\n");
  for (const auto& [program, error] :
       {std::pair{folder.file("missing"), ENOENT}, std::pair{folder.file("not-executable"), EACCES},
        std::pair{folder.path(), EACCES}}) {
    Command command;
    command.argv = {program};
    const auto ran = run(command, 10s);
    ASSERT_FALSE(ran.ok()) << program;
    EXPECT_EQ(ran.reason(), std::strerror(error)) << program;
  }
  EXPECT_FALSE(run(Command{}, 10s).ok());
}

TEST(Run, BareNamesAreLookedUpInPath) {
  Command command;
  command.argv = {"sh", "-c", "exit 7"};
  EXPECT_EQ(runOrFail(command).exitStatus, 7);
}

TEST(Run, DeathBySignalHasNoExitStatus) {
  const auto ended = runOrFail(shell("echo partial; kill -9 $$"));
  EXPECT_EQ(ended.exitStatus, std::nullopt);
  EXPECT_FALSE(ended.killed);
  EXPECT_EQ(ended.output, "partial\n");
}

TEST(Run, ChildThatOutlivesTheDeadlineOrPrintsTooMuchIsKilled) {
  struct Case {
    const char* name;
    const char* script;
    std::size_t maxBytes;
  };
  const Case cases[] = {
      {"never closes its output", "echo started; exec sleep 30", kMaxCapturedBytes},
      {"closes its output, keeps running", "exec >&- 2>&-; exec sleep 30", kMaxCapturedBytes},
      {"prints without end", "exec yes", 100'000},
  };
  for (const Case& c : cases) {
    const auto started = std::chrono::steady_clock::now();
    const auto ran = run(shell(c.script), 300ms, c.maxBytes);
    ASSERT_TRUE(ran.ok()) << c.name;
    EXPECT_TRUE(ran->killed) << c.name;
    EXPECT_EQ(ran->exitStatus, std::nullopt) << c.name;
    EXPECT_LE(ran->output.size(), c.maxBytes) << c.name;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << c.name;
  }
}

TEST(Spawn, RefusesCapturedStreams) {
  EXPECT_FALSE(spawn(shell("true")).ok());
  EXPECT_FALSE(spawnDetached(shell("true")).ok());
}

TEST(Spawn, WaitForEndGivesTheStatusOrNothingWhileItRuns) {
  Command command;
  command.argv = {"/bin/sh", "-c", "exit 4"};
  const auto quick = spawn(command);
  ASSERT_TRUE(quick.ok()) << quick.reason();
  const auto status = waitForEnd(*quick, 10s);
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(exitStatusOf(*status), 4);

  command.argv = {"/bin/sleep", "30"};
  const auto slow = spawn(command);
  ASSERT_TRUE(slow.ok()) << slow.reason();
  EXPECT_EQ(waitForEnd(*slow, 50ms), std::nullopt);
  EXPECT_TRUE(isRunning(*slow));
  killAndReap(*slow);
  EXPECT_FALSE(readProcStat(*slow).has_value());
}

TEST(SpawnDetached, StartsInASessionOfItsOwnHoldingNoExtraDescriptor) {
  test_support::TempDirectory folder;
  // Not close-on-exec: a plain spawn would hand it on, a detached one must not.
  const int leaked = ::fcntl(STDIN_FILENO, F_DUPFD, 50);
  ASSERT_GE(leaked, 0);
  Command command;
  command.argv = {"/bin/sh", "-c",
                  "[ -e /proc/$$/fd/" + std::to_string(leaked) + " ] && exit 5; cat /proc/$$/stat",
                  "sh"};
  command.input = Stream::kNull;
  command.output = Stream::kFile;
  command.errors = Stream::kNull;
  command.file = folder.file("stat");
  const auto pid = spawnDetached(command);
  ::close(leaked);
  ASSERT_TRUE(pid.ok()) << pid.reason();
  const auto status = waitForEnd(*pid, 10s);
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(exitStatusOf(*status), 0) << "the descriptor was handed on";

  const std::string stat = folder.read("stat");
  std::istringstream fields(stat.substr(stat.rfind(')') + 1));
  std::string state;
  pid_t parent = 0, group = 0, session = 0;
  ASSERT_TRUE(fields >> state >> parent >> group >> session) << stat;
  EXPECT_EQ(session, *pid);
}

}  // namespace
}  // namespace os
