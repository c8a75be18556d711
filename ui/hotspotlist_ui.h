// hotspotlist_ui.h: the hotspot list, a dock beside the picture with one row
// per hotspot in map order (editor/hotspotlist.h gives the rows). Choosing
// rows selects their hotspots, and the picture's selection selects the rows;
// a double-click or Enter opens the properties, Delete cuts, and rows dragged
// to another place move their hotspots there in the map. It follows every
// change: the frame's hotspotsChanged hook asks for a refresh, which comes
// once per turn of the event loop.
// Owns hotspotListDock.
#ifndef TILVANE_HOTSPOTLIST_UI_H
#define TILVANE_HOTSPOTLIST_UI_H

class QDockWidget;
class QMainWindow;
class QTableView;

extern QDockWidget *hotspotListDock;

// Makes the dock in frame at the place and with the visibility of the
// settings (hotspotListShown, hotspotListArea, hotspotListSize) and fills the
// View menu command.
QDockWidget *hotspotListCreate(QMainWindow *frame);

// The list's table.
QTableView *hotspotListView(void);

// Asks for the rows to be brought up to date on the next turn of the event
// loop (many changes in one turn make one refresh).
void hotspotListSchedule(void);

// Brings the rows up to date with the hotspot table now (the seam only asks
// for it); the Check Map marks follow a moment later unless marksToo.
void hotspotListRefresh(int marksToo = 0);

// Shows or hides the list (the View menu's "Hotspot List").
void hotspotListToggle(void);

// Stores where the list is and how big into the settings.
void hotspotListRemember(void);

// Removes the dock and empties the seam.
void hotspotListDestroy(void);

#endif
