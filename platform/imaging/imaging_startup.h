// Imaging start-up: bringing the imaging runtime up and down. Start makes
// sure a Qt GUI application exists (creating a widgets application when the
// host has none, on the offscreen platform when no display is set); Shutdown
// destroys it again only when Start created it and no other token is
// outstanding. Starting again after a shutdown works. Call both on the thread
// that owns the controls. The process-wide acquire and release count is
// common/imaging_startup.h.
#pragma once

#include <cstdint>

#include "platform/imaging/status.h"

namespace varn::imaging {

using ImagingToken = uintptr_t;

// token receives a non-zero value to hand back to ShutdownImaging.
Status StartImaging(ImagingToken* token);
// An unknown or zero token does nothing.
void ShutdownImaging(ImagingToken token);

// True while a GUI application exists (text needs one).
bool IsImagingGuiAvailable();

}  // namespace varn::imaging
