#pragma once
// An instance of the Windows module with its editor attached to a host window of the test thread,
// and the part of its state that holds the user's work.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "editor/EditorLayout.h"
#include "vst3/Vst3TestHost.h"
#include "win/WinTestSupport.h"

namespace wintest {

struct EditorSession {
  vst3test::TestPlugin plug;
  HostWindow host;
  Steinberg::IPlugView* view = nullptr;
  HWND editor = nullptr;

  EditorSession() {
    if (!plug.Valid()) return;
    view = plug.Controller()->createView("editor");
    if (view && view->attached(host.Handle(), Steinberg::kPlatformTypeHWND) == Steinberg::kResultTrue)
      editor = EditorWindowIn(host.Handle());
    Pump(100);
  }
  ~EditorSession() {
    if (view) {
      view->removed();
      view->release();
    }
    Pump(20);
  }
  std::vector<uint8_t> State() { return plug.ComponentState(); }
  void Press(const layout::Rect& button) {
    Click(editor, (button.left + button.right) / 2, (button.top + button.bottom) / 2);
  }
};

// What a state holds of the user's work: the curves (measured, then the target's shape) and the
// four settings (mode, vertical slider, bypass volume, note). The parameter values after them only
// record which command button was pressed last.
inline std::vector<uint8_t> Work(const std::vector<uint8_t>& state) {
  const size_t bytes = 2 * 120 * sizeof(double) + 4 * sizeof(double);
  return std::vector<uint8_t>(state.begin(), state.begin() + std::min(bytes, state.size()));
}

// The first byte where the work of two states differs, or -1.
inline long FirstDifference(const std::vector<uint8_t>& stateA, const std::vector<uint8_t>& stateB) {
  const std::vector<uint8_t> a = Work(stateA), b = Work(stateB);
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (a[i] != b[i]) return long(i);
  return a.size() == b.size() ? -1 : long(std::min(a.size(), b.size()));
}

}  // namespace wintest
