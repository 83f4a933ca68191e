#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "reading/character_classes.h"
#include "result/result.h"

namespace pagereader {

/// The text models as files.
struct TextModelFiles {
  std::filesystem::path detector;
  std::filesystem::path recognizer;
  std::filesystem::path dictionary;
  static TextModelFiles in(const std::filesystem::path& directory);
};

/// The detector and recogniser networks on OpenCV's DNN module, loaded once. Each thread that
/// recognises lines gets a recogniser of its own, since a network runs one input at a time.
class TextNetworks {
 public:
  /// The detector and the dictionary loaded, the recogniser read but not yet started; or why
  /// they could not be.
  static common::Result<std::unique_ptr<TextNetworks>> load(const TextModelFiles& files);
  ~TextNetworks();

  /// Starts `count` recognisers (at least one) ahead of their first line, after checking that the
  /// recogniser runs and belongs to the dictionary; or says why it does not. Safe to call while
  /// `detect` runs on another thread.
  common::Result<void> prepareRecognizers(unsigned count);

  const CharacterClasses& classes() const { return classes_; }
  /// Text probability per pixel of a BGR image whose sides are multiples of 32, a tall one read
  /// in overlapping bands. Once per instance: the detector keeps the sizes of its first input, and
  /// it is let go afterwards so that its working memory is free before the lines are read.
  cv::Mat detect(const cv::Mat& bgr);
  /// Class probabilities, one row per output step, of a BGR line 48 pixels high. Safe to call
  /// from several threads at once, once `prepareRecognizers` has succeeded.
  cv::Mat recognize(const cv::Mat& bgrLine);

 private:
  struct Impl;
  TextNetworks(std::unique_ptr<Impl> impl, CharacterClasses classes);
  std::unique_ptr<Impl> impl_;
  CharacterClasses classes_;
};

}  // namespace pagereader
