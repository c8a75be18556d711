// selection.cpp: the hotspot selection and the point selection, picking by
// click, rubber band and handle, and the press, motion and release logic of
// the Test+Edit state. Owns psel, lastObjectSelected, editingState,
// editingSelectionDrag, selectionDragX, selectionDragY, ovx, ovy,
// editingPressHeld, editingPointsDragged, editingDragCancelled.
#include "editor/selection.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "editor/editops.h"
#include "editor/modes.h"
#include "editor/props.h"
#include "platform/seams.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "html/document.h"
#include "platform/strhack.h"

pointSelection psel = {nullptr, 0, 0};
int lastObjectSelected = -1;
int editingState = editingNone;
int editingSelectionDrag = 0;
int selectionDragX = 0, selectionDragY = 0;
int ovx = 0, ovy = 0;
int editingPressHeld = 0;
int editingPointsDragged = 0;
int editingDragCancelled = 0;

// --- the point-selection list ---------------------------------------------

void pointSelectionSetup(pointSelection *ps) {
  ps->points = static_cast<int *>(mymallocImpl(sizeof(int) * 16));
  if (!ps->points) dieMemory();
  ps->total = 0;
  ps->space = 16;
}

void pointSelectionFree(pointSelection *ps) {
  myfreeImpl(ps->points);
  ps->points = nullptr;
  ps->total = 0;
  ps->space = 0;
}

void pointSelectionCopy(pointSelection *dst, const pointSelection *src) {
  if (dst == src) return;
  pointSelectionFree(dst);
  if (!src->points || src->space <= 0) return;
  dst->points = static_cast<int *>(mymallocImpl(sizeof(int) * static_cast<size_t>(src->space)));
  if (!dst->points) dieMemory();
  int total = src->total < 0 ? 0 : std::min(src->total, src->space);
  if (total) std::memcpy(dst->points, src->points, sizeof(int) * static_cast<size_t>(total));
  dst->total = total;
  dst->space = src->space;
}

void pointsDeselect(pointSelection *ps) { ps->total = 0; }

void pointSelect(pointSelection *ps, int i) {
  for (int k = 0; k < ps->total; k++) {
    if (ps->points[k] == i) {
      ps->points[k] = ps->points[ps->total - 1];
      ps->points[ps->total - 1] = i;
      return;
    }
  }
  if (!ps->points) {
    pointSelectionSetup(ps);
  } else if (ps->total >= ps->space) {
    int space = ps->space > 0 ? ps->space * 2 : 16;
    int *grown = static_cast<int *>(myreallocImpl(ps->points, sizeof(int) * static_cast<size_t>(space)));
    if (!grown) dieMemory();
    ps->points = grown;
    ps->space = space;
  }
  ps->points[ps->total++] = i;
}

void pointDeselect(pointSelection *ps, int i) {
  for (int k = 0; k < ps->total; k++) {
    if (ps->points[k] == i) {
      std::memmove(&ps->points[k], &ps->points[k + 1],
                   sizeof(int) * static_cast<size_t>(ps->total - k - 1));
      ps->total--;
      return;
    }
  }
}

int pointIsSelected(const pointSelection *ps, int i) {
  for (int k = 0; k < ps->total; k++)
    if (ps->points[k] == i) return 1;
  return 0;
}

int pointsSelected(const pointSelection *ps) { return ps->total; }

void pointSelectOrToggle(pointSelection *ps, int i, int toggle) {
  if (toggle && pointIsSelected(ps, i))
    pointDeselect(ps, i);
  else
    pointSelect(ps, i);
}

// --- the hotspot selection ------------------------------------------------

object *currentObject(void) {
  if (!objects || lastObjectSelected < 0 || lastObjectSelected >= objectsTotal) return nullptr;
  return &objects[lastObjectSelected];
}

