#include "framework/graphics/IGraphics.h"

#include <algorithm>
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
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (mControls.empty() || !rect) return;
  if (!mDrawBitmap) {
    // A fresh bitmap is black: the whole picture is drawn and copied, not just what changed.
    PrepDraw();
    SetAllControlsDirty();
    *rect = IRECT(0, 0, mWidth, mHeight);
  }
  const int n = NControls();
  if (mStrict) {
    mDrawRECT = *rect;
    for (auto& c : mControls) {
      if (!c->IsHidden() && c->GetRECT()->Intersects(*rect)) DrawControl(c.get());
    }
    for (auto& c : mControls) c->SetClean();
  } else if (mControls[0]->IsDirty()) {
    mDrawRECT = *mControls[0]->GetRECT();
    for (int i = 0; i < n; ++i) {
      if (i == 0 || !mControls[size_t(i)]->IsHidden()) DrawControl(mControls[size_t(i)].get());
    }
    for (auto& c : mControls) c->SetClean();
  } else {
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
  DrawScreen(rect);
}

void IGraphics::SetStrictDrawing(bool strict) {
  mStrict = strict;
  SetAllControlsDirty();
}

// ---- drawing ----

namespace {
RasterBlendMode ModeOf(const IChannelBlend* blend) {
  switch (blend ? blend->mMethod : IChannelBlend::kBlendNone) {
    case IChannelBlend::kBlendClobber:
      return RasterBlendMode::kCopy;
    case IChannelBlend::kBlendAdd:
      return RasterBlendMode::kAdd;
    case IChannelBlend::kBlendColorDodge:
      return RasterBlendMode::kColorDodge;
    default:
      return RasterBlendMode::kCopyAlpha;
  }
}
float WeightOf(const IChannelBlend* blend) {
  return blend ? blend->mWeight : 1.0f;
}
RasterRect ToRaster(const IRECT& r) {
  return RasterRect{r.L, r.T, r.R, r.B};
}
}  // namespace

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend) {
  if (!bitmap || !dest) return true;
  int srcX = 0, srcY = 0;
  if (bitmap->N >= 2 && frame > 1) {
    const double offset = double(frame - 1) / double(bitmap->N);
    if (bitmap->mFramesAreHorizontal)
      srcX = int(offset * bitmap->W + 0.5);
    else
      srcY = int(offset * bitmap->H + 0.5);
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

const RasterBitmap* IGraphics::DeviceImage(const IBitmap& bitmap) {
  // The least dense artwork that is at least as dense as the screen, else the densest there is.
  const int wanted = std::clamp(int(std::ceil(mScale - 1e-6)), 1, IBitmap::kMaxDensity);
  const RasterBitmap* image = nullptr;
  for (int d = wanted; d <= IBitmap::kMaxDensity && !image; ++d) image = ImageAtDensity(bitmap, d);
  for (int d = wanted - 1; d >= 1 && !image; --d) image = ImageAtDensity(bitmap, d);
  if (!image) return nullptr;
  const int w = ToDevice(bitmap.W), h = ToDevice(bitmap.H);
  if (image->Width() == w && image->Height() == h) return image;
  std::unique_ptr<RasterBitmap>& resized = mResized[image];
  if (!resized) resized = std::make_unique<RasterBitmap>(RasterResample(*image, w, h));
  return resized.get();
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend) {
  if (!bitmap || !bitmap->mData || !dest || !mDrawBitmap) return true;
  const RasterBitmap* image = DeviceImage(*bitmap);
  if (!image) return true;
  const IRECT d = ToDevice(*dest);
  RasterBlit(*mDrawBitmap, *image, d.L, d.T, ToDevice(srcX), ToDevice(srcY), d.W(), d.H(), ModeOf(blend),
             WeightOf(blend), ToRaster(ToDevice(mDrawRECT)));
  return true;
}

bool IGraphics::FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend) {
  if (!color || !rect || !mDrawBitmap) return true;
  RasterFillRect(*mDrawBitmap, ToRaster(ToDevice(*rect)), color->ARGB(), ModeOf(blend), WeightOf(blend),
                 ToRaster(ToDevice(mDrawRECT)));
  return true;
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias) {
  if (!color || !mDrawBitmap) return true;
  // A line one editor pixel wide: as many device-pixel strokes side by side, centred on the pixels.
  const float s = float(mScale);
  const int strokes = std::max(1, int(std::lround(mScale)));
  const bool steep = std::fabs(y2 - y1) > std::fabs(x2 - x1);
  for (int i = 0; i < strokes; ++i) {
    const float off = (s - float(strokes)) * 0.5f + float(i);
    const float ox = steep ? off : 0.0f, oy = steep ? 0.0f : off;
    RasterLine(*mDrawBitmap, x1 * s + ox, y1 * s + oy, x2 * s + ox, y2 * s + oy, color->ARGB(), ModeOf(blend),
               WeightOf(blend), antiAlias, ToRaster(ToDevice(mDrawRECT)));
  }
  return true;
}

// ---- mouse and keys ----

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver) const {
  for (int i = NControls() - 1; i >= 0; --i) {
    IControl* c = mControls[size_t(i)].get();
    if (c->IsHidden()) continue;
    if (c->IsGrayed() && !(mouseOver && c->GetMOWhenGrayed())) continue;
    if (c->IsHit(x, y)) return i;
  }
  return -1;
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  ReleaseMouseCapture();
  const int idx = GetMouseControlIdx(x, y);
  if (idx < 0) return;
  IControl* c = mControls[size_t(idx)].get();
  mMouseCapture = idx;
  mMouseX = x;
  mMouseY = y;
  const int param = c->ParamIdx();
  if (param >= 0 && mPlug) {
    mPlug->BeginInformHostOfParamChange(param);
    mEditedParam = param;
  }
  c->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  IControl* c = GetControl(mMouseCapture);
  if (!c) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  if (dX == 0 && dY == 0) return;
  c->OnMouseDrag(x, y, dX, dY, mod);
  mMouseX = x;
  mMouseY = y;
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  const int idx = mMouseCapture >= 0 ? mMouseCapture : GetMouseControlIdx(x, y);
  mMouseCapture = -1;
  if (IControl* c = GetControl(idx)) c->OnMouseUp(x, y, mod);
  EndParamEdit();
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  ReleaseMouseCapture();
  const int idx = GetMouseControlIdx(x, y);
  if (idx < 0) return false;
  IControl* c = mControls[size_t(idx)].get();
  if (c->GetDblAsSingleClick()) {
    // The second click is a click like the first: capture and host gesture included.
    OnMouseDown(x, y, mod);
    return true;
  }
  // A double-click reset is one edit for the host, inside its own gesture.
  const int param = c->ParamIdx();
  if (param >= 0 && mPlug) {
    mPlug->BeginInformHostOfParamChange(param);
    mEditedParam = param;
  }
  c->OnMouseDblClick(x, y, mod);
  EndParamEdit();
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  const int idx = mMouseCapture >= 0 ? mMouseCapture : GetMouseControlIdx(x, y);
  if (IControl* c = GetControl(idx)) c->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (!mHandleMouseOver) return false;
  const int idx = mMouseCapture >= 0 ? mMouseCapture : GetMouseControlIdx(x, y, true);
  if (mMouseOver >= 0 && mMouseOver != idx) {
    if (IControl* previous = GetControl(mMouseOver)) previous->OnMouseOut();
  }
  mMouseOver = idx;
  if (IControl* c = GetControl(idx)) c->OnMouseOver(x, y, mod);
  return true;
}

