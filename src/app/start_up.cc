#include "app/start_up.h"

#include <cstdlib>

#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#include "app/exit_routines.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "collect/image_collection.h"
#include "collect/image_saving.h"
#include "platform/apartment.h"
#include "platform/wait_hook.h"
#include "web/shared_request.h"

namespace app {
namespace {

// The preview goes where the requests go: libcurl reads http_proxy, WebEngine the
// application proxy.
void UseProxyOfEnvironment() {
  const char* variable = std::getenv("http_proxy");
  if (variable == nullptr) return;
  if (std::optional<QNetworkProxy> proxy = ProxyFromVariable(QString::fromLocal8Bit(variable))) {
    QNetworkProxy::setApplicationProxy(*proxy);
  }
}

// Requests wait in short slices; between them the window repaints and takes input.
void KeepWindowAlive() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace

void PrepareProcess() {
  if (geteuid() == 0 && std::getenv("QTWEBENGINE_DISABLE_SANDBOX") == nullptr) {
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  }
}

std::optional<QNetworkProxy> ProxyFromVariable(const QString& httpProxy) {
  const QString trimmed = httpProxy.trimmed();
  if (trimmed.isEmpty()) return std::nullopt;
  const QUrl url = trimmed.contains(QStringLiteral("://")) ? QUrl(trimmed)
                                                           : QUrl(QStringLiteral("http://") + trimmed);
  if (!url.isValid() || url.host().isEmpty()) return std::nullopt;
  return QNetworkProxy(QNetworkProxy::HttpProxy, url.host(), static_cast<quint16>(url.port(1080)),
                       url.userName(), url.password());
}

std::unique_ptr<MainWindow> CreateMainWindow(QString& failure) {
  if (QGuiApplication::primaryScreen() == nullptr) {
    failure = QStringLiteral("there is no screen to show the main window on");
    return nullptr;
  }
  auto window = std::make_unique<MainWindow>();
  window->SetCollectAction(collect::CollectButtonClicked);
  window->SetSaveAllAction(collect::SaveAllImages);
  return window;
}

void LoadMainWindow(MainWindow& window) {
  window.HandleCreated();
  window.LayOutControls();
  window.ShowByPlacement();
}

int RunProgram(QApplication& application, const WindowFactory& createWindow) {
  UseProxyOfEnvironment();
  platform::SetWaitsAbandoned(false);
  platform::InitializeOle();
  web::AllocateSharedRequest();
  ExitRoutines().Register(web::ReleaseSharedRequest);

  QString failure;
  std::unique_ptr<MainWindow> window = createWindow(failure);
  if (!window) {
    ShowMessageBox(QStringLiteral("The main window could not be created: ") + failure);
    ExitRoutines().RunAll();
    platform::UninitializeOle();
    return -1;
  }
  LoadMainWindow(*window);

  platform::SetWaitHook(KeepWindowAlive);
  application.exec();
  platform::SetWaitHook({});

  // The request object goes after the window, and before component services shut down.
  window.reset();
  ExitRoutines().RunAll();
  platform::UninitializeOle();
  return 0;
}

}  // namespace app
