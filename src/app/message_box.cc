#include "app/message_box.h"

#include <QMessageBox>

namespace app {
namespace {

MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

}  // namespace

QString DefaultMessageTitle() { return QStringLiteral(u"信息："); }

void ShowMessageBox(const QString& text, const QString& title) {
  const QString shownTitle = title.isEmpty() ? DefaultMessageTitle() : title;
  if (Hook()) {
    Hook()(text, shownTitle);
    return;
  }
  // A label would draw the carriage return of a CR LF pair; the line feed alone breaks.
  QString shownText = text;
  shownText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(QMessageBox::NoIcon, shownTitle, shownText, QMessageBox::Ok, nullptr);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

}  // namespace app
