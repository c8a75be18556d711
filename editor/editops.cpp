// editops.cpp: point dragging, the angle constraint, moving and resizing the
// selection, adding and removing points, aligning and expanding. Owns
// resizeOriginalFactorX, resizeOriginalFactorY, resizeOriginalSet.
#include "editor/editops.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "editor/commandids.h"
#include "editor/modes.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "html/document.h"
#include "platform/strhack.h"
#include "platform/platform.h"

double resizeOriginalFactorX = 1.0, resizeOriginalFactorY = 1.0;
int resizeOriginalSet = 0;

static const char notConsecutiveText[] =
    "The two points you have selected are not consecutive. Select two consecutive points in the "
    "polygon (points that share an edge). The new point will appear between them.";
static const char tooFewPointsText[] =
    "A polygon must have at least three points.If you wish to delete the entire hotspot, use "
    "\"Cut\" instead.";

void ObjectMoveSelectedPoints(object *o, int x, int y) {
  if (!o || !o->points) return;
  for (int k = 0; k < psel.total; k++) {
    const int i = psel.points[k];
    if (o->t == polygon) {
      if (i < 0 || i >= o->pointsTotal) {
        DEBUGM("out of range value for pointSelected");
        continue;
      }
      o->points[i].x += x - ovx;
      o->points[i].y += y - ovy;
    } else if (o->t == circle) {
      if (o->pointsTotal < 2) break;
      FPOINT &c = o->points[0];
      FPOINT &rim = o->points[1];
      if (i == 0) {
        double dx = truncToInt(x - c.x), dy = truncToInt(y - c.y);
        c.x += dx;
        c.y += dy;
        rim.x += dx;
        rim.y += dy;
      } else if (i == 1) {
        double ex = x - c.x, ey = y - c.y;
        int radius = truncToInt(std::sqrt(ex * ex + ey * ey));
        rim.x = c.x + radius;
        rim.y = c.y;
      }
    } else if (o->t == rectangle) {
      if (o->pointsTotal < 2) break;
      FPOINT &a = o->points[0];
      FPOINT &b = o->points[1];
      switch (i) {
        case 0:
          a.x = x;
          a.y = y;
          break;
        case 1:
          b.x = x;
          a.y = y;
          break;
        case 2:
          b.x = x;
          b.y = y;
          break;
        case 3:
          a.x = x;
          b.y = y;
          break;
        case 4: {
          double dx = x - truncToInt((a.x + b.x) / 2);
          double dy = y - truncToInt((a.y + b.y) / 2);
          a.x += dx;
          a.y += dy;
          b.x += dx;
          b.y += dy;
          break;
        }
        default:
          break;
      }
      break;  // a rectangle follows only its first selected point
    }
  }
  ovx = x;
  ovy = y;
  repaint(0);
}

void angleConstrainEx(const object *o, int *xP, int *yP, int p) {
  if (!o || !o->points || o->pointsTotal <= 0) return;
  if (o->t == rectangle && p == 4) return;
  int r = p - 1;
  if (r < 0 || r >= o->pointsTotal) r = o->pointsTotal - 1;
  const int px = truncToInt(o->points[r].x), py = truncToInt(o->points[r].y);
  const double dx = static_cast<double>(*xP) - px, dy = static_cast<double>(*yP) - py;
  if (dy == 0) return;
  const double ratio = std::fabs(dx / dy);
  double a = -1;
  for (int step = 0; step < 4; step++) {
    double t = step * 22.5 + 11.25;
    if (ratio >= cosd(t) / sind(t)) {
      a = step * 22.5;
      break;
    }
  }
  if (a < 0) {
    *xP = px;
    return;
  }
  const double c = cosd(a) / sind(a);
  if (std::fabs(dx) > std::fabs(dy))
    *yP = truncToInt(py + fsign(dy) * std::fabs(dx) / c);
  else
    *xP = truncToInt(px + fsign(dx) * std::fabs(dy) * c);
}

void angleConstrain(const object *o, int *xP, int *yP) {
  if (o) angleConstrainEx(o, xP, yP, o->pointsTotal);
}

// --- moving and resizing the selection ------------------------------------

