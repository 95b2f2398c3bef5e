#pragma once
// Paths as this code keeps them (UTF-8 text) and the few file calls that take them. Windows names
// files in UTF-16 and its narrow calls read bytes in the ANSI code page, which is not UTF-8 and cannot
// spell every user's folder; so there every call here goes through the wide one, and text becomes a
// path only through from_utf8.

#include <sys/types.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace FilePath {

// The path UTF-8 text names (bytes as they are elsewhere; invalid sequences become U+FFFD on Windows).
std::filesystem::path from_utf8(std::string_view text);
// The path as UTF-8 text; never throws, whatever the file system holds.
std::string to_utf8(const std::filesystem::path& path);

// open(2) and fopen on the path.
int open(const std::filesystem::path& path, int flags, int mode = 0);
std::FILE* fopen(const std::filesystem::path& path, const char* mode);

// An existing file as a save sees it (stat follows links).
struct Probe {
  bool exists = false;
  bool writable_file = false;  // a regular file this process may write
  unsigned mode = 0;           // its permission bits
};
Probe probe(const std::filesystem::path& path);

// Renames from over to, replacing a file there; false on failure.
bool replace(const std::filesystem::path& from, const std::filesystem::path& to);
// Removes a file; false on failure.
bool remove(const std::filesystem::path& path);

#if defined(_WIN32)
// UTF-8 text as the wide Win32 calls take it, and back: for what they need besides paths (dialog
// filters, titles, the text of a file name field). Invalid input becomes U+FFFD.
std::wstring widen(std::string_view text);
std::string narrow(std::wstring_view text);
#endif

}  // namespace FilePath
