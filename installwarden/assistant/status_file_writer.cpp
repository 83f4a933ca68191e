#include "assistant/status_file_writer.h"

#include <utility>

#include "os/files.h"

namespace installwarden {

StatusFileWriter::StatusFileWriter(std::string directory, SaveFunction save)
    : path_(os::joinPath(directory, "status.json")), save_(std::move(save)) {
  if (!save_) {
    save_ = [](const std::string& path, const std::string& bytes, bool flushToDisk) {
      return os::replaceAtomically(path, bytes, {.mode = 0600, .flushToDisk = flushToDisk});
    };
  }
}

common::Result<void> StatusFileWriter::write(const std::string& bytes) {
  const bool changed = !lastWritten_ || *lastWritten_ != bytes;
  auto saved = save_(path_, bytes, changed);
  if (!saved) {
    // The next write flushes whatever it writes, rather than rely on what a failed save left.
    lastWritten_.reset();
  } else if (changed) {
    lastWritten_ = bytes;
  }
  return saved;
}

}  // namespace installwarden
