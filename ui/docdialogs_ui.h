// docdialogs_ui.h: the windows of the document workflow: the start dialog
// "What Do You Want To Do?" and the image list "Select Inline Image".
// docDialogsInstall puts them behind webPageOrImageHook and the imageListSelect
// seam (and lets the recent-file commands reach the workflow); the frame window
// calls it at start-up.
#ifndef TILVANE_DOCDIALOGS_UI_H
#define TILVANE_DOCDIALOGS_UI_H

#include <string>
#include <vector>

class QWidget;

// Installs the two dialogs; owner (may be null) is the window they belong to.
void docDialogsInstall(QWidget *owner);

// The start dialog, run modally: 1 "Open A Web Page", 0 "Open An Image", -1 closed.
int webPageOrImageBox(QWidget *parent);

// The image list for the entries of list, run modally: the result of
// ImageListOK for the chosen entry, 0 on Cancel.
int imageListBox(const std::vector<std::string> &list, QWidget *parent);

#endif
