#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include "instance/PluginUnderTest.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kDamaged = "RZN file is damaged (or created by a newer version of the program).";
constexpr const char* kOld = "Old version of the RZN file is not supported.";

// A folder of its own under the test's HOME.
struct Folder {
  Folder() {
    static int counter = 0;
    dir = fs::path(std::getenv("HOME")) /
          ("files-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~Folder() {
    ::chmod(dir.c_str(), 0755);
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  fs::path dir;
};

std::vector<uint8_t> slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void spit(const fs::path& path, const std::vector<uint8_t>& bytes, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(size));
}

// Everything a load may change.
struct Snapshot {
  std::vector<double> measured, shape, target, params;
  double vslider, bypass, note, mode;
  int undo_pos;
  explicit Snapshot(IResonix& p)
      : measured(p.measured, p.measured + kNumBands),
        shape(p.target_shape, p.target_shape + kNumBands),
        target(p.target, p.target + kNumBands),
        vslider(p.vslider_pos),
        bypass(p.bypass_volume.load()),
        note(p.note_pos),
        mode(p.mode.load()),
        undo_pos(p.undo_history->pos()) {
    for (int i = 0; i < kNumParams; ++i) params.push_back(p.GetParam(i)->Value());
  }
  bool operator==(const Snapshot&) const = default;
};

// Curves and parameters of a session worth saving.
void edit(PluginUnderTest& p, double phase) {
  for (int i = 0; i < kNumBands; ++i) {
    p->measured[i] = 0.4 + 0.3 * std::sin(0.11 * i + phase);
    p->target_shape[i] = 0.7 + 0.25 * std::cos(0.04 * i - phase);
  }
  p->HostSetParameter(kParamMode, 1.0);
  p->HostSetParameter(kParamVerticalSlider, 0.8125);
  p->HostSetParameter(kParamBypassVolume, 0.375);
  p->HostSetParameter(kParamNoteIndicator, 0.625);
  p->vslider_pos = 0.8125;
  p->note_pos = 0.625;
}

std::string save(PluginUnderTest& p, const std::string& path) {
  p.gui->QueueFileAnswer(path);
  p->save_dialog();
  const auto notices = p.take_notices();
  return notices.empty() ? std::string() : notices.back();
}

std::string load(PluginUnderTest& p, const std::string& path, bool targetOnly = false) {
  p.gui->QueueFileAnswer(path);
  targetOnly ? p->load_target_dialog() : p->load_dialog();
  const auto notices = p.take_notices();
  return notices.empty() ? std::string() : notices.back();
}

int failing_open(const std::filesystem::path&, int, mode_t) {
  errno = EACCES;
  return -1;
}

ssize_t disk_full(int fd, const void* data, std::size_t size) {
  if (size > 100) return ::write(fd, data, 100);
  errno = ENOSPC;
  return -1;
}

}  // namespace