void SelectionResizeUndoSave(void) {
  for (int i = 0; objects && i < objectsTotal; i++)
    if (objects[i].selected) undoSaveEx(undoChanged, i, 0);
  undoSaveMarkLast();
}

void editResizeBegin(void) {
  int cx = 0, cy = 0;
  selectionGetCenterAndBounds(&cx, &cy, nullptr, nullptr);
  SelectionResizeUndoSave();
  editingState = editingResizing;
  mfactorx = cx;
  mfactory = cy;
  for (int i = 0; objects && i < objectsTotal; i++) {
    object *o = &objects[i];
    if (!o->selected || !o->points) continue;
    for (int k = 0; k < o->pointsTotal; k++) {
      o->points[k].x -= cx;
      o->points[k].y -= cy;
    }
  }
  resizeOriginalSet = 0;
}

void SelectionResizeTo(int x, int y) {
  double width = 0, height = 0;
  for (int i = 0; objects && i < objectsTotal; i++) {
    const object *o = &objects[i];
    if (!o->selected || !o->points) continue;
    for (int k = 0; k < o->pointsTotal; k++) {
      if (o->points[k].x > width) width = o->points[k].x;
      if (o->points[k].y > height) height = o->points[k].y;
    }
  }
  rfactorx = (x == mfactorx || width == 0) ? 1.0 : (static_cast<double>(x) - mfactorx) / width;
  rfactory = (y == mfactory || height == 0) ? 1.0 : (static_cast<double>(y) - mfactory) / height;
  if (!std::isfinite(rfactorx)) rfactorx = 1.0;
  if (!std::isfinite(rfactory)) rfactory = 1.0;
  if (!resizeOriginalSet) {
    resizeOriginalFactorX = rfactorx;
    resizeOriginalFactorY = rfactory;
    resizeOriginalSet = 1;
  }
  if (keyShift) {
    double r1 = rfactorx / rfactory;
    double r2 = resizeOriginalFactorX / resizeOriginalFactorY;
    if (std::isfinite(r1) && std::isfinite(r2) && r1 != 0 && r2 != 0) {
      if (r1 > r2)
        rfactory = r1 / r2 * rfactory;
      else
        rfactorx = r2 / r1 * rfactorx;
    }
  }
  repaint(2);
}

void SelectionMoveTo(int x, int y) {
  int cx = 0, cy = 0;
  selectionGetCenterAndBounds(&cx, &cy, nullptr, nullptr);
  mfactorx += x - cx;
  mfactory += y - cy;
  repaint(2);
}

void SelectionResizeOfficial(void) {
  for (int i = 0; objects && i < objectsTotal; i++) {
    object *o = &objects[i];
    if (!o->selected || !o->points) continue;
    for (int k = 0; k < o->pointsTotal; k++) {
      o->points[k].x = o->points[k].x * rfactorx + mfactorx;
      o->points[k].y = o->points[k].y * rfactory + mfactory;
    }
  }
  rfactorx = rfactory = 1.0;
  mfactorx = mfactory = 0;
  repaint(0);
}

// --- adding and removing points -------------------------------------------

static void warn(const char *text) {
  platformMessageBox(nullptr, text, "Tilvane", MB_OK | MB_ICONWARNING);
}

// The point indices that o has: a polygon's vertices, a circle's centre and
// rim, a rectangle's four corners (its centre, 4, is a handle, not a point).
// A record without its points (a rectangle read with fewer than two) has none.
static int pointIndices(const object *o) {
  if (!o || !o->points) return 0;
  switch (o->t) {
    case polygon: return o->pointsTotal;
    case circle: return o->pointsTotal >= 2 ? 2 : 0;
    case rectangle: return o->pointsTotal >= 2 ? 4 : 0;
    default: return 0;
  }
}

