// Tornalo's icon: a round trip drawn as two arrows circling a "T". It is
// painted rather than loaded, so the program carries no picture files.
#pragma once

#include <QIcon>
#include <QPixmap>

QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();
