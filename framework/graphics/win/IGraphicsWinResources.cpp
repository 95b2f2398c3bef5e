// What the editor reaches outside its window: web and help pages, the host's, the plug-in's and
// the user's folders, and the bitmaps in the plug-in file's resources.
#include "framework/graphics/win/IGraphicsWin.h"

#include <windows.h>

#include <shellapi.h>
#include <wininet.h>

#include <cstring>

#include "engine/FilePath.h"
#include "framework/core/ModulePath.h"
#include "framework/graphics/win/WinEditorHelpers.h"
#include "framework/graphics/win/WinKnownFolder.h"
#include "raster/PngCodec.h"
#include "raster/RasterBitmap.h"

bool IGraphicsWin::OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
                           const char* errMsgOnFailure) {
  if (!url || !url[0]) return false;
  if (confirmMsg && ShowMessageBox(confirmMsg, msgWindowTitle ? msgWindowTitle : "Info", kMB_YESNO) != kIDYES)
    return false;
  // Only a web address needs the network; local pages open offline too.
  const bool web = std::strncmp(url, "http:", 5) == 0 || std::strncmp(url, "https:", 6) == 0;
  DWORD state = 0;
  if (!web || InternetGetConnectedState(&state, 0)) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(mHwnd, L"open", FilePath::widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
  }
  if (errMsgOnFailure) ShowMessageBox(errMsgOnFailure, "Error", kMB_OK);
  return false;
}

// ---- folders and resources ----

void IGraphicsWin::HostPath(std::string* path) {
  if (path) *path = ModuleFolder(ModuleOf::kProgram);
}

void IGraphicsWin::PluginPath(std::string* path) {
  if (path) *path = ModuleFolder();
}

void IGraphicsWin::DesktopPath(std::string* path) {
  if (path && !WinKnownFolder(WinFolder::kDesktop, path)) path->clear();
}

void IGraphicsWin::AppSupportPath(std::string* path, bool isSystem) {
  if (path && !WinKnownFolder(isSystem ? WinFolder::kProgramData : WinFolder::kRoamingAppData, path))
    path->clear();
}

std::unique_ptr<RasterBitmap> IGraphicsWin::OSLoadBitmap(int id, const char* name) {
  if (!name) return nullptr;
  const char* dot = std::strrchr(name, '.');
  if (!dot || _stricmp(dot + 1, "png") != 0) return nullptr;
  const HMODULE module = static_cast<HMODULE>(Module());
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), "PNG");
  if (!info) return nullptr;
  const DWORD size = SizeofResource(module, info);
  HGLOBAL data = size > 7 ? LoadResource(module, info) : nullptr;
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes) return nullptr;
  return PngCodec::Decode(static_cast<const uint8_t*>(bytes), size);
}
