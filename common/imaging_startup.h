// The module's one count of imaging users. The first acquire starts the
// imaging runtime and the last release shuts it down, so controls can come and
// go in any order; acquiring again after a shutdown starts a new runtime.
#pragma once

#include <mutex>

#include "platform/imaging/imaging_startup.h"
#include "platform/imaging/status.h"

namespace varn {

// The count itself, over whichever start and shutdown functions it is given;
// the module's count drives the imaging runtime.
class ImagingStartupCount {
 public:
  using StartFunction = imaging::Status (*)(imaging::ImagingToken* token);
  using ShutdownFunction = void (*)(imaging::ImagingToken token);

  ImagingStartupCount(StartFunction start, ShutdownFunction shutdown)
      : start_(start), shutdown_(shutdown) {}
  ImagingStartupCount(const ImagingStartupCount&) = delete;
  ImagingStartupCount& operator=(const ImagingStartupCount&) = delete;

  // Counts the caller in. Starts the runtime when it is not running, which is
  // on the first acquire and also after a start that failed; returns the
  // start's status then, Ok otherwise.
  imaging::Status Acquire();
  // Counts the caller out; the last one out shuts the runtime down. A release
  // without a matching acquire does nothing.
  void Release();
  int Count() const;

 private:
  const StartFunction start_;
  const ShutdownFunction shutdown_;
  mutable std::mutex mutex_;
  int count_ = 0;
  imaging::ImagingToken token_ = 0;
};

// The module's count, used by every control; ImagingUserCount tells how many
// callers it holds.
imaging::Status AcquireImaging();
void ReleaseImaging();
int ImagingUserCount();

// Holds the module's imaging runtime for one scope, for work that needs it
// only while it runs (the cropper's picture operations).
class ImagingScope {
 public:
  ImagingScope() : status_(AcquireImaging()) {}
  ~ImagingScope() { ReleaseImaging(); }
  ImagingScope(const ImagingScope&) = delete;
  ImagingScope& operator=(const ImagingScope&) = delete;

  imaging::Status GetStatus() const { return status_; }

 private:
  imaging::Status status_;
};

}  // namespace varn
