// cpp-httplib's server with a front of our own for clients that do not play
// fair. The library reads a request's head without limits and restarts its
// read time-out with every byte, on a fixed pool of threads; here every
// connection gets a thread of its own up to a limit, and its stream holds the
// head to a size and a count of lines, the body to a size, and the whole
// exchange to one deadline. Stop ends every connection at once.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

namespace varn::host {

struct ConnectionLimits {
  std::chrono::milliseconds requestTime{60000};  // head, body and answer together
  std::chrono::milliseconds idleTime{5000};      // the longest wait for one more byte
  std::size_t maxConnections = 128;
  std::size_t maxHeaderFields = 100;
  std::size_t maxHeadBytes = 64 * 1024;  // request line and header fields
  uint64_t maxBodyBytes = uint64_t{64} << 20;
};

// Why a connection's stream stopped reading before the client ended.
enum class StreamFault { None, HeadTooLarge, BodyTooLarge, TimedOut, Stopped };

// Where the head of a request ends: the bytes up to and with the blank line,
// read as the library reads it (lines end with '\n'; the blank one is
// "\r\n"), or why it can not be taken. A scan goes on from where the last
// one stopped, so a head that arrives a byte at a time is read once.
struct HeadScan {
  std::size_t length = 0;  // 0: not complete yet
  bool tooLarge = false;
  std::size_t scanned = 0;  // the lines before this were counted
  std::size_t lines = 0;
};
void ScanHead(std::string_view bytes, std::size_t maxHeaderFields, std::size_t maxHeadBytes,
              HeadScan& scan);

// A log line's text from the wire: every byte outside printable ASCII, and
// the backslash, as \xNN, cut to maxLength bytes of the original.
std::string EscapeForLog(std::string_view text, std::size_t maxLength);

// The stream of one connection; the library reads and writes through it.
class GuardedStream final : public httplib::Stream {
 public:
  GuardedStream(int socket, const ConnectionLimits& limits, const std::atomic<bool>& stopping);

  // Reads until the head is complete; false with Fault() set when it is not.
  bool ReadHead();
  // What came so far, from the request line on, while the head is read.
  std::string_view Received() const { return buffer_; }
  StreamFault Fault() const { return fault_; }
  uint64_t BodyBytes() const { return bodyBytes_; }
  // Writes a whole short answer of our own, closing the connection.
  void Answer(int status, std::string_view reason, std::string_view text);
  std::size_t Sent() const { return sent_; }

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  int socket() const override { return socket_; }

 private:
  // Waits for the socket within the idle time and the deadline.
  bool Wait(short events) const;
  bool Fill();
  void Fail(StreamFault fault);

  int socket_;
  const ConnectionLimits& limits_;
  const std::atomic<bool>& stopping_;
  std::chrono::steady_clock::time_point deadline_;
  std::string buffer_;  // received and not yet handed to the library
  std::size_t offset_ = 0;
  uint64_t headLength_ = 0;
  uint64_t headHanded_ = 0;
  uint64_t bodyBytes_ = 0;
  std::size_t sent_ = 0;
  StreamFault fault_ = StreamFault::None;
};

// The connections being served, so that Stop can end them.
class ConnectionSet {
 public:
  // False once stopping: the connection is closed at once.
  bool Add(int socket);
  void Remove(int socket);
  // Shuts every connection down; reads and writes on them end at once.
  void StopAll();
  const std::atomic<bool>& Stopping() const { return stopping_; }

 private:
  std::mutex mutex_;
  std::set<int> sockets_;
  std::atomic<bool> stopping_{false};
};

class GuardedServer final : public httplib::Server {
 public:
  // Logs a request the library never saw: method, target, status, bytes sent.
  using RefusalLog = std::function<void(std::string_view method, std::string_view target,
                                        int status, std::size_t sent)>;

  GuardedServer(ConnectionLimits limits, RefusalLog refusalLog);

  // After binding: the library listens with a queue of 5, so a burst of
  // clients would wait for the kernel's retry of their connection.
  void WidenListenQueue();
  // Ends every connection at once; the library's stop ends the listening.
  void StopAll();

  // The stream of the request this thread serves: the library runs a
  // request's handlers and logger on the thread that read it.
  static GuardedStream* Current();

 private:
  bool process_and_close_socket(int socket) override;

  ConnectionLimits limits_;
  RefusalLog refusalLog_;
  ConnectionSet connections_;
};

}  // namespace varn::host
