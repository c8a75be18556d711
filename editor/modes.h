// modes.h: the editing state machine of the image window: which tool is active
// and how far the shape under construction has got, the tool commands, and what
// each pointer event does in each state. Owns state, keyShift, keyCtrl, rightx,
// righty, pressWinX, pressWinY.
#ifndef TILVANE_MODES_H
#define TILVANE_MODES_H

#include "editor/commandids.h"

// Values 12, 13, 14, 16 and 17 are reserved and never entered.
enum editState {
  polyPosition = 0,       // polygon tool, waiting for the first vertex
  polyAddpoints = 1,      // vertices placed, a floating vertex follows the pointer
  polyUrl = 2,            // polygon closed, properties dialog open
  circlePosition = 3,
  circleDrag = 4,
  circleUrl = 5,
  rectPosition = 6,
  rectDrag = 7,
  rectUrl = 8,
  magicwandPosition = 9,
  magicwandUrl = 10,
  editing = 11,           // the Test+Edit tool
  moving = 12,
  addpoints = 13,
  removepoints = 14,
  nostate = 15,           // no tool chosen (after start-up and after leaving a tool)
  resizing = 16,
  aligning = 17
};

// The editing state; nostate while no tool is active.
extern int state;

// Shift and ctrl as held at the pointer event being handled. The window sets
// them before each call into this module (the image* functions below take them
// as arguments and set them).
extern int keyShift, keyCtrl;

// Image point of the last right press in the Test+Edit state.
extern int rightx, righty;

// Window position of the last left press, for the 8-pixel drag rule.
extern int pressWinX, pressWinY;

// Tool commands: flag 1 enters the tool, 0 leaves it. Entering checks the tool's
// command (cmdPolygon, cmdRectangle, cmdCircle, cmdMagicWand, cmdTestEdit).
void Poly(int flag);
void Circle(int flag);
void Rect(int flag);
void Magicwand(int flag);
void Edit(int flag);
void SetEditingMode(int mode, int id, int flag);

// Leaves the current tool.
void unstate(void);

// The whole tool command as the menu, toolbar and keys run it: the first-time
// hint, unstate, then entering the tool. id is one of the tool commands.
void toolCommand(int id);

// Pointer events in image pixels.
void Button1Down(int x, int y, int dragging);
void ImagePointerMoved(int x, int y, int drag);
void Button1Up(int x, int y, int dragging, int ctrl);
void Button1DoubleClick(int x, int y);
void Button2Down(int x, int y);
void Button3Down(void);

// The Enter key: while a polygon is being drawn it closes the polygon as the
// right button does (when it has at least three vertices) and returns 1;
// otherwise it does nothing and returns 0 (the key then opens the properties).
int EnterKey(void);

// Tab (forward 1) or Shift+Tab on the picture: outside the Test+Edit tool,
// and with no shape being drawn, it enters that tool first; then it selects
// the next or previous hotspot (selectNextHotspot). 0, doing nothing, without
// hotspots or while a shape is being drawn.
int hotspotTabKey(int forward);

// The image point of window position (wx, wy) under the current zoom and scroll.
int imageXFromWindow(int wx);
int imageYFromWindow(int wy);

// Whether a release at window position (wx, wy) is a drag: more than 8 window
// pixels from the last left press in x or in y.
int releaseIsDrag(int wx, int wy);

// The image window's mouse messages, in window coordinates: the conversion to
// image pixels, the press bookkeeping (pressWinX/Y, ovx/ovy), the 8-pixel drag
// rule and the modifier keys. mapLoaded says a picture and map are loaded.
void imageLeftPress(int wx, int wy, int shift, int ctrl);
void imagePointerMove(int wx, int wy, int leftHeld, int shift, int ctrl);
void imageLeftRelease(int wx, int wy, int shift, int ctrl, int mapLoaded);
void imageLeftDoubleClick(int wx, int wy, int shift, int ctrl);
void imageRightPress(int wx, int wy, int shift, int ctrl);

// A left press with Alt held: in the Test+Edit state it selects the next
// hotspot under the pointer (ObjectSelectUnder) and starts no drag; in the
// other states it is a plain left press.
void imageAltPress(int wx, int wy, int shift, int ctrl);

// The Select Under command: the next hotspot under the last right press.
void SelectUnder(void);

// The context menu a request would show (contextMenuId): points, two points
// (with Add Point), one hotspot, several hotspots, or contextMenuNone.
int contextMenuResource(void);

// A context-menu request (the right button's release, fromMouse 1, or the menu
// key, 0): in the Test+Edit state with nothing selected, a mouse request first
// selects what lies under the right press. Returns the menu as above.
int contextMenuRequest(int fromMouse);

// Where a keyboard-requested context menu is shown, in image pixels: the first
// selected point, else the centre of the selection's box. 0 when there is none.
int contextMenuImagePoint(int *xP, int *yP);

// The help anchor for F1 in the current state, such as "help_polygons".
const char *stateHelpTopic(void);

#endif
