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

#include "tests/support/raw_reply_server.h"
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
  SilentListener() { fd_ = varn::testing::ListenOnLoopback(&port_); }
  ~SilentListener() { ::close(fd_); }
  uint16_t Port() const { return port_; }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

HttpTarget Local(uint16_t port, HttpScheme scheme = HttpScheme::Http) {
  return HttpTarget{scheme, "127.0.0.1", port, "upload"};
}

// What one whole exchange came to, and how long it took.
struct Outcome {
  bool ok = false;
  std::string reply;
  Clock::duration took{};
};

Outcome Exchange(HttpTarget target, const std::string& body, const HttpTimeouts& timeouts) {
  HttpPostRequest request;
  const std::vector<std::string> headers = {"Content-Length: " + std::to_string(body.size())};
  EXPECT_TRUE(request.Open(target, "agent", headers, nullptr, body.size(), timeouts));
  Outcome outcome;
  const auto start = Clock::now();
  if (request.Write(Bytes(body)) && request.FinishAndReadStatus() == 200) {
    std::byte block[256];
    while (std::size_t got = request.ReadReply(block)) {
      outcome.reply.append(reinterpret_cast<const char*>(block), got);
    }
    outcome.ok = request.ReplyComplete();
  }
  outcome.took = Clock::now() - start;
  return outcome;
}

// Short limits of the same shape as the real ones.
HttpTimeouts Quick() {
  using std::chrono::milliseconds;
  return HttpTimeouts{milliseconds(5000), milliseconds(500), 1024, milliseconds(5000)};
}

std::string Head(std::size_t contentLength) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(contentLength) + "\r\n\r\n";
}

TEST(HttpPostRequest, AServerThatNeverAnswersFailsAfterTheStallTime) {
  SilentListener listener;
  HttpPostRequest request;
  ASSERT_TRUE(
      request.Open(Local(listener.Port()), "agent", {"Content-Length: 4"}, nullptr, 4, Quick()));
  auto start = Clock::now();
  EXPECT_TRUE(request.Write(Bytes("body")));
  EXPECT_EQ(request.FinishAndReadStatus(), 0);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
  std::byte block[16];
  EXPECT_EQ(request.ReadReply(block), 0u);
}

TEST(HttpPostRequest, SlowOrSilentServersFailWithinTheStallWindow) {
  using std::chrono::milliseconds;
  const std::string trickled = Head(1000) + std::string(1000, 'r');
  struct Case {
    const char* name;
    test::RawReply reply;
    std::size_t bodyBytes;
  } cases[] = {
      {"silent after the body", {"", test::ReplyEnding::Hold}, 64 * 1024},
      {"silent mid-reply", {Head(100) + "[(a|b|c|d|e)]", test::ReplyEnding::Hold}, 16},
      // 400 bytes a second: alive, but below the rate.
      {"reply trickling", {trickled, test::ReplyEnding::Close, 20, 0, milliseconds(50)}, 16},
      // 800 bytes a second taken from a body of 1 MB.
      {"body taken slowly",
       {Head(0), test::ReplyEnding::Close, 0, 40, milliseconds(50)},
       1024 * 1024},
  };
  for (const Case& c : cases) {
    test::RawReplyServer server(c.reply);
    const Outcome outcome = Exchange(Local(server.Port()), std::string(c.bodyBytes, 'b'), Quick());
    EXPECT_FALSE(outcome.ok) << c.name;
    EXPECT_LT(outcome.took, std::chrono::milliseconds(2500)) << c.name;
  }
  // The same limits leave a prompt server alone, with a large body too.
  test::RawReplyServer prompt({Head(2) + "ok"});
  const Outcome outcome = Exchange(Local(prompt.Port()), std::string(1024 * 1024, 'b'), Quick());
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.reply, "ok");
}

TEST(HttpPostRequest, AReplyThatOutlastsItsTimeFails) {
  // 2 KB a second, fast enough for the stall rule, for four seconds.
  test::RawReplyServer server({Head(8000) + std::string(8000, 'r'), test::ReplyEnding::Close, 40, 0,
                               std::chrono::milliseconds(20)});
  HttpTimeouts timeouts = Quick();
  timeouts.reply = std::chrono::milliseconds(1000);
  const Outcome outcome = Exchange(Local(server.Port()), "body", timeouts);
  EXPECT_FALSE(outcome.ok);
  EXPECT_LT(outcome.took, std::chrono::milliseconds(2500));
}

TEST(HttpPostRequest, ATlsHandshakeThatNeverEndsFailsWithinTheConnectTime) {
  test::RawReplyServer server({"", test::ReplyEnding::Hold});
  HttpTimeouts timeouts;
  timeouts.connect = std::chrono::milliseconds(500);
  const Outcome outcome = Exchange(Local(server.Port(), HttpScheme::Https), "body", timeouts);
  EXPECT_FALSE(outcome.ok);
  EXPECT_LT(outcome.took, std::chrono::milliseconds(1500));
}

TEST(HttpPostRequest, HttpsIsNeverSentInClear) {
  test::UploadServer server;
  HttpPostRequest request;
  ASSERT_TRUE(request.Open(Local(static_cast<uint16_t>(server.Port()), HttpScheme::Https), "agent",
                           {"Content-Length: 4"}, nullptr, 4, Quick()));
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
