// The main window: the address row, the image list and the preview, with their handlers.
#pragma once

#include <functional>

#include <QWidget>

#include "app/address_box_view.h"
#include "app/file_dialog.h"
#include "app/image_list_view.h"
#include "app/preview_view.h"
#include "app/window_placement.h"
#include "collect/window_ports.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace app {

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // Creates the window hidden, 931 x 799 and centred on the primary screen, with every
  // control at its design place; placement mode centred.
  MainWindow();
  ~MainWindow() override;

  // Runs once after creation, before the window is shown: creates the shared request (its
  // failure message has no owner) and sets placement mode maximised, stored until shown.
  void HandleCreated();

  // Sizes the preview and the list to the client area; runs on every resize.
  void LayOutControls();

  // Stores `mode`; applies it at once when the window is visible.
  void SetPlacementMode(PlacementMode mode);
  PlacementMode placementMode() const { return placementMode_; }
  // Shows the window as its placement mode says.
  void ShowByPlacement();

  // Hands the first selected row's address (empty without a selection) to the browser view.
  void PreviewSelectedRow();

  // The program's message box; an empty title gives "信息：".
  static void ShowMessageBox(const base::Text& text, const base::Text& title = {});

  // The parts the collecting code works on.
  collect::Window Ports();
  AddressBoxView& addressBox() { return addressBox_; }
  ImageListView& imageList() { return imageList_; }
  PreviewView& preview() { return preview_; }
  FileDialog& saveDialog() { return saveDialog_; }

  // Sends Navigate to `view` in place of the preview (null restores the preview).
  void SetBrowserView(collect::BrowserView* view);

  // What the two action buttons run, on the window's parts; empty does nothing. A press
  // while either is running is ignored.
  using Action = std::function<void(collect::Window& window)>;
  void SetCollectAction(Action action) { collectAction_ = std::move(action); }
  void SetSaveAllAction(Action action) { saveAllAction_ = std::move(action); }
  bool actionRunning() const { return actionRunning_; }

  QLabel* addressLabel() const { return addressLabel_; }
  QLineEdit* addressEdit() const { return addressEdit_; }
  QPushButton* collectButton() const { return collectButton_; }
  QPushButton* saveAllButton() const { return saveAllButton_; }
  QPushButton* helpButton() const { return helpButton_; }
  ImageTable* imageTable() const { return imageTable_; }

 public slots:
  void handleCollectClicked();
  void handleSaveAllClicked();
  void handleHelpClicked();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // Closing during a collection or a save makes its waits give up, so it ends at once.
  void closeEvent(QCloseEvent* event) override;

 private:
  void RunAction(const Action& action);
  void MaximiseToWorkArea();

  QLabel* addressLabel_;
  QLineEdit* addressEdit_;
  QPushButton* collectButton_;
  QPushButton* saveAllButton_;
  QPushButton* helpButton_;
  ImageTable* imageTable_;

  AddressBoxView addressBox_;
  ImageListView imageList_;
  PreviewView preview_;
  FileDialog saveDialog_;
  collect::BrowserView* browserView_;

  PlacementMode placementMode_ = PlacementMode::centred;
  Action collectAction_;
  Action saveAllAction_;
  bool actionRunning_ = false;
};

// The help box: titled "about", a greeting, a credit line and blank lines.
QString HelpText();
QString HelpTitle();

}  // namespace app
