// The HTTP request object ("MSXML2.XMLHTTP", "Microsoft.XMLHTTP"), on libcurl.
//
// Members: "open" (method, url, async: only GET, only synchronous), "setRequestHeader"
// (name, value), "send" (an optional body, ignored), "responseBody" (byte array),
// "getResponseHeader" (name → string, "" when missing) and "status" (integer). A request
// that fails leaves no response: the three reads then fail until the next successful send.
#pragma once

#include <cstdint>

#include "platform/variant.h"

namespace platform {

// Safety limits every request obeys; read when a request starts.
struct HttpLimits {
  long connectTimeoutSeconds = 30;   // connecting gives up after this
  long idleSeconds = 60;             // a transfer that receives nothing this long fails
  std::int64_t maxBodyBytes = std::int64_t{512} * 1024 * 1024;  // a larger body fails
  long maxRedirects = 10;            // redirects followed, http and https only
};

// The process-wide limits; tests may lower them and put the defaults back.
HttpLimits& CurrentHttpLimits();

// A new request object; null when the HTTP client cannot be set up.
ObjectRef NewHttpRequestObject();

}  // namespace platform
