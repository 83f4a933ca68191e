#include "core/run.h"

#include <memory>

#include "core/args.h"
#include "core/collect_blocks.h"

namespace pagereader {

RunOutcome runPagereader(const std::vector<std::string>& arguments, ImageLoader& loader,
                         Recognizer& recognizer) {
  const auto invocation = readCommandLine(arguments);
  if (!invocation) return {OcrOutput::failure(invocation.reason()), 2};

  const std::unique_ptr<Image> image = loader.load(invocation->imagePath);
  if (!image) return {OcrOutput::failure(kUnreadableImageMessage), 1};
  const ImageSize size{static_cast<double>(image->width()), static_cast<double>(image->height())};
  const PixelExtent minimum = recognizer.minimumImageSize();
  if (image->width() < minimum.width || image->height() < minimum.height) {
    return {OcrOutput::success({}), 0};  // readable, but too small to hold text
  }

  const Recognition recognition = recognizer.recognize(*image);
  if (!recognition) {
    return {OcrOutput::failure(std::string(kRecognitionFailurePrefix) + recognition.reason()), 1};
  }
  return {OcrOutput::success(collectBlocks(*recognition, size, invocation->scale)), 0};
}

PrintedRun printedRun(const RunOutcome& outcome) {
  PrintedRun printed{jsonLine(outcome.output), outcome.exitStatus};
  if (printed.line == kEncodeFailureLine && printed.exitStatus == 0) printed.exitStatus = 1;
  return printed;
}

}  // namespace pagereader
