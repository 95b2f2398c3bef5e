#pragma once
// The user's known folders (Documents, local application data, ...) as UTF-8, the text every path is
// kept in (engine/FilePath.h turns it into a path).

#include <string>

enum class WinFolder { kDocuments, kLocalAppData, kRoamingAppData, kProgramData, kDesktop };

// False, with path unchanged, when Windows cannot report the folder.
bool WinKnownFolder(WinFolder which, std::string* path);

// Creates the folder; one that exists already is fine. False when it cannot be made.
bool WinEnsureFolder(const std::string& path);
