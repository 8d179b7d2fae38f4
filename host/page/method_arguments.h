// The arguments of one method call as the control receives them: in arguments
// converted from the script's values, out parameters as VT_BYREF slots of the
// host's; afterwards the out values become the call's result.
#pragma once

#include <QJSValue>
#include <QString>

#include <vector>

#include "host/page/control_members.h"
#include "host/page/module_link.h"

class QJSEngine;

namespace varn::host {

class MethodArguments {
 public:
  MethodArguments(const ModuleLink& module, const MemberInfo& member);
  // Clears the in arguments and frees out strings not taken.
  ~MethodArguments();
  MethodArguments(const MethodArguments&) = delete;
  MethodArguments& operator=(const MethodArguments&) = delete;

  // Converts the script's arguments (an array of the in arguments alone).
  // False, with *error set, for a value no parameter takes.
  bool Fill(const QJSValue& args, QString* error);
  // In the reversed order of automation; valid while this object lives.
  DISPPARAMS* Params();
  bool HasOuts() const { return member_.OutCount() > 0; }
  // One out value as itself, several as an array.
  QJSValue TakeOuts(QJSEngine& engine);

 private:
  struct OutSlot {
    int32_t number = 0;
    VARIANT_BOOL flag = VARIANT_FALSE;
    BSTR text = nullptr;
  };

  const ModuleLink& module_;
  const MemberInfo& member_;
  std::vector<VARIANT> values_;  // declaration order
  std::vector<OutSlot> outs_;
  std::vector<VARIANT> reversed_;
  DISPPARAMS params_{};
};

}  // namespace varn::host
