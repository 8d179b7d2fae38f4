// What a script engine learns about a control from its type information: the
// members of its dispatch interface by name, and its events by dispid.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/page/module_link.h"
#include "platform/com/type_info.h"

namespace varn::host {

struct ParamInfo {
  std::u16string name;
  VARTYPE type;  // VT_I4, VT_BOOL or VT_BSTR
  bool out;
};

struct MemberInfo {
  std::u16string name;  // as the type information spells it
  DISPID dispid = 0;
  bool method = false;
  bool gettable = false;
  bool puttable = false;
  VARTYPE putType = VT_EMPTY;     // the value a put takes
  std::vector<ParamInfo> params;  // a method's, in declaration order

  size_t InCount() const;
  size_t OutCount() const { return params.size() - InCount(); }
};

struct EventInfo {
  std::u16string name;
  std::vector<std::u16string> argNames;
};

class ControlMembers {
 public:
  // Reads the dispatch interface's type information and, through the class
  // information, the default source interface's. Throws std::runtime_error
  // when the object describes neither.
  static ControlMembers Read(const ModuleLink& module, IDispatch& control);

  // Case does not matter, as for GetIDsOfNames.
  const MemberInfo* FindMember(std::u16string_view name) const;
  const EventInfo* FindEvent(DISPID dispid) const;
  // The dispid of the event called name (case does not matter), if any.
  std::optional<DISPID> FindEventByName(std::u16string_view name) const;

  const std::u16string& ClassName() const { return className_; }
  const IID& EventInterface() const { return eventIid_; }
  const std::map<std::u16string, MemberInfo>& Members() const { return members_; }

 private:
  std::u16string className_;
  IID eventIid_{};
  std::map<std::u16string, MemberInfo> members_;  // by lower-case name
  std::map<DISPID, EventInfo> events_;
};

std::u16string LowerCase(std::u16string_view text);

}  // namespace varn::host
