// modes.cpp: the editing state machine of the image window: the tool commands,
// leaving a tool, and what each pointer event does in each state. Owns state,
// keyShift, keyCtrl, rightx, righty, pressWinX, pressWinY.
#include "editor/modes.h"

#include <cstdlib>

#include "editor/editops.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/snap.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "html/document.h"
#include "platform/strhack.h"
#include "editor/magicwand.h"

int state = nostate;
int keyShift = 0, keyCtrl = 0;
int rightx = 0, righty = 0;
int pressWinX = 0, pressWinY = 0;

namespace {

// The record the shape under construction lives in (null without a table).
object *spare(void) {
  if (!objects) return nullptr;
  if (objectsTotal >= objectsSpace) objectsEnsure(objectsTotal);
  return &objects[objectsTotal];
}

void discardSpare(void) {
  if (object *o = spare()) o->t = notype;
}

void enterTool(int newState, int id) {
  state = newState;
  commandCheck(id, 1);
  toolbarRedraw();
  repaint(0);
}

// Leaves a drawing tool: its command unchecked, the shape under construction
// discarded, no tool active; the properties dialog is hidden unless keepDialog.
void leaveTool(int id, int keepDialog) {
  commandCheck(id, 0);
  discardSpare();
  state = nostate;
  if (!keepDialog) UrlDismiss();
  toolbarRedraw();
  repaint(0);
}

// Starts a new shape of type t in the spare record with its first points at
// (x, y): the empty record is saved for undo first.
object *beginShape(int t, int count, int x, int y) {
  if (!objects) objectsSetup();
  objectsEnsure(objectsTotal);
  undoSave(undoChanged, objectsTotal);
  object *o = &objects[objectsTotal];
  objectDataFree(o);
  pointsEnsure(o, count);
  o->t = t;
  o->complete = 0;
  o->selected = 0;
  for (int i = 0; i <= count; i++) o->points[i] = FPOINT{static_cast<double>(x), static_cast<double>(y)};
  o->pointsTotal = count;
  return o;
}

// Completes the shape under construction: its properties dialog opens in the
// tool's dialog state (set first, so that a dialog that is skipped confirms in
// the right state).
void finishShape(int urlState) {
  state = urlState;
  repaint(0);
  Url(objectsTotal, 1);
}

void setCorner(int x, int y) {
  object *o = spare();
  if (o && o->pointsTotal >= 2) o->points[1] = FPOINT{static_cast<double>(x), static_cast<double>(y)};
}

}  // namespace

// --- tools ----------------------------------------------------------------

void Poly(int flag) {
  if (flag)
    enterTool(polyPosition, cmdPolygon);
  else
    leaveTool(cmdPolygon, 0);
}

void Circle(int flag) {
  if (flag)
    enterTool(state == circleDrag ? circleDrag : circlePosition, cmdCircle);
  else
    leaveTool(cmdCircle, 0);
}

void Rect(int flag) {
  if (flag)
    enterTool(state == rectDrag ? rectDrag : rectPosition, cmdRectangle);
  else
    leaveTool(cmdRectangle, 0);
}

void Magicwand(int flag) {
  if (flag)
    enterTool(magicwandPosition, cmdMagicWand);
  else
    leaveTool(cmdMagicWand, 1);
}

void SetEditingMode(int mode, int id, int flag) {
  if (flag) {
    state = mode;
    commandCheck(id, 1);
  } else {
    commandCheck(id, 0);
    ObjectUnselect();
    for (int i = 0; objects && i < objectsTotal; i++) objects[i].selected = 0;
    state = nostate;
    lastObjectSelected = -1;
    pointsDeselect(&psel);
    UrlDismiss();
  }
  toolbarRedraw();
  repaint(0);
}

void Edit(int flag) {
  // A drag under way ends here: its pending transform is never applied.
  editingCancelDrag();
  UrlDismiss();
  SetEditingMode(editing, cmdTestEdit, flag ? 1 : 0);
  sensitivity(1);
}

void unstate(void) {
  switch (state) {
    case circlePosition:
    case circleDrag:
    case circleUrl:
      Circle(0);
      break;
    case rectPosition:
    case rectDrag:
    case rectUrl:
      Rect(0);
      break;
    case magicwandPosition:
    case magicwandUrl:
      Magicwand(0);
      break;
    case editing:
      Edit(0);
      break;
    case nostate:
      break;
    default:
      Poly(0);
      break;
  }
}

void toolCommand(int id) {
  int hint;
  void (*enter)(int);
  switch (id) {
    case cmdPolygon: hint = 3; enter = Poly; break;
    case cmdRectangle: hint = 1; enter = Rect; break;
    case cmdCircle: hint = 2; enter = Circle; break;
    case cmdMagicWand: hint = 4; enter = Magicwand; break;
    case cmdTestEdit: hint = 6; enter = Edit; break;
    default: return;
  }
  FirstHint(hint, nullptr);
  unstate();
  enter(1);
}

// --- pointer events -------------------------------------------------------

