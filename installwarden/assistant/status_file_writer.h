#pragma once

#include <functional>
#include <optional>
#include <string>

#include "result/result.h"

namespace installwarden {

/// Writes status.json in one directory. Every write replaces the file atomically; it is flushed
/// to disk only when the bytes differ from the last successful write (or the previous write
/// failed), so an assistant that waits and publishes the same status twice a second does not
/// hit the disk each time.
class StatusFileWriter {
 public:
  /// Replaces the file at `path` with `bytes` atomically, flushing them to disk first when
  /// asked: os::replaceAtomically, or a stand-in for tests.
  using SaveFunction = std::function<common::Result<void>(
      const std::string& path, const std::string& bytes, bool flushToDisk)>;

  explicit StatusFileWriter(std::string directory, SaveFunction save = {});

  /// Saves `bytes` as "status.json"; the failure says why it could not.
  common::Result<void> write(const std::string& bytes);

 private:
  std::string path_;
  SaveFunction save_;
  std::optional<std::string> lastWritten_;
};

}  // namespace installwarden
