// selection.h: the selection of whole hotspots (their `selected` flags) and of
// the points of the one current hotspot, the rules by which a click or a rubber
// band changes them, and the press, motion and release logic of the Test+Edit
// state. Owns psel, lastObjectSelected, editingState, editingSelectionDrag,
// selectionDragX, selectionDragY, ovx, ovy, editingPressHeld,
// editingPointsDragged, editingDragCancelled.
#ifndef TILVANE_SELECTION_H
#define TILVANE_SELECTION_H

#include <string>

#include "editor/objects.h"

// An ordered list of point indices of hotspot lastObjectSelected; the last entry
// is the most recently picked point. Index meaning by shape: a polygon's vertex;
// a circle's centre (0) or rim (1); a rectangle's corners (x1,y1) 0, (x2,y1) 1,
// (x2,y2) 2, (x1,y2) 3, and its centre 4.
struct pointSelection {
  int *points;  // owned; null when not set up
  int total;
  int space;    // 16 when set up, doubling when full
};

extern pointSelection psel;
extern int lastObjectSelected;  // the hotspot the last selection step touched; -1 none

// What a press in the Test+Edit state started.
enum editingStates { editingNone = 0, editingResizing = 1, editingMoving = 2 };
extern int editingState;
extern int editingSelectionDrag;             // the rubber band is shown
extern int selectionDragX, selectionDragY;   // its moving corner, image pixels
extern int ovx, ovy;                         // image point of the last left press

// The drag of a left press in the Test+Edit state: the button is held since
// the press; the motion moves the current hotspot's selected points (so the
// release selects nothing); the drag was cancelled (motion and release then do
// nothing until the next press).
extern int editingPressHeld;
extern int editingPointsDragged;
extern int editingDragCancelled;

void pointSelectionSetup(pointSelection *ps);
void pointSelectionFree(pointSelection *ps);
void pointSelectionCopy(pointSelection *dst, const pointSelection *src);
void pointsDeselect(pointSelection *ps);
void pointSelect(pointSelection *ps, int i);
void pointDeselect(pointSelection *ps, int i);
int pointIsSelected(const pointSelection *ps, int i);
int pointsSelected(const pointSelection *ps);
void pointSelectOrToggle(pointSelection *ps, int i, int toggle);

// Selects (or with toggle flips) every hotspot holding an image pixel of the
// rectangle spanned by the two corners; a single point when they are equal, in
// which case the earliest hotspot in table order that ends up selected stops
// the pick. 1 when any hotspot was hit.
int ObjectSelect(int x1, int y1, int x2, int y2, int toggle);
int ObjectUnselect(void);

// Selects the next hotspot under image point (x, y) after the current one, in
// map order, cycling to the first; the first under the point when the current
// one is not under it. The others are unselected. 1 when any hotspot lies
// under the point.
int ObjectSelectUnder(int x, int y);
void SelectAll(void);
int objectsSelected(void);
int singleSelection(void);
int selectionWithHandles(void);

// Picks a point or handle of the single selected hotspot o at image point (x, y).
int ObjectSelectPoint(object *o, int x, int y, int multiple, int toggle);

// The box of the selected hotspots as shown (through the pending transform),
// with its centre and size stored through the non-null pointers.
bounds selectionGetCenterAndBounds(int *cxP, int *cyP, int *wP, int *hP);

// The selection as the status bar shows it, into out: "x, y, w \u00d7 h" (UTF-8)
// for the box of the selected hotspots as shown, "x, y" for the one selected
// point of the single selected hotspot, "" with nothing selected.
void selectionDescribe(char *out, int size);

// The current hotspot when it is a counted one, else null.
object *currentObject(void);

// The left press, the motion with the button held, and the release of the
// Test+Edit state, at image point (x, y). Shift and ctrl are keyShift, keyCtrl
// (editor/modes.h); dragging says the pointer went more than 8 window pixels
// from the press.
void editingButton1Down(int x, int y);
void editingPointerMoved(int x, int y);
void editingButton1Up(int x, int y, int dragging, int ctrl);

// Cancels a move, resize, point drag or rubber band that is under way: the
// pending transform goes back to idle (a resize's points, held relative to
// the selection's centre, become absolute again unscaled), editingState to
// editingNone, and the rest of the drag does nothing. Undo, Redo and leaving
// the Test+Edit state call it.
void editingCancelDrag(void);

// Tab and Shift+Tab in the Test+Edit state: selects the hotspot after
// (forward 1) or before the current one in map order, going round at the
// ends, alone and without points, and scrolls it into view. 0 outside the
// Test+Edit state, during a drag, or without hotspots.
int selectNextHotspot(int forward);

// What a screen reader announces for the selection: "Rectangle 2 of 5, link
// about.html, alternative text About us", "3 hotspots selected" or "No
// hotspot selected".
std::string selectionAnnouncement(void);

#endif
