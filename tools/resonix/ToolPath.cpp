#include "tools/resonix/ToolPath.h"

#if defined(_WIN32)
#include <windows.h>

std::filesystem::path tool_path(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (n <= 0) return std::filesystem::path(utf8);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
  return std::filesystem::path(wide);
}
#else
std::filesystem::path tool_path(const std::string& utf8) {
  return std::filesystem::path(utf8);
}
#endif
