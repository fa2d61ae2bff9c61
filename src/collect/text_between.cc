#include "collect/text_between.h"

namespace collect {

base::Text TextBetween(const base::Text& text, const base::Text& prefix,
                       const base::Text& delimiter) {
  const int length = base::TextLength(text);
  const int prefixAt = base::FindText(text, prefix, 1, false);
  if (prefixAt < 0) return base::Text();  // without the prefix there is nothing to cut
  const base::Text rest = base::TextMid(text, prefixAt + base::TextLength(prefix), length);
  const int delimiterAt = base::FindText(rest, delimiter, 1, false);
  return base::TextMid(rest, 1, delimiterAt - 1);
}

}  // namespace collect
