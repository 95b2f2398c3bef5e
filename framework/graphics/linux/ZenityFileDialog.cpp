#include "framework/graphics/linux/ZenityFileDialog.h"

#include <cctype>
#include <filesystem>
#include <sstream>

#include "framework/graphics/linux/ChildProcess.h"

namespace {
std::vector<std::string> SplitExtensions(const std::string& extensions) {
  std::vector<std::string> out;
  std::istringstream in(extensions);
  std::string ext;
  while (in >> ext) {
    while (!ext.empty() && (ext.front() == '.' || ext.front() == '*')) ext.erase(ext.begin());
    if (!ext.empty()) out.push_back(ext);
  }
  return out;
}
}  // namespace

std::vector<std::string> ZenityFileDialog::Arguments(const Request& request) {
  std::vector<std::string> args = {"zenity", "--file-selection"};
  if (request.save) {
    args.push_back("--save");
    args.push_back("--confirm-overwrite");
  }
  if (!request.title.empty()) args.push_back("--title=" + request.title);

  std::string start = request.folder;
  if (!start.empty() && start.back() != '/') start += '/';
  start += request.file;
  if (!start.empty()) args.push_back("--filename=" + start);

  const std::vector<std::string> exts = SplitExtensions(request.extensions);
  if (!exts.empty()) {
    // "TXT file | *.txt *.text": the label names the first extension, the patterns take every one.
    std::string label;
    for (char c : exts.front()) label += char(std::toupper(static_cast<unsigned char>(c)));
    std::string filter = label + " file |";
    for (const std::string& ext : exts) filter += " *." + ext;
    args.push_back("--file-filter=" + filter);
  }
  return args;
}

ZenityFileDialog::Outcome ZenityFileDialog::Run(const Request& request, std::string* path) {
  const ChildProcess::Result result = ChildProcess::Run(Arguments(request));
  if (!result.started) return Outcome::kUnavailable;
  if (result.exitCode != 0) return Outcome::kCancelled;

  std::string chosen = result.output;
  while (!chosen.empty() && (chosen.back() == '\n' || chosen.back() == '\r')) chosen.pop_back();
  if (chosen.empty()) return Outcome::kCancelled;
  const std::vector<std::string> exts = SplitExtensions(request.extensions);
  if (request.save && !exts.empty() && std::filesystem::path(chosen).extension().empty())
    chosen += "." + exts.front();
  *path = chosen;
  return Outcome::kChosen;
}

const char* ZenityFileDialog::UnavailableMessage() {
  return "The file dialog cannot be shown: the program \"zenity\" is not installed.";
}
