#include "platform/http/http_post.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <span>
#include <string>

#include "tests/support/upload_server.h"

namespace varn::http {
namespace {

using Clock = std::chrono::steady_clock;

std::span<const std::byte> Bytes(const std::string& text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

// Accepts connections (the kernel does, from its backlog) and never answers.
class SilentListener {
 public:
  SilentListener() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(fd_, 4);
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SilentListener() { ::close(fd_); }
  uint16_t Port() const { return port_; }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

HttpTarget Local(uint16_t port, HttpScheme scheme = HttpScheme::Http) {
  return HttpTarget{scheme, "127.0.0.1", port, "upload"};
}

TEST(HttpPostRequest, AServerThatNeverAnswersFailsAfterTheStallTime) {
  SilentListener listener;
  HttpPostRequest request;
  ASSERT_TRUE(request.Open(Local(listener.Port()), "agent", {"Content-Length: 4"}, nullptr, 4,
                           HttpTimeouts{5, 1}));
  auto start = Clock::now();
  EXPECT_TRUE(request.Write(Bytes("body")));
  EXPECT_EQ(request.FinishAndReadStatus(), 0);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
  std::byte block[16];
  EXPECT_EQ(request.ReadReply(block), 0u);
}

TEST(HttpPostRequest, HttpsIsNeverSentInClear) {
  test::UploadServer server;
  HttpPostRequest request;
  ASSERT_TRUE(request.Open(Local(static_cast<uint16_t>(server.Port()), HttpScheme::Https), "agent",
                           {"Content-Length: 4"}, nullptr, 4, HttpTimeouts{5, 5}));
  bool written = request.Write(Bytes("body"));
  EXPECT_FALSE(written && request.FinishAndReadStatus() == 200);
  auto raw = server.RawRequests();
  ASSERT_FALSE(raw.empty());
  // A TLS handshake record, not a request line.
  ASSERT_FALSE(raw[0].bytes.empty());
  EXPECT_EQ(raw[0].bytes[0], '\x16');
  EXPECT_EQ(raw[0].bytes.find("POST"), std::string::npos);
}

TEST(HttpPostRequest, RefusesValuesThatWouldBreakTheRequest) {
  HttpPostRequest request;
  std::string badCookie = "a\nb";
  EXPECT_FALSE(request.Open(Local(80), "agent", {}, &badCookie, 1));
  EXPECT_FALSE(request.Open(Local(80), "agent", {"X: a\r\nY: b"}, nullptr, 1));
  EXPECT_FALSE(request.Open(Local(80), "agent\r\n", {}, nullptr, 1));
  for (const char* host : {"", "a@b", "a/b", "a b", "[::1", "[zz]"}) {
    EXPECT_FALSE(request.Open(HttpTarget{HttpScheme::Http, host, 80, "x"}, "agent", {}, nullptr, 1))
        << host;
  }
}

TEST(HttpPostRequest, NeverSendsMoreThanTheDeclaredLength) {
  test::UploadServer server;
  HttpPostRequest request;
  ASSERT_TRUE(request.Open(Local(static_cast<uint16_t>(server.Port())), "agent",
                           {"Content-Type: text/plain", "Content-Length: 3"}, nullptr, 3));
  EXPECT_FALSE(request.Write(Bytes("four")));
  EXPECT_TRUE(request.Write(Bytes("abc")));
  EXPECT_FALSE(request.Write(Bytes("d")));
  EXPECT_EQ(request.FinishAndReadStatus(), 200);
  auto raw = server.RawRequests();
  ASSERT_EQ(raw.size(), 1u);
  EXPECT_EQ(raw[0].Body(), "abc");
}

}  // namespace
}  // namespace varn::http
