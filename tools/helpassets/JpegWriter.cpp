#include "tools/helpassets/JpegWriter.h"

#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "raster/RasterBitmap.h"

bool write_jpeg(const RasterBitmap& bitmap, const std::string& path, int quality) {
  if (bitmap.Empty()) return false;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = JDIMENSION(bitmap.Width());
  info.image_height = JDIMENSION(bitmap.Height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(size_t(bitmap.Width()) * 3);
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint32_t* pixels = bitmap.Row(y);
    for (int x = 0; x < bitmap.Width(); ++x) {
      row[size_t(x) * 3 + 0] = JSAMPLE((pixels[x] >> 16) & 0xFF);
      row[size_t(x) * 3 + 1] = JSAMPLE((pixels[x] >> 8) & 0xFF);
      row[size_t(x) * 3 + 2] = JSAMPLE(pixels[x] & 0xFF);
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}
