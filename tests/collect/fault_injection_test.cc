// Hostile answers and a failing disk during a collection and a save: each faulty row shows
// the failed-request values, saves nothing, and the run goes on with the next row.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "collect/image_collection.h"
#include "collect/image_saving.h"
#include "collect/shop_fixture.h"
#include "platform/http_request.h"
#include "platform/wait_hook.h"
#include "support/picture_maker.h"

namespace collect {
namespace {

namespace fs = std::filesystem;

const char kPageAddress[] = "http://item.jd.com/bigimage.aspx?id=2122967";
const char kFaultyAddress[] = "http://img10.360buyimg.com/imgzone/faulty.jpg";
const char kGoodAddress[] = "http://img10.360buyimg.com/imgzone/good.png";
const char kNoResolution[] = "0 \xA1\xC1 0 pixels";

std::string Entry(const std::string& path) {
  return R"({"img":")" + path + R"(","name":"","data":"x"})";
}

struct Fault {
  const char* name;
  std::function<void(support::ShopRoute&)> script;
};

class FaultInjectionTest : public ShopFixture, public ::testing::WithParamInterface<Fault> {
 protected:
  void SetUp() override {
    ShopFixture::SetUp();
    savedLimits_ = platform::CurrentHttpLimits();
    platform::CurrentHttpLimits().idleSeconds = 1;
    platform::CurrentHttpLimits().maxBodyBytes = 64 * 1024;
    window_.addressBox.text = "http://item.jd.com/2122967.html";
  }
  void TearDown() override {
    platform::CurrentHttpLimits() = savedLimits_;
    platform::SetWaitHook({});
    ShopFixture::TearDown();
  }

  platform::HttpLimits savedLimits_;
};

TEST_P(FaultInjectionTest, FaultyRowShowsFailedValuesSavesNothingAndTheRunGoesOn) {
  Serve(kPageAddress, "text/html",
        Entry("//img10.360buyimg.com/n5/faulty.jpg") + Entry("//img10.360buyimg.com/n5/good.png"));
  const std::string good = Bytes(support::MakePng(30, 20));
  Serve(kGoodAddress, "image/png", good);
  support::ShopRoute faulty;
  faulty.url = kFaultyAddress;
  faulty.headers = {{"Content-Type", "image/jpeg"}};
  faulty.body = Bytes(support::MakeJpeg(40, 30));
  GetParam().script(faulty);
  ASSERT_TRUE(shop_->AddRoute(faulty));

  int hookCalls = 0;
  platform::SetWaitHook([&] { ++hookCalls; });
  CollectButtonClicked(window_.ports);
  EXPECT_GT(hookCalls, 0) << "the window is kept alive while waiting";

  const std::vector<FakeImageList::Row>& rows = window_.imageList.rows;
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][2], "");
  EXPECT_EQ(rows[0][3], "0KB");
  EXPECT_EQ(rows[0][4], kNoResolution);
  EXPECT_EQ(rows[1][2], "image/png");
  EXPECT_EQ(rows[1][4], "30 \xA1\xC1 20 pixels");

  const fs::path pics = folder_ / "pics";
  fs::create_directories(pics);
  std::ofstream(pics / "shoe1.jpg") << "earlier";
  window_.saveDialog.answers = {(pics / "shoe").string()};
  SaveAllImages(window_.ports);
  EXPECT_EQ(ReadFile(pics / "shoe1.jpg"), "earlier");
  EXPECT_EQ(ReadFile(pics / "shoe2.jpg"), good);
  EXPECT_EQ(std::distance(fs::directory_iterator(pics), fs::directory_iterator()), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultInjectionTest,
    ::testing::Values(
        Fault{"ResetMidBody", [](support::ShopRoute& r) { r.drop = support::ShopRoute::Drop::midBody; }},
        Fault{"ClosedBeforeHeaders",
              [](support::ShopRoute& r) { r.drop = support::ShopRoute::Drop::beforeHeaders; }},
        Fault{"Stalled", [](support::ShopRoute& r) { r.stallMs = 4000; }},
        Fault{"BodyOverTheCap", [](support::ShopRoute& r) { r.body.assign(200 * 1024, 'x'); }},
        Fault{"ChunkedBodyOverTheCap",
              [](support::ShopRoute& r) {
                r.body.assign(200 * 1024, 'x');
                r.chunked = true;
              }},
        Fault{"LengthBeyondTheBody",
              [](support::ShopRoute& r) {
                r.headers.push_back({"Content-Length", std::to_string(r.body.size() + 1000)});
              }},
        Fault{"RedirectLoop", [](support::ShopRoute& r) { r.redirectTo = kFaultyAddress; }},
        Fault{"RedirectToAnotherScheme",
              [](support::ShopRoute& r) { r.redirectTo = "file:///etc/passwd"; }}),
    [](const ::testing::TestParamInfo<Fault>& param) { return std::string(param.param.name); });

class FaultFreeAnswersTest : public ShopFixture {};

// A chunked answer has no length: the size reads 0KB but the picture is measured and saved.
TEST_F(FaultFreeAnswersTest, ChunkedAnswerWithoutLengthIsAPicture) {
  window_.addressBox.text = "http://item.jd.com/2122967.html";
  Serve(kPageAddress, "text/html", Entry("//img10.360buyimg.com/n5/good.png"));
  support::ShopRoute chunked;
  chunked.url = kGoodAddress;
  chunked.headers = {{"Content-Type", "image/png"}};
  chunked.body = Bytes(support::MakePng(30, 20));
  chunked.chunked = true;
  ASSERT_TRUE(shop_->AddRoute(chunked));
  CollectImageList(window_.ports);
  ASSERT_EQ(window_.imageList.rows.size(), 1u);
  EXPECT_EQ(window_.imageList.rows[0][3], "0KB");
  EXPECT_EQ(window_.imageList.rows[0][4], "30 \xA1\xC1 20 pixels");
}

// The disk fills in the middle of a save (a child process with a small file-size limit):
// earlier files of the names stay intact, nothing partial is left, later rows are tried.
TEST_F(FaultFreeAnswersTest, DiskFillingDuringASaveKeepsEarlierFilesWhole) {
  const std::string small = Bytes(support::MakePng(8, 8));
  const std::string big(100 * 1024, 'b');
  Serve("http://img10.360buyimg.com/imgzone/1.png", "image/png", small);
  Serve("http://img10.360buyimg.com/imgzone/2.jpg", "image/jpeg", big);
  Serve("http://img10.360buyimg.com/imgzone/3.png", "image/png", small);
  for (const char* name : {"1.png", "2.jpg", "3.png"}) {
    window_.imageList.AddListedImage(std::string("http://img10.360buyimg.com/imgzone/") + name);
  }
  const fs::path pics = folder_ / "pics";
  fs::create_directories(pics);
  std::ofstream(pics / "shoe2.jpg") << "earlier picture two";
  std::ofstream(pics / "shoe3.jpg") << "earlier picture three";
  window_.saveDialog.answers = {(pics / "shoe").string()};

  const pid_t child = ::fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{16 * 1024, 16 * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    SaveAllImages(window_.ports);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

  EXPECT_EQ(ReadFile(pics / "shoe1.jpg"), small);
  EXPECT_EQ(ReadFile(pics / "shoe2.jpg"), "earlier picture two");
  EXPECT_EQ(ReadFile(pics / "shoe3.jpg"), small) << "the row after the failed write is saved";
  EXPECT_EQ(std::distance(fs::directory_iterator(pics), fs::directory_iterator()), 3)
      << "no partial file is left";
}

}  // namespace
}  // namespace collect
