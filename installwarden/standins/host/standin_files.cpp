#include "standin_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "os/file_descriptor.h"
#include "os/files.h"

namespace installwarden::standins {

namespace {

// Logs, scenarios and property lists of a simulated update stay far below this.
constexpr std::size_t kMaxStandinFileBytes = 64 * 1024 * 1024;

}  // namespace

std::optional<std::string> readFile(const std::string& path) {
  return os::readWholeFile(path, kMaxStandinFileBytes);
}

common::Result<void> replaceFile(const std::string& path, const std::string& bytes, unsigned mode) {
  return os::replaceAtomically(path, bytes, {.mode = mode, .flushToDisk = false});
}

common::Result<void> appendToFile(const std::string& path, const std::string& bytes) {
  const os::FileDescriptor file(
      ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (!file.valid()) return common::Failure{"cannot open " + path + ": " + std::strerror(errno)};
  // One write, not a loop: a second write could land after another writer's line.
  const ssize_t written = ::write(file.get(), bytes.data(), bytes.size());
  if (written != static_cast<ssize_t>(bytes.size())) {
    return common::Failure{"cannot append to " + path};
  }
  return common::done();
}

common::Result<void> makeDirectories(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  if (!std::filesystem::is_directory(path, error)) {
    return common::Failure{"cannot create the folder " + path};
  }
  return common::done();
}

}  // namespace installwarden::standins
