#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <map>

#include "framework/core/IEffectBase.h"
#include "framework/core/IParam.h"
#include "framework/graphics/IBitmapControl.h"
#include "framework/graphics/IPanelControl.h"
#include "raster/RasterBitmap.h"
#include "raster/RasterBlend.h"
#include "raster/RasterLine.h"
#include "raster/RasterResample.h"

namespace {
// Decoded bitmaps, shared by every editor of the process. They are released when the last editor
// goes, so a host that scans or unloads the plug-in gets its memory back.
struct CachedBitmap {
  std::string name;
  std::unique_ptr<RasterBitmap> density[IBitmap::kMaxDensity];  // 1x, 2x, 3x; only 1x is required
  bool tried[IBitmap::kMaxDensity] = {};  // denser artwork is decoded only when a screen needs it
};
struct BitmapCache {
  std::mutex mutex;
  std::map<int, CachedBitmap> bitmaps;
  int editors = 0;  // live IGraphics objects
};
BitmapCache& TheBitmapCache() {
  static BitmapCache* cache = new BitmapCache;
  return *cache;
}

struct DefaultFolder {
  std::mutex mutex;
  std::string folder;
};
DefaultFolder& TheDefaultFolder() {
  static DefaultFolder* folder = [] {
    auto* f = new DefaultFolder;
    const char* env = std::getenv("RESONIX_RESOURCE_DIR");
    f->folder = env && *env ? env : RESONIX_BUILD_RESOURCES_DIR;
    return f;
  }();
  return *folder;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : "/tmp";
}
}  // namespace

IGraphics::IGraphics(IEffectBase* plug, int w, int h, int refreshFPS)
    : mPlug(plug),
      mWidth(std::max(0, w)),
      mHeight(std::max(0, h)),
      mFPS(refreshFPS > 0 ? refreshFPS : kDefaultFPS),
      mResourceFolder(DefaultResourceFolder()) {
  BitmapCache& cache = TheBitmapCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  ++cache.editors;
}

IGraphics::~IGraphics() {
  // The controls hold pointers into the cache: they go first.
  mControls.clear();
  mKeyCatcher.reset();
  BitmapCache& cache = TheBitmapCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (--cache.editors == 0) cache.bitmaps.clear();
}

int IGraphics::CachedBitmapCount() {
  BitmapCache& cache = TheBitmapCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  return static_cast<int>(cache.bitmaps.size());
}

std::string IGraphics::DefaultResourceFolder() {
  DefaultFolder& f = TheDefaultFolder();
  std::lock_guard<std::mutex> lock(f.mutex);
  return f.folder;
}

void IGraphics::SetDefaultResourceFolder(const std::string& folder) {
  DefaultFolder& f = TheDefaultFolder();
  std::lock_guard<std::mutex> lock(f.mutex);
  f.folder = folder;
}

// ---- building ----

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int nStates, bool framesAreHorizontal) {
  BitmapCache& cache = TheBitmapCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  auto it = cache.bitmaps.find(id);
  if (it == cache.bitmaps.end()) {
    std::unique_ptr<RasterBitmap> loaded = OSLoadBitmap(id, name);
    if (!loaded) return IBitmap(nullptr, 0, 0, nStates, framesAreHorizontal);
    CachedBitmap entry;
    entry.name = name ? name : "";
    entry.density[0] = std::move(loaded);
    entry.tried[0] = true;
    it = cache.bitmaps.emplace(id, std::move(entry)).first;
  }
  RasterBitmap* bitmap = it->second.density[0].get();
  IBitmap result(bitmap, bitmap->Width(), bitmap->Height(), nStates, framesAreHorizontal);
  result.mCacheId = id;
  return result;
}

const RasterBitmap* IGraphics::ImageAtDensity(const IBitmap& bitmap, int density) {
  if (density == 1) return bitmap.mData;
  if (density < 2 || density > IBitmap::kMaxDensity || bitmap.mCacheId < 0 || !bitmap.mData) return nullptr;
  BitmapCache& cache = TheBitmapCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  auto it = cache.bitmaps.find(bitmap.mCacheId);
  if (it == cache.bitmaps.end()) return nullptr;
  CachedBitmap& entry = it->second;
  if (!entry.tried[density - 1]) {
    entry.tried[density - 1] = true;
    const std::string dense = DensityName(entry.name.c_str(), density);
    if (!dense.empty())
      entry.density[density - 1] = OSLoadBitmap(DensityId(bitmap.mCacheId, density), dense.c_str());
  }
  return entry.density[density - 1].get();
}

