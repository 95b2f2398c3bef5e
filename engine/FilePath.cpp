#include "engine/FilePath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>

std::wstring FilePath::widen(std::string_view text) {
  if (text.empty()) return {};
  const int size = int(text.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(n > 0 ? std::size_t(n) : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
  return wide;
}

std::string FilePath::narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = int(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(n > 0 ? std::size_t(n) : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), n, nullptr, nullptr);
  return text;
}

std::filesystem::path FilePath::from_utf8(std::string_view text) {
  return std::filesystem::path(widen(text));
}

std::string FilePath::to_utf8(const std::filesystem::path& path) {
  return narrow(path.native());
}

int FilePath::open(const std::filesystem::path& path, int flags, int mode) {
  return ::_wopen(path.c_str(), flags, mode);
}

std::FILE* FilePath::fopen(const std::filesystem::path& path, const char* mode) {
  return ::_wfopen(path.c_str(), widen(mode).c_str());
}

FilePath::Probe FilePath::probe(const std::filesystem::path& path) {
  struct _stat64 st;
  Probe probe;
  probe.exists = ::_wstat64(path.c_str(), &st) == 0;
  probe.mode = probe.exists ? unsigned(st.st_mode) & 0777u : 0u;
  probe.writable_file =
      probe.exists && (st.st_mode & _S_IFMT) == _S_IFREG && ::_waccess(path.c_str(), 2) == 0;
  return probe;
}

bool FilePath::replace(const std::filesystem::path& from, const std::filesystem::path& to) {
  // The C library's rename refuses an existing target on Windows; this one replaces it.
  std::error_code ec;
  std::filesystem::rename(from, to, ec);
  return !ec;
}

bool FilePath::remove(const std::filesystem::path& path) {
  return ::_wunlink(path.c_str()) == 0;
}

#else

std::filesystem::path FilePath::from_utf8(std::string_view text) {
  return std::filesystem::path(text);
}

std::string FilePath::to_utf8(const std::filesystem::path& path) {
  return path.native();
}

int FilePath::open(const std::filesystem::path& path, int flags, int mode) {
  return ::open(path.c_str(), flags, mode_t(mode));
}

std::FILE* FilePath::fopen(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

FilePath::Probe FilePath::probe(const std::filesystem::path& path) {
  struct stat st;
  Probe probe;
  probe.exists = ::stat(path.c_str(), &st) == 0;
  probe.mode = probe.exists ? unsigned(st.st_mode) & 07777u : 0u;
  probe.writable_file = probe.exists && S_ISREG(st.st_mode) && ::access(path.c_str(), W_OK) == 0;
  return probe;
}

bool FilePath::replace(const std::filesystem::path& from, const std::filesystem::path& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool FilePath::remove(const std::filesystem::path& path) {
  return ::unlink(path.c_str()) == 0;
}

#endif
