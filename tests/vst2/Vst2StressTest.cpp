// Everything a host and a user do to one instance at once (linux/HostTraffic.h): the editor open and
// drawing under pen strokes, audio blocks, automation of "Vertical slider" from the host's thread,
// program chunks saved and loaded. Under ThreadSanitizer (make tsan) any data race fails it; every
// state saved reads back.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "vst2/Vst2Host.h"

#if RESONIX_TEST_X11
#include "linux/HostTraffic.h"

using namespace vst2;
using namespace vst2test;
using namespace std::chrono_literals;

TEST(Vst2Stress, EditorStrokesAudioAutomationAndChunksAtOnce) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  TrafficHostWindow window;
  ASSERT_TRUE(window.Valid());
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  VstIntPtr opened = 0;
  for (int attempt = 0; attempt < 3 && opened != 1; ++attempt)
    opened = plug.dispatch(effEditOpen, 0, 0, window.Id());
  if (opened != 1) GTEST_SKIP() << "this build has no editor window";
  const Window editor = window.Editor();
  ASSERT_NE(editor, 0u);

  HostTraffic traffic;
  traffic.process = [&](const std::vector<double>& in, long) { plug.process_double(in); };
  traffic.automate = [&](int k) { plug.set(1, float(0.6 + 0.3 * std::sin(0.2 * k))); };
  traffic.save = [&] { return plug.chunk(true); };
  traffic.load = [&](const std::vector<uint8_t>& state) { plug.set_chunk(true, state); };
  traffic.editor_frame = [&] {
    plug.dispatch(effEditIdle);
    std::this_thread::sleep_for(8ms);
  };
  const auto saved = RunHostTraffic(traffic, window.Dpy(), editor, 3s);
  EXPECT_EQ(plug.dispatch(effEditClose), 1);

  Vst2Instance reader;
  ASSERT_GT(saved.size(), 10u);
  for (const auto& state : saved) {
    ASSERT_FALSE(state.empty());
    ASSERT_EQ(reader.set_chunk(true, state), 1);
    EXPECT_EQ(reader.chunk(true), state);
  }
}

#endif
