// The regular-expression object: runs a pattern over a subject with the platform's
// "VBScript.RegExp" engine and reads matches and sub-matches by number, counting from 1.
// No operation reports a failure: it shows as false, 0 or the empty text.
#pragma once

#include <optional>

#include "base/text.h"
#include "platform/variant.h"

namespace regex {

class RegexObject {
 public:
  // Initialises component services on the calling thread; the object is used and destroyed
  // on that thread.
  RegexObject();
  // Releases `engine` and `matches`, clears `subject`, then ends this object's component
  // services initialisation.
  ~RegexObject();
  // A copy shares the source's engine and matches, owns a copy of its subject and takes
  // an initialisation of its own, so every copy's destruction stays balanced.
  RegexObject(const RegexObject& other);
  // Shares `other`'s engine and matches and copies its subject; each side keeps its own
  // initialisation.
  RegexObject& operator=(const RegexObject& other);

  // Builds a new engine, writes its options (IgnoreCase := !caseSensitive, default false;
  // Multiline and Global default true) and the pattern, keeps `subjectText` and runs the
  // engine over it. With `expandQuotes` every "#引号" in the pattern becomes '"'. True when
  // a match collection came back, also an empty one; false when no engine could be made
  // or the pattern was refused.
  bool Create(const base::Text& patternText, const base::Text& subjectText,
              std::optional<bool> caseSensitive = std::nullopt,
              std::optional<bool> multiline = std::nullopt,
              std::optional<bool> global = std::nullopt,
              std::optional<bool> expandQuotes = std::nullopt);

  // Does nothing and returns at once.
  void Idle() {}

  // The engine's pattern; empty without an engine.
  base::Text GetPattern() const;

  // The kept subject with the last pattern's matches replaced by `replacement` ("$1",
  // "$&" and the like expand); empty without an engine.
  base::Text ReplaceText(const base::Text& replacement) const;

  // Number of matches; 0 without matches.
  int MatchCount() const;

  // Text of match n (from 1); empty when there is no such match. With `position`, writes
  // the 0-based byte offset where that text is found in the subject searching from the
  // match's FirstIndex, or -2 when it is not found.
  base::Text MatchText(int n, int* position = nullptr) const;

  // Text of sub-match k (from 1) of match n (from 1); empty when either does not exist or
  // the group took no part. `position` as for MatchText, from match n's FirstIndex.
  base::Text SubMatchText(int n, int k, int* position = nullptr) const;

  // Number of sub-matches (capture groups) of the first match; 0 without a match.
  int SubMatchCount() const;

  // The engine object; empty before Create and when it could not be made.
  platform::ObjectRef engine;
  // The match collection of the last Create; empty when Execute failed.
  platform::ObjectRef matches;
  // The subject of the last Create as a wide string; the integer 0 before any Create.
  platform::Variant subject;

 private:
  // Match n (from 1) of `matches`, or nothing.
  platform::ObjectRef MatchItem(int n) const;
  // Where `found` lies in the subject, searching from `match`'s FirstIndex.
  int PositionOf(const base::Text& found, const platform::ObjectRef& match) const;
};

}  // namespace regex
