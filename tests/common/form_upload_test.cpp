#include "common/form_upload.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/common/upload_test_files.h"
#include "tests/support/raw_reply_server.h"
#include "tests/support/upload_server.h"

namespace varn {
namespace {

using test::Ascii16;
using test::PatternBytes;
using test::ScratchFiles;
using test::UploadServer;
using ::testing::ElementsAre;

const std::string kBoundary = "---------------------------7d5b63620a12";
const std::string kAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 1.1.4322)";

http::UploadTextCodec Utf8() { return http::UploadTextCodec::ForCharset("UTF-8"); }

std::string TextPartBytes(const std::string& name, const std::string& value) {
  return "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" +
         value + "\r\n";
}

std::string FilePartBytes(const std::string& name, const std::string& path, const std::string& type,
                          const std::string& bytes) {
  return "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name +
         "\"; filename=\"" + path + "\"\r\nContent-Type: " + type + "\r\n\r\n" + bytes + "\r\n";
}

const std::string kClosingLine = "--" + kBoundary + "--\r\n";

// A port on which nothing listens.
int UnusedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

TEST(FormParts, TextPartIsEightyEightBytesPlusNameAndValue) {
  CFormTextPart part(u"filekey", u"abc");
  EXPECT_EQ(part.GetSize(Utf8()), 98);
  EXPECT_EQ(Utf8().Encode(part.Format()), TextPartBytes("filekey", "abc"));
  // Sizes count converted bytes: two Japanese characters are six in UTF-8.
  EXPECT_EQ(CFormTextPart(u"k", u"\u65E5\u672C").GetSize(Utf8()), 88 + 1 + 6);
  EXPECT_EQ(
      CFormTextPart(u"k", u"\u65E5\u672C").GetSize(http::UploadTextCodec::ForCharset("EUC-JP")),
      88 + 1 + 4);
}

TEST(FormParts, FilePartIsOneHundredSeventeenBytesPlusStringsAndFile) {
  ScratchFiles files;
  std::string path = files.Write("a.png", PatternBytes(1000));
  CFormFilePart part(u"image0", Ascii16(path), u"image/png");
  EXPECT_EQ(part.GetSize(Utf8()), static_cast<int32_t>(117 + 6 + path.size() + 9 + 1000));
  EXPECT_EQ(Utf8().Encode(part.FormatHeader()) + std::string(1000, 'x') + "\r\n",
            FilePartBytes("image0", path, "image/png", std::string(1000, 'x')));
}

TEST(FormParts, MissingFileOrDirectoryCannotBeSent) {
  ScratchFiles files;
  EXPECT_EQ(CFormFilePart(u"f", Ascii16(files.Missing("none.png")), u"image/png").GetSize(Utf8()),
            0);
  EXPECT_EQ(CFormFilePart(u"f", Ascii16(system::TempDirectoryBase()), u"x").GetSize(Utf8()), 0);
}

class FormUploadTest : public ::testing::Test {
 protected:
  UploadServer server_;
  ScratchFiles files_;
  std::u16string reply_;
  const std::u16string emptyCookie_;
};

TEST_F(FormUploadTest, SendsTheExactBodyHeadersAndDeclaredLength) {
  std::string pictureBytes = PatternBytes(1000);
  std::string path = files_.Write("img1.png", pictureBytes);
  server_.SetReply(200, "[(0|1|img1.png|/p/img1.png|1000)]\n");

  CFormUpload upload;
  upload.AddTextField(u"filekey", u"abc");
  upload.AddFileField(u"image0", Ascii16(path), u"image/png");
  ASSERT_TRUE(upload.Post(server_.Url("dir/page?x=1"), reply_, &emptyCookie_));
  EXPECT_EQ(reply_, u"[(0|1|img1.png|/p/img1.png|1000)]\n");

  auto raw = server_.RawRequests();
  ASSERT_EQ(raw.size(), 1u);
  std::string expectedBody = TextPartBytes("filekey", "abc") +
                             FilePartBytes("image0", path, "image/png", pictureBytes) +
                             kClosingLine;
  EXPECT_EQ(raw[0].RequestLine(), "POST /dir/page?x=1 HTTP/1.1");
  EXPECT_EQ(raw[0].DeclaredLength(),
            static_cast<long long>(98 + 117 + 6 + path.size() + 9 + 1000 + 45));
  EXPECT_EQ(raw[0].DeclaredLength(), static_cast<long long>(raw[0].Body().size()));
  EXPECT_EQ(raw[0].Body(), expectedBody);
  EXPECT_EQ(raw[0].HeaderValue("User-Agent"), kAgent);
  EXPECT_EQ(raw[0].HeaderValue("Accept"), "*/*");
  EXPECT_EQ(raw[0].HeaderValue("Content-Type"), "multipart/form-data; boundary=" + kBoundary);
  EXPECT_EQ(raw[0].HeaderValue("Host"), "127.0.0.1:" + std::to_string(server_.Port()));
  // The empty cookie still goes out, and nothing asks the server to continue.
  EXPECT_EQ(raw[0].HeaderValue("Cookie"), "");
  EXPECT_EQ(raw[0].HeaderValue("Expect"), std::nullopt);
  for (const char* name : {"Accept:", "Content-Type:", "Content-Length:", "Cookie:"}) {
    auto lines = raw[0].HeadLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& line) { return line.rfind(name, 0) == 0; }),
              1)
        << name;
  }

  auto uploads = server_.Uploads();
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_TRUE(uploads[0].bodyComplete);
  ASSERT_EQ(uploads[0].parts.size(), 2u);
  EXPECT_EQ(uploads[0].parts[0].name, "filekey");
  EXPECT_EQ(uploads[0].parts[0].bytes, "abc");
  EXPECT_EQ(uploads[0].parts[1].name, "image0");
  EXPECT_EQ(uploads[0].parts[1].fileName, path);
  EXPECT_EQ(uploads[0].parts[1].contentType, "image/png");
  EXPECT_EQ(uploads[0].parts[1].bytes, pictureBytes);
}

