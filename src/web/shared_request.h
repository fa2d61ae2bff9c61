// The one process-wide HTTP request object and the GET requests made with it.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "base/text.h"
#include "platform/variant.h"

namespace web {

// Host of the item pages and host of the images.
extern const base::Text itemHost;   // "item.jd.com"
extern const base::Text imageHost;  // "img10.360buyimg.com"

// One request header; `isOwnAddress` means the value is the request's own address.
struct HeaderField {
  base::Text name;
  base::Text value;
  bool isOwnAddress = false;
};
using HeaderProfile = std::vector<HeaderField>;

// The two fixed header profiles, in the order the headers are set.
extern const HeaderProfile PageHeaders;
extern const HeaderProfile ImageHeaders;

// The slot: null before it is allocated and after it is freed; otherwise holding the
// request object or empty.
extern std::unique_ptr<platform::ObjectRef> sharedRequest;

// Allocates the slot, empty.
void AllocateSharedRequest();

// Shows `text` with `title` in a modal message box and returns when it is dismissed.
using MessageBoxFunction = std::function<void(const base::Text& text, const base::Text& title)>;

// Fills the slot from "MSXML2.XMLHTTP", else "Microsoft.XMLHTTP"; when neither can be made,
// shows "系统不支持操作" titled "信息：" through `showMessageBox` and leaves the slot empty.
void CreateSharedRequest(const MessageBoxFunction& showMessageBox);

// "open" GET `address` synchronously, each header of `profile` in order, then "send".
// Nothing is reported; with an empty slot nothing happens.
void SendGet(const base::Text& address, const HeaderProfile& profile);

// The last response's body; empty when there is none.
base::ByteBuffer ReadResponseBody();

// A header of the last response; the empty text when missing or when there is no response.
base::Text ReadResponseHeader(const base::Text& name);

// HTTP status of the last response; 0 when there is none.
int ReadResponseStatus();

// Releases the object the slot holds, if any, and frees the slot.
void ReleaseSharedRequest();

}  // namespace web
