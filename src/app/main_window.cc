#include "app/main_window.h"

#include <limits>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QWebEngineView>
#include <QWindow>

#include "app/control_layout.h"
#include "app/message_box.h"
#include "app/qt_text.h"
#include "platform/wait_hook.h"
#include "web/shared_request.h"

namespace app {

MainWindow::MainWindow()
    : addressLabel_(new QLabel(QStringLiteral(u"宝贝地址："), this)),
      addressEdit_(new QLineEdit(this)),
      collectButton_(new QPushButton(QStringLiteral(u"获取图片列表"), this)),
      saveAllButton_(new QPushButton(QStringLiteral(u"保存所有图片"), this)),
      helpButton_(new QPushButton(QStringLiteral(u"帮助信息"), this)),
      imageTable_(new ImageTable(this)),
      addressBox_(addressEdit_),
      imageList_(imageTable_),
      preview_(this),
      saveDialog_(this),
      browserView_(&preview_) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(QStringLiteral("Velkaro"));

  addressLabel_->setGeometry(kAddressLabelPlace);
  addressLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  addressLabel_->setWordWrap(true);

  addressEdit_->setObjectName(QStringLiteral("addressBox"));
  addressEdit_->setGeometry(kAddressBoxPlace);
  addressEdit_->setMaxLength(std::numeric_limits<int>::max());
  addressEdit_->setText(ToQString("http://" + web::itemHost + "/2122967.html"));
  addressEdit_->setCursorPosition(0);

  collectButton_->setGeometry(kCollectButtonPlace);
  saveAllButton_->setGeometry(kSaveAllButtonPlace);
  helpButton_->setGeometry(kHelpButtonPlace);
  imageTable_->setGeometry(kImageListPlace);
  preview_.widget()->setGeometry(kPreviewPlace);

  connect(collectButton_, &QPushButton::clicked, this, &MainWindow::handleCollectClicked);
  connect(saveAllButton_, &QPushButton::clicked, this, &MainWindow::handleSaveAllClicked);
  connect(helpButton_, &QPushButton::clicked, this, &MainWindow::handleHelpClicked);
  connect(imageTable_, &ImageTable::leftClicked, this, &MainWindow::PreviewSelectedRow);
  connect(imageTable_, &QAbstractItemView::activated, this, &MainWindow::PreviewSelectedRow);

  // Centred on the primary screen. The frame is unknown until the window is first shown,
  // so until then the client takes the whole outer size.
  const QScreen* primary = QGuiApplication::primaryScreen();
  const QRect outer = CentredRect(kDesignWindowSize, primary ? primary->geometry() : QRect());
  move(outer.topLeft());
  resize(outer.size());
}

MainWindow::~MainWindow() = default;

void MainWindow::HandleCreated() {
  web::CreateSharedRequest(&MainWindow::ShowMessageBox);
  SetPlacementMode(PlacementMode::maximised);
}

void MainWindow::LayOutControls() {
  const ControlPlaces places = LayOut(size());
  preview_.widget()->setGeometry(places.preview);
  imageTable_->setGeometry(places.imageList);
}

void MainWindow::SetPlacementMode(PlacementMode mode) {
  placementMode_ = mode;
  if (isVisible()) ShowByPlacement();
}

void MainWindow::ShowByPlacement() {
  switch (placementMode_) {
    case PlacementMode::normal:
      showNormal();
      break;
    case PlacementMode::centred: {
      showNormal();
      const QScreen* primary = QGuiApplication::primaryScreen();
      if (primary != nullptr) move(CentredRect(frameGeometry().size(), primary->geometry()).topLeft());
      break;
    }
    case PlacementMode::minimised:
      showMinimized();
      break;
    case PlacementMode::maximised:
      MaximiseToWorkArea();
      break;
  }
}

void MainWindow::MaximiseToWorkArea() {
  if (isMinimized() || isMaximized()) showNormal();
  if (const QScreen* screen = ScreenNearest(frameGeometry())) {
    // The outer rectangle becomes the work area also on a window system that does not
    // maximise by itself; the frame is as far as the window system has told it yet.
    create();
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    setGeometry(screen->availableGeometry().marginsRemoved(frame));
  }
  showMaximized();
}

void MainWindow::PreviewSelectedRow() {
  const int row = imageList_.SelectedRow();
  browserView_->Navigate(imageList_.GetCellText(row, 1));
}

void MainWindow::ShowMessageBox(const base::Text& text, const base::Text& title) {
  app::ShowMessageBox(ToQString(text), ToQString(title));
}

collect::Window MainWindow::Ports() {
  return collect::Window{addressBox_, imageList_, *browserView_, saveDialog_};
}

void MainWindow::SetBrowserView(collect::BrowserView* view) {
  browserView_ = view != nullptr ? view : &preview_;
}

void MainWindow::handleCollectClicked() { RunAction(collectAction_); }

void MainWindow::handleSaveAllClicked() { RunAction(saveAllAction_); }

void MainWindow::handleHelpClicked() {
  // During a run the box must not hold the wait that is showing it: the request goes on.
  if (actionRunning_) {
    app::ShowMessageBoxWithoutWaiting(HelpText(), HelpTitle());
  } else {
    app::ShowMessageBox(HelpText(), HelpTitle());
  }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOutControls();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (actionRunning_) platform::SetWaitsAbandoned(true);
  QWidget::closeEvent(event);
}

void MainWindow::RunAction(const Action& action) {
  // The waits of a run keep the window alive, so a second press can arrive meanwhile.
  if (!action || actionRunning_) return;
  actionRunning_ = true;
  collect::Window window = Ports();
  action(window);
  actionRunning_ = false;
}

QString HelpText() {
  return QStringLiteral(
      "There's nothing here.\r\n\r\n"
      "Velkaro, made by the Velkaro developers.\r\n\r\n");
}

QString HelpTitle() { return QStringLiteral("about"); }

}  // namespace app