TEST_F(FormUploadTest, EmptyValueAddsNoPartAndIsNotCounted) {
  std::string path = files_.Write("t.png", "PNG");
  CFormUpload upload;
  upload.AddTextField(u"filekey", u"");
  upload.AddFileField(u"image0", Ascii16(path), u"image/png");
  EXPECT_EQ(upload.PartCount(), 1u);
  ASSERT_TRUE(upload.Post(server_.Url(), reply_, &emptyCookie_));
  auto raw = server_.RawRequests();
  ASSERT_EQ(raw.size(), 1u);
  EXPECT_EQ(raw[0].DeclaredLength(), static_cast<long long>(117 + 6 + path.size() + 9 + 3 + 45));
  ASSERT_EQ(server_.Uploads()[0].parts.size(), 1u);
  EXPECT_EQ(server_.Uploads()[0].parts[0].name, "image0");
}

TEST_F(FormUploadTest, CookieHeaderOnlyWhenACookieIsGiven) {
  std::u16string cookie = u"session=42; member=m";
  CFormUpload withCookie;
  withCookie.AddTextField(u"filekey", u"k");
  ASSERT_TRUE(withCookie.Post(server_.Url(), reply_, &cookie));
  CFormUpload withoutCookie;
  withoutCookie.AddTextField(u"filekey", u"k");
  ASSERT_TRUE(withoutCookie.Post(server_.Url(), reply_, nullptr));
  auto raw = server_.RawRequests();
  ASSERT_EQ(raw.size(), 2u);
  EXPECT_EQ(raw[0].HeaderValue("Cookie"), "session=42; member=m");
  EXPECT_EQ(raw[1].HeaderValue("Cookie"), std::nullopt);
}

