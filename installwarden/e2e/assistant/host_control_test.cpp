// What the host and the system can do to a running assistant: withdraw the request, ask for the
// window, send termination signals, start a second assistant; and what they can rely on when
// reading status.json meanwhile.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

#include "assistant_scene.h"
#include "standin_files.h"
#include "update_scene.h"

namespace installwarden::e2e {
namespace {

/// Owner running, assistant waiting in "preparing".
void startWaiting(AssistantScene& scene) {
  scene.startOwner();
  scene.startAssistant();
  ASSERT_TRUE(scene.awaitPhase("preparing")) << scene.diagnostics();
}

struct RequestChange {
  const char* name;
  void (*apply)(AssistantScene&);
  bool cancels;
};

const RequestChange kRequestChanges[] = {
    {"Removed", [](AssistantScene& scene) { scene.removeRootFile("request.json"); }, true},
    {"AnotherId",
     [](AssistantScene& scene) {
       auto layout = scene.layout();
       layout.id = "0B7A4F93-1D5E-4E8A-9C62-3F2A9C4E7B1D";
       ASSERT_TRUE(standins::writeRequest(layout, 1));
     },
     true},
    {"SameIdInOtherLetterCase",
     [](AssistantScene& scene) {
       auto layout = scene.layout();
       layout.id = "3f2a9c4e-7b1d-4e8a-9c62-1d5e0b7a4f93";
       ASSERT_TRUE(standins::writeRequest(layout, 1));
     },
     true},
    {"Malformed", [](AssistantScene& scene) { scene.writeRootFile("request.json", "{\"id\":"); },
     true},
    {"SameIdOtherFields",
     [](AssistantScene& scene) {
       auto layout = scene.layout();
       layout.version = "9.9.9";
       ASSERT_TRUE(standins::writeRequest(layout, 1));
     },
     false},
};

class RequestChangeTest : public ::testing::TestWithParam<RequestChange> {};

TEST_P(RequestChangeTest, OnlyAWithdrawnRequestEndsTheAssistant) {
  AssistantScene scene;
  ASSERT_NO_FATAL_FAILURE(startWaiting(scene));
  GetParam().apply(scene);

  if (GetParam().cancels) {
    const auto cancelled = scene.awaitPhase("cancelled");
    ASSERT_TRUE(cancelled) << scene.diagnostics();
    EXPECT_EQ(cancelled->id, scene.layout().id);
    EXPECT_TRUE(exitedWith(scene.awaitAssistantEnd(), 0)) << scene.diagnostics();
  } else {
    EXPECT_TRUE(scene.holdsForTicks(3, [](const UpdateStatus& status) {
      return status.phase == "preparing";
    })) << scene.diagnostics();
  }
}

INSTANTIATE_TEST_SUITE_P(Changes, RequestChangeTest, ::testing::ValuesIn(kRequestChanges),
                         [](const auto& change) { return std::string(change.param.name); });

bool visible(const UpdateStatus& status) { return status.visible; }
bool hidden(const UpdateStatus& status) { return !status.visible; }
bool windowHidden(const AssistantScene& scene) {
  const auto status = scene.status();
  return status && !status->visible;
}

TEST(ShowRequestTest, NewShowBytesBringTheWindowForward) {
  AssistantScene scene;
  ASSERT_NO_FATAL_FAILURE(startWaiting(scene));
  EXPECT_TRUE(windowHidden(scene));

  scene.writeRootFile("show.json", "1");
  ASSERT_TRUE(scene.awaitStatus(visible)) << scene.diagnostics();

  scene.writeCommand("ready");
  ASSERT_TRUE(scene.awaitStatus([](const UpdateStatus& status) {
    return status.phase == "ready" && !status.visible;
  })) << scene.diagnostics();

  // The same bytes again are no request.
  scene.writeRootFile("show.json", "1");
  EXPECT_TRUE(scene.holdsForTicks(3, hidden)) << scene.diagnostics();

  scene.writeRootFile("show.json", "2");
  ASSERT_TRUE(scene.awaitStatus(visible)) << scene.diagnostics();

  // Gone for a tick and back with the same bytes: forward again.
  scene.writeCommand("preparing");
  ASSERT_TRUE(scene.awaitStatus(hidden)) << scene.diagnostics();
  scene.removeRootFile("show.json");
  // The second tick from here began after the removal, so it saw show.json absent.
  ASSERT_TRUE(scene.holdsForTicks(2, hidden)) << scene.diagnostics();
  scene.writeRootFile("show.json", "2");
  ASSERT_TRUE(scene.awaitStatus(visible)) << scene.diagnostics();
}

class StopSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(StopSignalTest, RefusedWhileInstallingGrantedOnceFailed) {
  AssistantScene scene({.installerRuns = "install 60\n"});
  scene.startOwner();
  scene.startFirstInstallerRun();
  const pid_t assistant = scene.startAssistant();
  ASSERT_TRUE(scene.awaitPhase("preparing")) << scene.diagnostics();
  scene.quitOwner();
  ASSERT_TRUE(scene.awaitPhase("installing")) << scene.diagnostics();

  ::kill(assistant, GetParam());
  EXPECT_TRUE(scene.holdsForTicks(3, [](const UpdateStatus& status) {
    return status.phase == "installing";
  })) << scene.diagnostics();

