#include <leptonica/allheaders.h>

#include <string>
#include <vector>

#include "app/standard_streams.h"
#include "core/run.h"
#include "recognition/image_loader_leptonica.h"
#include "recognition/recognizer_tesseract.h"

int main(int argc, char** argv) {
  pagereader::silenceStandardError();
  setMsgSeverity(L_SEVERITY_NONE);

  const std::vector<std::string> arguments(argv, argv + argc);
  pagereader::LeptonicaImageLoader loader;
  pagereader::TesseractSettings settings;
  settings.tessdataDir = PAGEREADER_TESSDATA_DIR;
  pagereader::TesseractRecognizer recognizer(settings);

  const pagereader::RunOutcome outcome = pagereader::runPagereader(arguments, loader, recognizer);
  const pagereader::PrintedRun printed = pagereader::printedRun(outcome);
  pagereader::writeStandardOutput(printed.line);
  return printed.exitStatus;
}
