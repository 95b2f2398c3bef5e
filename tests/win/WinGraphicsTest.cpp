// The Win32 editor window driven directly, on a plug-in of two parameters: the text entry with its
// filtering and commit at the next tick, mouse messages with their modifiers, message boxes, menus,
// the bitmap loader, reopening in place, and the key table.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/core/IParam.h"
#include "framework/graphics/IPanelControl.h"
#include "framework/graphics/win/IGraphicsWin.h"
#include "framework/hosts/headless/IEffectHeadless.h"
#include "raster/RasterBitmap.h"
#include "win/WinTestSupport.h"

using namespace wintest;

namespace {
enum { kDouble = 0, kInt = 1 };

// Records what reaches it.
class ProbeControl : public IControl {
 public:
  ProbeControl(IEffectBase* plug, IRECT rect, int param) : IControl(plug, rect, param) {}
  bool Draw(IGraphics*) override { return true; }
  void TextFromTextEntry(const char* text) override { mText = text; }
  void OnMouseDown(int x, int y, IMouseMod* mod) override { Note('d', x, y, mod); }
  void OnMouseUp(int x, int y, IMouseMod* mod) override { Note('u', x, y, mod); }
  void OnMouseDrag(int x, int y, int, int, IMouseMod* mod) override { Note('g', x, y, mod); }
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override { Note('2', x, y, mod); }
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override {
    mWheel += d;
    Note('w', x, y, mod);
  }
  struct Event {
    char kind;
    int x, y;
    IMouseMod mod;
  };
  std::vector<Event> mEvents;
  std::string mText = "<none>";
  int mWheel = 0;

 private:
  void Note(char kind, int x, int y, IMouseMod* mod) {
    mEvents.push_back({kind, x, y, mod ? *mod : IMouseMod()});
  }
};

// A plug-in with a double parameter in [-1, 1] and an int parameter in [0, 10], and an open editor
// of 200 x 100 whose one control covers it.
struct Editor {
  IEffectHeadless plug{IInstanceInfo{}, 2, "1-1", 1, "Probe", "", "test", 1, 1, 1, 0, false, false, false};
  HostWindow host;
  IGraphicsWin* gui = nullptr;
  ProbeControl* control = nullptr;
  HWND window = nullptr;

  explicit Editor(int param = kDouble) {
    plug.GetParam(kDouble)->InitDouble("Level", 0.0, -1.0, 1.0, 0.01);
    plug.GetParam(kInt)->InitInt("Count", 5, 0, 10);
    gui = new IGraphicsWin(&plug, 200, 100);
    control = new ProbeControl(&plug, IRECT(0, 0, 200, 100), param);
    gui->AttachControl(control);
    plug.AttachGraphics(gui);
    window = static_cast<HWND>(gui->OpenWindow(host.Handle()));
    Pump(20);
  }
  ~Editor() { gui->CloseWindow(); }

  HWND Entry() const { return gui->GetTextEntryWindow(); }
  void OpenEntry(const char* text, IParam* param) {
    IText style(12, nullptr, "Tahoma");
    IRECT r(10, 10, 90, 30);
    gui->CreateTextEntry(control, &style, &r, text, param);
  }
  void Type(const char* text) {
    for (; *text; ++text) SendMessageA(Entry(), WM_CHAR, WPARAM(static_cast<unsigned char>(*text)), 0);
  }
  std::string EntryText() const {
    char text[64] = {};
    GetWindowTextA(Entry(), text, sizeof text);
    return text;
  }
  // Waits for the timer to end the entry; false when it is still open after a few ticks.
  bool TickEndsEntry() {
    return PumpUntil([this] { return Entry() == nullptr; }, 400);
  }
};
}  // namespace

