#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "os/files.h"
#include "os/proc.h"
#include "os/subprocess.h"
#include "testing/temp_directory.h"

namespace os {
namespace {

using namespace std::chrono_literals;

bool eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

/// "Name:\tvalue" of /proc/<pid>/status.
std::string statusField(pid_t pid, const std::string& name) {
  std::istringstream status(
      readWholeFile("/proc/" + std::to_string(pid) + "/status", 1 << 20).value_or(""));
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(name + ":\t", 0) == 0) return line.substr(name.size() + 2);
  }
  return "";
}

/// The descriptors `pid` holds open, with what each refers to.
std::map<std::string, std::string> openDescriptors(pid_t pid) {
  std::map<std::string, std::string> result;
  const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    result[entry.path().filename()] = readSymbolicLink(entry.path()).value_or("?");
  }
  return result;
}

/// Restores what a test changed of this process's signal state.
class SignalStateGuard {
 public:
  SignalStateGuard() {
    ::sigaction(SIGTERM, nullptr, &term_);
    ::sigaction(SIGUSR1, nullptr, &usr1_);
    ::pthread_sigmask(SIG_SETMASK, nullptr, &mask_);
  }
  ~SignalStateGuard() {
    ::sigaction(SIGTERM, &term_, nullptr);
    ::sigaction(SIGUSR1, &usr1_, nullptr);
    ::pthread_sigmask(SIG_SETMASK, &mask_, nullptr);
  }

 private:
  struct sigaction term_ {};
  struct sigaction usr1_ {};
  sigset_t mask_{};
};

TEST(SpawnOrphan, StartsAnUnrelatedSessionLeaderWithDefaultSignalsAndOnlyNullStreams) {
  test_support::TempDirectory folder;
  SignalStateGuard restore;
  // What a host may have done to itself, none of which the started program should inherit.
  ::signal(SIGTERM, SIG_IGN);
  ::signal(SIGUSR1, SIG_IGN);
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR2);
  ::pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
  const int leaked = ::fcntl(STDIN_FILENO, F_DUPFD, 50);  // not close-on-exec
  ASSERT_GE(leaked, 0);

  Command command;
  command.argv = {"/bin/sleep", "60"};
  command.input = Stream::kNull;
  command.output = Stream::kNull;
  command.errors = Stream::kNull;
  const auto pid = spawnOrphan(command);
  ::close(leaked);
  ASSERT_TRUE(pid.ok()) << pid.reason();

  // The intermediate is gone and reaped, and the program is no child of ours.
  EXPECT_EQ(childrenOf(::getpid()), std::vector<pid_t>{});
  ASSERT_TRUE(eventually([&] { return statusField(*pid, "Name") == "sleep"; }));
  const auto stat = readProcStat(*pid);
  ASSERT_TRUE(stat.has_value());
  EXPECT_NE(stat->parentPid, ::getpid());
  // A session of its own, whose leader (the intermediate) has gone: the program can never
  // take a controlling terminal.
  const std::string session = statusField(*pid, "NSsid");
  EXPECT_NE(session, std::to_string(::getsid(0)));
  EXPECT_NE(session, std::to_string(*pid));
  EXPECT_FALSE(isRunning(std::stoi(session)));
  EXPECT_EQ(statusField(*pid, "SigBlk"), "0000000000000000");
  EXPECT_EQ(statusField(*pid, "SigIgn"), "0000000000000000");
  const std::map<std::string, std::string> nullStreams = {
      {"0", "/dev/null"}, {"1", "/dev/null"}, {"2", "/dev/null"}};
  // The program opens files of its own while it starts (its locale); what it inherited stays.
  EXPECT_TRUE(eventually([&] { return openDescriptors(*pid) == nullStreams; }))
      << ::testing::PrintToString(openDescriptors(*pid));

  ::kill(*pid, SIGKILL);
  EXPECT_TRUE(eventually([&] { return !isRunning(*pid); }));
  EXPECT_EQ(::waitpid(*pid, nullptr, WNOHANG), -1) << "the program is ours to reap";
  EXPECT_EQ(errno, ECHILD);
}

TEST(SpawnOrphan, WritesToAFileAndFindsBareNamesInPath) {
  test_support::TempDirectory folder;
  Command command;
  command.argv = {"sh", "-c", "echo out; echo err >&2"};
  command.environment = std::vector<std::string>{"PATH=/nonexistent:/bin"};
  command.input = Stream::kNull;
  command.output = Stream::kFile;
  command.errors = Stream::kFile;
  command.file = folder.file("log");
  const auto pid = spawnOrphan(command);
  ASSERT_TRUE(pid.ok()) << pid.reason();
  EXPECT_TRUE(eventually([&] { return folder.read("log") == "out\nerr\n"; })) << folder.read("log");
}

TEST(SpawnOrphan, ReportsWhatKeepsAProgramFromStarting) {
  test_support::TempDirectory folder;
  folder.write("not-executable", "#!/bin/sh\n");
  ::chmod(folder.file("not-executable").c_str(), 0644);
  ::mkfifo(folder.file("fifo").c_str(), 0600);

  struct Case {
    std::string name;
    Command command;
    std::string reason;
  };
  Command missing;
  missing.argv = {folder.file("missing")};
  Command notExecutable;
  notExecutable.argv = {folder.file("not-executable")};
  Command unknownName;
  unknownName.argv = {"no-such-program-here"};
  unknownName.environment = std::vector<std::string>{"PATH=" + folder.path()};
  Command toFifo;
  toFifo.argv = {"/bin/true"};
  toFifo.output = Stream::kFile;
  toFifo.file = folder.file("fifo");  // nobody reads it: fails rather than hangs
  Command captured;
  captured.argv = {"/bin/true"};
  captured.output = Stream::kCapture;
  const Case cases[] = {
      {"missing program", missing, "No such file or directory"},
      {"not executable", notExecutable, "Permission denied"},
      {"bare name not in PATH", unknownName, "not found in PATH"},
      {"output to a FIFO without reader", toFifo, "No such device or address"},
      {"captured output", captured, "captures output"},
      {"nothing to start", Command{}, "no program"},
  };
  for (const Case& c : cases) {
    const auto pid = spawnOrphan(c.command);
    EXPECT_FALSE(pid.ok()) << c.name;
    EXPECT_NE(pid.reason().find(c.reason), std::string::npos) << c.name << ": " << pid.reason();
  }
  EXPECT_EQ(childrenOf(::getpid()), std::vector<pid_t>{}) << "an intermediate was left behind";
}

}  // namespace
}  // namespace os
