#include "platform/http/http_post.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <string_view>

namespace varn::http {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The reply is handed out in blocks; curl is held back once this much waits.
constexpr std::size_t kReplyBufferLimit = std::size_t{64} * 1024;
// The rules are checked at least this often: a tenth of the stall window,
// within these bounds.
constexpr milliseconds kShortestPoll{5};
constexpr milliseconds kLongestPoll{1000};

void EnsureCurlStarted() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_';
}

// A name or an IPv4 address, or an IPv6 address in brackets; anything else
// could make the URL mean another host (user info, a fragment...).
bool IsValidHost(std::string_view host) {
  if (host.empty()) return false;
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    std::string_view inner = host.substr(1, host.size() - 2);
    return std::all_of(inner.begin(), inner.end(), [](char c) {
      return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
    });
  }
  return std::all_of(host.begin(), host.end(), IsHostCharacter);
}

std::string EncodeRequestTarget(std::string_view objectName) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string target = "/";
  for (char c : objectName) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) {
      target += '%';
      target += kHex[byte >> 4];
      target += kHex[byte & 0x0F];
    } else {
      target += c;
    }
  }
  return target;
}

}  // namespace

struct HttpPostRequest::Impl {
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* headers = nullptr;
  bool added = false;
  bool done = false;
  bool failed = false;
  bool headersDone = false;
  uint64_t bodyLength = 0;
  uint64_t bodySent = 0;
  // The caller's bytes not yet taken by curl; only set during Write.
  std::span<const std::byte> pending;
  // During WriteFrom: what fills curl's send buffer, and how much is still to come from it.
  const BodyFill* fill = nullptr;
  uint64_t fillLeft = 0;
  std::string reply;
  std::size_t replyRead = 0;

  // The stall rule and the reply's time run on the time spent waiting in
  // Pump, so the caller's own pauses between calls never count against the
  // server. curl's own low-speed check is not used: it averages over the
  // last few seconds, so it starts counting only once the last burst has
  // aged out of that average, and any trickle of a byte a second defeats it.
  HttpTimeouts timeouts;
  Clock::duration waited{};
  bool connected = false;
  // Reply bytes, head included, as they arrived; the body's count is curl's
  // own of the bytes that went out on the connection, not of those it took
  // into its send buffer, so the buffer's size leaves the rule alone.
  uint64_t received = 0;
  struct Sample {
    Clock::duration at;
    uint64_t moved;
  };
  std::deque<Sample> samples;
  std::optional<Clock::duration> replyStart;

  ~Impl() { Release(); }

  void Release() {
    if (multi && easy && added) curl_multi_remove_handle(multi, easy);
    added = false;
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
    if (headers) curl_slist_free_all(headers);
    easy = nullptr;
    multi = nullptr;
    headers = nullptr;
  }

