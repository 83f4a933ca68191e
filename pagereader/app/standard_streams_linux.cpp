#include <fcntl.h>
#include <unistd.h>

#include "app/standard_streams.h"
#include "os/files.h"

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
  // Nobody is left to tell about a failed write: the exit status already says how it went.
  [[maybe_unused]] const auto written = os::writeAll(STDOUT_FILENO, bytes);
}

}  // namespace pagereader
