#include "platform/regexp_engine.h"

#include <memory>
#include <utility>

#include "platform/dispatch.h"
#include "platform/regexp_matches.h"
#include "platform/regexp_search.h"

namespace platform {
namespace {

class RegExpEngine : public AutomationObject {
 public:
  RegExpEngine() {
    AddBoolProperty(u"IgnoreCase", &options_.ignoreCase);
    AddBoolProperty(u"Multiline", &options_.multiline);
    AddBoolProperty(u"Global", &options_.global);
    AddMember(u"Pattern", InvokeKind::propertyGet, 0, [this](std::vector<Variant>&, Variant& result) {
      result = pattern_;
      return Status::ok;
    });
    AddMember(u"Pattern", InvokeKind::propertyPut, 1,
              [this](std::vector<Variant>& arguments, Variant&) {
                if (arguments.size() != 1) return Status::badParameterCount;
                std::optional<std::u16string> value = ConvertToString(arguments[0]);
                if (!value) return Status::typeMismatch;
                pattern_ = std::move(*value);
                return Status::ok;
              });
    AddMember(u"Execute", InvokeKind::method, 1,
              [this](std::vector<Variant>& arguments, Variant& result) {
                return Execute(arguments, result);
              });
    AddMember(u"Replace", InvokeKind::method, 2,
              [this](std::vector<Variant>& arguments, Variant& result) {
                return Replace(arguments, result);
              });
  }

 private:
  void AddBoolProperty(std::u16string name, bool* field) {
    AddMember(name, InvokeKind::propertyGet, 0, [field](std::vector<Variant>&, Variant& result) {
      result = *field;
      return Status::ok;
    });
    AddMember(std::move(name), InvokeKind::propertyPut, 1,
              [field](std::vector<Variant>& arguments, Variant&) {
                if (arguments.size() != 1) return Status::badParameterCount;
                std::optional<bool> value = ConvertToBool(arguments[0]);
                if (!value) return Status::typeMismatch;
                *field = *value;
                return Status::ok;
              });
  }

  // Runs the current pattern and options over the string form of `subject`.
  Status RunPattern(const Variant& subject, MatchList& matches) const {
    std::optional<std::u16string> text = ConvertToString(subject);
    if (!text) return Status::typeMismatch;
    return FindMatches(pattern_, options_,
                       std::make_shared<const std::u16string>(std::move(*text)), matches);
  }

  Status Execute(std::vector<Variant>& arguments, Variant& result) const {
    if (arguments.size() != 1) return Status::badParameterCount;
    auto matches = std::make_shared<MatchList>();
    Status status = RunPattern(arguments[0], *matches);
    if (status != Status::ok) return status;
    result = NewMatchCollection(std::move(matches));
    return Status::ok;
  }

  Status Replace(std::vector<Variant>& arguments, Variant& result) const {
    if (arguments.size() != 2) return Status::badParameterCount;
    std::optional<std::u16string> replacement = ConvertToString(arguments[1]);
    if (!replacement) return Status::typeMismatch;
    MatchList matches;
    Status status = RunPattern(arguments[0], matches);
    if (status != Status::ok) return status;
    const std::u16string& subject = *matches.subject;
    std::u16string out;
    std::size_t copied = 0;
    for (std::size_t match = 0; match < matches.MatchCount(); ++match) {
      out.append(subject, copied, matches.Start(match) - copied);
      out += ExpandReplacement(*replacement, matches, match);
      copied = matches.End(match);
    }
    out.append(subject, copied);
    result = std::move(out);
    return Status::ok;
  }

  RegExpOptions options_;
  std::u16string pattern_;
};

}  // namespace

ObjectRef NewRegExpEngine() { return std::make_shared<RegExpEngine>(); }

}  // namespace platform
