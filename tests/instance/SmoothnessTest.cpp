// What the user hears while changing things during playback: no clicks, nothing allocated on the
// audio thread, and a host reset that sounds as a fresh instance.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "editor/EditorLayout.h"
#include "instance/PluginUnderTest.h"

// Allocations counted on the threads that ask for it; everything else passes straight to malloc.
namespace {
thread_local bool counting = false;
std::atomic<long> counted{0};
void* allocate(std::size_t n, std::size_t align = 0) {
  if (counting) counted.fetch_add(1, std::memory_order_relaxed);
  void* p = align ? std::aligned_alloc(align, (n + align - 1) / align * align) : std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
void release_memory(void* p) {
  if (counting && p) counted.fetch_add(1, std::memory_order_relaxed);
  std::free(p);
}
}  // namespace

void* operator new(std::size_t n) {
  return allocate(n);
}
void* operator new[](std::size_t n) {
  return allocate(n);
}
void* operator new(std::size_t n, std::align_val_t a) {
  return allocate(n, std::size_t(a));
}
void* operator new[](std::size_t n, std::align_val_t a) {
  return allocate(n, std::size_t(a));
}
// The nothrow forms too, or their blocks would come from the runtime's allocator and return to ours.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return allocate(n);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
  return operator new(n, std::nothrow);
}
void operator delete(void* p) noexcept {
  release_memory(p);
}
void operator delete[](void* p) noexcept {
  release_memory(p);
}
void operator delete(void* p, std::size_t) noexcept {
  release_memory(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  release_memory(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  release_memory(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  release_memory(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  release_memory(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  release_memory(p);
}

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;
constexpr double kSine = 220.0;
constexpr double kSliderPerDb = 1.0 / 45.0;  // "Vertical slider" spans 45 dB

int x_of(int band) {
  return layout::kPlotLeft + int(band * 437.0 / 119.0 + 0.5);
}
int y_of(double db) {
  return int(11 + 369.0 * -(std::log10(kInitialLevel) + db / 20.0) / 2.5 + 0.5);
}

// A steady sine through the instance, block by block, recording the output.
struct Player {
  explicit Player(PluginUnderTest& plug) : p(plug) {}
  PluginUnderTest& p;
  std::vector<double> out;
  double in_block[kBlock] = {};
  double out_block[kBlock] = {};
  long n = 0;

  void play(double seconds) {
    for (long end = n + long(seconds * kRate); n < end;) {
      for (int k = 0; k < kBlock; ++k)
        in_block[k] = 0.5 * std::sin(2 * std::numbers::pi * kSine * double(n + k) / kRate);
      p.process(in_block, out_block, kBlock);
      out.insert(out.end(), out_block, out_block + kBlock);
      n += kBlock;
    }
  }
};

// Largest |x[i+1] - 2 x[i] + x[i-1]| over [from, to).
double second_difference(const std::vector<double>& x, std::size_t from, std::size_t to) {
  double m = 0;
  for (std::size_t i = std::max<std::size_t>(from, 1); i + 1 < std::min(to, x.size()); ++i)
    m = std::max(m, std::fabs(x[i + 1] - 2 * x[i] + x[i - 1]));
  return m;
}

// A correction with a 3 dB rise around the sine (bands 35 .. 47, A3 is 41), drawn before playing.
void draw_a_rise(PluginUnderTest& p) {
  IMouseMod left(true);
  p.gui->OnMouseDown(x_of(35), y_of(0), &left);
  p.gui->OnMouseDrag(x_of(41), y_of(3), &left);
  p.gui->OnMouseUp(x_of(47), y_of(0), &left);
  p->wait_for_design();
}

// A steady 220 Hz sine while the user and the host change what is heard: "Vertical slider" moved by
// 3 dB every 60 ms, a stroke drawn over the sine's band (a preview design at every move), state loads,
// Mode switches and a bypass gain change. Every change moves the level by at most a few dB, so a
// smooth output's second difference stays within the level's growth (about 1.4 times) of the
// steady sine's; a click, a zeroed state or a silent block jumps to hundreds of times. The bound,
// twice the steady value, leaves room for the level and the correction's own settling and none
// for a click.
TEST(Smoothness, ChangesWhilePlayingAreHeardWithoutClicks) {
  PluginUnderTest p(kRate, kBlock);
  draw_a_rise(p);
  const double base = p->HostGetParameter(kParamVerticalSlider);
  ByteChunk lower, higher;
  ASSERT_TRUE(p->HostGetState(&lower));
  p->HostSetParameter(kParamVerticalSlider, base + 2 * kSliderPerDb);
  ASSERT_TRUE(p->HostGetState(&higher));
  p->HostSetParameter(kParamVerticalSlider, base);

  Player player{p};
  player.play(0.5);
  const std::size_t settled = player.out.size();
  player.play(0.5);
  const double steady = second_difference(player.out, settled, player.out.size());
  const std::size_t changes = player.out.size();

  for (int i = 0; i < 16; ++i) {  // host automation
    p->HostSetParameter(kParamVerticalSlider, base + (i % 2 ? 3 : -1) * kSliderPerDb);
    player.play(0.06);
  }
  p->HostSetParameter(kParamVerticalSlider, base);
  player.play(0.1);
  IMouseMod left(true);  // a stroke over the sine's band, one move per block
  p.gui->OnMouseDown(x_of(36), y_of(1), &left);
  for (int band = 36; band <= 46; ++band) {
    p.gui->OnMouseDrag(x_of(band), y_of(band % 2 ? 3 : 1), &left);
    player.play(0.03);
  }
  p.gui->OnMouseUp(x_of(46), y_of(1), &left);
  player.play(0.1);
  for (ByteChunk* state : {&higher, &lower, &higher}) {  // state loads
    ASSERT_TRUE(p->HostSetState(state));
    player.play(0.1);
  }
  p->HostSetParameter(kParamMode, 1.0);
  player.play(0.1);
  p->HostSetParameter(kParamBypassVolume, 0.55);  // +2 dB
  player.play(0.1);
  p->HostSetParameter(kParamMode, 0.0);
  player.play(0.2);

  const double worst = second_difference(player.out, changes, player.out.size());
  ASSERT_GT(steady, 0.0);
  RecordProperty("click_ratio", std::to_string(worst / steady));
  EXPECT_LT(worst, 2.0 * steady) << "worst " << worst << " steady " << steady;
}

// A reset instance plays exactly as a fresh one restored from the same state, even when the reset
// comes in the middle of a transition.
TEST(Smoothness, AHostResetSoundsAsAFreshRestoredInstance) {
  PluginUnderTest played(kRate, kBlock);
  draw_a_rise(played);
  Player before{played};
  before.play(0.3);
  played->HostSetParameter(kParamVerticalSlider, played->HostGetParameter(kParamVerticalSlider) + 0.05);
  before.play(0.005);  // a crossfade under way
  played->HostReset();
  ByteChunk state;
  ASSERT_TRUE(played->HostGetState(&state));
  PluginUnderTest fresh(kRate, kBlock);
  ASSERT_TRUE(fresh->HostSetState(&state));

  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0.0, 0.2);
  std::vector<double> in(kBlock), a(kBlock), b(kBlock);
  long differ = 0;
  for (int block = 0; block < 100; ++block) {
    for (double& v : in) v = noise(rng);
    played.process(in.data(), a.data(), kBlock);
    fresh.process(in.data(), b.data(), kBlock);
    for (int k = 0; k < kBlock; ++k) differ += a[k] != b[k];
  }
  EXPECT_EQ(differ, 0);
}

// A realtime host's audio thread while another thread automates, loads states and draws: nothing is
// allocated or freed in the audio callback.
TEST(Smoothness, TheAudioThreadNeverAllocatesUnderHostTraffic) {
  PluginUnderTest p(kRate, kBlock);
  draw_a_rise(p);
  ByteChunk state;
  ASSERT_TRUE(p->HostGetState(&state));
  p->HostSetRealtime(true);
  counting = true;  // the count itself works
  int* volatile probe = new int(1);
  delete probe;
  counting = false;
  ASSERT_EQ(counted.exchange(0), 2);
  std::atomic<bool> stop{false};
  long audio_allocations = 0;
  std::thread audio([&] {
    std::vector<double> in(kBlock, 0.1), out(kBlock);
    int blocks = 0;
    while (!stop.load() || blocks < 50) {
      counting = true;
      p.process(in.data(), out.data(), kBlock);
      counting = false;
      ++blocks;
    }
    audio_allocations = counted.load();
  });
  for (int i = 0; i < 40; ++i) {
    p->HostSetParameter(kParamVerticalSlider, 0.3 + 0.01 * (i % 7));
    if (i % 10 == 3) p->HostSetState(&state);
    if (i % 10 == 6) p->HostSetParameter(kParamMode, i % 20 < 10 ? 1.0 : 0.0);
    IMouseMod left(true);
    p.gui->OnMouseDown(x_of(20 + i), y_of(i % 4), &left);
    p.gui->OnMouseDrag(x_of(24 + i), y_of(2), &left);
    p.gui->OnMouseUp(x_of(24 + i), y_of(2), &left);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  stop = true;
  audio.join();
  EXPECT_EQ(audio_allocations, 0);
}

}  // namespace
