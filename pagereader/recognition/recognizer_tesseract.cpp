#include "recognition/recognizer_tesseract.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <vector>

#include "recognition/engine_lines.h"
#include "recognition/image_loader_leptonica.h"
#include "recognition/layout_plan.h"
#include "recognition/line_finder_leptonica.h"
#include "recognition/openmp_threads.h"
#include "recognition/page_preparation_leptonica.h"
#include "recognition/upscale_plan.h"

namespace pagereader {
namespace {

struct PixDeleter {
  void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

struct TextDeleter {
  void operator()(char* text) const { delete[] text; }
};

std::vector<std::string> splitLanguages(const std::string& languages) {
  std::vector<std::string> names;
  std::stringstream stream(languages);
  for (std::string name; std::getline(stream, name, '+');) names.push_back(name);
  return names;
}

// Init succeeds when only the first language loads; all of them are required here.
std::optional<std::string> missingLanguage(const tesseract::TessBaseAPI& api,
                                           const std::string& languages) {
  std::vector<std::string> loaded;
  api.GetLoadedLanguagesAsVector(&loaded);
  for (const std::string& wanted : splitLanguages(languages)) {
    if (std::find(loaded.begin(), loaded.end(), wanted) == loaded.end()) return wanted;
  }
  return std::nullopt;
}

std::vector<EngineLine> readLines(tesseract::TessBaseAPI& api) {
  std::vector<EngineLine> lines;
  const std::unique_ptr<tesseract::ResultIterator> iterator(api.GetIterator());
  if (!iterator) return lines;
  constexpr auto kLine = tesseract::RIL_TEXTLINE;
  do {
    if (iterator->Empty(kLine)) continue;
    EngineLine line;
    const std::unique_ptr<char[], TextDeleter> text(iterator->GetUTF8Text(kLine));
    if (text) line.text = text.get();
    line.confidence = iterator->Confidence(kLine);
    if (!iterator->BoundingBox(kLine, &line.left, &line.top, &line.right, &line.bottom)) continue;
    lines.push_back(std::move(line));
  } while (iterator->Next(kLine));
  return lines;
}

// Paints the given lines white, so that recognition skips them.
void blank(Pix* page, const std::vector<LineBox>& lines) {
  for (const LineBox& line : lines) {
    Box* box = boxCreate(line.left, line.top, line.right - line.left, line.bottom - line.top);
    if (box) pixSetInRect(page, box);
    boxDestroy(&box);
  }
}

Recognition failure(std::string description) { return common::Failure{std::move(description)}; }

// Starts the engine with the settings.
common::Result<void> startEngine(tesseract::TessBaseAPI& api, const TesseractSettings& settings) {
  std::vector<std::string> names{"debug_file"};
  std::vector<std::string> values{"/dev/null"};
  if (api.Init(settings.tessdataDir.c_str(), settings.languages.c_str(), tesseract::OEM_LSTM_ONLY,
               nullptr, 0, &names, &values, false) != 0) {
    return common::Failure{"could not load the language data for " + settings.languages};
  }
  if (const auto missing = missingLanguage(api, settings.languages)) {
    return common::Failure{"could not load the language data for " + *missing};
  }
  api.SetPageSegMode(static_cast<tesseract::PageSegMode>(settings.pageSegMode));
  api.SetVariable("thresholding_method", std::to_string(settings.thresholdingMethod).c_str());
  return common::done();
}

// The page the engine reads: grey, dark text on light, lines too low to keep blanked, small
// text enlarged. An empty page when no line could be kept; nothing on failure.
std::optional<PixPtr> pageToRead(Pix* source, const TesseractSettings& settings) {
  PixPtr page(greyForRecognition(source, settings.invertDark));
  if (!page) return std::nullopt;
  if (settings.panelClosing > 0 && !invertDarkPanels(page.get(), settings.panelClosing)) {
    return std::nullopt;
  }
  const std::vector<LineBox> lines = findTextLines(page.get());
  const LayoutPlan plan = planFromLayout(lines, pixGetHeight(page.get()));
  if (!lines.empty() && plan.medianHeight == 0) return PixPtr();
  blank(page.get(), plan.tooLow);
  // Small text is read far better once enlarged.
  const UpscaleLimits limits{settings.targetLineHeight, settings.maxUpscale,
                             settings.maxRecognitionPixels};
  const double factor =
      upscaleFactor(plan.medianHeight, pixGetWidth(page.get()), pixGetHeight(page.get()), limits);
  if (factor > 1.0) {
    page.reset(enlargedGrey(page.get(), factor));
    if (!page) return std::nullopt;
  }
  return page;
}

}  // namespace

TesseractRecognizer::TesseractRecognizer(TesseractSettings settings)
    : settings_(std::move(settings)) {}

Recognition TesseractRecognizer::recognize(const Image& image) {
  const auto* leptonicaImage = dynamic_cast<const LeptonicaImage*>(&image);
  if (leptonicaImage == nullptr) return failure("the image was not decoded for this recogniser");

  keepOpenMpOnOneThread();
  try {
    tesseract::TessBaseAPI api;
    if (const auto started = startEngine(api, settings_); !started) {
      return failure(started.reason());
    }
    std::optional<PixPtr> page = pageToRead(leptonicaImage->pix(), settings_);
    if (!page) return failure("could not convert the image for recognition");
    if (!*page) return std::vector<Observation>{};  // every line too low to be kept
    api.SetImage(page->get());
    api.SetSourceResolution(settings_.resolution);
    if (api.Recognize(nullptr) != 0) return failure("the text recogniser could not read the image");
    return observationsFromEngineLines(readLines(api), pixGetWidth(page->get()),
                                       pixGetHeight(page->get()));
  } catch (const std::exception& error) {
    return failure(error.what());
  } catch (...) {
    return failure("the text recogniser stopped unexpectedly");
  }
}

}  // namespace pagereader
