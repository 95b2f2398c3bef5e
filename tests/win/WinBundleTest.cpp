// The Windows bundle as a host finds it: layout, the three exports and nothing else, and the editor
// bitmaps and manual pages carried as resources of the plug-in file.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "raster/PngCodec.h"
#include "vst3/Vst3TestHost.h"
#include "win/WinTestSupport.h"

using namespace vst3test;
namespace fs = std::filesystem;

namespace {
std::string ModuleFile() {
  return (fs::path(TestHost::BundlePath()) / "Contents/x86_64-win/KorvaneResonix.vst3").string();
}

// The plug-in file opened as data only: its resources, without running any of its code.
struct ResourceFile {
  HMODULE module = LoadLibraryExA(ModuleFile().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ~ResourceFile() {
    if (module) FreeLibrary(module);
  }
  std::vector<unsigned char> Bytes(int id, const char* type) const {
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    HGLOBAL data = info ? LoadResource(module, info) : nullptr;
    const auto* bytes = static_cast<const unsigned char*>(data ? LockResource(data) : nullptr);
    return bytes ? std::vector<unsigned char>(bytes, bytes + SizeofResource(module, info))
                 : std::vector<unsigned char>();
  }
};
}  // namespace

TEST(WinBundle, HasTheStandardWindowsLayout) {
  const fs::path bundle = TestHost::BundlePath();
  EXPECT_TRUE(fs::is_regular_file(bundle / "Contents/x86_64-win/KorvaneResonix.vst3"));
  EXPECT_TRUE(fs::is_regular_file(bundle / "Contents/Resources/moduleinfo.json"));
  // Everything the editor needs is inside the plug-in file.
  EXPECT_FALSE(fs::exists(bundle / "Contents/Resources/img"));
}

TEST(WinBundle, ExportsOnlyTheWindowsEntryPoints) {
  TestHost& host = TestHost::Get();
  ASSERT_NE(host.Module(), nullptr) << host.LoadError();
  EXPECT_NE(host.Module()->Symbol("GetPluginFactory"), nullptr);
  EXPECT_NE(host.Module()->Symbol("InitDll"), nullptr);
  EXPECT_NE(host.Module()->Symbol("ExitDll"), nullptr);
  EXPECT_EQ(host.Module()->Symbol("ModuleEntry"), nullptr);
  EXPECT_EQ(host.Module()->Symbol("_ZN11IEffectBase5ResetEv"), nullptr);
}

TEST(WinBundle, CarriesTheEditorBitmapsAsPngResources) {
  ResourceFile file;
  ASSERT_NE(file.module, nullptr);
  const struct {
    int id;
    int w, h;
  } bitmaps[] = {{101, 730, 431}, {103, 23, 32}, {110, 12, 12}, {113, 220, 187}, {115, 422, 121}};
  for (const auto& b : bitmaps) {
    const std::vector<unsigned char> png = file.Bytes(b.id, "PNG");
    ASSERT_GT(png.size(), 7u) << b.id;
    auto bitmap = PngCodec::Decode(png.data(), png.size());
    ASSERT_NE(bitmap, nullptr) << b.id;
    EXPECT_EQ(bitmap->Width(), b.w) << b.id;
    EXPECT_EQ(bitmap->Height(), b.h) << b.id;
  }
}

TEST(WinBundle, CarriesTheManualAsBinResourcesAndNoBandTable) {
  ResourceFile file;
  ASSERT_NE(file.module, nullptr);
  const char* names[] = {
      "1.htm",         "2.htm",         "3.htm",         "style.css",          "resonix-1.png",
      "resonix-2.jpg", "resonix-3.png", "resonix-4.png", "resonix-5.png",      "resonix-6.png",
      "resonix-7.png", "resonix-8.png", "resonix-9.png", "resonix-example.mp3"};
  for (int i = 0; i < 14; ++i) {
    const std::vector<unsigned char> source =
        wintest::ReadBytes((fs::path(RESONIX_SOURCE_DIR) / "resources/help" / names[i]).string());
    ASSERT_FALSE(source.empty()) << names[i];
    EXPECT_EQ(file.Bytes(200 + i, "BIN"), source) << names[i];
  }
  // The band interaction table is computed; no resource stands for it.
  EXPECT_TRUE(file.Bytes(112, "BIN").empty());
}
