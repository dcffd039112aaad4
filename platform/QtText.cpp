#include "platform/QtText.h"

namespace platform {

QString ToQString(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text)
{
    return text.toUtf8().toStdString();
}

} // namespace platform
