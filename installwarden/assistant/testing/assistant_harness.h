#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "assistant/assistant.h"
#include "assistant/testing/fakes.h"
#include "testing/temp_directory.h"
#include "update_state/exchange_records.h"
#include "update_state/testing/fakes.h"

namespace installwarden::testing {

/// The ids, pids and births of the one update every assistant test runs.
inline constexpr char kRequestId[] = "0F8E4C52-9B1D-4E7A-A3C6-2D5B8F901A7E";
inline constexpr std::int32_t kOwnerPid = 4100;
inline constexpr std::uint64_t kOwnerBirth = 1'700'000'000'123'456;
inline constexpr std::int32_t kOwnPid = 4200;
inline constexpr std::uint64_t kOwnBirth = 1'700'000'100'000'000;
inline constexpr std::int32_t kJobPid = 4300;
inline constexpr uid_t kUid = 501;

enum class Job { absent, stopped, running };

/// A root directory with a valid request, an application bundle and the fakes around one
/// assistant. The owner runs until the test says otherwise.
class AssistantHarness {
 public:
  AssistantHarness() {
    request.id = kRequestId;
    request.appPath = root.file("Example.app");
    request.sourceVersion = "1.0.0";
    request.version = "2.0.0";
    request.ownerPid = kOwnerPid;
    request.jobLabel = "com.example.app.ShipIt";
    request.logPath = root.file("ShipIt.log");
    request.logOffset = 0;
    writeRequest(request);
    installVersion("1.0.0");
    processes.add(kOwnerPid, kOwnerBirth);
    setKickstartStatus(0);
  }

  std::shared_ptr<Assistant> start() {
    AssistantEnvironment environment{clock,       processes, launchctl, workspace, window,
                                     application, log,       kOwnPid,   kOwnBirth, kUid};
    return Assistant::create(root.path(), request, environment);
  }

  void writeRequest(const UpdateRequest& r) {
    nlohmann::json json = {
        {"id", r.id},           {"appPath", r.appPath},     {"sourceVersion", r.sourceVersion},
        {"version", r.version}, {"ownerPid", r.ownerPid},   {"jobLabel", r.jobLabel},
        {"logPath", r.logPath}, {"logOffset", r.logOffset}, {"messages", nlohmann::json::object()}};
    root.write("request.json", json.dump());
  }
  void writeCommand(const std::string& phase, std::int64_t sequence,
                    const std::string& id = kRequestId) {
    root.write("command.json",
               nlohmann::json{{"id", id}, {"phase", phase}, {"sequence", sequence}}.dump());
  }
  void writeReceipt(const std::string& id, const std::string& version, bool ok) {
    root.write("launched.json",
               nlohmann::json{{"id", id}, {"version", version}, {"ok", ok}}.dump());
  }
  void installVersion(const std::string& version) {
    root.write("Example.app/Contents/Info.plist",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
               "<key>CFBundleShortVersionString</key><string>" +
                   version + "</string></dict></plist>\n");
  }
  void appendLog(const std::string& text) {
    root.write("ShipIt.log", root.read("ShipIt.log") + text);
  }

  void ownerQuits() { processes.remove(kOwnerPid); }
  /// The installer job as launchctl describes it in the user's domain.
  void setJob(Job job) {
    const std::string target = jobTarget();
    if (job == Job::absent) {
      launchctl.script.describe(target, "", 113);
    } else {
      launchctl.script.describe(target,
                                "com.example.app.ShipIt = {\n\tprogram = " + request.appPath +
                                    "/Contents/Frameworks/Squirrel.framework/Resources/"
                                    "ShipIt\n\tpid = " +
                                    std::to_string(kJobPid) + "\n}\n");
    }
    if (job == Job::running) {
      processes.add(kJobPid, 1);
    } else {
      processes.remove(kJobPid);
    }
  }
  std::string jobTarget() const { return "gui/" + std::to_string(kUid) + "/" + request.jobLabel; }
  std::vector<std::vector<std::string>> kickstarts() const {
    std::vector<std::vector<std::string>> found;
    for (const auto& call : launchctl.script.calls) {
      if (!call.empty() && call[0] == "kickstart") found.push_back(call);
    }
    return found;
  }
  void setKickstartStatus(std::int32_t status) {
    launchctl.script.answer({"kickstart", jobTarget()}, {status, ""});
  }

  /// status.json as written last; nothing when it is missing or malformed.
  std::optional<UpdateStatus> status() const { return parseStatus(root.read("status.json")); }
  std::string publishedPhase() const {
    const auto current = status();
    return current ? current->phase : "(none)";
  }

  test_support::TempDirectory root;
  UpdateRequest request;
  FakeClock clock;
  FakeProcessTable processes;
  HookedLaunchctl launchctl;
  FakeWorkspace workspace;
  FakeWindow window;
  FakeApplication application;
  FakeLog log;
};

}  // namespace installwarden::testing
