#include "host/site/embedded_site.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/form_upload.h"
#include "common/reply_records.h"
#include "tests/common/upload_test_files.h"

namespace varn::host {
namespace {

using test::Ascii16;
using test::PatternBytes;
using test::ScratchFiles;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

const std::string kCookie = "member=42; session=f00d";
const std::string kFormKey = "k3y";
const std::string kBoundary = "---------------------------7d5b63620a12";

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::size_t EntryCount(const std::filesystem::path& folder) {
  std::error_code error;
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    ++count;
  }
  return count;
}

// Everything staged and not cleared: the entries inside the runs' staging
// folders under <site>/incoming.
std::size_t StagedCount(const std::filesystem::path& incoming) {
  std::error_code error;
  std::size_t count = 0;
  for (auto it = std::filesystem::recursive_directory_iterator(incoming, error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (it.depth() > 0) ++count;
  }
  return count;
}

std::string Utf8(const std::u16string& text) { return std::string(text.begin(), text.end()); }

// The whole answer to one request sent byte for byte, so paths reach the
// site exactly as written.
std::string RawExchange(int port, const std::string& request) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  std::string answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
          static_cast<ssize_t>(request.size())) {
    char buffer[4096];
    ssize_t got;
    while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0) answer.append(buffer, got);
  }
  ::close(fd);
  return answer;
}

