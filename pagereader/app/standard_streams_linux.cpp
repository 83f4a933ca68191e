#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "app/standard_streams.h"

namespace pagereader {

void silenceStandardError() {
  const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (devNull < 0) return;
  if (devNull != STDERR_FILENO) {
    dup2(devNull, STDERR_FILENO);
    close(devNull);
  }
}

void writeStandardOutput(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace pagereader
