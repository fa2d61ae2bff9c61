#include "app/qt_text.h"

#include "base/code_page.h"

namespace app {

QString ToQString(const base::Text& text) { return QString::fromStdU16String(base::TextToWide(text)); }

base::Text ToText(const QString& string) { return base::WideToText(string.toStdU16String()); }

}  // namespace app
