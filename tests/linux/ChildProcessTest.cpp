// Helper programs run without a shell, and dialogs through zenity with its answers and its absence.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "framework/graphics/linux/ChildProcess.h"
#include "framework/graphics/linux/ZenityFileDialog.h"

namespace fs = std::filesystem;

namespace {
// PATH pointed at a folder with a fake zenity for the life of the object.
class FakeZenity {
 public:
  explicit FakeZenity(const std::string& script) {
    mDir = fs::temp_directory_path() / ("resonix-zenity-" + std::to_string(::getpid()));
    fs::create_directories(mDir);
    if (!script.empty()) {
      const fs::path file = mDir / "zenity";
      std::ofstream(file) << "#!/bin/sh\n" << script << "\n";
      ::chmod(file.c_str(), 0755);
    }
    const char* old = std::getenv("PATH");
    mOldPath = old ? old : "";
    // Only the fake: the script's shell is named by its full path.
    ::setenv("PATH", mDir.string().c_str(), 1);
  }
  ~FakeZenity() {
    ::setenv("PATH", mOldPath.c_str(), 1);
    fs::remove_all(mDir);
  }
  fs::path Dir() const { return mDir; }

 private:
  fs::path mDir;
  std::string mOldPath;
};
}  // namespace

TEST(ChildProcess, PassesArgumentsAsTheyAreAndCollectsOutput) {
  // A shell would split the first argument and expand the second.
  const ChildProcess::Result r = ChildProcess::Run({"printf", "%s|%s", "a b; echo c", "$HOME"});
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output, "a b; echo c|$HOME");

  const ChildProcess::Result failing = ChildProcess::Run({"sh", "-c", "exit 3"});
  EXPECT_TRUE(failing.started);
  EXPECT_EQ(failing.exitCode, 3);

  EXPECT_FALSE(ChildProcess::Run({"resonix-no-such-program"}).started);
  EXPECT_FALSE(ChildProcess::Run({}).started);
  EXPECT_TRUE(ChildProcess::Start({"true"}));
  EXPECT_FALSE(ChildProcess::Start({"resonix-no-such-program"}));
}

TEST(ZenityFileDialog, BuildsItsCommandLine) {
  ZenityFileDialog::Request save;
  save.save = true;
  save.title = "Save Preset";
  save.folder = "/home/u/Documents/Korvane Resonix";
  save.file = "guitar.rzn";
  save.extensions = "rzn";
  EXPECT_EQ(
      ZenityFileDialog::Arguments(save),
      (std::vector<std::string>{
          "zenity", "--file-selection", "--save", "--confirm-overwrite", "--title=Save Preset",
          "--filename=/home/u/Documents/Korvane Resonix/guitar.rzn", "--file-filter=RZN file | *.rzn"}));

  ZenityFileDialog::Request open;
  open.folder = "/tmp/";
  open.extensions = ".frd cal";
  EXPECT_EQ(ZenityFileDialog::Arguments(open),
            (std::vector<std::string>{"zenity", "--file-selection", "--filename=/tmp/",
                                      "--file-filter=FRD file | *.frd *.cal"}));
}

TEST(ZenityFileDialog, ReportsChoiceCancelAndAbsence) {
  ZenityFileDialog::Request request;
  request.save = true;
  request.extensions = "rzn";
  std::string path = "unchanged";
  {
    FakeZenity zenity("echo /tmp/my preset");
    ASSERT_EQ(ZenityFileDialog::Run(request, &path), ZenityFileDialog::Outcome::kChosen);
    EXPECT_EQ(path, "/tmp/my preset.rzn");  // the default extension is added to a bare name
    request.save = false;
    ASSERT_EQ(ZenityFileDialog::Run(request, &path), ZenityFileDialog::Outcome::kChosen);
    EXPECT_EQ(path, "/tmp/my preset");
  }
  {
    FakeZenity zenity("exit 1");
    path = "unchanged";
    EXPECT_EQ(ZenityFileDialog::Run(request, &path), ZenityFileDialog::Outcome::kCancelled);
    EXPECT_EQ(path, "unchanged");
  }
  {
    FakeZenity none("");
    EXPECT_EQ(ZenityFileDialog::Run(request, &path), ZenityFileDialog::Outcome::kUnavailable);
    EXPECT_NE(std::string(ZenityFileDialog::UnavailableMessage()).find("zenity"), std::string::npos);
  }
}
