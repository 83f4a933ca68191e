#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "testing/run_process.h"
#include "testing/temp_directory.h"

namespace installwarden::e2e {

using test_support::BackgroundProcess;
using test_support::ProcessOutcome;
using test_support::runProcess;

inline constexpr char kRequestId[] = "6f9619ff-8b86-d011-b42d-00c04fc964ff";
inline constexpr char kAppPath[] = "/Apps/Quorvelin Pro.app";
inline constexpr char kJobLabel[] = "com.example.quorvelin.ShipIt";
inline constexpr char kAllFalse[] =
    "{\"active\":false,\"block\":false,\"resume\":false,\"occupied\":false}\n";

/// A request.json the assistant accepts; its owner (pid 0) counts as gone from the start.
inline std::string validRequest() {
  return nlohmann::json{{"id", kRequestId},
                        {"appPath", kAppPath},
                        {"sourceVersion", "1.0"},
                        {"version", "2.0"},
                        {"ownerPid", 0},
                        {"jobLabel", kJobLabel},
                        {"logPath", "/nonexistent/ShipIt.log"},
                        {"logOffset", 0},
                        {"messages", nlohmann::json::object()}}
      .dump();
}

/// A root directory and a launchd stand-in state directory per test, so tests run in
/// parallel; runs the built programs against them.
class CliTest : public ::testing::Test {
 protected:
  ProcessOutcome run(const std::vector<std::string>& arguments,
                     const std::string& program = INSTALLWARDEN_TEST_BINARY) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProcess(argv, {{"LAUNCHD_STANDIN_DIR", standin.path()}});
  }

  ProcessOutcome probe(const std::string& appPath = kAppPath, const std::string& version = "1.0",
                       const std::string& program = INSTALLWARDEN_TEST_BINARY) {
    return run({"--probe", root.path(), appPath, version}, program);
  }

  /// Names in the root, to see that nothing was written.
  std::set<std::string> rootEntries() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root.path())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  /// The stand-in's job folder for `domain` ("gui" means this user's domain).
  std::string jobFolder(const std::string& domain) const {
    const std::string name = domain == "gui" ? "gui/" + std::to_string(::getuid()) : domain;
    return name + "/" + kJobLabel;
  }

  test_support::TempDirectory root;
  test_support::TempDirectory standin;
};

}  // namespace installwarden::e2e
