// editops.h: the operations that change the geometry of existing hotspots:
// dragging selected points, the 22.5-degree angle constraint, moving and
// resizing the selection through its handles, adding and removing points,
// aligning and expanding to a common edge. Owns resizeOriginalFactorX,
// resizeOriginalFactorY, resizeOriginalSet.
#ifndef TILVANE_EDITOPS_H
#define TILVANE_EDITOPS_H

#include <vector>

#include "editor/objects.h"

extern double resizeOriginalFactorX, resizeOriginalFactorY;
extern int resizeOriginalSet;

// Moves the selected points (psel) of o so that they follow the pointer from
// (ovx, ovy) to (x, y); then ovx, ovy = x, y and a repaint.
void ObjectMoveSelectedPoints(object *o, int x, int y);

// Snaps (*xP, *yP) to a multiple of 22.5 degrees around the reference point for
// point index p of o: stored point p-1, the last stored one when p-1 is
// negative or past the stored points. A rectangle's centre (p = 4) is not
// constrained. angleConstrain uses p = pointsTotal (the last placed vertex).
void angleConstrainEx(const object *o, int *xP, int *yP, int p);
void angleConstrain(const object *o, int *xP, int *yP);

// Moving and resizing the selection with the pending transform.
void SelectionResizeUndoSave(void);
void editResizeBegin(void);
void SelectionResizeTo(int x, int y);
void SelectionMoveTo(int x, int y);
void SelectionResizeOfficial(void);

// Commands 107 and 108 (the flag is ignored).
void Addpoints(int flag = 1);
void Removepoints(int flag = 1);

// Commands 125-128 (align top, bottom, left, right) and 129, 135, 136, 137
// (expand top, bottom, left, right).
void Align(int action);
void objectNudge(object *o, double dx, double dy);
void objectExpandLeft(object *o, bounds b);
void objectExpandTop(object *o, bounds b);
void objectExpandRight(object *o, bounds b);
void objectExpandBottom(object *o, bounds b);

// The arrow keys in the Test+Edit state: moves the selected hotspots, or the
// selected points of the one selected hotspot, by (dx, dy) picture pixels.
// Nudges of one selection that follow each other make one undo step. 0 (and
// nothing moves) outside the Test+Edit state, during a drag, or with nothing
// selected.
int nudgeSelection(int dx, int dy);
// The hotspots' order in the map, which is click order: the first hotspot
// under the pointer wins a click in a browser.
//
// Puts the counted hotspots in a new order: order[k] is the index the hotspot
// that becomes hotspot k has now. The current hotspot stays current and keeps
// its selected points. One undo step. 0 when order is the order there is
// already, or not an order of every hotspot once.
int objectsReorder(const std::vector<int> &order);

// The order that moves the selected hotspots, in their own order, to stand
// before hotspot `before` (objectsTotal: to the end); the others keep theirs.
std::vector<int> arrangeOrderBefore(int before);

// Commands 2111-2114: Bring to Front (the selection first in the map, in its
// own order), Bring Forward (each selected hotspot one place earlier, past one
// hotspot that is not selected), Send Backward, Send to Back. One undo step;
// nothing when the order stays as it is. 1 when the order changed.
int Arrange(int id);

// Moves the selected hotspots, in their order, before hotspot `before`
// (objectsTotal: to the end), as one undo step: the rows dragged in the
// hotspot list. 1 when the order changed.
int arrangeMoveSelectionBefore(int before);

#endif
