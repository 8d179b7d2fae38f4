#include "platform/com/type_library.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "platform/com/bstr.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ref.h"
#include "platform/com/dispatch_table.h"

namespace varn::com {
namespace {

std::atomic<TypeLibraryProvider> moduleLibrary{nullptr};

// Each name an entry answers to, with the memid FindName reports for it:
// MEMBERID_NIL for the entry itself; a parameter, when asked for, counts as its
// member. Stops at the first name visit accepts.
template <typename Visit>
void ForEachName(const TypeLibraryEntry& entry, bool withParams, Visit&& visit) {
  if (visit(EntryName(entry), MEMBERID_NIL)) return;
  const auto* itf = std::get_if<InterfaceDescription>(&entry);
  if (itf == nullptr) return;
  for (const MemberInfo& member : itf->members) {
    if (visit(member.name, member.dispid)) return;
    for (size_t i = 0; withParams && i < member.argCount && i < kMaxDispatchArgs; ++i) {
      if (member.argNames[i] != nullptr && visit(member.argNames[i], member.dispid)) return;
    }
  }
}

class TypeLibrary final : public ComObject<ITypeLib> {
 public:
  TypeLibrary(TypeLibraryHeader header, std::vector<TypeLibraryEntry> entries)
      : header_(header), entries_(std::move(entries)) {}

  UINT GetTypeInfoCount() override { return static_cast<UINT>(entries_.size()); }

