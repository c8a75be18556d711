// checkmap_ui.h: the "Check Map" window: a modeless list of the findings of
// Check Map for the open document, kept up to date while it is open; choosing
// a finding selects its hotspot in Test+Edit. While the list is open the parts
// of hotspots that can never be clicked are drawn hatched.
#ifndef TILVANE_CHECKMAP_UI_H
#define TILVANE_CHECKMAP_UI_H

class QWidget;

// The Check Map command: opens the list (or brings it to the front).
void checkMapOpen(QWidget *parent);

// Closes the list when it is open (the frame's tear-down).
void checkMapClose(void);

#endif
