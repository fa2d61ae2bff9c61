#include "collect/image_saving.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "collect/shop_fixture.h"

namespace collect {
namespace {

namespace fs = std::filesystem;

class ImageSavingTest : public ShopFixture {
 protected:
  // Lists `count` images at distinct addresses, each served with its own body.
  void ListImages(int count) {
    for (int i = 1; i <= count; ++i) {
      const std::string address = "http://img10.360buyimg.com/imgzone/" + std::to_string(i) + ".jpg";
      Serve(address, "image/jpeg", Body(i));
      window_.imageList.AddListedImage(address);
    }
  }

  static std::string Body(int i) { return "picture " + std::to_string(i); }

  fs::path Pics() const { return folder_ / "pics"; }

  std::set<std::string> FilesInPics() const {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(Pics())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  static void WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }

  void SetUp() override {
    ShopFixture::SetUp();
    fs::create_directories(Pics());
  }
};

TEST_F(ImageSavingTest, WritesNameNumberJpgForEveryRowInOrder) {
  ListImages(3);
  window_.saveDialog.answers = {(Pics() / "shoe").string()};
  SaveAllImages(window_.ports);

  EXPECT_EQ(window_.saveDialog.timesShown, 1);
  EXPECT_EQ(window_.saveDialog.shownKind, DialogKind::save);
  EXPECT_EQ(window_.saveDialog.shownFolder, (folder_ / "desktop").string() + "/");
  EXPECT_EQ(FilesInPics(), (std::set<std::string>{"shoe1.jpg", "shoe2.jpg", "shoe3.jpg"}));
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(ReadFile(Pics() / ("shoe" + std::to_string(i) + ".jpg")), Body(i));
  }
  std::vector<std::string> lines;
  for (const support::ShopRequest& request : shop_->Requests()) lines.push_back(request.line);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "GET http://img10.360buyimg.com/imgzone/1.jpg HTTP/1.1",
                       "GET http://img10.360buyimg.com/imgzone/2.jpg HTTP/1.1",
                       "GET http://img10.360buyimg.com/imgzone/3.jpg HTTP/1.1"}));
}

TEST_F(ImageSavingTest, TypedExtensionStaysAndNumbersHaveNoLeadingZeros) {
  ListImages(10);
  window_.saveDialog.answers = {(Pics() / "shoe.jpg").string()};
  SaveAllImages(window_.ports);
  const std::set<std::string> files = FilesInPics();
  EXPECT_EQ(files.size(), 10u);
  EXPECT_TRUE(files.count("shoe.jpg1.jpg"));
  EXPECT_TRUE(files.count("shoe.jpg9.jpg"));
  EXPECT_TRUE(files.count("shoe.jpg10.jpg"));
  EXPECT_FALSE(files.count("shoe.jpg"));
}

TEST_F(ImageSavingTest, ExistingFilesAreReplacedWhole) {
  ListImages(2);
  WriteFile(Pics() / "shoe1.jpg", std::string(5000, 'o'));
  window_.saveDialog.answers = {(Pics() / "shoe").string()};
  SaveAllImages(window_.ports);
  EXPECT_EQ(ReadFile(Pics() / "shoe1.jpg"), Body(1));
  EXPECT_EQ(ReadFile(Pics() / "shoe2.jpg"), Body(2));
}

TEST_F(ImageSavingTest, FailedOrErrorRowsWriteNoFileAndKeepEarlierOnes) {
  ListImages(1);
  window_.imageList.AddListedImage("http:");  // no response at all
  Serve("http://img10.360buyimg.com/imgzone/gone.jpg", "text/html", "not found", 404);
  window_.imageList.AddListedImage("http://img10.360buyimg.com/imgzone/gone.jpg");
  ListImages(0);
  window_.imageList.AddListedImage("http://img10.360buyimg.com/imgzone/1.jpg");
  WriteFile(Pics() / "shoe3.jpg", "earlier");

  window_.saveDialog.answers = {(Pics() / "shoe").string()};
  SaveAllImages(window_.ports);
  EXPECT_EQ(FilesInPics(), (std::set<std::string>{"shoe1.jpg", "shoe3.jpg", "shoe4.jpg"}));
  EXPECT_EQ(ReadFile(Pics() / "shoe3.jpg"), "earlier");
  EXPECT_EQ(ReadFile(Pics() / "shoe4.jpg"), Body(1)) << "rows after the failures are saved";
}

TEST_F(ImageSavingTest, EmptyListShowsNoDialog) {
  SaveAllImages(window_.ports);
  EXPECT_EQ(window_.saveDialog.timesShown, 0);
  EXPECT_TRUE(shop_->Requests().empty());
}

TEST_F(ImageSavingTest, CancelSavesNothingAlsoAfterAnEarlierSave) {
  ListImages(2);
  window_.saveDialog.answers = {std::nullopt};
  SaveAllImages(window_.ports);
  EXPECT_TRUE(FilesInPics().empty());

  window_.saveDialog.answers = {(Pics() / "shoe").string(), std::nullopt};
  SaveAllImages(window_.ports);
  fs::remove(Pics() / "shoe1.jpg");
  fs::remove(Pics() / "shoe2.jpg");
  ASSERT_TRUE(shop_->Reset());

  SaveAllImages(window_.ports);  // cancelled, with the earlier name still offered
  EXPECT_EQ(window_.saveDialog.timesShown, 3);
  EXPECT_EQ(window_.saveDialog.fileName, (Pics() / "shoe").string());
  EXPECT_TRUE(FilesInPics().empty());
  EXPECT_TRUE(shop_->Requests().empty());
}

}  // namespace
}  // namespace collect
