#include "collect/image_collection.h"

#include <gtest/gtest.h>

#include <vector>

#include "collect/image_probe.h"
#include "collect/shop_fixture.h"
#include "support/picture_maker.h"

namespace collect {
namespace {

const char kPageAddress[] = "http://item.jd.com/bigimage.aspx?id=2122967";

// One entry of a big-image page, as the shop writes them.
std::string Entry(const std::string& path) {
  return R"({"img":")" + path + R"(","name":"","data":"x"})";
}

// A page with Chinese text in code page 936 around the entries.
std::string Page(const std::vector<std::string>& paths) {
  std::string page = "var imgs = [\xC9\xCC\xC6\xB7\xCD\xBC\xC6\xAC ";  // 商品图片
  for (const std::string& path : paths) page += Entry(path) + ",\n";
  return page + "] /* \xCD\xEA */";
}

class ImageCollectionTest : public ShopFixture {
 protected:
  void SetUp() override {
    ShopFixture::SetUp();
    window_.addressBox.text = "http://item.jd.com/2122967.html";
  }

  // The address lines the shop received, in order.
  static std::vector<std::string> RequestedLines() {
    std::vector<std::string> lines;
    for (const support::ShopRequest& request : shop_->Requests()) lines.push_back(request.line);
    return lines;
  }
};

TEST_F(ImageCollectionTest, ThreeMatchesGiveThreeRowsEachProbedBeforeTheNext) {
  Serve(kPageAddress, "text/html; charset=gbk",
        Page({"//img10.360buyimg.com/n5/a.jpg", "//img10.360buyimg.com/n5/b.png",
              "//img10.360buyimg.com/n5/c.gif"}));
  Serve("http://img10.360buyimg.com/imgzone/a.jpg", "image/jpeg", Bytes(support::MakeJpeg(64, 48)));
  Serve("http://img10.360buyimg.com/imgzone/b.png", "image/png", Bytes(support::MakePng(30, 20)));
  const std::string gif = Bytes(support::MakeGif(12, 10));
  Serve("http://img10.360buyimg.com/imgzone/c.gif", "image/gif", gif);

  std::vector<std::size_t> requestsAtAppend;
  window_.imageList.onAppend = [&] { requestsAtAppend.push_back(shop_->Requests().size()); };
  CollectButtonClicked(window_.ports);

  const std::vector<FakeImageList::Row>& rows = window_.imageList.rows;
  ASSERT_EQ(rows.size(), 3u);
  const FakeImageList::Row expected[] = {
      {"1", "http://img10.360buyimg.com/imgzone/a.jpg", "image/jpeg", "", "64 \xA1\xC1 48 pixels"},
      {"2", "http://img10.360buyimg.com/imgzone/b.png", "image/png", "", "30 \xA1\xC1 20 pixels"},
      {"3", "http://img10.360buyimg.com/imgzone/c.gif", "image/gif", "", "12 \xA1\xC1 10 pixels"},
  };
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i][0], expected[i][0]);
    EXPECT_EQ(rows[i][1], expected[i][1]);
    EXPECT_EQ(rows[i][2], expected[i][2]);
    EXPECT_NE(rows[i][3], "");
    EXPECT_EQ(rows[i][4], expected[i][4]);
  }
  // The page, then one image request per row, each made before the next row was appended.
  EXPECT_EQ(requestsAtAppend, (std::vector<std::size_t>{1, 2, 3}));
  EXPECT_EQ(RequestedLines(),
            (std::vector<std::string>{
                std::string("GET ") + kPageAddress + " HTTP/1.1",
                "GET http://img10.360buyimg.com/imgzone/a.jpg HTTP/1.1",
                "GET http://img10.360buyimg.com/imgzone/b.png HTTP/1.1",
                "GET http://img10.360buyimg.com/imgzone/c.gif HTTP/1.1"}));
  EXPECT_EQ(window_.browserView.navigated,
            (std::vector<base::Text>{"http://img10.360buyimg.com/imgzone/a.jpg"}));
  EXPECT_EQ(ReadFile(TempImagePath()), gif) << "the temporary file holds the last row's picture";
}

TEST_F(ImageCollectionTest, RewritesEveryLowerCaseN5SegmentOnly) {
  Serve(kPageAddress, "text/html",
        Page({"//h/n5/x/n5/a.jpg", "//h/N5/b.jpg", "//h/plain.jpg", ""}));
  CollectImageList(window_.ports);

  const std::vector<FakeImageList::Row>& rows = window_.imageList.rows;
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0][1], "http://h/imgzone/x/imgzone/a.jpg");
  EXPECT_EQ(rows[1][1], "http://h/N5/b.jpg");
  EXPECT_EQ(rows[2][1], "http://h/plain.jpg");
  EXPECT_EQ(rows[3][1], "http:");
  // The shop answers the first three with its not-found page; "http:" gets no response.
  for (const FakeImageList::Row& row : rows) EXPECT_EQ(row[4], "0 \xA1\xC1 0 pixels") << row[1];
  EXPECT_EQ(rows[0][2], "text/html");
  EXPECT_EQ(rows[3][2], "");
  EXPECT_EQ(rows[3][3], "0KB");
}

TEST_F(ImageCollectionTest, ImageRequestsCarryTheImageHostWhateverTheAddressNames) {
  Serve(kPageAddress, "text/html", Page({"//other.example/n5/a.jpg"}));
  CollectImageList(window_.ports);
  const std::vector<support::ShopRequest> requests = shop_->Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Header("Host"), "item.jd.com");
  EXPECT_EQ(requests[0].Header("Referer"), kPageAddress);
  EXPECT_EQ(requests[1].line, "GET http://other.example/imgzone/a.jpg HTTP/1.1");
  EXPECT_EQ(requests[1].Header("Host"), "img10.360buyimg.com");
}

TEST_F(ImageCollectionTest, AddressWithoutItemNumberStillRequestsThePage) {
  window_.addressBox.text = "http://item.jd.com/2122967";
  CollectImageList(window_.ports);
  EXPECT_EQ(RequestedLines(),
            (std::vector<std::string>{"GET http://item.jd.com/bigimage.aspx?id= HTTP/1.1"}));
  EXPECT_TRUE(window_.imageList.rows.empty());
  EXPECT_EQ(window_.browserView.navigated, (std::vector<base::Text>{""}));
}

TEST_F(ImageCollectionTest, SecondPressEmptiesTheListBeforeRequestingThePage) {
  Serve(kPageAddress, "text/html", Page({"//h/n5/a.jpg", "//h/n5/b.jpg"}));
  CollectButtonClicked(window_.ports);
  ASSERT_EQ(window_.imageList.rows.size(), 2u);

  ASSERT_TRUE(shop_->Reset());  // the page now lists nothing
  std::size_t requestsAtDelete = 99;
  window_.imageList.onDeleteAll = [&] { requestsAtDelete = shop_->Requests().size(); };
  CollectButtonClicked(window_.ports);
  EXPECT_EQ(requestsAtDelete, 0u);
  EXPECT_TRUE(window_.imageList.rows.empty());
  EXPECT_EQ(window_.browserView.navigated.back(), "");
}

}  // namespace
}  // namespace collect
