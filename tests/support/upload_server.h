// A real HTTP server on 127.0.0.1 for upload tests. cpp-httplib parses each
// request (headers, multipart parts) and answers with the configured status
// and body; in front of it a byte relay keeps the exact bytes every
// connection sent, so tests can check header lines in order and the body's
// length as received, and can make the server drop a connection mid-body.
// Link the CMake target varn_upload_server.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace varn::test {

// One part of a multipart body as the server's parser saw it.
struct UploadPart {
  std::string name;
  std::string fileName;
  std::string contentType;
  std::string bytes;
};

// One request as cpp-httplib parsed it.
struct ParsedUpload {
  std::string method;
  std::string target;
  httplib::Headers headers;
  std::vector<UploadPart> parts;
  bool bodyComplete = false;

  bool HasHeader(const std::string& name) const { return headers.count(name) > 0; }
  std::size_t HeaderCount(const std::string& name) const { return headers.count(name); }
  std::string Header(const std::string& name) const {
    auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second;
  }
  const UploadPart* Part(const std::string& name) const {
    for (const UploadPart& part : parts) {
      if (part.name == name) return &part;
    }
    return nullptr;
  }
};

// The bytes one connection sent, exactly.
struct RawRequest {
  std::string bytes;

  std::size_t HeaderEnd() const {
    std::size_t end = bytes.find("\r\n\r\n");
    return end == std::string::npos ? bytes.size() : end + 4;
  }
  // The request line and the header lines, in the order sent, without line ends.
  std::vector<std::string> HeadLines() const {
    std::vector<std::string> lines;
    std::string_view head(bytes.data(), HeaderEnd());
    while (!head.empty()) {
      std::size_t end = head.find("\r\n");
      if (end == std::string_view::npos) end = head.size();
      if (end > 0) lines.emplace_back(head.substr(0, end));
      head.remove_prefix(std::min(head.size(), end + 2));
    }
    return lines;
  }
  std::string RequestLine() const {
    auto lines = HeadLines();
    return lines.empty() ? std::string() : lines.front();
  }
  std::string Body() const { return bytes.substr(HeaderEnd()); }
  // The value of the first header line of that name (case-sensitive, as sent).
  std::optional<std::string> HeaderValue(const std::string& name) const {
    const std::string prefix = name + ":";
    for (const std::string& line : HeadLines()) {
      if (line.compare(0, prefix.size(), prefix) == 0) {
        std::string value = line.substr(prefix.size());
        if (!value.empty() && value.front() == ' ') value.erase(0, 1);
        return value;
      }
    }
    return std::nullopt;
  }
  long long DeclaredLength() const {
    auto value = HeaderValue("Content-Length");
    return value ? std::stoll(*value) : -1;
  }
};

