#include "collect/text_between.h"

#include <gtest/gtest.h>

#include "collect/image_collection.h"

namespace collect {
namespace {

TEST(TextBetweenTest, CutsTheItemNumberOutOfAnAddress) {
  struct Case {
    base::Text address;
    base::Text itemNumber;
  };
  const Case cases[] = {
      {"http://item.jd.com/2122967.html", "2122967"},
      {"http://item.jd.com/2122967.html?a=1.5", "2122967"},      // first "." after the prefix
      {"http://item.jd.com/100/detail.html", "100/detail"},      // whatever stands before it
      {"see http://item.jd.com/42.html", "42"},                  // text before the prefix
      {"http://item.jd.com/7.html http://item.jd.com/8.html", "7"},  // the first prefix counts
      {"http://item.jd.com/2122967", ""},                        // no "."
      {"http://item.jd.com/.html", ""},                          // "." right after the prefix
      {"http://item.jd.com/", ""},                               // the prefix alone
      {"HTTP://ITEM.JD.COM/42.html", ""},                        // prefix missing: other case
      {"item.jd.com/42.html", ""},                               // prefix missing: no scheme
      {"", ""},
      {"http://item.jd.com/\xD6\xD0.html", "\xD6\xD0"},          // double-byte text kept whole
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextBetween(c.address, ItemPrefix(), "."), c.itemNumber) << c.address;
  }
}

TEST(TextBetweenTest, PageAddressTakesTheItemNumberUnchanged) {
  EXPECT_EQ(PageAddress("2122967"), "http://item.jd.com/bigimage.aspx?id=2122967");
  EXPECT_EQ(PageAddress(""), "http://item.jd.com/bigimage.aspx?id=");
}

TEST(TextBetweenTest, ImagePatternIsThirtyTwoCharactersWithOneGroup) {
  EXPECT_EQ(kImagePattern.size(), 32u);
  const base::Text plain = R"p("img":"(.*?)","name":"","data":")p";
  EXPECT_EQ(kImagePattern, plain);
}

}  // namespace
}  // namespace collect
