#include "recognition/recognizer_neural.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <future>
#include <mutex>
#include <thread>

#include <opencv2/core/utils/logger.hpp>
#include <opencv2/imgproc.hpp>

#include "reading/ctc_decoding.h"
#include "reading/detection_geometry.h"
#include "reading/ink_extent.h"
#include "reading/line_text.h"
#include "reading/reading_order.h"
#include "reading/script_choice.h"
#include "reading/width_plan.h"
#include "recognition/chinese_scripts_opencc.h"
#include "recognition/engine_lines.h"
#include "recognition/image_loader_leptonica.h"
#include "recognition/image_pixels_leptonica.h"
#include "recognition/text_networks_opencv.h"

namespace pagereader {
namespace {

// Detection settings the detector was trained with.
constexpr int kDetectorMaxSide = 1280;
constexpr float kTextThreshold = 0.3f;
constexpr double kMinimumBoxScore = 0.5;
constexpr double kExpansion = 1.6;
constexpr double kSmallestCore = 3;  ///< pixels of the detector's input
constexpr double kSmallestLine = 5;  ///< once expanded
constexpr std::size_t kMostRegions = 1000;
// Each worker holds a recogniser of its own (about 20 MB); beyond four, memory grows faster than
// the time falls.
constexpr unsigned kMostWorkers = 4;
// An ideograph or a space the recogniser gives to the blank but names with this probability is
// read.
constexpr float kHesitantFloor = 0.05f;

Recognition failure(std::string description) { return common::Failure{std::move(description)}; }

// The text regions of the detector's probability map, in image pixels.
std::vector<Quad> textRegions(const cv::Mat& map, PixelSize image) {
  cv::Mat mask = map > kTextThreshold;
  std::vector<std::vector<cv::Point>> contours;
  cv::findContours(mask, contours, cv::RETR_LIST, cv::CHAIN_APPROX_SIMPLE);
  const ProbabilityMap probabilities{
      {map.ptr<float>(), static_cast<std::size_t>(map.total())}, map.cols, map.rows};
  const double scaleX = static_cast<double>(image.width) / map.cols;
  const double scaleY = static_cast<double>(image.height) / map.rows;
  std::vector<Quad> regions;
  for (std::size_t i = 0; i < std::min(contours.size(), kMostRegions); ++i) {
    const cv::RotatedRect rect = cv::minAreaRect(contours[i]);
    std::array<cv::Point2f, 4> points;
    rect.points(points.data());
    std::array<Point, 4> corners;
    for (std::size_t c = 0; c < 4; ++c) corners[c] = {points[c].x, points[c].y};
    const Quad core = clockwiseFromTopLeft(corners);
    if (shortSide(core) < kSmallestCore) continue;
    if (meanInside(probabilities, core) < kMinimumBoxScore) continue;
    const Quad line = expanded(core, kExpansion);
    if (shortSide(line) < kSmallestLine) continue;
    regions.push_back(
        scaledToImage(withReadingMargin(line), scaleX, scaleY, image.width, image.height));
  }
  return regions;
}

// One line cut out of the image, upright, with what is needed to read it and place it.
struct LineCrop {
  cv::Mat bgr;          ///< upright, at its own size
  cv::Mat toImage;      ///< perspective transform from crop to image pixels
  bool turned = false;  ///< read after a quarter turn
};

// `words` are the page's pixels as Leptonica's colour words.
LineCrop cropLine(const cv::Mat& words, const Quad& quad) {
  const CropSize size = cropSize(quad);
  const int width = std::max(1, static_cast<int>(std::lround(size.width)));
  const int height = std::max(1, static_cast<int>(std::lround(size.height)));
  const std::array<cv::Point2f, 4> from{
      cv::Point2f(static_cast<float>(quad[0].x), static_cast<float>(quad[0].y)),
      cv::Point2f(static_cast<float>(quad[1].x), static_cast<float>(quad[1].y)),
      cv::Point2f(static_cast<float>(quad[2].x), static_cast<float>(quad[2].y)),
      cv::Point2f(static_cast<float>(quad[3].x), static_cast<float>(quad[3].y))};
  const std::array<cv::Point2f, 4> to{
      cv::Point2f(0, 0), cv::Point2f(static_cast<float>(width), 0),
      cv::Point2f(static_cast<float>(width), static_cast<float>(height)),
      cv::Point2f(0, static_cast<float>(height))};
  LineCrop crop;
  const cv::Mat toCrop = cv::getPerspectiveTransform(from.data(), to.data());
  crop.toImage = toCrop.inv();
  cv::Mat cut;
  cv::warpPerspective(words, cut, toCrop, cv::Size(width, height), cv::INTER_CUBIC,
                      cv::BORDER_REPLICATE);
  crop.bgr = bgrFromWords(cut);
  if (readsVertically({size.width, size.height})) {
    cv::rotate(crop.bgr, crop.bgr, cv::ROTATE_90_COUNTERCLOCKWISE);
    crop.turned = true;
  }
  return crop;
}

// The line's box in image pixels, shrunk to its ink.
EngineLine placedLine(const LineCrop& crop, const LineReading& reading) {
  cv::Mat grey;
  cv::cvtColor(crop.bgr, grey, cv::COLOR_BGR2GRAY);
  const std::optional<InkExtent> ink =
      inkExtent({grey.ptr<std::uint8_t>(), grey.total()}, grey.cols, grey.rows);
  InkExtent box = ink.value_or(InkExtent{0, 0, grey.cols, grey.rows});
  if (crop.turned) {  // back to the coordinates of the crop before its quarter turn
    box = {grey.rows - box.bottom, box.left, grey.rows - box.top, box.right};
  }
  std::vector<cv::Point2f> corners{{static_cast<float>(box.left), static_cast<float>(box.top)},
                                   {static_cast<float>(box.right), static_cast<float>(box.top)},
                                   {static_cast<float>(box.right), static_cast<float>(box.bottom)},
                                   {static_cast<float>(box.left), static_cast<float>(box.bottom)}};
  cv::perspectiveTransform(corners, corners, crop.toImage);
  float left = corners[0].x, right = corners[0].x, top = corners[0].y, bottom = corners[0].y;
  for (const cv::Point2f& corner : corners) {
    left = std::min(left, corner.x);
    right = std::max(right, corner.x);
    top = std::min(top, corner.y);
    bottom = std::max(bottom, corner.y);
  }
  EngineLine line;
  line.text = reading.text;
  line.confidence = reading.confidence * 100;
  line.left = static_cast<int>(std::floor(left));
  line.top = static_cast<int>(std::floor(top));
  line.right = static_cast<int>(std::ceil(right));
  line.bottom = static_cast<int>(std::ceil(bottom));
  return line;
}

// A blank run this fraction of the ink's height wide separates two words.
constexpr double kWordGap = 0.2;

InkGaps inkGaps(const cv::Mat& bgr, int inputWidth) {
  cv::Mat grey;
  cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
  const std::span<const std::uint8_t> pixels{grey.ptr<std::uint8_t>(), grey.total()};
  const std::optional<InkExtent> ink = inkExtent(pixels, grey.cols, grey.rows);
  InkGaps gaps;
  gaps.inkColumns = inkColumns(pixels, grey.cols, grey.rows);
  // One output step covers 8 input columns.
  gaps.columnsPerStep = 8.0 * grey.cols / inputWidth;
  gaps.wordGap =
      ink ? std::max(2.0, kWordGap * (ink->bottom - ink->top)) : static_cast<double>(grey.cols) + 1;
  return gaps;
}

// Reads every crop, `workers` at a time, widest first.
std::vector<LineReading> readLines(TextNetworks& networks, const std::vector<LineCrop>& crops,
                                   unsigned workers) {
  std::vector<cv::Mat> inputs(crops.size());
  std::vector<int> widths(crops.size());
  for (std::size_t i = 0; i < crops.size(); ++i) {
    widths[i] = recognitionWidth(crops[i].bgr.cols, crops[i].bgr.rows);
    cv::resize(crops[i].bgr, inputs[i], cv::Size(widths[i], kRecognitionHeight), 0, 0,
               cv::INTER_LINEAR);
  }
  const std::vector<std::size_t> order = widestFirst(widths);
  const CharacterClasses& classes = networks.classes();
  const HesitantCharacters hesitant = hesitantIdeographsAndSpaces(classes, kHesitantFloor);
  std::vector<LineReading> readings(crops.size());
  std::atomic<std::size_t> next{0};
  std::exception_ptr problem;
  std::mutex problemMutex;
  const auto work = [&] {
    try {
      for (std::size_t taken = next++; taken < order.size(); taken = next++) {
        const std::size_t i = order[taken];
        const cv::Mat rows = networks.recognize(inputs[i]);
        const auto characters =
            decodeGreedy({rows.ptr<float>(), rows.total()}, static_cast<std::size_t>(rows.rows),
                         static_cast<std::size_t>(rows.cols), hesitant);
        const InkGaps gaps = inkGaps(crops[i].bgr, widths[i]);
        readings[i] = lineText(characters, classes, &gaps);
      }
    } catch (...) {
      const std::lock_guard lock(problemMutex);
      if (!problem) problem = std::current_exception();
      next = order.size();
    }
  };
  const unsigned count = std::clamp<unsigned>(
      workers, 1, static_cast<unsigned>(std::max<std::size_t>(1, order.size())));
  // The lines share the cores; OpenCV's own threads inside each line would only contend.
  const int openCvThreads = cv::getNumThreads();
  if (count > 1) cv::setNumThreads(1);
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < count; ++t) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
  cv::setNumThreads(openCvThreads);
  if (problem) std::rethrow_exception(problem);
  return readings;
}

}  // namespace

