#pragma once

#include <QString>

#include "canvas.h"
#include "corpus.h"
#include "scenes.h"

/// Screens built from real Qt widgets and drawn offscreen.
enum class WidgetScreen { Dialog, Form, Table, List };

struct WidgetRecipe {
  WidgetScreen screen = WidgetScreen::Dialog;
  Theme theme = Theme::Light;
  Script script = Script::English;
  int pixelSize = 12;  ///< font size in device-independent pixels
  int scale = 1;       ///< device pixels per device-independent pixel
  unsigned seed = 1;
};

/// Builds the screen with strings from `corpus`, lays it out, and draws it at the recipe's
/// scale. Truth lines come from the widgets' texts and geometry. Needs a QApplication.
RenderedScene renderWidgets(const WidgetRecipe& recipe, const Corpus& corpus);

QString widgetSceneName(const WidgetRecipe& recipe);
