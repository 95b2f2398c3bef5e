#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/Notice.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "plugin/IResonix.h"

namespace {

std::unique_ptr<IResonix> make_instance() {
  return std::make_unique<IResonix>(IInstanceInfo{});
}

std::vector<std::string> recorded_notices;
void record_notice(const char* text, const char*) {
  recorded_notices.emplace_back(text);
}

}  // namespace

TEST(Instance, RegistersAsAMonoChunkedEffect) {
  auto plug = make_instance();
  EXPECT_STREQ(plug->GetEffectName(), "Korvane Resonix");
  EXPECT_STREQ(plug->GetProductName(), "");
  EXPECT_EQ(plug->GetEffectVersion(false), 65801);
  EXPECT_EQ(plug->GetEffectVersionStr(), "v1.1.9");
  EXPECT_EQ(plug->GetUniqueID(), FourCC("Kor5"));
  EXPECT_EQ(plug->GetMfrID(), FourCC("Korv"));
  EXPECT_EQ(plug->NInChannels(), 1);
  EXPECT_EQ(plug->NOutChannels(), 1);
  EXPECT_TRUE(plug->LegalIO(1, 1));
  EXPECT_FALSE(plug->LegalIO(2, 2));
  EXPECT_EQ(plug->GetLatency(), 0);
  EXPECT_TRUE(plug->DoesStateChunks());
  EXPECT_FALSE(plug->DoesMIDI());
  EXPECT_FALSE(plug->IsInst());
  ASSERT_EQ(plug->NPresets(), 1);
  EXPECT_STREQ(plug->GetPresetName(0), "-");
  EXPECT_TRUE(plug->GetPreset(0)->mInitialized);
  EXPECT_GT(plug->GetPreset(0)->mChunk.Size(), 0);
}

TEST(Instance, FourteenParametersInOrder) {
  auto plug = make_instance();
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
  ASSERT_EQ(plug->NParams(), kNumParams);
  ASSERT_EQ(kNumParams, 14);
  for (int i = 0; i < kNumParams; ++i) {
    const IParam* p = plug->GetParam(i);
    EXPECT_STREQ(p->GetNameForHost(), names[i]);
    EXPECT_EQ(p->Type(), i == kParamMode ? IParam::kTypeEnum : IParam::kTypeDouble);
    EXPECT_EQ(p->CanAutomate(), i < kParamLoadTarget);
    EXPECT_EQ(p->Min(), 0.0);
    EXPECT_EQ(p->Max(), 1.0);
    EXPECT_EQ(p->Shape(), 1.0);
    EXPECT_STREQ(p->GetLabelForHost(), "");
  }
  EXPECT_NEAR(plug->GetParam(kParamVerticalSlider)->Value(), 4.0 / 9.0, 1e-12);
  EXPECT_EQ(plug->GetParam(kParamVerticalSlider)->Step(), 0.0001);
  EXPECT_EQ(plug->GetParam(kParamBypassVolume)->Value(), 0.5);
  EXPECT_EQ(plug->GetParam(kParamBypassVolume)->DisplayPrecision(), 3);
  EXPECT_EQ(plug->GetParam(kParamNoteIndicator)->DisplayPrecision(), 4);
  EXPECT_EQ(plug->GetParam(kParamStart)->Step(), 1.0);
  EXPECT_EQ(plug->GetParam(kNumParams), nullptr);
  ByteChunk params;
  plug->SerializeParams(&params);
  EXPECT_EQ(params.Size(), 112);
}

TEST(Instance, SemitoneGridAndNoteNames) {
  auto plug = make_instance();
  ASSERT_EQ(plug->nbands, 120);
  EXPECT_NEAR(plug->band_freq[0], 20.6017, 1e-4);
  EXPECT_EQ(plug->band_freq[53], 440.0);
  EXPECT_NEAR(plug->band_freq[119], 19912.1, 0.05);
  for (int i = 0; i < kNumBands; ++i) {
    EXPECT_NEAR(plug->band_edge[i] / plug->band_freq[i], std::pow(2.0, 1.0 / 24.0), 1e-12);
    if (i > 0) {
      EXPECT_NEAR(plug->band_freq[i] / plug->band_freq[i - 1], std::pow(2.0, 1.0 / 12.0), 1e-12);
    }
    EXPECT_EQ(std::string(plug->note_names[i]).find('b'), std::string::npos) << "flat at " << i;
  }
  EXPECT_STREQ(plug->note_names[0], "E0");
  EXPECT_STREQ(plug->note_names[1], "F0");
  EXPECT_STREQ(plug->note_names[2], "F#0");
  EXPECT_STREQ(plug->note_names[7], "B0");
  EXPECT_STREQ(plug->note_names[8], "C1");  // the octave changes at C
  EXPECT_STREQ(plug->note_names[53], "A4");
  EXPECT_STREQ(plug->note_names[116], "C10");
  EXPECT_STREQ(plug->note_names[119], "D#10");
}