void Addpoints(int) {
  object *o = currentObject();
  if (!singleSelection() || !o || !o->selected || pointsSelected(&psel) != 2) return;
  const int i1 = psel.points[0], i2 = psel.points[1];
  const int d = std::abs(i2 - i1);
  const int count = pointIndices(o);
  // A rectangle's centre shares an edge with no corner.
  const bool centre = o->t == rectangle && count == 4 && (i1 == 4 || i2 == 4);
  // Only points the hotspot has are joined; a selection left from another
  // shape of it names nothing here.
  if (!centre && (i1 < 0 || i2 < 0 || i1 >= count || i2 >= count || d == 0)) return;
  if ((d > 1 && d + 1 != count) || centre) {
    warn(notConsecutiveText);
    return;
  }
  if (o->t != polygon && o->t != rectangle) return;
  undoSave(undoChanged, lastObjectSelected);
  o = currentObject();
  promoteToPolygon(o);
  pointsEnsure(o, o->pointsTotal + 1);
  FPOINT np = {static_cast<double>(truncToInt((o->points[i1].x + o->points[i2].x) / 2)),
               static_cast<double>(truncToInt((o->points[i1].y + o->points[i2].y) / 2))};
  const int at = d == 1 ? (i1 < i2 ? i1 : i2) + 1 : o->pointsTotal;
  std::memmove(&o->points[at + 1], &o->points[at],
               sizeof(FPOINT) * static_cast<size_t>(o->pointsTotal - at));
  o->points[at] = np;
  o->pointsTotal++;
  pointsDeselect(&psel);
  pointSelect(&psel, at);
  repaint(0);
  sensitivity(1);
}

void Removepoints(int) {
  object *o = currentObject();
  if (!singleSelection() || !o || !o->selected || pointsSelected(&psel) < 1) return;
  if (o->t != polygon && o->t != rectangle) return;
  const int count = pointIndices(o);
  int valid = 0;
  for (int k = 0; k < psel.total; k++)
    if (psel.points[k] >= 0 && psel.points[k] < count) valid++;
  if ((o->t == rectangle && psel.total > 1) || (o->t == polygon && o->pointsTotal - valid < 3)) {
    warn(tooFewPointsText);
    return;
  }
  // Only corners and vertices can go; a rectangle's centre is not a point of it.
  if (valid == 0) return;
  undoSave(undoChanged, lastObjectSelected);
  o = currentObject();
  promoteToPolygon(o);
  int kept = 0;
  for (int i = 0; i < o->pointsTotal; i++)
    if (!pointIsSelected(&psel, i)) o->points[kept++] = o->points[i];
  o->pointsTotal = kept;
  pointsDeselect(&psel);
  repaint(0);
  sensitivity(1);
}

// --- aligning and expanding -----------------------------------------------

void objectNudge(object *o, double dx, double dy) {
  if (!o || !o->points) return;
  for (int k = 0; k < o->pointsTotal; k++) {
    o->points[k].x += dx;
    o->points[k].y += dy;
  }
}

// Stretches the x (axis 0) or y (axis 1) values of o about the fixed edge
// `keep` so that the edge `from` moves to `to`. A hotspot with no extent on the
// axis stays as it is.
static void stretchAxis(object *o, int axis, double keep, double from, double to) {
  if (from == keep) return;
  const double r = (to - keep) / (from - keep);
  for (int k = 0; k < o->pointsTotal; k++) {
    double &v = axis == 0 ? o->points[k].x : o->points[k].y;
    v = keep + (v - keep) * r;
  }
}

static bool expandable(const object *o) {
  if (!o || !o->points) return false;
  if (o->t == circle) return o->pointsTotal >= 2;
  return (o->t == polygon || o->t == rectangle) && o->pointsTotal >= 1;
}

// A circle keeps its centre; its rim goes to the axis point at the same
// distance as the given edge (a circle of radius 0 stays as it is).
static void circleRim(object *o, double x, double y) {
  if (objectRadius(o) == 0) return;
  o->points[1].x = x;
  o->points[1].y = y;
}

void objectExpandLeft(object *o, bounds b) {
  if (!expandable(o)) return;
  if (o->t == circle) return circleRim(o, 2 * o->points[0].x - b.x1, o->points[0].y);
  bounds ob = objectGetBounds(o);
  stretchAxis(o, 0, ob.x2, ob.x1, b.x1);
}

void objectExpandRight(object *o, bounds b) {
  if (!expandable(o)) return;
  if (o->t == circle) return circleRim(o, b.x2, o->points[0].y);
  bounds ob = objectGetBounds(o);
  stretchAxis(o, 0, ob.x1, ob.x2, b.x2);
}

