#include "recognition/text_networks_opencv.h"

#include <iterator>
#include <mutex>
#include <stdexcept>

#include <opencv2/core/utils/logger.hpp>
#include <opencv2/dnn.hpp>

#include "os/files.h"
#include "reading/detection_bands.h"
#include "reading/width_plan.h"

namespace pagereader {
namespace {

constexpr std::size_t kMaxModelBytes = 64ull << 20;
// A taller input is read in bands of this many rows, overlapping by enough that no kept row sees
// a cut edge within the detector's reach; the detector's working memory grows with its input.
constexpr int kBandRows = 512;
constexpr int kBandOverlap = 128;

std::string damagedModel(const std::filesystem::path& path) {
  return "the text model " + path.string() + " is damaged";
}

// The whole regular file at `path`, at most `kMaxModelBytes`; nothing otherwise.
std::optional<std::string> readModelFile(const std::filesystem::path& path) {
  return os::readWholeFile(path.string(), kMaxModelBytes);
}

std::optional<cv::dnn::Net> networkFrom(const std::string& bytes) {
  try {
    cv::dnn::Net net = cv::dnn::readNetFromONNX(bytes.data(), bytes.size());
    if (net.empty()) return std::nullopt;
    net.setPreferableBackend(cv::dnn::DNN_BACKEND_OPENCV);
    net.setPreferableTarget(cv::dnn::DNN_TARGET_CPU);
    return net;
  } catch (const cv::Exception&) {
    return std::nullopt;
  }
}

cv::Mat forward(cv::dnn::Net& net, const cv::Mat& blob) {
  net.setInput(blob);
  return net.forward();
}

}  // namespace

TextModelFiles TextModelFiles::in(const std::filesystem::path& directory) {
  return {directory / "text_detector.onnx", directory / "text_recognizer.onnx",
          directory / "text_dictionary.txt"};
}

struct TextNetworks::Impl {
  cv::dnn::Net detector;
  std::filesystem::path detectorPath;
  std::filesystem::path recognizerPath;
  std::filesystem::path dictionaryPath;
  std::string recognizerBytes;
  std::mutex mutex;
  std::vector<cv::dnn::Net> idleRecognizers;

  cv::dnn::Net takeRecognizer() {
    {
      const std::lock_guard lock(mutex);
      if (!idleRecognizers.empty()) {
        cv::dnn::Net net = idleRecognizers.back();
        idleRecognizers.pop_back();
        return net;
      }
    }
    // The bytes loaded once already, so this cannot fail unless memory runs out.
    std::optional<cv::dnn::Net> net = networkFrom(recognizerBytes);
    if (!net) throw std::runtime_error("the text recogniser could not be started");
    return *net;
  }

