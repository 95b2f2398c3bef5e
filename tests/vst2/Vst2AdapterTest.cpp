// The adapter on a small plug-in of its own: the paths this product's settings never take
// (several channels, MIDI, integer and bool parameters, no chunks) and the host callbacks.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/hosts/vst2/IEffectVST2.h"

using namespace vst2;

namespace {

struct FakeHost {
  std::string product = "Generic Host";
  VstIntPtr vendor_version = 10203;
  VstIntPtr process_level = 1;
  VstTimeInfo time{};
  bool give_time = true;
  std::vector<std::pair<VstInt32, VstInt32>> calls;  // opcode, index
  std::vector<float> automated;
};
FakeHost* g_host = nullptr;

VstIntPtr fake_callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  FakeHost& h = *g_host;
  h.calls.push_back({opcode, index});
  switch (opcode) {
    case audioMasterAutomate:
      h.automated.push_back(opt);
      return 0;
    case audioMasterGetProductString:
      std::snprintf(static_cast<char*>(ptr), kVstMaxProductStrLen, "%s", h.product.c_str());
      return 1;
    case audioMasterGetVendorVersion:
      return h.vendor_version;
    case audioMasterGetCurrentProcessLevel:
      return h.process_level;
    case audioMasterGetTime:
      return h.give_time ? reinterpret_cast<VstIntPtr>(&h.time) : 0;
    default:
      return 0;
  }
}

class TestEffect : public IEffectVST2 {
 public:
  TestEffect(const char* io, bool midi, bool chunks)
      : IEffectVST2(IInstanceInfo{fake_callback}, 3, io, 2, "Test Effect", "Test Product", "example.org",
                    0x10203, FourCC("Tst1"), FourCC("Exmp"), 0, midi, chunks, false) {
    GetParam(0)->InitBool("Switch", false);
    GetParam(1)->InitInt("Steps", 2, 0, 10);
    GetParam(2)->InitDouble("Gain", 0.0, -12.0, 12.0, 0.1, "dB");
    MakeDefaultPreset("Init", 2);
  }
  void ProcessMidiMsg(IMidiMsg* msg) override { midi.push_back(*msg); }
  void ProcessSysEx(ISysEx* msg) override { sysex.emplace_back(msg->mData, msg->mData + msg->mSize); }

  VstIntPtr dispatch(VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0) {
    return GetAEffect()->dispatcher(GetAEffect(), op, index, value, ptr, opt);
  }

  std::vector<IMidiMsg> midi;
  std::vector<std::vector<uint8_t>> sysex;
};

class Vst2Adapter : public ::testing::Test {
 protected:
  void SetUp() override { g_host = &host_; }
  void TearDown() override { g_host = nullptr; }
  FakeHost host_;
};

}  // namespace

