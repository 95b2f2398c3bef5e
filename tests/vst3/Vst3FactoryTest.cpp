// The bundle as a host finds it on disk: layout, exported entry points, factory and class info, and a
// moduleinfo.json that says what the factory says.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "pluginterfaces/base/funknown.h"
#include "vst3/Vst3TestHost.h"

using namespace vst3test;
namespace fs = std::filesystem;

namespace {
std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The JSON value text that follows "key": (strings keep their quotes).
std::string JsonValue(const std::string& json, const std::string& key) {
  const size_t at = json.find("\"" + key + "\"");
  if (at == std::string::npos) return {};
  size_t start = json.find(':', at) + 1;
  while (json[start] == ' ') ++start;
  const size_t end = json.find_first_of(",\n}", json[start] == '"' ? json.find('"', start + 1) : start);
  return json.substr(start, end - start);
}
}  // namespace

#if !defined(_WIN32)  // the Windows bundle and its exports are checked in tests/win
TEST(Vst3Bundle, HasTheStandardLinuxLayout) {
  const fs::path bundle = TestHost::BundlePath();
  EXPECT_TRUE(fs::is_regular_file(bundle / "Contents/x86_64-linux/KorvaneResonix.so"));
  EXPECT_TRUE(fs::is_regular_file(bundle / "Contents/Resources/moduleinfo.json"));
  EXPECT_TRUE(fs::is_regular_file(bundle / "Contents/Resources/fonts/DejaVuSans.ttf"));
  EXPECT_TRUE(fs::is_regular_file(bundle / "Contents/Resources/fonts/DejaVuSans-Bold.ttf"));
  EXPECT_TRUE(fs::is_directory(bundle / "Contents/Resources/img"));
  EXPECT_TRUE(fs::is_directory(bundle / "Contents/Resources/help"));
}

TEST(Vst3Bundle, ExportsOnlyTheEntryPoints) {
  TestHost& host = TestHost::Get();
  ASSERT_NE(host.Module(), nullptr) << host.LoadError();
  EXPECT_NE(host.Module()->Symbol("GetPluginFactory"), nullptr);
  EXPECT_NE(host.Module()->Symbol("ModuleEntry"), nullptr);
  EXPECT_NE(host.Module()->Symbol("ModuleExit"), nullptr);
  // Framework classes stay private, so two plug-ins built on them never clash in one host.
  EXPECT_EQ(host.Module()->Symbol("_ZN11IEffectBase5ResetEv"), nullptr);
  EXPECT_EQ(host.Module()->Symbol("_ZN11IEffectVST3D0Ev"), nullptr);
}
#endif

TEST(Vst3Factory, DescribesOneEffectClass) {
  TestHost& host = TestHost::Get();
  ASSERT_NE(host.Factory(), nullptr) << host.LoadError();
  IPluginFactory* factory = host.Factory();

  PFactoryInfo info("", "", "", 0);
  ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
  EXPECT_STREQ(info.vendor, "Korvane");
  EXPECT_GT(std::strlen(info.url), 0u);
  EXPECT_GT(std::strlen(info.email), 0u);
  EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);

  ASSERT_EQ(factory->countClasses(), 1);
  FUnknownPtr<IPluginFactory2> factory2(factory);
  ASSERT_TRUE(factory2);
  PClassInfo2 c;
  ASSERT_EQ(factory2->getClassInfo2(0, &c), kResultOk);
  EXPECT_STREQ(c.category, "Audio Module Class");
  EXPECT_STREQ(c.name, "Korvane Resonix");
  EXPECT_EQ(c.cardinality, 0x7FFFFFFF);
  EXPECT_EQ(c.classFlags, 2u);
  EXPECT_STREQ(c.subCategories, "Fx");
  EXPECT_STREQ(c.vendor, "Korvane");
  EXPECT_STREQ(c.version, "1.1.9");
  EXPECT_STREQ(c.sdkVersion, "VST 3.6.10");

  FUnknownPtr<IPluginFactory3> factory3(factory);
  ASSERT_TRUE(factory3);
  PClassInfoW w;
  ASSERT_EQ(factory3->getClassInfoUnicode(0, &w), kResultOk);
  EXPECT_EQ(w.name[0], u'K');
  EXPECT_EQ(std::memcmp(w.cid, c.cid, sizeof(TUID)), 0);

  // Indices out of range are refused, never read past the table.
  EXPECT_NE(factory2->getClassInfo2(1, &c), kResultOk);
  EXPECT_NE(factory2->getClassInfo2(-1, &c), kResultOk);
  EXPECT_NE(factory->getClassInfo(1, nullptr), kResultOk);
}

TEST(Vst3Factory, CreatesInstancesOnlyForItsClassAndKnownInterfaces) {
  TestHost& host = TestHost::Get();
  ASSERT_NE(host.Factory(), nullptr) << host.LoadError();
  TUID cid;
  ASSERT_TRUE(host.EffectClassId(cid));

  void* obj = reinterpret_cast<void*>(1);
  TUID other = {};
  EXPECT_NE(host.Factory()->createInstance(other, IComponent::iid, &obj), kResultOk);
  EXPECT_EQ(obj, nullptr);
  EXPECT_NE(host.Factory()->createInstance(cid, IPluginFactory::iid, &obj), kResultOk);
  EXPECT_EQ(obj, nullptr);

  for (const FUID* iid : {&IComponent::iid, &IAudioProcessor::iid, &IEditController::iid}) {
    ASSERT_EQ(host.Factory()->createInstance(cid, *iid, &obj), kResultOk);
    ASSERT_NE(obj, nullptr);
    static_cast<FUnknown*>(obj)->release();
  }
}

TEST(Vst3Factory, ModuleInfoAgreesWithTheFactory) {
  TestHost& host = TestHost::Get();
  ASSERT_NE(host.Factory(), nullptr) << host.LoadError();
  const std::string json = ReadFile(fs::path(TestHost::BundlePath()) / "Contents/Resources/moduleinfo.json");
  ASSERT_FALSE(json.empty());

  FUnknownPtr<IPluginFactory2> factory2(host.Factory());
  PClassInfo2 c;
  ASSERT_EQ(factory2->getClassInfo2(0, &c), kResultOk);
  char8 cid[64] = {};
  FUID::fromTUID(c.cid).toString(cid);

  EXPECT_EQ(JsonValue(json, "Name"), "\"KorvaneResonix\"");
  EXPECT_EQ(JsonValue(json, "Version"), "\"1.1.9.0\"");
  EXPECT_EQ(JsonValue(json, "Vendor"), "\"Korvane\"");
  EXPECT_EQ(JsonValue(json, "Unicode"), "true");
  EXPECT_EQ(JsonValue(json, "Classes Discardable"), "false");
  EXPECT_EQ(JsonValue(json, "CID"), "\"" + std::string(cid) + "\"");
  EXPECT_EQ(std::string(cid).size(), 32u);
  // Saved projects find their instances by it: it never changes.
  EXPECT_STREQ(cid, "4B6F72352E9A4C1B8F3D5A607C21B9E4");
  EXPECT_EQ(JsonValue(json, "Category"), "\"Audio Module Class\"");
  EXPECT_EQ(JsonValue(json, "SDKVersion"), "\"VST 3.6.10\"");
  EXPECT_EQ(JsonValue(json, "Class Flags"), "2");
  EXPECT_EQ(JsonValue(json, "Cardinality"), "2147483647");
  EXPECT_NE(json.find("\"Sub Categories\": [\"Fx\"]"), std::string::npos);
  EXPECT_NE(json.find("\"Snapshots\": []"), std::string::npos);
}