void objectExpandTop(object *o, bounds b) {
  if (!expandable(o)) return;
  if (o->t == circle) return circleRim(o, o->points[0].x, 2 * o->points[0].y - b.y1);
  bounds ob = objectGetBounds(o);
  stretchAxis(o, 1, ob.y2, ob.y1, b.y1);
}

void objectExpandBottom(object *o, bounds b) {
  if (!expandable(o)) return;
  if (o->t == circle) return circleRim(o, o->points[0].x, b.y2);
  bounds ob = objectGetBounds(o);
  stretchAxis(o, 1, ob.y1, ob.y2, b.y2);
}

void Align(int action) {
  if (objectsSelected() < 2) return;
  const bounds sb = selectionGetCenterAndBounds(nullptr, nullptr, nullptr, nullptr);
  for (int i = 0; i < objectsTotal; i++) {
    object *o = &objects[i];
    if (!o->selected) continue;
    undoSaveEx(undoChanged, i, 0);
    o = &objects[i];
    if (!expandable(o)) continue;
    const bounds ob = objectGetBounds(o);
    switch (action) {
      case cmdAlignTop: objectNudge(o, 0, static_cast<double>(sb.y1) - ob.y1); break;
      case cmdAlignBottom: objectNudge(o, 0, static_cast<double>(sb.y2) - ob.y2); break;
      case cmdAlignLeft: objectNudge(o, static_cast<double>(sb.x1) - ob.x1, 0); break;
      case cmdAlignRight: objectNudge(o, static_cast<double>(sb.x2) - ob.x2, 0); break;
      case cmdExpandTop: objectExpandTop(o, sb); break;
      case cmdExpandBottom: objectExpandBottom(o, sb); break;
      case cmdExpandLeft: objectExpandLeft(o, sb); break;
      case cmdExpandRight: objectExpandRight(o, sb); break;
      default: break;
    }
  }
  undoSaveMarkLast();
  repaint(0);
}

namespace {

// Moves point i of o (as the point selection numbers it) by (dx, dy).
void nudgePoint(object *o, int i, int dx, int dy) {
  if (o->t == polygon) {
    if (i < 0 || i >= o->pointsTotal) return;
    o->points[i].x += dx;
    o->points[i].y += dy;
  } else if (o->t == circle && o->pointsTotal >= 2) {
    FPOINT &c = o->points[0];
    FPOINT &rim = o->points[1];
    if (i == 0) {
      c.x += dx;
      c.y += dy;
      rim.x += dx;
      rim.y += dy;
    } else if (i == 1) {
      // The rim point moves as a drag would take it: the radius becomes its
      // distance from the centre.
      const double ex = rim.x + dx - c.x, ey = rim.y + dy - c.y;
      rim.x = c.x + truncToInt(std::sqrt(ex * ex + ey * ey));
      rim.y = c.y;
    }
  } else if (o->t == rectangle && o->pointsTotal >= 2) {
    FPOINT &a = o->points[0];
    FPOINT &b = o->points[1];
    switch (i) {
      case 0: a.x += dx; a.y += dy; break;
      case 1: b.x += dx; a.y += dy; break;
      case 2: b.x += dx; b.y += dy; break;
      case 3: a.x += dx; b.y += dy; break;
      case 4: a.x += dx; a.y += dy; b.x += dx; b.y += dy; break;
      default: break;
    }
  }
}

// The selection a run of nudges belongs to: the selected hotspots, then -1,
// then the selected points of the current hotspot.
std::vector<int> nudgeSelectionKey(void) {
  std::vector<int> key;
  for (int i = 0; i < objectsTotal; i++)
    if (objects[i].selected) key.push_back(i);
  key.push_back(-1);
  key.push_back(lastObjectSelected);
  for (int k = 0; k < psel.total; k++) key.push_back(psel.points[k]);
  return key;
}

undoStruct *nudgeRunUndo = nullptr;  // the undo step of the present run of nudges
std::vector<int> nudgeRunKey;        // and the selection it moves

}  // namespace

