// A server on 127.0.0.1 that misbehaves on purpose, where cpp-httplib would
// always answer properly: it reads each request's head and declared body
// (slowly, if told to), answers with exactly the given bytes (a few at a
// time, if told to) and ends the connection the given way: closed, reset,
// or held open in silence until the client leaves.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/loopback_listener.h"

namespace varn::test {

enum class ReplyEnding { Close, Reset, Hold };

struct RawReply {
  std::string bytes;
  ReplyEnding ending = ReplyEnding::Close;
  // When set, the reply goes out this many bytes per pace.
  std::size_t replyPiece = 0;
  // When set, the body is taken this many bytes per pace, through a small
  // receive buffer, so the client's sending slows to that rate.
  std::size_t bodyPiece = 0;
  std::chrono::milliseconds pace{0};
};

class RawReplyServer {
 public:
  explicit RawReplyServer(RawReply reply) : reply_(std::move(reply)) {
    // A small receive buffer makes a slowly read body hold the sender back.
    listenFd_ = varn::testing::ListenOnLoopback(&port_, 4, reply_.bodyPiece > 0 ? 4096 : 0);
    thread_ = std::thread([this] { AcceptLoop(); });
  }
  ~RawReplyServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    ::close(listenFd_);
  }
  RawReplyServer(const RawReplyServer&) = delete;
  RawReplyServer& operator=(const RawReplyServer&) = delete;

  uint16_t Port() const { return port_; }
  std::u16string Url(std::string_view objectName = "upload") const {
    std::string url = "http://127.0.0.1:" + std::to_string(port_) + "/" + std::string(objectName);
    return std::u16string(url.begin(), url.end());
  }
  // Requests read whole, head and declared body.
  int CompleteRequests() const { return completeRequests_; }

 private:
  static constexpr int kSliceMs = 20;

  // Waits up to ms for the client to send or leave; false once it left or
  // the server stops.
  bool Wait(int fd, int ms, bool* readable) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    *readable = false;
    while (!stop_) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            end - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) return true;
      pollfd entry{fd, POLLIN, 0};
      const int ready = ::poll(&entry, 1, static_cast<int>(std::min<long>(left, kSliceMs)));
      if (ready > 0) {
        *readable = (entry.revents & POLLIN) != 0;
        return (entry.revents & (POLLERR | POLLHUP)) == 0 || *readable;
      }
    }
    return false;
  }

  // Reads up to max bytes into request; false when the client left.
  bool Take(int fd, std::string& request, std::size_t max) const {
    bool readable = false;
    if (!Wait(fd, kSliceMs, &readable)) return false;
    if (!readable) return true;
    char buffer[16384];
    const ssize_t got = ::recv(fd, buffer, std::min(max, sizeof buffer), 0);
    if (got <= 0) return false;
    request.append(buffer, static_cast<std::size_t>(got));
    return true;
  }

  static std::size_t DeclaredLength(const std::string& head) {
    const std::size_t at = head.find("\r\nContent-Length: ");
    return at == std::string::npos ? 0 : std::strtoull(head.c_str() + at + 18, nullptr, 10);
  }

  bool ReadRequest(int fd) const {
    std::string request;
    std::size_t headEnd;
    while ((headEnd = request.find("\r\n\r\n")) == std::string::npos) {
      if (stop_ || !Take(fd, request, 1)) return false;
    }
    const std::size_t total = headEnd + 4 + DeclaredLength(request);
    while (request.size() < total) {
      if (stop_) return false;
      const std::size_t left = total - request.size();
      if (reply_.bodyPiece == 0) {
        if (!Take(fd, request, left)) return false;
        continue;
      }
      const std::size_t before = request.size();
      while (request.size() - before < std::min(left, reply_.bodyPiece)) {
        if (stop_ || !Take(fd, request, left - (request.size() - before))) return false;
      }
      std::this_thread::sleep_for(reply_.pace);
    }
    return true;
  }

  void SendReply(int fd) const {
    std::size_t sent = 0;
    const std::size_t piece = reply_.replyPiece == 0 ? reply_.bytes.size() : reply_.replyPiece;
    while (sent < reply_.bytes.size() && !stop_) {
      const std::size_t count = std::min(piece, reply_.bytes.size() - sent);
      if (::send(fd, reply_.bytes.data() + sent, count, MSG_NOSIGNAL) !=
          static_cast<ssize_t>(count)) {
        return;
      }
      sent += count;
      if (sent < reply_.bytes.size() && reply_.pace.count() > 0) {
        bool readable = false;
        if (!Wait(fd, static_cast<int>(reply_.pace.count()), &readable)) return;
      }
    }
  }

  void End(int fd) const {
    if (reply_.ending == ReplyEnding::Reset) {
      linger hard{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    } else if (reply_.ending == ReplyEnding::Hold) {
      std::string ignored;
      while (!stop_ && Take(fd, ignored, 1)) ignored.clear();
    }
    ::close(fd);
  }

  void AcceptLoop() {
    while (!stop_) {
      pollfd listening{listenFd_, POLLIN, 0};
      if (::poll(&listening, 1, kSliceMs) <= 0) continue;
      const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      if (ReadRequest(client)) {
        ++completeRequests_;
        SendReply(client);
      }
      End(client);
    }
  }

  const RawReply reply_;
  int listenFd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> completeRequests_{0};
  std::thread thread_;
};

}  // namespace varn::test
