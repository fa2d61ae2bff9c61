// Texts (code page 936) at the boundary with Qt's UTF-16 strings.
#pragma once

#include <QString>

#include "base/text.h"

namespace app {

// The Text as a Qt string; an invalid byte sequence shows as U+FFFD.
QString ToQString(const base::Text& text);

// The Qt string as a Text; a character code page 936 lacks becomes "?".
base::Text ToText(const QString& string);

}  // namespace app
