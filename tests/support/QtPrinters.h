// Lets GoogleTest print Qt strings readably in failure messages.
#pragma once

#include <QByteArray>
#include <QString>
#include <ostream>

void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const QByteArray& bytes, std::ostream* out);
