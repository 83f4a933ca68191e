#include "core/run.h"

#include <memory>
#include <variant>

#include "core/args.h"
#include "core/collect_blocks.h"

namespace pagereader {

RunOutcome runPagereader(const std::vector<std::string>& arguments, ImageLoader& loader,
                         Recognizer& recognizer) {
  const auto commandLine = readCommandLine(arguments);
  if (const auto* usage = std::get_if<UsageError>(&commandLine)) {
    return {OcrOutput::failure(usage->message), 2};
  }
  const auto& invocation = std::get<Invocation>(commandLine);

  const std::unique_ptr<Image> image = loader.load(invocation.imagePath);
  if (!image) return {OcrOutput::failure(kUnreadableImageMessage), 1};
  const ImageSize size{static_cast<double>(image->width()), static_cast<double>(image->height())};
  const PixelExtent minimum = recognizer.minimumImageSize();
  if (image->width() < minimum.width || image->height() < minimum.height) {
    return {OcrOutput::success({}), 0};  // readable, but too small to hold text
  }

  const Recognition recognition = recognizer.recognize(*image);
  if (recognition.failure) {
    return {OcrOutput::failure(std::string(kRecognitionFailurePrefix) + *recognition.failure), 1};
  }
  return {OcrOutput::success(collectBlocks(recognition.observations, size, invocation.scale)), 0};
}

PrintedRun printedRun(const RunOutcome& outcome) {
  PrintedRun printed{jsonLine(outcome.output), outcome.exitStatus};
  if (printed.line == kEncodeFailureLine && printed.exitStatus == 0) printed.exitStatus = 1;
  return printed;
}

}  // namespace pagereader
