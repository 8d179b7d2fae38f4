#include "platform/system/check.h"

#include <cstdio>
#include <cstdlib>

namespace varn::system {

void CheckFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "VarnPostingTool: invariant broken at %s:%d: %s\n", file, line, condition);
  std::fflush(stderr);
  std::abort();
}

}  // namespace varn::system