int Connect(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// True when the site has answered or closed the connection.
bool Ended(int fd) {
  char byte;
  ssize_t got = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  return got >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
}

std::string Get(int port, const std::string& target) {
  return RawExchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

int Status(const httplib::Result& result) { return result ? result->status : -1; }

std::string StatusLine(const std::string& answer) { return answer.substr(0, answer.find("\r\n")); }

class SiteTest : public ::testing::Test {
 protected:
  SiteTest() : site_(Options()) {}

  SiteOptions Options() {
    SiteOptions options;
    options.directory = siteDir_.Missing("site");
    options.cookie = kCookie;
    options.formKey = kFormKey;
    options.log = [this](std::string_view line) {
      std::lock_guard lock(logMutex_);
      log_.emplace_back(line);
    };
    return options;
  }

  void SetUp() override { ASSERT_TRUE(site_.Start()); }

  std::filesystem::path SiteDir() const { return siteDir_.Missing("site"); }

  // Posts as a control does: the form key first, then the files, with the
  // cookie; the reply as the control reads it, or none when the post failed.
  std::optional<std::vector<ReplyRecord>> Post(
      PostForm form, const std::vector<std::pair<std::string, std::string>>& files,
      const std::string& formKey = kFormKey, const std::string& cookie = kCookie) {
    CFormUpload upload;
    upload.AddTextField(u"filekey", Ascii16(formKey));
    for (const auto& [field, path] : files) {
      upload.AddFileField(Ascii16(field), Ascii16(path), u"image/png");
    }
    std::u16string reply;
    std::u16string cookie16 = Ascii16(cookie);
    if (!upload.Post(Ascii16(site_.PostUrl(form)), reply, &cookie16)) return std::nullopt;
    EXPECT_EQ(reply.find(u'\r'), std::u16string::npos) << "lines end with a bare line feed";
    return TakeReplyRecords(reply, form == PostForm::Picture ? 5 : 4);
  }

  std::vector<std::string> Log() {
    std::lock_guard lock(logMutex_);
    return log_;
  }

  ScratchFiles siteDir_;
  ScratchFiles inputs_;
  std::mutex logMutex_;
  std::vector<std::string> log_;
  EmbeddedSite site_;
};

TEST_F(SiteTest, PicturePostStoresEveryFileAndAnswersFiveFieldsPerPicture) {
  std::string picture = PatternBytes(30000);
  std::string thumbnail = PatternBytes(700);
  std::string picturePath = inputs_.Write("img3.png", picture);
  std::string thumbnailPath = inputs_.Write("img3_t.png", thumbnail);

  auto records = Post(PostForm::Picture, {{"image0", picturePath}, {"timage0", thumbnailPath}});
  ASSERT_TRUE(records);
  ASSERT_THAT(*records, SizeIs(1)) << "the thumbnail gets no line of its own";

  std::vector<StoredFile> stored = site_.Stored();
  ASSERT_THAT(stored, SizeIs(2));
  EXPECT_EQ(stored[0].fieldName, "image0");
  EXPECT_EQ(stored[1].fieldName, "timage0");
  EXPECT_NE(stored[0].id, stored[1].id);
  EXPECT_EQ(stored[0].name, "img3.png") << "only the last component of the sent path";
  EXPECT_EQ(ReadFile(stored[0].diskPath), picture);
  EXPECT_EQ(ReadFile(stored[1].diskPath), thumbnail);
  EXPECT_EQ(stored[0].diskPath, SiteDir() / "files" / stored[0].id / "img3.png");

  const ReplyRecord& line = records->front();
  EXPECT_EQ(Utf8(line[0]), "0");
  EXPECT_EQ(Utf8(line[1]), stored[0].id);
  EXPECT_EQ(Utf8(line[2]), "img3.png");
  EXPECT_EQ(Utf8(line[3]), "/files/" + stored[0].id + "/img3.png");
  EXPECT_EQ(Utf8(line[4]), "30000");
  EXPECT_EQ(StagedCount(SiteDir() / "incoming"), 0u) << "staging is cleared";
}

TEST_F(SiteTest, PictureLinesCarryTheIndexOfTheirField) {
  std::string a = inputs_.Write("a.png", "aaaa");
  std::string b = inputs_.Write("b.png", "bb");
  auto records =
      Post(PostForm::Picture, {{"image0", a}, {"timage0", a}, {"image1", b}, {"timage1", b}});
  ASSERT_TRUE(records);
  ASSERT_THAT(*records, SizeIs(2));
  EXPECT_EQ(Utf8((*records)[0][0]), "0");
  EXPECT_EQ(Utf8((*records)[1][0]), "1");
  EXPECT_EQ(Utf8((*records)[1][2]), "b.png");
  EXPECT_EQ(Utf8((*records)[1][4]), "2");
  EXPECT_THAT(site_.Stored(), SizeIs(4));
}

TEST_F(SiteTest, ProfilePostAnswersFourFieldsPerFile) {
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 0; i < 3; ++i) {
    files.emplace_back(
        "image" + std::to_string(i),
        inputs_.Write("profileImage" + std::to_string(i) + ".jpg", PatternBytes(100 + i)));
  }
  auto records = Post(PostForm::Profile, files);
  ASSERT_TRUE(records);
  ASSERT_THAT(*records, SizeIs(3));
  std::vector<StoredFile> stored = site_.Stored();
  ASSERT_THAT(stored, SizeIs(3));
  for (int i = 0; i < 3; ++i) {
    const ReplyRecord& line = (*records)[i];
    EXPECT_EQ(Utf8(line[0]), stored[i].id);
    EXPECT_EQ(Utf8(line[1]), "profileImage" + std::to_string(i) + ".jpg");
    EXPECT_EQ(Utf8(line[2]), stored[i].urlPath);
    EXPECT_EQ(Utf8(line[3]), std::to_string(100 + i));
  }
}

TEST_F(SiteTest, IdsAreNeverReusedAcrossPostsOrRuns) {
  std::string a = inputs_.Write("same.png", "one");
  ASSERT_TRUE(Post(PostForm::Picture, {{"image0", a}}));
  ASSERT_TRUE(Post(PostForm::Picture, {{"image0", a}}));
  site_.Stop();
  // Another site on the same folder, with a foreign folder ahead of its ids.
  std::filesystem::create_directory(SiteDir() / "files" / "7");
  EmbeddedSite again(Options());
  ASSERT_TRUE(again.Start());
  CFormUpload upload;
  upload.AddTextField(u"filekey", Ascii16(kFormKey));
  upload.AddFileField(u"image0", Ascii16(a), u"image/png");
  std::u16string reply;
  std::u16string cookie = Ascii16(kCookie);
  ASSERT_TRUE(upload.Post(Ascii16(again.PostUrl(PostForm::Picture)), reply, &cookie));

  std::set<std::string> ids;
  for (const StoredFile& file : site_.Stored()) ids.insert(file.id);
  ASSERT_THAT(again.Stored(), SizeIs(1));
  ids.insert(again.Stored()[0].id);
  EXPECT_THAT(ids, SizeIs(3));
  EXPECT_GT(std::stoi(again.Stored()[0].id), 7);
  for (const StoredFile& file : site_.Stored()) EXPECT_EQ(ReadFile(file.diskPath), "one");

  // The newest folder deleted while no site runs: its id stays used.
  again.Stop();
  const std::string newest = again.Stored()[0].id;
  std::filesystem::remove_all(SiteDir() / "files" / newest);
  EmbeddedSite third(Options());
  ASSERT_TRUE(third.Start());
  CFormUpload thirdUpload;
  thirdUpload.AddTextField(u"filekey", Ascii16(kFormKey));
  thirdUpload.AddFileField(u"image0", Ascii16(a), u"image/png");
  std::u16string thirdReply;
  ASSERT_TRUE(thirdUpload.Post(Ascii16(third.PostUrl(PostForm::Picture)), thirdReply, &cookie));
  ASSERT_THAT(third.Stored(), SizeIs(1));
  EXPECT_GT(std::stoll(third.Stored()[0].id), std::stoll(newest));
}

TEST_F(SiteTest, StagingLeftByAKilledSiteIsRemovedAtStart) {
  const std::filesystem::path incoming = SiteDir() / "incoming";
  std::filesystem::create_directories(incoming / "request-Ab12Cd");
  std::ofstream(incoming / "request-Ab12Cd" / "0") << "half a picture";
  std::filesystem::create_directories(incoming / "run-Zz9Yy8" / "request-Ef34Gh");
  std::ofstream(incoming / "run-Zz9Yy8" / "request-Ef34Gh" / "0") << "another half";
  ASSERT_EQ(StagedCount(incoming), 3u);

  // A second site on the same folder clears what no site holds, and leaves
  // the staging of the one still running.
  EmbeddedSite again(Options());
  ASSERT_TRUE(again.Start());
  EXPECT_EQ(StagedCount(incoming), 0u);
  EXPECT_FALSE(std::filesystem::exists(incoming / "request-Ab12Cd"));
  EXPECT_FALSE(std::filesystem::exists(incoming / "run-Zz9Yy8"));
  EXPECT_TRUE(Post(PostForm::Picture, {{"image0", inputs_.Write("a.png", "aaaa")}}));
}

TEST_F(SiteTest, WrongCookieOrFormKeyStoresNothing) {
  std::string a = inputs_.Write("a.png", "aaaa");
  EXPECT_FALSE(Post(PostForm::Picture, {{"image0", a}}, "wrong"));
  EXPECT_FALSE(Post(PostForm::Picture, {{"image0", a}}, kFormKey, "member=42"));
  EXPECT_FALSE(Post(PostForm::Profile, {{"image0", a}}, "", kCookie)) << "no form key at all";

  httplib::Client client("127.0.0.1", site_.Port());
  httplib::MultipartFormDataItems items = {{"filekey", kFormKey, "", ""},
                                           {"image0", "aaaa", "/tmp/a.png", "image/png"}};
  auto noCookie = client.Post("/post/picture", items);
  ASSERT_TRUE(noCookie);
  EXPECT_EQ(noCookie->status, 403);
  httplib::Headers twoCookies = {{"Cookie", kCookie}, {"Cookie", "other=1"}};
  auto doubled = client.Post("/post/picture", twoCookies, items);
  ASSERT_TRUE(doubled);
  EXPECT_EQ(doubled->status, 403);
  auto rightOnes = client.Post("/post/picture", {{"Cookie", kCookie}}, items);
  ASSERT_TRUE(rightOnes);
  EXPECT_EQ(rightOnes->status, 200) << "the same request with the right cookie is taken";

  EXPECT_THAT(site_.Stored(), SizeIs(1));
  EXPECT_EQ(EntryCount(SiteDir() / "files"), 1u);
  EXPECT_EQ(StagedCount(SiteDir() / "incoming"), 0u);
}

TEST_F(SiteTest, RefusesOtherPathsBodiesAndSizes) {
  httplib::Client client("127.0.0.1", site_.Port());
  httplib::Headers cookie = {{"Cookie", kCookie}};
  httplib::MultipartFormDataItems items = {{"filekey", kFormKey, "", ""},
                                           {"image0", "aaaa", "/tmp/a.png", "image/png"}};
  EXPECT_EQ(Status(client.Post("/upload", cookie, items)), 404);
  EXPECT_EQ(Status(client.Post("/post/picture/x", cookie, items)), 404);
  EXPECT_EQ(Status(client.Post("/post/picture", cookie, "filekey=k3y",
                               "application/x-www-form-urlencoded")),
            415);
  EXPECT_EQ(Status(client.Post("/post/picture", cookie, {{"filekey", kFormKey, "", ""}})), 400)
      << "a post without a file";

  std::string truncated = "--" + kBoundary +
                          "\r\nContent-Disposition: form-data; name=\"image0\"; "
                          "filename=\"a.png\"\r\n\r\nabc";
  auto malformed =
      client.Post("/post/picture", cookie, truncated, "multipart/form-data; boundary=" + kBoundary);
  ASSERT_TRUE(malformed);
  EXPECT_EQ(malformed->status, 400);
  EXPECT_THAT(site_.Stored(), IsEmpty());
  EXPECT_EQ(StagedCount(SiteDir() / "incoming"), 0u);
}

// A body whose end two readers could place differently is refused before it
// is read.
TEST_F(SiteTest, AmbiguousBodyLengthsAre400) {
  const std::pair<std::string, std::string> cases[] = {
      {"Content-Length: 5\r\n", " 404 "},
      {"Content-Length: 5\r\nContent-Length: 5\r\n", " 400 "},
      {"Content-Length: 5\r\nContent-Length: 50\r\n", " 400 "},
      {"Content-Length: 5\r\nTransfer-Encoding: chunked\r\n", " 400 "},
      {"Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n", " 400 "},
      {"Transfer-Encoding: gzip, chunked\r\n", " 400 "},
      {"Content-Length: +5\r\n", " 400 "},
  };
  for (const auto& [headers, status] : cases) {
    std::string answer = RawExchange(site_.Port(), "POST /upload HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
                                                       headers + "\r\n5\r\nhello\r\n0\r\n\r\n");
    EXPECT_THAT(StatusLine(answer), HasSubstr(status)) << headers;
  }
}

TEST_F(SiteTest, AFewByteRangesAtMost) {
  auto records = Post(PostForm::Picture, {{"image0", inputs_.Write("r.png", PatternBytes(1000))}});
  ASSERT_TRUE(records);
  const std::string path = Utf8(records->front()[3]);
  const std::pair<std::string, std::string> cases[] = {
      {"bytes=0-9", " 206 "},
      {"bytes=0-9,20-29", " 206 "},
      {"bytes=0-,0-,0-,0-", " 206 "},
      {"bytes=0-,0-,0-,0-,0-", " 416 "},
      {"bytes=0-0,1-1,2-2,3-3,4-4,5-5,6-6,7-7,8-8,9-9", " 416 "},
  };
  for (const auto& [range, status] : cases) {
    std::string answer =
        RawExchange(site_.Port(),
                    "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nRange: " + range + "\r\n\r\n");
    EXPECT_THAT(StatusLine(answer), HasSubstr(status)) << range;
  }
}

// The head is held to a number of fields and a size before anything else
// looks at it; 431 at the first byte past either.
TEST_F(SiteTest, HeadsPastTheirLimitsAre431) {
  struct Case {
    std::size_t fields;
    std::size_t fieldBytes;
    const char* status;
  };
  const Case cases[] = {
      {99, 40, " 404 "},      // with Host: 100 fields
      {100, 40, " 431 "},     // 101
      {9, 7000, " 404 "},     // 63 KB
      {10, 7000, " 431 "},    // 70 KB
      {20000, 100, " 431 "},  // a flood of 2 MB
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.fields) + " fields of " + std::to_string(c.fieldBytes));
    std::string request = "GET /nowhere HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (std::size_t i = 0; i < c.fields; ++i) {
      request += "X-F" + std::to_string(i) + ": " + std::string(c.fieldBytes, 'v') + "\r\n";
    }
    const std::size_t logged = Log().size();
    std::string answer = RawExchange(site_.Port(), request + "\r\n");
    // The site may close before the client has sent all; then only the log tells.
    if (!answer.empty()) {
      EXPECT_THAT(StatusLine(answer), HasSubstr(c.status));
    }
    for (int wait = 0; wait < 100 && Log().size() == logged; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_THAT(Log(), SizeIs(logged + 1));
    EXPECT_THAT(Log().back(), HasSubstr(std::string("GET /nowhere") + c.status));
  }
}

