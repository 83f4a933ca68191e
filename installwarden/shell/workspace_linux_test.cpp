#include "shell/workspace_linux.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

namespace installwarden {
namespace fs = std::filesystem;
namespace {

void writeFile(const fs::path& path, const std::string& bytes, fs::perms mode = fs::perms(0644)) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
  fs::permissions(path, mode);
}

std::string infoPlist(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body +
         "</dict></plist>\n";
}

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

/// "Name:\tvalue" lines of /proc/<pid>/status.
std::map<std::string, std::string> statusFields(const std::string& status) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(status);
  for (std::string line; std::getline(lines, line);) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    const auto value = line.find_first_not_of(" \t", colon + 1);
    fields[line.substr(0, colon)] = value == std::string::npos ? "" : line.substr(value);
  }
  return fields;
}

std::string executableKey(const std::string& name) {
  return "<key>CFBundleExecutable</key><string>" + name + "</string>";
}

class WorkspaceTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ =
        fs::temp_directory_path() / ("workspace_test." + std::to_string(getpid()) + "." +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    root_ = fs::canonical(root_);  // /proc shows resolved paths
  }
  void TearDown() override { fs::remove_all(root_); }

  struct Delivery {
    int calls = 0;
    common::Result<void> opened;
    bool calledDuringOpen = false;
  };

  /// Opens `appPath` and runs the loop until the completion arrives (or 5 seconds pass).
  Delivery open(const fs::path& appPath) {
    Delivery delivery;
    LinuxWorkspace workspace;
    workspace.openApplication(appPath.string(), [&](common::Result<void> opened) {
      ++delivery.calls;
      delivery.opened = std::move(opened);
    });
    delivery.calledDuringOpen = delivery.calls > 0;
    QElapsedTimer clock;
    clock.start();
    while (delivery.calls == 0 && clock.elapsed() < 5000) QCoreApplication::processEvents();
    QCoreApplication::processEvents();  // a second delivery would show up here
    return delivery;
  }

  fs::path root_;
};

TEST_F(WorkspaceTest, ScanKeepsReadableProcessesThatRunFromABundle) {
  const fs::path proc = root_ / "proc";
  const auto process = [&](const std::string& name, const std::string& exe) {
    fs::create_directories(proc / name);
    if (!exe.empty()) fs::create_symlink(exe, proc / name / "exe");
  };
  process("1", "/opt/Q.app/Contents/MacOS/Q");
  process("22", "/usr/bin/bash");
  process("333", "");  // kernel thread or no permission: no readable link
  process("4444", "/srv/./B.app/Contents/MacOS/../MacOS/b (deleted)");
  process("self", "/opt/Self.app/Contents/MacOS/s");  // not a process id
  process("12a", "/opt/Odd.app/Contents/MacOS/o");
  writeFile(proc / "55", "a file, not a process directory");

  std::vector<std::string> bundles = scanRunningBundlePaths(proc.string());
  std::sort(bundles.begin(), bundles.end());
  EXPECT_EQ(bundles, (std::vector<std::string>{"/opt/Q.app", "/srv/B.app"}));
  EXPECT_TRUE(scanRunningBundlePaths((root_ / "missing").string()).empty());
}

