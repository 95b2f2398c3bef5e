#include "framework/core/IPreset.h"

#include <cstdio>

IPreset::IPreset() { SetName("empty"); }

void IPreset::SetName(const char* name) { std::snprintf(mName, sizeof mName, "%s", name ? name : ""); }
