// The result objects of the engine's "Execute": the match collection, its matches and
// their sub-match collections. They share the one run's offsets and subject, so "Item"
// is O(1) and a match's texts are cut out only when read.
#pragma once

#include <memory>

#include "platform/regexp_search.h"
#include "platform/variant.h"

namespace platform {

// A match collection over `matches`: "Count" and "Item"(zero-based index) giving a match
// with "Value", "FirstIndex", "Length" and "SubMatches" ("Count", "Item"). An index that
// is not a number fails with Status::typeMismatch, one outside the collection with
// Status::invalidArgument. A group that took no part in the match reads as "".
ObjectRef NewMatchCollection(std::shared_ptr<const MatchList> matches);

}  // namespace platform
