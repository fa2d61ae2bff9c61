#include "web/shared_request.h"

#include <cmath>
#include <limits>

#include "web/call_by_name.h"
#include "web/object_creation.h"

namespace web {

const base::Text itemHost = "item.jd.com";
const base::Text imageHost = "img10.360buyimg.com";

namespace {

// The browser identity both profiles send; it has no closing parenthesis.
const base::Text kUserAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1";
const base::Text kFormContentType = "application/x-www-form-urlencoded";

// Code page 936 bytes of "系统不支持操作" and of "信息：" (with a full-width colon).
const base::Text kNotSupportedText = "\xCF\xB5\xCD\xB3\xB2\xBB\xD6\xA7\xB3\xD6\xB2\xD9\xD7\xF7";
const base::Text kNotSupportedTitle = "\xD0\xC5\xCF\xA2\xA3\xBA";

// The object in the slot, or null when the slot is missing or empty.
platform::ObjectRef RequestObject() {
  return sharedRequest ? *sharedRequest : platform::ObjectRef();
}

}  // namespace

const HeaderProfile PageHeaders = {
    {"Referer", "", true},
    {"Accept", "*/*", false},
    {"Accept-Language", "zh-cn", false},
    {"Content-Type", kFormContentType, false},
    {"User-Agent", kUserAgent, false},
    {"Host", itemHost, false},
    {"Cache-Control", "no-cache", false},
};

const HeaderProfile ImageHeaders = {
    {"Connection", "Keep-Alive", false},
    {"Content-Type", kFormContentType, false},
    {"Accept", "*/*", false},
    {"Accept-Language", "zh-cn", false},
    {"Referer", "", true},
    {"User-Agent", kUserAgent, false},
    {"Host", imageHost, false},
};

std::unique_ptr<platform::ObjectRef> sharedRequest;

void AllocateSharedRequest() { sharedRequest = std::make_unique<platform::ObjectRef>(); }

void CreateSharedRequest(const MessageBoxFunction& showMessageBox) {
  if (!sharedRequest) AllocateSharedRequest();
  if (CreateObjectFromProgId("MSXML2.XMLHTTP", *sharedRequest)) return;
  if (CreateObjectFromProgId("Microsoft.XMLHTTP", *sharedRequest)) return;
  if (showMessageBox) showMessageBox(kNotSupportedText, kNotSupportedTitle);
}

void SendGet(const base::Text& address, const HeaderProfile& profile) {
  platform::ObjectRef request = RequestObject();
  // Every step runs whatever the one before it gave; a refused header is simply not sent.
  CallMethod(request, "open", {TextToVariant("GET"), TextToVariant(address), Variant(false)});
  for (const HeaderField& header : profile) {
    const base::Text& value = header.isOwnAddress ? address : header.value;
    CallMethod(request, "setRequestHeader", {TextToVariant(header.name), TextToVariant(value)});
  }
  CallMethod(request, "send");
}

base::ByteBuffer ReadResponseBody() {
  return VariantToBytes(GetProperty(RequestObject(), "responseBody"));
}

base::Text ReadResponseHeader(const base::Text& name) {
  return VariantToText(GetProperty(RequestObject(), "getResponseHeader", {TextToVariant(name)}));
}

int ReadResponseStatus() {
  double status = std::trunc(VariantToReal(GetProperty(RequestObject(), "status")));
  if (!(status >= std::numeric_limits<int>::min() && status <= std::numeric_limits<int>::max())) {
    return 0;
  }
  return static_cast<int>(status);
}

void ReleaseSharedRequest() {
  if (sharedRequest) sharedRequest->reset();
  sharedRequest.reset();
}

}  // namespace web
