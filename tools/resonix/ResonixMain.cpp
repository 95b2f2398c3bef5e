// resonix: the plug-in's engine on the command line (measure, apply, render, info, coefficients).
#include "tools/resonix/Commands.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <vector>

#include "framework/graphics/IGraphics.h"

namespace {

// `render` draws with the editor's bitmaps and fonts. An installed tool finds them in the VST3
// bundle installed with it (system-wide, in the unpacked package, or the user's), a developer's in
// the build; RESONIX_RESOURCE_DIR overrides all of them.
void choose_resource_folder() {
  namespace fs = std::filesystem;
  if (const char* env = std::getenv("RESONIX_RESOURCE_DIR"); env && *env) return;
  std::error_code ec;
  const fs::path bin = fs::weakly_canonical("/proc/self/exe", ec).parent_path();
  const fs::path bundle_resources = "KorvaneResonix.vst3/Contents/Resources";
  std::vector<fs::path> candidates;
  if (!ec) {
    candidates.push_back(bin.parent_path() / "lib/vst3" / bundle_resources);
    candidates.push_back(bin.parent_path() / bundle_resources);
  }
  if (const char* home = std::getenv("HOME"); home && *home)
    candidates.push_back(fs::path(home) / ".vst3" / bundle_resources);
  candidates.push_back(RESONIX_BUILD_RESOURCES_DIR);
  for (const auto& folder : candidates) {
    if (fs::is_directory(folder / "img", ec) && fs::is_directory(folder / "fonts", ec)) {
      IGraphics::SetDefaultResourceFolder(folder.string());
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  choose_resource_folder();
  Console console{std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1};
  const int status = run_resonix(std::vector<std::string>(argv + 1, argv + argc), console);
  std::cout.flush();
  return std::cout ? status : (status ? status : exit_write_failed);
}
