#include "standin_files.h"

#include <fcntl.h>
#include <unistd.h>

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

bool replaceFile(const std::string& path, const std::string& bytes, unsigned mode) {
  return os::replaceAtomically(path, bytes, {.mode = mode, .flushToDisk = false}).ok();
}

bool appendToFile(const std::string& path, const std::string& bytes) {
  const os::FileDescriptor file(
      ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (!file.valid()) return false;
  return ::write(file.get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

bool makeDirectories(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  return std::filesystem::is_directory(path, error);
}

}  // namespace installwarden::standins
