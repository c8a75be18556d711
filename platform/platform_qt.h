// platform_qt.h: the platform table carried out with Qt Widgets, for the editor.
#ifndef TILVANE_PLATFORM_QT_H
#define TILVANE_PLATFORM_QT_H

#include "platform/platform.h"

// Installs the Qt table. A QApplication must exist.
void platformQtInstall();

// The Qt table itself.
const platformTable *platformQt();

#endif
