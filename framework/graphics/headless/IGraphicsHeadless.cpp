#include "framework/graphics/headless/IGraphicsHeadless.h"

#include <filesystem>

#include "raster/PngCodec.h"
#include "raster/RasterBitmap.h"

IGraphicsHeadless::IGraphicsHeadless(IEffectBase* plug, int w, int h, int refreshFPS)
    : IGraphics(plug, w, h, refreshFPS) {}

IGraphicsHeadless::~IGraphicsHeadless() = default;

bool IGraphicsHeadless::DrawScreen(IRECT* rect) {
  ++mScreenCopies;
  if (rect) mLastScreenRECT = *rect;
  return true;
}

int IGraphicsHeadless::ShowMessageBox(const char* text, const char* caption, int type) {
  mNotices.push_back(Notice{text ? text : "", caption ? caption : "", type});
  return mMessageBoxAnswer;
}

void IGraphicsHeadless::PromptForFile(std::string* file, EFileAction action, std::string* dir,
                                      const char* extensions) {
  mFilePrompts.push_back(
      FilePrompt{action, file ? *file : "", dir ? *dir : "", extensions ? extensions : ""});
  if (!file) return;
  if (mFileAnswers.empty()) {
    file->clear();
    return;
  }
  *file = mFileAnswers.front();
  mFileAnswers.pop_front();
  if (dir && !file->empty()) *dir = std::filesystem::path(*file).parent_path().string();
}

bool IGraphicsHeadless::OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
                                const char* errMsgOnFailure) {
  mOpenedURLs.emplace_back(url ? url : "");
  return true;
}

void* IGraphicsHeadless::OpenWindow(void* parentWnd) {
  mWindowOpen = true;
  SetAllControlsDirty();
  return this;
}

void IGraphicsHeadless::CloseWindow() {
  mWindowOpen = false;
}

bool IGraphicsHeadless::Tick() {
  OnGUIIdle();
  IRECT r;
  if (!IsDirty(&r)) return false;
  Draw(&r);
  return true;
}

void IGraphicsHeadless::RedrawAll() {
  SetAllControlsDirty();
  IRECT all(0, 0, Width(), Height());
  Draw(&all);
}

bool IGraphicsHeadless::SavePNG(const std::string& path) const {
  return GetDrawBitmap() && PngCodec::EncodeFile(*GetDrawBitmap(), path);
}
