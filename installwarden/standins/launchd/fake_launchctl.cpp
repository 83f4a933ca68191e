// A launchd stand-in for tests and the demo: answers `print` and `kickstart` for jobs that
// live as directories, the way the launchd control tool does for real jobs.
//
//   fake-launchctl print <domain>/<label>
//   fake-launchctl kickstart <domain>/<label>
//
// <domain> is "gui/<uid>" or "system". The state directory comes from LAUNCHD_STANDIN_DIR
// (unset: message on stderr, exit 64); a job is the directory
// $LAUNCHD_STANDIN_DIR/<domain>/<label>/ holding:
//   description       text printed inside the service block ("\tprogram = ...\n" lines)
//   command           the job's argv, one argument per line, started by kickstart
//   pid               written by kickstart: the pid of the started process
// Fault knobs, also files in the job directory:
//   print-status      an integer: print exits with it (after printing)
//   kickstart-status  an integer: kickstart exits with it; non-zero starts nothing
//   print-output      raw bytes printed by print instead of the normal output
//   hang              present: sleep forever before doing anything
// print: missing job -> "Could not find service ..." on stderr, exit 113; otherwise
// "<target> = {\n", the description, "\tpid = N\n" while the pid file names a live,
// non-zombie process, "}\n", exit 0.
// kickstart: missing job -> exit 113; otherwise the command is started detached (own session,
// standard streams on /dev/null) and its pid written to `pid` atomically; exit 0. Without a
// command file nothing is started and the exit status is 0.
// Every call that names a job is appended to $LAUNCHD_STANDIN_DIR/calls.log as
// "<verb> <target>\n".

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "child_reaper.h"
#include "os/proc.h"
#include "standin_files.h"

namespace {

using installwarden::standins::appendToFile;
using installwarden::standins::readFile;
using installwarden::standins::replaceFile;
using installwarden::standins::startDetached;

constexpr int kUsageStatus = 64;
constexpr int kNoSuchServiceStatus = 113;

struct Target {
  std::string domain;
  std::string label;
};

bool isDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isAllDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

/// "gui/<uid>/<label>" or "system/<label>"; the label must not leave the job's folder.
std::optional<Target> parseTarget(const std::string& text) {
  Target target;
  std::string rest;
  if (text.starts_with("system/")) {
    target.domain = "system";
    rest = text.substr(7);
  } else if (text.starts_with("gui/")) {
    const auto slash = text.find('/', 4);
    if (slash == std::string::npos || !isAllDigits(text.substr(4, slash - 4))) return std::nullopt;
    target.domain = text.substr(0, slash);
    rest = text.substr(slash + 1);
  } else {
    return std::nullopt;
  }
  if (rest.empty() || rest == "." || rest == ".." || rest.find('/') != std::string::npos) {
    return std::nullopt;
  }
  target.label = rest;
  return target;
}

std::optional<int> readInteger(const std::string& path) {
  const auto text = readFile(path);
  if (!text) return std::nullopt;
  try {
    return std::stoi(*text);
  } catch (...) {
    return std::nullopt;
  }
}

int print(const std::string& jobDir, const std::string& targetText) {
  if (const auto raw = readFile(jobDir + "/print-output")) {
    std::cout << *raw;
  } else {
    std::cout << targetText << " = {\n" << readFile(jobDir + "/description").value_or("");
    const auto pid = readInteger(jobDir + "/pid");
    if (pid && os::isRunning(*pid)) std::cout << "\tpid = " << *pid << "\n";
    std::cout << "}\n";
  }
  std::cout.flush();
  return readInteger(jobDir + "/print-status").value_or(0);
}

std::vector<std::string> commandLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int kickstart(const std::string& jobDir) {
  if (const auto status = readInteger(jobDir + "/kickstart-status"); status && *status != 0) {
    return *status;
  }
  const auto command = readFile(jobDir + "/command");
  if (!command) return 0;
  const auto argv = commandLines(*command);
  if (argv.empty()) return 0;
  const auto pid = startDetached(argv);
  if (!pid) return 1;
  return replaceFile(jobDir + "/pid", std::to_string(*pid) + "\n") ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const char* stateDir = std::getenv("LAUNCHD_STANDIN_DIR");
  if (stateDir == nullptr || *stateDir == '\0') {
    std::cerr << "fake-launchctl: LAUNCHD_STANDIN_DIR is not set\n";
    return kUsageStatus;
  }
  const std::string verb = argc == 3 ? argv[1] : "";
  const auto target = argc == 3 ? parseTarget(argv[2]) : std::nullopt;
  if ((verb != "print" && verb != "kickstart") || !target) {
    std::cerr << "usage: fake-launchctl print|kickstart <gui/<uid>|system>/<label>\n";
    return kUsageStatus;
  }
  const std::string targetText = argv[2];
  const std::string jobDir = std::string(stateDir) + "/" + target->domain + "/" + target->label;

  if (::access((jobDir + "/hang").c_str(), F_OK) == 0) {
    for (;;) ::pause();
  }
  // The call log is for the tests to read; a call it misses still runs.
  [[maybe_unused]] const auto logged =
      appendToFile(std::string(stateDir) + "/calls.log", verb + " " + targetText + "\n");

  if (!isDirectory(jobDir)) {
    std::cerr << "Could not find service \"" << target->label
              << "\" in domain for stand-in: " << target->domain << "\n";
    return kNoSuchServiceStatus;
  }
  return verb == "print" ? print(jobDir, targetText) : kickstart(jobDir);
}
