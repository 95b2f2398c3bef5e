// Paints the editor's five bitmaps into a folder, each at 1x, 2x and 3x ("fader.png",
// "fader@2x.png", "fader@3x.png"):  resonix-artwork <output folder> [font folder]
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
    const char* name;
    ArtCanvas canvas;
  };
  int failures = 0;
  for (int density = 1; density <= 3; ++density) {
    const Picture pictures[] = {
        {"background", paint_background(text, density)},
        {"radio1", paint_radio(density)},
        {"fader", paint_fader(density)},
        {"about_dialog", paint_about_panel(text, density)},
        {"knock", paint_knock_panel(text, density)},
    };
    const std::string suffix = density == 1 ? ".png" : "@" + std::to_string(density) + "x.png";
    for (const Picture& p : pictures) {
      const auto path = out / (p.name + suffix);
      if (write_png(p.canvas, path))
        std::printf("%s\n", path.c_str());
      else {
        std::fprintf(stderr, "resonix-artwork: cannot write %s\n", path.c_str());
        ++failures;
      }
    }
  }
  return failures ? 1 : 0;
}