void Button1Down(int x, int y, int) {
  switch (state) {
    case polyPosition:
      beginShape(polygon, 1, x, y);
      repaint(0);
      state = polyAddpoints;
      break;
    case polyAddpoints: {
      object *o = spare();
      if (!o || o->t != polygon || o->pointsTotal < 1) break;
      int tolerance = truncToInt(7 / scale);
      if (tolerance < 1) tolerance = 1;
      const FPOINT &first = o->points[0];
      if (std::abs(truncToInt(x - first.x)) < tolerance && std::abs(truncToInt(y - first.y)) < tolerance &&
          o->pointsTotal > 2) {
        finishShape(polyUrl);
        break;
      }
      if (keyShift) angleConstrain(o, &x, &y);
      pointsEnsure(o, o->pointsTotal + 1);
      o->points[o->pointsTotal++] = FPOINT{static_cast<double>(x), static_cast<double>(y)};
      o->points[o->pointsTotal] = o->points[o->pointsTotal - 1];
      repaint(0);
      break;
    }
    case circlePosition:
      beginShape(circle, 2, x, y);
      repaint(0);
      state = circleDrag;
      break;
    case circleDrag:
      setCorner(x, y);
      finishShape(circleUrl);
      break;
    case rectPosition:
      beginShape(rectangle, 2, x, y);
      repaint(0);
      state = rectDrag;
      break;
    case rectDrag:
      setCorner(x, y);
      finishShape(rectUrl);
      break;
    case magicwandPosition:
      changed = 1;
      if (magicWandPolygon(x, y)) finishShape(magicwandUrl);
      break;
    case editing:
      editingButton1Down(x, y);
      break;
    default:
      break;
  }
}

void ImagePointerMoved(int x, int y, int drag) {
  switch (state) {
    case polyAddpoints: {
      object *o = spare();
      if (!o || o->t != polygon || o->pointsTotal < 1) break;
      if (keyShift) angleConstrain(o, &x, &y);
      pointsEnsure(o, o->pointsTotal);
      o->points[o->pointsTotal] = FPOINT{static_cast<double>(x), static_cast<double>(y)};
      repaint(0);
      break;
    }
    case circleDrag:
    case rectDrag:
      setCorner(x, y);
      repaint(0);
      break;
    case editing:
      if (drag) editingPointerMoved(x, y);
      break;
    default:
      break;
  }
}

void Button1Up(int x, int y, int dragging, int ctrl) {
  if (state == editing) editingButton1Up(x, y, dragging, ctrl);
}

void Button1DoubleClick(int, int) {
  if (state != editing) return;
  if (singleSelection() && currentObject())
    Url(lastObjectSelected, 1);
  else
    UrlDefault();
}

void Button2Down(int x, int y) {
  switch (state) {
    case polyAddpoints: {
      object *o = spare();
      if (o && o->t == polygon && o->pointsTotal >= 3) finishShape(polyUrl);
      break;
    }
    case circleDrag:
      setCorner(x, y);
      finishShape(circleUrl);
      break;
    case rectDrag:
      setCorner(x, y);
      finishShape(rectUrl);
      break;
    case editing:
      rightx = x;
      righty = y;
      break;
    default:
      break;
  }
}

int EnterKey(void) {
  if (state != polyAddpoints) return 0;
  Button2Down(0, 0);
  return 1;
}

int hotspotTabKey(int forward) {
  if (!objects || objectsTotal <= 0) return 0;
  if (state != editing) {
    const bool idle = state == nostate || state == polyPosition || state == circlePosition ||
                      state == rectPosition || state == magicwandPosition;
    if (!idle) return 0;
    toolCommand(cmdTestEdit);
    if (state != editing) return 0;
  }
  return selectNextHotspot(forward);
}

void Button3Down(void) {
  switch (state) {
    case polyAddpoints:
      discardSpare();
      state = polyPosition;
      break;
    case circleDrag:
      discardSpare();
      state = circlePosition;
      break;
    case rectDrag:
      discardSpare();
      state = rectPosition;
      break;
    case magicwandPosition:
      discardSpare();
      break;
    default:
      break;
  }
  repaint(0);
}

// --- window positions -----------------------------------------------------

int imageXFromWindow(int wx) { return truncToInt(wx / scale + hoffs / scale); }
int imageYFromWindow(int wy) { return truncToInt(wy / scale + voffs / scale); }

int releaseIsDrag(int wx, int wy) {
  return std::abs(static_cast<long long>(wx) - pressWinX) > 8 ||
         std::abs(static_cast<long long>(wy) - pressWinY) > 8;
}

namespace {

// Whether the state is drawing a shape: its points are placed where the
// pointer is, snapped when snapping is on.
bool drawingState(void) {
  switch (state) {
    case polyPosition:
    case polyAddpoints:
    case circlePosition:
    case circleDrag:
    case rectPosition:
    case rectDrag:
      return true;
    default:
      return false;
  }
}

}  // namespace

