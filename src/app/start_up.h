// The life of the program: start-up, the event loop and shutdown.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QNetworkProxy>
#include <QString>

#include "app/main_window.h"

class QApplication;

namespace app {

// Run before QApplication exists: as root, and unless the user chose otherwise, Qt
// WebEngine's sandbox is switched off (it cannot run as root).
void PrepareProcess();

// The proxy that `httpProxy` (the http_proxy variable: "host:port" or "http://host:port")
// names; none when it is empty or has no host. libcurl's default port 1080 applies.
std::optional<QNetworkProxy> ProxyFromVariable(const QString& httpProxy);

// Creates the main window, hidden, with its two action buttons collecting and saving;
// null with `failure` saying why when it cannot.
using WindowFactory = std::function<std::unique_ptr<MainWindow>(QString& failure)>;
std::unique_ptr<MainWindow> CreateMainWindow(QString& failure);

// Loading after creation: the created handler, the layout for the design size, then the
// window shown maximised to the work area of its monitor.
void LoadMainWindow(MainWindow& window);

// Everything after QApplication: component services, the shared request slot and its exit
// routine, the window, the event loop, then the exit routines and component services shut
// down. Returns 0, or -1 (after a message naming the failure and the exit routines) when
// the window cannot be created.
int RunProgram(QApplication& application, const WindowFactory& createWindow = CreateMainWindow);

}  // namespace app
