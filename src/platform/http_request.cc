#include "platform/http_request.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/utf8.h"
#include "platform/dispatch.h"
#include "platform/http_text.h"
#include "platform/wait_hook.h"

namespace platform {
namespace {

// How long one wait slice lasts before the wait hook runs again.
constexpr int kSliceMilliseconds = 15;

void InitializeCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A header name is an HTTP token.
bool IsHeaderName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name) {
    const auto unit = static_cast<unsigned char>(c);
    if (unit <= 0x20 || unit >= 0x7F || c == ':' || c == '(' || c == ')' || c == ',' ||
        c == '/' || c == ';' || c == '<' || c == '=' || c == '>' || c == '?' || c == '@' ||
        c == '[' || c == '\\' || c == ']' || c == '{' || c == '}' || c == '"') {
      return false;
    }
  }
  return true;
}

// A header value may not break the request apart.
bool IsHeaderValue(const std::string& value) {
  for (char c : value) {
    if (c == '\r' || c == '\n' || c == '\0') return false;
  }
  return true;
}

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

class HttpRequest : public AutomationObject, public std::enable_shared_from_this<HttpRequest> {
 public:
  HttpRequest(CURL* easy, CURLM* multi) : easy_(easy), multi_(multi) {
    AddMember(u"open", InvokeKind::method, 3,
              [this](std::vector<Variant>& arguments, Variant&) { return Open(arguments); });
    AddMember(u"setRequestHeader", InvokeKind::method, 2,
              [this](std::vector<Variant>& arguments, Variant&) {
                return SetRequestHeader(arguments);
              });
    AddMember(u"send", InvokeKind::method, 1,
              [this](std::vector<Variant>&, Variant&) { return Send(); });
    AddMember(u"responseBody", InvokeKind::propertyGet, 0,
              [this](std::vector<Variant>&, Variant& result) {
                if (!hasResponse_) return Status::exception;
                result = body_;
                return Status::ok;
              });
    AddMember(u"getResponseHeader", InvokeKind::method, 1,
              [this](std::vector<Variant>& arguments, Variant& result) {
                return GetResponseHeader(arguments, result);
              });
    AddMember(u"status", InvokeKind::propertyGet, 0,
              [this](std::vector<Variant>&, Variant& result) {
                if (!hasResponse_) return Status::exception;
                result = static_cast<std::int32_t>(status_);
                return Status::ok;
              });
  }

  ~HttpRequest() override {
    curl_easy_cleanup(easy_);
    curl_multi_cleanup(multi_);
  }

  HttpRequest(const HttpRequest&) = delete;
  HttpRequest& operator=(const HttpRequest&) = delete;

 private:
  void ClearResponse() {
    hasResponse_ = false;
    body_.clear();
    body_.shrink_to_fit();
    status_ = 0;
  }

  Status Open(std::vector<Variant>& arguments) {
    if (busy_) return Status::exception;
    ClearResponse();
    opened_ = false;
    headers_.clear();
    if (arguments.size() < 2) return Status::badParameterCount;
    std::optional<std::u16string> method = ConvertToString(arguments[0]);
    std::optional<std::u16string> url = ConvertToString(arguments[1]);
    if (!method || !url) return Status::typeMismatch;
    if (arguments.size() > 2) {
      std::optional<bool> async = ConvertToBool(arguments[2]);
      if (!async) return Status::typeMismatch;
      if (*async) return Status::invalidArgument;  // only synchronous requests
    }
    if (!EqualsIgnoringAsciiCase(base::WideToUtf8(*method), "GET")) return Status::invalidArgument;
    url_ = EncodeAddress(*url);
    opened_ = true;
    return Status::ok;
  }

  Status SetRequestHeader(std::vector<Variant>& arguments) {
    if (busy_ || !opened_) return Status::exception;
    if (arguments.size() < 2) return Status::badParameterCount;
    std::optional<std::u16string> name = ConvertToString(arguments[0]);
    std::optional<std::u16string> value = ConvertToString(arguments[1]);
    if (!name || !value) return Status::typeMismatch;
    std::string nameBytes = base::WideToUtf8(*name);
    std::string valueBytes = base::WideToUtf8(*value);
    if (!IsHeaderName(nameBytes) || !IsHeaderValue(valueBytes)) return Status::invalidArgument;
    headers_.emplace_back(std::move(nameBytes), std::move(valueBytes));
    return Status::ok;
  }

  Status GetResponseHeader(std::vector<Variant>& arguments, Variant& result) {
    if (!hasResponse_) return Status::exception;
    if (arguments.empty()) return Status::badParameterCount;
    std::optional<std::u16string> name = ConvertToString(arguments[0]);
    if (!name) return Status::typeMismatch;
    const std::string nameBytes = base::WideToUtf8(*name);
    // Several fields of one name are joined with ", ", as HTTP allows.
    std::string value;
    std::size_t amount = 1;
    for (std::size_t index = 0; index < amount; ++index) {
      curl_header* header = nullptr;
      if (curl_easy_header(easy_, nameBytes.c_str(), index, CURLH_HEADER, -1, &header) !=
          CURLHE_OK) {
        break;
      }
      amount = header->amount;
      if (index > 0) value += ", ";
      value += header->value;
    }
    result = FromHeaderBytes(value);
    return Status::ok;
  }