// Clients that send a little now and then, and never finish.
class SlowClients {
 public:
  SlowClients(int port, std::size_t count, std::chrono::milliseconds lasting) {
    for (std::size_t i = 0; i < count; ++i) {
      int fd = Connect(port);
      if (fd < 0) continue;
      fds_.push_back(fd);
      std::string start = "POST /post/picture HTTP/1.1\r\nHost: 127.0.0.1\r\n";
      ::send(fd, start.data(), start.size(), MSG_NOSIGNAL);
    }
    dribbler_ = std::thread([this, lasting] {
      const auto end = std::chrono::steady_clock::now() + lasting;
      while (!stop_ && std::chrono::steady_clock::now() < end) {
        for (int fd : fds_) ::send(fd, "X-Slow: 1\r\n", 11, MSG_NOSIGNAL | MSG_DONTWAIT);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
      }
    });
  }
  ~SlowClients() {
    stop_ = true;
    dribbler_.join();
    for (int fd : fds_) ::close(fd);
  }
  std::size_t Connected() const { return fds_.size(); }
  std::size_t StillOpen() const {
    return static_cast<std::size_t>(
        std::count_if(fds_.begin(), fds_.end(), [](int fd) { return !Ended(fd); }));
  }

 private:
  std::vector<int> fds_;
  std::atomic<bool> stop_{false};
  std::thread dribbler_;
};

