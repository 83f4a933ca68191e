#include "os/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "os/file_descriptor.h"

namespace os {

namespace {

common::Failure systemError(int error) { return common::Failure{std::strerror(error)}; }

}  // namespace

std::optional<FileDescriptor> openRegularFile(const std::string& path) {
  int fd;
  do {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  FileDescriptor file(fd);
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
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
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temporary = folder + "." + name + ".XXXXXX";
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

std::string joinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;  // the current directory, as a relative root means
  if (directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

}  // namespace os
