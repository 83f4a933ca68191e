// Renders the update window in its normal and failed states to PNG files, headless, so a person
// can look at it without a display: window-screenshot <output directory>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window-screenshot <output directory>\n");
    return 2;
  }
  const QString outputDirectory = QString::fromLocal8Bit(argv[1]);

  char platformFlag[] = "-platform";
  char platformName[] = "offscreen";
  char* qtArgv[] = {argv[0], platformFlag, platformName, nullptr};
  int qtArgc = 3;
  QApplication app(qtArgc, qtArgv);

  if (!QDir().mkpath(outputDirectory)) {
    std::fprintf(stderr, "window-screenshot: cannot create %s\n", argv[1]);
    return 1;
  }
  installwarden::UpdateWindow window(sampleRequest());
  window.bringForward();
  const QDir directory(outputDirectory);
  const bool normal = render(window, installwarden::Phase::kInstalling,
                             directory.filePath("update-window-normal.png"));
  const bool failed =
      render(window, installwarden::Phase::kFailed, directory.filePath("update-window-failed.png"));
  return normal && failed ? 0 : 1;
}
