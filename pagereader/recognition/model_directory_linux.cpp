#include "os/proc.h"
#include "recognition/model_directory.h"

namespace pagereader {

std::filesystem::path modelDirectory() {
  const auto executable = os::ownExecutablePath();
  if (!executable) return {};
  const std::filesystem::path program = *executable;
  return (program.parent_path() / PAGEREADER_MODELS_FROM_PROGRAM).lexically_normal();
}

}  // namespace pagereader
