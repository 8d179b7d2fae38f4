#include "common/imaging_startup.h"

namespace varn {

imaging::Status ImagingStartupCount::Acquire() {
  std::lock_guard lock(mutex_);
  ++count_;
  if (token_ != 0) return imaging::Status::Ok;
  imaging::ImagingToken token = 0;
  const imaging::Status status = start_(&token);
  if (status == imaging::Status::Ok) token_ = token;
  return status;
}

void ImagingStartupCount::Release() {
  std::lock_guard lock(mutex_);
  if (count_ == 0) return;
  if (--count_ > 0 || token_ == 0) return;
  shutdown_(token_);
  token_ = 0;
}

int ImagingStartupCount::Count() const {
  std::lock_guard lock(mutex_);
  return count_;
}

namespace {

ImagingStartupCount& ModuleImagingStartup() {
  static ImagingStartupCount count(&imaging::StartImaging, &imaging::ShutdownImaging);
  return count;
}

}  // namespace

imaging::Status AcquireImaging() { return ModuleImagingStartup().Acquire(); }
void ReleaseImaging() { ModuleImagingStartup().Release(); }
int ImagingUserCount() { return ModuleImagingStartup().Count(); }

}  // namespace varn