int ObjectSelect(int x1, int y1, int x2, int y2, int toggle) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const bool single = x1 == x2 && y1 == y2;
  int hit = 0, redraw = 0;

  // Each hotspot is decided at the first pixel of the box it contains, pixels
  // taken row by row and, within a pixel, hotspots in table order. Visiting the
  // hotspots in that order gives the same result as scanning every pixel.
  struct event {
    int y, x, i;
  };
  std::vector<event> order;
  for (int i = 0; objects && i < objectsTotal; i++) {
    int px, py;
    if (single) {
      if (objectContainsPoint(&objects[i], x1, y1)) order.push_back(event{y1, x1, i});
    } else if (objectFirstPixelIn(&objects[i], x1, y1, x2, y2, &px, &py)) {
      order.push_back(event{py, px, i});
    }
  }
  if (!single)
    std::sort(order.begin(), order.end(), [](const event &a, const event &b) {
      if (a.y != b.y) return a.y < b.y;
      if (a.x != b.x) return a.x < b.x;
      return a.i < b.i;
    });

  for (const event &e : order) {
    object *o = &objects[e.i];
    hit = 1;
    if (!o->selected) {
      o->selected = 1;
      lastObjectSelected = e.i;
      pointsDeselect(&psel);
      redraw = 1;
    } else if (toggle) {
      o->selected = 0;
      if (lastObjectSelected == e.i) lastObjectSelected = -1;
      pointsDeselect(&psel);
      redraw = 1;
    }
    if (o->selected && single) break;
  }

  if (hit) {
    if (lastObjectSelected == -1)
      for (int i = objectsTotal - 1; i >= 0; i--)
        if (objects[i].selected) {
          lastObjectSelected = i;
          break;
        }
    sensitivity(1);
  }
  if (redraw) repaint(0);
  return hit;
}

int ObjectUnselect(void) {
  if (lastObjectSelected == -1) return 0;
  for (int i = 0; objects && i < objectsTotal; i++) objects[i].selected = 0;
  repaint(0);
  lastObjectSelected = -1;
  pointsDeselect(&psel);
  sensitivity(1);
  return 1;
}

int ObjectSelectUnder(int x, int y) {
  std::vector<int> under;
  for (int i = 0; objects && i < objectsTotal; i++)
    if (objectContainsPoint(&objects[i], x, y)) under.push_back(i);
  if (under.empty()) return 0;
  size_t next = 0;
  for (size_t k = 0; k < under.size(); k++)
    if (under[k] == lastObjectSelected && objects[lastObjectSelected].selected) next = (k + 1) % under.size();
  for (int i = 0; i < objectsTotal; i++) objects[i].selected = 0;
  objects[under[next]].selected = 1;
  lastObjectSelected = under[next];
  pointsDeselect(&psel);
  sensitivity(1);
  repaint(0);
  return 1;
}

void SelectAll(void) {
  for (int i = 0; objects && i < objectsTotal; i++) objects[i].selected = 1;
  lastObjectSelected = objectsTotal - 1;
  if (lastObjectSelected < -1) lastObjectSelected = -1;
  if (lastObjectSelected == -1) pointsDeselect(&psel);
  sensitivity(1);
  repaint(0);
}

int objectsSelected(void) {
  int n = 0;
  for (int i = 0; objects && i < objectsTotal; i++)
    if (objects[i].selected) n++;
  return n;
}

int singleSelection(void) { return objectsSelected() == 1; }

int selectionWithHandles(void) {
  if (lastObjectSelected == -1) return 0;
  if (objectsSelected() != 1) return 1;
  object *o = currentObject();
  return o && o->t == polygon;
}

static bool withinPixels(int distance, double pixels) { return distance * scale <= pixels; }

int ObjectSelectPoint(object *o, int x, int y, int multiple, int toggle) {
  if (!o || !o->points) return 0;
  switch (o->t) {
    case rectangle: {
      if (o->pointsTotal < 2) return 0;
      const FPOINT &a = o->points[0], &b = o->points[1];
      FPOINT c[5] = {{a.x, a.y}, {b.x, a.y}, {b.x, b.y}, {a.x, b.y}, {(a.x + b.x) / 2, (a.y + b.y) / 2}};
      int d = 0;
      int k = distanceToClosest(c, 5, x, y, &d);
      if (!withinPixels(d, 7)) return 0;
      if ((!multiple && !pointIsSelected(&psel, k)) || k == 4) pointsDeselect(&psel);
      pointSelectOrToggle(&psel, k, toggle);
      repaint(0);
      return 1;
    }
    case circle: {
      if (o->pointsTotal < 2) return 0;
      int radius = objectRadius(o);
      int d1 = 0;
      distanceToClosest(&o->points[0], 1, x, y, &d1);
      long long d2 = static_cast<long long>(d1) - radius;
      if (d2 < 0) d2 = -d2;
      if (d1 < d2) {
        if (!withinPixels(d1, 7)) return 0;
        pointsDeselect(&psel);
        pointSelect(&psel, 0);
      } else {
        if (d2 * scale > 7) return 0;
        pointsDeselect(&psel);
        pointSelectOrToggle(&psel, 1, toggle);
      }
      repaint(0);
      return 1;
    }
    case polygon: {
      if (o->pointsTotal < 1) return 0;
      int d = 0;
      int k = distanceToClosest(o->points, o->pointsTotal, x, y, &d);
      if (withinPixels(d, 7)) {
        if (!multiple && !pointIsSelected(&psel, k)) pointsDeselect(&psel);
        pointSelectOrToggle(&psel, k, toggle);
        repaint(0);
        return 1;
      }
      bounds b = objectGetBounds(o);
      int mx = static_cast<int>((static_cast<long long>(b.x1) + b.x2) / 2);
      int my = static_cast<int>((static_cast<long long>(b.y1) + b.y2) / 2);
      int dMove = distanceToPoint(x, y, mx, my);
      int dResize = distanceToPoint(x, y, b.x2, b.y2);
      if (dMove <= dResize) {
        if (!withinPixels(dMove, 10)) return 0;
        pointsDeselect(&psel);
        SelectionResizeUndoSave();
        editingState = editingMoving;
      } else {
        if (!withinPixels(dResize, 10)) return 0;
        pointsDeselect(&psel);
        editResizeBegin();
      }
      repaint(0);
      return 1;
    }
    default:
      return 0;
  }
}

