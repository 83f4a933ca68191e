#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "cli_fixture.h"
#include "shell/assistant_launch.h"
#include "update_state/exchange_records.h"
#include "update_state/testing/status_ticks.h"

namespace installwarden::e2e {
namespace {

struct ArgumentsCase {
  const char* name;
  std::vector<std::string> arguments;
};

class BadCommandLine : public CliTest, public ::testing::WithParamInterface<ArgumentsCase> {};

TEST_P(BadCommandLine, ExitsWithTwoSilently) {
  root.write("request.json", validRequest());  // a valid request must not rescue a bad form
  auto arguments = GetParam().arguments;
  for (auto& argument : arguments) {
    if (argument == "ROOT") argument = root.path();
  }
  for (const char* program : {INSTALLWARDEN_TEST_BINARY, INSTALLWARDEN_BINARY}) {
    const auto outcome = run(arguments, program);
    EXPECT_EQ(outcome.exitStatus, 2) << program;
    EXPECT_EQ(outcome.standardOutput, "") << program;
  }
  EXPECT_EQ(rootEntries(), std::set<std::string>{"request.json"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadCommandLine,
    ::testing::Values(ArgumentsCase{"NoArguments", {}},
                      ArgumentsCase{"TwoArguments", {"ROOT", "ROOT"}},
                      ArgumentsCase{"ProbeWithTwo", {"--probe", "ROOT"}},
                      ArgumentsCase{"ProbeWithThree", {"--probe", "ROOT", kAppPath}},
                      ArgumentsCase{"ProbeWithFive", {"--probe", "ROOT", kAppPath, "1.0", "extra"}},
                      ArgumentsCase{"ProbeInOtherCase", {"--Probe", "ROOT", kAppPath, "1.0"}},
                      ArgumentsCase{"ProbeAbbreviated", {"--prob", "ROOT", kAppPath, "1.0"}},
                      ArgumentsCase{"ProbeWithExtraCharacter",
                                    {"--probe=", "ROOT", kAppPath, "1.0"}},
                      ArgumentsCase{"SingleDash", {"-probe", "ROOT", kAppPath, "1.0"}},
                      // Taken as the root directory "--probe", which holds no request.
                      ArgumentsCase{"LoneProbeFlag", {"--probe"}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(CliTest, InvalidRequestExitsWithTwoAndCreatesNothing) {
  for (const std::string& request :
       std::vector<std::string>{"", "{}", "not json", validRequest().substr(1)}) {
    if (!request.empty()) root.write("request.json", request);
    const auto outcome = run({root.path()});
    EXPECT_EQ(outcome.exitStatus, 2) << request;
    EXPECT_EQ(outcome.standardOutput, "");
    EXPECT_FALSE(root.exists("assistant.lock"));
    EXPECT_FALSE(root.exists("status.json"));
  }
}

TEST_F(CliTest, MissingRootExitsWithTwo) {
  EXPECT_EQ(run({root.file("gone")}).exitStatus, 2);
  EXPECT_FALSE(root.exists("gone"));
}

TEST_F(CliTest, ValidRequestTakesTheLockAndEndsWithZero) {
  root.write("request.json", validRequest());
  const auto outcome = run({root.path()});
  EXPECT_EQ(outcome.exitStatus, 0) << outcome.standardError;
  EXPECT_FALSE(outcome.timedOut);
  EXPECT_TRUE(std::filesystem::is_regular_file(root.file("assistant.lock")));
  EXPECT_EQ(std::filesystem::status(root.file("assistant.lock")).permissions() &
                std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(root.read("request.json"), validRequest()) << "the request is never rewritten";
}

/// Holds root/assistant.lock the way a running assistant does.
class LockHolder {
 public:
  explicit LockHolder(const std::string& path)
      : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    EXPECT_EQ(::flock(fd_, LOCK_EX | LOCK_NB), 0);
  }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;
  ~LockHolder() { ::close(fd_); }

 private:
  int fd_;
};

TEST_F(CliTest, LockHeldElsewhereEndsWithZeroAndChangesNothing) {
  root.write("request.json", validRequest());
  LockHolder running(root.file("assistant.lock"));
  root.write(".status.json.Ab12Cd", "{");  // the running assistant's save under way
  const auto before = rootEntries();
  const auto outcome = run({root.path()});
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(outcome.standardOutput, "");
  EXPECT_EQ(rootEntries(), before) << "no status.json from a second assistant";
}

TEST_F(CliTest, TheLockHolderClearsTemporaryStatusFilesOfKilledAssistants) {
  root.write("request.json", validRequest());
  for (const char* name : {".status.json.Ab12Cd", ".status.json.000000"}) root.write(name, "{");
  // Not what a save of status.json leaves behind.
  std::set<std::string> kept{"request.json",        ".status.json.Ab12C",   ".status.json.Ab12Cde",
                             ".status.json.Ab-2Cd", ".command.json.Ab12Cd", "status.json.Ab12Cd",
                             ".status.json.Folder"};
  for (const auto& name : kept) {
    if (name.starts_with(".status.json.F")) {
      std::filesystem::create_directory(root.file(name));
    } else if (name != "request.json") {
      root.write(name, "{");
    }
  }
  test_support::TempDirectory elsewhere;
  elsewhere.write("target", "keep");
  std::filesystem::create_symlink(elsewhere.file("target"), root.file(".status.json.Linked"));
  kept.insert(".status.json.Linked");

  const auto outcome = run({root.path()});
  EXPECT_FALSE(outcome.timedOut);
  auto entries = rootEntries();
  entries.erase("assistant.lock");
  entries.erase("status.json");
  EXPECT_EQ(entries, kept);
  EXPECT_EQ(elsewhere.read("target"), "keep");
}

TEST_F(CliTest, InvalidRequestWinsOverAHeldLock) {
  root.write("request.json", "{}");
  LockHolder running(root.file("assistant.lock"));
  EXPECT_EQ(run({root.path()}).exitStatus, 2);
}

TEST_F(CliTest, SymlinkedLockEndsWithZeroWithoutTouchingItsTarget) {
  root.write("request.json", validRequest());
  test_support::TempDirectory elsewhere;
  elsewhere.write("target", "keep");
  std::filesystem::create_symlink(elsewhere.file("target"), root.file("assistant.lock"));
  EXPECT_EQ(run({root.path()}).exitStatus, 0);
  EXPECT_EQ(elsewhere.read("target"), "keep");
  EXPECT_EQ(rootEntries(), (std::set<std::string>{"assistant.lock", "request.json"}));

  std::filesystem::remove(root.file("assistant.lock"));
  std::filesystem::create_symlink(elsewhere.file("new"), root.file("assistant.lock"));
  EXPECT_EQ(run({root.path()}).exitStatus, 0);
  EXPECT_FALSE(elsewhere.exists("new")) << "a dangling link's target must not be created";
}

TEST_F(CliTest, LockFileFromAnEarlierRunIsReusedUntouched) {
  root.write("request.json", validRequest());
  root.write("assistant.lock", "not empty");
  const auto outcome = run({root.path()});
  EXPECT_EQ(outcome.exitStatus, 0) << outcome.standardError;
  EXPECT_EQ(root.read("assistant.lock"), "not empty");
}

/// status.json as the running assistant last wrote it, once it names `pid`.
std::optional<UpdateStatus> waitForStatusOf(const std::string& root, int pid) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (const auto status = readStatus(root); status && status->pid == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

TEST_F(CliTest, SecondAssistantLeavesTheRunningOneAlone) {
  const auto library = std::filesystem::path(INSTALLWARDEN_TEST_BINARY).parent_path() /
                       INSTALLWARDEN_ASSISTANT_LIBRARY_DIR / kAssistantLibraryName;
  if (!std::filesystem::exists(library)) GTEST_SKIP() << "the GUI shell library is not built";

  // This test process is the owner: while it lives, the first assistant waits for it.
  auto request = nlohmann::json::parse(validRequest());
  request["ownerPid"] = ::getpid();
  root.write("request.json", request.dump());
  BackgroundProcess first({INSTALLWARDEN_TEST_BINARY, root.path()},
                          {{"LAUNCHD_STANDIN_DIR", standin.path()}});
  ASSERT_TRUE(waitForStatusOf(root.path(), first.pid()).has_value());

  const auto second = run({root.path()});
  EXPECT_EQ(second.exitStatus, 0);
  EXPECT_FALSE(second.timedOut);
  // Ticks of the first alone from here on.
  EXPECT_TRUE(testing::holdsForTicks(root.path(), 3, [&](const UpdateStatus& status) {
    return status.pid == first.pid() && status.phase == "preparing";
  })) << "only the first assistant writes status.json";

  // Withdrawing the request ends the first one.
  std::filesystem::remove(root.file("request.json"));
  EXPECT_EQ(first.waitForExit(std::chrono::seconds(10)), 0);
  const auto last = readStatus(root.path());
  ASSERT_TRUE(last.has_value());
  EXPECT_EQ(last->phase, "cancelled");
}

}  // namespace
}  // namespace installwarden::e2e