TEST_F(FormUploadTest, AMissingFileInAnyPositionFailsWithoutConnecting) {
  std::string present = files_.Write("p.png", "PNG");
  std::string missing = files_.Missing("gone.png");
  for (int missingAt = 0; missingAt < 3; ++missingAt) {
    CFormUpload upload;
    upload.AddTextField(u"filekey", u"abc");
    for (int i = 0; i < 3; ++i) {
      upload.AddFileField(u"image" + Ascii16(std::to_string(i)),
                          Ascii16(i == missingAt ? missing : present), u"image/png");
    }
    EXPECT_FALSE(upload.Post(server_.Url(), reply_, &emptyCookie_)) << missingAt;
  }
  EXPECT_EQ(server_.ConnectionCount(), 0u);
}

TEST_F(FormUploadTest, AddressesWithoutObjectNameOrWithOtherSchemesFailWithoutConnecting) {
  std::string port = std::to_string(server_.Port());
  for (const std::string& url :
       std::vector<std::string>{"http://127.0.0.1:" + port, "http://127.0.0.1:" + port + "/",
                                "ftp://127.0.0.1:" + port + "/upload",
                                "127.0.0.1:" + port + "/upload", "http://127.0.0.1:/upload",
                                "http://127.0.0.1:99999/upload", "http://127.0.0.1:8o/upload",
                                "http://user@127.0.0.1:" + port + "/upload", "", "http:"}) {
    CFormUpload upload;
    upload.AddTextField(u"filekey", u"abc");
    EXPECT_FALSE(upload.Post(Ascii16(url), reply_, &emptyCookie_)) << url;
  }
  EXPECT_EQ(server_.ConnectionCount(), 0u);
}

TEST_F(FormUploadTest, ObjectNameIsTheRestAfterTheHostQueryIncluded) {
  std::string port = std::to_string(server_.Port());
  for (std::string objectName : {"page", "dir/page?x=1", "a//b"}) {
    CFormUpload upload;
    upload.AddTextField(u"filekey", u"abc");
    ASSERT_TRUE(
        upload.Post(Ascii16("HTTP://127.0.0.1:" + port + "/" + objectName), reply_, &emptyCookie_));
  }
  auto raw = server_.RawRequests();
  ASSERT_EQ(raw.size(), 3u);
  EXPECT_EQ(raw[0].RequestLine(), "POST /page HTTP/1.1");
  EXPECT_EQ(raw[1].RequestLine(), "POST /dir/page?x=1 HTTP/1.1");
  EXPECT_EQ(raw[2].RequestLine(), "POST /a//b HTTP/1.1");
}

TEST_F(FormUploadTest, NonAsciiObjectNameGoesOutPercentEncoded) {
  CFormUpload upload;
  upload.AddTextField(u"filekey", u"abc");
  ASSERT_TRUE(upload.Post(server_.Url() + u"/\u65E5 x", reply_, &emptyCookie_));
  ASSERT_EQ(server_.RawRequests().size(), 1u);
  EXPECT_EQ(server_.RawRequests()[0].RequestLine(), "POST /upload/%E6%97%A5%20x HTTP/1.1");
}

TEST_F(FormUploadTest, RedirectAndServerErrorFailAndLeaveTheReplyAlone) {
  for (int status : {302, 500, 201, 204}) {
    server_.SetReply(status, "[(0|1|2|3|4)]\n");
    CFormUpload upload;
    upload.AddTextField(u"filekey", u"abc");
    std::u16string reply = u"before";
    EXPECT_FALSE(upload.Post(server_.Url(), reply, &emptyCookie_)) << status;
    EXPECT_EQ(reply, u"before") << status;
  }
  EXPECT_EQ(server_.Uploads().size(), 4u);
}

TEST_F(FormUploadTest, LongReplyArrivesWholeAndIsAppended) {
  std::string body;
  for (int line = 0; body.size() < 3 * 10240 + 500; ++line) {
    body += "[(" + std::to_string(line) + "|name|path|size|x)]\n";
  }
  server_.SetReply(200, body);
  CFormUpload upload;
  upload.AddTextField(u"filekey", u"abc");
  std::u16string reply = u"kept:";
  ASSERT_TRUE(upload.Post(server_.Url(), reply, &emptyCookie_));
  EXPECT_EQ(reply, u"kept:" + Ascii16(body));
}

