#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

#include "corpus.h"

/// What a screenshot shows.
enum class Kind { Dialog, Settings, Document };
enum class Theme { Light, Dark };

/// One image of the set.
struct SceneRecipe {
  Kind kind = Kind::Dialog;
  Theme theme = Theme::Light;
  Script script = Script::English;
  int pixelSize = 14;  ///< font size of the body text in pixels
  unsigned seed = 1;
};

/// One line of text drawn into the image, and where.
struct TruthLine {
  QString text;
  QRect box;
};

struct RenderedScene {
  QImage image;
  std::vector<TruthLine> lines;
};

/// Draws the scene: window chrome, panels, buttons and text, at 1 device pixel per pixel.
RenderedScene renderScene(const SceneRecipe& recipe);

/// A file-name stem that tells the scene's kind, theme, script, size and seed.
QString sceneName(const SceneRecipe& recipe);
