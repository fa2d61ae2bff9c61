#include "support/fake_shop.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

extern char** environ;

namespace support {
namespace {

// How long to wait for the server to announce its port before giving up on it.
constexpr int kStartWaitMilliseconds = 20000;

// A JSON string literal; bytes of 0x80 and above become \u0080..\u00ff, which the server
// turns back into the same bytes.
std::string JsonString(const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : bytes) {
    const auto unit = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (unit < 0x20 || unit >= 0x7f) {
      out += "\\u00";
      out.push_back(kHex[unit >> 4]);
      out.push_back(kHex[unit & 0xf]);
    } else {
      out.push_back(c);
    }
  }
  return out + "\"";
}

std::string Base64(const std::string& bytes) {
  static const char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned group = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) out.push_back(kDigits[(group >> shift) & 63]);
  }
  if (i < bytes.size()) {
    unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out.push_back(kDigits[(group >> 18) & 63]);
    out.push_back(kDigits[(group >> 12) & 63]);
    out.push_back(i + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

const char* DropName(ShopRoute::Drop drop) {
  switch (drop) {
    case ShopRoute::Drop::beforeHeaders:
      return "before_headers";
    case ShopRoute::Drop::midBody:
      return "mid_body";
    case ShopRoute::Drop::none:
      break;
  }
  return "none";
}

std::size_t CollectAnswer(char* data, std::size_t size, std::size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

// The first line the server prints: its port; 0 when none comes.
int ReadPort(int fd) {
  std::string line;
  while (line.find('\n') == std::string::npos) {
    pollfd waitFor{fd, POLLIN, 0};
    if (poll(&waitFor, 1, kStartWaitMilliseconds) <= 0) return 0;
    char buffer[64];
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) return 0;
    line.append(buffer, static_cast<std::size_t>(got));
  }
  return std::atoi(line.c_str());
}

}  // namespace

std::optional<std::string> ShopRequest::Header(const std::string& name) const {
  for (const std::string& headerLine : headerLines) {
    std::size_t colon = headerLine.find(':');
    if (colon != name.size() || strncasecmp(headerLine.c_str(), name.c_str(), colon) != 0) continue;
    std::size_t begin = headerLine.find_first_not_of(" \t", colon + 1);
    if (begin == std::string::npos) return std::string();
    std::size_t end = headerLine.find_last_not_of(" \t");
    return headerLine.substr(begin, end - begin + 1);
  }
  return std::nullopt;
}

FakeShop::FakeShop() {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  int toChild[2];
  int fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) != 0) return;
  if (pipe2(fromChild, O_CLOEXEC) != 0) {
    close(toChild[0]);
    close(toChild[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
  posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
  std::string script = VELKARO_FIXTURES_DIR "/fake_shop.py";
  char python[] = "python3";
  char watch[] = "--watch-stdin";
  char* argv[] = {python, script.data(), watch, nullptr};
  pid_t pid = -1;
  int spawned = posix_spawnp(&pid, "python3", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(toChild[0]);
  close(fromChild[1]);
  stdinFd_ = toChild[1];
  stdoutFd_ = fromChild[0];
  if (spawned != 0) return;
  pid_ = pid;
  port_ = ReadPort(stdoutFd_);
}

FakeShop::~FakeShop() {
  if (stdinFd_ >= 0) close(stdinFd_);  // the server stops at end of input
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  if (stdoutFd_ >= 0) close(stdoutFd_);
}

std::string FakeShop::ProxyAddress() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

bool FakeShop::Control(const std::string& method, const std::string& action,
                       const std::string& body, std::string* answer) const {
  if (!Running()) return false;
  CURL* easy = curl_easy_init();
  if (easy == nullptr) return false;
  const std::string url = ProxyAddress() + "/__control/" + action;
  std::string received;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROXY, "");  // straight to the server, whatever http_proxy says
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CollectAnswer);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &received);
  if (method == "POST") {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
  }
  CURLcode result = curl_easy_perform(easy);
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(easy);
  if (answer != nullptr) *answer = received;
  return result == CURLE_OK && status == 200;
}

bool FakeShop::AddRoute(const ShopRoute& route) {
  std::ostringstream json;
  json << "{\"url\":" << JsonString(route.url) << ",\"headers\":[";
  for (std::size_t i = 0; i < route.headers.size(); ++i) {
    json << (i > 0 ? "," : "") << "[" << JsonString(route.headers[i].first) << ","
         << JsonString(route.headers[i].second) << "]";
  }
  json << "],\"body_base64\":\"" << Base64(route.body) << "\""
       << ",\"no_length\":" << (route.noLength ? "true" : "false")
       << ",\"chunked\":" << (route.chunked ? "true" : "false")
       << ",\"delay_ms\":" << route.delayMs << ",\"stall_ms\":" << route.stallMs
       << ",\"drop\":\"" << DropName(route.drop) << "\"";
  if (!route.redirectTo.empty()) {
    json << ",\"redirect_to\":" << JsonString(route.redirectTo);
    if (route.status != 200) json << ",\"status\":" << route.status;
  } else {
    json << ",\"status\":" << route.status;
  }
  json << "}";
  return Control("POST", "route", json.str(), nullptr);
}

bool FakeShop::Reset() { return Control("POST", "reset", "{}", nullptr); }

bool FakeShop::SetDelay(int delayMs) {
  return Control("POST", "settings", "{\"delay_ms\":" + std::to_string(delayMs) + "}", nullptr);
}

std::vector<ShopRequest> FakeShop::Requests() const {
  std::string text;
  if (!Control("GET", "log.txt", "", &text)) return {};
  std::vector<ShopRequest> requests;
  std::istringstream lines(text);
  std::string line;
  ShopRequest* current = nullptr;
  while (std::getline(lines, line)) {
    if (line.empty()) {
      current = nullptr;
    } else if (current == nullptr) {
      ShopRequest request;
      std::size_t space = line.find(' ');
      request.connection = std::atoi(line.substr(0, space).c_str());
      request.line = space == std::string::npos ? std::string() : line.substr(space + 1);
      requests.push_back(std::move(request));
      current = &requests.back();
    } else {
      current->headerLines.push_back(line);
    }
  }
  return requests;
}

ScopedShopProxy::ScopedShopProxy(const FakeShop& shop) {
  for (const char* name : {"http_proxy", "no_proxy", "NO_PROXY"}) {
    const char* value = std::getenv(name);
    saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
  }
  setenv("http_proxy", shop.ProxyAddress().c_str(), 1);
  unsetenv("no_proxy");
  unsetenv("NO_PROXY");
}

ScopedShopProxy::~ScopedShopProxy() {
  for (const auto& [name, value] : saved_) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }
}

}  // namespace support
