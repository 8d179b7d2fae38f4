// varn-regsvr [-u] MODULE.so: loads the module and lets it register itself
// into the registry store (or remove itself with -u), saying what it did.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "host/page/module_link.h"
#include "platform/system/registry_store.h"

namespace {

constexpr int kFailed = 1;
constexpr int kCannotStart = 2;
constexpr int kUsageError = 64;

std::string HexCode(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

// What the module's registration failures mean.
std::string DescribeFailure(HRESULT hr) {
  struct Known {
    uint32_t code;
    const char* text;
  };
  static constexpr Known kKnown[] = {
      {0x80070005, "access to the registry store was refused"},
      {0x80070003, "the registry store's folder cannot be found or made"},
      {0x800703F1, "the registry store is malformed"},
      {0x800700DF, "the registry store is too large"},
      {0x8007001D, "the registry store could not be written"},
      {0x80070714, "a registration script is missing from the module"},
      {0x80040200, "the type library could not be registered"},
      {0x80040201, "a class could not be registered"},
      {0x8007000E, "out of memory"},
      {0x80070057, "an entry could not be written"},
  };
  for (const Known& known : kKnown) {
    if (known.code == static_cast<uint32_t>(hr)) return HexCode(hr) + " (" + known.text + ")";
  }
  return HexCode(hr);
}

int Usage() {
  std::cerr << "usage: varn-regsvr [-u] MODULE.so\n"
               "  registers the module's classes into the registry store ($VARN_REGISTRY,\n"
               "  else $XDG_CONFIG_HOME/varnpostingtool/registry.reg); -u removes them\n";
  return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
  bool unregister = false;
  std::string modulePath;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument(argv[i]);
    if (argument == "-u") {
      unregister = true;
    } else if (argument == "-h" || argument == "--help") {
      Usage();
      return 0;
    } else if (argument.starts_with('-') || !modulePath.empty()) {
      return Usage();
    } else {
      modulePath = argument;
    }
  }
  if (modulePath.empty()) return Usage();

  // A bare name would send dlopen searching the library path.
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(modulePath, error);
  if (error) {
    std::cerr << "varn-regsvr: " << modulePath << ": " << error.message() << '\n';
    return kCannotStart;
  }
  const std::string storePath = varn::system::DefaultRegistryPath();
  if (storePath.empty()) {
    std::cerr << "varn-regsvr: no registry store: set VARN_REGISTRY, XDG_CONFIG_HOME or HOME\n";
    return kCannotStart;
  }
  std::cout << "registry store: " << storePath << '\n';

  HRESULT hr = S_OK;
  try {
    const varn::host::ModuleLink module(absolute.string());
    hr = unregister ? module.UnregisterServer() : module.RegisterServer();
  } catch (const std::exception& failure) {
    std::cerr << "varn-regsvr: " << failure.what() << '\n';
    return kCannotStart;
  }
  if (FAILED(hr)) {
    std::cerr << "varn-regsvr: " << (unregister ? "unregistering " : "registering ")
              << absolute.string() << " failed: " << DescribeFailure(hr) << '\n';
    // The store's own complaint names the file and line; the module's status
    // code cannot carry it.
    varn::system::RegistryKey root;
    const varn::system::RegistryStatus read = varn::system::ReadRegistry(storePath, root);
    if (!read.Ok()) std::cerr << "varn-regsvr: " << read.message << '\n';
    std::cerr << "varn-regsvr: the registry store was left as it was\n";
    return kFailed;
  }
  std::cout << (unregister ? "unregistered " : "registered ") << absolute.string() << '\n';
  return 0;
}
