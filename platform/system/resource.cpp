#include "platform/system/resource.h"

namespace varn::system {
namespace {

// Constant-initialised, so it is valid before any generated table's
// initialiser runs.
constinit ResourceBlock* registeredBlocks = nullptr;

}  // namespace

void RegisterResources(ResourceBlock* block) {
  if (block == nullptr) return;
  block->next = registeredBlocks;
  registeredBlocks = block;
}

std::span<const std::byte> FindResource(int id) {
  for (const ResourceBlock* block = registeredBlocks; block != nullptr; block = block->next) {
    for (std::size_t i = 0; i < block->count; ++i) {
      const ResourceEntry& entry = block->entries[i];
      if (entry.id == id) {
        return {reinterpret_cast<const std::byte*>(entry.data), entry.size};
      }
    }
  }
  return {};
}

}  // namespace varn::system
