#include "framework/graphics/win/WinHelpPages.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

#include "engine/FilePath.h"
#include "framework/core/PlugDescription.h"
#include "framework/graphics/IGraphics.h"
#include "framework/graphics/win/IGraphicsWin.h"
#include "framework/graphics/win/WinKnownFolder.h"

namespace {
// Writes one resource whole; false when the file cannot be created.
bool WritePage(HMODULE module, int id, const std::string& path) {
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), "BIN");
  HGLOBAL data = info ? LoadResource(module, info) : nullptr;
  const void* bytes = data ? LockResource(data) : nullptr;
  const DWORD size = info ? SizeofResource(module, info) : 0;
  HANDLE file = CreateFileW(FilePath::from_utf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = !bytes || (WriteFile(file, bytes, size, &written, nullptr) && written == size);
  CloseHandle(file);
  return ok;
}
}  // namespace

int WinHelpPages::PageCount() {
  return ThePlugDescription().helpPageCount;
}

const char* WinHelpPages::FileName(int i) {
  return i >= 0 && i < PageCount() ? ThePlugDescription().helpPages[i] : "";
}

bool WinHelpPages::Folder(std::string* folder) {
  std::string base;
  if (!folder || !WinKnownFolder(WinFolder::kLocalAppData, &base)) return false;
  // Each level of the plug-in's folder in turn ("Vendor\\Product" -> base\Vendor\, base\Vendor\Product\).
  std::string dir = base + "\\";
  const std::string sub = ThePlugDescription().helpFolder;
  for (size_t at = 0; at < sub.size();) {
    const size_t end = std::min(sub.find('\\', at), sub.size());
    if (end > at) {
      dir += sub.substr(at, end - at) + "\\";
      WinEnsureFolder(dir);
    }
    at = end + 1;
  }
  *folder = dir;
  return true;
}

void WinHelpPages::Open(IGraphics* graphics) {
  if (!graphics) return;
  std::string dir;
  if (!Folder(&dir)) {
    // Nothing can be written or opened without the folder.
    graphics->ShowMessageBox("SHGetKnownFolderPath Error2.", "Error", kMB_OK);
    return;
  }
  const HMODULE module = static_cast<HMODULE>(IGraphicsWin::Module());
  for (int i = 0; i < PageCount(); ++i) {
    if (!WritePage(module, kFirstResource + i, dir + FileName(i)))
      graphics->ShowMessageBox("AppData Error!", "Error", kMB_OK);
  }
  const std::filesystem::path page = FilePath::from_utf8(dir + FileName(0));
  HWND owner = static_cast<HWND>(graphics->GetWindow());
  const INT_PTR result =
      reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result == SE_ERR_FNF) graphics->ShowMessageBox("Help file not found", "Info", kMB_OK);
}
