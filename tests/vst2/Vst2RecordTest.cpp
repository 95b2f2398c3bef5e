// The module as a host first meets it: exported symbols, the effect record, identity opcodes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "vst2/Vst2Host.h"

using namespace vst2;
using namespace vst2test;

namespace {

std::set<std::string> exported_functions(const std::string& path) {
  std::set<std::string> names;
  const std::string cmd = "nm -D --defined-only '" + path + "' 2>/dev/null";
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return names;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe)) {
    char addr[64] = {}, kind[8] = {}, name[900] = {};
    if (std::sscanf(line, "%63s %7s %899s", addr, kind, name) == 3 && (kind[0] == 'T' || kind[0] == 'W'))
      names.insert(name);
  }
  pclose(pipe);
  return names;
}

}  // namespace

TEST(Vst2Record, OnlyTheEntryPointsAreExported) {
  Vst2Module& m = Vst2Module::get();
  ASSERT_TRUE(m.loaded()) << m.error();
  ASSERT_NE(m.symbol("VSTPluginMain"), nullptr);
  ASSERT_NE(m.symbol("main"), nullptr);
  const std::set<std::string> names = exported_functions(m.path());
  ASSERT_FALSE(names.empty()) << "nm found no symbols in " << m.path();
  for (const std::string& name : names)
    EXPECT_TRUE(name == "VSTPluginMain" || name == "main" || name.rfind("_init", 0) == 0 ||
                name.rfind("_fini", 0) == 0)
        << "exported: " << name;
}

TEST(Vst2Record, BothEntryPointsMakeAWorkingInstance) {
  Vst2Module& m = Vst2Module::get();
  ASSERT_TRUE(m.loaded()) << m.error();
  auto main_entry = reinterpret_cast<Vst2Module::EntryProc>(m.symbol("main"));
  ASSERT_NE(main_entry, nullptr);
  host().clear();
  Vst2Instance a;
  ASSERT_TRUE(a);
  AEffect* b = main_entry(nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(b, a.effect());
  EXPECT_EQ(b->magic, a.effect()->magic);
  EXPECT_EQ(b->uniqueID, a.effect()->uniqueID);
  // An instance made without a host callback still answers and closes.
  EXPECT_EQ(b->dispatcher(b, effGetVstVersion, 0, 0, nullptr, 0.0f), 2400);
  b->dispatcher(b, effOpen, 0, 0, nullptr, 0.0f);
  b->dispatcher(b, effClose, 0, 0, nullptr, 0.0f);
}

TEST(Vst2Record, RecordValues) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  const AEffect* e = plug.effect();
  const unsigned char* magic = reinterpret_cast<const unsigned char*>(&e->magic);
  EXPECT_EQ(std::string(magic, magic + 4), "PtsV");
  EXPECT_EQ(e->numPrograms, 1);
  EXPECT_EQ(e->numParams, 14);
  EXPECT_EQ(e->numInputs, 1);
  EXPECT_EQ(e->numOutputs, 1);
  EXPECT_EQ(e->uniqueID, fourCC('K', 'o', 'r', '5'));
  EXPECT_EQ(e->version, 10109);
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_EQ(e->ioRatio, 1.0f);
  EXPECT_NE(e->object, nullptr);
  EXPECT_NE(e->process, nullptr);
  EXPECT_NE(e->processReplacing, nullptr);
  EXPECT_NE(e->processDoubleReplacing, nullptr);
  EXPECT_NE(e->setParameter, nullptr);
  EXPECT_NE(e->getParameter, nullptr);
  // The editor flag agrees with whether the instance hands out an editor rectangle.
  ERect* rect = nullptr;
  const bool has_editor = plug.dispatch(effEditGetRect, 0, 0, &rect) == 1;
  EXPECT_EQ(e->flags, has_editor ? 0x1039 : 0x1038);
  if (has_editor) {
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->right, 730);
    EXPECT_EQ(rect->bottom, 431);
  }
}