TEST(SiteLimits, SlowClientsNeitherBlockOthersNorOutliveTheirDeadline) {
  using std::chrono::milliseconds;
  using Clock = std::chrono::steady_clock;
  ScratchFiles dir;
  SiteOptions options;
  options.directory = dir.Missing("site");
  options.cookie = kCookie;
  options.formKey = kFormKey;
  options.requestTime = milliseconds(1500);
  options.log = [](std::string_view) {};
  EmbeddedSite site(options);
  ASSERT_TRUE(site.Start());
  {
    SlowClients slow(site.Port(), 64, milliseconds(6000));
    ASSERT_EQ(slow.Connected(), 64u);
    std::this_thread::sleep_for(milliseconds(300));
    const auto asked = Clock::now();
    EXPECT_THAT(StatusLine(Get(site.Port(), "/files/1/a.png")), HasSubstr(" 404 "));
    EXPECT_LT(Clock::now() - asked, milliseconds(1000)) << "answered beside 64 slow clients";
    EXPECT_EQ(slow.StillOpen(), 64u);

    // Sending all the while does not keep a request alive past its deadline.
    std::this_thread::sleep_for(milliseconds(2500));
    EXPECT_EQ(slow.StillOpen(), 0u);
  }
  SlowClients slow(site.Port(), 16, milliseconds(6000));
  std::this_thread::sleep_for(milliseconds(300));
  const auto stopping = Clock::now();
  site.Stop();
  EXPECT_LT(Clock::now() - stopping, milliseconds(1000)) << "Stop does not wait for slow clients";
}

