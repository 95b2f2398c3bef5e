#pragma once
// The one function a plug-in defines for the module entry points: they create every instance
// through it and learn everything else from ThePlugDescription().

#include "framework/core/PlugDescription.h"
#include "framework/hosts/InstanceAdapter.h"

// A new instance on the adapter this module is built for, or null when it cannot be made. Called
// from the host's thread that asks for an instance; nothing may escape it into the host.
IPlugAdapter* CreatePlugInstance(IInstanceInfo info) noexcept;
