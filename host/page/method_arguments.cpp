#include "host/page/method_arguments.h"

#include <QJSEngine>

#include "host/page/script_values.h"

namespace varn::host {

MethodArguments::MethodArguments(const ModuleLink& module, const MemberInfo& member)
    : module_(module), member_(member), values_(member.params.size()), outs_(member.params.size()) {
  for (size_t i = 0; i < values_.size(); ++i) {
    const ParamInfo& param = member.params[i];
    if (!param.out) continue;
    VARIANT& value = values_[i];
    value.vt = static_cast<VARTYPE>(VT_BYREF | param.type);
    if (param.type == VT_BSTR) {
      value.pbstrVal = &outs_[i].text;
    } else if (param.type == VT_BOOL) {
      value.pboolVal = &outs_[i].flag;
    } else {
      value.plVal = &outs_[i].number;
    }
  }
}

MethodArguments::~MethodArguments() {
  for (size_t i = 0; i < values_.size(); ++i) {
    if (member_.params[i].out) {
      module_.FreeString(outs_[i].text);
    } else {
      module_.ClearVariant(values_[i]);
    }
  }
}

bool MethodArguments::Fill(const QJSValue& args, QString* error) {
  quint32 next = 0;
  for (size_t i = 0; i < values_.size(); ++i) {
    const ParamInfo& param = member_.params[i];
    if (param.out) continue;
    if (!ToVariant(module_, args.property(next++), param.type, values_[i], error)) return false;
  }
  return true;
}

DISPPARAMS* MethodArguments::Params() {
  reversed_.assign(values_.rbegin(), values_.rend());
  params_ = DISPPARAMS{reversed_.empty() ? nullptr : reversed_.data(), nullptr,
                       static_cast<UINT>(reversed_.size()), 0};
  return &params_;
}

QJSValue MethodArguments::TakeOuts(QJSEngine& engine) {
  std::vector<QJSValue> taken;
  for (size_t i = 0; i < values_.size(); ++i) {
    const ParamInfo& param = member_.params[i];
    if (!param.out) continue;
    OutSlot& slot = outs_[i];
    if (param.type == VT_BSTR) {
      taken.push_back(slot.text != nullptr ? QJSValue(FromBstr(module_, slot.text))
                                           : QJSValue(QJSValue::NullValue));
      module_.FreeString(slot.text);
      slot.text = nullptr;
    } else if (param.type == VT_BOOL) {
      taken.emplace_back(slot.flag != VARIANT_FALSE);
    } else {
      taken.emplace_back(slot.number);
    }
  }
  if (taken.size() == 1) return taken.front();
  QJSValue array = engine.newArray(static_cast<uint>(taken.size()));
  for (size_t i = 0; i < taken.size(); ++i) array.setProperty(static_cast<quint32>(i), taken[i]);
  return array;
}

}  // namespace varn::host
