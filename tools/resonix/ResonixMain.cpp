// resonix: the plug-in's engine on the command line (measure, apply, render, info, coefficients).
#include "tools/resonix/Commands.h"

#if defined(_WIN32)
#include <windows.h>

#include <io.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <vector>

#include "framework/graphics/IGraphics.h"

namespace {

#if defined(_WIN32)
std::string utf8(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), n, nullptr, nullptr);
  text.pop_back();
  return text;
}

// The arguments as typed, in UTF-8: the narrow argv would hold them in the ANSI code page, which
// cannot name every file.
std::vector<std::string> arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return std::vector<std::string>(argv + 1, argv + argc);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(utf8(wide[i]));
  LocalFree(wide);
  return args;
}

std::filesystem::path program_folder() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return {};
  buffer.resize(n);
  return std::filesystem::path(buffer).parent_path();
}

bool stderr_is_terminal() {
  return ::_isatty(::_fileno(stderr)) != 0;
}
#else
std::vector<std::string> arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::filesystem::path program_folder() {
  std::error_code ec;
  const std::filesystem::path bin = std::filesystem::weakly_canonical("/proc/self/exe", ec).parent_path();
  return ec ? std::filesystem::path() : bin;
}

bool stderr_is_terminal() {
  return ::isatty(STDERR_FILENO) == 1;
}
#endif

// `render` draws with the editor's bitmaps and fonts. An installed tool finds them in the VST3
// bundle installed with it (system-wide, in the unpacked package, or the user's), a developer's in
// the build; RESONIX_RESOURCE_DIR overrides all of them.
void choose_resource_folder() {
  namespace fs = std::filesystem;
  if (const char* env = std::getenv("RESONIX_RESOURCE_DIR"); env && *env) return;
  std::error_code ec;
  const fs::path bin = program_folder();
  const fs::path bundle_resources = "KorvaneResonix.vst3/Contents/Resources";
  std::vector<fs::path> candidates;
  if (!bin.empty()) {
#if defined(_WIN32)
    // The Windows bundle carries its bitmaps inside the DLL; the installer puts a copy beside the tool.
    candidates.push_back(bin / "resources");
#endif
    candidates.push_back(bin.parent_path() / "lib/vst3" / bundle_resources);
    candidates.push_back(bin.parent_path() / bundle_resources);
  }
  if (const char* home = std::getenv("HOME"); home && *home)
    candidates.push_back(fs::path(home) / ".vst3" / bundle_resources);
  candidates.push_back(RESONIX_BUILD_RESOURCES_DIR);
#if defined(_WIN32)
  const bool needs_fonts = false;  // GDI draws the text
#else
  const bool needs_fonts = true;
#endif
  for (const auto& folder : candidates) {
    if (fs::is_directory(folder / "img", ec) && (!needs_fonts || fs::is_directory(folder / "fonts", ec))) {
      IGraphics::SetDefaultResourceFolder(folder.string());
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
#if defined(_WIN32)
  // Paths in messages are UTF-8; the console gets its own code page back when the tool ends.
  const UINT console_page = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
#endif
  choose_resource_folder();
  Console console{std::cout, std::cerr, stderr_is_terminal()};
  const int status = run_resonix(arguments(argc, argv), console);
  std::cout.flush();
  std::cerr.flush();
#if defined(_WIN32)
  if (console_page != 0) SetConsoleOutputCP(console_page);
#endif
  return std::cout ? status : (status ? status : exit_write_failed);
}