bounds selectionGetCenterAndBounds(int *cxP, int *cyP, int *wP, int *hP) {
  bounds sb = {0, 0, 0, 0};
  bool any = false;
  for (int i = 0; objects && i < objectsTotal; i++) {
    const object *o = &objects[i];
    if (!o->selected || !o->points || o->t == notype) continue;
    if (o->t == polygon ? o->pointsTotal < 1 : o->pointsTotal < 2) continue;
    bounds b = objectGetBounds(o);
    int ax = truncToInt(b.x1 * rfactorx + mfactorx), bx = truncToInt(b.x2 * rfactorx + mfactorx);
    int ay = truncToInt(b.y1 * rfactory + mfactory), by = truncToInt(b.y2 * rfactory + mfactory);
    // A negative factor (a resize dragged past the centre) flips the box.
    if (ax > bx) std::swap(ax, bx);
    if (ay > by) std::swap(ay, by);
    if (!any || ax < sb.x1) sb.x1 = ax;
    if (!any || ay < sb.y1) sb.y1 = ay;
    if (!any || bx > sb.x2) sb.x2 = bx;
    if (!any || by > sb.y2) sb.y2 = by;
    any = true;
  }
  if (cxP) *cxP = static_cast<int>((static_cast<long long>(sb.x1) + sb.x2) / 2);
  if (cyP) *cyP = static_cast<int>((static_cast<long long>(sb.y1) + sb.y2) / 2);
  if (wP) *wP = truncToInt(static_cast<double>(sb.x2) - sb.x1);
  if (hP) *hP = truncToInt(static_cast<double>(sb.y2) - sb.y1);
  return sb;
}

void selectionDescribe(char *out, int size) {
  if (!out || size <= 0) return;
  out[0] = 0;
  if (objectsSelected() == 0) return;
  const object *o = currentObject();
  if (objectsSelected() == 1 && o && o->points && pointsSelected(&psel) == 1) {
    const int i = psel.points[0];
    double x = 0, y = 0;
    bool known = false;
    if (o->t == rectangle && o->pointsTotal >= 2 && i >= 0 && i < 5) {
      const FPOINT &a = o->points[0], &b = o->points[1];
      const double cx[5] = {a.x, b.x, b.x, a.x, (a.x + b.x) / 2};
      const double cy[5] = {a.y, a.y, b.y, b.y, (a.y + b.y) / 2};
      x = cx[i];
      y = cy[i];
      known = true;
    } else if (o->t != rectangle && i >= 0 && i < o->pointsTotal) {
      x = o->points[i].x;
      y = o->points[i].y;
      known = true;
    }
    if (known) {
      sprintfMax(out, size, "%d, %d", truncToInt(x * rfactorx + mfactorx), truncToInt(y * rfactory + mfactory));
      return;
    }
  }
  int w = 0, h = 0;
  const bounds b = selectionGetCenterAndBounds(nullptr, nullptr, &w, &h);
  sprintfMax(out, size, "%d, %d, %d \xC3\x97 %d", b.x1, b.y1, w, h);
}

// --- the Test+Edit state --------------------------------------------------