TEST(Instance, InitialCurvesAndMirrors) {
  auto plug = make_instance();
  for (int i = 0; i < kNumBands; ++i) {
    EXPECT_EQ(plug->measured[i], kInitialLevel);
    EXPECT_EQ(plug->target_shape[i], 1.0);
    EXPECT_EQ(plug->target[i], plug->target_shape[i] * plug->target_level);
    EXPECT_GT(plug->calibration[i], 0.0);
  }
  EXPECT_EQ(plug->target_level, plug->measured[0]);
  EXPECT_NEAR(plug->vslider_pos, 4.0 / 9.0, 1e-12);
  // The slider mapping gives back the level it was derived from.
  EXPECT_NEAR(std::pow(10.0, (plug->vslider_pos - 1.0) * 45.0 / 20.0), plug->target_level, 1e-15);
  EXPECT_EQ(plug->sample_rate, 44100.0);
  EXPECT_EQ(plug->mode.load(), 0.0);
  EXPECT_EQ(plug->bypass_volume.load(), 0.5);
  EXPECT_EQ(plug->note_pos, 0.0);
  EXPECT_EQ(plug->ui.rerun_pending, 0);
  EXPECT_EQ(plug->measuring.load(), 0);
}

TEST(Instance, ResetFollowsTheHostRateWithAFloor) {
  auto plug = make_instance();
  plug->HostSetSampleRate(44100.0);
  EXPECT_EQ(plug->sample_rate, 44100.0);
  plug->HostSetSampleRate(22050.0);
  EXPECT_EQ(plug->sample_rate, 44056.0);
  plug->HostSetSampleRate(44056.0);
  EXPECT_EQ(plug->sample_rate, 44056.0);
  plug->HostSetSampleRate(96000.0);
  EXPECT_EQ(plug->sample_rate, 96000.0);
  plug->HostSetSampleRate(8000.0);
  EXPECT_EQ(plug->sample_rate, 44056.0);
  // Rates no host can mean leave the design rate alone.
  for (double bad :
       {0.0, -48000.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    plug->HostSetSampleRate(bad);
    EXPECT_EQ(plug->sample_rate, 44056.0);
  }
}

// A host's value acts as the editor's command would, and a project saved after automation reloads
// playing exactly what played before the save.
TEST(Instance, HostValuesActAsTheEditorCommandsAndSaveWhatPlays) {
  auto plug = make_instance();
  plug->HostSetBlockSize(256);
  plug->messages.set_level(0.7);
  plug->HostSetParameter(kParamMode, 1.0);
  EXPECT_EQ(plug->mode.load(), 1.0);
  EXPECT_EQ(plug->messages.level(), 0.0);   // the meter drops when bypassed
  plug->HostSetParameter(kParamMode, 0.4);  // reads "EQ", so it plays EQ
  EXPECT_EQ(plug->mode.load(), 0.0);
  EXPECT_EQ(plug->GetParam(kParamMode)->GetDisplayForHost(), "EQ");

  plug->HostSetParameter(kParamBypassVolume, 0.75);
  EXPECT_EQ(plug->bypass_volume.load(), 0.75);
  plug->HostSetParameter(kParamNoteIndicator, 0.9);
  EXPECT_EQ(plug->note_pos.load(), 0.9);

  const double before = plug->target_level;
  plug->HostSetParameter(kParamVerticalSlider, 0.9);
  EXPECT_EQ(plug->vslider_pos, 0.9);
  EXPECT_NE(plug->target_level, before);
  EXPECT_NEAR(20.0 * std::log10(plug->target_level), -4.5, 1e-9);
  for (int i = 0; i < kNumBands; ++i) EXPECT_EQ(plug->target[i], plug->target_level * plug->target_shape[i]);

  ByteChunk saved;
  ASSERT_TRUE(plug->SerializeState(&saved));
  auto reloaded = make_instance();
  reloaded->HostSetBlockSize(256);
  ASSERT_GT(reloaded->UnserializeState(&saved, 0), 0);
  std::vector<double> in(256), outA(256), outB(256);
  for (int n = 0; n < 256; ++n) in[n] = std::sin(0.05 * n) * 0.5;
  double* ins[1] = {in.data()};
  double* outsA[1] = {outA.data()};
  double* outsB[1] = {outB.data()};
  plug->HostProcess(ins, outsA, 256);
  reloaded->HostProcess(ins, outsB, 256);
  EXPECT_EQ(outA, outB);

  plug->HostSetParameter(-1, 1.0);
  plug->HostSetParameter(kNumParams, 1.0);
  plug->OnParamChange(99);
  EXPECT_EQ(plug->HostGetParameter(99), 0.0);
}

TEST(Instance, NoteIndicatorSelectsABand) {
  EXPECT_EQ(IResonix::note_band(1.0), 119);
  EXPECT_EQ(IResonix::note_band(0.0), 0);
  EXPECT_EQ(IResonix::note_band(0.49 / 119.0), 0);
  EXPECT_EQ(IResonix::note_band(0.5 / 119.0), 1);
  EXPECT_EQ(IResonix::note_band(53.0 / 119.0), 53);
  EXPECT_EQ(IResonix::note_band(-3.0), 0);
  EXPECT_EQ(IResonix::note_band(5.0), 119);
  EXPECT_EQ(IResonix::note_band(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(Instance, UserFolderIsPrivateAndOptional) {
  const std::string home = std::getenv("HOME");
  {
    auto plug = make_instance();
    ASSERT_FALSE(plug->presets_dir.empty());
    EXPECT_EQ(plug->presets_dir, std::filesystem::path(home) / "Documents" / "Korvane Resonix");
    struct stat info {};
    ASSERT_EQ(stat(plug->presets_dir.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
  }
  // A home whose Documents is a file: no folder, and the instance still works.
  const std::string odd = home + "/odd-home";
  std::filesystem::create_directories(odd);
  std::ofstream(odd + "/Documents") << "not a folder";
  setenv("HOME", odd.c_str(), 1);
  auto plug = make_instance();
  setenv("HOME", home.c_str(), 1);
  EXPECT_TRUE(plug->presets_dir.empty());
  EXPECT_EQ(plug->nbands, 120);

  const std::string fresh = home + "/fresh-home";
  std::filesystem::remove_all(fresh);
  std::filesystem::create_directories(fresh);
  setenv("HOME", fresh.c_str(), 1);
  auto other = make_instance();
  setenv("HOME", home.c_str(), 1);
  struct stat info {};
  ASSERT_EQ(stat(other->presets_dir.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(Instance, NoticesGoThroughTheEditorOrThePlatformHook) {
  auto plug = make_instance();
  recorded_notices.clear();
  NoticeHook previous = set_notice_hook(record_notice);
  plug->notify("Error_003");
  plug->notify(nullptr);
  if (auto* editor = dynamic_cast<IGraphicsHeadless*>(plug->GetGUI())) {
    ASSERT_NE(editor->LastNotice(), nullptr);
    EXPECT_EQ(editor->LastNotice()->text, "Error_003");
    EXPECT_EQ(editor->LastNotice()->caption, "Info");
    EXPECT_EQ(editor->Notices().size(), 1u);
    EXPECT_TRUE(recorded_notices.empty());
  } else {
    EXPECT_EQ(recorded_notices, std::vector<std::string>{"Error_003"});
  }
  recorded_notices.clear();
  myMessage("Error_012");
  myMessage(nullptr);
  EXPECT_EQ(set_notice_hook(previous), record_notice);
  EXPECT_EQ(recorded_notices, (std::vector<std::string>{"Error_012", ""}));
}

TEST(Instance, HostBlocksOfAnyShapeAreSafe) {
  auto plug = make_instance();
  plug->HostSetSampleRate(48000.0);
  for (int block : {0, 1, 64, 8192}) {
    plug->HostSetBlockSize(block);
    std::vector<double> in(8192, 0.1), out(8192, 5.0);
    double* ip = in.data();
    double* op = out.data();
    plug->HostProcess(&ip, &op, block);
    plug->HostProcess(&ip, &op, 8192);  // hosts may exceed what they announced
    for (double v : out) ASSERT_TRUE(std::isfinite(v));
    std::vector<float> fin(8192, 0.1f), fout(8192, 5.0f);
    float* fip = fin.data();
    float* fop = fout.data();
    plug->HostProcess(&fip, &fop, 8192);
    for (float v : fout) ASSERT_TRUE(std::isfinite(v));
    double* none = nullptr;
    plug->HostProcess(&none, &none, 512);
    plug->HostProcess(static_cast<double**>(nullptr), static_cast<double**>(nullptr), 512);
  }
}

TEST(Instance, InstancesAreIndependent) {
  auto a = make_instance();
  auto b = make_instance();
  a->HostSetParameter(kParamMode, 1.0);
  a->HostSetSampleRate(96000.0);
  EXPECT_EQ(b->mode.load(), 0.0);
  EXPECT_EQ(b->sample_rate, 44100.0);
  for (int i = 0; i < 8; ++i) make_instance();  // construct and destroy repeatedly
}

TEST(Instance, AudioHostAndEditorThreadsShareTheInstance) {
  auto plug = make_instance();
  plug->HostSetSampleRate(48000.0);
  plug->HostSetBlockSize(256);
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<double> in(256, 0.01), out(256);
    double* ip = in.data();
    double* op = out.data();
    while (!stop.load()) plug->HostProcess(&ip, &op, 256);
  });
  std::thread editor([&] {
    for (int i = 0; i < 200; ++i) plug->SetParameterFromGUI(kParamBypassVolume, (i % 10) / 10.0);
  });
  for (int i = 0; i < 200; ++i) {
    plug->HostSetParameter(kParamMode, i % 2);
    ByteChunk state;
    plug->HostGetState(&state);
  }
  editor.join();
  stop.store(true);
  audio.join();
  EXPECT_EQ(plug->mode.load(), 1.0);
}
