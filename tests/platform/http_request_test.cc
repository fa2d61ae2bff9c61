#include "platform/http_request.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/dispatch.h"
#include "platform/wait_hook.h"
#include "support/fake_shop.h"

namespace platform {
namespace {

using support::FakeShop;
using support::ShopRoute;

std::string SampleBody(std::size_t size) {
  std::string body;
  for (std::size_t i = 0; i < size; ++i) body.push_back(static_cast<char>(i * 7 % 256));
  return body;
}

std::string AsString(const base::ByteBuffer& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// Calls the members of a request object the way a late-bound caller would.
class Request {
 public:
  Request() : object_(NewHttpRequestObject()) {}

  bool Made() const { return object_ != nullptr; }

  Status Call(const std::u16string& name, InvokeKind kind, std::vector<Variant> arguments,
              Variant* result = nullptr) {
    const MemberInfo* member = FindMember(*object_, name, kind);
    if (member == nullptr) return Status::unknownName;
    Variant ignored;
    return object_->Invoke(member->memberId, kind, arguments, result ? *result : ignored);
  }

  Status Open(const std::string& address, const Variant& async = Variant(false)) {
    return Call(u"open", InvokeKind::method,
                {Variant(u"GET"), Variant(std::u16string(address.begin(), address.end())), async});
  }
  Status SetHeader(const std::u16string& name, const std::u16string& value) {
    return Call(u"setRequestHeader", InvokeKind::method, {Variant(name), Variant(value)});
  }
  Status Send() { return Call(u"send", InvokeKind::method, {}); }
  Status Get(const std::string& address) {
    Open(address);
    return Send();
  }

  Status Body(std::string& body) {
    Variant result;
    Status status = Call(u"responseBody", InvokeKind::propertyGet, {}, &result);
    const auto* bytes = std::get_if<base::ByteBuffer>(&result);
    body = bytes ? AsString(*bytes) : std::string();
    return status;
  }
  Status Header(const std::u16string& name, std::u16string& value) {
    Variant result;
    Status status = Call(u"getResponseHeader", InvokeKind::method, {Variant(name)}, &result);
    value = ConvertToString(result).value_or(u"");
    return status;
  }
  Status StatusCode(int& code) {
    Variant result;
    Status status = Call(u"status", InvokeKind::propertyGet, {}, &result);
    code = ConvertToInt(result).value_or(0);
    return status;
  }

  // The object is gone once the last reference goes.
  std::weak_ptr<DispatchObject> Watch() const { return object_; }
  void Release() { object_.reset(); }

 private:
  ObjectRef object_;
};

class HttpRequestTest : public ::testing::Test {
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
    ASSERT_TRUE(shop_->Running()) << "the fake shop did not start";
    ASSERT_TRUE(shop_->Reset());
    ASSERT_TRUE(request_.Made());
  }
  void TearDown() override {
    CurrentHttpLimits() = HttpLimits();
    SetWaitHook(nullptr);
    SetWaitsAbandoned(false);
  }

  static FakeShop* shop_;
  static support::ScopedShopProxy* proxy_;
  Request request_;
};

FakeShop* HttpRequestTest::shop_ = nullptr;
support::ScopedShopProxy* HttpRequestTest::proxy_ = nullptr;

TEST_F(HttpRequestTest, DeliversTheWholeAnswerHoweverItIsFramed) {
  struct Case {
    const char* label;
    ShopRoute route;
    std::int64_t maxBody;
  };
  const std::string body = SampleBody(1000);
  const std::vector<Case> cases = {
      {"Content-Length", {.url = "http://img10.360buyimg.com/a.jpg", .body = body}, 1 << 20},
      {"chunked", {.url = "http://img10.360buyimg.com/b.jpg", .body = body, .chunked = true},
       1 << 20},
      {"ends at close", {.url = "http://img10.360buyimg.com/c.jpg", .body = body, .noLength = true},
       1 << 20},
      {"exactly the body cap", {.url = "http://img10.360buyimg.com/d.jpg", .body = body}, 1000},
      {"error status", {.url = "http://item.jd.com/e", .status = 404, .body = body}, 1 << 20},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.label);
    c.route.headers = {{"Content-Type", "image/jpeg"}, {"X-Twice", "a"}, {"X-Twice", "b"}};
    ASSERT_TRUE(shop_->AddRoute(c.route));
    CurrentHttpLimits().maxBodyBytes = c.maxBody;

    EXPECT_EQ(request_.Get(c.route.url), Status::ok);
    std::string received;
    EXPECT_EQ(request_.Body(received), Status::ok);
    EXPECT_EQ(received, body);
    std::u16string value;
    EXPECT_EQ(request_.Header(u"content-type", value), Status::ok);
    EXPECT_EQ(value, u"image/jpeg");
    request_.Header(u"X-Twice", value);
    EXPECT_EQ(value, u"a, b");
    EXPECT_EQ(request_.Header(u"X-Missing", value), Status::ok);
    EXPECT_EQ(value, u"");
    int code = 0;
    EXPECT_EQ(request_.StatusCode(code), Status::ok);
    EXPECT_EQ(code, c.route.status);
  }
}

TEST_F(HttpRequestTest, AFailedRequestLeavesNoResponseNotThePreviousOne) {
  struct Case {
    const char* label;
    std::vector<ShopRoute> routes;  // the first is requested
    HttpLimits limits;
  };
  const std::string big = SampleBody(5000);
  HttpLimits lowCap;
  lowCap.maxBodyBytes = 4096;
  HttpLimits shortIdle;
  shortIdle.idleSeconds = 1;
  HttpLimits fewRedirects;
  fewRedirects.maxRedirects = 3;
  const std::string a = "http://img10.360buyimg.com/a.jpg";
  const std::string b = "http://img10.360buyimg.com/b.jpg";
  const std::vector<Case> cases = {
      {"connection closed before an answer",
       {{.url = a, .drop = ShopRoute::Drop::beforeHeaders}}, {}},
      {"connection closed inside the body", {{.url = a, .body = big, .drop = ShopRoute::Drop::midBody}},
       {}},
      {"redirect to ftp", {{.url = a, .redirectTo = "ftp://img10.360buyimg.com/a.jpg"}}, {}},
      {"redirect to a local file", {{.url = a, .redirectTo = "file:///etc/passwd"}}, {}},
      {"redirect loop", {{.url = a, .redirectTo = b}, {.url = b, .redirectTo = a}}, fewRedirects},
      {"answer stalls", {{.url = a, .body = big, .stallMs = 3000}}, shortIdle},
      {"body over the cap, length known", {{.url = a, .body = big}}, lowCap},
      {"body over the cap, chunked", {{.url = a, .body = big, .chunked = true}}, lowCap},
      {"body over the cap, ends at close", {{.url = a, .body = big, .noLength = true}}, lowCap},
  };
  const ShopRoute good{.url = "http://img10.360buyimg.com/good.jpg",
                       .headers = {{"Content-Type", "image/png"}},
                       .body = "picture"};
  ASSERT_TRUE(shop_->AddRoute(good));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ASSERT_TRUE(shop_->Reset());
    ASSERT_TRUE(shop_->AddRoute(good));
    for (const ShopRoute& route : c.routes) ASSERT_TRUE(shop_->AddRoute(route));
    CurrentHttpLimits() = HttpLimits();
    std::string body;
    ASSERT_EQ(request_.Get(good.url), Status::ok);
    ASSERT_EQ(request_.Body(body), Status::ok);
    ASSERT_EQ(body, "picture");

    CurrentHttpLimits() = c.limits;
    EXPECT_NE(request_.Get(c.routes.front().url), Status::ok);
    EXPECT_NE(request_.Body(body), Status::ok);
    EXPECT_EQ(body, "");
    std::u16string value;
    EXPECT_NE(request_.Header(u"Content-Type", value), Status::ok);
    EXPECT_EQ(value, u"");
    int code = 0;
    EXPECT_NE(request_.StatusCode(code), Status::ok);
    EXPECT_EQ(code, 0);
  }
}

