#pragma once
#include <filesystem>
#include <string>

// The file a command-line path names. The tool keeps every path in UTF-8; Windows' file names are
// UTF-16, so there the path is converted rather than read in the ANSI code page.
std::filesystem::path tool_path(const std::string& utf8);
