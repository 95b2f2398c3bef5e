// The preset file: the decoder alone, then the editor's "Load" or "LoadTarget" on a file holding the
// input. A refused file shows one notice and changes nothing; an accepted one is read bit for bit.

#include <fstream>
#include <string>

#include "FuzzInstance.h"
#include "engine/RznFile.h"

namespace {

std::string preset_path() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/resonix-fuzz-" + std::to_string(getpid()) + ".rzn";
  }();
  return path;
}

bool same(const double* a, const double* b) {
  return std::memcmp(a, b, sizeof(double) * kNumBands) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RznPreset preset;
  const RznStatus status = RznFile::decode(data, size, &preset);
  if (status == RznStatus::ok) {
    // What is read is written back the same and read again the same.
    const RznFile::Image image = RznFile::encode(preset);
    RznPreset again;
    if (RznFile::decode(image.data(), image.size(), &again) != RznStatus::ok ||
        std::memcmp(&again, &preset, sizeof preset) != 0)
      fuzz_fail("decoded preset does not survive its own encoding");
  }

  {
    std::ofstream file(preset_path(), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  }
  FuzzInstance& f = FuzzInstance::get();
  IResonix& plug = f.plug();
  const bool whole = size % 2 == 0;
  const std::vector<uint8_t> before = f.state();
  double measured_before[kNumBands];
  std::memcpy(measured_before, plug.measured, sizeof plug.measured);
  f.gui()->ClearNotices();
  f.gui()->QueueFileAnswer(preset_path());
  plug.from_GUI(whole ? kParamLoad : kParamLoadTarget);

  if (status != RznStatus::ok) {
    if (f.gui()->Notices().size() != 1 || f.gui()->Notices()[0].text != RznFile::message(status))
      fuzz_fail("refused preset without its message");
    if (f.state() != before) fuzz_fail("refused preset changed the state");
    return 0;
  }
  if (!f.gui()->Notices().empty()) fuzz_fail("accepted preset showed a notice");
  if (!same(plug.target_shape, preset.target_shape) || plug.vslider_pos != preset.vslider_pos)
    fuzz_fail("accepted preset not read bit for bit");
  if (!same(plug.measured, whole ? preset.measured : measured_before))
    fuzz_fail("measured curve not as the command says");
  f.require_finite_audio();
  return 0;
}
