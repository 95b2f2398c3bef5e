// Editing sessions played from the input, saved as a preset and as host state and read back into
// fresh instances (the same property the tests check on a few hundred random sessions).

#include <string>

#include "FuzzSupport.h"
#include "instance/EditingSession.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64) return 0;  // a longer session adds time, not new paths
  use_private_home();
  static const std::filesystem::path preset = std::filesystem::temp_directory_path() /
                                              ("resonix-fuzz-roundtrip-" + std::to_string(getpid()) + ".rzn");
  const std::string fault = EditingSession(data, size).round_trip_fault(preset);
  if (!fault.empty()) fuzz_fail(fault.c_str());
  return 0;
}
