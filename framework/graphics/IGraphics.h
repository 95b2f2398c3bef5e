#pragma once
// The editor of a plug-in instance: a fixed-size surface holding an ordered list of controls, which it
// draws into an off-screen bitmap, hands mouse and key events to, and links to the plug-in's
// parameters. Platform classes derive from it and supply the window, the screen copy, dialogs and
// text entry.
//
// Threads: everything runs on the editor thread except SetParameterFromPlug and SetControlFromPlug,
// which hosts and the audio thread call; they only store values and flags in the controls (atomics)
// and never lock, allocate or draw.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/graphics/IControl.h"
#include "framework/graphics/IGraphicsStructs.h"
#include "framework/graphics/IPopupMenu.h"

class IEffectBase;
class IParam;
class RasterBitmap;
class RasterFont;

class IGraphics {
 public:
  static constexpr int kDefaultFPS = 25;

  // fps 0 (or below) means the default 25 frames per second.
  IGraphics(IEffectBase* plug, int w, int h, int refreshFPS = 0);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- virtual operations, in slot order ----
  // Copies rectangle r of the draw bitmap to the window.
  virtual bool DrawScreen(IRECT* rect) = 0;
  // Sets rect to the extent the text would take, placed by its alignment; draws nothing.
  virtual bool MeasureIText(IText* text, const char* str, IRECT* destRect);
  virtual void ForceEndUserEdit() {}
  // Drops the draw bitmaps, stores the new size, prepares again and asks the host to resize.
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  // Modal notice; returns the button pressed (kIDOK, kIDYES, ...).
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // Shows the menu; returns the menu holding the chosen item (its index recorded), or null.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect) { return nullptr; }
  virtual void CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str = "",
                               IParam* param = nullptr) {}
  virtual void HostPath(std::string* path);
  virtual void PluginPath(std::string* path);
  virtual void DesktopPath(std::string* path);
  virtual void AppSupportPath(std::string* path, bool isSystem = false);
  virtual void SandboxSafeAppSupportPath(std::string* path) { AppSupportPath(path, false); }
  // Asks the user for a file; file receives the full path, or becomes empty when cancelled. On
  // success dir receives the folder. extensions: space-separated, without points ("txt text").
  virtual void PromptForFile(std::string* file, EFileAction action = kFileOpen, std::string* dir = nullptr,
                             const char* extensions = "") = 0;
  virtual bool PromptForColor(IColor* color, const char* prompt = "") { return false; }
  virtual bool OpenURL(const char* url, const char* msgWindowTitle = nullptr,
                       const char* confirmMsg = nullptr, const char* errMsgOnFailure = nullptr) = 0;
  virtual void* OpenWindow(void* parentWnd) = 0;
  virtual void* OpenWindow(void* parentWnd, void* parentControl, int w = 0, int h = 0) {
    return OpenWindow(parentWnd);
  }
  virtual void AttachSubWindow(void* hostWindow) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  virtual bool GetTextFromClipboard(std::string* str) { return false; }
  virtual ~IGraphics();
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  virtual void UpdateTooltips() {}
  // Decodes the image of a resource; the default reads name from the resource folder (a leading
  // "resources/" is dropped). Null when there is none.
  virtual std::unique_ptr<RasterBitmap> OSLoadBitmap(int id, const char* name);

  // ---- identity and size ----
  IEffectBase* GetPlug() const { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }

  // ---- screen density ----
  // Device pixels per editor pixel, kMinScale to kMaxScale. Controls, rectangles and mouse positions
  // stay in editor pixels; only the draw bitmap and the window are that much larger.
  static constexpr double kMinScale = 1.0;
  static constexpr double kMaxScale = 3.0;
  double GetScale() const { return mScale; }
  // Prepares the draw bitmap at the new density and marks everything for redrawing; a scale outside
  // the range is clamped, one that is not a number ignored. Platform windows follow with their size.
  virtual void SetScale(double scale);
  // The host's scale (VST3 content scale); from then on the desktop's is no longer followed.
  void SetScaleFromHost(double scale);
  bool ScaleFromHost() const { return mScaleFromHost; }
  // Where the host gives no scale, platform windows take the desktop's; the default does nothing.
  virtual void FollowDesktopScale() {}
  // The scale for a screen of dpi dots per inch (96 is 100 %), in steps of a quarter.
  static double ScaleOfDpi(double dpi);
  int DeviceWidth() const { return ToDevice(mWidth); }
  int DeviceHeight() const { return ToDevice(mHeight); }
  // Editor pixels to device pixels: edges are rounded, so neighbouring rectangles still tile.
  int ToDevice(int v) const;
  IRECT ToDevice(const IRECT& r) const;
  // A device coordinate (a mouse position in the window) to the editor pixel it lies in.
  int ToEditor(int deviceCoord) const;

  // Folder holding img/ and fonts/; starts at the process default.
  const std::string& GetResourceFolder() const { return mResourceFolder; }
  void SetResourceFolder(const std::string& folder) { mResourceFolder = folder; }
  // Process default: $RESONIX_RESOURCE_DIR when set, else the build's copy of the resources.
  // Bitmaps decoded for the live editors of the process (released with the last editor).
  static int CachedBitmapCount();
  static std::string DefaultResourceFolder();
  static void SetDefaultResourceFolder(const std::string& folder);

  // ---- building ----
  // Process-wide cache by id; a miss asks OSLoadBitmap. An image that cannot be loaded gives an
  // IBitmap without image, which draws nothing.
  // Artwork for denser screens is looked up beside it: DensityName(name, d) in the resource folder,
  // DensityId(id, d) among the Windows resources; the image at 1x alone is required.
  IBitmap LoadIBitmap(int id, const char* name, int nStates = 1, bool framesAreHorizontal = false);
  static constexpr int kDensityIdStep = 1000;
  // "img/fader.png" at density 2 is "img/fader@2x.png"; empty for density 1 or a name without extension.
  static std::string DensityName(const char* name, int density);
  static int DensityId(int id, int density);
  // The artwork of `bitmap` drawn for density d (1 to IBitmap::kMaxDensity), decoded the first time
  // a screen of that density asks for it; null when there is none. Editor thread.
  const RasterBitmap* ImageAtDensity(const IBitmap& bitmap, int density);
  void AttachBackground(int id, const char* name);
  void AttachPanelBackground(const IColor* color);
  // Appends; the editor owns the control from now on. Returns its index.
  int AttachControl(IControl* control);
  void AttachKeyCatcher(IControl* control);
  IControl* GetControl(int idx) const {
    return idx >= 0 && idx < NControls() ? mControls[idx].get() : nullptr;
  }
  int NControls() const { return int(mControls.size()); }

  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);

  // Creates the draw bitmap. A closed editor holds none: the first Draw() creates it and draws
  // everything; the scratch bitmap is made when first asked for.
  void PrepDraw();
  // The window has closed: gives the bitmaps back until the next Draw().
  void ReleaseDrawBitmaps();

  // ---- parameter traffic ----
  // Host, control or audio thread.
  void SetParameterFromPlug(int paramIdx, double value, bool normalized);
  // Host, control or audio thread; an index out of range is ignored.
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void SetAllControlsDirty();
  void SetParameterFromGUI(int paramIdx, double normalizedValue);

  // ---- redraw cycle ----
  // Union of the dirty controls' rectangles; returns whether any control is dirty.
  bool IsDirty(IRECT* rect);
  void Draw(IRECT* rect);
  void SetStrictDrawing(bool strict);
  bool GetStrictDrawing() const { return mStrict; }

  // ---- drawing (into the draw bitmap, clipped to the current draw rectangle) ----
  // frame is 1-based.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame = 1, const IChannelBlend* blend = nullptr);
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend);
  bool FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend = nullptr);
  // Without measure draws the text in rect; with measure only sets rect to its extent. False when the
  // font cannot be created.
  bool DrawIText(IText* text, const char* str, IRECT* rect, bool measure = false);
  // One-pixel line, end points included.
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // Direct access for controls that draw with raster primitives themselves; the bitmap is in device
  // pixels (see GetScale), the draw rectangle in editor pixels.
  RasterBitmap* GetDrawBitmap() const { return mDrawBitmap.get(); }
  RasterBitmap* GetScratchBitmap();
  const IRECT& GetDrawRECT() const { return mDrawRECT; }

  // ---- mouse and keys (editor thread; callable directly by tests and tools) ----
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  // Returns whether the control takes double-clicks as single clicks (then it holds the mouse).
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  // Returns the handle-mouse-over flag.
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  // A key the host forwarded (VST3 virtual key or character), at the last mouse position; true when
  // a control took it.
  bool OnHostKey(int character, int virtualKey);
  // Each frame of the platform's timer, before the dirty area is found; the editor's lock is not held.
  void OnGUIIdle();
  void ReleaseMouseCapture();
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }
  bool CanHandleMouseOver() const { return mHandleMouseOver; }
  int GetMouseX() const { return mMouseX; }
  int GetMouseY() const { return mMouseY; }

  // ---- value prompts ----
  void PromptUserInput(IControl* control, IParam* param, IRECT* rect);
  // Commits a text entry: matched against the display texts for bool and enum parameters, else
  // parsed as a number; a control without parameter gets the raw text.
  void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text);

  std::recursive_mutex& GetMutex() { return mMutex; }

 protected:
  // Index of the topmost control under the point that is neither hidden nor grayed, or -1.
  int GetMouseControlIdx(int x, int y, bool mouseOver = false) const;
  void DrawControl(IControl* control);
  // The three redraw strategies of Draw, under the editor's lock.
  void DrawEverythingIn(const IRECT& rect);
  void DrawWholeBackground();
  void DrawEachDirtyControl();
  // Tells the host that the gesture begun by the last mouse-down on a parameter control is over.
  void EndParamEdit();
  // The text style's font from the process-wide cache (remembered in the style) at scale times its
  // size; null if none.
  RasterFont* CacheFont(IText* text, double scale = 1.0);
  // The bitmap's image for the current scale: the densest artwork needed, resized where the scale
  // lies between densities. Null without image.
  const RasterBitmap* DeviceImage(const IBitmap& bitmap);
  // Path of a font file: the copy in the resource folder's fonts/, else the system's.
  static std::string FontFile(const std::string& resourceFolder, const char* file);

  IEffectBase* mPlug;
  int mWidth;
  int mHeight;
  int mFPS;
  std::vector<std::unique_ptr<IControl>> mControls;
  IRECT mDrawRECT;
  std::unique_ptr<RasterBitmap> mDrawBitmap;
  std::unique_ptr<RasterBitmap> mScratchBitmap;
  double mScale = 1.0;
  bool mScaleFromHost = false;
  // Artwork resized for a scale between densities, by source image; dropped when the scale changes.
  std::map<const RasterBitmap*, std::unique_ptr<RasterBitmap>> mResized;
  int mMouseCapture = -1;
  int mEditedParam = -1;  // parameter whose gesture the host was told began, or -1
  int mMouseX = 0;
  int mMouseY = 0;
  int mMouseOver = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  std::unique_ptr<IControl> mKeyCatcher;
  std::string mResourceFolder;
  std::recursive_mutex mMutex;
};