TEST(WinTextEntry, ReturnCommitsAtTheNextTickAndNegativeFractionsAreAccepted) {
  Editor e;
  ASSERT_NE(e.window, nullptr);
  e.OpenEntry("0.25", e.plug.GetParam(kDouble));
  ASSERT_NE(e.Entry(), nullptr);
  // Pre-filled and fully selected: typing replaces it.
  DWORD from = 1, to = 0;
  SendMessageA(e.Entry(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 4u);
  e.Type("-0.5");
  EXPECT_EQ(e.EntryText(), "-0.5");
  SendMessageA(e.Entry(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(e.gui->GetEditState(), IGraphicsWin::EditState::kCommit);
  ASSERT_TRUE(e.TickEndsEntry());
  EXPECT_DOUBLE_EQ(e.plug.GetParam(kDouble)->Value(), -0.5);
  EXPECT_DOUBLE_EQ(e.control->GetValue(), 0.25);
}

TEST(WinTextEntry, NumericEntriesTakeOnlyDigitsSignsAndForDoublesAPoint) {
  Editor e(kInt);
  e.OpenEntry("", e.plug.GetParam(kInt));
  ASSERT_NE(e.Entry(), nullptr);
  e.Type("a7.b+");
  EXPECT_EQ(e.EntryText(), "7+");
  SendMessageA(e.Entry(), WM_CHAR, VK_BACK, 0);
  EXPECT_EQ(e.EntryText(), "7");
  SendMessageA(e.Entry(), WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(e.TickEndsEntry());
  EXPECT_EQ(e.plug.GetParam(kInt)->Int(), 7);

  e.OpenEntry("", e.plug.GetParam(kDouble));
  e.Type("x1.5e");
  EXPECT_EQ(e.EntryText(), "1.5");
}

TEST(WinTextEntry, EscapeWheelAndForcedEndsDropTheEntry) {
  Editor e;
  e.OpenEntry("0.1", e.plug.GetParam(kDouble));
  e.Type("0.9");
  SendMessageA(e.Entry(), WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(e.TickEndsEntry());
  EXPECT_DOUBLE_EQ(e.plug.GetParam(kDouble)->Value(), 0.0);

  e.OpenEntry("0.1", e.plug.GetParam(kDouble));
  e.Type("0.9");
  SendMessageA(e.window, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(50, 50));
  ASSERT_TRUE(e.TickEndsEntry());
  EXPECT_DOUBLE_EQ(e.plug.GetParam(kDouble)->Value(), 0.0);
  EXPECT_EQ(e.control->mWheel, 0);

  e.OpenEntry("0.1", e.plug.GetParam(kDouble));
  e.gui->ForceEndUserEdit();
  ASSERT_TRUE(e.TickEndsEntry());
  EXPECT_DOUBLE_EQ(e.plug.GetParam(kDouble)->Value(), 0.0);
}

TEST(WinTextEntry, OnlyOneAtATimeAndAClickElsewhereCommits) {
  Editor e;
  e.OpenEntry("0.3", e.plug.GetParam(kDouble));
  const HWND first = e.Entry();
  ASSERT_NE(first, nullptr);
  e.OpenEntry("0.7", e.plug.GetParam(kDouble));
  EXPECT_EQ(e.Entry(), first);
  EXPECT_EQ(e.EntryText(), "0.3");
  Mouse(e.window, WM_LBUTTONDOWN, 150, 80, MK_LBUTTON);
  Mouse(e.window, WM_LBUTTONUP, 150, 80);
  EXPECT_TRUE(e.control->mEvents.empty()) << "the click only ends the entry";
  ASSERT_TRUE(e.TickEndsEntry());
  EXPECT_DOUBLE_EQ(e.plug.GetParam(kDouble)->Value(), 0.3);
}

TEST(WinTextEntry, WithoutAParameterTheTextGoesToTheControl) {
  Editor e;
  e.OpenEntry("name", nullptr);
  e.Type("Abc.x");
  SendMessageA(e.Entry(), WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(e.TickEndsEntry());
  EXPECT_EQ(e.control->mText, "Abc.x");
}

TEST(WinMouse, ButtonsDragsWheelAndDoubleClicksReachTheControl) {
  Editor e;
  Mouse(e.window, WM_LBUTTONDOWN, 10, 20, MK_LBUTTON | MK_SHIFT);
  EXPECT_EQ(GetCapture(), e.window);
  Mouse(e.window, WM_MOUSEMOVE, 10, 20, MK_LBUTTON);  // no movement, no drag
  Mouse(e.window, WM_MOUSEMOVE, 30, 40, MK_LBUTTON | MK_CONTROL);
  Mouse(e.window, WM_LBUTTONUP, 30, 40);
  EXPECT_NE(GetCapture(), e.window);
  Mouse(e.window, WM_RBUTTONDOWN, 50, 60, MK_RBUTTON);
  Mouse(e.window, WM_RBUTTONUP, 50, 60);
  Mouse(e.window, WM_LBUTTONDBLCLK, 70, 80, MK_LBUTTON);
  // Wheel positions are screen coordinates.
  POINT p = {90, 50};
  ClientToScreen(e.window, &p);
  SendMessageA(e.window, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-2 * WHEEL_DELTA)), MAKELPARAM(p.x, p.y));

  const auto& ev = e.control->mEvents;
  ASSERT_EQ(ev.size(), 7u);
  EXPECT_EQ(ev[0].kind, 'd');
  EXPECT_TRUE(ev[0].mod.L && ev[0].mod.S && !ev[0].mod.R);
  EXPECT_EQ(ev[1].kind, 'g');
  EXPECT_EQ(ev[1].x, 30);
  EXPECT_TRUE(ev[1].mod.C);
  EXPECT_EQ(ev[2].kind, 'u');
  EXPECT_TRUE(ev[2].mod.L) << "the released button is named on release";
  EXPECT_EQ(ev[3].kind, 'd');
  EXPECT_TRUE(ev[3].mod.R && !ev[3].mod.L);
  EXPECT_EQ(ev[4].kind, 'u');
  EXPECT_TRUE(ev[4].mod.R);
  EXPECT_EQ(ev[5].kind, '2');
  EXPECT_EQ(ev[6].kind, 'w');
  EXPECT_EQ(ev[6].x, 90);
  EXPECT_EQ(ev[6].y, 50);
  EXPECT_EQ(e.control->mWheel, -2);
}

TEST(WinNotices, MessageBoxesReturnTheButtonAndCarryTheCaption) {
  Editor e;
  DialogAnswerer answer({{"Info", "", IDNO}, {"Error", "", IDOK}});
  EXPECT_EQ(e.gui->ShowMessageBox("Keep the curve?", "Info", kMB_YESNO), kIDNO);
  EXPECT_EQ(e.gui->ShowMessageBox("AppData Error!", "Error", kMB_OK), kIDOK);
  EXPECT_TRUE(answer.Finish());
  EXPECT_EQ(answer.Texts(), (std::vector<std::string>{"Keep the curve?", "AppData Error!"}));
}

TEST(WinNotices, URLsAskFirstWhenAsked) {
  Editor e;
  DialogAnswerer answer({{"Open", "", IDNO}});
  EXPECT_FALSE(e.gui->OpenURL("https://korvane.com", "Open", "Open the web page?"));
  EXPECT_TRUE(answer.Finish());
  EXPECT_FALSE(e.gui->OpenURL(""));
}

TEST(WinMenus, ADismissedMenuReturnsNothing) {
  Editor e;
  IPopupMenu menu;
  menu.AddItem("one");
  menu.AddItem("two", true);
  IRECT r(10, 10, 60, 30);
  // The menu runs its own loop on this thread; Escape to the menu or the owner's cancel ends it.
  std::atomic<bool> returned{false};
  std::thread cancel([&] {
    for (int i = 0; i < 50 && !returned; ++i) {
      Sleep(100);
      if (HWND m = FindWindowA("#32768", nullptr)) PostMessageA(m, WM_KEYDOWN, VK_ESCAPE, 0);
      PostMessageA(e.window, WM_CANCELMODE, 0, 0);
    }
  });
  IPopupMenu* chosen = e.gui->CreateIPopupMenu(&menu, &r);
  returned = true;
  cancel.join();
  EXPECT_EQ(chosen, nullptr);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
}

TEST(WinWindow, ReopensWhereTheLastWindowWasAndPromptsNeedAWindow) {
  Editor e;
  ASSERT_NE(e.window, nullptr);
  EXPECT_EQ(IGraphicsWin::WindowCount(), 1);
  MoveWindow(e.window, 5, 7, 200, 100, TRUE);
  e.gui->CloseWindow();
  EXPECT_EQ(IGraphicsWin::WindowCount(), 0);
  EXPECT_EQ(e.gui->GetWindow(), nullptr);

  std::string file = "keep.rzn", dir;
  e.gui->PromptForFile(&file, kFileOpen, &dir, "rzn");
  EXPECT_TRUE(file.empty());

  HWND again = static_cast<HWND>(e.gui->OpenWindow(e.host.Handle()));
  ASSERT_NE(again, nullptr);
  RECT r = {};
  GetWindowRect(again, &r);
  MapWindowPoints(HWND_DESKTOP, e.host.Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.top, 7);
  // No parent, no window; the count is unchanged by the refusal.
  IGraphicsWin other(&e.plug, 10, 10);
  EXPECT_EQ(other.OpenWindow(nullptr), nullptr);
  EXPECT_EQ(IGraphicsWin::WindowCount(), 1);
}

TEST(WinResources, BitmapsComeFromPngResourcesByIdForPngNamesOnly) {
  Editor e;
  auto background = e.gui->OSLoadBitmap(101, "resources/img/background.PNG");
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->Width(), 730);
  EXPECT_EQ(background->Height(), 431);
  EXPECT_EQ(e.gui->OSLoadBitmap(101, "background.bmp"), nullptr);
  EXPECT_EQ(e.gui->OSLoadBitmap(101, "png"), nullptr);
  EXPECT_EQ(e.gui->OSLoadBitmap(999, "missing.png"), nullptr);
  // A BIN resource is no bitmap.
  EXPECT_EQ(e.gui->OSLoadBitmap(200, "page.png"), nullptr);
}

TEST(WinKeys, VirtualKeysMapToEditorCodes) {
  EXPECT_EQ(IGraphicsWin::KeyCodeOf(VK_SPACE), KEY_SPACE);
  EXPECT_EQ(IGraphicsWin::KeyCodeOf(VK_UP), KEY_UPARROW);
  EXPECT_EQ(IGraphicsWin::KeyCodeOf(VK_DOWN), KEY_DOWNARROW);
  EXPECT_EQ(IGraphicsWin::KeyCodeOf(VK_LEFT), KEY_LEFTARROW);
  EXPECT_EQ(IGraphicsWin::KeyCodeOf(VK_RIGHT), KEY_RIGHTARROW);
  EXPECT_EQ(IGraphicsWin::KeyCodeOf('0'), KEY_DIGIT_0);
  EXPECT_EQ(IGraphicsWin::KeyCodeOf('9'), KEY_DIGIT_9);
  EXPECT_EQ(IGraphicsWin::KeyCodeOf('A'), KEY_ALPHA_A);
  EXPECT_EQ(IGraphicsWin::KeyCodeOf('Z'), KEY_ALPHA_Z);
  EXPECT_EQ(IGraphicsWin::KeyCodeOf(VK_F1), KEY_NONE);
  EXPECT_EQ(IGraphicsWin::KeyCodeOf(VK_NUMPAD0), KEY_NONE);
}

namespace {
// Shows a notice from inside its drawing, once, as the analysis of a finished measurement does.
class NoticeInDrawControl : public IControl {
 public:
  explicit NoticeInDrawControl(IEffectBase* plug) : IControl(plug, IRECT(0, 0, 200, 100)) {}
  bool Draw(IGraphics* graphics) override {
    ++mDraws;
    mMaxDepth = std::max(mMaxDepth, ++mDepth);
    if (!mShown) {
      mShown = true;
      graphics->ShowMessageBox("Signal clipped.", "Info", kMB_OK);
    }
    --mDepth;
    return true;
  }
  bool mShown = false;
  int mDraws = 0, mDepth = 0, mMaxDepth = 0;
};
}  // namespace

TEST(WinRepaint, ANoticeShownWhileDrawingIsNotDrawnIntoAgain) {
  IEffectHeadless plug{IInstanceInfo{}, 1, "1-1", 1, "Probe", "", "test", 1, 1, 1, 0, false, false, false};
  HostWindow host;
  auto* gui = new IGraphicsWin(&plug, 200, 100);
  auto* control = new NoticeInDrawControl(&plug);
  gui->AttachControl(control);
  plug.AttachGraphics(gui);
  // The notice stays up for several timer ticks before it is answered.
  DialogAnswerer answer(std::vector<DialogAnswerer::Step>{{"Info", ""}});
  ASSERT_NE(gui->OpenWindow(host.Handle()), nullptr);
  EXPECT_TRUE(PumpUntil([&] { return control->mShown && control->mDepth == 0; }, 5000));
  EXPECT_TRUE(answer.Finish());
  EXPECT_EQ(answer.Texts(), std::vector<std::string>{"Signal clipped."});
  EXPECT_EQ(control->mMaxDepth, 1) << "a tick during the notice drew the control again";
  gui->CloseWindow();
}

TEST(WinRepaint, AResizedEditorIsCopiedToTheScreenAtItsNewSize) {
  Editor e;
  const IColor red(255, 255, 0, 0);
  e.gui->AttachControl(new IPanelControl(&e.plug, IRECT(200, 100, 300, 150), &red));
  Pump(100);  // painted once at 200 x 100
  e.gui->Resize(300, 150);
  MoveWindow(e.window, 0, 0, 300, 150, TRUE);
  e.gui->SetAllControlsDirty();
  Pump(150);
  HDC dc = GetDC(e.window);
  const COLORREF shown = GetPixel(dc, 250, 120);
  ReleaseDC(e.window, dc);
  EXPECT_EQ(shown, RGB(255, 0, 0));
}

// Moved to a 192-dpi monitor, the window doubles its size, and the controls still get editor pixels.
TEST(WinDpi, AWindowAt192DpiDrawsAtTwiceTheSize) {
  Editor e;
  RECT suggested = {0, 0, 400, 200};
  SendMessageA(e.window, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  Pump(100);
  EXPECT_EQ(e.gui->GetScale(), 2.0);
  RECT client = {};
  GetClientRect(e.window, &client);
  EXPECT_EQ(client.right, 400);
  EXPECT_EQ(client.bottom, 200);
  ASSERT_NE(e.gui->GetDrawBitmap(), nullptr);
  EXPECT_EQ(e.gui->GetDrawBitmap()->Width(), 400);
  Mouse(e.window, WM_LBUTTONDOWN, 101, 61, MK_LBUTTON);
  Mouse(e.window, WM_LBUTTONUP, 101, 61);
  const auto& ev = e.control->mEvents;
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(ev[0].x, 50);
  EXPECT_EQ(ev[0].y, 30);
  // The picture reaches the screen at device pixels: a panel over the lower right quarter.
  const IColor red(255, 255, 0, 0);
  e.gui->AttachControl(new IPanelControl(&e.plug, IRECT(100, 50, 200, 100), &red));
  e.gui->SetAllControlsDirty();
  Pump(150);
  HDC dc = GetDC(e.window);
  EXPECT_EQ(GetPixel(dc, 390, 190), RGB(255, 0, 0));
  EXPECT_NE(GetPixel(dc, 190, 90), RGB(255, 0, 0));
  ReleaseDC(e.window, dc);
  // Back on a 96-dpi monitor.
  SendMessageA(e.window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
  GetClientRect(e.window, &client);
  EXPECT_EQ(client.right, 200);
}
