#include "app/message_box.h"

#include <memory>

#include <QMessageBox>

namespace app {
namespace {

MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

// The box itself: OK only, no icon, no owner, modal to the whole application.
QMessageBox* NewBox(const QString& text, const QString& title) {
  // A label would draw the carriage return of a CR LF pair; the line feed alone breaks.
  QString shownText = text;
  shownText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  auto* box = new QMessageBox(QMessageBox::NoIcon, title, shownText, QMessageBox::Ok, nullptr);
  box->setTextFormat(Qt::PlainText);
  box->setWindowModality(Qt::ApplicationModal);
  return box;
}

}  // namespace

QString DefaultMessageTitle() { return QStringLiteral(u"信息："); }

void ShowMessageBox(const QString& text, const QString& title) {
  const QString shownTitle = title.isEmpty() ? DefaultMessageTitle() : title;
  if (Hook()) {
    Hook()(text, shownTitle);
    return;
  }
  std::unique_ptr<QMessageBox> box(NewBox(text, shownTitle));
  box->exec();
}

void ShowMessageBoxWithoutWaiting(const QString& text, const QString& title) {
  const QString shownTitle = title.isEmpty() ? DefaultMessageTitle() : title;
  if (Hook()) {
    Hook()(text, shownTitle);
    return;
  }
  QMessageBox* box = NewBox(text, shownTitle);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->show();
}

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

}  // namespace app
