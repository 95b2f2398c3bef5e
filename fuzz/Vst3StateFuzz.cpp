// The VST3 component and controller setState, driven as a host drives the loaded bundle, chosen by
// the first byte. A refused state changes nothing; an accepted one plays finite audio.

#include "FuzzSupport.h"
#include "vst3/Vst3TestHost.h"

using namespace vst3test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  use_private_home();
  static TestPlugin* plugin = [] {
    auto* p = new TestPlugin();
    if (!p->Valid() || p->Setup(48000.0, 512, kSample64) != kResultOk) fuzz_fail("no VST3 instance");
    p->Controller()->setParamNormalized(0, 1.0);  // EQ: the correction is what plays
    return p;
  }();
  const std::vector<uint8_t> bytes(data + 1, data + size);
  const std::vector<uint8_t> before = plugin->ComponentState();
  const tresult result = data[0] & 1 ? plugin->SetControllerState(bytes) : plugin->SetComponentState(bytes);
  if (result != kResultOk) {
    if (plugin->ComponentState() != before) fuzz_fail("refused state changed the state");
    return 0;
  }
  require_finite(plugin->Process(knock_block<double>(512)));
  return 0;
}
