// The local site the controls post to: an HTTP server on 127.0.0.1 that runs
// on threads of its own, so a page runner can post to it from its main thread.
//
//   POST /post/picture   picture posts (drawing board, picture editor):
//                        one line [(N|id|name|path|size)] per file "image<N>"
//   POST /post/profile   profile posts (cropper): one line
//                        [(id|name|path|size)] per file
//   GET  /files/<id>/<name>   a stored file
//
// A post must carry exactly the cookie the site was started with and a
// "filekey" field equal to its form key, or nothing is stored and the answer
// is 403. Other paths answer 404, a body that is not multipart 415, one over
// the size limit 413, a malformed one 400, one whose length is ambiguous
// (two lengths, a length and chunks) 400. A client has a deadline for the
// whole request (408), a head of limited size and number of fields (431) and
// at most a few byte ranges (416); past the connection limit it gets 503.
// Every request is logged in one line: method, path, status, files stored,
// bytes received and sent, bytes from the wire escaped.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/site/site_reply.h"
#include "host/site/site_store.h"

namespace varn::host {

inline constexpr uint64_t kDefaultMaxRequestBytes = uint64_t{64} << 20;

// Receives one log line, without a line end. Called from the server's
// threads, never two at once.
using SiteLog = std::function<void(std::string_view line)>;

struct SiteOptions {
  std::filesystem::path directory;  // created when missing; files go to <directory>/files
  std::string cookie;               // both must be non-empty: a site without them
  std::string formKey;              // would take posts from anyone
  uint16_t port = 0;                // 0: a free one
  SiteLog log;                      // empty: standard output
  uint64_t maxRequestBytes = kDefaultMaxRequestBytes;  // every byte of the body
  std::chrono::milliseconds requestTime{60000};        // head, body and answer of one request
  std::chrono::milliseconds idleTime{5000};            // the longest pause between bytes
  std::size_t maxConnections = 128;                    // served at once; more are answered 503
  std::size_t maxHeaderFields = 100;
  std::size_t maxHeadBytes = 64 * 1024;
};

struct SiteStart {
  int port = 0;
  std::string error;  // empty on success

  explicit operator bool() const { return error.empty(); }
};

class EmbeddedSite {
 public:
  explicit EmbeddedSite(SiteOptions options);
  EmbeddedSite(const EmbeddedSite&) = delete;
  EmbeddedSite& operator=(const EmbeddedSite&) = delete;
  // Stops the server first.
  ~EmbeddedSite();

  // Listens before returning, so a post right after it is taken. Fails on
  // a second Start without Stop, empty options, an unusable folder or a
  // port that cannot be bound.
  SiteStart Start();
  // Ends requests in progress at once; a site can be started again after it.
  void Stop();

  bool Running() const;
  // 0 when not running.
  int Port() const;
  // "http://127.0.0.1:<port>/"; empty when not running.
  std::string Address() const;
  // The address a control of that form posts to.
  std::string PostUrl(PostForm form) const;

  // Every file stored since the site was made, in order.
  std::vector<StoredFile> Stored() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace varn::host
