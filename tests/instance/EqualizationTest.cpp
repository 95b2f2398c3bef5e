#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/Notice.h"
#include "plugin/IResonix.h"
#include "reference/ReferenceCascade.h"
#include "reference/ReferenceCurves.h"
#include "reference/ReferenceDesign.h"

namespace {

// An instance as a host leaves it before the first block: rate and block size set.
std::unique_ptr<IResonix> make_instance(double rate = 44100, int block = 512) {
  auto plug = std::make_unique<IResonix>(IInstanceInfo{});
  plug->HostSetSampleRate(rate);
  plug->HostSetBlockSize(block);
  return plug;
}

// One mono block through the host path.
std::vector<double> process(IResonix& plug, std::vector<double> in) {
  std::vector<double> out(in.size(), -7.0);
  double* ins[1] = {in.data()};
  double* outs[1] = {out.data()};
  plug.HostProcess(ins, outs, int(in.size()));
  return out;
}

void load_guitar_curves(IResonix& plug) {
  const reference::Curves c = reference::guitar_curves();
  std::memcpy(plug.measured, c.measured, sizeof c.measured);
  std::memcpy(plug.target, c.target, sizeof c.target);
  plug.measured[100] *= 0.01;  // beyond the 20x limit: corrected stays off the target there
}

// The published filter does what the plot's "corrected" curve claims, at the rate it was designed for.
void expect_filter_matches_corrected(const IResonix& plug) {
  ASSERT_EQ(plug.filter_ready.load(), 1);
  ASSERT_EQ(plug.nsections, 120);
  int unsnapped = 0;
  for (int j = 0; j < 120; ++j) {
    const double mag = reference::cascade_magnitude(plug.coef_a, plug.coef_b, plug.coef_c, plug.out_gain, 120,
                                                    plug.band_freq[j], plug.sample_rate);
    if (plug.corrected[j] == plug.target[j]) {
      EXPECT_NEAR(std::log10(mag * plug.measured[j] / plug.target[j]), 0.0, 0.5 / 147 + 0.0022) << j;
    } else {
      EXPECT_NEAR(mag / (plug.corrected[j] / plug.measured[j]), 1.0, 0.005) << "band " << j;
      ++unsnapped;
    }
  }
  EXPECT_GT(unsnapped, 0);
}

TEST(Equalization, PublishedFilterMatchesCorrectedAtEveryHostRate) {
  struct Case {
    double host_rate, design_rate;
  } cases[] = {{44100, 44100}, {48000, 48000}, {96000, 96000}, {64000, 64000}, {22050, 44056}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host_rate);
    auto plug = make_instance();
    load_guitar_curves(*plug);
    plug->HostSetSampleRate(c.host_rate);
    plug->run();  // the curves changed; a rate change alone re-designs only when the rate differs
    plug->wait_for_design();
    EXPECT_EQ(plug->sample_rate, c.design_rate);
    expect_filter_matches_corrected(*plug);
  }
}

// What the audio thread plays is exactly the set the design reports in coef_a/b/c and out_gain.
TEST(Equalization, AudioRunsThePublishedCoefficientsBitForBit) {
  auto plug = make_instance();
  load_guitar_curves(*plug);
  plug->HostSetSampleRate(48000);
  plug->HostSetBlockSize(512);
  plug->run();
  plug->wait_for_design();
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> u(-0.5, 0.5);
  std::vector<double> in(512 * 20);
  for (double& v : in) v = u(rng);
  reference::CascadeState st;
  std::vector<double> expect(in.size());
  reference::process_eq(plug->coef_a, plug->coef_b, plug->coef_c, plug->out_gain, 120, st, in.data(),
                        expect.data(), int(in.size()));
  for (std::size_t b = 0; b < 20; ++b) {
    const std::vector<double> block(in.begin() + std::ptrdiff_t(b * 512),
                                    in.begin() + std::ptrdiff_t(b * 512 + 512));
    const std::vector<double> out = process(*plug, block);
    for (std::size_t k = 0; k < 512; ++k) ASSERT_EQ(out[k], expect[b * 512 + k]) << b << " " << k;
  }
}

// A design made while in Bypass builds the fitted sections too: going back to EQ plays the correction.
TEST(Equalization, DesignInBypassBuildsTheFittedSections) {
  auto eq = make_instance(), bypassed = make_instance();
  load_guitar_curves(*eq);
  load_guitar_curves(*bypassed);
  bypassed->HostSetParameter(kParamMode, 1.0);
  eq->run();
  bypassed->run();
  eq->wait_for_design();
  bypassed->wait_for_design();
  for (int i = 0; i < 120; ++i) {
    EXPECT_EQ(bypassed->coef_a[i], eq->coef_a[i]);
    EXPECT_NE(bypassed->band_q[i], 100.0);
  }
  bypassed->HostSetParameter(kParamMode, 0.0);
  const std::vector<double> impulse = [] {
    std::vector<double> v(256, 0.0);
    v[0] = 1.0;
    return v;
  }();
  EXPECT_EQ(process(*bypassed, impulse), process(*eq, impulse));
}

