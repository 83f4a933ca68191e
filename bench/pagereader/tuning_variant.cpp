// pagereader with its recognition settings taken from flags, for measuring alternatives with
// pagereader_bench. Not shipped: the real program has fixed settings.
//
//   pagereader_tuning_variant --image <path> [--psm N] [--dpi N] [--threshold N]
//                             [--target-height N] [--max-upscale X] [--langs L] [--no-invert]
//                             [--panels N]

#include <leptonica/allheaders.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/args.h"
#include "core/run.h"
#include "recognition/image_loader_leptonica.h"
#include "recognition/recognizer_tesseract.h"

int main(int argc, char** argv) {
  setMsgSeverity(L_SEVERITY_NONE);
  const std::vector<std::string> arguments(argv, argv + argc);
  pagereader::TesseractSettings settings;
  settings.tessdataDir = "/usr/share/tesseract-ocr/5/tessdata";
  const auto number = [&](const char* flag, double fallback) {
    const auto text = pagereader::parseArg(flag, arguments);
    return text ? std::stod(*text) : fallback;
  };
  settings.pageSegMode = static_cast<int>(number("--psm", settings.pageSegMode));
  settings.resolution = static_cast<int>(number("--dpi", settings.resolution));
  settings.thresholdingMethod =
      static_cast<int>(number("--threshold", settings.thresholdingMethod));
  settings.targetLineHeight =
      static_cast<int>(number("--target-height", settings.targetLineHeight));
  settings.maxUpscale = number("--max-upscale", settings.maxUpscale);
  settings.panelClosing = static_cast<int>(number("--panels", settings.panelClosing));
  if (const auto langs = pagereader::parseArg("--langs", arguments)) settings.languages = *langs;
  for (const std::string& a : arguments) {
    if (a == "--no-invert") settings.invertDark = false;
  }

  pagereader::LeptonicaImageLoader loader;
  pagereader::TesseractRecognizer recognizer(settings);
  const auto outcome = pagereader::runPagereader(arguments, loader, recognizer);
  const std::string line = pagereader::jsonLine(outcome.output);
  std::fwrite(line.data(), 1, line.size(), stdout);
  return outcome.exitStatus;
}
