// Invariant checks, graded by what a breach would cost.
//
// VARN_CHECK(condition) guards states that would corrupt data or memory if the
// program went on (an index past the end of a list, a history without a
// current state): it stays in every build and stops the process, naming the
// condition and the place, before anything is written through the bad state.
//
// VARN_DCHECK(condition) is for the rest: contracts whose breach is a bug but
// leaves data intact. It is checked in debug builds (no NDEBUG) and costs
// nothing in release builds; the condition is still compiled, so it cannot
// rot.
#pragma once

namespace varn::system {

[[noreturn]] void CheckFailed(const char* condition, const char* file, int line);

}  // namespace varn::system

#define VARN_CHECK(condition)                        \
  (__builtin_expect(static_cast<bool>(condition), 1) \
       ? static_cast<void>(0)                        \
       : ::varn::system::CheckFailed(#condition, __FILE__, __LINE__))

#ifdef NDEBUG
#define VARN_DCHECK(condition) static_cast<void>(sizeof(static_cast<bool>(condition)))
#else
#define VARN_DCHECK(condition) VARN_CHECK(condition)
#endif
