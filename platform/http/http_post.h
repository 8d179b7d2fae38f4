// A single HTTP POST whose body the caller streams in pieces of its own
// choosing and whose reply it reads back in blocks, over libcurl. Stands in
// for the request handles of the upload: open, send the declared length,
// read the status, read the reply, close. Nothing here throws.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace varn::http {

enum class HttpScheme { Http, Https };

// Where a request goes. objectName is the request target without its leading
// slash, query included, in the bytes of the upload's text encoding; bytes
// that cannot stand in a request line (controls, space, non-ASCII) are sent
// percent-encoded.
struct HttpTarget {
  HttpScheme scheme = HttpScheme::Http;
  std::string host;
  uint16_t port = 80;
  std::string objectName;
};

// The limits of one exchange, as values so that tests can use short ones.
// The connection, TLS handshake included, must be made within connect. From
// then on the transfer fails when it moves (sent and received together) fewer
// than minBytesPerSecond on average over the last stallWindow, and when the
// reply has not ended within reply after the last body byte was taken.
// Only time spent waiting for the server counts, not the caller's own work
// between calls.
struct HttpTimeouts {
  std::chrono::milliseconds connect{60'000};
  std::chrono::milliseconds stallWindow{30'000};
  uint32_t minBytesPerSecond = 1024;
  std::chrono::milliseconds reply{60'000};
};

// The body goes to the connection in blocks of up to this many bytes: the
// size of the transfer's send buffer, which WriteFrom fills in place.
inline constexpr std::size_t kUploadBlockSize = std::size_t{64} * 1024;

// Writes the next body bytes to the start of into and returns how many (at
// least one); 0 when it has none left to give, a read error say.
using BodyFill = std::function<std::size_t(std::span<std::byte> into)>;

class HttpPostRequest {
 public:
  HttpPostRequest();
  ~HttpPostRequest();
  HttpPostRequest(const HttpPostRequest&) = delete;
  HttpPostRequest& operator=(const HttpPostRequest&) = delete;

  // Prepares a POST to target with exactly these header lines ("Name: value",
  // no line end) besides Host, the agent and the cookie, and a body of
  // exactly bodyLength bytes. The connection is made directly, never through a
  // proxy, and without "Expect: 100-continue". A cookie, even an empty one,
  // is sent as its own Cookie header. False when a value cannot go on the
  // wire (a line break in a header, a malformed host); nothing is sent then.
  bool Open(const HttpTarget& target, const std::string& agent,
            const std::vector<std::string>& headerLines, const std::string* cookie,
            uint64_t bodyLength, const HttpTimeouts& timeouts = {});

  // Sends the next body bytes; connects on the first call. False once the
  // transfer failed (connection refused or dropped, a time-out or the stall
  // rule), or when the bytes would exceed the declared length.
  bool Write(std::span<const std::byte> bytes);

  // Sends the next count body bytes, which fill writes straight into the
  // transfer's send buffer a block at a time as the connection takes them:
  // no copy of the caller's. False like Write, and when fill gives nothing
  // before count bytes went out (the transfer is then given up).
  bool WriteFrom(uint64_t count, const BodyFill& fill);

  // After the whole body: waits for the reply's status. 0 when none arrived.
  int FinishAndReadStatus();

  // Fills up to block.size() reply bytes and returns how many; 0 at the end
  // of the reply and when reading failed: ReplyComplete tells which.
  std::size_t ReadReply(std::span<std::byte> block);

  // True once the whole reply arrived and the transfer ended cleanly. A reply
  // cut short (fewer bytes than its Content-Length, a chunked body without
  // its last chunk, a reset, a stall) is not complete, whatever its status.
  bool ReplyComplete() const;

  // Releases the connection; also done by the destructor.
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace varn::http
