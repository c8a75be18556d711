// imagewindow_ui.h: the image window: the view of the picture and its hotspots
// with its two scroll bars. Mouse presses, moves, releases, double-clicks and
// right presses go into the editing state machine (editor/modes.h) in window
// coordinates; the right button's release and the menu key ask for a context
// menu; the scroll bars move the view (editor/view.h). Owns imageView,
// imagePointerHook.
#ifndef TILVANE_IMAGEWINDOW_UI_H
#define TILVANE_IMAGEWINDOW_UI_H

class QScrollBar;
class QWidget;

// Makes the image window as a child of parent (class "tilvaneImage"); made
// once, later calls return it. imageView is the part that shows the picture
// (the window's client area without the bars); it takes the mouse and keys.
QWidget *imageWindowCreate(QWidget *parent);
extern QWidget *imageView;

// The scroll bars (null before imageWindowCreate).
QScrollBar *imageWindowBar(int vertical);

// Puts the image window behind the view's window hooks (viewWindow) and the
// seams repaint, Zoomout, resetScroll, LocalSetCursor, recreatePens and
// chooseSketchColor.
void imageWindowInstall(void);

// Destroys the image window.
void imageWindowDestroy(void);

// Called after every pointer move over the image (the frame hides the
// toolbar's tooltip and shows where the pointer is); imagePointerX and
// imagePointerY are the move's position in the view's coordinates, and
// imagePointerInside says the pointer is over the view.
extern void (*imagePointerHook)(void);
extern int imagePointerX, imagePointerY, imagePointerInside;

// Shows the context menu for the current selection at screen point (x, y), or,
// when x is -1, at the selection itself (the first selected point, else the
// centre of the selection's box). Nothing unless the state is editing and a
// hotspot is current.
void contextMenu(int x, int y);

// The image window's cursor (cursorArrow or cursorWait, platform/seams.h);
// returns the previous one.
void *imageLocalSetCursor(void *cursor);

#endif