TEST(SiteLimits, OversizedPostsGet413AndStoreNothing) {
  ScratchFiles dir;
  SiteOptions options;
  options.directory = dir.Missing("site");
  options.cookie = kCookie;
  options.formKey = kFormKey;
  options.maxRequestBytes = 4096;
  options.log = [](std::string_view) {};
  EmbeddedSite site(options);
  ASSERT_TRUE(site.Start());
  httplib::Client client("127.0.0.1", site.Port());
  httplib::Headers cookie = {{"Cookie", kCookie}};
  httplib::MultipartFormDataItems big = {{"filekey", kFormKey, "", ""},
                                         {"image0", PatternBytes(8000), "/t/a.png", "image/png"}};
  auto declared = client.Post("/post/picture", cookie, big);
  ASSERT_TRUE(declared);
  EXPECT_EQ(declared->status, 413);

  // A chunked body declares no length; the limit still holds as it streams.
  std::string body = PatternBytes(8000);
  auto chunked = client.Post(
      "/post/picture", cookie,
      [&](std::size_t offset, httplib::DataSink& sink) {
        std::string part = "--" + kBoundary +
                           "\r\nContent-Disposition: form-data; name=\"image0\"; "
                           "filename=\"a.png\"\r\n\r\n";
        if (offset == 0) sink.write(part.data(), part.size());
        sink.write(body.data(), body.size());
        sink.done();
        return true;
      },
      "multipart/form-data; boundary=" + kBoundary);
  ASSERT_TRUE(chunked);
  EXPECT_EQ(chunked->status, 413);

  // Parts without content count too: every byte of the body does.
  std::string emptyParts = "--" + kBoundary +
                           "\r\nContent-Disposition: form-data; name=\"filekey\"\r\n\r\n" +
                           kFormKey + "\r\n";
  while (emptyParts.size() < 8000) {
    emptyParts += "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"x\"\r\n\r\n\r\n";
  }
  emptyParts += "--" + kBoundary +
                "\r\nContent-Disposition: form-data; name=\"image0\"; filename=\"a.png\"\r\n\r\n"
                "aaaa\r\n--" +
                kBoundary + "--\r\n";
  auto empty = client.Post(
      "/post/picture", cookie,
      [&](std::size_t offset, httplib::DataSink& sink) {
        if (offset == 0) sink.write(emptyParts.data(), emptyParts.size());
        sink.done();
        return true;
      },
      "multipart/form-data; boundary=" + kBoundary);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->status, 413);
  EXPECT_THAT(site.Stored(), IsEmpty());
  EXPECT_EQ(EntryCount(dir.Missing("site") + "/files"), 0u);
}

