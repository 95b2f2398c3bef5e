#pragma once
// The editor window on Windows: a Win32 child window of the plug-in's own class inside the host's
// window, repainted from the off-screen draw bitmap by a 40 ms timer (id 2). It translates mouse,
// wheel and key messages into IGraphics calls, runs the single-line EDIT text entry, pop-up menus,
// message boxes and the common file dialogs, and loads the editor bitmaps from the plug-in file's
// "PNG" resources. Everything runs on the host's user-interface thread.

#include <memory>
#include <string>
#include <vector>

#include "framework/core/PlugDescription.h"
#include "framework/graphics/IGraphics.h"

// Win32 handle types, declared as windows.h declares them, so its macros stay out of this header.
struct HWND__;
struct HFONT__;
struct HBRUSH__;
struct HBITMAP__;
struct HDC__;

class IGraphicsWin : public IGraphics {
 public:
  // Named by the plug-in, so two plug-ins on this framework never share a class.
  static inline const char* const kWindowClass = ThePlugDescription().windowClass;
  static constexpr unsigned kTimerId = 2;

  IGraphicsWin(IEffectBase* plug, int w, int h, int refreshFPS = 0);
  ~IGraphicsWin() override;

  // ---- IGraphics platform operations (editor thread) ----
  bool DrawScreen(IRECT* rect) override;
  void ForceEndUserEdit() override;
  const char* GetGUIAPI() override { return "Win32"; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str = "",
                       IParam* param = nullptr) override;
  void HostPath(std::string* path) override;
  void PluginPath(std::string* path) override;
  void DesktopPath(std::string* path) override;
  void AppSupportPath(std::string* path, bool isSystem = false) override;
  void PromptForFile(std::string* file, EFileAction action = kFileOpen, std::string* dir = nullptr,
                     const char* extensions = "") override;
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  // parentWnd is the host's HWND. Returns the editor's HWND, or null.
  void* OpenWindow(void* parentWnd) override;
  void CloseWindow() override;
  void* GetWindow() override;
  // Only "png" names (any case): the module's resource of type "PNG" with that id.
  std::unique_ptr<RasterBitmap> OSLoadBitmap(int id, const char* name) override;
  // An open window takes the new size at once and is painted again.
  void SetScale(double scale) override;
  // The window's DPI (the system's before it opens), unless the host set a scale.
  void FollowDesktopScale() override;

  // Tooltips of the controls under the mouse; takes effect when the window opens next.
  void EnableTooltips(bool enable) { mTooltipsEnabled = enable; }
  // Editor windows open in this process.
  static int WindowCount();
  // The key code of a Windows virtual key (EKeyCode), or KEY_NONE.
  static int KeyCodeOf(unsigned virtualKey);
  // A notice with one "OK" button and no editor behind it (the process-wide notice hook).
  static void ShowNotice(const char* text, const char* caption);
  // The plug-in file this code is in (its resources); never null.
  static void* Module();

  // State of the text entry, for the window procedures and tests.
  enum class EditState { kNone, kEditing, kCommit, kCancel };
  EditState GetEditState() const { return mEditState; }
  HWND__* GetTextEntryWindow() const { return mEditWnd; }

 private:
  static long long __stdcall WndProc(HWND__* hwnd, unsigned msg, unsigned long long wParam, long long lParam);
  static long long __stdcall EditProc(HWND__* hwnd, unsigned msg, unsigned long long wParam,
                                      long long lParam);
  long long HandleMessage(unsigned msg, unsigned long long wParam, long long lParam);
  long long HandleEditMessage(unsigned msg, unsigned long long wParam, long long lParam);
  void OnTimerTick();
  void Paint();
  void MouseButton(unsigned msg, unsigned long long wParam, long long lParam);
  void EndTextEntry();
  void DestroyTextEntry();
  void CreateTooltips();
  bool EnsureScreenBitmap();
  void ReleaseScreenBitmap();

  HWND__* mHwnd = nullptr;
  HWND__* mParent = nullptr;
  HWND__* mTooltipWnd = nullptr;
  bool mCounted = false;  // this editor is in the window count
  bool mTooltipsEnabled = false;
  bool mTrackingMouse = false;
  bool mSwallowRelease = false;  // the press before it only ended a text entry
  int mDrawDepth = 0;            // a modal loop inside Draw (a notice) must not draw again
  // Position and size of the last window, for reopening in the same place.
  bool mHasLastRect = false;
  int mLastX = 0, mLastY = 0, mLastW = 0, mLastH = 0;

  // Inside a paint cycle: the window's device context.
  HDC__* mPaintDC = nullptr;
  // The screen copy: a DIB section the draw bitmap is copied into, and its memory context.
  HDC__* mScreenDC = nullptr;
  HBITMAP__* mScreenBitmap = nullptr;
  void* mScreenBitmapOld = nullptr;
  unsigned* mScreenPixels = nullptr;
  int mScreenW = 0, mScreenH = 0;

  // The text entry.
  HWND__* mEditWnd = nullptr;
  void* mEditOldProc = nullptr;
  HFONT__* mEditFont = nullptr;
  HBRUSH__* mEditBrush = nullptr;
  EditState mEditState = EditState::kNone;
  IControl* mEditControl = nullptr;
  IParam* mEditParam = nullptr;
  IText mEditText;
};
