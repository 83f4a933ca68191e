#include "assistant/log_follower.h"

#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "os/files.h"

namespace installwarden {
namespace {

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
  const auto file = os::openRegularFile(logPath);
  if (!file) return result;

  struct stat info {};
  if (::fstat(file->get(), &info) != 0) return result;
  const auto length = static_cast<std::uint64_t>(info.st_size);
  if (length < result.position) result.position = 0;  // truncated or replaced by a shorter log

  const std::uint64_t available = length - result.position;
  if (available == 0) return result;
  const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(available, kLogReadLimit));
  const auto read = os::readAt(file->get(), result.position, count);
  if (!read || read->empty()) return result;
  const std::string_view bytes = *read;

  // The raw bytes are searched instead of their UTF-8 decoding with replacement characters:
  // the marker is ASCII, a decoder never folds an ASCII byte into a replacement character, and
  // a replacement character is not ASCII, so both searches find exactly the same occurrences.
  result.markerSeen = bytes.find(kAppStillRunningMarker) != std::string_view::npos;
  // A read that ends inside a marker (the read limit, or the installer caught mid-write) leaves
  // that start unconsumed, so the next read sees the marker whole instead of losing it.
  const std::size_t heldBack = result.markerSeen ? 0 : trailingMarkerPrefix(bytes);
  result.position += bytes.size() - heldBack;
  return result;
}

}  // namespace installwarden
