#pragma once

#include <string>
#include <vector>

#include "core/ocr_output.h"
#include "core/recognizer.h"

namespace pagereader {

inline constexpr std::string_view kUnreadableImageMessage = "Failed to read image at path";
inline constexpr std::string_view kRecognitionFailurePrefix = "Vision OCR failed: ";

/// What a run prints and the status it ends with.
struct RunOutcome {
  OcrOutput output;
  int exitStatus = 0;
};

/// The whole program over `arguments` (program path first): command line, image, recognition.
/// The first failing step decides the outcome; the recogniser runs only on a loaded image.
RunOutcome runPagereader(const std::vector<std::string>& arguments, ImageLoader& loader,
                         Recognizer& recognizer);

}  // namespace pagereader
