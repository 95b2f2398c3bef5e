#pragma once
// Process-wide cache of fonts, keyed by file, size and style; fonts are never freed before exit.

#include <string>

#include "raster/RasterFont.h"

class FontCache {
 public:
  // The same font for the same spec; null when the file cannot be read.
  static RasterFont* Get(const RasterFont::Spec& spec);
};
