#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "app/assistant_lock.h"
#include "os/files.h"

namespace installwarden {

std::optional<int> takeAssistantLock(const std::string& root) {
  // O_CLOEXEC: a process the assistant starts must not inherit, and so prolong, the lock.
  const int fd = ::open(os::joinPath(root, "assistant.lock").c_str(),
                        O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return std::nullopt;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return std::nullopt;
  }
  return fd;
}

}  // namespace installwarden
