#include "assistant/log_follower.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <string>

#include "update_state/file_descriptor.h"

namespace installwarden {
namespace {

int openForReading(const std::string& path) {
  int fd;
  do {
    // O_NONBLOCK: opening a FIFO without a writer must not hang the tick.
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

/// Reads up to `count` bytes at `offset`; nothing on a read error.
bool readAt(int fd, std::uint64_t offset, std::size_t count, std::string& bytes) {
  bytes.resize(count);
  std::size_t filled = 0;
  while (filled < count) {
    const ssize_t got =
        ::pread(fd, bytes.data() + filled, count - filled, static_cast<off_t>(offset + filled));
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return true;
}

/// Length of the longest proper prefix of the marker that ends `bytes`.
std::size_t trailingMarkerPrefix(std::string_view bytes) {
  for (std::size_t length = std::min(bytes.size(), kAppStillRunningMarker.size() - 1); length > 0;
       --length) {
    if (bytes.ends_with(kAppStillRunningMarker.substr(0, length))) return length;
  }
  return 0;
}

}  // namespace

LogReadResult readInstallerLog(const std::string& logPath, std::uint64_t position) {
  LogReadResult result{position, false};
  const FileDescriptor file(openForReading(logPath));
  if (file.get() < 0) return result;

  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return result;
  const auto length = static_cast<std::uint64_t>(info.st_size);
  if (length < result.position) result.position = 0;  // truncated or replaced by a shorter log

  const std::uint64_t available = length - result.position;
  if (available == 0) return result;
  std::string bytes;
  const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(available, kLogReadLimit));
  if (!readAt(file.get(), result.position, count, bytes) || bytes.empty()) return result;

  // The raw bytes are searched instead of their UTF-8 decoding with replacement characters:
  // the marker is ASCII, a decoder never folds an ASCII byte into a replacement character, and
  // a replacement character is not ASCII, so both searches find exactly the same occurrences.
  result.markerSeen =
      std::string_view(bytes).find(kAppStillRunningMarker) != std::string_view::npos;
  // A read that ends inside a marker (the read limit, or the installer caught mid-write) leaves
  // that start unconsumed, so the next read sees the marker whole instead of losing it.
  const std::size_t heldBack = result.markerSeen ? 0 : trailingMarkerPrefix(bytes);
  result.position += bytes.size() - heldBack;
  return result;
}

}  // namespace installwarden
