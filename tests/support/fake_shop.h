// Tests' handle on the fake shop server (tests/fixtures/fake_shop.py): starts it on a free
// port, scripts its answers and reads what it received. See the script's docstring for the
// server side.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace support {

// One scripted answer, served for requests whose address equals `url`.
struct ShopRoute {
  enum class Drop { none, beforeHeaders, midBody };

  std::string url{};                                         // "http://host/path?query"
  int status = 200;                                          // 302 when only redirectTo is set
  std::vector<std::pair<std::string, std::string>> headers{};  // sent in this order
  std::string body{};                                        // any bytes
  bool noLength = false;  // no Content-Length: the body ends when the connection closes
  bool chunked = false;   // Transfer-Encoding: chunked
  int delayMs = 0;        // wait before answering
  Drop drop = Drop::none;
  int stallMs = 0;          // after the headers and half the body, wait this long
  std::string redirectTo{};  // adds a Location header
};

// One request as the shop received it.
struct ShopRequest {
  int connection = 0;                    // same number: same connection
  std::string line;                      // "GET http://item.jd.com/x HTTP/1.1"
  std::vector<std::string> headerLines;  // exactly as received, in order, without CRLF

  // The value of the first header named `name` (any case), without surrounding blanks.
  std::optional<std::string> Header(const std::string& name) const;
};

class FakeShop {
 public:
  // Starts the server; Running() tells whether that worked.
  FakeShop();
  // Stops the server and waits for it.
  ~FakeShop();
  FakeShop(const FakeShop&) = delete;
  FakeShop& operator=(const FakeShop&) = delete;

  bool Running() const { return port_ > 0; }
  int Port() const { return port_; }
  // "http://127.0.0.1:PORT", for http_proxy.
  std::string ProxyAddress() const;

  // Each returns false when the server did not accept the call.
  bool AddRoute(const ShopRoute& route);
  bool Reset();                  // forgets routes, the log and the delay
  bool SetDelay(int delayMs);    // a delay before every shop answer

  // Every logged request in arrival order; empty when the log cannot be read.
  std::vector<ShopRequest> Requests() const;

 private:
  bool Control(const std::string& method, const std::string& action, const std::string& body,
               std::string* answer) const;

  int pid_ = -1;
  int stdinFd_ = -1;
  int stdoutFd_ = -1;
  int port_ = 0;
};

// Routes libcurl through `shop` for its lifetime: sets http_proxy, unsets no_proxy and
// NO_PROXY, and puts all three back afterwards.
class ScopedShopProxy {
 public:
  explicit ScopedShopProxy(const FakeShop& shop);
  ~ScopedShopProxy();
  ScopedShopProxy(const ScopedShopProxy&) = delete;
  ScopedShopProxy& operator=(const ScopedShopProxy&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace support
