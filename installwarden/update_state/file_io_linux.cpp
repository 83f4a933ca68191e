#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "update_state/file_descriptor.h"
#include "update_state/file_io.h"

namespace installwarden {

namespace {

std::string errorText(int error) { return std::strerror(error); }

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

std::string joinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;  // the current directory, as a relative root means
  if (directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > maxBytes) return std::nullopt;

  // The size is only a hint (files in /proc report 0, a file may grow): read to EOF, capped.
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[16384];
  for (;;) {
    const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
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

std::optional<std::string> save(const std::string& bytes, const std::string& directory,
                                const std::string& name, bool sync) {
  const std::string target = joinPath(directory, name);
  std::string temporary = joinPath(directory, "." + name + ".XXXXXX");
  // mkostemp creates the file with O_CREAT|O_EXCL and mode 0600 under a unique name.
  FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC | O_NOFOLLOW));
  if (file.get() < 0) return errorText(errno);

  const auto fail = [&temporary](int error) -> std::optional<std::string> {
    ::unlink(temporary.c_str());
    return errorText(error);
  };
  if (!writeAll(file.get(), bytes)) return fail(errno);
  if (sync && ::fsync(file.get()) != 0) return fail(errno);
  // On the descriptor, so the mode lands on the very file that becomes the target.
  if (::fchmod(file.get(), 0600) != 0) return fail(errno);
  if (file.close() != 0) return fail(errno);
  if (::rename(temporary.c_str(), target.c_str()) != 0) return fail(errno);
  return std::nullopt;
}

}  // namespace installwarden
