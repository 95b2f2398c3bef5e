// Message boxes, the process-wide notice and the common file dialogs.
#include "framework/graphics/win/IGraphicsWin.h"

#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "engine/FilePath.h"
#include "framework/graphics/win/WinEditorHelpers.h"

using WinEditor::FolderOf;
using WinEditor::IconFor;

int IGraphicsWin::ShowMessageBox(const char* text, const char* caption, int type) {
  ReleaseMouseCapture();
  if (mHwnd && GetCapture() == mHwnd) ReleaseCapture();
  HWND owner = mHwnd ? GetAncestor(mHwnd, GA_ROOT) : nullptr;
  return MessageBoxA(owner, text ? text : "", caption ? caption : "", UINT(type) | IconFor(caption));
}

void IGraphicsWin::ShowNotice(const char* text, const char* caption) {
  MessageBoxA(nullptr, text ? text : "", caption ? caption : "Info", MB_OK | IconFor(caption) | MB_TASKMODAL);
}

void IGraphicsWin::PromptForFile(std::string* file, EFileAction action, std::string* dir,
                                 const char* extensions) {
  if (!file) return;
  if (!mHwnd) {
    file->clear();
    return;
  }
  // "txt text" -> "*.txt;*.text", which serves as description and pattern; presets have their own name.
  std::string patterns, firstExt;
  const std::string exts = extensions ? extensions : "";
  for (size_t at = 0; at < exts.size();) {
    const size_t end = std::min(exts.find(' ', at), exts.size());
    if (end > at) {
      const std::string ext = exts.substr(at, end - at);
      if (firstExt.empty()) firstExt = ext.substr(0, 15);
      patterns += (patterns.empty() ? "*." : ";*.") + ext;
    }
    at = end + 1;
  }
  const PlugDescription& description = ThePlugDescription();
  const bool preset = firstExt == description.presetExtension;
  // Every string as UTF-16: the ANSI dialog cannot name every file.
  std::string filter;
  if (!patterns.empty()) {
    std::string label = firstExt;
    for (char& c : label) c = char(std::toupper(static_cast<unsigned char>(c)));
    filter = (preset ? label + " file" : patterns) + '\0' + patterns + '\0';
    filter += '\0';
  }
  const std::wstring wideFilter = FilePath::widen(filter);
  std::string folder = dir && !dir->empty() ? *dir : std::string();
  if (folder.empty()) DesktopPath(&folder);
  const std::wstring initialDir = FilePath::widen(folder);
  const std::wstring defaultExt = FilePath::widen(firstExt);
  const std::wstring title = FilePath::widen(
      preset ? (action == kFileSave ? description.savePresetTitle : description.loadPresetTitle) : "");

  // Room for any path the dialog may return; the initial name is cut to fit it.
  std::vector<wchar_t> buffer(32768, L'\0');
  const std::wstring initial = FilePath::widen(*file).substr(0, buffer.size() - 1);
  std::copy(initial.begin(), initial.end(), buffer.begin());

  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = mHwnd;
  ofn.lpstrFilter = wideFilter.empty() ? nullptr : wideFilter.c_str();
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = DWORD(buffer.size());
  ofn.lpstrInitialDir = initialDir.c_str();
  ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
  // The host's working folder stays where it was.
  ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  const bool save = action == kFileSave;
  if (preset) ofn.lpstrTitle = title.c_str();
  ReleaseMouseCapture();
  if (GetCapture() == mHwnd) ReleaseCapture();
  BOOL ok = FALSE;
  if (save) {
    ofn.Flags |= OFN_OVERWRITEPROMPT;
    ok = GetSaveFileNameW(&ofn);
  } else {
    ofn.Flags |= OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    ok = GetOpenFileNameW(&ofn);
  }
  file->clear();
  if (!ok) return;
  *file = FilePath::narrow(buffer.data());
  if (dir) *dir = FolderOf(*file);
}
