// Running one pattern over one subject with PCRE2 (16-bit code units, no UTF): the matches
// the engine object's "Execute" and "Replace" work from.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch.h"

namespace platform {

struct RegExpOptions {
  bool ignoreCase = false;
  bool multiline = false;
  bool global = false;
};

// Every match of one run. Offsets count code units from 0; a group that took no part in a
// match has both offsets kUnset.
struct MatchList {
  static constexpr std::size_t kUnset = static_cast<std::size_t>(-1);

  std::shared_ptr<const std::u16string> subject;
  int groupCount = 0;                // capture groups of the pattern
  std::vector<std::size_t> offsets;  // per match: start, end of the whole match, then of each group

  std::size_t MatchCount() const { return offsets.size() / Stride(); }
  std::size_t Stride() const { return 2 * (static_cast<std::size_t>(groupCount) + 1); }
  std::size_t Start(std::size_t match, int group = 0) const {
    return offsets[match * Stride() + 2 * static_cast<std::size_t>(group)];
  }
  std::size_t End(std::size_t match, int group = 0) const {
    return offsets[match * Stride() + 2 * static_cast<std::size_t>(group) + 1];
  }
  // Text of `group` in `match`; the empty string when the group did not take part.
  std::u16string Text(std::size_t match, int group = 0) const;
};

// Compiles `pattern` with `options` and collects its matches in `subject`: all of them when
// global, else the first. After an empty match the search goes on one character later (two
// over a CR LF pair). Fails with Status::exception when the pattern does not compile or a
// match attempt hits the match, heap or JIT stack limit, and leaves `matches` unchanged then.
Status FindMatches(const std::u16string& pattern, const RegExpOptions& options,
                   std::shared_ptr<const std::u16string> subject, MatchList& matches);

// The replacement text for match `match`: "$$" is "$", "$&" the match, "$`" the subject
// before it, "$'" the subject after it, "$n" and "$nn" (1 to 99) a group's text; a "$" form
// naming no group of the pattern stays as written.
std::u16string ExpandReplacement(const std::u16string& replacement, const MatchList& matches,
                                 std::size_t match);

}  // namespace platform
