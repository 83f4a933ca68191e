#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/assistant_loader.h"
#include "os/proc.h"

namespace installwarden {

namespace {

std::optional<std::string> executableDirectory() {
  const auto path = os::ownExecutablePath();
  if (!path) return std::nullopt;
  const auto slash = path->rfind('/');
  if (slash == std::string::npos) return std::nullopt;
  return path->substr(0, slash);
}

}  // namespace

std::optional<int> runAssistantFromLibrary(const AssistantLaunch& launch) {
  const auto directory = executableDirectory();
  if (!directory) return std::nullopt;
  const std::string library =
      *directory + "/" + INSTALLWARDEN_ASSISTANT_LIBRARY_DIR + "/" + kAssistantLibraryName;
  // Missing or broken, the installation is incomplete: say so, since the process would
  // otherwise end without a trace and without ever writing status.json.
  void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "installwarden: cannot load %s: %s\n", library.c_str(), ::dlerror());
    return std::nullopt;
  }
  using RunAssistant = decltype(&installwardenRunAssistant);
  const auto run = reinterpret_cast<RunAssistant>(::dlsym(handle, kRunAssistantSymbol));
  if (run == nullptr) {
    std::fprintf(stderr, "installwarden: %s has no %s\n", library.c_str(), kRunAssistantSymbol);
    return std::nullopt;
  }
  return run(&launch);  // the library stays loaded: the assistant runs until the process ends
}

}  // namespace installwarden
