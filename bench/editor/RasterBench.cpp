// What one editor frame costs in the raster back-end: the full-size background copy, a translucent
// panel, the plot's three curves as anti-aliased lines, a text label, and a strict redraw of a
// synthetic editor of the same size through IGraphics.
#include <benchmark/benchmark.h>

#include <cmath>

#include "framework/core/IEffectBase.h"
#include "framework/graphics/IBitmapControl.h"
#include "framework/graphics/ITextControl.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "raster/FontCache.h"
#include "raster/RasterBitmap.h"
#include "raster/RasterLine.h"

namespace {
constexpr int kW = 730, kH = 431;

RasterBitmap Gradient(int w, int h, uint32_t alpha) {
  RasterBitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, alpha << 24 | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | 0x40u);
  return b;
}

class BenchPlug : public IEffectBase {
 public:
  BenchPlug()
      : IEffectBase(1, "1-1", 1, "Bench", "", "example.com", 0x10000, FourCC("Bnch"), FourCC("Bnch"), 0,
                    false, true, false, kAPIHeadless) {
    GetParam(0)->InitDouble("p", 0.0, 0.0, 1.0, 0.01);
  }
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
};
}  // namespace

static void BM_RasterBackgroundCopy(benchmark::State& state) {
  RasterBitmap dst(kW, kH), src = Gradient(kW, kH, 0xFF);
  for (auto _ : state) {
    RasterBlit(dst, src, 0, 0, 0, 0, kW, kH, RasterBlendMode::kCopy, 1.0f, dst.Bounds());
    benchmark::DoNotOptimize(dst.Pixels());
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_RasterBackgroundCopy);

static void BM_RasterTranslucentPanel(benchmark::State& state) {
  RasterBitmap dst = Gradient(kW, kH, 0xFF), src = Gradient(422, 121, 0x80);
  for (auto _ : state) {
    RasterBlit(dst, src, 57, 100, 0, 0, 422, 121, RasterBlendMode::kCopyAlpha, 0.25f, dst.Bounds());
    benchmark::DoNotOptimize(dst.Pixels());
  }
  state.SetItemsProcessed(state.iterations() * 422 * 121);
}
BENCHMARK(BM_RasterTranslucentPanel);

// Seven strokes over 437 segments, as the response plot draws its target, measured and corrected curves.
static void BM_RasterPlotCurves(benchmark::State& state) {
  RasterBitmap dst(kW, kH, 0xFF000000u);
  int ys[438];
  for (int k = 0; k < 438; ++k) ys[k] = 196 + int(120 * std::sin(k * 0.05));
  const RasterRect plot{49, 11, 487, 380};
  for (auto _ : state) {
    for (int stroke = 0; stroke < 7; ++stroke)
      for (int k = 0; k < 437; ++k)
        RasterLine(dst, float(49 + k), float(ys[k] - stroke % 2), float(50 + k),
                   float(ys[k + 1] - stroke % 2), 0xFFAAAAAAu, RasterBlendMode::kCopy, 1.0f, true, plot);
    benchmark::DoNotOptimize(dst.Pixels());
  }
  state.SetItemsProcessed(state.iterations() * 7 * 437);
}
BENCHMARK(BM_RasterPlotCurves);

static void BM_RasterTextLabel(benchmark::State& state) {
  RasterBitmap dst(kW, kH, 0xFF000000u);
  RasterFont::Spec spec;
  spec.file = std::string(RESONIX_BUILD_RESOURCES_DIR) + "/fonts/DejaVuSans-Bold.ttf";
  spec.height = 12;
  RasterFont* font = FontCache::Get(spec);
  if (!font) {
    state.SkipWithError("bundled font missing");
    return;
  }
  for (auto _ : state) {
    font->Draw(dst, "Knock. Time left: 12 sec.", RasterRect{57, 141, 479, 181}, RasterFont::kAlignCenter,
               0xFFFFFFFFu, dst.Bounds());
    benchmark::DoNotOptimize(dst.Pixels());
  }
}
BENCHMARK(BM_RasterTextLabel);

// Background, 24 bitmap controls and a text label, all redrawn in one strict pass.
static void BM_GraphicsStrictFullRedraw(benchmark::State& state) {
  BenchPlug plug;
  auto* gui = new IGraphicsHeadless(&plug, kW, kH);
  static RasterBitmap background = Gradient(kW, kH, 0xFF), handle = Gradient(12, 10, 0xFF);
  IBitmap bg(&background, kW, kH), knob(&handle, 12, 10);
  gui->AttachControl(new IBitmapControl(&plug, 0, 0, -1, &bg, IChannelBlend::kBlendClobber));
  for (int i = 0; i < 24; ++i) gui->AttachControl(new IBitmapControl(&plug, 20 + i * 25, 400, -1, &knob));
  IText style(12, &COLOR_WHITE);
  gui->AttachControl(new ITextControl(&plug, IRECT(667, 191, 715, 204), &style, "0.0 dB"));
  plug.AttachGraphics(gui);
  for (auto _ : state) gui->RedrawAll();
}
BENCHMARK(BM_GraphicsStrictFullRedraw);
