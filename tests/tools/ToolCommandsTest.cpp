// Each subcommand on small generated files, checked against the plug-in itself and against an
// independent filter built from the published coefficients.
#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "plugin/IResonix.h"
#include "tests/tools/MiniJson.h"
#include "tests/tools/ToolFixture.h"
#include "tools/resonix/JsonWriter.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace {
Json parse_json(const std::string& text) {
  Json j;
  EXPECT_TRUE(Json::parse(text, &j)) << text.substr(0, 200);
  return j;
}

// The plug-in as a host runs it, with the preset opened through its own "Load" command.
std::vector<double> plugin_render(const std::string& preset, const std::vector<double>& in, double rate,
                                  int block) {
  IResonix plug{IInstanceInfo{}};
  plug.HostSetBlockSize(block);
  plug.HostSetSampleRate(rate);
  auto* gui = dynamic_cast<IGraphicsHeadless*>(plug.GetGUI());
  EXPECT_TRUE(gui);
  if (gui) {
    gui->QueueFileAnswer(preset);
    plug.from_GUI(kParamLoad);
    EXPECT_EQ(gui->LastNotice(), nullptr);
  }
  std::vector<double> out(in.size());
  for (size_t done = 0; done < in.size(); done += block) {
    const int n = int(std::min<size_t>(block, in.size() - done));
    double* ins[1] = {const_cast<double*>(in.data() + done)};
    double* outs[1] = {out.data() + done};
    plug.HostProcess(ins, outs, n);
  }
  return out;
}

std::vector<double> channel_of(const std::vector<double>& interleaved, int channels, int c) {
  std::vector<double> x;
  for (size_t i = c; i < interleaved.size(); i += channels) x.push_back(interleaved[i]);
  return x;
}

double peak_of(const std::vector<double>& x) {
  double m = 0;
  for (double v : x) m = std::max(m, std::fabs(v));
  return m;
}
}  // namespace

