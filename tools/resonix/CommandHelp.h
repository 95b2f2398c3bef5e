#pragma once

// The texts `resonix COMMAND --help` prints; the first line of each is its usage line.
namespace command_help {
extern const char* const tool;
extern const char* const measure;
extern const char* const apply;
extern const char* const render;
extern const char* const info;
extern const char* const coefficients;
extern const char* const match;
}  // namespace command_help
