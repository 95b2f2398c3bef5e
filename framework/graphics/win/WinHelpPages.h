#pragma once
// The user manual on Windows: its pages are "BIN" resources from 200 on of the plug-in file, written
// afresh on every request into the plug-in's help folder below the local application data folder,
// from where the start page opens in the default browser.

#include <string>

class IGraphics;

class WinHelpPages {
 public:
  static constexpr int kFirstResource = 200;

  // The plug-in's pages, as its description lists them.
  static int PageCount();
  // The file name resource kFirstResource + i is written under (the start page first).
  static const char* FileName(int i);
  // Writes the pages and opens "1.htm"; every failure is told through the editor's message box.
  static void Open(IGraphics* graphics);
  // The help folder, created; false (with the "SHGetKnownFolderPath Error2." notice shown by Open)
  // when Windows cannot report the local application data folder.
  static bool Folder(std::string* folder);
};
