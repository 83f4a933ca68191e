#pragma once

#include <QString>

#include "canvas.h"
#include "corpus.h"

/// What a screenshot shows.
enum class Kind { Dialog, Settings, Document, Table, Chat, ManPage, WebPage };
enum class Theme { Light, Dark };
/// Low contrast: grey text and disabled-looking controls.
enum class Contrast { Normal, Low };

/// One image of the set.
struct SceneRecipe {
  Kind kind = Kind::Dialog;
  Theme theme = Theme::Light;
  Script script = Script::English;
  int pixelSize = 14;  ///< font size of the body text in pixels
  unsigned seed = 1;
  Contrast contrast = Contrast::Normal;
};

/// Draws the scene with strings from `corpus`: window chrome, panels, buttons and text, at 1
/// device pixel per pixel.
RenderedScene renderScene(const SceneRecipe& recipe, const Corpus& corpus);

/// A file-name stem that tells the scene's kind, theme, contrast, script, size and seed.
QString sceneName(const SceneRecipe& recipe);

QString kindName(Kind kind);

// The scenes drawn from catalogue strings (scenes_dense.cpp, scenes_pages.cpp).
struct Palette {
  QColor window, panel, text, secondary, accent, onAccent, sidebar, separator, control;
};
Palette paletteFor(Theme theme, Contrast contrast);
RenderedScene table(const SceneRecipe& recipe, const Corpus& corpus, const Palette& colors);
RenderedScene chat(const SceneRecipe& recipe, const Corpus& corpus, const Palette& colors);
RenderedScene manPage(const SceneRecipe& recipe, const Corpus& corpus, const Palette& colors);
RenderedScene webPage(const SceneRecipe& recipe, const Corpus& corpus, const Palette& colors);
