#include "common/upload_url.h"

#include <gtest/gtest.h>

#include "platform/http/upload_text_codec.h"

namespace varn {
namespace {

TEST(UploadUrl, PortsDefaultBySchemeAndAreHonouredWhenWritten) {
  const auto codec = http::UploadTextCodec::ForCharset("UTF-8");
  auto plain = ParseUploadUrl(u"http://example.com/up.php", codec);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->scheme, http::HttpScheme::Http);
  EXPECT_EQ(plain->host, "example.com");
  EXPECT_EQ(plain->port, 80);
  EXPECT_EQ(plain->objectName, "up.php");
  auto secure = ParseUploadUrl(u"https://example.com/a/b?c=d", codec);
  ASSERT_TRUE(secure);
  EXPECT_EQ(secure->scheme, http::HttpScheme::Https);
  EXPECT_EQ(secure->port, 443);
  EXPECT_EQ(secure->objectName, "a/b?c=d");
  auto withPort = ParseUploadUrl(u"https://example.com:8443/x", codec);
  ASSERT_TRUE(withPort);
  EXPECT_EQ(withPort->host, "example.com");
  EXPECT_EQ(withPort->port, 8443);
  auto ipv6 = ParseUploadUrl(u"http://[::1]:8080/x", codec);
  ASSERT_TRUE(ipv6);
  EXPECT_EQ(ipv6->host, "[::1]");
  EXPECT_EQ(ipv6->port, 8080);
  EXPECT_EQ(ParseUploadUrl(u"http://[::1]/x", codec)->port, 80);
}

}  // namespace
}  // namespace varn
