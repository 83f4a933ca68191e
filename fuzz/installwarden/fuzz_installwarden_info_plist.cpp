// Feeds arbitrary bytes to the reader of a bundle's Info.plist, XML or binary, as the assistant
// reads it for the installed version and the executable to reopen: it must answer or refuse,
// never crash, hang or leak.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "assistant/bundle_info.h"
#include "os/files.h"

namespace {

/// A bundle in a temporary folder, removed when the fuzzer exits.
class ScratchBundle {
 public:
  ScratchBundle() {
    std::string folder =
        (std::filesystem::temp_directory_path() / "fuzz-info-plist-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) ::abort();
    folder_ = folder;
    bundle_ = folder_ + "/Example.app";
    std::filesystem::create_directories(bundle_ + "/Contents");
  }
  ~ScratchBundle() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  const std::string& path() const { return bundle_; }
  void setInfoPlist(std::string_view bytes) const {
    if (!os::replaceAtomically(bundle_ + "/Contents/Info.plist", bytes, {.flushToDisk = false})) {
      ::abort();
    }
  }

 private:
  std::string folder_;
  std::string bundle_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchBundle bundle;
  bundle.setInfoPlist(std::string_view(reinterpret_cast<const char*>(data), size));
  (void)installwarden::installedVersion(bundle.path());
  (void)installwarden::bundleInfoString(bundle.path(), "CFBundleExecutable");
  return 0;
}
