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

// The median height of the text lines that layout analysis finds; 0 when it finds none.
int medianLineHeight(tesseract::TessBaseAPI& api) {
  const std::unique_ptr<tesseract::PageIterator> iterator(api.AnalyseLayout());
  if (!iterator) return 0;
  std::vector<int> heights;
  do {
    int left = 0, top = 0, right = 0, bottom = 0;
    if (iterator->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom)) {
      heights.push_back(bottom - top);
    }
  } while (iterator->Next(tesseract::RIL_TEXTLINE));
  if (heights.empty()) return 0;
  std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
  return heights[heights.size() / 2];
}

Recognition failure(std::string description) { return Recognition{{}, std::move(description)}; }

}  // namespace

TesseractRecognizer::TesseractRecognizer(TesseractSettings settings)
    : settings_(std::move(settings)) {}

Recognition TesseractRecognizer::recognize(const Image& image) {
  const auto* leptonicaImage = dynamic_cast<const LeptonicaImage*>(&image);
  if (leptonicaImage == nullptr) return failure("the image was not decoded for this recogniser");

  keepOpenMpOnOneThread();

  try {
    tesseract::TessBaseAPI api;
    std::vector<std::string> names{"debug_file"};
    std::vector<std::string> values{"/dev/null"};
    if (api.Init(settings_.tessdataDir.c_str(), settings_.languages.c_str(),
                 tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) != 0) {
      return failure("could not load the language data for " + settings_.languages);
    }
    if (const auto missing = missingLanguage(api, settings_.languages)) {
      return failure("could not load the language data for " + *missing);
    }
    api.SetPageSegMode(static_cast<tesseract::PageSegMode>(settings_.pageSegMode));
    api.SetVariable("thresholding_method", std::to_string(settings_.thresholdingMethod).c_str());

    PixPtr page(greyForRecognition(leptonicaImage->pix(), settings_.invertDark));
    if (!page) return failure("could not convert the image for recognition");
    if (settings_.panelClosing > 0 && !invertDarkPanels(page.get(), settings_.panelClosing)) {
      return failure("could not convert the image for recognition");
    }
    api.SetImage(page.get());
    api.SetSourceResolution(settings_.resolution);
    // Small text is read far better once enlarged; layout analysis tells how small it is.
    const UpscaleLimits limits{settings_.targetLineHeight, settings_.maxUpscale,
                               settings_.maxRecognitionPixels};
    const int lineHeight = limits.targetLineHeight > 0 ? medianLineHeight(api) : 0;
    const double factor =
        upscaleFactor(lineHeight, pixGetWidth(page.get()), pixGetHeight(page.get()), limits);
    if (factor > 1.0) {
      page.reset(enlargedGrey(page.get(), factor));
      if (!page) return failure("could not convert the image for recognition");
      api.SetImage(page.get());
      api.SetSourceResolution(settings_.resolution);
    }
    if (api.Recognize(nullptr) != 0) return failure("the text recogniser could not read the image");
    return Recognition{observationsFromEngineLines(readLines(api), pixGetWidth(page.get()),
                                                   pixGetHeight(page.get())),
                       std::nullopt};
  } catch (const std::exception& error) {
    return failure(error.what());
  } catch (...) {
    return failure("the text recogniser stopped unexpectedly");
  }
}

}  // namespace pagereader