NeuralRecognizer::NeuralRecognizer(std::filesystem::path modelDirectory, unsigned workers)
    : modelDirectory_(std::move(modelDirectory)), workers_(std::max(1u, workers)) {}

Recognition NeuralRecognizer::recognize(const Image& image) {
  const auto* leptonicaImage = dynamic_cast<const LeptonicaImage*>(&image);
  if (leptonicaImage == nullptr) return failure("the image was not decoded for this recogniser");
  try {
    cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
    auto loaded = TextNetworks::load(TextModelFiles::in(modelDirectory_));
    if (!loaded) return failure(loaded.reason());
    TextNetworks& networks = **loaded;
    // The recognisers and the script tables load on a thread of their own while the detector
    // runs.
    const unsigned workers = std::min(workers_, kMostWorkers);
    std::future<common::Result<std::unique_ptr<OpenCcScripts>>> readyToRead =
        std::async(std::launch::async,
                   [&networks, workers]() -> common::Result<std::unique_ptr<OpenCcScripts>> {
                     const common::Result<void> prepared = networks.prepareRecognizers(workers);
                     if (!prepared) return common::Failure{prepared.reason()};
                     return OpenCcScripts::open();
                   });

    const PagePixels page(leptonicaImage->pix());
    if (page.empty()) return failure("could not convert the image for recognition");
    const PixelSize size{page.words().cols, page.words().rows};
    const PixelSize input = detectorInputSize(size, kDetectorMaxSide);
    cv::Mat scaled;
    cv::resize(page.words(), scaled, cv::Size(input.width, input.height), 0, 0, cv::INTER_LINEAR);
    const std::vector<Quad> regions = textRegions(networks.detect(bgrFromWords(scaled)), size);

    std::vector<LineCrop> crops;
    crops.reserve(regions.size());
    for (const Quad& region : regions) crops.push_back(cropLine(page.words(), region));
    auto opened = readyToRead.get();
    if (!opened) return failure(opened.reason());
    ChineseScripts& scripts = **opened;
    const std::vector<LineReading> readings = readLines(networks, crops, workers);

    std::vector<EngineLine> lines;
    std::vector<LineExtent> extents;
    for (std::size_t i = 0; i < crops.size(); ++i) {
      lines.push_back(placedLine(crops[i], readings[i]));
      extents.push_back({static_cast<double>(lines.back().left),
                         static_cast<double>(lines.back().top),
                         static_cast<double>(lines.back().bottom)});
    }
    std::vector<EngineLine> ordered;
    std::vector<std::string> texts;
    for (const std::size_t i : readingOrder(extents)) {
      texts.push_back(lines[i].text);
      ordered.push_back(std::move(lines[i]));
    }
    texts = oneScriptPerPage(std::move(texts), scripts, networks.classes());
    for (std::size_t i = 0; i < ordered.size(); ++i) ordered[i].text = std::move(texts[i]);
    return observationsFromEngineLines(ordered, size.width, size.height);
  } catch (const cv::Exception&) {
    return failure("the text recogniser stopped on an internal error");
  } catch (const std::bad_alloc&) {
    return failure("not enough memory to recognise the image");
  } catch (const std::exception& error) {
    return failure(error.what());
  }
}

}  // namespace pagereader
