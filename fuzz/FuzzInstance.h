#pragma once
// Shared by the fuzz targets on the headless adapter: one instance per process (construction runs a
// design, too slow to repeat per input), its whole state as comparable bytes, and a check that it
// still plays finite audio. The instance plays as in a realtime host: a load returns at once and the
// design runs behind it, so an input whose fit runs to its bound costs the fuzzer nothing; the
// correction of the loaded curves is checked on a short fit of its own.

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "engine/Cascade.h"
#include "engine/CorrectionDesign.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "plugin/IResonix.h"

class FuzzInstance {
 public:
  static FuzzInstance& get() {
    static FuzzInstance instance;
    return instance;
  }

  IResonix& plug() { return *plug_; }
  IGraphicsHeadless* gui() { return gui_; }

  // Everything a refused load must leave alone: curves, the target, mirrors and parameters.
  std::vector<uint8_t> state() {
    std::vector<uint8_t> bytes;
    append(&bytes, plug_->measured, kNumBands);
    append(&bytes, plug_->target_shape, kNumBands);
    append(&bytes, plug_->target, kNumBands);
    const double mirrors[4] = {plug_->mode.load(), plug_->vslider_pos, plug_->bypass_volume.load(),
                               plug_->note_pos};
    append(&bytes, mirrors, 4);
    for (int i = 0; i < kNumParams; ++i) {
      const double v = plug_->GetParam(i)->Value();
      append(&bytes, &v, 1);
    }
    return bytes;
  }

  // A knock-like block through the audio callback with the correction on, and through a correction
  // fitted to the curves now loaded: every output sample must be finite.
  void require_finite_audio() {
    std::vector<double> in = knock_block<double>(kBlock), out(kBlock);
    double* ins[1] = {in.data()};
    double* outs[1] = {out.data()};
    plug_->HostProcess(ins, outs, kBlock);
    require_finite(out);

    CorrectionDesign::Inputs curves;
    curves.n = plug_->nbands;
    curves.sample_rate = plug_->sample_rate.load();
    const std::size_t bytes = sizeof(double) * std::size_t(curves.n);
    std::memcpy(curves.measured, plug_->measured, bytes);
    std::memcpy(curves.target, plug_->target, bytes);
    std::memcpy(curves.band_freq, plug_->band_freq, bytes);
    if (!design_->fit(curves, kShortFit)) return;
    design_->build_sections(curves.sample_rate, filter_->edit());
    filter_->publish();
    filter_->process(in.data(), out.data(), kBlock);
    require_finite(out);
  }

 private:
  static constexpr int kBlock = 512;
  // Iterations of the check's own fit: each moves a gain by a twentieth of its remaining logarithmic
  // error, so 100 take every gain within 1 % of where it is heading, at its limit if it heads past.
  static constexpr int kShortFit = 100;

  FuzzInstance() : home_(use_private_home()), plug_(new IResonix(IInstanceInfo{})) {
    if (!plug_->GetGUI()) plug_->AttachGraphics(new IGraphicsHeadless(plug_.get(), 730, 431));
    gui_ = dynamic_cast<IGraphicsHeadless*>(plug_->GetGUI());
    plug_->HostSetBlockSize(kBlock);
    plug_->HostSetSampleRate(48000.0);
    plug_->HostSetParameter(kParamMode, 1.0);  // EQ: the correction is what plays
    plug_->HostSetRealtime(true);
  }

  static void append(std::vector<uint8_t>* bytes, const double* values, int n) {
    const auto* p = reinterpret_cast<const uint8_t*>(values);
    bytes->insert(bytes->end(), p, p + sizeof(double) * std::size_t(n));
  }

  bool home_;
  std::unique_ptr<IResonix> plug_;
  IGraphicsHeadless* gui_ = nullptr;
  std::unique_ptr<CorrectionDesign> design_ = std::make_unique<CorrectionDesign>();
  std::unique_ptr<Cascade> filter_ = std::make_unique<Cascade>();
};