  scene.reportLaunch(false);
  ASSERT_TRUE(scene.awaitPhase("failed")) << scene.diagnostics();
  ::kill(assistant, GetParam());
  EXPECT_TRUE(exitedWith(scene.awaitAssistantEnd(), 0)) << scene.diagnostics();
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& signal) {
                           return std::string(sigabbrev_np(signal.param));
                         });

TEST(SecondAssistantTest, ExitsAtOnceAndLeavesTheFirstAlone) {
  AssistantScene scene;
  ASSERT_NO_FATAL_FAILURE(startWaiting(scene));
  const auto first = scene.status();

  const auto second = scene.processes().start(
      {INSTALLWARDEN_TEST_BINARY, scene.root()},
      headlessEnvironment({"LAUNCHD_STANDIN_DIR=" + scene.layout().standinDir}), "/dev/null");
  ASSERT_TRUE(second.ok()) << second.reason();
  EXPECT_TRUE(exitedWith(scene.processes().waitForEnd(*second, 3s), 0));

  // Ticks of the first alone from here on.
  EXPECT_TRUE(scene.holdsForTicks(3, [&](const UpdateStatus& status) {
    return status.birth == first->birth && status.phase == "preparing";
  })) << scene.diagnostics();
}

TEST(StatusFileTest, AnUnwritableStatusIsLoggedAndTheAssistantGoesOn) {
  AssistantScene scene;
  ASSERT_EQ(::mkdir((scene.root() + "/status.json").c_str(), 0755), 0);
  scene.startOwner();
  scene.startAssistant();

  // Every tick logs its failed write: three lines are three ticks, the assistant went on.
  const auto failedWrites = [&] {
    const std::string output = scene.diagnostics();
    int count = 0;
    for (auto at = output.find("Installwarden could not save its status: ");
         at != std::string::npos;
         at = output.find("Installwarden could not save its status: ", at + 1)) {
      ++count;
    }
    return count;
  };
  ASSERT_TRUE(eventually([&] { return failedWrites() >= 3; }, 20s)) << scene.diagnostics();
  EXPECT_TRUE(scene.assistantRunning());
  // Failed writes leave no temporary files behind.
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(scene.root())) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"assistant.lock", "request.json", "status.json"}));

  ASSERT_EQ(::rmdir((scene.root() + "/status.json").c_str()), 0);
  ASSERT_TRUE(scene.awaitPhase("preparing")) << scene.diagnostics();
}

/// Reads status.json as fast as it can, as a host would, until told to stop; counts what it saw.
class StatusReader {
 public:
  explicit StatusReader(std::string root) : root_(std::move(root)), thread_([this] { run(); }) {}
  ~StatusReader() { stop(); }

  void stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  int reads = 0;
  std::vector<std::string> problems;

 private:
  void run() {
    static const std::set<std::string> kKnown = {"request.json",  "command.json",   "show.json",
                                                 "launched.json", "assistant.lock", "status.json"};
    while (!stop_) {
      checkStatusFile();
      // Temporary files on their way to becoming status.json must never be readable by others.
      if (DIR* folder = ::opendir(root_.c_str())) {
        while (const dirent* entry = ::readdir(folder)) {
          const std::string name = entry->d_name;
          if (name == "." || name == ".." || kKnown.count(name) || isHostTemporary(name)) {
            continue;
          }
          struct stat info {};
          if (::stat((root_ + "/" + name).c_str(), &info) == 0 && (info.st_mode & 077) != 0) {
            problems.push_back("temporary file " + name + " is readable by others");
          }
        }
        ::closedir(folder);
      }
    }
  }

  /// A host file on its way in (".command.json.XXXXXX"), written by the stand-ins, not ours.
  static bool isHostTemporary(const std::string& name) {
    for (const char* file : {"request.json", "command.json", "show.json", "launched.json"}) {
      std::string prefix = ".";  // built up, not with "." + ..., which GCC 12 -O3 misreads
      prefix += file;
      prefix += '.';
      if (name.starts_with(prefix)) return true;
    }
    return false;
  }

  void checkStatusFile() {
    const int fd = ::open((root_ + "/status.json").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info {};
    ::fstat(fd, &info);
    std::string bytes;
    char buffer[4096];
    for (ssize_t count; (count = ::read(fd, buffer, sizeof buffer)) > 0;) {
      bytes.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
    ++reads;
    const auto status = parseStatus(bytes);
    if (!status) {
      problems.push_back("unreadable status.json: '" + bytes + "'");
    } else if (status->id != "left over" && (info.st_mode & 0777) != 0600) {
      problems.push_back("status.json with mode " + std::to_string(info.st_mode & 0777));
    }
  }

  std::string root_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST(StatusFileTest, NeverPartialAndOnlyForTheOwner) {
  AssistantScene scene;
  // A status left by an update of another id, readable by everyone.
  UpdateStatus leftOver;
  leftOver.id = "left over";
  leftOver.retries = 2;
  leftOver.phase = "failed";
  scene.writeRootFile("status.json", encodeStatus(leftOver));
  ::chmod((scene.root() + "/status.json").c_str(), 0644);

  StatusReader reader(scene.root());
  ASSERT_TRUE(scene.driveToStarting());
  scene.startApplication();
  ASSERT_TRUE(scene.awaitPhase("complete")) << scene.diagnostics();
  EXPECT_TRUE(exitedWith(scene.awaitAssistantEnd(), 0));
  reader.stop();

  EXPECT_GT(reader.reads, 100);
  EXPECT_TRUE(reader.problems.empty())
      << reader.problems.size() << " problems, first: " << reader.problems.front();
  const auto final = scene.status();
  ASSERT_TRUE(final);
  EXPECT_EQ(final->retries, 0) << "a status of another id must not be restored";
}

}  // namespace
}  // namespace installwarden::e2e
