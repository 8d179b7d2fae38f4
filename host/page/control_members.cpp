#include "host/page/control_members.h"

#include <stdexcept>

#include "platform/com/class_info.h"
#include "platform/com/com_ref.h"

namespace varn::host {

namespace {

using com::ComRef;

std::u16string TakeString(const ModuleLink& module, BSTR text) {
  std::u16string copy =
      text != nullptr ? std::u16string(text, module.StringLength(text)) : std::u16string();
  module.FreeString(text);
  return copy;
}

// The member's own name and its parameters' names.
std::vector<std::u16string> NamesOf(const ModuleLink& module, ITypeInfo& info, MEMBERID memid) {
  constexpr UINT kMaxNames = 16;
  BSTR names[kMaxNames] = {};
  UINT count = 0;
  if (FAILED(info.GetNames(memid, names, kMaxNames, &count))) return {};
  std::vector<std::u16string> result;
  for (UINT i = 0; i < count && i < kMaxNames; ++i) result.push_back(TakeString(module, names[i]));
  return result;
}

std::u16string TypeName(const ModuleLink& module, ITypeInfo& info) {
  BSTR name = nullptr;
  if (FAILED(info.GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr))) return {};
  return TakeString(module, name);
}

// Calls visit(funcDesc, names) for every function of a type.
template <typename Visit>
void ForEachFunction(const ModuleLink& module, ITypeInfo& info, Visit visit) {
  TYPEATTR* attr = nullptr;
  if (FAILED(info.GetTypeAttr(&attr)) || attr == nullptr) {
    throw std::runtime_error("the control's type information cannot be read");
  }
  const WORD count = attr->cFuncs;
  info.ReleaseTypeAttr(attr);
  for (UINT i = 0; i < count; ++i) {
    FUNCDESC* desc = nullptr;
    if (FAILED(info.GetFuncDesc(i, &desc)) || desc == nullptr) continue;
    visit(*desc, NamesOf(module, info, desc->memid));
    info.ReleaseFuncDesc(desc);
  }
}

ParamInfo ReadParam(const ELEMDESC& element, std::u16string name) {
  const bool pointer = element.tdesc.vt == VT_PTR && element.tdesc.lptdesc != nullptr;
  const VARTYPE type = pointer ? element.tdesc.lptdesc->vt : element.tdesc.vt;
  const bool out = pointer || (element.paramdesc.wParamFlags & PARAMFLAG_FOUT) != 0;
  return {std::move(name), type, out};
}

ComRef<ITypeInfo> SourceInterfaceOf(ITypeInfo& classInfo) {
  TYPEATTR* attr = nullptr;
  if (FAILED(classInfo.GetTypeAttr(&attr)) || attr == nullptr) return {};
  const WORD implTypes = attr->cImplTypes;
  classInfo.ReleaseTypeAttr(attr);
  for (UINT i = 0; i < implTypes; ++i) {
    int32_t flags = 0;
    if (FAILED(classInfo.GetImplTypeFlags(i, &flags))) continue;
    const int32_t wanted = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
    if ((flags & wanted) != wanted) continue;
    HREFTYPE ref = 0;
    ComRef<ITypeInfo> source;
    if (SUCCEEDED(classInfo.GetRefTypeOfImplType(i, &ref)) &&
        SUCCEEDED(classInfo.GetRefTypeInfo(ref, source.Out()))) {
      return source;
    }
  }
  return {};
}

}  // namespace

std::u16string LowerCase(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return lower;
}

size_t MemberInfo::InCount() const {
  size_t count = 0;
  for (const ParamInfo& param : params) count += param.out ? 0 : 1;
  return count;
}

ControlMembers ControlMembers::Read(const ModuleLink& module, IDispatch& control) {
  ControlMembers result;
  ComRef<ITypeInfo> interfaceInfo;
  if (FAILED(control.GetTypeInfo(0, 0, interfaceInfo.Out())) || !interfaceInfo) {
    throw std::runtime_error("the control offers no type information");
  }
  ForEachFunction(
      module, *interfaceInfo.Get(),
      [&](const FUNCDESC& desc, const std::vector<std::u16string>& names) {
        if (names.empty()) return;
        MemberInfo& member = result.members_[LowerCase(names[0])];
        member.name = names[0];
        member.dispid = desc.memid;
        if (desc.invkind == INVOKE_PROPERTYGET) {
          member.gettable = true;
        } else if (desc.invkind == INVOKE_PROPERTYPUT || desc.invkind == INVOKE_PROPERTYPUTREF) {
          member.puttable = true;
          if (desc.cParams >= 1) member.putType = ReadParam(desc.lprgelemdescParam[0], {}).type;
        } else {
          member.method = true;
          for (SHORT i = 0; i < desc.cParams; ++i) {
            const size_t at = static_cast<size_t>(i) + 1;
            std::u16string name = at < names.size() ? names[at] : u"argument";
            member.params.push_back(ReadParam(desc.lprgelemdescParam[i], std::move(name)));
          }
        }
      });

  ComRef<IProvideClassInfo> provider = ComRef<IDispatch>::Share(&control).As<IProvideClassInfo>();
  ComRef<ITypeInfo> classInfo;
  if (!provider || FAILED(provider->GetClassInfo(classInfo.Out())) || !classInfo) {
    throw std::runtime_error("the control offers no class information");
  }
  result.className_ = TypeName(module, *classInfo.Get());
  ComRef<ITypeInfo> source = SourceInterfaceOf(*classInfo.Get());
  if (!source) throw std::runtime_error("the control names no event interface");
  TYPEATTR* attr = nullptr;
  if (SUCCEEDED(source->GetTypeAttr(&attr)) && attr != nullptr) {
    result.eventIid_ = attr->guid;
    source->ReleaseTypeAttr(attr);
  }
  ForEachFunction(module, *source.Get(),
                  [&](const FUNCDESC& desc, const std::vector<std::u16string>& names) {
                    if (names.empty()) return;
                    result.events_[desc.memid] = {names[0], {names.begin() + 1, names.end()}};
                  });
  return result;
}

const MemberInfo* ControlMembers::FindMember(std::u16string_view name) const {
  auto found = members_.find(LowerCase(name));
  return found != members_.end() ? &found->second : nullptr;
}

const EventInfo* ControlMembers::FindEvent(DISPID dispid) const {
  auto found = events_.find(dispid);
  return found != events_.end() ? &found->second : nullptr;
}

std::optional<DISPID> ControlMembers::FindEventByName(std::u16string_view name) const {
  const std::u16string lower = LowerCase(name);
  for (const auto& [dispid, event] : events_) {
    if (LowerCase(event.name) == lower) return dispid;
  }
  return std::nullopt;
}

}  // namespace varn::host
