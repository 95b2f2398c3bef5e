// resonix-vst3-moduleinfo BUNDLE NAME VERSION OUT: writes the bundle's moduleinfo.json from its factory.

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "framework/hosts/vst3/hosting/Vst3Module.h"
#include "framework/hosts/vst3/moduleinfo/ModuleInfoWriter.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s BUNDLE NAME VERSION OUT\n", argv[0]);
    return 2;
  }
  std::string error;
  std::unique_ptr<Vst3Module> module = Vst3Module::Load(argv[1], &error, true);
  if (!module) {
    std::fprintf(stderr, "moduleinfo: %s\n", error.c_str());
    return 1;
  }
  const std::string json = ModuleInfoWriter::Write(module->Factory(), argv[2], argv[3]);
  const std::string tmp = std::string(argv[4]) + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << json;
    if (!out.flush()) {
      std::fprintf(stderr, "moduleinfo: cannot write %s\n", tmp.c_str());
      return 1;
    }
  }
  // std::filesystem's rename replaces an existing file on Windows too, where the C library's refuses.
  std::error_code ec;
  std::filesystem::rename(tmp, argv[4], ec);
  if (ec) {
    std::fprintf(stderr, "moduleinfo: cannot write %s\n", argv[4]);
    return 1;
  }
  return 0;
}
