#include "platform/regexp_search.h"

#include <cstdint>
#include <limits>
#include <utility>

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace platform {
namespace {

// Bounds on one match attempt, so that a pattern that backtracks without end makes
// "Execute" fail quickly instead of hanging the caller.
constexpr std::uint32_t kMatchLimit = 10'000'000;
constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 1024 * 1024;

struct CodeDeleter {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct CompileContextDeleter {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextDeleter {
  void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct MatchDataDeleter {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct JitStackDeleter {
  void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

using Code = std::unique_ptr<pcre2_code, CodeDeleter>;

PCRE2_SPTR Units(const std::u16string& text) { return reinterpret_cast<PCRE2_SPTR>(text.data()); }

// Options of the pattern dialect:
// - no UTF: one UTF-16 code unit is one character, so offsets are the subject's indices;
// - a line break is CR, LF or CR LF: "." matches neither, and with multiline "^" and "$"
//   match at each of them (pages arrive with either line ending);
// - "\uhhhh" and "\xhh" are character codes, and a reference to a group that has not
//   matched matches the empty string, as scripts expect.
Code Compile(const std::u16string& pattern, const RegExpOptions& options) {
  std::unique_ptr<pcre2_compile_context, CompileContextDeleter> context(
      pcre2_compile_context_create(nullptr));
  if (!context) return nullptr;
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
  std::uint32_t flags = PCRE2_NEVER_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF;
  if (options.ignoreCase) flags |= PCRE2_CASELESS;
  if (options.multiline) flags |= PCRE2_MULTILINE;
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  Code code(pcre2_compile(Units(pattern), pattern.size(), flags, &errorCode, &errorOffset,
                          context.get()));
  if (!code) return nullptr;
  // The interpreter takes over when the JIT is not available here.
  pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);
  return code;
}

// Where the search goes on after a match [start, end): at its end, or one character on
// after an empty match; a CR LF pair is never split, so "$" cannot match inside it.
std::size_t NextStart(const std::u16string& subject, std::size_t start, std::size_t end) {
  if (end > start) return end;
  if (end + 1 < subject.size() && subject[end] == u'\r' && subject[end + 1] == u'\n') {
    return end + 2;
  }
  return end + 1;
}

}  // namespace

std::u16string MatchList::Text(std::size_t match, int group) const {
  std::size_t start = Start(match, group);
  std::size_t end = End(match, group);
  if (start == kUnset || end == kUnset || end < start) return std::u16string();
  return subject->substr(start, end - start);
}

Status FindMatches(const std::u16string& pattern, const RegExpOptions& options,
                   std::shared_ptr<const std::u16string> subject, MatchList& matches) {
  // Offsets and counts leave the engine as 32-bit numbers.
  if (!subject || subject->size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return Status::invalidArgument;
  }
  Code code = Compile(pattern, options);
  if (!code) return Status::exception;

  std::uint32_t captureCount = 0;
  pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &captureCount);

  std::unique_ptr<pcre2_match_context, MatchContextDeleter> context(
      pcre2_match_context_create(nullptr));
  std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
      pcre2_match_data_create_from_pattern(code.get(), nullptr));
  std::unique_ptr<pcre2_jit_stack, JitStackDeleter> jitStack(
      pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
  if (!context || !data) return Status::exception;
  pcre2_set_match_limit(context.get(), kMatchLimit);
  pcre2_set_heap_limit(context.get(), kHeapLimitKiB);
  if (jitStack) pcre2_jit_stack_assign(context.get(), nullptr, jitStack.get());

  MatchList found;
  found.subject = subject;
  found.groupCount = static_cast<int>(captureCount);
  const std::size_t pairs = captureCount + 1;
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());

  std::size_t start = 0;
  while (start <= subject->size()) {
    int rc = pcre2_match(code.get(), Units(*subject), subject->size(), start, 0, data.get(),
                         context.get());
    if (rc == PCRE2_ERROR_NOMATCH) break;
    // Any other error (limits, JIT stack) is a failed run, never "no more matches".
    if (rc < 0) return Status::exception;
    for (std::size_t pair = 0; pair < pairs; ++pair) {
      bool set = static_cast<int>(pair) < rc && ovector[2 * pair] != PCRE2_UNSET;
      found.offsets.push_back(set ? ovector[2 * pair] : MatchList::kUnset);
      found.offsets.push_back(set ? ovector[2 * pair + 1] : MatchList::kUnset);
    }
    if (!options.global) break;
    std::size_t next = NextStart(*subject, ovector[0], ovector[1]);
    start = next > start ? next : start + 1;  // always move on, whatever \K did
  }
  matches = std::move(found);
  return Status::ok;
}

std::u16string ExpandReplacement(const std::u16string& replacement, const MatchList& matches,
                                 std::size_t match) {
  const std::u16string& subject = *matches.subject;
  auto isDigit = [](char16_t unit) { return unit >= u'0' && unit <= u'9'; };
  std::u16string out;
  std::size_t i = 0;
  while (i < replacement.size()) {
    char16_t unit = replacement[i];
    if (unit != u'$' || i + 1 >= replacement.size()) {
      out.push_back(unit);
      ++i;
      continue;
    }
    char16_t next = replacement[i + 1];
    if (next == u'$') {
      out.push_back(u'$');
      i += 2;
    } else if (next == u'&') {
      out += matches.Text(match);
      i += 2;
    } else if (next == u'`') {
      out += subject.substr(0, matches.Start(match));
      i += 2;
    } else if (next == u'\'') {
      out += subject.substr(matches.End(match));
      i += 2;
    } else if (isDigit(next)) {
      // Two digits when they name a group, else one digit when it does, else literal.
      int one = next - u'0';
      int two = -1;
      if (i + 2 < replacement.size() && isDigit(replacement[i + 2])) {
        two = one * 10 + (replacement[i + 2] - u'0');
      }
      if (two >= 1 && two <= matches.groupCount) {
        out += matches.Text(match, two);
        i += 3;
      } else if (one >= 1 && one <= matches.groupCount) {
        out += matches.Text(match, one);
        i += 2;
      } else {
        out.push_back(u'$');
        ++i;
      }
    } else {
      out.push_back(u'$');
      ++i;
    }
  }
  return out;
}

}  // namespace platform
