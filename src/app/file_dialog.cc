#include "app/file_dialog.h"

#include <QDir>
#include <QFileInfo>

#include "app/message_box.h"
#include "app/qt_text.h"

namespace app {
namespace {

FileDialog::Runner& CurrentRunner() {
  static FileDialog::Runner runner;
  return runner;
}

bool RunModally(QFileDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

// `folder`, or its nearest existing ancestor when it does not exist (a desktop folder that
// was never made, say), so the dialog opens near it rather than in the working folder.
QString NearestExistingFolder(const QString& folder) {
  QString path = QDir::cleanPath(folder);
  while (!QFileInfo(path).isDir()) {
    const QString parent = QFileInfo(path).path();
    if (parent == path) break;
    path = parent;
  }
  return path;
}

}  // namespace

void FolderCheckingFileDialog::accept() {
  const QStringList files = selectedFiles();
  if (!files.isEmpty()) {
    const QFileInfo chosen(files.first());
    if (!chosen.isDir() && !chosen.absoluteDir().exists()) {
      ShowMessageBox(QStringLiteral(u"文件夹不存在：\r\n") + chosen.absolutePath(), windowTitle());
      return;
    }
  }
  QFileDialog::accept();
}

bool FileDialog::ShowFileDialog() {
  FolderCheckingFileDialog dialog(owner_);
  dialog.setOption(QFileDialog::DontUseNativeDialog);  // so the folder check applies
  dialog.setAcceptMode(kind == collect::DialogKind::save ? QFileDialog::AcceptSave
                                                          : QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);  // a new name may be typed in either kind
  dialog.setDefaultSuffix(QString());
  dialog.setWindowModality(Qt::ApplicationModal);
  if (!initialFolder.empty()) dialog.setDirectory(NearestExistingFolder(ToQString(initialFolder)));
  if (!fileName.empty()) dialog.selectFile(ToQString(fileName));

  const Runner& runner = CurrentRunner();
  const bool accepted = runner ? runner(dialog) : RunModally(dialog);
  if (!accepted) return false;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return false;
  fileName = ToText(files.first());
  return true;
}

void FileDialog::SetRunner(Runner runner) { CurrentRunner() = std::move(runner); }

}  // namespace app
