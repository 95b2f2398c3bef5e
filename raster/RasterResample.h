#pragma once
// Resizing a picture by area averaging: every output pixel is the mean of the source area it
// covers, weighted by alpha, so edges stay clean when artwork drawn for one screen density is shown
// at another.

#include "raster/RasterBitmap.h"

// src resized to w x h; sizes below 1 give an empty bitmap.
RasterBitmap RasterResample(const RasterBitmap& src, int w, int h);
