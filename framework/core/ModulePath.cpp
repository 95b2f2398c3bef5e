#include "framework/core/ModulePath.h"

#if defined(_WIN32)
#include <windows.h>

#include <string>

#include "engine/FilePath.h"
#else
#include <dlfcn.h>

#include <filesystem>
#include <system_error>
#endif

#if defined(_WIN32)

std::string ModuleFilePath(ModuleOf which) {
  HMODULE module = nullptr;
  if (which == ModuleOf::kThisCode && !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                                          reinterpret_cast<LPCSTR>(&ModuleFilePath), &module))
    return {};
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(module, buffer.data(), DWORD(buffer.size()));
  // n == the buffer's size: the path was cut short.
  if (n == 0 || n >= buffer.size()) return {};
  buffer.resize(n);
  return FilePath::narrow(buffer);
}

std::string ModuleFolder(ModuleOf which) {
  const std::string path = ModuleFilePath(which);
  const size_t at = path.find_last_of("\\/");
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

#else

std::string ModuleFilePath(ModuleOf which) {
  std::error_code ec;
  std::filesystem::path path;
  if (which == ModuleOf::kProgram) {
    path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
  }
  Dl_info info = {};
  if (!dladdr(reinterpret_cast<void*>(&ModuleFilePath), &info) || !info.dli_fname) return {};
  // A module found through a symbolic link keeps the folder it really lives in.
  path = std::filesystem::weakly_canonical(info.dli_fname, ec);
  return ec ? std::string(info.dli_fname) : path.string();
}

std::string ModuleFolder(ModuleOf which) {
  const std::string path = ModuleFilePath(which);
  return path.empty() ? std::string() : std::filesystem::path(path).parent_path().string();
}

#endif
