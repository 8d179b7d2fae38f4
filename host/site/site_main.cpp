// varn-site: the embedded site on its own, for pages run in a window against
// a site started by hand. Prints its address, then one line per request,
// until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "host/site/embedded_site.h"

namespace {

constexpr int kUsageError = 64;

void PrintUsage() { std::cerr << "usage: varn-site --dir D --cookie C --filekey K [--port P]\n"; }

std::optional<uint16_t> ParsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 65535) return std::nullopt;
  return static_cast<uint16_t>(value);
}

// False on an unknown option, a missing value or a bad port.
bool ParseArguments(int argc, char** argv, varn::host::SiteOptions& options) {
  for (int i = 1; i < argc; i += 2) {
    std::string_view option = argv[i];
    if (i + 1 >= argc) return false;
    std::string_view value = argv[i + 1];
    if (option == "--dir") {
      options.directory = std::string(value);
    } else if (option == "--cookie") {
      options.cookie = std::string(value);
    } else if (option == "--filekey") {
      options.formKey = std::string(value);
    } else if (option == "--port") {
      auto port = ParsePort(value);
      if (!port) return false;
      options.port = *port;
    } else {
      return false;
    }
  }
  return !options.directory.empty() && !options.cookie.empty() && !options.formKey.empty();
}

}  // namespace

int main(int argc, char** argv) {
  varn::host::SiteOptions options;
  if (!ParseArguments(argc, argv, options)) {
    PrintUsage();
    return kUsageError;
  }

  // Blocked before the server starts its threads, so only sigwait sees them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  varn::host::EmbeddedSite site(std::move(options));
  varn::host::SiteStart started = site.Start();
  if (!started) {
    std::cerr << "varn-site: " << started.error << "\n";
    return EXIT_FAILURE;
  }
  std::cout << site.Address() << std::endl;
  std::cout << "picture posts: " << site.PostUrl(varn::host::PostForm::Picture) << "\n"
            << "profile posts: " << site.PostUrl(varn::host::PostForm::Profile) << std::endl;

  int received = 0;
  sigwait(&signals, &received);
  site.Stop();
  return EXIT_SUCCESS;
}