std::string IGraphics::DensityName(const char* name, int density) {
  const std::string file = name ? name : "";
  const size_t dot = file.rfind('.');
  if (density < 2 || dot == std::string::npos || file.find('/', dot) != std::string::npos) return {};
  return file.substr(0, dot) + "@" + std::to_string(density) + "x" + file.substr(dot);
}

int IGraphics::DensityId(int id, int density) {
  return id + kDensityIdStep * (density - 1);
}

void IGraphics::AttachBackground(int id, const char* name) {
  IBitmap bitmap = LoadIBitmap(id, name, 1);
  mControls.insert(mControls.begin(),
                   std::make_unique<IBitmapControl>(mPlug, 0, 0, -1, &bitmap, IChannelBlend::kBlendClobber));
}

void IGraphics::AttachPanelBackground(const IColor* color) {
  mControls.insert(mControls.begin(),
                   std::make_unique<IPanelControl>(mPlug, IRECT(0, 0, mWidth, mHeight), color));
}

int IGraphics::AttachControl(IControl* control) {
  mControls.emplace_back(control);
  return NControls() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* control) {
  mKeyCatcher.reset(control);
}

void IGraphics::HideControl(int paramIdx, bool hide) {
  for (auto& c : mControls) {
    if (c->ParamIdx() == paramIdx) c->Hide(hide);
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray) {
  for (auto& c : mControls) {
    if (c->ParamIdx() == paramIdx) c->GrayOut(gray);
  }
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized) {
  if (!normalized) {
    const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  for (auto& c : mControls) {
    if (c->ParamIdx() == paramIdx) c->Clamp(lo, hi);
  }
}

void IGraphics::PrepDraw() {
  mDrawBitmap = std::make_unique<RasterBitmap>(DeviceWidth(), DeviceHeight(), 0xFF000000u);
  mScratchBitmap.reset();
  mDrawRECT = IRECT(0, 0, mWidth, mHeight);
}

void IGraphics::ReleaseDrawBitmaps() {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mDrawBitmap.reset();
  mScratchBitmap.reset();
}

RasterBitmap* IGraphics::GetScratchBitmap() {
  if (!mScratchBitmap)
    mScratchBitmap = std::make_unique<RasterBitmap>(DeviceWidth(), DeviceHeight(), 0xFF000000u);
  return mScratchBitmap.get();
}

void IGraphics::SetScale(double scale) {
  if (!std::isfinite(scale)) return;
  scale = std::clamp(scale, kMinScale, kMaxScale);
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (scale == mScale) return;
  mScale = scale;
  mResized.clear();
  if (mDrawBitmap) PrepDraw();
  SetAllControlsDirty();
}

void IGraphics::SetScaleFromHost(double scale) {
  if (!std::isfinite(scale)) return;
  mScaleFromHost = true;
  SetScale(scale);
}

double IGraphics::ScaleOfDpi(double dpi) {
  if (!std::isfinite(dpi) || dpi <= 0.0) return kMinScale;
  return std::clamp(std::round(dpi / 96.0 * 4.0) / 4.0, kMinScale, kMaxScale);
}

int IGraphics::ToDevice(int v) const {
  return mScale == 1.0 ? v : int(std::floor(v * mScale + 0.5));
}

IRECT IGraphics::ToDevice(const IRECT& r) const {
  return IRECT(ToDevice(r.L), ToDevice(r.T), ToDevice(r.R), ToDevice(r.B));
}

int IGraphics::ToEditor(int deviceCoord) const {
  if (mScale == 1.0) return deviceCoord;
  // The editor pixel whose device pixels (rounded edges, as ToDevice) hold the coordinate.
  int v = int(std::floor(deviceCoord / mScale));
  if (ToDevice(v + 1) <= deviceCoord) ++v;
  if (ToDevice(v) > deviceCoord) --v;
  return v;
}

void IGraphics::Resize(int w, int h) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mDrawBitmap.reset();
  mScratchBitmap.reset();
  mWidth = std::max(0, w);
  mHeight = std::max(0, h);
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(DeviceWidth(), DeviceHeight());
}

// ---- parameter traffic ----

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    value = param->GetNormalized(value);
  }
  for (auto& c : mControls) {
    if (c->ParamIdx() == paramIdx) c->SetValueFromPlug(value);
    const int aux = c->AuxParamIdx(paramIdx);
    if (aux >= 0) c->SetAuxParamValueFromPlug(aux, value);
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue) {
  if (IControl* c = GetControl(controlIdx)) c->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetAllControlsDirty() {
  for (auto& c : mControls) c->SetDirty(false);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  for (auto& c : mControls) {
    if (c->ParamIdx() == paramIdx) c->SetValueFromUserInput(normalizedValue);
  }
}

// ---- redraw cycle ----

bool IGraphics::IsDirty(IRECT* rect) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  IRECT r;
  bool dirty = false;
  for (auto& c : mControls) {
    if (c->IsDirty()) {
      r = r.Union(*c->GetRECT());
      dirty = true;
    }
  }
  if (rect) *rect = r;
  return dirty;
}

