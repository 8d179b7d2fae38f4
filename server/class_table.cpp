#include "server/class_table.h"

#include <array>

#include "cropper/profile_image_cropper.h"
#include "drawing/drawing_control.h"
#include "imageedit/image_edit_control.h"
#include "platform/com/identifiers.h"
#include "server/blog_activex_package.h"

namespace varn::server {
namespace {

// The served classes, in this order.
constexpr std::array kServedClasses{
    ClassEntry{CLSID_BlogActiveXPackage, &com::CreateObject<CBlogActiveXPackage>},
    ClassEntry{CLSID_DrawingControl, &com::CreateObject<drawing::CDrawingControl>},
    ClassEntry{CLSID_ImageEditControl, &com::CreateObject<imageedit::CImageEditControl>},
    ClassEntry{CLSID_ProfileImageCropper, &com::CreateObject<cropper::CProfileImageCropper>},
};

}  // namespace

std::span<const ClassEntry> ServedClasses() { return kServedClasses; }

ClassObjectTable::ClassObjectTable(std::span<const ClassEntry> entries)
    : entries_(entries), factories_(entries.size(), nullptr) {}

ClassObjectTable::~ClassObjectTable() {
  for (com::ClassFactory* factory : factories_) {
    if (factory != nullptr) factory->Release();
  }
}

HRESULT ClassObjectTable::GetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].clsid != clsid) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    if (factories_[i] == nullptr) {
      factories_[i] = com::MakeObject<com::ClassFactory>(entries_[i].create);
      if (factories_[i] == nullptr) return E_OUTOFMEMORY;
    }
    return factories_[i]->QueryInterface(riid, object);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

ClassObjectTable& ModuleClassObjects() {
  static ClassObjectTable table(ServedClasses());
  return table;
}

}  // namespace varn::server
