// The module's count of live objects and server locks, which decides whether a
// host may unload it. Class factories do not count.
#pragma once

#include "platform/com/types.h"

namespace varn::com {

void AddModuleObject();
void ReleaseModuleObject();
void AddServerLock();
void ReleaseServerLock();
// True when no counted object and no server lock is alive.
bool CanUnloadModule();

}  // namespace varn::com