TEST_F(Vst2Adapter, ChannelsPinsAndArrangements) {
  TestEffect stereo("2-2", false, true);
  stereo.dispatch(effOpen);
  AEffect* e = stereo.GetAEffect();
  EXPECT_EQ(e->numInputs, 2);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags & effFlagsCanMono, 0);
  VstPinProperties pin{};
  ASSERT_EQ(stereo.dispatch(effGetOutputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
  ASSERT_EQ(stereo.dispatch(effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive);
  EXPECT_STREQ(pin.label, "Output 2");
  VstSpeakerArrangement *in = nullptr, *out = nullptr;
  ASSERT_EQ(stereo.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
  EXPECT_EQ(in->type, kSpeakerArrStereo);
  EXPECT_EQ(in->speakers[0].type, kSpeakerL);
  EXPECT_EQ(in->speakers[1].type, kSpeakerR);

  // A mono arrangement disconnects the second pair: its input reads silence, its output is left alone.
  VstSpeakerArrangement mono{};
  mono.type = kSpeakerArrMono;
  mono.numChannels = 1;
  ASSERT_EQ(stereo.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono), 1);
  std::vector<double> in0(64, 0.5), in1(64, 0.25), out0(64, 9.0), out1(64, 9.0);
  double* ins[2] = {in0.data(), in1.data()};
  double* outs[2] = {out0.data(), out1.data()};
  e->processDoubleReplacing(e, ins, outs, 64);
  EXPECT_EQ(out0, in0);
  EXPECT_EQ(out1, std::vector<double>(64, 9.0));

  TestEffect surround("4-4", false, true);
  surround.dispatch(effOpen);
  ASSERT_EQ(surround.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
  EXPECT_EQ(in->type, kSpeakerArrUserDefined);
  EXPECT_EQ(surround.GetAEffect()->numInputs, 4);
}

TEST_F(Vst2Adapter, HostsThatTakeOnlyStereoSeeTwoChannels) {
  host_.product = "Adobe Audition";
  TestEffect audition("4-4", false, true);
  audition.dispatch(effOpen);
  EXPECT_EQ(audition.GetHost(), kHostAudition);
  EXPECT_EQ(audition.GetAEffect()->numInputs, 2);
  EXPECT_EQ(audition.GetAEffect()->numOutputs, 2);

  host_.product = "Cubase Pro";
  host_.vendor_version = 90512;
  TestEffect cubase("4-4", false, true);
  cubase.dispatch(effOpen);
  EXPECT_EQ(cubase.GetHost(), kHostCubase);
  EXPECT_EQ(cubase.GetAEffect()->numInputs, 4);
  EXPECT_EQ(cubase.GetHostVersion(false), (9 << 16) + (5 << 8) + 12);
  EXPECT_EQ(cubase.GetHostVersionStr(), "v9.5.12");
}

TEST_F(Vst2Adapter, MidiPlugInTakesEvents) {
  TestEffect synth("0-2", true, true);
  EXPECT_EQ(synth.dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), 1);
  EXPECT_EQ(synth.dispatch(effCanDo, 0, 0, const_cast<char*>("sendVstEvents")), 1);
  VstMidiEvent note{};
  note.type = kVstMidiType;
  note.byteSize = sizeof note;
  note.deltaFrames = 17;
  note.midiData[0] = char(0x90);
  note.midiData[1] = 60;
  note.midiData[2] = 100;
  char dump[] = {char(0xF0), 0x7E, 0x01, char(0xF7)};
  VstMidiSysexEvent sysex{};
  sysex.type = kVstSysExType;
  sysex.byteSize = sizeof sysex;
  sysex.dumpBytes = 4;
  sysex.sysexDump = dump;
  VstMidiSysexEvent empty_sysex = sysex;
  empty_sysex.sysexDump = nullptr;
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[4];
  } events{4,
           0,
           {reinterpret_cast<VstEvent*>(&note), reinterpret_cast<VstEvent*>(&sysex), nullptr,
            reinterpret_cast<VstEvent*>(&empty_sysex)}};
  EXPECT_EQ(synth.dispatch(effProcessEvents, 0, 0, &events), 1);
  ASSERT_EQ(synth.midi.size(), 1u);
  EXPECT_EQ(synth.midi[0].mOffset, 17);
  EXPECT_EQ(synth.midi[0].mStatus, 0x90);
  EXPECT_EQ(synth.midi[0].mData1, 60);
  EXPECT_EQ(synth.midi[0].mData2, 100);
  ASSERT_EQ(synth.sysex.size(), 1u);
  EXPECT_EQ(synth.sysex[0].size(), 4u);
  EXPECT_EQ(synth.sysex[0][0], 0xF0);
}

TEST_F(Vst2Adapter, BoolAndIntParameters) {
  TestEffect plug("1-1", false, true);
  char on[] = "on", On[] = "On", three[] = "3", gain[] = "-6.5";
  EXPECT_EQ(plug.dispatch(effString2Parameter, 0, 0, on), 1);
  EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);
  EXPECT_EQ(plug.dispatch(effString2Parameter, 0, 0, On), 0);
  EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);
  char text[64];
  plug.dispatch(effGetParamDisplay, 0, 0, text);
  EXPECT_STREQ(text, "on");
  EXPECT_EQ(plug.dispatch(effString2Parameter, 1, 0, three), 1);
  EXPECT_EQ(plug.GetParam(1)->Value(), 3.0);
  EXPECT_EQ(plug.dispatch(effString2Parameter, 2, 0, gain), 1);
  EXPECT_EQ(plug.GetParam(2)->Value(), -6.5);
  plug.dispatch(effGetParamLabel, 2, 0, text);
  EXPECT_STREQ(text, "dB");
  EXPECT_EQ(plug.dispatch(effVendorSpecific, 8, 0), 0xbeef);
  EXPECT_EQ(plug.dispatch(effVendorSpecific, 8, 1), 0xbeef);
  EXPECT_EQ(plug.dispatch(effVendorSpecific, 8, 2), 0);
  EXPECT_EQ(plug.dispatch(effVendorSpecific, 7, 0, text, 0.0f), 0xbeef);
  EXPECT_STREQ(text, "off");
  // Integer parameters round to their step from the host's normalised value.
  plug.GetAEffect()->setParameter(plug.GetAEffect(), 1, 0.46f);
  EXPECT_EQ(plug.GetParam(1)->Value(), 5.0);
}

