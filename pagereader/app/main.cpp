#include <leptonica/allheaders.h>

#include <string>
#include <vector>

#include "app/standard_streams.h"
#include "core/run.h"
#include "recognition/image_loader_leptonica.h"
#include "recognition/model_directory.h"
#include "recognition/recognizer_neural.h"
#include "recognition/worker_count.h"

int main(int argc, char** argv) {
  pagereader::silenceStandardError();
  setMsgSeverity(L_SEVERITY_NONE);

  const std::vector<std::string> arguments(argv, argv + argc);
  pagereader::LeptonicaImageLoader loader;
  pagereader::NeuralRecognizer recognizer(pagereader::modelDirectory(), pagereader::workerCount());

  const pagereader::RunOutcome outcome = pagereader::runPagereader(arguments, loader, recognizer);
  const pagereader::PrintedRun printed = pagereader::printedRun(outcome);
  pagereader::writeStandardOutput(printed.line);
  return printed.exitStatus;
}
