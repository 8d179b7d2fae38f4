#include "platform/com/module_count.h"

#include <atomic>

namespace varn::com {
namespace {

std::atomic<long> gLiveObjects{0};
std::atomic<long> gServerLocks{0};

// A lock released more often than taken must not hide live objects.
void DecrementFloor(std::atomic<long>& counter) {
  long current = counter.load();
  while (current > 0 && !counter.compare_exchange_weak(current, current - 1)) {
  }
}

}  // namespace

void AddModuleObject() { gLiveObjects.fetch_add(1); }
void ReleaseModuleObject() { DecrementFloor(gLiveObjects); }
void AddServerLock() { gServerLocks.fetch_add(1); }
void ReleaseServerLock() { DecrementFloor(gServerLocks); }

bool CanUnloadModule() { return gLiveObjects.load() == 0 && gServerLocks.load() == 0; }

}  // namespace varn::com
