#pragma once

#include <functional>
#include <optional>
#include <string>

namespace installwarden {

/// Writes status.json in one directory. Every write replaces the file atomically; it is flushed
/// to disk only when the bytes differ from the last successful write (or the previous write
/// failed), so an assistant that waits and publishes the same status twice a second does not
/// hit the disk each time.
class StatusFileWriter {
 public:
  /// Replaces the file atomically (os::replaceAtomically) or stands in for it: nothing on success,
  /// else a description of the failure.
  using SaveFunction = std::function<std::optional<std::string>(
      const std::string& bytes, const std::string& directory, const std::string& name, bool sync)>;

  explicit StatusFileWriter(std::string directory, SaveFunction save = {});

  /// Saves `bytes` as "status.json"; nothing on success, else the failure's description.
  std::optional<std::string> write(const std::string& bytes);

 private:
  std::string directory_;
  SaveFunction save_;
  std::optional<std::string> lastWritten_;
};

}  // namespace installwarden