void IGraphics::DrawControl(IControl* control) {
  control->Draw(this);
}

void IGraphics::Draw(IRECT* rect) {
  assert(!(mPlug && mPlug->Threads().InAudioPath()) && "the audio thread never draws");
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (mControls.empty() || !rect) return;
  if (!mDrawBitmap) {
    // A fresh bitmap is black: the whole picture is drawn and copied, not just what changed.
    PrepDraw();
    SetAllControlsDirty();
    *rect = IRECT(0, 0, mWidth, mHeight);
  }
  if (mStrict)
    DrawEverythingIn(*rect);
  else if (mControls[0]->IsDirty())
    DrawWholeBackground();
  else
    DrawEachDirtyControl();
  DrawScreen(rect);
}

// Strict drawing: every visible control that meets the rectangle, in z-order.
void IGraphics::DrawEverythingIn(const IRECT& rect) {
  mDrawRECT = rect;
  for (auto& c : mControls) {
    if (!c->IsHidden() && c->GetRECT()->Intersects(rect)) DrawControl(c.get());
  }
  for (auto& c : mControls) c->SetClean();
}

// The background (control 0) changed: it and every visible control over it are drawn.
void IGraphics::DrawWholeBackground() {
  mDrawRECT = *mControls[0]->GetRECT();
  const int n = NControls();
  for (int i = 0; i < n; ++i) {
    if (i == 0 || !mControls[size_t(i)]->IsHidden()) DrawControl(mControls[size_t(i)].get());
  }
  for (auto& c : mControls) c->SetClean();
}

// Each dirty control in turn: its rectangle is redrawn with every visible control it meets.
void IGraphics::DrawEachDirtyControl() {
  const int n = NControls();
  for (int i = 1; i < n; ++i) {
    IControl* dirty = mControls[size_t(i)].get();
    if (!dirty->IsDirty()) continue;
    mDrawRECT = *dirty->GetRECT();
    for (int j = 0; j < n; ++j) {
      IControl* c = mControls[size_t(j)].get();
      if (!c->IsHidden() && (j == i || c->GetRECT()->Intersects(mDrawRECT))) DrawControl(c);
    }
    dirty->SetClean();
  }
}

void IGraphics::SetStrictDrawing(bool strict) {
  mStrict = strict;
  SetAllControlsDirty();
}

// ---- paths ----

void IGraphics::HostPath(std::string* path) {
  if (path) *path = HomeFolder();
}

void IGraphics::PluginPath(std::string* path) {
  if (path) *path = mResourceFolder;
}

void IGraphics::DesktopPath(std::string* path) {
  if (path) *path = HomeFolder() + "/Desktop";
}

void IGraphics::AppSupportPath(std::string* path, bool isSystem) {
  if (!path) return;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  *path = isSystem            ? std::string("/etc/xdg")
          : config && *config ? std::string(config)
                              : HomeFolder() + "/.config";
}