TEST(Files, SaveThenLoadIsBitExactAndOneUndoStep) {
  Folder folder;
  PluginUnderTest a;
  edit(a, 0.3);
  const std::string path = folder.path("guitar.rzn");
  EXPECT_EQ(save(a, path), "");
  const auto& prompt = a.gui->FilePrompts().back();
  EXPECT_EQ(prompt.action, kFileSave);
  EXPECT_EQ(prompt.dir, a->presets_dir.string());
  EXPECT_EQ(prompt.extensions, "rzn");

  const std::vector<uint8_t> bytes = slurp(path);
  ASSERT_EQ(bytes.size(), 1984u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<uint8_t>{0xB7, 0x07, 0, 0}));
  int32_t mode;
  std::memcpy(&mode, bytes.data() + 4, 4);
  EXPECT_EQ(mode, 1);

  PluginUnderTest b;
  b.take_host_changes();
  EXPECT_EQ(load(b, path), "");
  EXPECT_EQ(b.gui->FilePrompts().back().action, kFileOpen);
  EXPECT_EQ(std::memcmp(b->measured, a->measured, sizeof a->measured), 0);
  EXPECT_EQ(std::memcmp(b->target_shape, a->target_shape, sizeof a->target_shape), 0);
  EXPECT_EQ(b->mode.load(), 1.0);
  EXPECT_EQ(b->vslider_pos, 0.8125);
  EXPECT_EQ(b->bypass_volume.load(), 0.375);
  EXPECT_EQ(b->note_pos, 0.625);
  for (int i : {kParamMode, kParamVerticalSlider, kParamBypassVolume, kParamNoteIndicator})
    EXPECT_EQ(b->GetParam(i)->Value(), a->GetParam(i)->Value()) << i;
  // The host hears of each of the four parameters.
  std::vector<int> informed;
  for (const auto& [idx, value] : b.take_host_changes()) informed.push_back(idx);
  for (int i : {kParamMode, kParamVerticalSlider, kParamBypassVolume, kParamNoteIndicator})
    EXPECT_NE(std::find(informed.begin(), informed.end(), i), informed.end()) << i;
  EXPECT_EQ(b->undo_history->pos(), 1);

  // The load is undoable as one step: the curves go back, the slider with them.
  b->undo();
  EXPECT_EQ(b->measured[7], kInitialLevel);
  EXPECT_EQ(b->target_shape[7], 1.0);

  // Saving b again gives the same file.
  ASSERT_EQ(save(b, folder.path("again.rzn")), "");
  b->redo();
  ASSERT_EQ(save(b, folder.path("again.rzn")), "");
  EXPECT_EQ(slurp(folder.path("again.rzn")), bytes);

  // A name without an extension gets one.
  ASSERT_EQ(save(b, folder.path("plain")), "");
  EXPECT_TRUE(fs::exists(folder.path("plain.rzn")));
}

TEST(Files, CancelledDialogsDoNothing) {
  PluginUnderTest p;
  const Snapshot before(*p);
  p->save_dialog();  // no answer queued: cancelled
  p->load_dialog();
  p->load_target_dialog();
  EXPECT_TRUE(p.take_notices().empty());
  EXPECT_TRUE(Snapshot(*p) == before);
  EXPECT_EQ(p.gui->FilePrompts().size(), 3u);
}

TEST(Files, TruncatedOrCorruptedFilesAreRefusedAndChangeNothing) {
  Folder folder;
  PluginUnderTest writer;
  edit(writer, 1.1);
  const std::string good = folder.path("good.rzn");
  ASSERT_EQ(save(writer, good), "");
  const std::vector<uint8_t> bytes = slurp(good);

  PluginUnderTest p;
  p->save_to_undo();
  const Snapshot before(*p);
  const std::string bad = folder.path("bad.rzn");
  spit(bad, bytes, bytes.size());
  for (std::size_t size = bytes.size(); size-- > 0;) {  // every length short of the whole
    ASSERT_EQ(::truncate(bad.c_str(), off_t(size)), 0);
    ASSERT_EQ(load(p, bad), kDamaged) << size;
    ASSERT_EQ(load(p, bad, true), kDamaged) << size;
  }
  EXPECT_TRUE(Snapshot(*p) == before);

  const auto variant = [&](std::size_t at, const void* value, std::size_t n) {
    std::vector<uint8_t> v = bytes;
    std::memcpy(v.data() + at, value, n);
    spit(bad, v, v.size());
    return load(p, bad);
  };
  const uint32_t v1973 = 1973, v1974 = 1974, v2000 = 2000;
  EXPECT_EQ(variant(0, &v1973, 4), kOld);
  EXPECT_EQ(variant(0, &v1974, 4), kOld);
  EXPECT_EQ(variant(0, &v2000, 4), kDamaged);
  const int32_t mode = 5;
  EXPECT_EQ(variant(4, &mode, 4), kDamaged);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(variant(40, &nan, 8), kDamaged);
  const uint32_t ones = 0xFFFFFFFFu;  // turns a scrambled curve value into a NaN
  EXPECT_EQ(variant(64 + 8 * 30 + 4, &ones, 4), kDamaged);
  EXPECT_EQ(load(p, folder.path("absent.rzn")), "File Open Error 1.");
  EXPECT_EQ(load(p, folder.dir.string(), true), "File Open Error 1.");
  EXPECT_TRUE(Snapshot(*p) == before);
}

