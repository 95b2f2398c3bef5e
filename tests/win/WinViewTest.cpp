// The editor view of the Windows module in a real Win32 window, driven like a host and a user drive
// it: attached to the host's window, painted by its own timer, a stroke of mouse messages drawing
// the target curve, presets saved and loaded through the file dialogs, notices answered, the help
// pages written out, keys handed back to the host.

#include <gtest/gtest.h>

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/EditorLayout.h"
#include "raster/PngCodec.h"
#include "vst3/Vst3TestHost.h"
#include "win/WinEditorSession.h"
#include "win/WinTestSupport.h"

using namespace vst3test;
using namespace wintest;
using namespace layout;
namespace fs = std::filesystem;

namespace {
constexpr const char* kClass = "ResonixWndClass";

bool ClassRegistered(HINSTANCE module) {
  WNDCLASSEXA info = {};
  info.cbSize = sizeof info;
  return module && GetClassInfoExA(module, kClass, &info) != 0;
}

HINSTANCE PluginInstance() {
  return GetModuleHandleA("KorvaneResonix.vst3");
}

std::string LocalAppData() {
  PWSTR wide = nullptr;
  std::string path;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &wide)))
    path = fs::path(wide).string();
  CoTaskMemFree(wide);
  return path;
}
}  // namespace

TEST(WinView, OffersOnlyTheHwndPlatform) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  IPlugView* view = plug.Controller()->createView("editor");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
  EXPECT_NE(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_NE(view->isPlatformTypeSupported(kPlatformTypeNSView), kResultTrue);
  EXPECT_NE(view->attached(nullptr, kPlatformTypeHWND), kResultTrue);
  ViewRect size;
  ASSERT_EQ(view->getSize(&size), kResultTrue);
  EXPECT_EQ(size.getWidth(), 730);
  EXPECT_EQ(size.getHeight(), 431);
  view->release();
  EXPECT_EQ(plug.Controller()->createView("other"), nullptr);
}

