#pragma once
#include <filesystem>

#include "tools/resonix/Console.h"

// The demo `make demo` runs: measures the synthetic knock with the tool, gently cuts the strongest
// body resonances by drawing on the plot as a mouse would, saves the preset, renders the guitar
// phrase before and after, and writes the editor picture and the band table. Prints every path.
class GuitarDemo {
 public:
  // `recordings` holds knock.wav and guitar-phrase.wav; everything is written into `out`.
  static int run(const std::filesystem::path& recordings, const std::filesystem::path& out, Console& console);
};
