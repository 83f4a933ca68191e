#pragma once

#include <optional>
#include <string>

#include "result/result.h"

namespace installwarden::standins {

/// All bytes of the regular file at `path`, or nothing when it cannot be read.
std::optional<std::string> readFile(const std::string& path);

/// Replaces `path` with `bytes` the way an installer does: a temporary file in the same folder,
/// written whole, then renamed over the target, so a reader sees the old or the new content.
/// `mode` applies to the new file. On failure no temporary file is left behind.
common::Result<void> replaceFile(const std::string& path, const std::string& bytes,
                                 unsigned mode = 0644);

/// Appends `bytes` to `path` (created when missing) with a single write, so a concurrent reader
/// never sees a line cut in two by another writer.
common::Result<void> appendToFile(const std::string& path, const std::string& bytes);

/// Creates `path` and its missing parents; fails when it is no folder afterwards.
common::Result<void> makeDirectories(const std::string& path);

}  // namespace installwarden::standins