TEST_F(Vst2Adapter, ProgramsWithoutChunksKeepTheEditsOfTheProgramLeft) {
  TestEffect plug("1-1", false, false);
  EXPECT_EQ(plug.GetAEffect()->flags & effFlagsProgramChunks, 0);
  EXPECT_EQ(plug.GetAEffect()->numPrograms, 2);
  plug.GetAEffect()->setParameter(plug.GetAEffect(), 2, 0.75f);
  plug.dispatch(effSetProgram, 0, 1);
  EXPECT_EQ(plug.dispatch(effGetProgram), 1);
  plug.GetAEffect()->setParameter(plug.GetAEffect(), 2, 0.25f);
  plug.dispatch(effSetProgram, 0, 0);
  EXPECT_FLOAT_EQ(plug.GetAEffect()->getParameter(plug.GetAEffect(), 2), 0.75f);
  plug.dispatch(effSetProgram, 0, 1);
  EXPECT_FLOAT_EQ(plug.GetAEffect()->getParameter(plug.GetAEffect(), 2), 0.25f);
  char name[64];
  EXPECT_EQ(plug.dispatch(effGetProgramNameIndexed, 1, 0, name), 1);
  EXPECT_STREQ(name, "Init");
}

TEST_F(Vst2Adapter, CallbacksToTheHost) {
  TestEffect plug("1-1", false, true);
  host_.calls.clear();
  plug.BeginInformHostOfParamChange(2);
  plug.InformHostOfParamChange(2, 0.25);
  plug.EndInformHostOfParamChange(2);
  plug.InformHostOfProgramChange();
  const std::vector<std::pair<VstInt32, VstInt32>> expected = {{audioMasterBeginEdit, 2},
                                                               {audioMasterAutomate, 2},
                                                               {audioMasterEndEdit, 2},
                                                               {audioMasterUpdateDisplay, 0}};
  EXPECT_EQ(host_.calls, expected);
  EXPECT_EQ(host_.automated, std::vector<float>{0.25f});

  EXPECT_FALSE(plug.IsRenderingOffline());
  host_.process_level = kVstProcessLevelOffline;
  EXPECT_TRUE(plug.IsRenderingOffline());

  host_.time.samplePos = 48000.0;
  host_.time.tempo = 133.0;
  host_.time.ppqPos = 8.5;
  host_.time.barStartPos = 8.0;
  host_.time.timeSigNumerator = 7;
  host_.time.timeSigDenominator = 8;
  host_.time.flags =
      kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid | kVstTransportPlaying;
  EXPECT_EQ(plug.GetSamplePos(), 48000);
  EXPECT_EQ(plug.GetTempo(), 133.0);
  int num = 0, den = 0;
  plug.GetTimeSig(&num, &den);
  EXPECT_EQ(num, 7);
  EXPECT_EQ(den, 8);
  ITimeInfo t;
  plug.GetTime(&t);
  EXPECT_EQ(t.mTempo, 133.0);
  EXPECT_EQ(t.mPPQPos, 8.5);
  EXPECT_EQ(t.mLastBar, 8.0);
  EXPECT_EQ(t.mCycleStart, -1.0);  // the host gave no cycle
  EXPECT_TRUE(t.mTransportIsRunning);
  EXPECT_FALSE(t.mTransportLoopEnabled);
  // A host that has no time to give leaves the defaults.
  host_.give_time = false;
  ITimeInfo none;
  plug.GetTime(&none);
  EXPECT_EQ(none.mTempo, 120.0);
  EXPECT_EQ(plug.GetTempo(), 0.0);
  EXPECT_EQ(plug.GetSamplePos(), 0);
}
