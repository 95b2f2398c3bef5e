// Parameters, their texts and the program opcodes, as a host's generic editor uses them.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "vst2/Vst2Host.h"

using namespace vst2;
using namespace vst2test;

namespace {

const char* const kNames[14] = {"Mode",
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

}  // namespace

TEST(Vst2Params, NamesLabelsAndDisplays) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  for (int i = 0; i < 14; ++i) {
    EXPECT_EQ(plug.text(effGetParamName, i), kNames[i]);
    EXPECT_EQ(plug.text(effGetParamLabel, i), "");
    EXPECT_EQ(plug.dispatch(effCanBeAutomated, i), i < 4 ? 1 : 0) << "the buttons are commands";
  }
  EXPECT_EQ(plug.display(0), "EQ");
  EXPECT_EQ(plug.display(1), "-25.0 dB");
  EXPECT_EQ(plug.display(2), "0.0 dB");
  EXPECT_EQ(plug.display(3), "E0");
  EXPECT_EQ(plug.display(8), "0");
  // Out of range: empty texts, nothing written past them.
  for (int i : {-1, 14, 1 << 30}) {
    EXPECT_EQ(plug.text(effGetParamName, i), "");
    EXPECT_EQ(plug.display(i), "");
  }
}

TEST(Vst2Params, GetAndSetNormalised) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  EXPECT_FLOAT_EQ(plug.get(2), 0.5f);
  EXPECT_NEAR(plug.get(1), 0.4444444f, 1e-6);
  plug.set(2, 0.25f);
  EXPECT_FLOAT_EQ(plug.get(2), 0.25f);
  EXPECT_EQ(plug.display(2), "-10.0 dB");
  plug.set(3, 1.0f);
  EXPECT_FLOAT_EQ(plug.get(3), 1.0f);
  // Values outside [0, 1] are held at the bounds; a value that is no number is ignored.
  plug.set(2, 1.5f);
  EXPECT_FLOAT_EQ(plug.get(2), 1.0f);
  plug.set(2, -0.5f);
  EXPECT_FLOAT_EQ(plug.get(2), 0.0f);
  plug.set(2, 0.3f);
  plug.set(2, std::numeric_limits<float>::quiet_NaN());
  plug.set(2, std::numeric_limits<float>::infinity());
  EXPECT_FLOAT_EQ(plug.get(2), 0.3f);
  // Bad indices are ignored.
  for (int i : {-1, 14, 100000}) {
    plug.set(i, 0.9f);
    EXPECT_EQ(plug.get(i), 0.0f);
  }
  // The host's own changes are not echoed back to it as automation.
  host().clear();
  plug.set(1, 0.6f);
  EXPECT_TRUE(host().calls_with(audioMasterAutomate).empty());
}

TEST(Vst2Params, StringToParameter) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  // Each parameter reads back the texts it shows.
  char text[] = "10.0 dB";
  EXPECT_EQ(plug.dispatch(effString2Parameter, 2, 0, text), 1);
  EXPECT_FLOAT_EQ(plug.get(2), 0.75f);
  EXPECT_EQ(plug.display(2), "10.0 dB");
  char big[] = "70";
  EXPECT_EQ(plug.dispatch(effString2Parameter, 2, 0, big), 1);
  EXPECT_FLOAT_EQ(plug.get(2), 1.0f);
  char negative[] = "-300 dB";
  EXPECT_EQ(plug.dispatch(effString2Parameter, 1, 0, negative), 1);
  EXPECT_FLOAT_EQ(plug.get(1), 0.0f);
  char note[] = "a4";
  EXPECT_EQ(plug.dispatch(effString2Parameter, 3, 0, note), 1);
  EXPECT_EQ(plug.display(3), "A4");
  char bypass[] = "Bypass";
  EXPECT_EQ(plug.dispatch(effString2Parameter, 0, 0, bypass), 1);
  EXPECT_FLOAT_EQ(plug.get(0), 1.0f);
  // Texts that are no number leave the value as it is.
  plug.set(2, 0.4f);
  for (const char* s : {"nan", "inf", "-inf", "1e999", "loud"}) {
    std::string copy = s;
    EXPECT_EQ(plug.dispatch(effString2Parameter, 2, 0, copy.data()), 0) << s;
    EXPECT_FLOAT_EQ(plug.get(2), 0.4f) << s;
  }
  EXPECT_EQ(plug.dispatch(effString2Parameter, 2, 0, nullptr), 0);
  EXPECT_EQ(plug.dispatch(effString2Parameter, 14, 0, text), 0);
  EXPECT_EQ(plug.dispatch(effString2Parameter, -1, 0, text), 0);
}

