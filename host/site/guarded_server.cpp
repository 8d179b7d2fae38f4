#include "host/site/guarded_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <thread>
#include <utility>
#include <vector>

namespace varn::host {
namespace {

constexpr std::size_t kReceiveBlock = 16 * 1024;
constexpr std::chrono::milliseconds kAnswerGrace{1000};
constexpr std::size_t kMaxLoggedTarget = 200;

thread_local GuardedStream* tCurrentStream = nullptr;
// Set while a connection past the limit is refused on the listening thread.
thread_local bool tRefuseConnection = false;

// A thread for every connection, up to a limit; one more is answered 503 on
// the listening thread instead of waiting behind slow ones.
class ConnectionPool final : public httplib::TaskQueue {
 public:
  explicit ConnectionPool(std::size_t limit) : limit_(limit) {}
  ~ConnectionPool() override = default;

  void enqueue(std::function<void()> job) override {
    {
      std::lock_guard lock(mutex_);
      if (busy_ < limit_) {
        ++busy_;
        jobs_.push_back(std::move(job));
        // Every waiting thread takes one job; past them a new thread is needed.
        if (jobs_.size() > waiting_) threads_.emplace_back([this] { Work(); });
        wake_.notify_one();
        return;
      }
    }
    tRefuseConnection = true;
    job();
    tRefuseConnection = false;
  }

  void shutdown() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
  }

 private:
  void Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      ++waiting_;
      wake_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
      --waiting_;
      if (jobs_.empty()) return;
      std::function<void()> job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      job = nullptr;
      lock.lock();
      --busy_;
    }
  }

  const std::size_t limit_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  std::vector<std::thread> threads_;
  std::size_t busy_ = 0;
  std::size_t waiting_ = 0;
  bool stopping_ = false;
};

void AddressOf(int socket, bool peer, std::string& ip, int& port) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  int got = peer ? ::getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length)
                 : ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
  if (got != 0 || address.ss_family != AF_INET) return;
  const auto* in = reinterpret_cast<const sockaddr_in*>(&address);
  char text[INET_ADDRSTRLEN] = {};
  if (::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) != nullptr) ip = text;
  port = ntohs(in->sin_port);
}

// The method and target of a request line, as far as it came.
std::pair<std::string_view, std::string_view> RequestLineParts(std::string_view head) {
  std::string_view line = head.substr(0, head.find('\n'));
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::size_t space = line.find(' ');
  if (space == std::string_view::npos) return {line, {}};
  std::string_view rest = line.substr(space + 1);
  return {line.substr(0, space), rest.substr(0, rest.find(' '))};
}

}  // namespace

void ScanHead(std::string_view bytes, std::size_t maxHeaderFields, std::size_t maxHeadBytes,
              HeadScan& scan) {
  for (std::size_t end; (end = bytes.find('\n', scan.scanned)) != std::string_view::npos;
       scan.scanned = end + 1) {
    std::string_view line = bytes.substr(scan.scanned, end + 1 - scan.scanned);
    if (scan.lines > 0 && line == "\r\n") {
      scan.length = end + 1;
      scan.tooLarge = scan.length > maxHeadBytes;
      return;
    }
    if (scan.lines++ > maxHeaderFields) {
      scan.tooLarge = true;
      return;
    }
  }
  scan.tooLarge = bytes.size() > maxHeadBytes;
}

std::string EscapeForLog(std::string_view text, std::size_t maxLength) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string escaped;
  for (char c : text.substr(0, maxLength)) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
      escaped += c;
    } else {
      escaped += "\\x";
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 0xf];
    }
  }
  if (text.size() > maxLength) escaped += "...";
  return escaped;
}

GuardedStream::GuardedStream(int socket, const ConnectionLimits& limits,
                             const std::atomic<bool>& stopping)
    : socket_(socket),
      limits_(limits),
      stopping_(stopping),
      deadline_(std::chrono::steady_clock::now() + limits.requestTime) {}

void GuardedStream::Fail(StreamFault fault) {
  if (fault_ == StreamFault::None) fault_ = fault;
  // Time enough for a short answer that tells why.
  deadline_ = std::chrono::steady_clock::now() + std::min(kAnswerGrace, limits_.requestTime);
}

bool GuardedStream::Wait(short events) const {
  if (stopping_) return false;
  auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline_ - std::chrono::steady_clock::now());
  auto wait = std::min(remaining, limits_.idleTime);
  if (wait.count() <= 0) return false;
  pollfd watched{socket_, events, 0};
  int ready;
  do {
    ready = ::poll(&watched, 1, static_cast<int>(wait.count()));
  } while (ready < 0 && errno == EINTR);
  return ready > 0 && !stopping_;
}

bool GuardedStream::Fill() {
  if (!Wait(POLLIN)) {
    Fail(stopping_ ? StreamFault::Stopped : StreamFault::TimedOut);
    return false;
  }
  if (offset_ > 0 && offset_ == buffer_.size()) {
    buffer_.clear();
    offset_ = 0;
  }
  char block[kReceiveBlock];
  ssize_t got;
  do {
    got = ::recv(socket_, block, sizeof block, MSG_DONTWAIT);
  } while (got < 0 && errno == EINTR);
  if (got <= 0) return false;
  buffer_.append(block, static_cast<std::size_t>(got));
  return true;
}

