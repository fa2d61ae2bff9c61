#include "app/file_dialog.h"

#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/message_box.h"
#include "app/qt_text.h"

namespace app {
namespace {

// Drives the dialog without showing it: each test says what the user does.
class FileDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    SetMessageBoxHook([this](const QString& text, const QString&) { messages_.push_back(text); });
  }
  void TearDown() override {
    FileDialog::SetRunner({});
    SetMessageBoxHook({});
  }

  // The user types `typed` and presses the accept button; true when the dialog closed so.
  static bool TypeAndAccept(QFileDialog& dialog, const QString& typed) {
    dialog.selectFile(typed);
    static_cast<QDialog&>(dialog).accept();  // the accept button's slot
    return dialog.result() == QDialog::Accepted;
  }

  QString Path(const QString& name) const { return folder_.path() + QLatin1Char('/') + name; }

  QTemporaryDir folder_;
  std::vector<QString> messages_;
  FileDialog dialog_;
};

TEST_F(FileDialogTest, SaveAcceptsATypedNewNameAsTyped) {
  dialog_.kind = collect::DialogKind::save;
  dialog_.initialFolder = ToText(folder_.path() + QLatin1Char('/'));
  FileDialog::SetRunner([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile);
    EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog.defaultSuffix().isEmpty());
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(folder_.path()).canonicalPath());
    return TypeAndAccept(dialog, Path(QStringLiteral(u"宝贝")));
  });
  EXPECT_TRUE(dialog_.ShowFileDialog());
  EXPECT_EQ(dialog_.fileName, ToText(Path(QStringLiteral(u"宝贝"))));  // no extension added
  EXPECT_TRUE(messages_.empty());
}

TEST_F(FileDialogTest, MissingInitialFolderOpensInItsNearestExistingAncestor) {
  dialog_.kind = collect::DialogKind::save;
  dialog_.initialFolder = ToText(Path(QStringLiteral("Desktop/never made/")));
  QString openedIn;
  FileDialog::SetRunner([&](QFileDialog& dialog) {
    openedIn = QDir(dialog.directory()).canonicalPath();
    return false;
  });
  EXPECT_FALSE(dialog_.ShowFileDialog());
  EXPECT_EQ(openedIn, QDir(folder_.path()).canonicalPath());
}

TEST_F(FileDialogTest, CancelKeepsTheEarlierNameWhichIsOfferedAgain) {
  dialog_.kind = collect::DialogKind::save;
  const QString earlier = Path(QStringLiteral("shots"));
  dialog_.fileName = ToText(earlier);
  QStringList offered;
  FileDialog::SetRunner([&](QFileDialog& dialog) {
    offered = dialog.selectedFiles();
    return false;
  });
  EXPECT_FALSE(dialog_.ShowFileDialog());
  EXPECT_EQ(dialog_.fileName, ToText(earlier));
  ASSERT_EQ(offered.size(), 1);
  EXPECT_EQ(offered.first(), earlier);
}

TEST_F(FileDialogTest, OpenKindAlsoTakesANewName) {
  FileDialog::SetRunner([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    return TypeAndAccept(dialog, Path(QStringLiteral("not-there.txt")));
  });
  EXPECT_TRUE(dialog_.ShowFileDialog());
  EXPECT_EQ(dialog_.fileName, ToText(Path(QStringLiteral("not-there.txt"))));
}

TEST_F(FileDialogTest, AFolderThatDoesNotExistIsRefused) {
  dialog_.kind = collect::DialogKind::save;
  dialog_.fileName = "/earlier/name";
  FileDialog::SetRunner([&](QFileDialog& dialog) {
    dialog.setDirectory(folder_.path());
    return TypeAndAccept(dialog, Path(QStringLiteral("missing/pic")));
  });
  EXPECT_FALSE(dialog_.ShowFileDialog());
  EXPECT_EQ(dialog_.fileName, "/earlier/name");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_TRUE(messages_[0].contains(QStringLiteral("missing"))) << messages_[0].toStdString();
}

}  // namespace
}  // namespace app
