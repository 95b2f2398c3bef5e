// What the controller exports: the plug-in's 14 parameters behind "Preset" and "Bypass", their
// infos and text conversions, units and the program list, as a host and a validator query them.

#include <gtest/gtest.h>

#include <cmath>

#include <set>
#include <string>

#include "vst3/Vst3TestHost.h"

using namespace vst3test;

namespace {
constexpr ParamID kPreset = 0x70727374;
constexpr ParamID kBypass = 0x62706173;

std::string Narrow(const TChar* text) {
  std::string out;
  for (int i = 0; text[i] && i < 128; ++i) out += char(text[i]);
  return out;
}

// TChar is char16_t on Linux and wchar_t on Windows.
std::basic_string<TChar> Wide(const char* text) {
  std::basic_string<TChar> out;
  for (; *text; ++text) out += TChar(*text);
  return out;
}

std::string TextOf(IEditController* c, ParamID id, ParamValue v) {
  String128 text = {};
  if (c->getParamStringByValue(id, v, text) != kResultTrue) return "<refused>";
  return Narrow(text);
}
}  // namespace

TEST(Vst3Parameters, AreListedInOrderWithConsistentInfos) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  IEditController* c = plug.Controller();
  ASSERT_EQ(c->getParameterCount(), 16);

  const char* names[] = {"Mode",
                         "Vertical slider",
                         "Bypass signal volume",
                         "Note indicator",
                         "LoadTarget",
                         "ResetTarget",
                         "ResetAll",
                         "About",
                         "Start",
                         "Undo",
                         "Redo",
                         "Save",
                         "Load",
                         "OK"};
  std::set<ParamID> ids;
  int bypassCount = 0;
  for (int32 i = 0; i < c->getParameterCount(); ++i) {
    ParameterInfo info = {};
    ASSERT_EQ(c->getParameterInfo(i, info), kResultTrue);
    EXPECT_TRUE(ids.insert(info.id).second) << "duplicate id " << info.id;
    EXPECT_GE(info.stepCount, 0);
    EXPECT_GE(info.defaultNormalizedValue, 0.0);
    EXPECT_LE(info.defaultNormalizedValue, 1.0);
    EXPECT_EQ(info.unitId, kRootUnitId);
    bypassCount += (info.flags & ParameterInfo::kIsBypass) ? 1 : 0;
    if (i == 0) {
      EXPECT_EQ(info.id, kPreset);
      EXPECT_EQ(Narrow(info.title), "Preset");
      EXPECT_EQ(info.flags, int32(ParameterInfo::kIsProgramChange | ParameterInfo::kIsList));
      EXPECT_EQ(info.stepCount, 0);  // one preset: a list of one
    } else if (i == 1) {
      EXPECT_EQ(info.id, kBypass);
      EXPECT_EQ(Narrow(info.title), "Bypass");
      EXPECT_EQ(info.flags, 0x10009);
      EXPECT_EQ(info.stepCount, 1);
    } else {
      EXPECT_EQ(info.id, ParamID(i - 2));
      EXPECT_EQ(Narrow(info.title), names[i - 2]);
      // The buttons are commands a host could not replay; "Mode" is a two-state switch.
      EXPECT_EQ(info.flags, i - 2 < 4 ? int32(ParameterInfo::kCanAutomate) : 0) << names[i - 2];
      EXPECT_EQ(info.stepCount, i - 2 == 0 ? 1 : 0) << names[i - 2];
    }
  }
  EXPECT_EQ(bypassCount, 1);

  ParameterInfo info = {};
  EXPECT_NE(c->getParameterInfo(16, info), kResultTrue);
  EXPECT_NE(c->getParameterInfo(-1, info), kResultTrue);
  // "Vertical slider" starts at the -25 dB curve: 20*log10(0.0562...)/45 + 1.
  ASSERT_EQ(c->getParameterInfo(3, info), kResultTrue);
  EXPECT_NEAR(info.defaultNormalizedValue, 0.4444444, 1e-6);
}

