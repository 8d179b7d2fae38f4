// BlogActiveXPackage: a plain automation object without members that belongs
// to the module so that its registration carries the package.
#pragma once

#include <span>

#include "platform/com/com_object.h"
#include "platform/com/identifiers.h"
#include "platform/com/table_dispatch.h"
#include "platform/com/type_description.h"

namespace varn::server {

class CBlogActiveXPackage
    : public com::ComObject<com::TableDispatch<CBlogActiveXPackage, IID_IBlogActiveXPackage>> {
 public:
  // No event interface: it is not a control.
  static constexpr com::TypeNames kTypeNames{u"BlogActiveXPackage", u"IBlogActiveXPackage",
                                             nullptr};
  static std::span<const com::DispatchMember<CBlogActiveXPackage>> DispatchMembers() { return {}; }
};

}  // namespace varn::server