TEST(WinView, OpensAChildWindowInTheHostWindowAndClosesIt) {
  auto first = std::make_unique<EditorSession>();
  ASSERT_NE(first->editor, nullptr);
  char title[64] = {};
  GetWindowTextA(first->editor, title, sizeof title);
  EXPECT_STREQ(title, "Resonix");
  RECT client = {};
  GetClientRect(first->editor, &client);
  EXPECT_EQ(client.right, 730);
  EXPECT_EQ(client.bottom, 431);
  RECT frame = {};
  GetWindowRect(first->editor, &frame);
  MapWindowPoints(HWND_DESKTOP, first->host.Handle(), reinterpret_cast<POINT*>(&frame), 2);
  EXPECT_EQ(frame.left, 0);
  EXPECT_EQ(frame.top, 0);
  const LONG_PTR style = GetWindowLongPtrA(first->editor, GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_TRUE(ClassRegistered(PluginInstance()));

  // A second editor shares the class; it goes only with the last window.
  auto second = std::make_unique<EditorSession>();
  ASSERT_NE(second->editor, nullptr);
  EXPECT_NE(second->editor, first->editor);
  const HWND firstWindow = first->editor;
  first.reset();
  EXPECT_FALSE(IsWindow(firstWindow));
  EXPECT_TRUE(IsWindow(second->editor));
  EXPECT_TRUE(ClassRegistered(PluginInstance()));
  second.reset();
  EXPECT_FALSE(ClassRegistered(PluginInstance()));
}

TEST(WinView, TheTimerPaintsTheEditorBitmap) {
  EditorSession s;
  ASSERT_NE(s.editor, nullptr);
  Pump(200);
  HMODULE data = LoadLibraryExA(
      (fs::path(TestHost::BundlePath()) / "Contents/x86_64-win/KorvaneResonix.vst3").string().c_str(),
      nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data, nullptr);
  HRSRC info = FindResourceA(data, MAKEINTRESOURCEA(101), "PNG");
  ASSERT_NE(info, nullptr);
  auto background = PngCodec::Decode(static_cast<const uint8_t*>(LockResource(LoadResource(data, info))),
                                     SizeofResource(data, info));
  FreeLibrary(data);
  ASSERT_NE(background, nullptr);
  // A point of the background that no control covers: the right-hand panel's frame.
  HDC dc = GetDC(s.editor);
  const int x = 720, y = 5;
  const COLORREF shown = GetPixel(dc, x, y);
  ReleaseDC(s.editor, dc);
  const uint32_t expected = background->GetPixel(x, y);
  EXPECT_EQ(GetRValue(shown), (expected >> 16) & 0xFF);
  EXPECT_EQ(GetGValue(shown), (expected >> 8) & 0xFF);
  EXPECT_EQ(GetBValue(shown), expected & 0xFF);
}

TEST(WinView, AStrokeOfMouseMessagesDrawsTheTargetCurveAndUndoTakesItBack) {
  EditorSession s;
  ASSERT_NE(s.editor, nullptr);
  const std::vector<uint8_t> before = s.State();
  ASSERT_FALSE(before.empty());
  // Freehand with the right button across the plot.
  Mouse(s.editor, WM_RBUTTONDOWN, 80, 60, MK_RBUTTON);
  for (int x = 80; x <= 400; x += 8) Mouse(s.editor, WM_MOUSEMOVE, x, 60 + (x - 80) / 2, MK_RBUTTON);
  Mouse(s.editor, WM_RBUTTONUP, 400, 220);
  Pump(100);
  EXPECT_NE(FirstDifference(s.State(), before), -1);
  s.Press(kUndoButton);
  Pump(100);
  EXPECT_EQ(FirstDifference(s.State(), before), -1);
}

TEST(WinView, PresetsGoThroughTheFileDialogsAndBadFilesGiveANotice) {
  EditorSession s;
  ASSERT_NE(s.editor, nullptr);
  const std::string folder = FreshFolder("presets");
  const std::string preset = folder + "guitar.rzn";

  {
    DialogAnswerer answer({{"Save Preset", preset}});
    s.Press(kSaveButton);
    EXPECT_TRUE(answer.Finish());
    EXPECT_TRUE(answer.Texts().empty());
  }
  EXPECT_EQ(ReadBytes(preset).size(), 1984u);
  const std::vector<uint8_t> saved = s.State();

  // Saving again over the file asks first, then replaces it whole.
  Mouse(s.editor, WM_RBUTTONDOWN, 80, 300, MK_RBUTTON);
  for (int x = 80; x <= 300; x += 10) Mouse(s.editor, WM_MOUSEMOVE, x, 300 - (x - 80), MK_RBUTTON);
  Mouse(s.editor, WM_RBUTTONUP, 300, 80);
  const std::vector<uint8_t> oldFile = ReadBytes(preset);
  {
    DialogAnswerer answer({{"Save Preset", preset}, {"Save Preset", "", IDYES}});
    s.Press(kSaveButton);
    EXPECT_TRUE(answer.Finish());
  }
  const std::vector<uint8_t> newFile = ReadBytes(preset);
  EXPECT_EQ(newFile.size(), 1984u);
  EXPECT_NE(newFile, oldFile);
  std::error_code ec;
  size_t leftovers = 0;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    leftovers += entry.path().filename() != "guitar.rzn";
  EXPECT_EQ(leftovers, 0u) << "temporary files left beside the preset";
  const std::vector<uint8_t> second = s.State();

  // Back to the first state, then the saved file brings the second one back.
  s.Press(kUndoButton);
  Pump(50);
  EXPECT_EQ(FirstDifference(s.State(), saved), -1);
  {
    DialogAnswerer answer({{"Load Preset", preset}});
    s.Press(kLoadButton);
    EXPECT_TRUE(answer.Finish());
  }
  EXPECT_EQ(FirstDifference(s.State(), second), -1);

  // A damaged file is refused with a notice and changes nothing.
  const std::string bad = folder + "broken.rzn";
  {
    HANDLE f = CreateFileA(bad.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, "not a preset at all", 19, &written, nullptr);
    CloseHandle(f);
  }
  {
    DialogAnswerer answer({{"Load Preset", bad}, {"Info", ""}});
    s.Press(kLoadButton);
    EXPECT_TRUE(answer.Finish());
    ASSERT_EQ(answer.Texts().size(), 1u);
    EXPECT_FALSE(answer.Texts()[0].empty());
  }
  EXPECT_EQ(FirstDifference(s.State(), second), -1);

  // A cancelled dialog does nothing.
  {
    DialogAnswerer answer({{"Load Preset", "ignored", IDCANCEL}});
    s.Press(kLoadButton);
    EXPECT_TRUE(answer.Finish());
  }
  EXPECT_EQ(FirstDifference(s.State(), second), -1);
}

TEST(WinView, HelpWritesTheManualIntoLocalAppData) {
  // No browser is started: the test's own class registration leaves ".htm" without an opener.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes\\.htm", 0, nullptr, 0, KEY_WRITE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("ResonixTestNoBrowser"), 21);
  RegCloseKey(key);

  const fs::path dir = fs::path(LocalAppData()) / "Korvane" / "Resonix VST";
  std::error_code ec;
  fs::remove_all(dir, ec);
  EditorSession s;
  ASSERT_NE(s.editor, nullptr);
  s.Press(kHelpButton);
  Pump(50);
  const char* names[] = {
      "1.htm",         "2.htm",         "3.htm",         "style.css",          "resonix-1.png",
      "resonix-2.jpg", "resonix-3.png", "resonix-4.png", "resonix-5.png",      "resonix-6.png",
      "resonix-7.png", "resonix-8.png", "resonix-9.png", "resonix-example.mp3"};
  for (const char* name : names) {
    EXPECT_EQ(ReadBytes((dir / name).string()),
              ReadBytes((fs::path(RESONIX_SOURCE_DIR) / "resources/help" / name).string()))
        << name;
  }
  // Every click writes them afresh.
  fs::remove(dir / "style.css", ec);
  fs::remove(dir / "1.htm", ec);
  s.Press(kHelpButton);
  Pump(50);
  EXPECT_TRUE(fs::is_regular_file(dir / "style.css"));
  EXPECT_TRUE(fs::is_regular_file(dir / "1.htm"));
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Classes\\.htm");
}

TEST(WinView, KeysNoControlTakesGoToTheHostWindow) {
  EditorSession s;
  ASSERT_NE(s.editor, nullptr);
  SendMessageA(s.editor, WM_KEYDOWN, VK_F1, 0);
  ASSERT_FALSE(s.host.Keys().empty());
  EXPECT_EQ(s.host.Keys().back(), WPARAM(VK_F1));
  // Keys the host forwards to the view: F1 (virtual key 37, no character) stays the host's.
  EXPECT_EQ(s.view->onKeyDown(0, 37, 0), kResultFalse);
}

TEST(WinView, SurvivesTheHostDestroyingItsWindowFirst) {
  auto s = std::make_unique<EditorSession>();
  ASSERT_NE(s->editor, nullptr);
  const HWND editor = s->editor;
  DestroyWindow(s->host.Handle());
  Pump(50);
  EXPECT_FALSE(IsWindow(editor));
  // The view is removed and released afterwards, as hosts do; the class goes with the last editor.
  s.reset();
  EXPECT_FALSE(ClassRegistered(PluginInstance()));
  EditorSession again;
  EXPECT_NE(again.editor, nullptr);
}

TEST(WinView, TheInstanceMakesItsPresetFolderInDocuments) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  PWSTR wide = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &wide)));
  const fs::path documents(wide);
  CoTaskMemFree(wide);
  EXPECT_TRUE(fs::is_directory(documents / "Korvane Resonix"));
}
