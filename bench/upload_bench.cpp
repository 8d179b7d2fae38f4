// The upload as a member feels it: a 50 MB picture posted through the form
// upload to a sink on the loopback, which reads the whole request and answers
// a short 200. The anchor is curl's command-line tool (it must be on PATH)
// posting the very same body with the same headers to the same sink; its
// times include its own start-up (spawn, loading libcurl and its libraries),
// some 15 ms on a two-core machine.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/form_part.h"
#include "common/form_upload.h"
#include "platform/http/upload_text_codec.h"
#include "tests/support/loopback_listener.h"

extern char** environ;

namespace varn {
namespace {

constexpr std::size_t kFileBytes = std::size_t{50} * 1000 * 1000;

// Accepts one connection at a time, reads the head and the declared body and
// answers a short 200, then closes.
class Sink {
 public:
  Sink() {
    listenFd_ = testing::ListenOnLoopback(&port_, 8);
    thread_ = std::thread([this] { AcceptLoop(); });
  }
  ~Sink() {
    stop_ = true;
    thread_.join();
    ::close(listenFd_);
  }
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;

  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/upload"; }
  // Body bytes of the last request read whole; 0 when it was cut short.
  std::size_t LastBodyBytes() const { return lastBodyBytes_; }

 private:
  static std::size_t DeclaredLength(const std::string& head) {
    for (const char* name : {"\r\nContent-Length: ", "\r\ncontent-length: "}) {
      const std::size_t at = head.find(name);
      if (at != std::string::npos) return std::strtoull(head.c_str() + at + 18, nullptr, 10);
    }
    return 0;
  }

  void Serve(int fd) {
    std::vector<char> buffer(std::size_t{256} * 1024);
    std::string head;
    std::size_t headEnd = std::string::npos;
    std::size_t bodyGot = 0;
    while (headEnd == std::string::npos) {
      const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
      if (got <= 0) return;
      head.append(buffer.data(), static_cast<std::size_t>(got));
      headEnd = head.find("\r\n\r\n");
    }
    bodyGot = head.size() - headEnd - 4;
    const std::size_t declared = DeclaredLength(head);
    while (bodyGot < declared) {
      const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
      if (got <= 0) return;
      bodyGot += static_cast<std::size_t>(got);
    }
    lastBodyBytes_ = bodyGot;
    static constexpr char kReply[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
    ::send(fd, kReply, sizeof kReply - 1, MSG_NOSIGNAL);
  }

  void AcceptLoop() {
    while (!stop_) {
      pollfd listening{listenFd_, POLLIN, 0};
      if (::poll(&listening, 1, 100) <= 0) continue;
      const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      lastBodyBytes_ = 0;
      Serve(client);
      ::close(client);
    }
  }

  int listenFd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<std::size_t> lastBodyBytes_{0};
  std::thread thread_;
};

std::u16string Ascii16(const std::string& text) { return {text.begin(), text.end()}; }

std::string Ascii8(std::u16string_view text) { return {text.begin(), text.end()}; }

// The picture, and the exact body the form upload makes of it, on disk once.
struct Files {
  Files() {
    dir = std::filesystem::temp_directory_path() /
          ("varn-upload-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    picture = (dir / "picture.png").string();
    body = (dir / "body").string();
    std::string bytes(kFileBytes, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    }
    std::ofstream(picture, std::ios::binary).write(bytes.data(), std::ssize(bytes));

    const auto codec = http::UploadTextCodec::ForCharset("UTF-8");
    std::ofstream out(body, std::ios::binary);
    out << codec.Encode(CFormTextPart(u"filekey", u"abc").Format())
        << codec.Encode(CFormFilePart(u"image0", Ascii16(picture), u"image/png").FormatHeader());
    out.write(bytes.data(), std::ssize(bytes));
    out << "\r\n--" << Ascii8(kFormBoundary) << "--\r\n";
    bodyBytes = static_cast<std::size_t>(out.tellp());
  }
  ~Files() { std::filesystem::remove_all(dir); }

  std::filesystem::path dir;
  std::string picture;
  std::string body;
  std::size_t bodyBytes = 0;
};

Files& TheFiles() {
  static Files files;
  return files;
}

Sink& TheSink() {
  static Sink sink;
  return sink;
}

void BM_FormUpload50MB(benchmark::State& state) {
  Files& files = TheFiles();
  Sink& sink = TheSink();
  const std::u16string url = Ascii16(sink.Url());
  for (auto _ : state) {
    CFormUpload upload;
    upload.AddTextField(u"filekey", u"abc");
    upload.AddFileField(u"image0", Ascii16(files.picture), u"image/png");
    std::u16string reply;
    if (!upload.Post(url, reply, nullptr) || reply != u"ok" ||
        sink.LastBodyBytes() != files.bodyBytes) {
      state.SkipWithError("the post failed");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * files.bodyBytes));
}

// Runs curl with these arguments and waits for it; true when it exited with 0.
bool RunCurl(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("curl"));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The options every anchor shares: no proxy, the same agent and Accept, no
// "Expect: 100-continue", the reply thrown away.
std::vector<std::string> CurlCommonArgs() {
  return {"-s", "-f",          "-o", "/dev/null", "--noproxy", "*", "-A", std::string(kUploadAgent),
          "-H", "Accept: */*", "-H", "Expect:"};
}

// Times whole runs of curl; bodyRead checks the sink's count of the body it read.
template <typename BodyRead>
void TimeCurl(benchmark::State& state, const std::vector<std::string>& args, BodyRead bodyRead) {
  Sink& sink = TheSink();
  for (auto _ : state) {
    if (!RunCurl(args) || !bodyRead(sink.LastBodyBytes())) {
      state.SkipWithError("curl failed");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TheFiles().bodyBytes));
}

// The anchor: the very same body bytes and Content-Type, streamed from the
// body file as a POST (-T streams where --data-binary @file first reads the
// whole file into memory in 4 KB reads, which costs it several times more).
void BM_CurlToolUpload50MB(benchmark::State& state) {
  Files& files = TheFiles();
  std::vector<std::string> args = CurlCommonArgs();
  for (std::string arg :
       {std::string("-H"), "Content-Type: multipart/form-data; boundary=" + Ascii8(kFormBoundary),
        std::string("-X"), std::string("POST"), std::string("-T"), files.body, TheSink().Url()}) {
    args.push_back(std::move(arg));
  }
  TimeCurl(state, args, [&](std::size_t read) { return read == files.bodyBytes; });
}

// The same picture through curl's own multipart form (its boundary, so a body
// a few bytes longer or shorter).
void BM_CurlToolFormUpload50MB(benchmark::State& state) {
  Files& files = TheFiles();
  std::vector<std::string> args = CurlCommonArgs();
  for (std::string arg : {std::string("-F"), std::string("filekey=abc"), std::string("-F"),
                          "image0=@" + files.picture + ";type=image/png", TheSink().Url()}) {
    args.push_back(std::move(arg));
  }
  TimeCurl(state, args, [](std::size_t read) { return read > kFileBytes; });
}

BENCHMARK(BM_FormUpload50MB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlToolUpload50MB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlToolFormUpload50MB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace varn

BENCHMARK_MAIN();