// A change of the volume ramps over a few milliseconds (the block of 4096 frames outlasts it); then
// the gain is exact.
TEST(Equalization, BypassScalesByTheBypassVolume) {
  auto plug = make_instance();
  plug->HostSetParameter(kParamMode, 1.0);
  const std::vector<double> in = {0.5, -0.25, 0.125, 1.0};
  for (auto [volume, gain] : {std::pair{0.0, 0.1}, {0.5, 1.0}, {1.0, 10.0}}) {
    plug->HostSetParameter(kParamBypassVolume, volume);
    process(*plug, std::vector<double>(4096, 0.0));
    const std::vector<double> out = process(*plug, in);
    for (std::size_t k = 0; k < in.size(); ++k) EXPECT_DOUBLE_EQ(out[k], in[k] * gain) << volume;
  }
  plug->HostSetParameter(kParamBypassVolume, 0.5);
  process(*plug, std::vector<double>(4096, 0.0));
  EXPECT_EQ(process(*plug, in), in);  // unity is exact
}

TEST(Equalization, MeterIsLinearInDecibelsAndUpdatesEvery50ms) {
  auto plug = make_instance();
  plug->HostSetSampleRate(48000);
  plug->HostSetBlockSize(512);
  // int(48000 * 0.05 / 512) = 4 blocks per update, holding the peak of all four.
  const std::vector<double> loud(512, 1.0), quiet(512, 0.001), mid(512, std::pow(10.0, -30.0 / 20));
  std::vector<double> seen;
  for (int b = 0; b < 4; ++b) {
    process(*plug, b == 1 ? loud : quiet);
    seen.push_back(plug->messages.level());
  }
  EXPECT_EQ(seen[0], 0.0);
  EXPECT_EQ(seen[2], 0.0);
  EXPECT_EQ(seen[3], 1.0);
  for (int b = 0; b < 4; ++b) process(*plug, quiet);
  EXPECT_EQ(plug->messages.level(), 0.0);  // -60 dB
  for (int b = 0; b < 4; ++b) process(*plug, mid);
  EXPECT_NEAR(plug->messages.level(), 0.5, 1e-12);

  // Blocks longer than 50 ms update the meter every block.
  plug->HostSetSampleRate(44100);
  plug->HostSetBlockSize(4096);
  process(*plug, std::vector<double>(4096, 1.0));
  EXPECT_EQ(plug->messages.level(), 1.0);
  process(*plug, std::vector<double>(4096, 0.0));
  EXPECT_EQ(plug->messages.level(), 0.0);
}

TEST(Equalization, MetersOfTwoInstancesAreIndependent) {
  auto a = make_instance(), b = make_instance();
  for (IResonix* p : {a.get(), b.get()}) {
    p->HostSetSampleRate(44100);
    p->HostSetBlockSize(4096);
  }
  process(*a, std::vector<double>(4096, 1.0));
  process(*b, std::vector<double>(4096, 0.0));
  EXPECT_EQ(a->messages.level(), 1.0);
  EXPECT_EQ(b->messages.level(), 0.0);
}

TEST(Equalization, NullInputIsSilenceAndEmptyBlocksAreIgnored) {
  auto plug = make_instance();
  plug->HostSetParameter(kParamMode, 1.0);
  std::vector<double> out(64, 3.0);
  double* ins[1] = {nullptr};
  double* outs[1] = {out.data()};
  plug->HostProcess(ins, outs, 64);
  for (double v : out) EXPECT_EQ(v, 0.0);
  plug->HostProcess(ins, outs, 0);
}

// The calibration file is picked up from the user's folder at construction.
class EqualizationCalibration : public ::testing::Test {
 protected:
  static std::filesystem::path folder() {
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "/tmp") / "Documents" / "Korvane Resonix";
  }
  void SetUp() override {
    std::filesystem::create_directories(folder());
    for (const auto& e : std::filesystem::directory_iterator(folder())) {
      const std::string ext = e.path().extension().string();
      if (ext == ".frd" || ext == ".cal") std::filesystem::remove(e.path());
    }
    previous = set_notice_hook(+[](const char* text, const char*) { notices.push_back(text); });
    notices.clear();
  }
  void TearDown() override {
    set_notice_hook(previous);
    for (const char* name : {"mic.frd", "mic.cal"}) std::filesystem::remove(folder() / name);
  }
  static inline std::vector<std::string> notices;
  NoticeHook previous = nullptr;
};

TEST_F(EqualizationCalibration, FileInTheUserFolderSetsFactorsAndName) {
  std::ofstream(folder() / "mic.cal") << "Calibration of a test microphone\n20 -3\n20000 3\n";
  auto plug = make_instance();
  EXPECT_EQ(plug->calibration_name, "mic.cal");
  EXPECT_NEAR(plug->calibration[53], 0.71830, 1e-5);
  EXPECT_TRUE(notices.empty());
}

TEST_F(EqualizationCalibration, NoFileMeansFlatAndNoName) {
  auto plug = make_instance();
  EXPECT_EQ(plug->calibration_name, "");
  for (double c : plug->calibration) EXPECT_EQ(c, 1.0);
}

}  // namespace
