// Paints the editor's five bitmaps into a folder:  resonix-artwork <output folder> [font folder]
// The committed pictures under resources/img are this program's output.

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/artwork/ArtTheme.h"

namespace {

bool write_png(const ArtCanvas& canvas, const std::filesystem::path& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png && info;
  std::vector<png_byte> row(size_t(canvas.width()) * 4);
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(canvas.width()), png_uint_32(canvas.height()), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int y = 0; y < canvas.height(); ++y) {
      for (int x = 0; x < canvas.width(); ++x) {
        const ArtColor c = canvas.at(x, y);
        png_byte* p = &row[size_t(x) * 4];
        p[0] = png_byte(c.r), p[1] = png_byte(c.g), p[2] = png_byte(c.b), p[3] = png_byte(c.a);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  } else
    ok = false;
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: resonix-artwork <output folder> [font folder]\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  ArtText text(argc > 2 ? argv[2] : "/usr/share/fonts/truetype/dejavu");
  if (!text.ok()) {
    std::fprintf(stderr, "resonix-artwork: DejaVu Sans not found\n");
    return 1;
  }
  std::error_code error;
  std::filesystem::create_directories(out, error);

  struct Picture {
    const char* file;
    ArtCanvas canvas;
  };
  const Picture pictures[] = {
      {"background.png", paint_background(text)},
      {"radio1.png", paint_radio()},
      {"fader.png", paint_fader()},
      {"about_dialog.png", paint_about_panel(text)},
      {"knock.png", paint_knock_panel(text)},
  };
  int failures = 0;
  for (const Picture& p : pictures) {
    const auto path = out / p.file;
    if (write_png(p.canvas, path))
      std::printf("%s\n", path.c_str());
    else {
      std::fprintf(stderr, "resonix-artwork: cannot write %s\n", path.c_str());
      ++failures;
    }
  }
  return failures ? 1 : 0;
}
