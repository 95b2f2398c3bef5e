// How the tool refuses: usage errors exit 1, bad input and refused measurements exit 2 with the
// plug-in's own message, and nothing is written on the way.
#include "tests/tools/ToolFixture.h"

#include <filesystem>
#include <fstream>

namespace {
bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}
}  // namespace

TEST_F(ToolTest, EveryCommandExplainsItselfAndUsageErrorsExitOne) {
  for (const char* command : {"measure", "apply", "render", "info", "coefficients", "match"}) {
    const auto help = tool({command, "--help"});
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_EQ(help.out.rfind(std::string("usage: resonix ") + command, 0), 0u) << help.out;
    const auto bare = tool({command});
    EXPECT_EQ(bare.status, 1) << command;
    EXPECT_TRUE(contains(bare.err, "usage: resonix")) << bare.err;
  }
  EXPECT_EQ(tool({}).status, 1);
  EXPECT_EQ(tool({"--help"}).status, 0);
  EXPECT_EQ(tool({"--version"}).out, "resonix (Korvane Resonix) 1.1.9\n");
  const auto unknown = tool({"equalise"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_TRUE(contains(unknown.err, "equalise"));
  EXPECT_EQ(tool({"info", "a.rzn", "--json", "--csv"}).status, 1);
  EXPECT_EQ(tool({"info", "a.rzn", "b.rzn"}).status, 1);
  EXPECT_EQ(tool({"coefficients", "a.rzn"}).status, 1) << "--rate is required";
  EXPECT_EQ(tool({"coefficients", "a.rzn", "--rate", "fast"}).status, 1);
  EXPECT_EQ(tool({"coefficients", "a.rzn", "--rate", "0"}).status, 1);
  EXPECT_EQ(tool({"measure", "k.wav"}).status, 1) << "-o is required";
  EXPECT_EQ(tool({"measure", "k.wav", "-o", "g.rzn", "--channel", "0"}).status, 1);
  EXPECT_EQ(tool({"apply", "g.rzn", "a.wav", "b.wav", "--bypass-volume", "21"}).status, 1);
}

TEST_F(ToolTest, MissingAndUnreadableAudioIsBadInput) {
  const auto missing = tool({"measure", path("none.wav"), "-o", path("g.rzn")});
  EXPECT_EQ(missing.status, 2);
  EXPECT_TRUE(contains(missing.err, "no such file")) << missing.err;
  std::ofstream(path("junk.wav")) << "this is not audio";
  const auto junk = tool({"measure", path("junk.wav"), "-o", path("g.rzn")});
  EXPECT_EQ(junk.status, 2);
  EXPECT_TRUE(contains(junk.err, "cannot read audio file")) << junk.err;
  const auto apply = tool({"apply", shaped_preset(), path("junk.wav"), path("out.wav")});
  EXPECT_EQ(apply.status, 2);
  EXPECT_FALSE(std::filesystem::exists(path("g.rzn")));
  EXPECT_FALSE(std::filesystem::exists(path("out.wav")));
  const auto channel = tool({"measure", knock_file(), "-o", path("g.rzn"), "--channel", "2"});
  EXPECT_EQ(channel.status, 2);
}

TEST_F(ToolTest, SilentAndClippedKnocksAreRefusedWithThePluginsMessages) {
  write_audio(path("silence.wav"), std::vector<double>(44100, 0.0), 44100, 1);
  const auto silent = tool({"measure", path("silence.wav"), "-o", path("g.rzn")});
  EXPECT_EQ(silent.status, 2);
  EXPECT_TRUE(contains(silent.err, "The sound is too silent or absent!")) << silent.err;

  // Full scale reached once, two seconds in: inside the capture window.
  std::vector<double> loud(3 * 44100, 0.0);
  loud[2 * 44100] = 1.0;
  write_audio(path("clipped.wav"), loud, 44100, 1);
  const auto clipped = tool({"measure", path("clipped.wav"), "-o", path("g.rzn")});
  EXPECT_EQ(clipped.status, 2);
  EXPECT_TRUE(contains(clipped.err, "The sound is too loud!")) << clipped.err;

  write_audio(path("low.wav"), std::vector<double>(22050, 0.1), 22050, 1);
  const auto low = tool({"measure", path("low.wav"), "-o", path("g.rzn")});
  EXPECT_EQ(low.status, 2);
  EXPECT_TRUE(contains(low.err, "Host's sample rate is too low.")) << low.err;
  EXPECT_FALSE(std::filesystem::exists(path("g.rzn")));
}

TEST_F(ToolTest, DamagedPresetsAreRefusedByEveryCommand) {
  const std::string good = shaped_preset();
  std::vector<char> bytes(RznFile::kFileSize);
  std::ifstream(good, std::ios::binary).read(bytes.data(), bytes.size());

  std::ofstream(path("short.rzn"), std::ios::binary).write(bytes.data(), 1000);
  auto old = bytes;
  old[0] = static_cast<char>(1973 & 0xff);
  old[1] = static_cast<char>(1973 >> 8);
  std::ofstream(path("old.rzn"), std::ios::binary).write(old.data(), old.size());

  write_audio(path("in.wav"), noise(1000, 1), 44100, 1);
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"info", path("short.rzn")},
                                             {"coefficients", path("short.rzn"), "--rate", "48000"},
                                             {"render", path("short.rzn"), path("e.png")},
                                             {"apply", path("short.rzn"), path("in.wav"), path("out.wav")}}) {
    const auto r = tool(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_TRUE(contains(r.err, "RZN file is damaged (or created by a newer version of the program)."))
        << r.err;
  }
  const auto r = tool({"info", path("old.rzn")});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(contains(r.err, "Old version of the RZN file is not supported.")) << r.err;
  EXPECT_EQ(tool({"info", path("none.rzn")}).status, 2);
  EXPECT_FALSE(std::filesystem::exists(path("out.wav")));
  EXPECT_FALSE(std::filesystem::exists(path("e.png")));
}

TEST_F(ToolTest, AFailedMeasurementLeavesAnExistingPresetAlone) {
  const std::string preset = shaped_preset();
  const auto before = std::filesystem::file_size(preset);
  write_audio(path("silence.wav"), std::vector<double>(1000, 0.0), 44100, 1);
  EXPECT_EQ(tool({"measure", path("silence.wav"), "-o", preset}).status, 2);
  EXPECT_EQ(std::filesystem::file_size(preset), before);
  EXPECT_EQ(tool({"info", preset}).status, 0);
}

TEST_F(ToolTest, AnOutputThatCannotHoldTheSamplesIsAUsageError) {
  write_audio(path("float.wav"), noise(100, 1), 44100, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  const auto r = tool({"apply", shaped_preset(), path("float.wav"), path("out.flac")});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "out.flac")) << r.err;
  EXPECT_FALSE(std::filesystem::exists(path("out.flac")));
  const auto dir = tool({"apply", shaped_preset(), path("float.wav"), path("no/such/folder/out.wav")});
  EXPECT_EQ(dir.status, 3);
}