void imageLeftPress(int wx, int wy, int shift, int ctrl) {
  keyShift = shift;
  keyCtrl = ctrl;
  const int x = imageXFromWindow(wx), y = imageYFromWindow(wy);
  // A press in the Test+Edit tool picks what is under the pointer itself; a
  // drag it starts moves from the snapped point.
  int snappedX = x, snappedY = y;
  snapPoint(&snappedX, &snappedY);
  if (drawingState())
    Button1Down(snappedX, snappedY, 0);
  else
    Button1Down(x, y, 0);
  pressWinX = wx;
  pressWinY = wy;
  ovx = state == editing ? snappedX : x;
  ovy = state == editing ? snappedY : y;
}

void imagePointerMove(int wx, int wy, int leftHeld, int shift, int ctrl) {
  keyShift = shift;
  keyCtrl = ctrl;
  int x = imageXFromWindow(wx), y = imageYFromWindow(wy);
  if (drawingState() || (state == editing && leftHeld && editingPressHeld)) snapPoint(&x, &y);
  ImagePointerMoved(x, y, leftHeld);
}

void imageLeftRelease(int wx, int wy, int shift, int ctrl, int mapLoaded) {
  if (!mapLoaded) return;
  keyShift = shift;
  keyCtrl = ctrl;
  int x = imageXFromWindow(wx), y = imageYFromWindow(wy);
  if (drawingState() || (state == editing && editingPressHeld && releaseIsDrag(wx, wy))) snapPoint(&x, &y);
  if (state == circleDrag || state == rectDrag) {
    if (releaseIsDrag(wx, wy)) {
      pressWinX = wx;
      pressWinY = wy;
      Button1Down(x, y, 0);
    }
    return;
  }
  Button1Up(x, y, releaseIsDrag(wx, wy), ctrl);
}

void imageLeftDoubleClick(int wx, int wy, int shift, int ctrl) {
  if (shift || ctrl) return;
  keyShift = keyCtrl = 0;
  Button1DoubleClick(imageXFromWindow(wx), imageYFromWindow(wy));
}

void imageRightPress(int wx, int wy, int shift, int ctrl) {
  keyShift = shift;
  keyCtrl = ctrl;
  Button2Down(imageXFromWindow(wx), imageYFromWindow(wy));
}

void imageAltPress(int wx, int wy, int shift, int ctrl) {
  if (state != editing) {
    imageLeftPress(wx, wy, shift, ctrl);
    return;
  }
  keyShift = shift;
  keyCtrl = ctrl;
  const int x = imageXFromWindow(wx), y = imageYFromWindow(wy);
  UrlDismissWithUndo();
  ObjectSelectUnder(x, y);
  // The release that follows is no drag and selects nothing more.
  pressWinX = wx;
  pressWinY = wy;
  ovx = x;
  ovy = y;
  editingPressHeld = 0;
  editingDragCancelled = 1;
}

void SelectUnder(void) {
  if (state != editing) return;
  ObjectSelectUnder(rightx, righty);
}

// --- context menus and help -----------------------------------------------

int contextMenuResource(void) {
  if (state != editing || lastObjectSelected == -1 || !currentObject()) return 0;
  const int n = objectsSelected();
  if (n == 0) return 0;
  if (n > 1) return contextMenuSeveralHotspots;
  const int points = pointsSelected(&psel);
  if (points == 2) return contextMenuTwoPoints;
  if (points >= 1) return contextMenuPoints;
  return contextMenuOneHotspot;
}

int contextMenuRequest(int fromMouse) {
  if (state != editing) return 0;
  if (objectsSelected() == 0 && fromMouse) Button1Down(rightx, righty, 0);
  return contextMenuResource();
}

int contextMenuImagePoint(int *xP, int *yP) {
  if (!contextMenuResource()) return 0;
  const object *o = currentObject();
  double x = 0, y = 0;
  if (objectsSelected() == 1 && pointsSelected(&psel) > 0 && o->points) {
    const int i = psel.points[0];
    if (o->t == rectangle && o->pointsTotal >= 2) {
      const FPOINT &a = o->points[0], &b = o->points[1];
      const double cx[5] = {a.x, b.x, b.x, a.x, (a.x + b.x) / 2};
      const double cy[5] = {a.y, a.y, b.y, b.y, (a.y + b.y) / 2};
      if (i >= 0 && i < 5) {
        x = cx[i];
        y = cy[i];
      }
    } else if (i >= 0 && i < o->pointsTotal) {
      x = o->points[i].x;
      y = o->points[i].y;
    }
    *xP = truncToInt(x);
    *yP = truncToInt(y);
    return 1;
  }
  int cx = 0, cy = 0;
  selectionGetCenterAndBounds(&cx, &cy, nullptr, nullptr);
  *xP = cx;
  *yP = cy;
  return 1;
}

const char *stateHelpTopic(void) {
  switch (state) {
    case polyPosition:
    case polyAddpoints:
      return "help_polygons";
    case polyUrl:
    case circleUrl:
    case rectUrl:
    case editing:
      return "help_editing";
    case circlePosition:
    case circleDrag:
      return "help_circles";
    case rectPosition:
    case rectDrag:
      return "help_rectangles";
    case magicwandPosition:
    case magicwandUrl:
      return "help_magicwand";
    case moving:
      return "help_moving";
    case addpoints:
      return "help_addpoints";
    case removepoints:
      return "help_removepoints";
    default:
      return "help_contents";
  }
}
