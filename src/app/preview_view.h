// The preview: an embedded browser view that shows the images the list points at.
#pragma once

#include <memory>

#include <QPointer>
#include <QWebEngineView>

#include "collect/window_ports.h"

class QWebEngineProfile;
class QWidget;

namespace app {

// A browser view on an off-the-record profile that runs no JavaScript or plugins and loads
// only http and https addresses, so it shows what a downloaded page names and nothing local.
class PreviewView : public collect::BrowserView {
 public:
  // Creates the view as a child of `parent`, showing "about:blank".
  explicit PreviewView(QWidget* parent);
  ~PreviewView() override;

  // Loads `address` as given; an empty address leaves a blank view.
  void Navigate(const base::Text& address) override;

  QWebEngineView* widget() const { return view_; }
  QWebEngineProfile* profile() const { return profile_.get(); }
  // The address last handed to Navigate; empty before the first.
  const base::Text& lastAddress() const { return lastAddress_; }

 private:
  std::unique_ptr<QWebEngineProfile> profile_;
  QPointer<QWebEngineView> view_;
  base::Text lastAddress_;
};

}  // namespace app
