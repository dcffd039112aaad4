// Text crosses into Qt only at the widget and Qt-library boundary: bytes of
// UTF-8 on our side, QString on Qt's.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace platform {

QString ToQString(std::string_view bytes);
std::string ToBytes(const QString& text);

} // namespace platform
