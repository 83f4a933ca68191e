#include <system_error>

#include "recognition/model_directory.h"

namespace pagereader {

std::filesystem::path modelDirectory() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return (program.parent_path() / PAGEREADER_MODELS_FROM_PROGRAM).lexically_normal();
}

}  // namespace pagereader
