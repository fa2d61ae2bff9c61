#include "app/preview_view.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include "app/qt_text.h"

namespace app {
namespace {

// Refuses every request but http and https: no local files, no other schemes.
class WebOnlyInterceptor : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    const QString scheme = info.requestUrl().scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) info.block(true);
  }
};

}  // namespace

PreviewView::PreviewView(QWidget* parent)
    : profile_(std::make_unique<QWebEngineProfile>()),  // no storage name: off the record
      view_(new QWebEngineView(parent)) {
  profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
  profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  profile_->setUrlRequestInterceptor(new WebOnlyInterceptor(profile_.get()));

  auto* page = new QWebEnginePage(profile_.get(), view_);
  QWebEngineSettings* settings = page->settings();
  settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
  view_->setPage(page);
  view_->setObjectName(QStringLiteral("preview"));
  view_->setUrl(QUrl(QStringLiteral("about:blank")));
}

PreviewView::~PreviewView() {
  // The page must go before its profile.
  delete view_;
}

void PreviewView::Navigate(const base::Text& address) {
  lastAddress_ = address;
  view_->setUrl(QUrl(ToQString(address)));
}

}  // namespace app
