// A test fixture for the collecting code: the fake shop as proxy for both shop hosts, the
// shared request object, and private temporary-files and desktop folders.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "base/text.h"
#include "platform/apartment.h"
#include "support/fake_shop.h"
#include "collect/fake_window.h"
#include "web/shared_request.h"

namespace collect {

class ShopFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { shop_ = new support::FakeShop(); }
  static void TearDownTestSuite() {
    delete shop_;
    shop_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(shop_->Running());
    ASSERT_TRUE(shop_->Reset());
    proxy_ = std::make_unique<support::ScopedShopProxy>(*shop_);
    folder_ = std::filesystem::temp_directory_path() /
              ("velkaro-collect-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / "tmp");
    std::filesystem::create_directories(folder_ / "desktop");
    ::setenv("TMPDIR", (folder_ / "tmp").c_str(), 1);
    ::setenv("XDG_DESKTOP_DIR", (folder_ / "desktop").c_str(), 1);
    platform::InitializeOle();
    web::AllocateSharedRequest();
    web::CreateSharedRequest([](const base::Text&, const base::Text&) {
      ADD_FAILURE() << "no message expected";
    });
  }

  void TearDown() override {
    web::ReleaseSharedRequest();
    platform::UninitializeOle();
    proxy_.reset();
    ::unsetenv("XDG_DESKTOP_DIR");
    ::unsetenv("TMPDIR");
    std::filesystem::remove_all(folder_);
  }

  // Serves `body` at `url` with the given content type (and its true length).
  static void Serve(const std::string& url, const std::string& contentType,
                    const std::string& body, int status = 200) {
    support::ShopRoute route;
    route.url = url;
    route.status = status;
    route.headers = {{"Content-Type", contentType}};
    route.body = body;
    ASSERT_TRUE(shop_->AddRoute(route)) << url;
  }

  static std::string Bytes(const base::ByteBuffer& buffer) {
    return std::string(buffer.begin(), buffer.end());
  }

  static std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  static inline support::FakeShop* shop_ = nullptr;
  std::unique_ptr<support::ScopedShopProxy> proxy_;
  std::filesystem::path folder_;
  FakeWindow window_;
};

}  // namespace collect
