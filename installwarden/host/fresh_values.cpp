#include "host/fresh_values.h"

#include <limits>

namespace installwarden::host {

std::int64_t nextSequence(std::optional<std::int64_t> last, std::int64_t nowMicroseconds) {
  std::int64_t next = nowMicroseconds;
  if (last && next <= *last) {
    next = *last == std::numeric_limits<std::int64_t>::max() ? 0 : *last + 1;
  }
  if (next == -1) next = 0;
  return next;
}

std::string nextShowBytes(const std::optional<std::string>& current, std::int64_t nowMicroseconds) {
  std::string bytes = std::to_string(nowMicroseconds);
  if (current && *current == bytes) bytes += '+';
  return bytes;
}

}  // namespace installwarden::host
