// ctest runs the cases of one binary side by side, each in its own process: every process gets a
// home folder of its own under the binary's, so two cases never share a presets folder.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

struct PrivateHome {
  std::filesystem::path folder;
  PrivateHome() {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return;
    std::error_code ec;
    folder = std::filesystem::path(home) / ("p" + std::to_string(getpid()));
    std::filesystem::remove_all(folder, ec);
    if (!std::filesystem::create_directories(folder, ec) || ec) {
      folder.clear();
      return;
    }
    setenv("HOME", folder.c_str(), 1);
  }
  ~PrivateHome() {
    std::error_code ec;
    if (!folder.empty()) std::filesystem::remove_all(folder, ec);
  }
};

const PrivateHome privateHome;

}  // namespace