TEST_F(HttpRequestTest, FollowsRedirectsUpToTheLimitAndNoFurther) {
  // r0 → r1 → r2 → r3 → final: four redirects.
  for (int i = 0; i < 4; ++i) {
    const std::string next = i == 3 ? "http://img10.360buyimg.com/final.jpg"
                                    : "http://img10.360buyimg.com/r" + std::to_string(i + 1);
    ASSERT_TRUE(shop_->AddRoute(
        {.url = "http://img10.360buyimg.com/r" + std::to_string(i), .redirectTo = next}));
  }
  ASSERT_TRUE(shop_->AddRoute({.url = "http://img10.360buyimg.com/final.jpg", .body = "end"}));

  CurrentHttpLimits().maxRedirects = 4;
  EXPECT_EQ(request_.Get("http://img10.360buyimg.com/r0"), Status::ok);
  std::string body;
  request_.Body(body);
  EXPECT_EQ(body, "end");

  ASSERT_TRUE(shop_->Reset());
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(shop_->AddRoute({.url = "http://img10.360buyimg.com/r" + std::to_string(i),
                                 .redirectTo = "http://img10.360buyimg.com/r" +
                                               std::to_string(i + 1)}));
  }
  CurrentHttpLimits().maxRedirects = 3;
  EXPECT_NE(request_.Get("http://img10.360buyimg.com/r0"), Status::ok);
  EXPECT_EQ(shop_->Requests().size(), 4u) << "the first request and three redirects";
}

