#pragma once
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

// A fresh folder under the test's HOME (never the real home), removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    const char* home = std::getenv("HOME");
    static int counter = 0;
    dir = std::filesystem::path(home ? home : "/tmp") /
          ("tools-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string path(const std::string& name) const { return (dir / name).string(); }

  std::filesystem::path dir;
};
