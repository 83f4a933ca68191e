#include "os/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "os/file_descriptor.h"

namespace os {

namespace {

common::Failure systemError(int error) { return common::Failure{std::strerror(error)}; }

/// The folder part of `path` ("" or ending in '/') and its last component.
std::pair<std::string, std::string> splitPath(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

/// mkostemp's pattern for the temporary file of a replacement of `name`.
constexpr std::string_view kTemporarySuffix = "XXXXXX";
std::string temporaryPattern(const std::string& name) {
  return "." + name + "." + std::string(kTemporarySuffix);
}

bool isTemporaryOf(std::string_view entry, const std::string& name) {
  const std::string pattern = temporaryPattern(name);
  const std::string_view prefix(pattern.data(), pattern.size() - kTemporarySuffix.size());
  if (entry.size() != pattern.size() || !entry.starts_with(prefix)) return false;
  // mkostemp's letters, whatever the locale says a letter is.
  return std::all_of(
      entry.begin() + static_cast<std::ptrdiff_t>(prefix.size()), entry.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
      });
}

}  // namespace

std::optional<FileDescriptor> openRegularFile(const std::string& path) {
  // Checked before opening: opening a device can have effects of its own.
  struct stat checked {};
  if (::stat(path.c_str(), &checked) != 0 || !S_ISREG(checked.st_mode)) return std::nullopt;
  int fd;
  do {
    // Should the path be swapped for a FIFO or device meanwhile, the open neither waits for a
    // writer nor makes a terminal the controlling one, and the check below refuses it.
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  FileDescriptor file(fd);
  struct stat opened {};
  if (!file.valid() || ::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
      opened.st_dev != checked.st_dev || opened.st_ino != checked.st_ino) {
    return std::nullopt;
  }
  return file;
}

std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes) {
  const auto file = openRegularFile(path);
  if (!file) return std::nullopt;
  struct stat info {};
  if (::fstat(file->get(), &info) != 0) return std::nullopt;
  if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > maxBytes) return std::nullopt;

  // The size is only a hint (files in /proc report 0, a file may grow): read to EOF, capped.
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[16384];
  for (;;) {
    const ssize_t count = ::read(file->get(), buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (count == 0) break;
    if (bytes.size() + static_cast<std::size_t>(count) > maxBytes) return std::nullopt;
    bytes.append(buffer, static_cast<std::size_t>(count));
  }
  return bytes;
}

std::optional<std::string> readSymbolicLink(const std::string& path, std::size_t maxBytes) {
  std::string target(std::min<std::size_t>(4096, maxBytes), '\0');
  for (;;) {
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return std::nullopt;
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    if (target.size() >= maxBytes) return std::nullopt;  // possibly cut short
    target.resize(std::min(target.size() * 2, maxBytes));
  }
}

std::optional<std::string> readAt(int fd, std::uint64_t offset, std::size_t count) {
  std::string bytes(count, '\0');
  std::size_t filled = 0;
  while (filled < count) {
    const ssize_t got =
        ::pread(fd, bytes.data() + filled, count - filled, static_cast<off_t>(offset + filled));
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

common::Result<void> writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return systemError(errno);
    }
    if (written == 0) return systemError(EIO);  // would otherwise spin forever
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return common::done();
}

common::Result<void> replaceAtomically(const std::string& path, std::string_view bytes,
                                       const ReplaceOptions& options) {
  const auto [folder, name] = splitPath(path);
  std::string temporary = folder + temporaryPattern(name);
  // mkostemp creates the file with O_CREAT|O_EXCL and mode 0600 under a unique name.
  FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC | O_NOFOLLOW));
  if (!file.valid()) return systemError(errno);

  const auto fail = [&temporary](common::Failure failure) -> common::Result<void> {
    ::unlink(temporary.c_str());
    return failure;
  };
  if (auto written = writeAll(file.get(), bytes); !written) {
    return fail(common::Failure{written.reason()});
  }
  if (options.flushToDisk && ::fsync(file.get()) != 0) return fail(systemError(errno));
  // On the descriptor, so the mode lands on the very file that becomes the target.
  if (::fchmod(file.get(), options.mode) != 0) return fail(systemError(errno));
  if (auto closed = file.close(); !closed) return fail(common::Failure{closed.reason()});
  if (::rename(temporary.c_str(), path.c_str()) != 0) return fail(systemError(errno));
  return common::done();
}

void removeReplacementLeftovers(const std::string& path) {
  const auto [folder, name] = splitPath(path);
  const FileDescriptor folderFd(
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folderFd.valid()) return;
  // The listing gets a descriptor of its own; folderFd names the entries without a path.
  DIR* listing = ::fdopendir(::fcntl(folderFd.get(), F_DUPFD_CLOEXEC, 0));
  if (listing == nullptr) return;
  while (const dirent* entry = ::readdir(listing)) {
    if (!isTemporaryOf(entry->d_name, name)) continue;
    struct stat info {};
    if (::fstatat(folderFd.get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode)) {
      ::unlinkat(folderFd.get(), entry->d_name, 0);
    }
  }
  ::closedir(listing);
}

std::string joinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;  // the current directory, as a relative root means
  if (directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

}  // namespace os
