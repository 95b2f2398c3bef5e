// The PNG decoder of the editor bitmaps: anything decoded is a whole bitmap that encodes and decodes
// to the same pixels.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "raster/PngCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::unique_ptr<RasterBitmap> bitmap = PngCodec::Decode(data, size);
  if (!bitmap) return 0;
  if (bitmap->Width() <= 0 || bitmap->Height() <= 0) std::abort();
  std::vector<uint8_t> png;
  if (!PngCodec::Encode(*bitmap, &png)) std::abort();
  const std::unique_ptr<RasterBitmap> again = PngCodec::Decode(png.data(), png.size());
  const size_t bytes = size_t(bitmap->Width()) * size_t(bitmap->Height()) * 4;
  if (!again || again->Width() != bitmap->Width() || again->Height() != bitmap->Height() ||
      std::memcmp(again->Pixels(), bitmap->Pixels(), bytes) != 0) {
    std::fprintf(stderr, "fuzz property broken: PNG does not survive its own encoding\n");
    std::abort();
  }
  return 0;
}
