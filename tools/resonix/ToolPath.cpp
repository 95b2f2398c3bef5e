#include "tools/resonix/ToolPath.h"

#include "engine/FilePath.h"

std::filesystem::path tool_path(const std::string& utf8) {
  return FilePath::from_utf8(utf8);
}
