#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "os/files.h"

namespace installwarden {

/// Largest exchange file read whole (request, command, status, receipt, show, Info.plist).
inline constexpr std::size_t kMaxExchangeFileBytes = 4 * 1024 * 1024;

/// The bytes of `<directory>/<name>`, or nothing when it is missing, unreadable, not a regular
/// file or larger than kMaxExchangeFileBytes.
inline std::optional<std::string> readExchangeFile(const std::string& directory,
                                                   const std::string& name) {
  return os::readWholeFile(os::joinPath(directory, name), kMaxExchangeFileBytes);
}

}  // namespace installwarden
