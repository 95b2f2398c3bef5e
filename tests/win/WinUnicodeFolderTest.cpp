// The plug-in's files under a Documents folder whose name has characters beyond ASCII: those of the
// ANSI code page ("José") and those it cannot spell at all (Greek, Japanese under Western Windows).

#include <gtest/gtest.h>

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "win/WinEditorSession.h"

using namespace wintest;
using namespace layout;
namespace fs = std::filesystem;

namespace {
// Points the user's Documents folder elsewhere for the life of the object, as the folder's
// properties in Explorer do (Wine has no SHSetKnownFolderPath).
class DocumentsMovedTo {
 public:
  explicit DocumentsMovedTo(const fs::path& folder) {
    mMoved = RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ | KEY_WRITE, &mKey) == ERROR_SUCCESS;
    DWORD size = sizeof mOld;
    mHadOld = mMoved && RegQueryValueExW(mKey, L"Personal", nullptr, &mOldType, reinterpret_cast<BYTE*>(mOld),
                                         &size) == ERROR_SUCCESS;
    mMoved = mMoved && Set(REG_SZ, folder.c_str(), DWORD(folder.native().size() + 1) * sizeof(wchar_t));
  }
  ~DocumentsMovedTo() {
    if (mHadOld)
      Set(mOldType, mOld, DWORD(wcslen(mOld) + 1) * sizeof(wchar_t));
    else if (mKey)
      RegDeleteValueW(mKey, L"Personal");
    if (mKey) RegCloseKey(mKey);
  }
  bool Moved() const { return mMoved; }

 private:
  static constexpr const wchar_t* kKey =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  bool Set(DWORD type, const wchar_t* value, DWORD bytes) {
    return RegSetValueExW(mKey, L"Personal", 0, type, reinterpret_cast<const BYTE*>(value), bytes) ==
           ERROR_SUCCESS;
  }
  HKEY mKey = nullptr;
  wchar_t mOld[MAX_PATH * 2] = {};
  DWORD mOldType = REG_EXPAND_SZ;
  bool mHadOld = false;
  bool mMoved = false;
};

// The pixels of the line that names the calibration file.
std::vector<COLORREF> CalibrationLine(HWND editor) {
  Pump(200);
  std::vector<COLORREF> pixels;
  HDC dc = GetDC(editor);
  for (int y = kCalibrationName.top; y < kCalibrationName.bottom; ++y)
    for (int x = kCalibrationName.left; x < kCalibrationName.right; ++x) pixels.push_back(GetPixel(dc, x, y));
  ReleaseDC(editor, dc);
  return pixels;
}

// A session opened with no dialog expected; the texts of any that came up.
std::unique_ptr<EditorSession> OpenQuietly(std::vector<std::string>* unexpected) {
  DialogAnswerer none({});
  auto session = std::make_unique<EditorSession>();
  none.Finish();
  *unexpected = none.Texts();
  return session;
}
}  // namespace

TEST(WinUnicodeFolder, PresetsAndTheCalibrationFileWorkUnderANonAsciiDocumentsFolder) {
  for (const wchar_t* name : {L"José", L"Zoë Ωμέγα 日本"}) {
    const fs::path documents = fs::path(FreshFolder("documents")) / name;
    SCOPED_TRACE(documents.string());
    std::error_code ec;
    fs::create_directories(documents, ec);
    DocumentsMovedTo moved(documents);
    ASSERT_TRUE(moved.Moved());
    PWSTR reported = nullptr;
    const HRESULT hr = SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_DONT_VERIFY, nullptr, &reported);
    ASSERT_EQ(fs::path(reported ? reported : L""), documents) << std::hex << hr << " " << ec.message();
    CoTaskMemFree(reported);
    const fs::path presets = documents / L"Korvane Resonix";

    std::vector<std::string> unexpected;
    auto s = OpenQuietly(&unexpected);
    ASSERT_NE(s->editor, nullptr);
    EXPECT_TRUE(unexpected.empty()) << unexpected.front();
    ASSERT_TRUE(fs::is_directory(presets)) << fs::is_directory(documents) << " " << ec.message();
    const std::vector<COLORREF> uncalibrated = CalibrationLine(s->editor);

    const fs::path preset = presets / L"guitar.rzn";
    const std::u8string typed = preset.u8string();
    {
      DialogAnswerer answer({DialogAnswerer::Step{"Save Preset", {typed.begin(), typed.end()}}});
      s->Press(kSaveButton);
      EXPECT_TRUE(answer.Finish());
      EXPECT_TRUE(answer.Texts().empty()) << answer.Texts().front();
    }
    std::ifstream saved(preset, std::ios::binary | std::ios::ate);
    ASSERT_EQ(saved.tellg(), std::streamoff(1984));
    saved.close();
    const std::vector<uint8_t> state = s->State();
    Mouse(s->editor, WM_RBUTTONDOWN, 80, 300, MK_RBUTTON);
    for (int x = 80; x <= 300; x += 10) Mouse(s->editor, WM_MOUSEMOVE, x, 300 - (x - 80), MK_RBUTTON);
    Mouse(s->editor, WM_RBUTTONUP, 300, 80);
    ASSERT_NE(FirstDifference(s->State(), state), -1);
    {
      DialogAnswerer answer({DialogAnswerer::Step{"Load Preset", {typed.begin(), typed.end()}}});
      s->Press(kLoadButton);
      EXPECT_TRUE(answer.Finish());
      EXPECT_TRUE(answer.Texts().empty()) << answer.Texts().front();
    }
    EXPECT_EQ(FirstDifference(s->State(), state), -1);
    s.reset();

    // A calibration file beside the presets is read by the next instance and named in its editor.
    std::ofstream(presets / (std::wstring(name) + L" mic.frd"), std::ios::binary)
        << "20 -3\n1000 0\n20000 6\n";
    s = OpenQuietly(&unexpected);
    ASSERT_NE(s->editor, nullptr);
    EXPECT_TRUE(unexpected.empty()) << unexpected.front();
    EXPECT_NE(CalibrationLine(s->editor), uncalibrated);
    s.reset();
  }
}