  // A new type info each time; it holds a reference to this library.
  HRESULT GetTypeInfo(UINT index, ITypeInfo** typeInfo) override {
    if (typeInfo == nullptr) return E_INVALIDARG;
    *typeInfo = nullptr;
    if (index >= entries_.size()) return TYPE_E_ELEMENTNOTFOUND;
    const TypeContainer container{this, index};
    try {
      if (const auto* itf = std::get_if<InterfaceDescription>(&entries_[index])) {
        return CreateInterfaceTypeInfo(InterfaceDescription(*itf), typeInfo, container);
      }
      return CreateClassTypeInfo(ClassDescription(std::get<ClassDescription>(entries_[index])),
                                 typeInfo, container);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  HRESULT GetTypeInfoType(UINT index, TYPEKIND* kind) override {
    if (kind == nullptr) return E_INVALIDARG;
    if (index >= entries_.size()) return TYPE_E_ELEMENTNOTFOUND;
    *kind =
        std::holds_alternative<ClassDescription>(entries_[index]) ? TKIND_COCLASS : TKIND_DISPATCH;
    return S_OK;
  }

  HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** typeInfo) override {
    if (typeInfo == nullptr) return E_INVALIDARG;
    *typeInfo = nullptr;
    const int found = IndexOf(guid);
    if (found < 0) return TYPE_E_ELEMENTNOTFOUND;
    return GetTypeInfo(static_cast<UINT>(found), typeInfo);
  }

  HRESULT GetLibAttr(TLIBATTR** libAttr) override {
    if (libAttr == nullptr) return E_INVALIDARG;
    *libAttr = nullptr;
    try {
      auto attr = std::make_unique<TLIBATTR>();
      attr->guid = header_.libid;
      attr->lcid = 0;
      attr->syskind = SYS_WIN64;
      attr->wMajorVerNum = header_.majorVersion;
      attr->wMinorVerNum = header_.minorVersion;
      attr->wLibFlags = 0;
      libAttrs_.push_back(std::move(attr));
      *libAttr = libAttrs_.back().get();
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  // Frees only what this library handed out and has not freed yet.
  void ReleaseTLibAttr(TLIBATTR* libAttr) override {
    std::erase_if(libAttrs_, [libAttr](const auto& kept) { return kept.get() == libAttr; });
  }

  // Hosts bind names through the type infos; a library-wide binder is not
  // needed by any of them.
  HRESULT GetTypeComp(ITypeComp** typeComp) override {
    if (typeComp == nullptr) return E_INVALIDARG;
    *typeComp = nullptr;
    return E_NOTIMPL;
  }

  // The library's help text is its doc string; there is no help file.
  HRESULT GetDocumentation(int32_t index, BSTR* name, BSTR* docString, DWORD* helpContext,
                           BSTR* helpFile) override {
    if (name != nullptr) *name = nullptr;
    if (docString != nullptr) *docString = nullptr;
    if (helpContext != nullptr) *helpContext = 0;
    if (helpFile != nullptr) *helpFile = nullptr;
    const char16_t* wantedName = nullptr;
    const char16_t* wantedDoc = nullptr;
    if (index == -1) {
      wantedName = header_.name;
      wantedDoc = header_.helpText;
    } else if (index >= 0 && static_cast<size_t>(index) < entries_.size()) {
      wantedName = EntryName(entries_[static_cast<size_t>(index)]);
    } else {
      return TYPE_E_ELEMENTNOTFOUND;
    }
    if (name != nullptr && !Allocate(wantedName, name)) return E_OUTOFMEMORY;
    if (docString != nullptr && wantedDoc != nullptr && !Allocate(wantedDoc, docString)) {
      if (name != nullptr) {
        SysFreeString(*name);
        *name = nullptr;
      }
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

  HRESULT IsName(LPOLESTR nameBuf, ULONG /*hashVal*/, BOOL* found) override {
    if (nameBuf == nullptr || found == nullptr) return E_INVALIDARG;
    *found = FALSE;
    for (const TypeLibraryEntry& entry : entries_) {
      ForEachName(entry, true, [&](const char16_t* name, MEMBERID /*memid*/) {
        if (!detail::NameMatches(name, nameBuf)) return false;
        // Same length, so the library's spelling fits the caller's buffer.
        std::copy(name, name + std::char_traits<char16_t>::length(name), nameBuf);
        *found = TRUE;
        return true;
      });
      if (*found == TRUE) break;
    }
    return S_OK;
  }

  HRESULT FindName(LPOLESTR nameBuf, ULONG /*hashVal*/, ITypeInfo** typeInfos, MEMBERID* memids,
                   USHORT* found) override {
    if (nameBuf == nullptr || typeInfos == nullptr || memids == nullptr || found == nullptr) {
      return E_INVALIDARG;
    }
    const USHORT capacity = *found;
    USHORT written = 0;
    for (UINT index = 0; index < entries_.size() && written < capacity; ++index) {
      MEMBERID memid = MEMBERID_NIL;
      bool matched = false;
      ForEachName(entries_[index], false, [&](const char16_t* name, MEMBERID candidate) {
        if (!detail::NameMatches(name, nameBuf)) return false;
        memid = candidate;
        matched = true;
        return true;
      });
      if (!matched) continue;
      const HRESULT hr = GetTypeInfo(index, &typeInfos[written]);
      if (FAILED(hr)) {
        for (USHORT i = 0; i < written; ++i) typeInfos[i]->Release();
        *found = 0;
        return hr;
      }
      memids[written++] = memid;
    }
    *found = written;
    return S_OK;
  }

  // -1 when no entry has this GUID.
  int IndexOf(const GUID& guid) const {
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (EntryGuid(entries_[i]) == guid) return static_cast<int>(i);
    }
    return -1;
  }

 private:
  static bool Allocate(const char16_t* text, BSTR* out) {
    *out = SysAllocString(text);
    return *out != nullptr;
  }

  TypeLibraryHeader header_;
  std::vector<TypeLibraryEntry> entries_;
  std::vector<std::unique_ptr<TLIBATTR>> libAttrs_;
};

// Each GUID once, and every class's interfaces among the entries.
bool Consistent(const std::vector<TypeLibraryEntry>& entries) {
  auto count = [&entries](const GUID& guid) {
    return std::count_if(entries.begin(), entries.end(),
                         [&guid](const TypeLibraryEntry& e) { return EntryGuid(e) == guid; });
  };
  auto isInterface = [&entries](const GUID& guid) {
    return std::any_of(entries.begin(), entries.end(), [&guid](const TypeLibraryEntry& e) {
      return std::holds_alternative<InterfaceDescription>(e) && EntryGuid(e) == guid;
    });
  };
  for (const TypeLibraryEntry& entry : entries) {
    if (count(EntryGuid(entry)) != 1) return false;
    const auto* cls = std::get_if<ClassDescription>(&entry);
    if (cls == nullptr) continue;
    if (!isInterface(cls->scripting.iid)) return false;
    if (cls->events.has_value() && !isInterface(cls->events->iid)) return false;
  }
  return true;
}

}  // namespace

const GUID& EntryGuid(const TypeLibraryEntry& entry) {
  if (const auto* itf = std::get_if<InterfaceDescription>(&entry)) return itf->iid;
  return std::get<ClassDescription>(entry).clsid;
}

const char16_t* EntryName(const TypeLibraryEntry& entry) {
  if (const auto* itf = std::get_if<InterfaceDescription>(&entry)) return itf->name;
  return std::get<ClassDescription>(entry).name;
}

HRESULT CreateTypeLibrary(TypeLibraryHeader header, std::vector<TypeLibraryEntry> entries,
                          ITypeLib** typeLib) {
  if (typeLib == nullptr) return E_POINTER;
  *typeLib = nullptr;
  if (!Consistent(entries)) return E_INVALIDARG;
  *typeLib = MakeObject<TypeLibrary>(header, std::move(entries));
  return *typeLib != nullptr ? S_OK : E_OUTOFMEMORY;
}

void SetModuleTypeLibrary(TypeLibraryProvider provider) { moduleLibrary.store(provider); }

TypeLibraryProvider ModuleTypeLibraryProvider() { return moduleLibrary.load(); }

}  // namespace varn::com