TEST_F(ToolTest, MeasureFindsTheBodyResonanceAndStartsFlat) {
  const auto r = tool({"measure", knock_file(), "-o", path("g.rzn")});
  ASSERT_EQ(r.status, 0) << r.err;
  // The air mode and the main top-plate mode ring almost equally strong.
  EXPECT_NE(r.out.find("G2 98.0 Hz"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("G3 196.0 Hz"), std::string::npos) << r.out;
  ASSERT_EQ(std::filesystem::file_size(path("g.rzn")), RznFile::kFileSize);

  const auto info = tool({"info", path("g.rzn"), "--json"});
  ASSERT_EQ(info.status, 0) << info.err;
  const Json j = parse_json(info.out);
  EXPECT_EQ(j["version"].num, 1975);
  EXPECT_EQ(j["parameters"]["vertical_slider"].num, 1.0);
  EXPECT_EQ(j["parameters"]["mode"].num, 0.0);
  ASSERT_EQ(j["bands"].items.size(), 120u);
  int loudest = -1;
  for (int i = 0; i < 120; ++i) {
    const Json& b = j["bands"][i];
    EXPECT_EQ(b["index"].num, i);
    EXPECT_EQ(b["measured_db"].num, b["target_db"].num) << "a fresh measurement is its own target";
    EXPECT_EQ(b["corrected_db"].num, b["target_db"].num);
    EXPECT_LE(b["measured_db"].num, 0.0);
    if (b["measured_db"].num == 0.0) loudest = i;
  }
  EXPECT_TRUE(loudest == 27 || loudest == 39) << loudest;
  EXPECT_GT(j["bands"][27]["measured_db"].num, -3.0);
  EXPECT_GT(j["bands"][39]["measured_db"].num, -3.0);
  EXPECT_LT(j["bands"][33]["measured_db"].num, -20.0) << "between the modes the body is quiet";
  EXPECT_EQ(j["bands"][27]["note"].str, "G2");
  EXPECT_NEAR(j["bands"][53]["hz"].num, 440.0, 1e-9);
}

TEST_F(ToolTest, MeasureAtHighRatesAndWithACalibration) {
  std::ofstream(path("mic.frd")) << "* a microphone that is 6 dB hot everywhere\n20 6\n20000 6\n";
  const auto r =
      tool({"measure", knock_file(96000), "-o", path("g96.rzn"), "--calibration", path("mic.frd")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("calibration: mic.frd"), std::string::npos) << r.out;
  // A flat calibration divides every band alike, and the result is normalised: the same curve.
  const Json j = parse_json(tool({"info", path("g96.rzn"), "--json"}).out);
  EXPECT_GT(j["bands"][27]["measured_db"].num, -3.0) << "the air mode is found at 96 kHz too";
  EXPECT_GT(j["bands"][39]["measured_db"].num, -3.0);

  std::ofstream(path("empty.cal")) << "no data here\n";
  EXPECT_EQ(tool({"measure", knock_file(), "-o", path("g.rzn"), "--calibration", path("empty.cal")}).status,
            2);
  EXPECT_EQ(tool({"measure", knock_file(), "-o", path("g.rzn"), "--calibration", path("none.frd")}).status,
            2);
}

TEST_F(ToolTest, ApplyIsThePluginSampleForSampleOnEveryChannel) {
  const std::string preset = shaped_preset();
  const int rate = 48000;
  const auto in = noise(20000, 2);
  write_audio(path("in.wav"), in, rate, 2);
  const auto r = tool({"apply", preset, path("in.wav"), path("out.wav")});
  ASSERT_EQ(r.status, 0) << r.err;

  AudioInfo info;
  const auto left = read_channel(path("out.wav"), 0, &info);
  const auto right = read_channel(path("out.wav"), 1);
  EXPECT_EQ(info.rate, rate);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_DOUBLE) << "64-bit float stays 64-bit";
  // Another block size on purpose: the cascade runs sample by sample, so blocks must not matter.
  const auto want_left = plugin_render(preset, channel_of(in, 2, 0), rate, 97);
  const auto want_right = plugin_render(preset, channel_of(in, 2, 1), rate, 97);
  ASSERT_EQ(left.size(), want_left.size());
  ASSERT_EQ(right.size(), want_right.size());
  for (size_t i = 0; i < left.size(); ++i) {
    ASSERT_EQ(left[i], want_left[i]) << "left, sample " << i;
    ASSERT_EQ(right[i], want_right[i]) << "right, sample " << i;
  }
  EXPECT_NE(left, channel_of(in, 2, 0)) << "the correction changes the signal";
}

TEST_F(ToolTest, CoefficientsReproduceApplyInAnIndependentFilter) {
  const std::string preset = shaped_preset();
  const int rate = 48000;
  const auto in = noise(20000, 1);
  write_audio(path("in.wav"), in, rate, 1);
  ASSERT_EQ(tool({"apply", preset, path("in.wav"), path("out.wav")}).status, 0);
  const auto applied = read_channel(path("out.wav"), 0);

  const auto r = tool({"coefficients", preset, "--rate", "48000", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Json j = parse_json(r.out);
  EXPECT_EQ(j["rate"].num, 48000);
  ASSERT_EQ(j["sections"].items.size(), 120u);

  // Direct form I, one section after the other, then the output gain.
  std::vector<double> x = in;
  bool any_boost_or_cut = false;
  for (const Json& s : j["sections"].items) {
    ASSERT_EQ(s.items.size(), 6u);
    const double b0 = s[0].num, b1 = s[1].num, b2 = s[2].num, a0 = s[3].num, a1 = s[4].num, a2 = s[5].num;
    EXPECT_EQ(a0, 1.0);
    any_boost_or_cut |= b0 != 1.0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (double& v : x) {
      const double y = (b0 * v + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
      x2 = x1;
      x1 = v;
      y2 = y1;
      y1 = y;
      v = y;
    }
  }
  EXPECT_TRUE(any_boost_or_cut);
  const double gain = j["out_gain"].num;
  const double scale = peak_of(applied);
  for (size_t i = 0; i < x.size(); ++i) ASSERT_NEAR(x[i] * gain, applied[i], 1e-10 * scale) << "sample " << i;

  // The CSV holds the same numbers, the gain as a last, scaling-only section.
  const auto csv = tool({"coefficients", preset, "--rate", "48000", "--csv"});
  ASSERT_EQ(csv.status, 0);
  EXPECT_EQ(csv.out.rfind("section,b0,b1,b2,a0,a1,a2\n", 0), 0u);
  EXPECT_NE(csv.out.find("\ngain," + JsonWriter::number(gain) + ",0,0,1,0,0\n"), std::string::npos);
  EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 122);
}

TEST_F(ToolTest, ApplyKeepsTheInputsFormatAndHonoursBypass) {
  const auto in = noise(5000, 1, 0.2);
  write_audio(path("in16.wav"), in, 44100, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  ASSERT_EQ(tool({"apply", shaped_preset(), path("in16.wav"), path("out.flac")}).status, 0);
  AudioInfo info;
  read_channel(path("out.flac"), 0, &info);
  EXPECT_EQ(info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  EXPECT_EQ(info.frames, 5000);

  // A preset saved in Bypass plays the input at the bypass level; +6 dB given on the command line.
  write_audio(path("in.wav"), in, 44100, 1);
  const std::string bypass = shaped_preset(1, 0.5);
  ASSERT_EQ(tool({"apply", bypass, path("in.wav"), path("same.wav")}).status, 0);
  EXPECT_EQ(read_channel(path("same.wav"), 0), in);
  const auto r = tool({"apply", bypass, path("in.wav"), path("louder.wav"), "--bypass-volume", "6"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto louder = read_channel(path("louder.wav"), 0);
  ASSERT_EQ(louder.size(), in.size());
  for (size_t i = 0; i < in.size(); ++i) ASSERT_NEAR(louder[i], in[i] * std::pow(10.0, 0.3), 1e-12);

  // Rendering over its own input is safe: the result replaces it only when complete.
  ASSERT_EQ(tool({"apply", bypass, path("in.wav"), path("in.wav"), "--bypass-volume=-20"}).status, 0);
  const auto quieter = read_channel(path("in.wav"), 0);
  for (size_t i = 0; i < in.size(); ++i) ASSERT_NEAR(quieter[i], in[i] * 0.1, 1e-12);
}

TEST_F(ToolTest, InfoAndRenderShowThePreset) {
  const std::string preset = shaped_preset();
  const auto text = tool({"info", preset});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("RZN version 1975"), std::string::npos);
  EXPECT_NE(text.out.find("note indicator   0.2500 (A#2)"), std::string::npos) << text.out;
  const auto csv = tool({"info", preset, "--csv"});
  ASSERT_EQ(csv.status, 0);
  EXPECT_EQ(csv.out.rfind("index,note,hz,measured_db,target_db,corrected_db\n0,E0,", 0), 0u) << csv.out;
  const Json j = parse_json(tool({"info", preset, "--json"}).out);
  EXPECT_NEAR(j["bands"][39]["target_db"].num - j["bands"][39]["measured_db"].num, -6.0206, 1e-3);
  EXPECT_NEAR(j["bands"][39]["corrected_db"].num, j["bands"][39]["target_db"].num, 0.05);

  // At 1x and for a screen of twice the density.
  for (const auto& [scale, file, w, h] :
       {std::tuple{"1", "editor.png", 730, 431}, std::tuple{"2", "editor@2x.png", 1460, 862}}) {
    const auto r = tool({"render", preset, path(file), "--scale", scale});
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream png(path(file), std::ios::binary);
    unsigned char head[24] = {};
    png.read(reinterpret_cast<char*>(head), sizeof head);
    EXPECT_EQ(head[1], 'P');
    EXPECT_EQ(head[2], 'N');
    EXPECT_EQ(head[3], 'G');
    EXPECT_EQ((head[16] << 24 | head[17] << 16 | head[18] << 8 | head[19]), w);
    EXPECT_EQ((head[20] << 24 | head[21] << 16 | head[22] << 8 | head[23]), h);
  }
  EXPECT_NE(tool({"render", preset, path("e.png"), "--scale", "4"}).status, 0);
}

TEST_F(ToolTest, ApplyPlaysNonNumbersAsSilenceInsteadOfPoisoningTheFilter) {
  const std::string preset = shaped_preset();
  auto in = noise(4000, 1);
  in[100] = std::nan("");
  in[200] = -HUGE_VAL;
  write_audio(path("bad.wav"), in, 44100, 1);
  const auto r = tool({"apply", preset, path("bad.wav"), path("out.wav")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("2 input sample(s) were not numbers"), std::string::npos) << r.err;
  const auto out = read_channel(path("out.wav"), 0);
  in[100] = in[200] = 0.0;
  EXPECT_EQ(out, plugin_render(preset, in, 44100, 512));
}
