#include "collect/image_probe.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "base/picture_size.h"
#include "collect/shop_fixture.h"
#include "support/picture_maker.h"

namespace collect {
namespace {

const char kResolution800x600[] = "800 \xA1\xC1 600 pixels";  // "×" is A1 C1 in code page 936
const char kNoResolution[] = "0 \xA1\xC1 0 pixels";

TEST(SizeTextTest, KilobytesRoundedToOneDecimal) {
  struct Case {
    base::Text contentLength;
    base::Text size;
  };
  const Case cases[] = {
      {"", "0KB"},         {"0", "0KB"},           {"51", "0KB"},
      {"52", "0.1KB"},     {"256", "0.3KB"},       {"512", "0.5KB"},
      {"1024", "1KB"},     {"1536", "1.5KB"},      {"12345", "12.1KB"},
      {"123456", "120.6KB"}, {"1048576", "1024KB"}, {"2147483647", "2097152KB"},
      {"abc", "0KB"},      {" 2048", "2KB"},
      // Beyond 32 bits the true size is kept: 5 GiB and 4 GiB + 1 KiB.
      {"5368709120", "5242880KB"}, {"4294968320", "4194305KB"},
  };
  for (const Case& c : cases) EXPECT_EQ(SizeText(c.contentLength), c.size) << c.contentLength;
}

TEST(SizeTextTest, ResolutionUsesTheMultiplicationSign) {
  EXPECT_EQ(ResolutionText(800, 600), kResolution800x600);
  EXPECT_EQ(ResolutionText(0, 0), kNoResolution);
}

class ImageProbeTest : public ShopFixture {
 protected:
  // Probes `address` into a new row and returns the row.
  FakeImageList::Row Probe(const base::Text& address) {
    window_.imageList.AddListedImage(address);
    const int row = window_.imageList.RowCount() - 1;
    ProbeImageRow(window_.imageList, row, address);
    return window_.imageList.rows.back();
  }
};

TEST_F(ImageProbeTest, JpegWithLengthShowsTypeSizeAndResolution) {
  std::string jpeg = Bytes(support::MakeJpeg(800, 600, 30));
  ASSERT_LT(jpeg.size(), 123456u);
  jpeg.resize(123456, '\0');  // bytes after the end of the picture are ignored by decoders
  Serve("http://img10.360buyimg.com/imgzone/a.jpg", "image/jpeg", jpeg);

  const FakeImageList::Row row = Probe("http://img10.360buyimg.com/imgzone/a.jpg");
  EXPECT_EQ(row[2], "image/jpeg");
  EXPECT_EQ(row[3], "120.6KB");
  EXPECT_EQ(row[4], kResolution800x600);
  EXPECT_EQ(ReadFile(TempImagePath()), jpeg);
}

TEST_F(ImageProbeTest, WithoutLengthShowsZeroKilobytesAndTheTrueResolution) {
  support::ShopRoute route;
  route.url = "http://img10.360buyimg.com/imgzone/b.png";
  route.headers = {{"Content-Type", "image/png"}};
  route.body = Bytes(support::MakePng(37, 21));
  route.noLength = true;
  ASSERT_TRUE(shop_->AddRoute(route));

  const FakeImageList::Row row = Probe(route.url);
  EXPECT_EQ(row[2], "image/png");
  EXPECT_EQ(row[3], "0KB");
  EXPECT_EQ(row[4], "37 \xA1\xC1 21 pixels");
}

TEST_F(ImageProbeTest, ErrorPageShowsItsOwnTypeAndSizeAndNoResolution) {
  const std::string page(2048, 'x');
  Serve("http://img10.360buyimg.com/imgzone/gone.jpg", "text/html", page, 404);

  const FakeImageList::Row row = Probe("http://img10.360buyimg.com/imgzone/gone.jpg");
  EXPECT_EQ(row[2], "text/html");
  EXPECT_EQ(row[3], "2KB");
  EXPECT_EQ(row[4], kNoResolution);
}

TEST_F(ImageProbeTest, FailedRequestAfterAPictureShowsNothingOfThePicture) {
  Serve("http://img10.360buyimg.com/imgzone/a.gif", "image/gif", Bytes(support::MakeGif(40, 30)));
  EXPECT_EQ(Probe("http://img10.360buyimg.com/imgzone/a.gif")[4], "40 \xA1\xC1 30 pixels");

  const FakeImageList::Row row = Probe("http:");  // what an empty capture gives
  EXPECT_EQ(row[2], "");
  EXPECT_EQ(row[3], "0KB");
  EXPECT_EQ(row[4], kNoResolution);
  EXPECT_EQ(ReadFile(TempImagePath()), "") << "the temporary file is left empty";
}

// When the temporary file cannot be written, the earlier row's picture still lying there
// must not be measured. A child process with a small file-size limit makes the write fail.
TEST_F(ImageProbeTest, UnwritableTemporaryFileShowsNoResolution) {
  Serve("http://img10.360buyimg.com/imgzone/small.bmp", "image/bmp", Bytes(support::MakeBmp(8, 4)));
  Serve("http://img10.360buyimg.com/imgzone/big.bmp", "image/bmp", Bytes(support::MakeBmp(300, 200)));
  const pid_t child = ::fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    bool ok = Probe("http://img10.360buyimg.com/imgzone/small.bmp")[4] == "8 \xA1\xC1 4 pixels";
    ok = ok && Probe("http://img10.360buyimg.com/imgzone/big.bmp")[4] == kNoResolution;
    ok = ok && base::ImageWidth(TempImagePath()) == 8;  // the earlier file is intact
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

}  // namespace
}  // namespace collect