TEST(Vst2Record, IdentityOpcodes) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  EXPECT_EQ(plug.dispatch(effIdentify), fourCC('N', 'v', 'E', 'f'));
  EXPECT_EQ(plug.dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(plug.dispatch(effGetVendorVersion), 10109);
  EXPECT_EQ(plug.dispatch(effGetPlugCategory), kPlugCategEffect);
  EXPECT_EQ(plug.dispatch(effGetTailSize), 0);
  EXPECT_EQ(plug.text(effGetEffectName), "Korvane Resonix");
  EXPECT_EQ(plug.text(effGetProductString), "");
  EXPECT_EQ(plug.text(effGetVendorString), "Korvane");  // as the VST3 factory says
  // Idle calls, opcodes past the table and unknown ones answer 0 and do nothing.
  EXPECT_EQ(plug.dispatch(effIdle), 0);
  EXPECT_EQ(plug.dispatch(effEditIdle), 0);
  for (VstInt32 op :
       {9, 16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 41, 43, 44, 46, 54, 55, 56, 57, 70, 71, 72, 1000, -1})
    EXPECT_EQ(plug.dispatch(op, 3, 5, nullptr, 0.5f), 0) << "opcode " << op;
  // Text opcodes with no buffer do not write anywhere.
  for (VstInt32 op : {effGetEffectName, effGetVendorString, effGetProductString, effGetProgramName,
                      effGetParamName, effGetParamLabel, effGetParamDisplay, effCanDo, effGetChunk,
                      effSetChunk, effGetMidiKeyName, effGetSpeakerArrangement, effEditGetRect, effEditOpen})
    plug.dispatch(op, 0, 0, nullptr);
}

TEST(Vst2Record, CanDoAnswers) {
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  EXPECT_EQ(plug.can_do("receiveVstTimeInfo"), 1);
  EXPECT_EQ(plug.can_do("hasCockosExtensions"), VstIntPtr(0xbeef0000));
  EXPECT_EQ(plug.can_do("hasCockosViewAsConfig"), VstIntPtr(0xbeef0000));
  // No MIDI in this plug-in; unknown and near-miss strings answer 0.
  for (const char* s :
       {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent", "plugAsChannelInsert",
        "bypass", "", "receiveVstTimeInfo ", "HASCOCKOSEXTENSIONS", "offline"})
    EXPECT_EQ(plug.can_do(s), 0) << s;
}

TEST(Vst2Record, HostIsIdentifiedAtOpenByProductAndVersion) {
  host().clear();
  host().product = "REAPER";
  {
    Vst2Instance plug;
    ASSERT_TRUE(plug);
    const auto product = host().calls_with(audioMasterGetProductString);
    const auto version = host().calls_with(audioMasterGetVendorVersion);
    EXPECT_EQ(product.size(), 1u);
    EXPECT_EQ(version.size(), 1u);
    // The identification runs once per instance, not again on a later open.
    plug.dispatch(effOpen);
    EXPECT_EQ(host().calls_with(audioMasterGetProductString).size(), 1u);
  }
  // A host that gives no product string is not asked for its version.
  host().clear();
  host().product = "";
  {
    Vst2Instance plug;
    ASSERT_TRUE(plug);
    EXPECT_GE(host().calls_with(audioMasterGetProductString).size(), 1u);
    EXPECT_EQ(host().calls_with(audioMasterGetVendorVersion).size(), 0u);
  }
  host().product = "Vst2TestHost";
}

TEST(Vst2Record, CreationReportsNoParameterChanges) {
  // Parameters are only reported when the user moves them, never while the host builds the instance.
  host().clear();
  Vst2Instance plug;
  ASSERT_TRUE(plug);
  EXPECT_TRUE(host().calls_with(audioMasterAutomate).empty());
  EXPECT_TRUE(host().calls_with(audioMasterBeginEdit).empty());
}

TEST(Vst2Record, InstancesCreatedFromManyThreadsAtOnce) {
  constexpr int kThreads = 4;
  std::vector<AEffect*> made(kThreads, nullptr);
  std::vector<std::thread> threads;
  auto entry = Vst2Module::get().entry();
  ASSERT_NE(entry, nullptr);
  for (int t = 0; t < kThreads; ++t) threads.emplace_back([&, t] { made[size_t(t)] = entry(nullptr); });
  for (auto& th : threads) th.join();
  std::set<AEffect*> distinct(made.begin(), made.end());
  EXPECT_EQ(distinct.size(), size_t(kThreads));
  for (AEffect* e : made) {
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->numParams, 14);
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
  }
}
