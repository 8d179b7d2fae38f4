#include "host/site/embedded_site.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <utility>

#include "host/site/guarded_server.h"
#include "host/site/staged_upload.h"

namespace varn::host {
namespace {

constexpr std::string_view kFormKeyField = "filekey";
// More ranges would send a file many times over for one request.
constexpr std::size_t kMaxRanges = 4;
constexpr std::size_t kServeBlockSize = 64 * 1024;
constexpr std::size_t kMaxLoggedPathLength = 200;

// What a handler tells the logger about its request.
struct RequestNote {
  std::size_t filesStored = 0;
  uint64_t received = 0;
  std::optional<uint64_t> sent;
};

// Compares secrets in time independent of where they first differ.
bool SameSecret(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  }
  return difference == 0;
}

std::string_view ContentTypeFor(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == ".png") return "image/png";
  if (extension == ".jpg" || extension == ".jpeg") return "image/jpeg";
  if (extension == ".gif") return "image/gif";
  if (extension == ".bmp") return "image/bmp";
  if (extension == ".txt") return "text/plain";
  return "application/octet-stream";
}

std::optional<uint64_t> DeclaredLength(const httplib::Request& request) {
  if (!request.has_header("Content-Length")) return std::nullopt;
  const std::string value = request.get_header_value("Content-Length");
  char* end = nullptr;
  uint64_t length = std::strtoull(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0') return std::nullopt;
  return length;
}

// Reads and drops the body, within the limit, so that the answer reaches a
// client that is still sending.
uint64_t Drain(const httplib::Request& request, const httplib::ContentReader& reader,
               uint64_t limit) {
  uint64_t received = 0;
  auto count = [&](const char*, std::size_t length) {
    if (length > limit - received) return false;
    received += length;
    return true;
  };
  // The reader parses multipart bodies whichever receiver it gets, so a
  // multipart body needs the multipart form of the call.
  if (request.is_multipart_form_data()) {
    reader([](const httplib::MultipartFormData&) { return true; }, count);
  } else {
    reader(count);
  }
  return received;
}

void Answer(httplib::Response& response, int status, std::string_view text) {
  response.status = status;
  response.set_content(std::string(text) + "\n", "text/plain");
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A body whose end two readers could find in different places.
bool AmbiguousLength(const httplib::Request& request) {
  const std::size_t lengths = request.get_header_value_count("Content-Length");
  const std::size_t encodings = request.get_header_value_count("Transfer-Encoding");
  if (lengths > 1 || encodings > 1 || (lengths > 0 && encodings > 0)) return true;
  if (lengths == 1 && !AllDigits(request.get_header_value("Content-Length"))) return true;
  return encodings == 1 && request.get_header_value("Transfer-Encoding") != "chunked";
}

// Why the connection's stream stopped a body short, as the answer to give;
// none when it did not.
std::optional<std::pair<int, std::string_view>> StreamRefusal() {
  GuardedStream* stream = GuardedServer::Current();
  switch (stream != nullptr ? stream->Fault() : StreamFault::None) {
    case StreamFault::BodyTooLarge:
      return std::pair(413, "request too large");
    case StreamFault::TimedOut:
      return std::pair(408, "request too slow");
    case StreamFault::Stopped:
      return std::pair(503, "the site is stopping");
    case StreamFault::None:
    case StreamFault::HeadTooLarge:
      break;
  }
  return std::nullopt;
}

}  // namespace

struct EmbeddedSite::Impl {
  explicit Impl(SiteOptions siteOptions)
      : options(std::move(siteOptions)), store(options.directory) {}

  SiteStart Start();
  void Stop();
  httplib::Server::HandlerResponse Screen(const httplib::Request& request,
                                          httplib::Response& response);
  void HandlePost(const httplib::Request& request, httplib::Response& response,
                  const httplib::ContentReader& reader);
  void HandleGet(const httplib::Request& request, httplib::Response& response);
  void Log(const httplib::Request& request, const httplib::Response& response);
  void LogLine(std::string_view method, std::string_view path, int status, RequestNote note);
  void Note(const httplib::Request& request, RequestNote note);
  bool CookieMatches(const httplib::Request& request) const;
  bool FormKeyMatches(const StagedUpload& upload) const;

  SiteOptions options;
  SiteStore store;

  std::mutex lifecycleMutex;
  std::unique_ptr<GuardedServer> server;
  std::thread listenThread;
  std::atomic<bool> listenEnded{false};
  std::atomic<int> port{0};

  std::mutex logMutex;
  std::mutex notesMutex;
  std::unordered_map<const httplib::Request*, RequestNote> notes;
};

SiteStart EmbeddedSite::Impl::Start() {
  std::lock_guard lock(lifecycleMutex);
  if (server) return {0, "the site is already running"};
  if (options.directory.empty()) return {0, "no site folder given"};
  if (options.cookie.empty()) return {0, "no cookie given"};
  if (options.formKey.empty()) return {0, "no form key given"};
  if (std::string error = store.Open(); !error.empty()) return {0, error};

  ConnectionLimits limits;
  limits.requestTime = options.requestTime;
  limits.idleTime = options.idleTime;
  limits.maxConnections = options.maxConnections;
  limits.maxHeaderFields = options.maxHeaderFields;
  limits.maxHeadBytes = options.maxHeadBytes;
  limits.maxBodyBytes = options.maxRequestBytes;
  auto newServer = std::make_unique<GuardedServer>(
      limits,
      [this](std::string_view method, std::string_view target, int status, std::size_t sent) {
        LogLine(method, target, status, {0, 0, sent});
      });
  // One request per connection: a refused post may leave its body unread,
  // which must not be taken for the next request.
  newServer->set_keep_alive_max_count(1);
  newServer->set_payload_max_length(options.maxRequestBytes);
  newServer->set_pre_routing_handler(
      [this](const httplib::Request& request, httplib::Response& response) {
        return Screen(request, response);
      });
  // The library's default also sets SO_REUSEPORT, which lets a second site
  // bind the same port and take half of the posts; address reuse alone only
  // allows a restart over connections still closing.
  newServer->set_socket_options([](int socket) {
    int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  newServer->Post(R"(.*)", [this](const httplib::Request& request, httplib::Response& response,
                                  const httplib::ContentReader& reader) {
    HandlePost(request, response, reader);
  });
  newServer->Get(R"(/files/([^/]*)/([^/]*))",
                 [this](const httplib::Request& request, httplib::Response& response) {
                   HandleGet(request, response);
                 });
  newServer->set_logger([this](const httplib::Request& request, const httplib::Response& response) {
    Log(request, response);
  });

  int bound = -1;
  if (options.port == 0) {
    bound = newServer->bind_to_any_port("127.0.0.1");
  } else if (newServer->bind_to_port("127.0.0.1", options.port)) {
    bound = options.port;
  }
  if (bound <= 0) {
    return {0, "cannot listen on 127.0.0.1:" + std::to_string(options.port) +
                   " (in use or not permitted)"};
  }
  newServer->WidenListenQueue();
  server = std::move(newServer);
  listenEnded = false;
  listenThread = std::thread([this, running = server.get()] {
    running->listen_after_bind();
    listenEnded = true;
  });
  port = bound;
  return {bound, {}};
}

void EmbeddedSite::Impl::Stop() {
  std::lock_guard lock(lifecycleMutex);
  if (!server) return;
  // The server ignores stop() until its loop has begun.
  while (!server->is_running() && !listenEnded) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  server->StopAll();
  server->stop();
  listenThread.join();
  server.reset();
  port = 0;
  std::lock_guard notesLock(notesMutex);
  notes.clear();
}

bool EmbeddedSite::Impl::CookieMatches(const httplib::Request& request) const {
  return request.get_header_value_count("Cookie") == 1 &&
         SameSecret(request.get_header_value("Cookie"), options.cookie);
}

bool EmbeddedSite::Impl::FormKeyMatches(const StagedUpload& upload) const {
  std::vector<std::string> keys = upload.TextValues(kFormKeyField);
  if (keys.empty()) return false;
  for (const std::string& key : keys) {
    if (!SameSecret(key, options.formKey)) return false;
  }
  return true;
}

httplib::Server::HandlerResponse EmbeddedSite::Impl::Screen(const httplib::Request& request,
                                                            httplib::Response& response) {
  if (AmbiguousLength(request)) {
    Note(request, {0, 0, {}});
    Answer(response, 400, "ambiguous body length");
  } else if (request.ranges.size() > kMaxRanges) {
    Note(request, {0, 0, {}});
    Answer(response, 416, "too many ranges");
  } else {
    return httplib::Server::HandlerResponse::Unhandled;
  }
  return httplib::Server::HandlerResponse::Handled;
}

void EmbeddedSite::Impl::HandlePost(const httplib::Request& request, httplib::Response& response,
                                    const httplib::ContentReader& reader) {
  const uint64_t limit = options.maxRequestBytes;
  std::optional<PostForm> form = PostFormForPath(request.path);
  auto declared = DeclaredLength(request);
  if (declared && *declared > limit) {
    // Not read at all: the connection closes after the answer.
    Note(request, {0, 0, {}});
    return Answer(response, 413, "request too large");
  }
  if (!form || !request.is_multipart_form_data() || !CookieMatches(request)) {
    Note(request, {0, Drain(request, reader, limit), {}});
    if (!form) return Answer(response, 404, "no such form");
    if (!request.is_multipart_form_data()) return Answer(response, 415, "multipart form expected");
    return Answer(response, 403, "wrong cookie or form key");
  }

  auto folder = store.NewStagingFolder();
  if (!folder) {
    Note(request, {0, Drain(request, reader, limit), {}});
    return Answer(response, 500, "cannot store files");
  }
  StagedUpload upload(*folder, limit);
  bool complete = reader(
      [&](const httplib::MultipartFormData& part) {
        return upload.BeginPart(part.name, part.filename);
      },
      [&](const char* data, std::size_t length) { return upload.Append(data, length); });
  complete = upload.Finish() && complete;
  Note(request, {0, upload.ContentBytes(), {}});
  if (auto refusal = StreamRefusal()) return Answer(response, refusal->first, refusal->second);
  switch (upload.Fault()) {
    case UploadFault::None:
      break;
    case UploadFault::TooLarge:
      return Answer(response, 413, "request too large");
    case UploadFault::TooManyFiles:
      return Answer(response, 413, "too many files");
    case UploadFault::CannotWrite:
      return Answer(response, 500, "cannot store files");
  }
  if (!complete) return Answer(response, 400, "malformed multipart body");
  if (!FormKeyMatches(upload)) return Answer(response, 403, "wrong cookie or form key");
  if (upload.Files().empty()) return Answer(response, 400, "no file in the post");

  auto kept = store.Keep(upload.Files());
  if (!kept) return Answer(response, 500, "cannot store files");
  Note(request, {kept->size(), upload.ContentBytes(), {}});
  response.status = 200;
  response.set_content(ReplyLines(*form, *kept), "text/plain");
}

void EmbeddedSite::Impl::HandleGet(const httplib::Request& request, httplib::Response& response) {
  auto path = store.Find(request.matches[1].str(), request.matches[2].str());
  int fd = path ? ::open(path->c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC) : -1;
  struct stat info {};
  if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
    ::close(fd);
    fd = -1;
  }
  if (fd < 0) return Answer(response, 404, "no such file");

  auto file = std::shared_ptr<int>(new int(fd), [](int* owned) {
    ::close(*owned);
    delete owned;
  });
  const auto size = static_cast<std::size_t>(info.st_size);
  Note(request, {0, 0, size});
  response.status = request.ranges.empty() ? 200 : 206;
  response.set_content_provider(
      size, std::string(ContentTypeFor(*path)),
      [file](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        char block[kServeBlockSize];
        ssize_t got =
            ::pread(*file, block, std::min(length, sizeof block), static_cast<off_t>(offset));
        // A file that shrank while being served ends the connection early.
        return got > 0 && sink.write(block, static_cast<std::size_t>(got));
      });
}

void EmbeddedSite::Impl::Note(const httplib::Request& request, RequestNote note) {
  std::lock_guard lock(notesMutex);
  notes[&request] = note;
}

void EmbeddedSite::Impl::Log(const httplib::Request& request, const httplib::Response& response) {
  RequestNote note{0, request.body.size(), {}};
  {
    std::lock_guard lock(notesMutex);
    if (auto it = notes.find(&request); it != notes.end()) {
      note = it->second;
      notes.erase(it);
    }
  }
  if (!note.sent) note.sent = response.body.size();
  LogLine(request.method, EscapeForLog(request.path, kMaxLoggedPathLength), response.status, note);
}

void EmbeddedSite::Impl::LogLine(std::string_view method, std::string_view path, int status,
                                 RequestNote note) {
  std::string line = std::string(method) + " " + std::string(path) + " " + std::to_string(status) +
                     " files=" + std::to_string(note.filesStored) +
                     " received=" + std::to_string(note.received) +
                     " sent=" + std::to_string(note.sent.value_or(0));
  std::lock_guard lock(logMutex);
  if (options.log) {
    options.log(line);
  } else {
    std::cout << line << std::endl;
  }
}

EmbeddedSite::EmbeddedSite(SiteOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}

EmbeddedSite::~EmbeddedSite() { Stop(); }

SiteStart EmbeddedSite::Start() { return impl_->Start(); }

void EmbeddedSite::Stop() { impl_->Stop(); }

bool EmbeddedSite::Running() const { return impl_->port != 0; }

int EmbeddedSite::Port() const { return impl_->port; }

std::string EmbeddedSite::Address() const {
  int port = impl_->port;
  return port == 0 ? std::string() : "http://127.0.0.1:" + std::to_string(port) + "/";
}

std::string EmbeddedSite::PostUrl(PostForm form) const {
  std::string address = Address();
  if (address.empty()) return address;
  std::string_view path = form == PostForm::Picture ? kPicturePostPath : kProfilePostPath;
  return address + std::string(path.substr(1));
}

std::vector<StoredFile> EmbeddedSite::Stored() const { return impl_->store.Stored(); }

}  // namespace varn::host
