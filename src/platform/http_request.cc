// Placeholder until the libcurl object lands.
#include "platform/http_request.h"
namespace platform {
ObjectRef NewHttpRequestObject() { return nullptr; }
}  // namespace platform