TEST(Vst3Parameters, ConvertValuesAndTextsBothWays) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  IEditController* c = plug.Controller();

  EXPECT_EQ(TextOf(c, 0, 0.001), "EQ");
  EXPECT_EQ(TextOf(c, 0, 0.6), "Bypass");
  EXPECT_EQ(TextOf(c, 1, 0.5), "-22.5 dB");
  EXPECT_EQ(TextOf(c, 2, 0.25), "-10.0 dB");
  EXPECT_EQ(TextOf(c, 3, 53.0 / 119.0), "A4");
  EXPECT_EQ(TextOf(c, 7, 1.0), "1");
  EXPECT_EQ(TextOf(c, kBypass, 0.5), "off");
  EXPECT_EQ(TextOf(c, kBypass, 0.51), "on");
  EXPECT_EQ(TextOf(c, kPreset, 0.0), "-");
  EXPECT_EQ(TextOf(c, 999, 0.5), "<refused>");

  ParamValue v = -1;
  std::basic_string<TChar> typed = Wide("-11.25 dB");
  ASSERT_EQ(c->getParamValueByString(1, typed.data(), v), kResultTrue);
  EXPECT_DOUBLE_EQ(v, 0.75);
  typed = Wide("7");  // clamped into the range
  ASSERT_EQ(c->getParamValueByString(1, typed.data(), v), kResultTrue);
  EXPECT_DOUBLE_EQ(v, 1.0);
  typed = Wide("loud");
  EXPECT_NE(c->getParamValueByString(2, typed.data(), v), kResultTrue);
  typed = Wide("on");
  ASSERT_EQ(c->getParamValueByString(kBypass, typed.data(), v), kResultTrue);
  EXPECT_DOUBLE_EQ(v, 1.0);
  EXPECT_NE(c->getParamValueByString(1, nullptr, v), kResultTrue);

  EXPECT_DOUBLE_EQ(c->normalizedParamToPlain(2, 0.3), 0.3);
  EXPECT_DOUBLE_EQ(c->plainParamToNormalized(2, 1.5), 1.0);
  EXPECT_DOUBLE_EQ(c->plainParamToNormalized(kBypass, 0.7), 0.7);
}

// Whatever value a host holds, its text reads back to a value with the same text, and for "Mode"
// the text names what the audio does.
TEST(Vst3Parameters, TextsReadBackAndModeTextMatchesTheAudio) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  IEditController* c = plug.Controller();
  for (ParamID id = 0; id < 4; ++id) {
    for (int k = 0; k <= 1000; ++k) {
      const double v = k / 1000.0;
      const std::string text = TextOf(c, id, v);
      std::basic_string<TChar> typed = Wide(text.c_str());
      ParamValue back = -1;
      ASSERT_EQ(c->getParamValueByString(id, typed.data(), back), kResultTrue) << text;
      EXPECT_EQ(TextOf(c, id, back), text) << "id " << id << " at " << v;
    }
  }
  // Offline, so the first block already plays the new instance's flat design rather than the silence
  // before it.
  ASSERT_EQ(plug.Setup(48000.0, 64, kSample64, kOffline), kResultOk);
  std::vector<double> in(64);
  for (size_t n = 0; n < in.size(); ++n) in[n] = std::sin(0.3 * double(n)) * 0.5;
  for (double v : {0.001, 0.49, 0.51, 0.999}) {
    TestParameterChanges mode;
    mode.Add(0, v);
    mode.Add(2, 1.0);  // bypass at +20 dB; the flat EQ of a new instance passes the input
    const bool bypassed = plug.Process(in, &mode) != in;
    EXPECT_EQ(bypassed, TextOf(c, 0, v) == "Bypass") << v;
  }
}

