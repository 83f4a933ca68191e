#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace installwarden {

/// Largest exchange file read whole (request, command, status, receipt, show, Info.plist).
inline constexpr std::size_t kMaxExchangeFileBytes = 4 * 1024 * 1024;

/// All bytes of a regular file, or nothing when it is missing, unreadable, not a regular file
/// (a FIFO or device would block or never end) or larger than `maxBytes`.
std::optional<std::string> readWholeFile(const std::string& path,
                                         std::size_t maxBytes = kMaxExchangeFileBytes);

/// Writes `bytes` as `<directory>/<name>` atomically: a temporary file created with mode 0600
/// in the same directory, written, renamed over the target, then chmod 0600. Readers see the
/// old or the new content, never a mix. On failure returns a description and leaves no
/// temporary file behind. When `sync` is true the data is flushed to disk before the rename.
std::optional<std::string> save(const std::string& bytes, const std::string& directory,
                                const std::string& name, bool sync = true);

/// `directory` + "/" + `name` (no doubled slash).
std::string joinPath(const std::string& directory, const std::string& name);

}  // namespace installwarden
