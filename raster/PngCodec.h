#pragma once
// PNG decoding and encoding with libpng (any colour type and depth in; 8-bit RGBA out).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "raster/RasterBitmap.h"

class PngCodec {
 public:
  // Null for anything that is not a complete, valid PNG.
  static std::unique_ptr<RasterBitmap> Decode(const uint8_t* data, size_t size);
  static std::unique_ptr<RasterBitmap> DecodeFile(const std::string& path);

  // False when the bitmap is empty or the file cannot be written.
  static bool Encode(const RasterBitmap& bitmap, std::vector<uint8_t>* out);
  static bool EncodeFile(const RasterBitmap& bitmap, const std::string& path);
};
