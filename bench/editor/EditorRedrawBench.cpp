// The plug-in's own editor: a whole frame, the response plot alone, and the curve routine.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "editor/EditorLayout.h"
#include "editor/IMyPlots.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "plugin/IResonix.h"

namespace {

// Curves with the detail of a real guitar: resonances over a falling slope.
void shape_curves(IResonix& plug) {
  for (int i = 0; i < kNumBands; ++i) {
    const double db = -0.25 * i + 12.0 * std::sin(i * 0.7) * std::exp(-i / 60.0);
    plug.measured[i] = std::pow(10.0, std::min(0.0, db) / 20.0);
    plug.target[i] = plug.measured[i] * 0.8;
    plug.corrected[i] = plug.measured[i] * 0.9;
  }
}

// Argument: the screen scale in percent (one frame at 25 per second is 40 ms).
void BM_EditorFullRedraw(benchmark::State& state) {
  IResonix plug{IInstanceInfo{}};
  shape_curves(plug);
  auto* gui = dynamic_cast<IGraphicsHeadless*>(plug.GetGUI());
  gui->SetScale(double(state.range(0)) / 100.0);
  for (auto _ : state) {
    gui->RedrawAll();
    benchmark::DoNotOptimize(gui->GetDrawBitmap());
  }
  state.SetLabel(std::to_string(gui->DeviceWidth()) + " x " + std::to_string(gui->DeviceHeight()) +
                 ", every control");
}
BENCHMARK(BM_EditorFullRedraw)->Arg(100)->Arg(150)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_EditorPlotFrame(benchmark::State& state) {
  IResonix plug{IInstanceInfo{}};
  shape_curves(plug);
  auto* gui = dynamic_cast<IGraphicsHeadless*>(plug.GetGUI());
  IControl* plot = gui->GetControl(plug.ui.plot_control);
  for (auto _ : state) {
    plot->SetDirty(false);
    gui->Tick();  // the plot's rectangle: background under it, the plot, the panels over it
  }
}
BENCHMARK(BM_EditorPlotFrame);

void BM_PlotBezier(benchmark::State& state) {
  double values[layout::kPlotBands];
  for (int i = 0; i < layout::kPlotBands; ++i)
    values[i] = std::pow(10.0, (-0.3 * i + 8.0 * std::sin(i)) / 20.0);
  MyPoint out[IMyPlots::kColumns];
  for (auto _ : state) {
    IMyPlots::Bezier(values, layout::kPlotLeft, layout::kPlotRight, layout::kPlotTop, layout::kPlotBottom,
                     layout::kPlotBands, out);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_PlotBezier);

}  // namespace
