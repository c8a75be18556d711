// propsdialog_ui.h: the modeless "Object URL" dialog (a hotspot's link and
// texts) and the "Default URL" dialog (the map's link for outside clicks).
// propsDialogInstall puts them behind the url, urlDismiss, urlDefault and
// urlDefaultDismiss seams; the frame window calls it at start-up. The flag
// defaultCreating (editor/props.h) is set while the "Default URL" dialog is open.
#ifndef TILVANE_PROPSDIALOG_UI_H
#define TILVANE_PROPSDIALOG_UI_H

class QDialog;
class QWidget;

#include "editor/props.h"

// Installs both dialogs; owner (may be null) is the window they belong to.
void propsDialogInstall(QWidget *owner);

// The seams' work: fill and show the "Object URL" dialog for hotspot index
// (where the user last put it, else beside the frame, clear of the hotspot);
// remember a position the user chose and hide it; open the "Default URL" dialog unless it
// is open; close and destroy it.
void urlDialogShow(int index, int show);
void urlDialogDismiss(void);
void urlDefaultDialogShow(void);
void urlDefaultDialogDismiss(void);

// The dialogs as they are now (null before the first use, and for the default
// dialog while it is closed).
QDialog *urlDialog(void);
QDialog *urlDefaultDialog(void);

// Which hotspot the "Object URL" dialog was last filled from.
int urlDialogIndex(void);

// Destroys both dialogs.
void propsDialogDestroy(void);

#endif
