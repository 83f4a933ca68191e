#include <sched.h>

#include <thread>

#include "recognition/worker_count.h"

namespace pagereader {

unsigned workerCount() {
  // The cores this process may run on, which `taskset` and container limits narrow.
  cpu_set_t cores;
  CPU_ZERO(&cores);
  if (sched_getaffinity(0, sizeof(cores), &cores) == 0) {
    const int count = CPU_COUNT(&cores);
    if (count > 0) return static_cast<unsigned>(count);
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace pagereader
