// The VST2 set-chunk path, driven as a host drives the loaded module: a program chunk or a bank,
// chosen by the first byte. A refused chunk changes nothing; an accepted one plays finite audio.

#include "FuzzSupport.h"
#include "vst2/Vst2Host.h"

using namespace vst2test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  use_private_home();
  static Vst2Instance* plugin = [] {
    auto* p = new Vst2Instance(true, 48000.0, 512);
    if (!*p) fuzz_fail(Vst2Module::get().error().c_str());
    p->set(0, 1.0f);  // EQ: the correction is what plays
    return p;
  }();
  const bool program = data[0] & 1;
  const std::vector<uint8_t> before = plugin->chunk(true);
  if (plugin->set_chunk(program, std::vector<uint8_t>(data + 1, data + size)) == 0) {
    if (plugin->chunk(true) != before) fuzz_fail("refused chunk changed the state");
    return 0;
  }
  require_finite(plugin->process_double(knock_block<double>(512)));
  require_finite(plugin->process_float(knock_block<float>(512)));
  return 0;
}
