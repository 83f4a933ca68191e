#include <dlfcn.h>

#include "recognition/openmp_threads.h"

namespace pagereader {

void keepOpenMpOnOneThread() {
  // Looked up at run time: the runtime comes with the engine's library, if that was built
  // with OpenMP at all, and this program does not link it itself.
  using SetMaxActiveLevels = void (*)(int);
  if (void* symbol = dlsym(RTLD_DEFAULT, "omp_set_max_active_levels")) {
    reinterpret_cast<SetMaxActiveLevels>(symbol)(0);
  }
}

}  // namespace pagereader