TEST_F(FormUploadTest, CharacterAcrossABlockBoundaryIsNotBroken) {
  // The three bytes of one character straddle the first 10240-byte block.
  std::string body = std::string(10239, 'a') + "\xE6\x97\xA5" + std::string(10300, 'b');
  server_.SetReply(200, body);
  CFormUpload upload;
  upload.AddTextField(u"filekey", u"abc");
  ASSERT_TRUE(upload.Post(server_.Url(), reply_, &emptyCookie_));
  EXPECT_EQ(reply_, std::u16string(10239, u'a') + u"\u65E5" + std::u16string(10300, u'b'));
}

TEST_F(FormUploadTest, BigFileIsStreamedWithoutAskingToContinue) {
  std::string bytes = PatternBytes(3 * 1024 * 1024 + 17);
  std::string path = files_.Write("big.png", bytes);
  CFormUpload upload;
  upload.AddFileField(u"image0", Ascii16(path), u"image/png");
  ASSERT_TRUE(upload.Post(server_.Url(), reply_, &emptyCookie_));
  auto raw = server_.RawRequests();
  ASSERT_EQ(raw.size(), 1u);
  EXPECT_EQ(raw[0].HeaderValue("Expect"), std::nullopt);
  EXPECT_EQ(raw[0].DeclaredLength(), static_cast<long long>(raw[0].Body().size()));
  ASSERT_EQ(server_.Uploads()[0].parts.size(), 1u);
  EXPECT_TRUE(server_.Uploads()[0].parts[0].bytes == bytes);
}

TEST_F(FormUploadTest, ServerDroppingTheConnectionMidBodyFailsThePost) {
  std::string path = files_.Write("big.png", PatternBytes(4 * 1024 * 1024));
  server_.SetCloseAfterBodyBytes(50000);
  CFormUpload upload;
  upload.AddTextField(u"filekey", u"abc");
  upload.AddFileField(u"image0", Ascii16(path), u"image/png");
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(upload.Post(server_.Url(), reply_, &emptyCookie_));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_TRUE(reply_.empty());
  for (const auto& received : server_.Uploads()) EXPECT_FALSE(received.bodyComplete);
}

