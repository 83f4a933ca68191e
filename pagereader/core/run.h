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

/// What reaches standard output and the status the process ends with.
struct PrintedRun {
  std::string line;
  int exitStatus = 0;
};

/// The outcome's JSON line. An output that cannot be encoded (a non-finite box value) is
/// printed as the fixed failure line and, being a failure, ends with status 1, not 0.
PrintedRun printedRun(const RunOutcome& outcome);

/// The whole program over `arguments` (program path first): command line, image, recognition.
/// The first failing step decides the outcome; the recogniser runs only on a loaded image at
/// least as large as its stated minimum, and a smaller one is an image without text.
RunOutcome runPagereader(const std::vector<std::string>& arguments, ImageLoader& loader,
                         Recognizer& recognizer);

}  // namespace pagereader