class UploadServer {
 public:
  UploadServer() {
    server_.set_read_timeout(5, 0);
    server_.set_keep_alive_max_count(1);
    server_.Post(R"(.*)", [this](const httplib::Request& request, httplib::Response& response,
                                 const httplib::ContentReader& reader) {
      Handle(request, response, reader);
    });
    backendPort_ = server_.bind_to_any_port("127.0.0.1");
    serverThread_ = std::thread([this] { server_.listen_after_bind(); });
    OpenRelay();
    relayThread_ = std::thread([this] { RelayLoop(); });
  }
  ~UploadServer() {
    stop_ = true;
    if (relayThread_.joinable()) relayThread_.join();
    if (listenFd_ >= 0) ::close(listenFd_);
    server_.stop();
    if (serverThread_.joinable()) serverThread_.join();
  }
  UploadServer(const UploadServer&) = delete;
  UploadServer& operator=(const UploadServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:<port>/<objectName>" as an automation string.
  std::u16string Url(std::string_view objectName = "upload") const {
    std::string url = "http://127.0.0.1:" + std::to_string(port_) + "/" + std::string(objectName);
    return std::u16string(url.begin(), url.end());
  }

  void SetReply(int status, std::string body) {
    std::lock_guard lock(mutex_);
    status_ = status;
    replyBody_ = std::move(body);
  }
  // The relay drops the connection once this many body bytes came through.
  void SetCloseAfterBodyBytes(std::size_t count) {
    std::lock_guard lock(mutex_);
    closeAfterBodyBytes_ = count;
  }

  std::vector<ParsedUpload> Uploads() const {
    std::lock_guard lock(mutex_);
    return uploads_;
  }
  std::vector<RawRequest> RawRequests() const {
    std::lock_guard lock(mutex_);
    return raw_;
  }
  std::size_t ConnectionCount() const {
    std::lock_guard lock(mutex_);
    return raw_.size();
  }

 private:
  void Handle(const httplib::Request& request, httplib::Response& response,
              const httplib::ContentReader& reader) {
    ParsedUpload upload;
    upload.method = request.method;
    upload.target = request.target;
    upload.headers = request.headers;
    if (request.is_multipart_form_data()) {
      upload.bodyComplete = reader(
          [&](const httplib::MultipartFormData& header) {
            upload.parts.push_back({header.name, header.filename, header.content_type, {}});
            return true;
          },
          [&](const char* data, std::size_t length) {
            if (!upload.parts.empty()) upload.parts.back().bytes.append(data, length);
            return true;
          });
    } else {
      upload.bodyComplete = reader([](const char*, std::size_t) { return true; });
    }
    std::lock_guard lock(mutex_);
    uploads_.push_back(std::move(upload));
    response.status = status_;
    response.set_content(replyBody_, "text/plain");
  }

  void OpenRelay() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listenFd_, 8);
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }

  void RelayLoop() {
    while (!stop_) {
      pollfd listening{listenFd_, POLLIN, 0};
      if (::poll(&listening, 1, 50) <= 0) continue;
      int client = ::accept(listenFd_, nullptr, nullptr);
      if (client < 0) continue;
      std::size_t index;
      {
        std::lock_guard lock(mutex_);
        index = raw_.size();
        raw_.emplace_back();
      }
      Relay(client, index);
      ::close(client);
    }
  }

  int ConnectBackend() const {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(backendPort_));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      ::close(fd);
      return -1;
    }
    return fd;
  }

  static bool SendAll(int fd, const char* data, std::size_t length) {
    while (length > 0) {
      ssize_t sent = ::send(fd, data, length, MSG_NOSIGNAL);
      if (sent <= 0) return false;
      data += sent;
      length -= static_cast<std::size_t>(sent);
    }
    return true;
  }

  // Appends what the client sent; true when the connection should be dropped.
  bool Record(std::size_t index, const char* data, std::size_t length) {
    std::lock_guard lock(mutex_);
    RawRequest& raw = raw_[index];
    raw.bytes.append(data, length);
    if (!closeAfterBodyBytes_) return false;
    std::size_t end = raw.bytes.find("\r\n\r\n");
    return end != std::string::npos && raw.bytes.size() - (end + 4) >= *closeAfterBodyBytes_;
  }

  void Relay(int client, std::size_t index) {
    int backend = ConnectBackend();
    if (backend < 0) return;
    bool clientOpen = true;
    char buffer[16384];
    while (!stop_) {
      pollfd fds[2] = {{client, static_cast<short>(clientOpen ? POLLIN : 0), 0},
                       {backend, POLLIN, 0}};
      if (::poll(fds, 2, 50) <= 0) continue;
      if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
        ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) {
          clientOpen = false;
          ::shutdown(backend, SHUT_WR);
        } else {
          bool drop = Record(index, buffer, static_cast<std::size_t>(got));
          if (drop || !SendAll(backend, buffer, static_cast<std::size_t>(got))) break;
        }
      }
      if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
        ssize_t got = ::recv(backend, buffer, sizeof buffer, 0);
        if (got <= 0 || !SendAll(client, buffer, static_cast<std::size_t>(got))) break;
      }
    }
    ::close(backend);
  }

  httplib::Server server_;
  std::thread serverThread_;
  std::thread relayThread_;
  std::atomic<bool> stop_{false};
  int backendPort_ = -1;
  int listenFd_ = -1;
  int port_ = -1;

  mutable std::mutex mutex_;
  int status_ = 200;
  std::string replyBody_;
  std::optional<std::size_t> closeAfterBodyBytes_;
  std::vector<ParsedUpload> uploads_;
  std::vector<RawRequest> raw_;
};

}  // namespace varn::test
