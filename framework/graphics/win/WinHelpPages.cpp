#include "framework/graphics/win/WinHelpPages.h"

#include <windows.h>

#include <shellapi.h>

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/win/IGraphicsWin.h"
#include "framework/graphics/win/WinKnownFolder.h"

namespace {
// The pages link to each other and to these files by name: they must lie side by side.
const char* const kFileNames[WinHelpPages::kPageCount] = {
    "1.htm",         "2.htm",         "3.htm",         "style.css",          "resonix-1.png",
    "resonix-2.jpg", "resonix-3.png", "resonix-4.png", "resonix-5.png",      "resonix-6.png",
    "resonix-7.png", "resonix-8.png", "resonix-9.png", "resonix-example.mp3"};

// Writes one resource whole; false when the file cannot be created.
bool WritePage(HMODULE module, int id, const std::string& path) {
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), "BIN");
  HGLOBAL data = info ? LoadResource(module, info) : nullptr;
  const void* bytes = data ? LockResource(data) : nullptr;
  const DWORD size = info ? SizeofResource(module, info) : 0;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = !bytes || (WriteFile(file, bytes, size, &written, nullptr) && written == size);
  CloseHandle(file);
  return ok;
}
}  // namespace

const char* WinHelpPages::FileName(int i) {
  return i >= 0 && i < kPageCount ? kFileNames[i] : "";
}

bool WinHelpPages::Folder(std::string* folder) {
  std::string base;
  if (!folder || !WinKnownFolder(WinFolder::kLocalAppData, &base)) return false;
  std::string dir = base + "\\Korvane\\";
  WinEnsureFolder(dir);
  dir += "Resonix VST\\";
  WinEnsureFolder(dir);
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
  for (int i = 0; i < kPageCount; ++i) {
    if (!WritePage(module, kFirstResource + i, dir + kFileNames[i]))
      graphics->ShowMessageBox("AppData Error!", "Error", kMB_OK);
  }
  const std::string page = dir + kFileNames[0];
  HWND owner = static_cast<HWND>(graphics->GetWindow());
  const INT_PTR result =
      reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result == SE_ERR_FNF) graphics->ShowMessageBox("Help file not found", "Info", kMB_OK);
}
