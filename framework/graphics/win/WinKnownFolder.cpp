#include "framework/graphics/win/WinKnownFolder.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <filesystem>
#include <system_error>

#include "engine/FilePath.h"

namespace {
const KNOWNFOLDERID& IdOf(WinFolder which) {
  switch (which) {
    case WinFolder::kDocuments:
      return FOLDERID_Documents;
    case WinFolder::kLocalAppData:
      return FOLDERID_LocalAppData;
    case WinFolder::kRoamingAppData:
      return FOLDERID_RoamingAppData;
    case WinFolder::kProgramData:
      return FOLDERID_ProgramData;
    case WinFolder::kDesktop:
      break;
  }
  return FOLDERID_Desktop;
}
}  // namespace

bool WinKnownFolder(WinFolder which, std::string* path) {
  if (!path) return false;
  PWSTR wide = nullptr;
  const HRESULT hr = SHGetKnownFolderPath(IdOf(which), KF_FLAG_CREATE, nullptr, &wide);
  if (FAILED(hr) || !wide) {
    CoTaskMemFree(wide);
    return false;
  }
  const std::string text = FilePath::narrow(wide);
  CoTaskMemFree(wide);
  if (text.empty()) return false;
  *path = text;
  return true;
}

bool WinEnsureFolder(const std::string& path) {
  const std::filesystem::path folder = FilePath::from_utf8(path);
  std::error_code ec;
  std::filesystem::create_directory(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}
