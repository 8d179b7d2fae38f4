#include "platform/imaging/imaging_startup.h"

#include <QApplication>
#include <QGuiApplication>
#include <cstdlib>
#include <new>
#include <set>

namespace varn::imaging {

namespace {

struct RuntimeState {
  // The application we created, or null when the host owns one (or none).
  QApplication* ownApplication = nullptr;
  std::set<ImagingToken> outstanding;
  ImagingToken nextToken = 1;
};

RuntimeState& State() {
  static RuntimeState state;
  return state;
}

bool HasEnv(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

void ChoosePlatform() {
  if (HasEnv("QT_QPA_PLATFORM")) return;
  const bool display = HasEnv("DISPLAY") || HasEnv("WAYLAND_DISPLAY");
  setenv("QT_QPA_PLATFORM", display ? "xcb;offscreen" : "offscreen", 1);
}

QApplication* CreateApplication() {
  // Qt keeps references to argc and argv for the application's life and may
  // rearrange argv, so both are static and rebuilt before each creation.
  static char programName[] = "VarnPostingTool";
  static int argc;
  static char* argv[2];
  argc = 1;
  argv[0] = programName;
  argv[1] = nullptr;
  ChoosePlatform();
  return new (std::nothrow) QApplication(argc, argv);
}

}  // namespace

Status StartImaging(ImagingToken* token) {
  if (token == nullptr) return Status::InvalidParameter;
  RuntimeState& state = State();
  try {
    if (QCoreApplication::instance() == nullptr) {
      state.ownApplication = CreateApplication();
      if (state.ownApplication == nullptr) return Status::OutOfMemory;
    }
    const ImagingToken issued = state.nextToken++;
    state.outstanding.insert(issued);
    *token = issued;
    return Status::Ok;
  } catch (const std::bad_alloc&) {
    return Status::OutOfMemory;
  } catch (...) {
    return Status::GenericError;
  }
}

void ShutdownImaging(ImagingToken token) {
  RuntimeState& state = State();
  if (state.outstanding.erase(token) == 0) return;
  if (!state.outstanding.empty() || state.ownApplication == nullptr) return;
  // Only our own application goes, and only when it is still the instance.
  if (QCoreApplication::instance() == state.ownApplication) delete state.ownApplication;
  state.ownApplication = nullptr;
}

bool IsImagingGuiAvailable() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace varn::imaging