TEST_F(WorkspaceTest, RunningProcessIsFoundByItsBundle) {
  const fs::path bundle = root_ / "Running.app";
  const fs::path executable = bundle / "Contents/MacOS/Running";
  fs::create_directories(executable.parent_path());
  fs::copy_file("/bin/sleep", executable);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    execl(executable.c_str(), "Running", "30", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Until the exec has happened the child still runs this test binary.
  std::vector<std::string> bundles;
  for (int attempt = 0; attempt < 200; ++attempt) {
    bundles = LinuxWorkspace().runningBundlePaths();
    if (std::find(bundles.begin(), bundles.end(), bundle.string()) != bundles.end()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_NE(std::find(bundles.begin(), bundles.end(), bundle.string()), bundles.end());
}

TEST_F(WorkspaceTest, OpenStartsTheBundleExecutableDetachedAndReportsLater) {
  const fs::path bundle = root_ / "Host.app";
  const fs::path report = root_ / "report";
  writeFile(bundle / "Contents/Info.plist", infoPlist(executableKey("Host Binary")));
  // Reports its argument count and standard streams, then becomes `cp` so the process
  // state read from /proc/self/status is the one it was started with, not the shell's.
  writeFile(bundle / "Contents/MacOS/Host Binary",
            "#!/bin/sh\n"
            "fds=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
            "echo \"$#\" > '" +
                report.string() +
                ".args'\n"
                "echo \"$fds\" > '" +
                report.string() +
                ".fds'\n"
                "exec cp /proc/self/status '" +
                report.string() + ".status'\n",
            fs::perms(0755));

  // Dispositions this process set up must not leak into the application.
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previous = {};
  sigaction(SIGTERM, &ignore, &previous);
  const Delivery delivery = open(bundle);
  sigaction(SIGTERM, &previous, nullptr);

  EXPECT_FALSE(delivery.calledDuringOpen);
  EXPECT_EQ(delivery.calls, 1);
  EXPECT_TRUE(delivery.opened.ok()) << delivery.opened.reason();

  // The status copy is complete once its last line ("nonvoluntary_ctxt_switches") is there.
  const fs::path status = report.string() + ".status";
  for (int attempt = 0; attempt < 500; ++attempt) {
    if (readText(status).find("nonvoluntary") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(readText(report.string() + ".args"), "0\n");
  EXPECT_EQ(readText(report.string() + ".fds"), "/dev/null\n/dev/null\n/dev/null\n");
  const std::map<std::string, std::string> fields = statusFields(readText(status));
  EXPECT_EQ(fields.at("NSsid"), fields.at("Pid"));  // leads a session of its own
  EXPECT_EQ(fields.at("SigBlk"), "0000000000000000");
  // Signals 32 and 33 belong to the C library, which keeps them ignored across a spawn.
  const std::uint64_t ignored = std::stoull(fields.at("SigIgn"), nullptr, 16);
  EXPECT_EQ(ignored & 0x7fffffffu, 0u) << fields.at("SigIgn");
}

TEST_F(WorkspaceTest, OpenReportsEveryStartFailureLater) {
  struct Case {
    std::string name;
    std::optional<std::string> plist;  // nothing: no Info.plist at all
    std::optional<std::string> executable;
    fs::perms mode;
  };
  const Case cases[] = {
      {"NoInfo", std::nullopt, "NoInfo", fs::perms(0755)},
      {"NoKey", infoPlist("<key>CFBundleName</key><string>x</string>"), "NoKey", fs::perms(0755)},
      {"NotText", infoPlist("<key>CFBundleExecutable</key><integer>1</integer>"), std::nullopt,
       fs::perms(0755)},
      {"Escapes", infoPlist(executableKey("../../../../bin/true")), std::nullopt, fs::perms(0755)},
      {"Dots", infoPlist(executableKey("..")), std::nullopt, fs::perms(0755)},
      {"Missing", infoPlist(executableKey("Missing")), std::nullopt, fs::perms(0755)},
      {"NotExecutable", infoPlist(executableKey("NotExecutable")), "NotExecutable",
       fs::perms(0644)},
      {"Garbage", std::string("\x00\x01not a plist", 13), "Garbage", fs::perms(0755)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path bundle = root_ / (c.name + ".app");
    fs::create_directories(bundle / "Contents/MacOS");
    if (c.plist) writeFile(bundle / "Contents/Info.plist", *c.plist);
    if (c.executable) {
      writeFile(bundle / "Contents/MacOS" / *c.executable, "#!/bin/sh\nexit 0\n", c.mode);
    }
    const Delivery delivery = open(bundle);
    EXPECT_FALSE(delivery.calledDuringOpen);
    EXPECT_EQ(delivery.calls, 1);
    EXPECT_FALSE(delivery.opened.ok());
  }
  const Delivery nowhere = open(root_ / "Nowhere.app");
  EXPECT_EQ(nowhere.calls, 1);
  EXPECT_FALSE(nowhere.opened.ok());
}

}  // namespace
}  // namespace installwarden
