#include "framework/graphics/win/WinKnownFolder.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

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
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string text(bytes > 0 ? size_t(bytes) : 0, '\0');
  const bool ok =
      bytes > 1 && WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), bytes, nullptr, nullptr) == bytes;
  CoTaskMemFree(wide);
  if (!ok) return false;
  text.resize(size_t(bytes) - 1);
  *path = text;
  return true;
}

bool WinEnsureFolder(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
