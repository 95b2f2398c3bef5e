#include "raster/PngCodec.h"

#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {
// Larger images are refused before any pixel memory is taken.
constexpr png_uint_32 kMaxSide = 16384;
constexpr size_t kMaxFileSize = size_t(64) << 20;
}  // namespace

std::unique_ptr<RasterBitmap> PngCodec::Decode(const uint8_t* data, size_t size) {
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return nullptr;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return nullptr;
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide) {
    png_image_free(&image);
    return nullptr;
  }
  // BGRA bytes are 0xAARRGGBB words on a little-endian machine.
  image.format = PNG_FORMAT_BGRA;
  auto bitmap = std::make_unique<RasterBitmap>(int(image.width), int(image.height));
  if (!png_image_finish_read(&image, nullptr, bitmap->Pixels(), 0, nullptr)) {
    png_image_free(&image);
    return nullptr;
  }
  return bitmap;
}

std::unique_ptr<RasterBitmap> PngCodec::DecodeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size <= 0 || size_t(size) > kMaxFileSize) return nullptr;
  in.seekg(0);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return nullptr;
  return Decode(bytes.data(), bytes.size());
}

bool PngCodec::Encode(const RasterBitmap& bitmap, std::vector<uint8_t>* out) {
  if (!out || bitmap.Empty()) return false;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(bitmap.Width());
  image.height = png_uint_32(bitmap.Height());
  image.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, bitmap.Pixels(), 0, nullptr)) return false;
  out->resize(size);
  if (!png_image_write_to_memory(&image, out->data(), &size, 0, bitmap.Pixels(), 0, nullptr)) {
    out->clear();
    return false;
  }
  out->resize(size);
  return true;
}

bool PngCodec::EncodeFile(const RasterBitmap& bitmap, const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!Encode(bitmap, &bytes)) return false;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()))) return false;
  file.close();
  return !file.fail();
}