TEST_F(FormUploadTest, AFileThatShrankAfterSizingFailsItsPartInsteadOfGoingOutShort) {
  // Larger than a block, cut inside the second one.
  std::string path = files_.Write("shrinks.png", PatternBytes(3 * http::kUploadBlockSize));
  CFormFilePart part(u"image0", Ascii16(path), u"image/png");
  const int32_t size = part.GetSize(Utf8());
  ASSERT_GT(size, 0);
  std::filesystem::resize_file(path, http::kUploadBlockSize + 100);
  http::HttpPostRequest request;
  ASSERT_TRUE(request.Open(http::HttpTarget{http::HttpScheme::Http, "127.0.0.1",
                                            static_cast<uint16_t>(server_.Port()), "upload"},
                           kAgent, {"Content-Length: " + std::to_string(size)}, nullptr,
                           static_cast<uint64_t>(size)));
  // At once, not by the stall rule once the server waits for the rest.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(part.WriteTo(request, Utf8()));
  EXPECT_EQ(request.FinishAndReadStatus(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(FormUploadTest, OnlyAReplyThatEndedCleanlyCounts) {
  const std::string record = "[(a|b|c|d|e)]\n";
  const std::string ok = "HTTP/1.1 200 OK\r\n";
  const std::string sized = ok + "Content-Length: 100\r\n\r\n" + record;
  const std::string chunked = ok + "Transfer-Encoding: chunked\r\n\r\nE\r\n" + record + "\r\n";
  struct Case {
    const char* name;
    test::RawReply reply;
    bool posted;
  } cases[] = {
      {"shorter than its length", {sized, test::ReplyEnding::Close}, false},
      {"chunked without its last chunk", {chunked, test::ReplyEnding::Close}, false},
      {"reset mid-reply", {sized, test::ReplyEnding::Reset}, false},
      {"whole length",
       {ok + "Content-Length: 14\r\n\r\n" + record, test::ReplyEnding::Close},
       true},
      {"chunked with its last chunk", {chunked + "0\r\n\r\n", test::ReplyEnding::Close}, true},
      {"ended by closing", {ok + "Connection: close\r\n\r\n" + record}, true},
  };
  for (const Case& c : cases) {
    test::RawReplyServer server(c.reply);
    CFormUpload upload;
    upload.AddTextField(u"filekey", u"abc");
    std::u16string reply;
    EXPECT_EQ(upload.Post(server.Url(), reply, &emptyCookie_), c.posted) << c.name;
    EXPECT_EQ(reply, c.posted ? u"[(a|b|c|d|e)]\n" : u"") << c.name;
    EXPECT_EQ(server.CompleteRequests(), 1) << c.name;
  }
}

std::size_t OpenDescriptorCount() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

TEST_F(FormUploadTest, EveryFileAndConnectionIsClosedOnSuccessAndFailure) {
  std::string path = files_.Write("big.png", PatternBytes(2 * 1024 * 1024));
  std::size_t before = OpenDescriptorCount();
  {
    CFormUpload upload;
    upload.AddFileField(u"image0", Ascii16(path), u"image/png");
    upload.AddFileField(u"timage0", Ascii16(path), u"image/png");
    ASSERT_TRUE(upload.Post(server_.Url(), reply_, &emptyCookie_));
  }
  server_.SetCloseAfterBodyBytes(100000);
  {
    CFormUpload upload;
    upload.AddFileField(u"image0", Ascii16(path), u"image/png");
    upload.AddFileField(u"timage0", Ascii16(path), u"image/png");
    ASSERT_FALSE(upload.Post(server_.Url(), reply_, &emptyCookie_));
  }
  // The server in this process closes its side of each connection a moment later.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (OpenDescriptorCount() != before && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(FormUploadTest, ProxySettingsOfTheEnvironmentAreIgnored) {
  // A proxy that does not exist: going through it would fail the post.
  ::setenv("http_proxy", "http://127.0.0.1:9", 1);
  ::setenv("HTTPS_PROXY", "http://127.0.0.1:9", 1);
  ::setenv("ALL_PROXY", "http://127.0.0.1:9", 1);
  CFormUpload upload;
  upload.AddTextField(u"filekey", u"abc");
  bool posted = upload.Post(server_.Url(), reply_, &emptyCookie_);
  ::unsetenv("http_proxy");
  ::unsetenv("HTTPS_PROXY");
  ::unsetenv("ALL_PROXY");
  EXPECT_TRUE(posted);
  EXPECT_EQ(server_.ConnectionCount(), 1u);
}

TEST_F(FormUploadTest, RefusedConnectionFails) {
  CFormUpload upload;
  upload.AddTextField(u"filekey", u"abc");
  EXPECT_FALSE(upload.Post(Ascii16("http://127.0.0.1:" + std::to_string(UnusedPort()) + "/x"),
                           reply_, &emptyCookie_));
}

TEST_F(FormUploadTest, CookieWithALineBreakIsRefusedBeforeConnecting) {
  std::u16string cookie = u"a=b\r\nX-Injected: 1";
  CFormUpload upload;
  upload.AddTextField(u"filekey", u"abc");
  EXPECT_FALSE(upload.Post(server_.Url(), reply_, &cookie));
  EXPECT_EQ(server_.ConnectionCount(), 0u);
}

TEST_F(FormUploadTest, TooLongReplyFailsInsteadOfGrowingWithoutBound) {
  server_.SetReply(200, std::string(kMaxUploadReplyBytes + 1, 'r'));
  CFormUpload upload;
  upload.AddTextField(u"filekey", u"abc");
  EXPECT_FALSE(upload.Post(server_.Url(), reply_, &emptyCookie_));
  EXPECT_TRUE(reply_.empty());
}

}  // namespace
}  // namespace varn
