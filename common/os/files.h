#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "os/file_descriptor.h"
#include "result/result.h"

/// File reads and writes on Linux. Every descriptor is opened close-on-exec and closed before
/// the call returns.
namespace os {

/// The regular file at `path` (symbolic links followed) open for reading, or nothing when it is
/// missing, unreadable or not a regular file. The type is checked before opening, so a FIFO or
/// device is never opened, and again on the open descriptor (the same file as checked).
std::optional<FileDescriptor> openRegularFile(const std::string& path);

/// All bytes of the regular file at `path` (symbolic links followed), or nothing when it is
/// missing, unreadable, not a regular file (a FIFO or device would block or never end) or
/// larger than `maxBytes`. Read to its end, so files that report no size (/proc) read whole.
std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes);

/// Where the symbolic link at `path` points, or nothing when it is no link, cannot be read or
/// points further than `maxBytes`.
std::optional<std::string> readSymbolicLink(const std::string& path,
                                            std::size_t maxBytes = 64 * 1024);

/// Up to `count` bytes of `fd` from `offset` on (fewer at the end of the file), or nothing when
/// a read fails.
std::optional<std::string> readAt(int fd, std::uint64_t offset, std::size_t count);

/// Writes all of `bytes` to `fd`, through short writes and interruptions.
common::Result<void> writeAll(int fd, std::string_view bytes);

/// How `replaceAtomically` writes.
struct ReplaceOptions {
  mode_t mode = 0600;
  bool flushToDisk = true;  ///< fsync the data before it takes the target's place
};

/// Replaces `path` with `bytes` so that readers see the old or the new content, never a mix: a
/// temporary file ".<name>.XXXXXX" is created in the same folder with mode 0600, written,
/// flushed when asked, given `options.mode` through its descriptor, closed and renamed over
/// `path` (a symbolic link there is replaced, not followed). On failure the reason is the
/// system's error text and no temporary file is left behind.
common::Result<void> replaceAtomically(const std::string& path, std::string_view bytes,
                                       const ReplaceOptions& options = {});

/// Removes what writers of `path` killed during `replaceAtomically` left behind: the regular
/// files named as its temporary files (".<name>." and six letters or digits) in the same
/// folder. Symbolic links, folders and every other name are left alone. Only for a caller that
/// knows no other writer of `path` is at work.
void removeReplacementLeftovers(const std::string& path);

/// `directory` + "/" + `name` without a doubled slash; an empty directory is the current one.
std::string joinPath(const std::string& directory, const std::string& name);

}  // namespace os
