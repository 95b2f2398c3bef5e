// Paints the editor's five bitmaps into a folder:  resonix-artwork <output folder> [font folder]
// The committed pictures under resources/img are this program's output.

#include <cstdio>
#include <filesystem>
#include <string>

#include "raster/PngCodec.h"
#include "tools/artwork/ArtTheme.h"

namespace {

bool write_png(const ArtCanvas& canvas, const std::filesystem::path& path) {
  return PngCodec::EncodeFile(canvas.bitmap(), path.string());
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