void IGraphics::OnMouseOut() {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  for (auto& c : mControls) c->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (mMouseCapture > 0) return mControls[size_t(mMouseCapture)]->OnKeyDown(x, y, key);
  const int idx = GetMouseControlIdx(x, y);
  if (idx > 0) return mControls[size_t(idx)]->OnKeyDown(x, y, key);
  return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
}

void IGraphics::OnGUIIdle() {
  for (auto& c : mControls) c->OnGUIIdle();
}

void IGraphics::ReleaseMouseCapture() {
  mMouseCapture = -1;
  EndParamEdit();
}

void IGraphics::EndParamEdit() {
  // Only a gesture the host was told of is closed, once.
  if (mEditedParam >= 0 && mPlug) mPlug->EndInformHostOfParamChange(mEditedParam);
  mEditedParam = -1;
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

// ---- value prompts ----

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* rect) {
  if (!control || !param || !rect) return;
  const int n = param->GetNDisplayTexts();
  if (param->Type() == IParam::kTypeEnum || (param->Type() == IParam::kTypeBool && n > 0)) {
    IPopupMenu menu;
    for (int i = 0; i < n; ++i) {
      int value = 0;
      const char* text = param->GetDisplayTextAtIdx(i, &value);
      menu.AddItem(text, value == param->Int());
    }
    IPopupMenu* chosen = CreateIPopupMenu(&menu, rect);
    if (!chosen) return;
    int value = 0;
    param->GetDisplayTextAtIdx(chosen->GetChosenItemIdx(), &value);
    if (chosen->GetChosenItemIdx() >= 0) control->SetValueFromUserInput(param->GetNormalized(double(value)));
    return;
  }
  const std::string current = param->GetDisplayForHost();
  CreateTextEntry(control, control->GetText(), rect, current.c_str(), param);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text) {
  if (!control) return;
  const char* str = text ? text : "";
  if (!param) {
    control->TextFromTextEntry(str);
    return;
  }
  double value = 0.0;
  if (param->Type() == IParam::kTypeBool || param->Type() == IParam::kTypeEnum) {
    int mapped = 0;
    value = param->MapDisplayText(str, &mapped) ? mapped : 0.0;
  } else {
    value = std::atof(str);
    if (std::isnan(value)) return;  // not a number: the entry changes nothing
    if (param->NegateDisplay()) value = -value;
  }
  value = std::clamp(value, param->Min(), param->Max());
  control->SetValueFromUserInput(param->GetNormalized(value));
}