TEST(Files, FailedSavesKeepTheExistingFile) {
  Folder folder;
  PluginUnderTest p;
  edit(p, 0.7);
  const std::string path = folder.path("keep.rzn");
  ASSERT_EQ(save(p, path), "");
  const std::vector<uint8_t> before = slurp(path);
  edit(p, 2.0);

  p->rzn_io.write = disk_full;
  EXPECT_EQ(save(p, path), "Error_004: Can't write file.");
  p->rzn_io.write = RznFile::kPosixIo.write;
  p->rzn_io.open = failing_open;
  EXPECT_EQ(save(p, path), "Save File Error_001");
  p->rzn_io.open = RznFile::kPosixIo.open;
  EXPECT_EQ(slurp(path), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.dir), fs::directory_iterator()), 1);

  EXPECT_EQ(save(p, folder.path("missing/x.rzn")), "Save File Error_001");
}

TEST(Files, ReadOnlyFolderKeepsTheExistingFile) {
  Folder folder;
  PluginUnderTest p;
  edit(p, 0.7);
  const std::string path = folder.path("keep.rzn");
  ASSERT_EQ(save(p, path), "");
  const std::vector<uint8_t> before = slurp(path);
  edit(p, 2.0);
  ::chmod(folder.dir.c_str(), 0555);
  if (::access(folder.dir.c_str(), W_OK) == 0) GTEST_SKIP() << "permissions are not enforced for this user";
  EXPECT_EQ(save(p, path), "Save File Error_001");
  EXPECT_EQ(slurp(path), before);
}

TEST(Files, LoadTargetKeepsTheMeasurementAndOtherParameters) {
  Folder folder;
  PluginUnderTest writer;
  edit(writer, 0.9);
  const std::string path = folder.path("target.rzn");
  ASSERT_EQ(save(writer, path), "");

  PluginUnderTest p;
  edit(p, 2.5);
  p->HostSetParameter(kParamMode, 0.0);
  p->HostSetParameter(kParamVerticalSlider, 0.5);
  p->vslider_pos = 0.5;
  const Snapshot before(*p);
  EXPECT_EQ(load(p, path, true), "");
  EXPECT_EQ(std::vector<double>(p->measured, p->measured + kNumBands), before.measured);
  EXPECT_EQ(std::memcmp(p->target_shape, writer->target_shape, sizeof p->target_shape), 0);
  EXPECT_EQ(p->vslider_pos, 0.8125);
  EXPECT_EQ(p->GetParam(kParamVerticalSlider)->Value(), 0.8125);
  const double level = std::pow(10.0, (1.0 - 0.8125) * -45.0 / 20.0);
  for (int i = 0; i < kNumBands; ++i) EXPECT_EQ(p->target[i], level * p->target_shape[i]);
  EXPECT_EQ(p->mode.load(), 0.0);
  EXPECT_EQ(p->GetParam(kParamMode)->Value(), 0.0);
  EXPECT_EQ(p->bypass_volume.load(), before.bypass);
  EXPECT_EQ(p->note_pos, before.note);
  EXPECT_EQ(p->undo_history->pos(), before.undo_pos + 1);
}

TEST(Files, TargetDrawnAlongTheBottomLoadsAgainFromPresetAndHostState) {
  Folder folder;
  PluginUnderTest drawn;
  drawn->from_drawing(49, 380, 1);  // left stroke from the first to the last band at -50 dB
  drawn->from_drawing(487, 380, 2);
  ASSERT_LT(drawn->vslider_pos, -0.11);
  drawn.gui->QueueFileAnswer(folder.path("bottom.rzn"));
  drawn->from_GUI(kParamSave);
  ByteChunk state;
  ASSERT_TRUE(drawn->HostGetState(&state));

  PluginUnderTest from_file, from_host;
  from_file.gui->QueueFileAnswer(folder.path("bottom.rzn"));
  from_file->from_GUI(kParamLoad);
  EXPECT_TRUE(from_file.take_notices().empty());
  ASSERT_TRUE(from_host->HostSetState(&state));
  for (PluginUnderTest* p : {&from_file, &from_host}) {
    EXPECT_EQ((*p)->vslider_pos, drawn->vslider_pos);
    EXPECT_EQ((*p)->GetParam(kParamVerticalSlider)->Value(), 0.0);
    EXPECT_EQ(std::memcmp((*p)->target, drawn->target, sizeof drawn->target), 0);
  }
}
