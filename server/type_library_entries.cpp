#include "server/type_library_entries.h"

#include <array>
#include <new>
#include <string_view>
#include <vector>

#include "cropper/profile_image_cropper.h"
#include "drawing/drawing_control.h"
#include "imageedit/image_edit_control.h"
#include "platform/com/identifiers.h"
#include "platform/com/type_library.h"
#include "platform/system/utf_convert.h"
#include "server/blog_activex_package.h"

namespace varn::server {
namespace {

constexpr com::TypeLibraryHeader kHeader{u"VarnPostingToolLib", LIBID_VarnPostingToolLib, 1, 0,
                                         u"VarnPostingTool 1.0 Type Library"};

// The automation marshaler, which serves every dispatch and dual interface.
constexpr std::string_view kDispatchProxyStub = "{00020420-0000-0000-C000-000000000046}";

// The served classes in the class table's order.
std::array<com::ClassDescription, 4> DescribeClasses() {
  return {
      com::ClassDescription{CBlogActiveXPackage::kTypeNames.className, CLSID_BlogActiveXPackage,
                            CBlogActiveXPackage::DescribeScriptInterface(), std::nullopt},
      drawing::CDrawingControl::DescribeClass(),
      imageedit::CImageEditControl::DescribeClass(),
      cropper::CProfileImageCropper::DescribeClass(),
  };
}

// The dual interfaces, then the event interfaces, then the classes.
std::vector<com::TypeLibraryEntry> ModuleEntries() {
  const std::array<com::ClassDescription, 4> classes = DescribeClasses();
  std::vector<com::TypeLibraryEntry> entries;
  entries.reserve(3 * classes.size());  // at most two interfaces and the class each
  for (const com::ClassDescription& cls : classes) entries.emplace_back(cls.scripting);
  for (const com::ClassDescription& cls : classes) {
    if (cls.events.has_value()) entries.emplace_back(*cls.events);
  }
  for (const com::ClassDescription& cls : classes) entries.emplace_back(cls);
  return entries;
}

// A registrar text in quotes, with quotes doubled and percent signs kept
// literal.
std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'' || c == '%') quoted += c;
    quoted += c;
  }
  return quoted + "'";
}

std::string Version() {
  return std::to_string(kHeader.majorVersion) + "." + std::to_string(kHeader.minorVersion);
}

// Installed while the module loads, before any object can hand out a type info.
[[maybe_unused]] const bool kModuleLibraryInstalled = [] {
  com::SetModuleTypeLibrary(&ModuleTypeLibrary);
  return true;
}();

}  // namespace

HRESULT ModuleTypeLibrary(ITypeLib** typeLib) {
  if (typeLib == nullptr) return E_POINTER;
  *typeLib = nullptr;
  try {
    return com::CreateTypeLibrary(kHeader, ModuleEntries(), typeLib);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

std::string TypeLibraryRegistrationScript() {
  const std::string libid = Quoted(GuidText(kHeader.libid));
  std::string script = "HKCR\n{\n";
  script += "  NoRemove TypeLib\n  {\n";
  script += "    " + libid + "\n    {\n";
  script += "      " + Quoted(Version()) + " = s " + Quoted(system::Utf16ToUtf8(kHeader.helpText)) +
            "\n      {\n";
  script += "        '0'\n        {\n          linux64 = s '%MODULE%'\n        }\n";
  script += "        FLAGS = s '0'\n";
  script += "        HELPDIR = s '%MODULEDIR%'\n";
  script += "      }\n    }\n  }\n";
  script += "  NoRemove Interface\n  {\n";
  for (const com::TypeLibraryEntry& entry : ModuleEntries()) {
    if (!std::holds_alternative<com::InterfaceDescription>(entry)) continue;
    script += "    " + Quoted(GuidText(com::EntryGuid(entry))) + " = s " +
              Quoted(system::Utf16ToUtf8(com::EntryName(entry))) + "\n    {\n";
    script += "      ProxyStubClsid = s " + Quoted(kDispatchProxyStub) + "\n";
    script += "      ProxyStubClsid32 = s " + Quoted(kDispatchProxyStub) + "\n";
    script += "      TypeLib = s " + libid + "\n      {\n";
    script += "        val Version = s " + Quoted(Version()) + "\n      }\n";
    script += "    }\n";
  }
  script += "  }\n}\n";
  return script;
}

void AddTypeLibrarySymbols(RegistrarSymbols& symbols) {
  const auto module = symbols.find("MODULE");
  if (module == symbols.end()) return;
  const std::string& path = module->second;
  const size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  if (folder.empty()) folder = "/";
  symbols["MODULEDIR"] = std::move(folder);
}

}  // namespace varn::server