bool GuardedStream::ReadHead() {
  HeadScan scan;
  for (;;) {
    ScanHead(buffer_, limits_.maxHeaderFields, limits_.maxHeadBytes, scan);
    if (scan.tooLarge) {
      Fail(StreamFault::HeadTooLarge);
      return false;
    }
    if (scan.length > 0) {
      headLength_ = scan.length;
      return true;
    }
    if (!Fill()) return false;
  }
}

bool GuardedStream::is_readable() const { return offset_ < buffer_.size() || Wait(POLLIN); }

bool GuardedStream::is_writable() const { return Wait(POLLOUT); }

ssize_t GuardedStream::read(char* ptr, size_t size) {
  if (fault_ != StreamFault::None) return -1;
  if (offset_ == buffer_.size() && !Fill()) return -1;
  std::size_t count = std::min(size, buffer_.size() - offset_);
  // Everything past the head is body, whatever its framing.
  uint64_t headLeft = headLength_ > headHanded_ ? headLength_ - headHanded_ : 0;
  uint64_t body = count > headLeft ? count - headLeft : 0;
  if (body > limits_.maxBodyBytes - bodyBytes_) {
    Fail(StreamFault::BodyTooLarge);
    return -1;
  }
  bodyBytes_ += body;
  headHanded_ += count - body;
  std::copy_n(buffer_.data() + offset_, count, ptr);
  offset_ += count;
  return static_cast<ssize_t>(count);
}

ssize_t GuardedStream::write(const char* ptr, size_t size) {
  if (!Wait(POLLOUT)) return -1;
  ssize_t sent;
  do {
    sent = ::send(socket_, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (sent < 0 && errno == EINTR);
  return sent;
}

void GuardedStream::Answer(int status, std::string_view reason, std::string_view text) {
  std::string body = std::string(text) + "\n";
  std::string answer =
      "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) +
      "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
      "\r\nConnection: close\r\n\r\n" + body;
  std::size_t done = 0;
  while (done < answer.size()) {
    ssize_t sent = write(answer.data() + done, answer.size() - done);
    if (sent <= 0) return;
    done += static_cast<std::size_t>(sent);
  }
  sent_ = body.size();
}

void GuardedStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  AddressOf(socket_, true, ip, port);
}

void GuardedStream::get_local_ip_and_port(std::string& ip, int& port) const {
  AddressOf(socket_, false, ip, port);
}

bool ConnectionSet::Add(int socket) {
  std::lock_guard lock(mutex_);
  if (stopping_) return false;
  sockets_.insert(socket);
  return true;
}

void ConnectionSet::Remove(int socket) {
  std::lock_guard lock(mutex_);
  sockets_.erase(socket);
}

void ConnectionSet::StopAll() {
  std::lock_guard lock(mutex_);
  stopping_ = true;
  // Under the lock: a socket is removed before it is closed, so no number
  // here can belong to another file yet.
  for (int socket : sockets_) ::shutdown(socket, SHUT_RDWR);
}

GuardedServer::GuardedServer(ConnectionLimits limits, RefusalLog refusalLog)
    : limits_(limits), refusalLog_(std::move(refusalLog)) {
  new_task_queue = [limit = limits_.maxConnections] { return new ConnectionPool(limit); };
}

void GuardedServer::WidenListenQueue() {
  ::listen(svr_sock_, static_cast<int>(std::max<std::size_t>(limits_.maxConnections, 128)));
}

void GuardedServer::StopAll() { connections_.StopAll(); }

GuardedStream* GuardedServer::Current() { return tCurrentStream; }

bool GuardedServer::process_and_close_socket(int socket) {
  bool served = false;
  if (tRefuseConnection) {
    GuardedStream stream(socket, limits_, connections_.Stopping());
    stream.Answer(503, "Service Unavailable", "too many connections");
    refusalLog_("-", "-", 503, stream.Sent());
  } else if (connections_.Add(socket)) {
    GuardedStream stream(socket, limits_, connections_.Stopping());
    if (stream.ReadHead()) {
      tCurrentStream = &stream;
      bool closed = false;
      served = process_request(stream, true, closed, nullptr);
      tCurrentStream = nullptr;
    } else if (stream.Fault() == StreamFault::HeadTooLarge ||
               stream.Fault() == StreamFault::TimedOut) {
      const bool tooLarge = stream.Fault() == StreamFault::HeadTooLarge;
      if (tooLarge) {
        stream.Answer(431, "Request Header Fields Too Large", "request header fields too large");
      } else {
        stream.Answer(408, "Request Timeout", "request too slow");
      }
      auto [method, target] = RequestLineParts(stream.Received());
      refusalLog_(EscapeForLog(method, kMaxLoggedTarget), EscapeForLog(target, kMaxLoggedTarget),
                  tooLarge ? 431 : 408, stream.Sent());
    }
    connections_.Remove(socket);
  }
  ::shutdown(socket, SHUT_RDWR);
  ::close(socket);
  return served;
}

}  // namespace varn::host
