// Renders the update window in its normal and failed states to PNG files, headless, so a person
// can look at it without a display: window-screenshot [--scale <factor>] <output directory>
// A scale other than 1 renders it as a display scaled by that factor shows it, into files named
// with an "@<factor>x" suffix.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "update_state/update_request.h"
#include "window/update_window.h"

namespace {

installwarden::UpdateRequest sampleRequest() {
  installwarden::UpdateRequest request;
  request.messages = {
      {"updateTitle", "Updating Quorvelin Pro"},
      {"updateFailedTitle", "The update could not be installed"},
      {"updateHint",
       "Quorvelin Pro opens again by itself when the update is done. You can keep "
       "working in other applications meanwhile."},
      {"updateOpen", "Open Quorvelin Pro"},
      {"updatePreparing", "Preparing the update…"},
      {"updateClosing", "Waiting for Quorvelin Pro to quit…"},
      {"updateInstalling", "Installing version 4.2.0…"},
      {"updateSlow", "Installing takes longer than usual. Please wait…"},
      {"updateStarting", "Starting the new version…"},
      {"updateFailure",
       "Version 4.2.0 could not be installed. Your current version is unchanged "
       "and can be opened again."},
  };
  return request;
}

bool render(installwarden::UpdateWindow& window, installwarden::Phase phase, const QString& path) {
  window.update(phase, false);
  QApplication::processEvents();
  if (!window.widget().grab().save(path, "PNG")) {
    std::fprintf(stderr, "window-screenshot: cannot write %s\n", path.toLocal8Bit().constData());
    return false;
  }
  std::printf("%s\n", path.toLocal8Bit().constData());
  return true;
}

int usage() {
  std::fprintf(stderr,
               "usage: window-screenshot [--scale <factor from 1 to 4>] <output directory>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  double scale = 1;
  if (argc == 4 && std::strcmp(argv[1], "--scale") == 0) {
    char* end = nullptr;
    scale = std::strtod(argv[2], &end);
    if (end == argv[2] || *end != '\0' || !(scale >= 1 && scale <= 4)) return usage();
  } else if (argc != 2) {
    return usage();
  }
  const QString outputDirectory = QString::fromLocal8Bit(argv[argc - 1]);
  const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
  // Always set, so that a scale inherited from the environment cannot hide behind the names.
  qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));

  char platformFlag[] = "-platform";
  char platformName[] = "offscreen";
  char* qtArgv[] = {argv[0], platformFlag, platformName, nullptr};
  int qtArgc = 3;
  QApplication app(qtArgc, qtArgv);

  if (!QDir().mkpath(outputDirectory)) {
    std::fprintf(stderr, "window-screenshot: cannot create %s\n", argv[argc - 1]);
    return 1;
  }
  installwarden::UpdateWindow window(sampleRequest());
  window.bringForward();
  const QDir directory(outputDirectory);
  const bool normal = render(window, installwarden::Phase::kInstalling,
                             directory.filePath("update-window-normal" + suffix + ".png"));
  const bool failed = render(window, installwarden::Phase::kFailed,
                             directory.filePath("update-window-failed" + suffix + ".png"));
  return normal && failed ? 0 : 1;
}