void editingButton1Down(int x, int y) {
  const int shift = keyShift, ctrl = keyCtrl;
  // A press and release that move nothing leave no undo step behind.
  undoTentativeBegin();
  editingPressHeld = 1;
  editingPointsDragged = 0;
  editingDragCancelled = 0;
  UrlDismissWithUndo();
  if (singleSelection() && currentObject()) {
    editingState = editingNone;
    if (ObjectSelectPoint(currentObject(), x, y, shift || ctrl, ctrl)) {
      sensitivity(1);
      // A handle press has already saved the selection as one step (and a resize
      // has made the points relative to the centre, so they must not be saved
      // again); a point press saves the hotspot for the drag that follows.
      if (editingState == editingNone) undoSave(undoChanged, lastObjectSelected);
      return;
    }
  }
  if (!shift && !ctrl) {
    if (objectsSelected() >= 1) {
      int cx = 0, cy = 0;
      bounds b = selectionGetCenterAndBounds(&cx, &cy, nullptr, nullptr);
      if (withinPixels(distanceToPoint(x, y, cx, cy), 10)) {
        SelectionResizeUndoSave();
        editingState = editingMoving;
        return;
      }
      if (withinPixels(distanceToPoint(x, y, b.x2, b.y2), 10)) {
        editResizeBegin();
        return;
      }
    }
    ObjectUnselect();
  }
  ObjectSelect(x, y, x, y, ctrl);
}

void editingPointerMoved(int x, int y) {
  if (editingDragCancelled) return;
  object *o = currentObject();
  if (singleSelection() && o && pointsSelected(&psel) > 0) {
    editingSelectionDrag = 0;
    editingPointsDragged = 1;
    if (keyShift) angleConstrainEx(o, &x, &y, psel.points[psel.total - 1]);
    ObjectMoveSelectedPoints(o, x, y);
    changed = 1;
  } else if (editingState == editingMoving) {
    SelectionMoveTo(x, y);
  } else if (editingState == editingResizing) {
    SelectionResizeTo(x, y);
  } else {
    editingSelectionDrag = 1;
    selectionDragX = x;
    selectionDragY = y;
    repaint(0);
  }
}

void editingButton1Up(int x, int y, int dragging, int ctrl) {
  editingPressHeld = 0;
  if (editingDragCancelled) {
    editingDragCancelled = 0;
    editingState = editingNone;
    undoTentativeEnd();
    return;
  }
  if (editingState == editingResizing) {
    SelectionResizeTo(x, y);
    SelectionResizeOfficial();
  } else if (editingState == editingMoving) {
    SelectionMoveTo(x, y);
    SelectionResizeOfficial();
  } else {
    int redraw = 0;
    // A point drag leaves the hotspot selection as it was.
    if (dragging && !editingPointsDragged) {
      ObjectSelect(ovx, ovy, x, y, ctrl);
      redraw = 1;
    }
    if (editingSelectionDrag) {
      editingSelectionDrag = 0;
      redraw = 1;
    }
    if (redraw) repaint(0);
  }
  editingState = editingNone;
  undoTentativeEnd();
}

void editingCancelDrag(void) {
  if (editingState == editingResizing) {
    rfactorx = rfactory = 1.0;
    SelectionResizeOfficial();
  }
  rfactorx = rfactory = 1.0;
  mfactorx = mfactory = 0;
  editingState = editingNone;
  if (editingSelectionDrag) {
    editingSelectionDrag = 0;
    repaint(0);
  }
  if (editingPressHeld) editingDragCancelled = 1;
}

int selectNextHotspot(int forward) {
  if (state != editing || editingPressHeld || !objects || objectsTotal <= 0) return 0;
  int from = lastObjectSelected;
  if (from < 0 || from >= objectsTotal || !objects[from].selected) from = forward ? -1 : objectsTotal;
  const int next = ((forward ? from + 1 : from - 1) + objectsTotal) % objectsTotal;
  for (int i = 0; i < objectsTotal; i++) objects[i].selected = 0;
  objects[next].selected = 1;
  lastObjectSelected = next;
  pointsDeselect(&psel);
  const bounds b = objectGetBounds(&objects[next]);
  viewShowBox(b.x1, b.y1, b.x2, b.y2);
  repaint(0);
  sensitivity(1);
  return 1;
}

std::string selectionAnnouncement(void) {
  const int n = objectsSelected();
  if (n == 0) return "No hotspot selected";
  if (n > 1) return std::to_string(n) + " hotspots selected";
  const object *o = currentObject();
  if (!o || !o->selected) {
    for (int i = 0; i < objectsTotal; i++)
      if (objects[i].selected) o = &objects[i];
  }
  if (!o) return "No hotspot selected";
  static const char *const shapes[] = {"Hotspot", "Polygon", "Circle", "Rectangle"};
  std::string text = shapes[o->t >= polygon && o->t <= rectangle ? o->t : 0];
  text += " " + std::to_string(static_cast<int>(o - objects) + 1) + " of " + std::to_string(objectsTotal);
  text += ", link ";
  text += o->url && *o->url ? o->url : "none";
  if (o->comments && *o->comments) {
    text += ", alternative text ";
    text += o->comments;
  }
  return text;
}
