// Placeholder until the PCRE2 engine lands.
#include "platform/regexp_engine.h"
namespace platform {
ObjectRef NewRegExpEngine() { return nullptr; }
}  // namespace platform