TEST_F(SiteTest, ServesStoredFilesAndNothingElse) {
  std::string picture = PatternBytes(100000);
  auto records = Post(PostForm::Picture, {{"image0", inputs_.Write("pic.png", picture)}});
  ASSERT_TRUE(records);
  std::string path = Utf8(records->front()[3]);

  httplib::Client client("127.0.0.1", site_.Port());
  auto served = client.Get(path);
  ASSERT_TRUE(served);
  EXPECT_EQ(served->status, 200);
  EXPECT_EQ(served->get_header_value("Content-Type"), "image/png");
  EXPECT_EQ(served->body, picture);

  std::ofstream(SiteDir() / "secret.txt") << "secret";
  std::string id = site_.Stored()[0].id;
  std::filesystem::create_symlink(SiteDir() / "secret.txt", SiteDir() / "files" / id / "link.txt");
  for (const std::string& target : std::vector<std::string>{
           "/files/../secret.txt", "/files/" + id + "/../../secret.txt",
           "/files/" + id + "/..%2f..%2fsecret.txt", "/files/%2e%2e/secret.txt",
           "/files/" + id + "/link.txt", "/files/" + id + "/nothing.png", "/secret.txt",
           "/files/0" + id + "/pic.png"}) {
    std::string answer = Get(site_.Port(), target);
    EXPECT_THAT(StatusLine(answer), HasSubstr(" 404 ")) << target;
    EXPECT_EQ(answer.find("secret\n"), std::string::npos) << target;
    EXPECT_EQ(answer.find("secret", answer.find("\r\n\r\n")), std::string::npos) << target;
  }
}