int nudgeSelection(int dx, int dy) {
  if (state != editing || editingPressHeld || !objects || objectsSelected() == 0) return 0;
  if (dx == 0 && dy == 0) return 1;
  object *current = currentObject();
  const bool points = objectsSelected() == 1 && current && current->selected && pointsSelected(&psel) > 0;
  std::vector<int> key = nudgeSelectionKey();
  // Nudges of the same selection, one after the other with nothing recorded
  // between them, make one undo step.
  if (!(nudgeRunUndo && nudgeRunUndo == undoLast && !redoLast && key == nudgeRunKey)) {
    for (int i = 0; i < objectsTotal; i++)
      if (objects[i].selected) undoSaveEx(undoChanged, i, 0);
    undoSaveMarkLast();
    current = currentObject();
  }
  if (points) {
    const int first = psel.points[0];
    if (current->t == rectangle) {
      nudgePoint(current, first, dx, dy);  // a rectangle follows its first selected point
    } else {
      for (int k = 0; k < psel.total; k++) nudgePoint(current, psel.points[k], dx, dy);
    }
  } else {
    for (int i = 0; i < objectsTotal; i++)
      if (objects[i].selected) objectNudge(&objects[i], dx, dy);
  }
  changed = 1;
  nudgeRunUndo = undoLast;
  nudgeRunKey = key;
  repaint(0);
  sensitivity(1);
  return 1;
}
// --- the order of the map ------------------------------------------------------

int objectsReorder(const std::vector<int> &order) {
  if (!objects || static_cast<int>(order.size()) != objectsTotal) return 0;
  std::vector<char> seen(order.size(), 0);
  bool same = true;
  for (size_t k = 0; k < order.size(); k++) {
    const int i = order[k];
    if (i < 0 || i >= objectsTotal || seen[i]) return 0;
    seen[i] = 1;
    if (i != static_cast<int>(k)) same = false;
  }
  if (same) return 0;
  undoStruct *before = undoMapTake(undoArranged);
  // The records own their buffers: moving them whole moves the hotspots.
  std::vector<object> moved(order.size());
  for (size_t k = 0; k < order.size(); k++) moved[k] = objects[order[k]];
  int current = -1;
  for (size_t k = 0; k < order.size(); k++) {
    objects[k] = moved[k];
    if (order[k] == lastObjectSelected && current == -1) current = static_cast<int>(k);
  }
  if (lastObjectSelected >= 0 && lastObjectSelected < objectsTotal) lastObjectSelected = current;
  undoMapKeep(before);
  sensitivity(1);
  repaint(0);
  return 1;
}

std::vector<int> arrangeOrderBefore(int before) {
  std::vector<int> order;
  if (!objects) return order;
  if (before < 0) before = 0;
  if (before > objectsTotal) before = objectsTotal;
  order.reserve(static_cast<size_t>(objectsTotal));
  for (int i = 0; i < before; i++)
    if (!objects[i].selected) order.push_back(i);
  for (int i = 0; i < objectsTotal; i++)
    if (objects[i].selected) order.push_back(i);
  for (int i = before; i < objectsTotal; i++)
    if (!objects[i].selected) order.push_back(i);
  return order;
}

int arrangeMoveSelectionBefore(int before) {
  if (!objects || objectsSelected() == 0) return 0;
  return objectsReorder(arrangeOrderBefore(before));
}

int Arrange(int id) {
  if (!objects || objectsSelected() == 0) return 0;
  std::vector<int> order;
  switch (id) {
    case cmdBringToFront:
      order = arrangeOrderBefore(0);
      break;
    case cmdSendToBack:
      order = arrangeOrderBefore(objectsTotal);
      break;
    case cmdBringForward:
    case cmdSendBackward: {
      order.resize(static_cast<size_t>(objectsTotal));
      for (int i = 0; i < objectsTotal; i++) order[i] = i;
      // Each selected hotspot trades places with the unselected one next to it;
      // a run of selected hotspots moves as one, keeping its order.
      if (id == cmdBringForward) {
        for (int k = 1; k < objectsTotal; k++)
          if (objects[order[k]].selected && !objects[order[k - 1]].selected) std::swap(order[k], order[k - 1]);
      } else {
        for (int k = objectsTotal - 2; k >= 0; k--)
          if (objects[order[k]].selected && !objects[order[k + 1]].selected) std::swap(order[k], order[k + 1]);
      }
      break;
    }
    default:
      return 0;
  }
  return objectsReorder(order);
}
