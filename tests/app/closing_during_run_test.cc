#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <memory>

#include "app/exit_routines.h"
#include "app/start_up.h"
#include "platform/apartment.h"
#include "platform/wait_hook.h"
#include "support/fake_shop.h"
#include "web/shared_request.h"

namespace app {
namespace {

std::string Entry(const std::string& path) {
  return R"({"img":")" + path + R"(","name":"","data":"x"})";
}

// The user presses the collect button, and closes the window while the first image is
// still on its way: the run ends at once, no further row or file is made, and the program
// ends normally with everything released once.
TEST(ClosingDuringRunTest, ClosingInTheMiddleOfASlowCollectionEndsCleanly) {
  support::FakeShop shop;
  ASSERT_TRUE(shop.Running());
  support::ScopedShopProxy proxy(shop);
  support::ShopRoute page;
  page.url = "http://item.jd.com/bigimage.aspx?id=2122967";
  page.body = Entry("//img10.360buyimg.com/n5/a.jpg") + Entry("//img10.360buyimg.com/n5/b.jpg");
  ASSERT_TRUE(shop.AddRoute(page));
  support::ShopRoute slowImage;
  slowImage.url = "http://img10.360buyimg.com/imgzone/a.jpg";
  slowImage.body = "never seen";
  slowImage.delayMs = 20000;
  ASSERT_TRUE(shop.AddRoute(slowImage));

  const int oleCount = platform::OleCount();
  MainWindow* window = nullptr;
  int rowsWhenClosed = -1;
  bool closed = false;
  auto create = [&](QString& failure) {
    std::unique_ptr<MainWindow> made = CreateMainWindow(failure);
    window = made.get();
    return made;
  };

  // Closes the window as soon as the shop has seen the first image request.
  QTimer watcher;
  watcher.setInterval(10);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (closed || shop.Requests().size() < 2) return;
    closed = true;
    rowsWhenClosed = window->imageList().RowCount();
    window->close();
  });
  QTimer::singleShot(0, [&] {
    watcher.start();
    window->collectButton()->click();  // runs the whole collection, the watcher inside it
    watcher.stop();
  });
  // A safety net so a broken abandon cannot hang the test run.
  QTimer::singleShot(60000, [] { QCoreApplication::exit(7); });

  auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
  EXPECT_EQ(RunProgram(*application, create), 0);

  EXPECT_TRUE(closed);
  EXPECT_EQ(rowsWhenClosed, 1);
  const std::vector<support::ShopRequest> requests = shop.Requests();
  ASSERT_EQ(requests.size(), 2u) << "no request after the close";
  EXPECT_EQ(requests[1].line, "GET http://img10.360buyimg.com/imgzone/a.jpg HTTP/1.1");
  EXPECT_EQ(web::sharedRequest, nullptr);
  EXPECT_EQ(ExitRoutines().Count(), 0);
  EXPECT_EQ(platform::OleCount(), oleCount);
  platform::SetWaitsAbandoned(false);
}

}  // namespace
}  // namespace app