TEST(Vst2Params, VendorSpecificDisplayAndIntStep) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  char buf[64] = {};
  EXPECT_EQ(plug.dispatch(effVendorSpecific, 7, 1, buf, 0.5f), 0xbeef);
  EXPECT_STREQ(buf, "-22.5 dB");
  EXPECT_EQ(plug.dispatch(effVendorSpecific, 7, 2, buf, 0.25f), 0xbeef);
  EXPECT_STREQ(buf, "-10.0 dB");
  // Formatting a value does not change the parameter.
  EXPECT_FLOAT_EQ(plug.get(2), 0.5f);
  EXPECT_EQ(plug.dispatch(effVendorSpecific, 7, 14, buf, 0.5f), 0);
  EXPECT_EQ(plug.dispatch(effVendorSpecific, 7, -1, buf, 0.5f), 0);
  EXPECT_EQ(plug.dispatch(effVendorSpecific, 7, 1, nullptr, 0.5f), 0);
  EXPECT_EQ(plug.dispatch(effVendorSpecific, 7, 0, buf, std::nanf("")), 0);
  // Only "Mode" moves in whole steps.
  for (int i = 0; i < 14; ++i) EXPECT_EQ(plug.dispatch(effVendorSpecific, 8, i), i == 0 ? 0xbeef : 0);
  EXPECT_EQ(plug.dispatch(effVendorSpecific, 8, 14), 0);
  EXPECT_EQ(plug.dispatch(effVendorSpecific, 9, 1, buf, 0.5f), 0);
}

TEST(Vst2Params, ProgramsNamesAndRestore) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  EXPECT_EQ(plug.dispatch(effGetProgram), 0);
  EXPECT_EQ(plug.text(effGetProgramName), "-");
  char name[64] = {};
  EXPECT_EQ(plug.dispatch(effGetProgramNameIndexed, 0, 0, name), 1);
  EXPECT_STREQ(name, "-");
  EXPECT_EQ(plug.dispatch(effGetProgramNameIndexed, 1, 0, name), 0);
  EXPECT_EQ(plug.dispatch(effGetProgramNameIndexed, -1, 0, name), 0);

  // The one program holds the state it was last given; selecting it brings that state back.
  plug.set(2, 0.9f);
  plug.dispatch(effSetProgram, 0, 0);
  EXPECT_FLOAT_EQ(plug.get(2), 0.5f);
  EXPECT_EQ(plug.dispatch(effGetProgram), 0);

  char renamed[] = "Dreadnought";
  plug.set(2, 0.8f);
  plug.dispatch(effSetProgramName, 0, 0, renamed);
  EXPECT_EQ(plug.text(effGetProgramName), "Dreadnought");
  plug.set(2, 0.1f);
  plug.dispatch(effSetProgram, 0, 0);
  EXPECT_FLOAT_EQ(plug.get(2), 0.8f);

  // Programs that do not exist change nothing.
  plug.set(2, 0.2f);
  for (VstIntPtr p : {VstIntPtr(1), VstIntPtr(-1), VstIntPtr(1) << 40}) plug.dispatch(effSetProgram, 0, p);
  EXPECT_EQ(plug.dispatch(effGetProgram), 0);
  EXPECT_FLOAT_EQ(plug.get(2), 0.2f);

  // A program name longer than the host's buffer is cut to it.
  std::string longName(200, 'x');
  plug.dispatch(effSetProgramName, 0, 0, longName.data());
  EXPECT_EQ(plug.text(effGetProgramName).size(), size_t(kVstMaxProgNameLen - 1));
}

TEST(Vst2Params, PinsAndSpeakers) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  VstPinProperties pin{};
  EXPECT_EQ(plug.dispatch(effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive);
  EXPECT_STREQ(pin.label, "Input 1");
  EXPECT_EQ(plug.dispatch(effGetOutputProperties, 0, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Output 1");
  EXPECT_EQ(plug.dispatch(effGetInputProperties, 1, 0, &pin), 0);
  EXPECT_EQ(plug.dispatch(effGetOutputProperties, -1, 0, &pin), 0);

  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  EXPECT_EQ(plug.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
  ASSERT_NE(in, nullptr);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(in->type, kSpeakerArrMono);
  EXPECT_EQ(in->numChannels, 1);
  EXPECT_EQ(out->type, kSpeakerArrMono);
  EXPECT_EQ(out->numChannels, 1);

  VstSpeakerArrangement stereo{};
  stereo.type = kSpeakerArrStereo;
  stereo.numChannels = 2;
  EXPECT_EQ(plug.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&stereo), &stereo), 1);
  EXPECT_EQ(plug.dispatch(effSetSpeakerArrangement, 0, 0, &stereo), 0);

  MidiKeyName key{};
  key.thisKeyNumber = 60;
  EXPECT_EQ(plug.dispatch(effGetMidiKeyName, 0, 0, &key), 0);
  VstEvents events{};
  EXPECT_EQ(plug.dispatch(effProcessEvents, 0, 0, &events), 1);
}