TEST_F(HttpRequestTest, HeadersGoOutOnceEachInTheCallersOrder) {
  ASSERT_TRUE(shop_->AddRoute({.url = "http://item.jd.com/h", .body = "x"}));
  struct Case {
    const char* label;
    std::vector<std::pair<std::u16string, std::u16string>> set;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"own Host and Accept in the middle",
       {{u"X-First", u"1"}, {u"Host", u"img10.360buyimg.com"}, {u"Accept", u"*/*"},
        {u"X-Empty", u""}},
       {"X-First: 1", "Host: img10.360buyimg.com", "Accept: */*", "X-Empty:"}},
      {"no Accept, no Host",
       {{u"X-Only", u"yes"}},
       {"Host: item.jd.com", "X-Only: yes"}},
      {"refused headers are left out",
       {{u"X-Before", u"1"}, {u"X-Split", u"a\r\nInjected: 1"}, {u"Bad Name", u"2"},
        {u"X-After", u"3"}},
       {"Host: item.jd.com", "X-Before: 1", "X-After: 3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ASSERT_TRUE(shop_->Reset());
    ASSERT_TRUE(shop_->AddRoute({.url = "http://item.jd.com/h", .body = "x"}));
    ASSERT_EQ(request_.Open("http://item.jd.com/h"), Status::ok);
    for (const auto& [name, value] : c.set) request_.SetHeader(name, value);
    EXPECT_EQ(request_.Send(), Status::ok);
    std::vector<support::ShopRequest> seen = shop_->Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].line, "GET http://item.jd.com/h HTTP/1.1");
    EXPECT_EQ(seen[0].headerLines, c.expected);
  }
}

TEST_F(HttpRequestTest, ARedirectToAnotherHostNamesThatHostOnce) {
  ASSERT_TRUE(shop_->AddRoute({.url = "http://img14.360buyimg.com/a.jpg",
                               .redirectTo = "http://img14.360buyimg.com/b.jpg"}));
  ASSERT_TRUE(shop_->AddRoute({.url = "http://img14.360buyimg.com/b.jpg",
                               .redirectTo = "http://other.example/c.jpg"}));
  ASSERT_TRUE(shop_->AddRoute({.url = "http://other.example/c.jpg", .body = "c"}));
  ASSERT_EQ(request_.Open("http://img14.360buyimg.com/a.jpg"), Status::ok);
  request_.SetHeader(u"Accept", u"*/*");
  request_.SetHeader(u"Host", u"img10.360buyimg.com");
  EXPECT_EQ(request_.Send(), Status::ok);
  std::vector<support::ShopRequest> seen = shop_->Requests();
  ASSERT_EQ(seen.size(), 3u);
  const std::vector<std::vector<std::string>> expected = {
      {"Accept: */*", "Host: img10.360buyimg.com"},  // as set
      {"Accept: */*", "Host: img10.360buyimg.com"},  // same host: still as set
      {"Host: other.example", "Accept: */*"},        // another host: its own name, once
  };
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].headerLines, expected[i]) << seen[i].line;
  }
}

