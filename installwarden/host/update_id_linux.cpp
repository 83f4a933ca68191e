#include <sys/random.h>

#include <cerrno>
#include <cstring>

#include "host/update_id.h"
#include "installwarden/host/update_request.h"

namespace installwarden::host {

common::Result<std::string> newUpdateId() {
  std::array<std::uint8_t, 16> bytes{};
  // Sixteen bytes from the kernel's generator come whole once it is seeded; it blocks until then.
  for (;;) {
    const ssize_t count = ::getrandom(bytes.data(), bytes.size(), 0);
    if (count == static_cast<ssize_t>(bytes.size())) break;
    if (count < 0 && errno == EINTR) continue;
    return common::Failure{std::string("no random bytes for an update id: ") +
                           (count < 0 ? std::strerror(errno) : "short read")};
  }
  return formatUpdateId(bytes);
}

}  // namespace installwarden::host