  // The request's headers in the caller's order, each once. Headers libcurl would add by
  // itself ("Accept: */*", and "Proxy-Connection" through a proxy) are kept out when the
  // caller set none, so exactly what the caller set goes out.
  HeaderList BuildHeaderList() const {
    static const char* const kLibraryHeaders[] = {"Accept", "Proxy-Connection"};
    HeaderList list;
    auto append = [&list](const std::string& line) {
      curl_slist* extended = curl_slist_append(list.get(), line.c_str());
      if (extended == nullptr) return false;
      static_cast<void>(list.release());
      list.reset(extended);
      return true;
    };
    // libcurl puts a caller's "Host" first, in its own slot. An empty "Host:" entry ahead of
    // everything empties that slot, and the caller's Host then goes out in its own place.
    // On a redirect to another host libcurl names that host itself and drops the caller's.
    for (const auto& header : headers_) {
      if (EqualsIgnoringAsciiCase(header.first, "Host")) {
        if (!append("Host:")) return nullptr;
        break;
      }
    }
    for (const auto& [name, value] : headers_) {
      // "Name:" alone would remove the header; "Name;" sends it with an empty value.
      if (!append(value.empty() ? name + ";" : name + ": " + value)) return nullptr;
    }
    for (const char* libraryHeader : kLibraryHeaders) {
      bool setByCaller = false;
      for (const auto& header : headers_) {
        if (EqualsIgnoringAsciiCase(header.first, libraryHeader)) setByCaller = true;
      }
      if (!setByCaller && !append(std::string(libraryHeader) + ":")) return nullptr;
    }
    return list;
  }

  static std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* self = static_cast<HttpRequest*>(user);
    const std::size_t bytes = size * count;
    // The size is not always known up front, so the cap is also checked as bytes arrive.
    if (static_cast<std::uint64_t>(self->body_.size()) + bytes >
        static_cast<std::uint64_t>(self->limits_.maxBodyBytes)) {
      return 0;  // fails the transfer
    }
    self->body_.insert(self->body_.end(), reinterpret_cast<unsigned char*>(data),
                       reinterpret_cast<unsigned char*>(data) + bytes);
    return bytes;
  }

  bool Configure(curl_slist* headerList) {
    limits_ = CurrentHttpLimits();
    const curl_off_t maxBody = static_cast<curl_off_t>(limits_.maxBodyBytes);
    return curl_easy_setopt(easy_, CURLOPT_URL, url_.c_str()) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, limits_.maxRedirects) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, limits_.connectTimeoutSeconds) ==
               CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, limits_.idleSeconds) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_MAXFILESIZE_LARGE, maxBody) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &HttpRequest::WriteBody) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this) == CURLE_OK;
  }

  // Runs the transfer in short slices, calling the wait hook between them. True when a
  // whole response arrived.
  bool Transfer() {
    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) return false;
    std::optional<CURLcode> outcome;
    while (!outcome) {
      int running = 0;
      if (curl_multi_perform(multi_, &running) != CURLM_OK) break;
      int queued = 0;
      while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
          outcome = message->data.result;
        }
      }
      if (outcome) break;
      if (running == 0) break;  // finished without a message: treat as failed
      if (curl_multi_poll(multi_, nullptr, 0, kSliceMilliseconds, nullptr) != CURLM_OK) break;
      try {
        CallWaitHook();
      } catch (...) {
        break;  // a failing hook ends the wait like an abandoned one
      }
      if (WaitsAbandoned()) break;
    }
    curl_multi_remove_handle(multi_, easy_);
    return outcome && *outcome == CURLE_OK;
  }

  Status Send() {
    if (busy_) return Status::exception;
    ClearResponse();
    if (!opened_ || WaitsAbandoned()) return Status::exception;
    HeaderList headerList = BuildHeaderList();
    if (!headerList || !Configure(headerList.get())) return Status::exception;

    // The wait hook may drop the last reference to this object; keep it alive meanwhile.
    std::shared_ptr<HttpRequest> keepAlive = shared_from_this();
    busy_ = true;
    const bool complete = Transfer();
    busy_ = false;
    // libcurl keeps the pointer; it must not outlive the list.
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));

    long status = 0;
    if (!complete || curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK ||
        status == 0) {
      ClearResponse();
      return Status::exception;
    }
    status_ = status;
    hasResponse_ = true;
    return Status::ok;
  }

  CURL* easy_;
  CURLM* multi_;
  HttpLimits limits_;
  std::string url_;
  std::vector<std::pair<std::string, std::string>> headers_;
  bool opened_ = false;
  bool busy_ = false;
  bool hasResponse_ = false;
  long status_ = 0;
  base::ByteBuffer body_;
};

}  // namespace

HttpLimits& CurrentHttpLimits() {
  static HttpLimits limits;
  return limits;
}

ObjectRef NewHttpRequestObject() {
  InitializeCurlOnce();
  CURL* easy = curl_easy_init();
  CURLM* multi = curl_multi_init();
  if (easy == nullptr || multi == nullptr) {
    if (easy != nullptr) curl_easy_cleanup(easy);
    if (multi != nullptr) curl_multi_cleanup(multi);
    return nullptr;
  }
  return std::make_shared<HttpRequest>(easy, multi);
}

}  // namespace platform
