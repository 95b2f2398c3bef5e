// Everything a host and a user do to one instance at once (linux/HostTraffic.h): the editor view open
// and drawing under pen strokes through the host's run loop, audio blocks carrying automation of
// "Vertical slider" and controller edits from the host's thread, component states saved and loaded.
// Under ThreadSanitizer (make tsan) any data race fails it; every state saved reads back.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>

#include "vst3/Vst3TestHost.h"
// Xlib last: its macros would clash with the SDK headers above.
#include "linux/HostTraffic.h"

using namespace vst3test;
using namespace std::chrono_literals;

TEST(Vst3Stress, EditorStrokesAudioAutomationAndStatesAtOnce) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (DISPLAY unset)";
  TrafficHostWindow window;
  ASSERT_TRUE(window.Valid());
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  ASSERT_EQ(plug.Setup(44100.0, 256, kSample64), kResultOk);
  IPlugView* view = plug.Controller()->createView(ViewType::kEditor);
  ASSERT_NE(view, nullptr);
  TestRunLoop loop;
  view->setFrame(&loop);
  ASSERT_EQ(view->attached(window.Id(), kPlatformTypeX11EmbedWindowID), kResultTrue);
  loop.RunFor(100ms);
  const Window editor = window.Editor();
  ASSERT_NE(editor, 0u);

  HostTraffic traffic;
  traffic.process = [&](const std::vector<double>& in, long block) {
    TestParameterChanges changes;
    if (block % 4 == 0) changes.Add(1, 0.6 + 0.3 * std::sin(0.004 * double(block)));
    plug.Process(in, &changes);
  };
  traffic.automate = [&](int k) { plug.Controller()->setParamNormalized(2, 0.5 + 0.4 * std::sin(0.3 * k)); };
  traffic.save = [&] { return plug.ComponentState(); };
  traffic.load = [&](const std::vector<uint8_t>& state) { plug.SetComponentState(state); };
  traffic.editor_frame = [&] { loop.RunFor(8ms); };
  const auto saved = RunHostTraffic(traffic, window.Dpy(), editor, 3s);
  EXPECT_EQ(view->removed(), kResultTrue);
  view->release();

  TestPlugin reader;
  ASSERT_GT(saved.size(), 10u);
  for (const auto& state : saved) {
    ASSERT_FALSE(state.empty());
    ASSERT_EQ(reader.SetComponentState(state), kResultOk);
    EXPECT_EQ(reader.ComponentState(), state);
  }
}
