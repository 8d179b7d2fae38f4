// The skeleton of a scripted picture control: the control base joined to a
// scripting interface answered from Derived's dispatch table, one outgoing
// event interface with its connection point, class information and object
// safety. A control names this one base, its tables and the interfaces it
// adds:
//
//   class CProfileImageCropper final
//       : public ui::ScriptedControl<CProfileImageCropper, IID_IProfileImageCropper,
//                                    DIID__IProfileImageCropperEvents,
//                                    ui::StockProbes<IID_IProfileImageCropper>> {
//    public:
//     static constexpr com::TypeNames kTypeNames{...};
//     static constexpr const CLSID& kClassId = CLSID_ProfileImageCropper;
//     static std::span<const com::DispatchMember<CProfileImageCropper>> DispatchMembers();
//     static std::span<const com::MemberInfo> EventMembers();
//     ...
//   };
#pragma once

#include "platform/com/class_info_impl.h"
#include "platform/com/event_source.h"
#include "platform/com/object_safety_impl.h"
#include "platform/com/support_error_info_impl.h"
#include "platform/com/table_dispatch.h"
#include "platform/com/unsupported_interfaces.h"
#include "platform/ui/control_base.h"

namespace varn::ui {

// The interfaces a control adds to the skeleton, in QueryInterface order.
template <typename... Interfaces>
struct InterfaceList {};

// What a container may probe for and hear "nothing offered": error
// information for the scripting interface, no property pages, no quick
// activation, no storage persistence, no data transfer.
template <const IID& kScriptIid>
using StockProbes = InterfaceList<com::SupportErrorInfo<kScriptIid>, com::NoPropertyPages,
                                  com::NoQuickActivate, com::NoPersistStorage, com::NoDataObject>;

template <typename Derived, const IID& kScriptIid, const IID& kEventIid,
          typename Extras = InterfaceList<>>
class ScriptedControl;

template <typename Derived, const IID& kScriptIid, const IID& kEventIid, typename... Extras>
class ScriptedControl<Derived, kScriptIid, kEventIid, InterfaceList<Extras...>>
    : public Control<com::TableDispatch<Derived, kScriptIid>, com::EventSource<kEventIid>,
                     com::ProvideClassInfo<Derived, kEventIid>, com::ObjectSafety, Extras...> {
 public:
  static constexpr const IID& kScriptInterface = kScriptIid;
  static constexpr const IID& kEventInterface = kEventIid;

 protected:
  using Skeleton = Control<com::TableDispatch<Derived, kScriptIid>, com::EventSource<kEventIid>,
                           com::ProvideClassInfo<Derived, kEventIid>, com::ObjectSafety, Extras...>;

  // Derived is complete where its constructor runs, so its class id is known.
  ScriptedControl() : Skeleton(Derived::kClassId) {}
};

}  // namespace varn::ui
