#include "regex/regex_object.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "base/text.h"
#include "platform/apartment.h"
#include "web/call_by_name.h"
#include "web/object_creation.h"

namespace regex {
namespace {

using platform::ObjectRef;
using platform::Variant;

// "#引号" in code page 936: callers write it in a pattern where a double quote is meant.
const base::Text kQuoteMarker = "#\xD2\xFD\xBA\xC5";

// Engine numbers arrive as reals and become 32-bit integers by truncation toward zero.
int Truncate(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<int>(value);
}

int ReadNumber(const ObjectRef& object, const base::Text& name) {
  return Truncate(web::VariantToReal(web::GetProperty(object, name)));
}

// A 1-based number as the engine's 0-based index, passed as a real.
Variant IndexOf(int number) { return Variant(static_cast<double>(number) - 1.0); }

}  // namespace

RegexObject::RegexObject() : subject(std::int32_t{0}) {
  platform::InitializeComponentServices();
}

RegexObject::~RegexObject() {
  engine.reset();
  matches.reset();
  subject = Variant();
  platform::UninitializeComponentServices();
}

RegexObject::RegexObject(const RegexObject& other)
    : engine(other.engine), matches(other.matches), subject(other.subject) {
  platform::InitializeComponentServices();
}

RegexObject& RegexObject::operator=(const RegexObject& other) {
  if (this != &other) {
    engine = other.engine;
    matches = other.matches;
    subject = other.subject;
  }
  return *this;
}

bool RegexObject::Create(const base::Text& patternText, const base::Text& subjectText,
                         std::optional<bool> caseSensitive, std::optional<bool> multiline,
                         std::optional<bool> global, std::optional<bool> expandQuotes) {
  const bool ignoreCase = !caseSensitive.value_or(false);
  const bool isMultiline = multiline.value_or(true);
  const bool isGlobal = global.value_or(true);

  engine.reset();
  matches.reset();
  web::CreateObjectFromProgId("VBScript.RegExp", engine);  // failure leaves engine empty

  // Every write below may be refused ("Singleline" always is by our engine); that changes
  // nothing and the run goes on.
  web::PutProperty(engine, "IgnoreCase", ignoreCase);
  web::PutProperty(engine, "Multiline", isMultiline);
  web::PutProperty(engine, "Singleline", true);
  web::PutProperty(engine, "Global", isGlobal);

  const base::Text pattern = expandQuotes.value_or(false)
                                 ? base::ReplaceSubText(patternText, kQuoteMarker, "\"")
                                 : patternText;
  web::PutProperty(engine, "Pattern", web::TextToVariant(pattern));

  subject = web::TextToVariant(subjectText);
  matches = web::VariantToObject(web::CallMethod(engine, "Execute", {subject}));
  return matches != nullptr;
}

base::Text RegexObject::GetPattern() const {
  return web::VariantToText(web::GetProperty(engine, "Pattern"));
}

base::Text RegexObject::ReplaceText(const base::Text& replacement) const {
  return web::VariantToText(
      web::CallMethod(engine, "Replace", {subject, web::TextToVariant(replacement)}));
}

int RegexObject::MatchCount() const { return ReadNumber(matches, "Count"); }

base::Text RegexObject::MatchText(int n, int* position) const {
  ObjectRef match = MatchItem(n);
  base::Text text = web::VariantToText(web::GetProperty(match, "Value"));
  if (position != nullptr) *position = PositionOf(text, match);
  return text;
}

base::Text RegexObject::SubMatchText(int n, int k, int* position) const {
  ObjectRef match = MatchItem(n);
  ObjectRef subMatches = web::VariantToObject(web::GetProperty(match, "SubMatches"));
  base::Text text = web::VariantToText(web::GetProperty(subMatches, "Item", {IndexOf(k)}));
  if (position != nullptr) *position = PositionOf(text, match);
  return text;
}

int RegexObject::SubMatchCount() const {
  ObjectRef first = web::VariantToObject(web::GetProperty(matches, "Item", {std::int32_t{0}}));
  return ReadNumber(web::VariantToObject(web::GetProperty(first, "SubMatches")), "Count");
}

ObjectRef RegexObject::MatchItem(int n) const {
  return web::VariantToObject(web::GetProperty(matches, "Item", {IndexOf(n)}));
}

// The search starts at 1-based byte FirstIndex, not FirstIndex + 1: FirstIndex counts
// wide characters, so it never lies past the byte offset of the same place. The engine's
// "IgnoreCase" is read back as text, and the search ignores case exactly when that text
// is "0" (a case-sensitive engine).
int RegexObject::PositionOf(const base::Text& found, const ObjectRef& match) const {
  const base::Text text = web::VariantToText(subject);
  const int firstIndex = ReadNumber(match, "FirstIndex");
  const bool ignoreCase = web::VariantToText(web::GetProperty(engine, "IgnoreCase")) == "0";
  const int found1Based = base::FindText(text, found, firstIndex, ignoreCase);
  return Truncate(static_cast<double>(found1Based) - 1.0);
}

}  // namespace regex
