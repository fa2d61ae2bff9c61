#include "web/shared_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/apartment.h"
#include "platform/class_registry.h"
#include "platform/dispatch.h"
#include "platform/http_request.h"
#include "support/fake_shop.h"

namespace web {
namespace {

using support::FakeShop;
using support::ShopRoute;

struct Message {
  base::Text text;
  base::Text title;
};

class SharedRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::InitializeComponentServices();
    AllocateSharedRequest();
  }
  void TearDown() override {
    ReleaseSharedRequest();
    platform::ResetClassRegistry();
    platform::UninitializeComponentServices();
  }

  void Create() {
    CreateSharedRequest([this](const base::Text& text, const base::Text& title) {
      messages_.push_back({text, title});
    });
  }

  std::vector<Message> messages_;
};

TEST_F(SharedRequestTest, WithoutEitherClassShowsOneMessageAndEveryStepDoesNothing) {
  platform::UnregisterClass(u"MSXML2.XMLHTTP");
  platform::UnregisterClass(u"Microsoft.XMLHTTP");
  Create();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "\xCF\xB5\xCD\xB3\xB2\xBB\xD6\xA7\xB3\xD6\xB2\xD9\xD7\xF7")
      << "系统不支持操作 in code page 936";
  EXPECT_EQ(messages_[0].title, "\xD0\xC5\xCF\xA2\xA3\xBA") << "信息： in code page 936";
  ASSERT_NE(sharedRequest, nullptr);
  EXPECT_EQ(*sharedRequest, nullptr);

  SendGet("http://item.jd.com/bigimage.aspx?id=1", PageHeaders);
  EXPECT_TRUE(ReadResponseBody().empty());
  EXPECT_EQ(ReadResponseHeader("Content-Type"), "");
  EXPECT_EQ(ReadResponseStatus(), 0);
  EXPECT_EQ(messages_.size(), 1u) << "no further message";
}

TEST_F(SharedRequestTest, FallsBackToTheSecondClassWithoutAMessage) {
  platform::UnregisterClass(u"MSXML2.XMLHTTP");
  // A stand-in for the second class, so the test can tell which one was made.
  auto second = platform::NewHttpRequestObject();
  platform::RegisterClass(u"Microsoft.XMLHTTP", [second](unsigned, platform::ObjectRef& out) {
    out = second;
    return platform::Status::ok;
  });
  Create();
  EXPECT_TRUE(messages_.empty());
  ASSERT_NE(sharedRequest, nullptr);
  EXPECT_EQ(*sharedRequest, second);
}

// Requests through the fake shop, which stands in as the proxy for both shop hosts.
class SharedRequestShopTest : public SharedRequestTest {
 protected:
  static void SetUpTestSuite() {
    shop_ = new FakeShop();
    proxy_ = new support::ScopedShopProxy(*shop_);
  }
  static void TearDownTestSuite() {
    delete proxy_;
    delete shop_;
  }
  void SetUp() override {
    SharedRequestTest::SetUp();
    ASSERT_TRUE(shop_->Running()) << "the fake shop did not start";
    ASSERT_TRUE(shop_->Reset());
    Create();
    ASSERT_NE(*sharedRequest, nullptr);
  }

  static FakeShop* shop_;
  static support::ScopedShopProxy* proxy_;
};

FakeShop* SharedRequestShopTest::shop_ = nullptr;
support::ScopedShopProxy* SharedRequestShopTest::proxy_ = nullptr;

TEST_F(SharedRequestShopTest, SendsEachProfileExactlyInItsOrder) {
  const std::string userAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1";
  const std::string form = "Content-Type: application/x-www-form-urlencoded";
  struct Case {
    const char* label;
    std::string address;
    const HeaderProfile* profile;
    std::vector<std::string> expected;
  };
  const std::string page = "http://item.jd.com/bigimage.aspx?id=42";
  // An image on another host still names the image host.
  const std::string image = "http://img14.360buyimg.com/n0/jfs/t1/a.jpg";
  const std::vector<Case> cases = {
      {"page", page, &PageHeaders,
       {"Referer: " + page, "Accept: */*", "Accept-Language: zh-cn", form, userAgent,
        "Host: item.jd.com", "Cache-Control: no-cache"}},
      {"image", image, &ImageHeaders,
       {"Connection: Keep-Alive", form, "Accept: */*", "Accept-Language: zh-cn",
        "Referer: " + image, userAgent, "Host: img10.360buyimg.com"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ASSERT_TRUE(shop_->Reset());
    SendGet(c.address, *c.profile);
    std::vector<support::ShopRequest> seen = shop_->Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].line, "GET " + c.address + " HTTP/1.1");
    EXPECT_EQ(seen[0].headerLines, c.expected);
  }
}

TEST_F(SharedRequestShopTest, ReadsTheLastResponseAndNothingAfterAFailure) {
  const std::string image = "http://img10.360buyimg.com/n0/a.jpg";
  const std::string body("\xFF\xD8\x00\x01 jpeg", 9);
  ASSERT_TRUE(shop_->AddRoute({.url = image,
                               .headers = {{"Content-Type", "image/jpeg"}},
                               .body = body}));
  SendGet(image, ImageHeaders);
  EXPECT_EQ(ReadResponseBody(), base::ByteBuffer(body.begin(), body.end()));
  EXPECT_EQ(ReadResponseBody(), base::ByteBuffer(body.begin(), body.end())) << "read twice";
  EXPECT_EQ(ReadResponseHeader("Content-Type"), "image/jpeg");
  EXPECT_EQ(ReadResponseHeader("Content-Length"), "9");
  EXPECT_EQ(ReadResponseStatus(), 200);

  const std::string broken = "http://img10.360buyimg.com/n0/broken.jpg";
  ASSERT_TRUE(shop_->AddRoute({.url = broken, .drop = ShopRoute::Drop::beforeHeaders}));
  SendGet(broken, ImageHeaders);
  EXPECT_TRUE(ReadResponseBody().empty());
  EXPECT_EQ(ReadResponseHeader("Content-Type"), "");
  EXPECT_EQ(ReadResponseStatus(), 0);
}

TEST_F(SharedRequestShopTest, AnErrorPageIsReturnedLikeAnyOtherAnswer) {
  SendGet("http://item.jd.com/bigimage.aspx?id=404", PageHeaders);  // no route: 404
  EXPECT_EQ(ReadResponseStatus(), 404);
  EXPECT_NE(base::BytesToText(ReadResponseBody()).find("404 Not Found"), std::string::npos);
  EXPECT_EQ(ReadResponseHeader("Content-Type"), "text/html");
}

}  // namespace
}  // namespace web
