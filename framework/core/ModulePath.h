#pragma once
// The file the running code was loaded from: the plug-in module inside its bundle, or the program
// itself when the framework is linked into one (tests, tools).

#include <string>

enum class ModuleOf {
  kThisCode,  // the module this code is linked into
  kProgram    // the program that loaded it (the host)
};

// The full path of the module; empty when the system cannot tell.
std::string ModuleFilePath(ModuleOf which = ModuleOf::kThisCode);
// Its folder; empty when the system cannot tell.
std::string ModuleFolder(ModuleOf which = ModuleOf::kThisCode);
