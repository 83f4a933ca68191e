#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/box.h"
#include "result/result.h"

namespace pagereader {

/// Whole pixels on each side.
struct PixelExtent {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

/// A decoded image as the rest of the run sees it: the recogniser adapter that goes with the
/// loader knows what lies behind it.
class Image {
 public:
  virtual ~Image() = default;
  virtual std::uint32_t width() const = 0;
  virtual std::uint32_t height() const = 0;
};

/// Opens image files.
class ImageLoader {
 public:
  virtual ~ImageLoader() = default;
  /// The first image of the file at `path`, as stored; nothing when it cannot be read.
  virtual std::unique_ptr<Image> load(const std::string& path) = 0;
};

/// The best reading of one observation.
struct Candidate {
  std::string text;
  float confidence = 0;  ///< 0 to 1
};

/// One recognised line.
struct Observation {
  std::optional<Candidate> topCandidate;  ///< none when the recogniser offers no reading
  NormalizedBox boundingBox;
};

/// The observations of a successful run in the recogniser's order, or why it failed.
using Recognition = common::Result<std::vector<Observation>>;

/// Finds the text lines of an image, synchronously, with fixed settings.
class Recognizer {
 public:
  virtual ~Recognizer() = default;
  /// Recognises `image`, which comes from the loader this recogniser is paired with.
  virtual Recognition recognize(const Image& image) = 0;
  /// The smallest image it can read. A smaller one holds no text it could find, and may make
  /// the engine fail rather than answer.
  virtual PixelExtent minimumImageSize() const = 0;
};

}  // namespace pagereader