  void giveBack(cv::dnn::Net net) {
    const std::lock_guard lock(mutex);
    idleRecognizers.push_back(std::move(net));
  }
};

TextNetworks::TextNetworks(std::unique_ptr<Impl> impl, CharacterClasses classes)
    : impl_(std::move(impl)), classes_(std::move(classes)) {}

TextNetworks::~TextNetworks() = default;

common::Result<std::unique_ptr<TextNetworks>> TextNetworks::load(const TextModelFiles& files) {
  cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
  const auto missing = [](const std::filesystem::path& path) {
    return common::Failure{"the text model " + path.string() + " is missing or unreadable"};
  };
  const auto damaged = [](const std::filesystem::path& path) {
    return common::Failure{damagedModel(path)};
  };

  const std::optional<std::string> dictionaryBytes = readModelFile(files.dictionary);
  if (!dictionaryBytes) return missing(files.dictionary);
  std::optional<CharacterClasses> classes = CharacterClasses::fromDictionary(*dictionaryBytes);
  if (!classes) return damaged(files.dictionary);

  const std::optional<std::string> detectorBytes = readModelFile(files.detector);
  if (!detectorBytes) return missing(files.detector);
  std::optional<std::string> recognizerBytes = readModelFile(files.recognizer);
  if (!recognizerBytes) return missing(files.recognizer);

  auto impl = std::make_unique<Impl>();
  std::optional<cv::dnn::Net> detector = networkFrom(*detectorBytes);
  if (!detector) return damaged(files.detector);
  // The detector is checked on its first image: OpenCV 4.6 keeps the sizes of its first input in
  // the upsampling layers, so it must not see another one first.
  impl->detector = *detector;
  impl->detectorPath = files.detector;
  impl->recognizerPath = files.recognizer;
  impl->dictionaryPath = files.dictionary;
  impl->recognizerBytes = std::move(*recognizerBytes);
  return std::unique_ptr<TextNetworks>(new TextNetworks(std::move(impl), std::move(*classes)));
}

common::Result<void> TextNetworks::prepareRecognizers(unsigned count) {
  const auto damaged = [&] { return common::Failure{damagedModel(impl_->recognizerPath)}; };
  std::optional<cv::dnn::Net> first = networkFrom(impl_->recognizerBytes);
  if (!first) return damaged();
  // A recogniser that imports but cannot run, or a dictionary of another model, shows on a small
  // input.
  try {
    const cv::Mat rows = forward(
        *first, cv::Mat(std::vector<int>{1, 3, kRecognitionHeight, 32}, CV_32F, cv::Scalar(0)));
    if (rows.dims != 3 || rows.size[2] < 0 ||
        static_cast<std::size_t>(rows.size[2]) != classes_.size()) {
      return common::Failure{"the text dictionary " + impl_->dictionaryPath.string() +
                             " does not belong to the text recogniser"};
    }
  } catch (const cv::Exception&) {
    return damaged();
  }
  impl_->giveBack(std::move(*first));
  for (unsigned started = 1; started < count; ++started) {
    std::optional<cv::dnn::Net> net = networkFrom(impl_->recognizerBytes);
    if (!net) return damaged();
    impl_->giveBack(std::move(*net));
  }
  return common::done();
}

cv::Mat TextNetworks::detect(const cv::Mat& bgr) {
  const std::vector<DetectionBand> bands = detectionBands(bgr.rows, kBandRows, kBandOverlap);
  const int bandRows = std::min(bgr.rows, kBandRows);
  cv::Mat probabilities(bgr.rows, bgr.cols, CV_32F, cv::Scalar(0));
  for (const DetectionBand& band : bands) {
    // Normalised as the detector was trained: per channel (x / 255 - mean) / deviation.
    cv::Mat scaled;
    bgr.rowRange(band.top, band.top + bandRows).convertTo(scaled, CV_32FC3, 1.0 / 255);
    cv::subtract(scaled, cv::Scalar(0.485, 0.456, 0.406), scaled);
    cv::divide(scaled, cv::Scalar(0.229, 0.224, 0.225), scaled);
    const cv::Mat blob = cv::dnn::blobFromImage(scaled);
    cv::Mat map;
    try {
      map = forward(impl_->detector, blob);
    } catch (const cv::Exception&) {
      map.release();
    }
    if (map.dims != 4 || map.size[1] != 1 || map.size[2] != bandRows || map.size[3] != bgr.cols) {
      throw std::runtime_error(damagedModel(impl_->detectorPath));
    }
    const cv::Mat bandMap(map.size[2], map.size[3], CV_32F, const_cast<float*>(map.ptr<float>()));
    bandMap.rowRange(band.keepFrom - band.top, band.keepTo - band.top)
        .copyTo(probabilities.rowRange(band.keepFrom, band.keepTo));
  }
  impl_->detector = cv::dnn::Net();
  return probabilities;
}

cv::Mat TextNetworks::recognize(const cv::Mat& bgrLine) {
  const cv::Mat blob =
      cv::dnn::blobFromImage(bgrLine, 1 / 127.5, cv::Size(), cv::Scalar(127.5, 127.5, 127.5));
  cv::dnn::Net net = impl_->takeRecognizer();
  cv::Mat rows;
  try {
    const cv::Mat out = forward(net, blob);
    rows = cv::Mat(out.size[1], out.size[2], CV_32F, const_cast<float*>(out.ptr<float>())).clone();
  } catch (...) {
    impl_->giveBack(net);
    throw;
  }
  impl_->giveBack(net);
  return rows;
}

}  // namespace pagereader
