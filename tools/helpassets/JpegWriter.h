#pragma once
// Baseline JPEG of a raster bitmap (alpha dropped), for the one help figure stored as JPEG.

#include <string>

class RasterBitmap;

bool write_jpeg(const RasterBitmap& bitmap, const std::string& path, int quality);