TEST_F(SiteTest, LogsOneLinePerRequest) {
  std::string a = inputs_.Write("a.png", "aaaa");
  ASSERT_TRUE(Post(PostForm::Picture, {{"image0", a}, {"timage0", a}}));
  EXPECT_FALSE(Post(PostForm::Picture, {{"image0", a}}, "wrong"));
  // Bytes from the wire that could forge a line or steer a terminal are escaped.
  const std::pair<std::string, std::string> paths[] = {
      {"/nowhere%0aforged", "GET /nowhere\\x0aforged 404"},
      {"/a%1b[31mred%7f", "GET /a\\x1b[31mred\\x7f 404"},
      {"/next%c2%85line", "GET /next\\xc2\\x85line 404"},
      {"/back%5cx0a", "GET /back\\x5cx0a 404"},
  };
  for (const auto& [path, logged] : paths) Get(site_.Port(), path);
  site_.Stop();  // the logger runs after the answer went out

  // Each connection has a thread of its own, so a line may come after a later
  // request's: every request is looked for in the whole log.
  std::vector<std::string> log = Log();
  ASSERT_THAT(log, SizeIs(2 + std::size(paths)));
  EXPECT_THAT(log, Contains(HasSubstr("POST /post/picture 200 files=2 received=")));
  EXPECT_THAT(log, Contains(HasSubstr("POST /post/picture 403 files=0")));
  for (const auto& [path, logged] : paths) EXPECT_THAT(log, Contains(HasSubstr(logged))) << path;
  for (const std::string& line : log) {
    for (char c : line) EXPECT_TRUE(c >= 0x20 && c < 0x7f) << line;
  }
}

TEST(SiteStartup, RefusesUnusableOptionsAndPorts) {
  ScratchFiles dir;
  SiteOptions options;
  options.directory = dir.Missing("site");
  options.cookie = kCookie;
  options.log = [](std::string_view) {};
  EXPECT_FALSE(EmbeddedSite(options).Start()) << "no form key";
  options.formKey = kFormKey;

  EmbeddedSite first(options);
  SiteStart started = first.Start();
  ASSERT_TRUE(started) << started.error;
  EXPECT_GT(started.port, 0);
  EXPECT_EQ(first.Address(), "http://127.0.0.1:" + std::to_string(started.port) + "/");
  EXPECT_EQ(first.PostUrl(PostForm::Profile), first.Address() + "post/profile");
  EXPECT_FALSE(first.Start()) << "already running";

  options.port = static_cast<uint16_t>(started.port);
  SiteStart taken = EmbeddedSite(options).Start();
  EXPECT_FALSE(taken);
  EXPECT_THAT(taken.error, HasSubstr(std::to_string(started.port)));

  first.Stop();
  EXPECT_FALSE(first.Running());
  EXPECT_EQ(first.Address(), "");
  EXPECT_TRUE(first.Start()) << "a stopped site starts again";

  std::ofstream(dir.Missing("plain")) << "x";
  options.directory = dir.Missing("plain");
  options.port = 0;
  EXPECT_FALSE(EmbeddedSite(options).Start()) << "the folder is a file";
}

}  // namespace
}  // namespace varn::host
