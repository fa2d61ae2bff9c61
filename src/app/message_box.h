// The program's message box: OK only, no icon, no owner, modal to the whole application.
#pragma once

#include <functional>

#include <QString>

namespace app {

// "信息：", the title used when none is given.
QString DefaultMessageTitle();

// Shows `text` titled `title` (the default title when empty) and returns once dismissed.
void ShowMessageBox(const QString& text, const QString& title = QString());

// The same box, shown without waiting for it to be dismissed: for use while a request is
// waiting, which a nested wait for the user would stall.
void ShowMessageBoxWithoutWaiting(const QString& text, const QString& title = QString());

// Replaces both boxes with `hook`, which receives the text and the final title (tests use
// this so that no modal box is left open). An empty hook restores the real box.
using MessageBoxHook = std::function<void(const QString& text, const QString& title)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace app
