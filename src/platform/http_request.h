// The HTTP request object ("MSXML2.XMLHTTP", "Microsoft.XMLHTTP"), on libcurl.
#pragma once

#include "platform/variant.h"

namespace platform {

// A new request object.
ObjectRef NewHttpRequestObject();

}  // namespace platform