TEST_F(HttpRequestTest, RefusesWhatItCannotDo) {
  EXPECT_EQ(request_.Open("http://item.jd.com/", Variant(true)), Status::invalidArgument)
      << "asynchronous requests";
  EXPECT_NE(request_.Call(u"open", InvokeKind::method,
                          {Variant(u"POST"), Variant(u"http://item.jd.com/"), Variant(false)}),
            Status::ok);
  EXPECT_NE(request_.Send(), Status::ok) << "send without a successful open";
  std::string body;
  EXPECT_NE(request_.Body(body), Status::ok) << "no request was made";
  EXPECT_TRUE(shop_->Requests().empty());
}

TEST_F(HttpRequestTest, ReusesOneConnectionForSuccessiveRequests) {
  ASSERT_TRUE(shop_->AddRoute({.url = "http://img10.360buyimg.com/1.jpg", .body = "one"}));
  ASSERT_TRUE(shop_->AddRoute({.url = "http://img10.360buyimg.com/2.jpg", .body = "two"}));
  for (const char* address :
       {"http://img10.360buyimg.com/1.jpg", "http://img10.360buyimg.com/2.jpg"}) {
    ASSERT_EQ(request_.Open(address), Status::ok);
    request_.SetHeader(u"Connection", u"Keep-Alive");
    EXPECT_EQ(request_.Send(), Status::ok) << address;
  }
  std::vector<support::ShopRequest> seen = shop_->Requests();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].connection, seen[1].connection);
}

TEST_F(HttpRequestTest, RunsTheWaitHookWhileAnAnswerIsSlow) {
  ASSERT_TRUE(shop_->AddRoute({.url = "http://item.jd.com/slow", .body = "late", .delayMs = 300}));
  int calls = 0;
  SetWaitHook([&calls] { ++calls; });
  EXPECT_EQ(request_.Get("http://item.jd.com/slow"), Status::ok);
  std::string body;
  request_.Body(body);
  EXPECT_EQ(body, "late");
  EXPECT_GT(calls, 0);
}

TEST_F(HttpRequestTest, AHookThatThrowsFailsThatRequestOnly) {
  ASSERT_TRUE(shop_->AddRoute({.url = "http://item.jd.com/slow", .body = "late", .delayMs = 300}));
  SetWaitHook([] { throw std::runtime_error("window gone"); });
  EXPECT_NE(request_.Get("http://item.jd.com/slow"), Status::ok);

  int calls = 0;
  SetWaitHook([&calls] { ++calls; });
  EXPECT_EQ(request_.Get("http://item.jd.com/slow"), Status::ok);
  EXPECT_GT(calls, 0) << "the hook still runs after one has thrown";
}

TEST_F(HttpRequestTest, AnAbandonedWaitFailsTheRequestAndSurvivesRelease) {
  ASSERT_TRUE(shop_->AddRoute({.url = "http://item.jd.com/slow", .body = "late", .delayMs = 300}));
  // The hook drops the caller's reference, as closing the window mid-request does.
  std::weak_ptr<DispatchObject> watch = request_.Watch();
  SetWaitHook([this] {
    SetWaitsAbandoned(true);
    request_.Release();
  });
  ObjectRef held = watch.lock();
  const MemberInfo* open = FindMember(*held, u"open", InvokeKind::method);
  const MemberInfo* send = FindMember(*held, u"send", InvokeKind::method);
  std::vector<Variant> openArguments{Variant(u"GET"), Variant(u"http://item.jd.com/slow"),
                                     Variant(false)};
  std::vector<Variant> none;
  Variant result;
  ASSERT_EQ(held->Invoke(open->memberId, InvokeKind::method, openArguments, result), Status::ok);
  DispatchObject* raw = held.get();
  held.reset();  // only request_ holds it now, and the hook lets that go
  EXPECT_NE(raw->Invoke(send->memberId, InvokeKind::method, none, result), Status::ok);
  EXPECT_TRUE(watch.expired()) << "released once the request returned";
}

}  // namespace
}  // namespace platform
