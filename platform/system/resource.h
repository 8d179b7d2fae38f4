// Files compiled into the program and found by numeric id, standing in for a
// module's resources. The build generates the tables (cmake/VarnResources.cmake)
// and each generated table registers itself before main runs.
#pragma once

#include <cstddef>
#include <span>

namespace varn::system {

struct ResourceEntry {
  int id;
  const unsigned char* data;
  std::size_t size;
};

// One generated table; linked into a chain when registered, so registering
// needs no allocation and works during static initialisation in any order.
struct ResourceBlock {
  const ResourceEntry* entries;
  std::size_t count;
  ResourceBlock* next;
};

// For generated code only. The block must live for the whole process.
void RegisterResources(ResourceBlock* block);

// The bytes of resource `id`; empty when no linked table holds it. Ids are
// meant to be unique in a program; with duplicates the answer is one of them.
std::span<const std::byte> FindResource(int id);

}  // namespace varn::system
