// The save dialog: settings that live as long as the window, and a modal file dialog.
#pragma once

#include <functional>

#include <QFileDialog>

#include "collect/window_ports.h"

namespace app {

// A file dialog that accepts a typed new name but refuses a name in a folder that does not
// exist (it says so and stays open).
class FolderCheckingFileDialog : public QFileDialog {
  Q_OBJECT

 public:
  using QFileDialog::QFileDialog;

 public slots:
  void accept() override;
};

// The save dialog of the window. No filter, no default extension; asks before replacing a
// file in save mode.
class FileDialog : public collect::SaveDialog {
 public:
  explicit FileDialog(QWidget* owner = nullptr) : owner_(owner) {}

  // Shows an open-file or save-file dialog as `kind` says, in `initialFolder` when set, with
  // `fileName` pre-filled when set. Accepted: `fileName` becomes the chosen path exactly as
  // typed or picked, and true. Cancelled: `fileName` stays, and false.
  bool ShowFileDialog() override;

  // Runs the configured dialog and tells whether it was accepted. The default runs it
  // modally; tests replace it to inspect and drive the dialog. An empty runner restores it.
  using Runner = std::function<bool(QFileDialog& dialog)>;
  static void SetRunner(Runner runner);

 private:
  QWidget* owner_;
};

}  // namespace app
