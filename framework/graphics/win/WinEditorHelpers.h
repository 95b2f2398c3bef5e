#pragma once
// File-local helpers of the Win32 editor window, shared by the files it is split into.

#include <windows.h>

#include <cstring>
#include <string>

#include "framework/graphics/IGraphicsStructs.h"
#include "framework/graphics/win/IGraphicsWin.h"

namespace WinEditor {
inline IGraphicsWin* EditorOf(HWND hwnd) {
  return reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// Message box icon by caption: errors get the error icon, everything else the information icon.
inline UINT IconFor(const char* caption) {
  return caption && std::strcmp(caption, "Error") == 0 ? MB_ICONERROR : MB_ICONINFORMATION;
}

inline COLORREF RefOf(const IColor& c) {
  return RGB(c.R, c.G, c.B);
}

// The folder part of a path ("C:\a\b.txt" -> "C:\a").
inline std::string FolderOf(const std::string& path) {
  const size_t at = path.find_last_of("\\/");
  return at == std::string::npos ? std::string() : path.substr(0, at);
}
}  // namespace WinEditor