  uint64_t Moved() const {
    curl_off_t sent = 0;
    curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &sent);
    return received + static_cast<uint64_t>(sent);
  }

  static size_t OnRead(char* buffer, size_t size, size_t count, void* user) {
    auto* self = static_cast<Impl*>(user);
    const std::size_t room = size * count;
    if (self->fill && self->fillLeft > 0) {
      const auto want = static_cast<std::size_t>(std::min<uint64_t>(room, self->fillLeft));
      const std::size_t got = (*self->fill)(std::as_writable_bytes(std::span(buffer, want)));
      // A body that ends early could only go out short: the transfer is given up.
      if (got == 0 || got > want) return CURL_READFUNC_ABORT;
      self->fillLeft -= got;
      return got;
    }
    if (self->pending.empty()) return CURL_READFUNC_PAUSE;
    std::size_t n = std::min(room, self->pending.size());
    std::memcpy(buffer, self->pending.data(), n);
    self->pending = self->pending.subspan(n);
    return n;
  }

  static size_t OnReply(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<Impl*>(user);
    if (self->reply.size() - self->replyRead >= kReplyBufferLimit) return CURL_WRITEFUNC_PAUSE;
    self->reply.erase(0, self->replyRead);
    self->replyRead = 0;
    self->reply.append(data, size * count);
    self->received += size * count;
    return size * count;
  }

  static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<Impl*>(user);
    std::string_view line(data, size * count);
    self->received += line.size();
    if (line == "\r\n" || line == "\n") {
      long code = 0;
      curl_easy_getinfo(self->easy, CURLINFO_RESPONSE_CODE, &code);
      // An interim 1xx answer is followed by the real one.
      if (code >= 200) self->headersDone = true;
    }
    return size * count;
  }

  // Called once the connection, TLS included, stands: the stall rule starts.
  static int OnConnected(void* user, char*, char*, int, int) {
    auto* self = static_cast<Impl*>(user);
    self->connected = true;
    self->samples.assign(1, Sample{self->waited, self->Moved()});
    return CURL_PREREQFUNC_OK;
  }

  bool Configure(const HttpTarget& target, const std::string& agent, const std::string* cookie,
                 const HttpTimeouts& limits) {
    std::string url = target.scheme == HttpScheme::Https ? "https://" : "http://";
    url += target.host + ":" + std::to_string(target.port) + "/";
    std::string requestTarget = EncodeRequestTarget(target.objectName);
    bool ok = curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, requestTarget.c_str()) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_POST, 1L) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                               static_cast<curl_off_t>(bodyLength)) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE,
                               static_cast<long>(kUploadBlockSize)) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str()) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_PROXY, "") == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_NOPROXY, "*") == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                               static_cast<long>(limits.connect.count())) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &Impl::OnConnected) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_PREREQDATA, this) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_READFUNCTION, &Impl::OnRead) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_READDATA, this) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Impl::OnReply) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_WRITEDATA, this) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Impl::OnHeader) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HEADERDATA, this) == CURLE_OK;
    if (ok && cookie) ok = curl_easy_setopt(easy, CURLOPT_COOKIE, cookie->c_str()) == CURLE_OK;
    return ok;
  }

  void CheckDone() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
        done = true;
        if (message->data.result != CURLE_OK) failed = true;
      }
    }
  }

  void Fail() { done = failed = true; }

  milliseconds PollTime() const {
    return std::clamp(std::chrono::duration_cast<milliseconds>(timeouts.stallWindow / 10),
                      kShortestPoll, kLongestPoll);
  }

  // Fewer bytes than the rate asks for over the last whole stall window.
  bool TooSlow() {
    if (!connected) return false;
    const uint64_t moved = Moved();
    // A sample per poll time at most keeps the window's record short.
    if (samples.empty() || waited - samples.back().at >= PollTime()) {
      samples.push_back(Sample{waited, moved});
    }
    const Clock::duration windowStart = waited - timeouts.stallWindow;
    if (samples.front().at > windowStart) return false;
    // The newest sample at or before the window's start opens the window.
    while (samples.size() > 1 && samples[1].at <= windowStart) samples.pop_front();
    const auto windowMs = static_cast<uint64_t>(timeouts.stallWindow.count());
    const uint64_t wanted = uint64_t{timeouts.minBytesPerSecond} * windowMs / 1000;
    return moved - samples.front().moved < wanted;
  }

  // Lets curl take body bytes again (adding the transfer on the first ones)
  // and drives it until taken() holds; false when it did not or the
  // transfer failed.
  template <typename Taken>
  bool Feed(Taken taken) {
    if (!added) {
      if (curl_multi_add_handle(multi, easy) != CURLM_OK) return false;
      added = true;
    }
    curl_easy_pause(easy, CURLPAUSE_CONT);
    Pump(taken);
    return taken() && !failed;
  }

  bool ReplyOverdue() const { return replyStart && waited - *replyStart >= timeouts.reply; }

  // Drives the transfer until ready() holds or the transfer has ended.
  template <typename Ready>
  void Pump(Ready ready) {
    while (!ready() && !done) {
      const Clock::time_point start = Clock::now();
      int running = 0;
      if (curl_multi_perform(multi, &running) != CURLM_OK) Fail();
      if (!done) CheckDone();
      const auto pollMs = static_cast<int>(PollTime().count());
      if (!ready() && !done && curl_multi_poll(multi, nullptr, 0, pollMs, nullptr) != CURLM_OK) {
        Fail();
      }
      waited += Clock::now() - start;
      if (!done && (TooSlow() || ReplyOverdue())) Fail();
    }
  }
};

