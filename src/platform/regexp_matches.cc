#include "platform/regexp_matches.h"

#include <cstdint>
#include <utility>

#include "platform/dispatch.h"

namespace platform {
namespace {

using Matches = std::shared_ptr<const MatchList>;

// The one index argument of an "Item" as a position below `size`.
Status ReadIndex(const std::vector<Variant>& arguments, std::size_t size, std::size_t& index) {
  if (arguments.size() != 1) return Status::badParameterCount;
  std::optional<std::int32_t> value = ConvertToInt(arguments[0]);
  if (!value) return Status::typeMismatch;
  if (*value < 0 || static_cast<std::size_t>(*value) >= size) return Status::invalidArgument;
  index = static_cast<std::size_t>(*value);
  return Status::ok;
}

// Offsets fit 32 bits: the engine refuses longer subjects.
std::int32_t Number(std::size_t value) { return static_cast<std::int32_t>(value); }

class SubMatchCollection : public AutomationObject {
 public:
  SubMatchCollection(Matches matches, std::size_t match) {
    AddMember(u"Count", InvokeKind::propertyGet, 0,
              [matches](std::vector<Variant>&, Variant& result) {
                result = static_cast<std::int32_t>(matches->groupCount);
                return Status::ok;
              });
    AddMember(u"Item", InvokeKind::propertyGet, 1,
              [matches, match](std::vector<Variant>& arguments, Variant& result) {
                std::size_t index = 0;
                Status status = ReadIndex(arguments, static_cast<std::size_t>(matches->groupCount), index);
                if (status != Status::ok) return status;
                result = matches->Text(match, static_cast<int>(index) + 1);
                return Status::ok;
              });
  }
};

class Match : public AutomationObject {
 public:
  Match(Matches matches, std::size_t match) {
    AddMember(u"Value", InvokeKind::propertyGet, 0,
              [matches, match](std::vector<Variant>&, Variant& result) {
                result = matches->Text(match);
                return Status::ok;
              });
    AddMember(u"FirstIndex", InvokeKind::propertyGet, 0,
              [matches, match](std::vector<Variant>&, Variant& result) {
                result = Number(matches->Start(match));
                return Status::ok;
              });
    AddMember(u"Length", InvokeKind::propertyGet, 0,
              [matches, match](std::vector<Variant>&, Variant& result) {
                result = Number(matches->End(match) - matches->Start(match));
                return Status::ok;
              });
    AddMember(u"SubMatches", InvokeKind::propertyGet, 0,
              [matches, match](std::vector<Variant>&, Variant& result) {
                result = ObjectRef(std::make_shared<SubMatchCollection>(matches, match));
                return Status::ok;
              });
  }
};

class MatchCollection : public AutomationObject {
 public:
  explicit MatchCollection(Matches matches) {
    AddMember(u"Count", InvokeKind::propertyGet, 0,
              [matches](std::vector<Variant>&, Variant& result) {
                result = Number(matches->MatchCount());
                return Status::ok;
              });
    AddMember(u"Item", InvokeKind::propertyGet, 1,
              [matches](std::vector<Variant>& arguments, Variant& result) {
                std::size_t index = 0;
                Status status = ReadIndex(arguments, matches->MatchCount(), index);
                if (status != Status::ok) return status;
                result = ObjectRef(std::make_shared<Match>(matches, index));
                return Status::ok;
              });
  }
};

}  // namespace

ObjectRef NewMatchCollection(std::shared_ptr<const MatchList> matches) {
  return std::make_shared<MatchCollection>(std::move(matches));
}

}  // namespace platform