TEST(Vst3Parameters, ControllerValuesFollowSetParamNormalized) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  IEditController* c = plug.Controller();

  EXPECT_DOUBLE_EQ(c->getParamNormalized(2), 0.5);
  EXPECT_EQ(c->setParamNormalized(2, 0.8), kResultTrue);
  EXPECT_DOUBLE_EQ(c->getParamNormalized(2), 0.8);
  // The bypass reads back at once what the host set; unknown ids and bad values are refused.
  EXPECT_EQ(c->setParamNormalized(kBypass, 1.0), kResultTrue);
  EXPECT_DOUBLE_EQ(c->getParamNormalized(kBypass), 1.0);
  EXPECT_EQ(c->setParamNormalized(kBypass, 0.0), kResultTrue);
  EXPECT_NE(c->setParamNormalized(9999, 1.0), kResultTrue);
  EXPECT_NE(c->setParamNormalized(2, std::numeric_limits<double>::quiet_NaN()), kResultTrue);
  EXPECT_DOUBLE_EQ(c->getParamNormalized(2), 0.8);
  EXPECT_DOUBLE_EQ(c->getParamNormalized(kBypass), 0.0);
  // Selecting the preset restores its values.
  EXPECT_EQ(c->setParamNormalized(kPreset, 0.0), kResultTrue);
  EXPECT_DOUBLE_EQ(c->getParamNormalized(2), 0.5);
  EXPECT_DOUBLE_EQ(c->getParamNormalized(9999), 0.0);
}

TEST(Vst3Parameters, UnitsAndProgramList) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  FUnknownPtr<IUnitInfo> units(plug.Controller());
  ASSERT_TRUE(units);

  ASSERT_EQ(units->getUnitCount(), 1);
  UnitInfo unit = {};
  ASSERT_EQ(units->getUnitInfo(0, unit), kResultTrue);
  EXPECT_EQ(unit.id, kRootUnitId);
  EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
  EXPECT_EQ(unit.programListId, ProgramListID(kPreset));
  EXPECT_EQ(Narrow(unit.name), "Root Unit");
  EXPECT_NE(units->getUnitInfo(1, unit), kResultTrue);
  EXPECT_NE(units->getUnitInfo(-1, unit), kResultTrue);

  EXPECT_EQ(units->getProgramListCount(), 1);
  ProgramListInfo list = {};
  ASSERT_EQ(units->getProgramListInfo(0, list), kResultTrue);
  EXPECT_EQ(list.id, ProgramListID(kPreset));
  EXPECT_EQ(list.programCount, 1);
  EXPECT_EQ(Narrow(list.name), "Factory Presets");
  EXPECT_NE(units->getProgramListInfo(1, list), kResultTrue);

  String128 name = {};
  ASSERT_EQ(units->getProgramName(kPreset, 0, name), kResultTrue);
  EXPECT_EQ(Narrow(name), "-");
  ASSERT_EQ(units->getProgramName(kPreset, 5, name), kResultTrue);
  EXPECT_EQ(Narrow(name), "");
  EXPECT_NE(units->getProgramName(1234, 0, name), kResultTrue);
}

TEST(Vst3Parameters, SurviveTerminateAndInitializeAgain) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  // Hosts and validators cycle initialize/terminate: nothing may be listed twice.
  ASSERT_EQ(plug.Component()->terminate(), kResultOk);
  ASSERT_EQ(plug.Component()->initialize(&TestHost::Get().Application()), kResultOk);
  EXPECT_EQ(plug.Controller()->getParameterCount(), 16);
  EXPECT_EQ(plug.Component()->getBusCount(kAudio, kInput), 1);
  FUnknownPtr<IUnitInfo> units(plug.Controller());
  EXPECT_EQ(units->getUnitCount(), 1);
  // A second initialize without terminate is refused.
  EXPECT_NE(plug.Component()->initialize(&TestHost::Get().Application()), kResultOk);
}