HttpPostRequest::HttpPostRequest() = default;
HttpPostRequest::~HttpPostRequest() = default;

bool HttpPostRequest::Open(const HttpTarget& target, const std::string& agent,
                           const std::vector<std::string>& headerLines, const std::string* cookie,
                           uint64_t bodyLength, const HttpTimeouts& timeouts) {
  Close();
  if (!IsValidHost(target.host) || HasLineBreakOrNul(agent)) return false;
  if (cookie && HasLineBreakOrNul(*cookie)) return false;
  EnsureCurlStarted();
  auto impl = std::make_unique<Impl>();
  impl->bodyLength = bodyLength;
  impl->timeouts = timeouts;
  for (const std::string& line : headerLines) {
    if (HasLineBreakOrNul(line)) return false;
    curl_slist* next = curl_slist_append(impl->headers, line.c_str());
    if (!next) return false;
    impl->headers = next;
  }
  // An empty Expect header keeps curl from waiting for "100 Continue".
  curl_slist* next = curl_slist_append(impl->headers, "Expect:");
  if (!next) return false;
  impl->headers = next;
  impl->easy = curl_easy_init();
  impl->multi = curl_multi_init();
  if (!impl->easy || !impl->multi || !impl->Configure(target, agent, cookie, timeouts))
    return false;
  impl_ = std::move(impl);
  return true;
}

bool HttpPostRequest::Write(std::span<const std::byte> bytes) {
  if (!impl_ || impl_->failed || impl_->done) return false;
  if (bytes.size() > impl_->bodyLength - impl_->bodySent) return false;
  if (bytes.empty()) return true;
  impl_->pending = bytes;
  const bool taken = impl_->Feed([this] { return impl_->pending.empty(); });
  impl_->pending = {};
  if (!taken) return false;
  impl_->bodySent += bytes.size();
  return true;
}

bool HttpPostRequest::WriteFrom(uint64_t count, const BodyFill& fill) {
  if (!impl_ || impl_->failed || impl_->done) return false;
  if (count > impl_->bodyLength - impl_->bodySent) return false;
  if (count == 0) return true;
  impl_->fill = &fill;
  impl_->fillLeft = count;
  const bool taken = impl_->Feed([this] { return impl_->fillLeft == 0; });
  impl_->fill = nullptr;
  impl_->fillLeft = 0;
  if (!taken) return false;
  impl_->bodySent += count;
  return true;
}

int HttpPostRequest::FinishAndReadStatus() {
  if (!impl_ || !impl_->added || impl_->bodySent != impl_->bodyLength) return 0;
  if (!impl_->replyStart) impl_->replyStart = impl_->waited;
  impl_->Pump([this] { return impl_->headersDone; });
  if (!impl_->headersDone) return 0;
  long code = 0;
  curl_easy_getinfo(impl_->easy, CURLINFO_RESPONSE_CODE, &code);
  return static_cast<int>(code);
}

std::size_t HttpPostRequest::ReadReply(std::span<std::byte> block) {
  if (!impl_ || !impl_->headersDone || block.empty()) return 0;
  auto available = [this] { return impl_->reply.size() - impl_->replyRead; };
  if (available() == 0 && !impl_->done) {
    curl_easy_pause(impl_->easy, CURLPAUSE_CONT);
    impl_->Pump([&] { return available() > 0; });
  }
  std::size_t n = std::min(block.size(), available());
  std::memcpy(block.data(), impl_->reply.data() + impl_->replyRead, n);
  impl_->replyRead += n;
  return n;
}

bool HttpPostRequest::ReplyComplete() const {
  return impl_ && impl_->headersDone && impl_->done && !impl_->failed;
}

void HttpPostRequest::Close() { impl_.reset(); }

}  // namespace varn::http
