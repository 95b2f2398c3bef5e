#pragma once
// One-pixel line from (x1, y1) to (x2, y2), both ends included. Anti-aliased lines share each step's
// coverage between the two pixels nearest the ideal line (Wu); a 45 degree or axis-parallel line
// between whole-pixel points has full coverage on its pixels only.

#include <cstdint>

#include "raster/RasterBlend.h"

void RasterLine(RasterBitmap& dst, float x1, float y1, float x2, float y2, uint32_t argb,
                RasterBlendMode mode, float alpha, bool antiAlias, const RasterRect& clip);
