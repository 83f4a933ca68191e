#include "assistant/status_file_writer.h"

#include <utility>

#include "os/files.h"

namespace installwarden {

StatusFileWriter::StatusFileWriter(std::string directory, SaveFunction save)
    : directory_(std::move(directory)), save_(std::move(save)) {
  if (!save_) {
    save_ = [](const std::string& bytes, const std::string& folder, const std::string& name,
               bool sync) -> std::optional<std::string> {
      const auto replaced =
          os::replaceAtomically(os::joinPath(folder, name), bytes, {.flushToDisk = sync});
      if (replaced) return std::nullopt;
      return replaced.reason();
    };
  }
}

std::optional<std::string> StatusFileWriter::write(const std::string& bytes) {
  const bool changed = !lastWritten_ || *lastWritten_ != bytes;
  auto failure = save_(bytes, directory_, "status.json", changed);
  if (failure) {
    // A failed save may still have replaced the file (its permissions step failed), so what
    // the file holds is no longer known: the next write flushes again.
    lastWritten_.reset();
  } else if (changed) {
    lastWritten_ = bytes;
  }
  return failure;
}

}  // namespace installwarden
