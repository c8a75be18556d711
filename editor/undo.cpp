// undo.cpp: the undo and redo lists of hotspot snapshots and their grouping.
// Owns undoLast, redoLast, groupStart.
#include "editor/undo.h"

#include <cstring>
#include <utility>

#include "editor/modes.h"
#include "platform/seams.h"
#include "editor/view.h"
#include "html/document.h"
#include "platform/strhack.h"

undoStruct *undoLast = nullptr;
undoStruct *redoLast = nullptr;
undoStruct *groupStart = nullptr;

namespace {

undoStruct *undoNew(void) {
  undoStruct *r = static_cast<undoStruct *>(mycallocImpl(1, sizeof(undoStruct)));
  if (!r) dieMemory();
  r->offset = -1;
  return r;
}

// Releases one record and what it owns (not the record its undo link keeps).
void undoFree(undoStruct *r) {
  objectDataFree(&r->o);
  pointSelectionFree(&r->psel);
  myfreeImpl(r->defaultUrl);
  for (int i = 0; i < r->mapTotal; i++) objectDataFree(&r->map[i]);
  myfreeImpl(r->map);
  myfreeImpl(r->trailingComments);
  myfreeImpl(r);
}

void freeRedoList(undoStruct *&list) {
  while (list) {
    undoStruct *r = list;
    list = r->p;
    if (r->undo) undoFree(r->undo);
    undoFree(r);
  }
}

bool isMapType(int t) {
  return t == undoPasted || t == undoImported || t == undoUnPasted || t == undoUnImported || t == undoArranged ||
         t == undoUnArranged;
}

// Makes `r` hold a deep copy of hotspot `offset` (an empty record when the
// index names no allocated record).
void snapshot(undoStruct *r, int offset) {
  objectDataFree(&r->o);
  r->offset = offset;
  if (objects && offset >= 0 && offset < objectsSpace) {
    objectDataCopy(&r->o, &objects[offset]);
  } else {
    std::memset(&r->o, 0, sizeof r->o);
    r->o.t = notype;
    r->o.lastState = nostate;
  }
}

// Puts a deep copy of `src` into hotspot `offset`, growing the table when the
// index lies beyond it.
void putBack(int offset, const object *src) {
  if (offset < 0) return;
  if (!objects || offset >= objectsSpace) objectsEnsure(offset);
  objectDataReplace(&objects[offset], src);
}

void copyDefaultUrl(char **dst, const char *src) {
  myfreeImpl(*dst);
  *dst = src ? mystrdupImpl("undo", src) : nullptr;
}

// Makes `r` hold the whole map: deep copies of the counted hotspots, the
// default link and the trailing comments.
void snapshotMap(undoStruct *r) {
  const int total = objects ? objectsTotal : 0;
  r->map = static_cast<object *>(mycallocImpl(static_cast<size_t>(total > 0 ? total : 1), sizeof(object)));
  if (!r->map) dieMemory();
  for (int i = 0; i < total; i++) objectDataCopy(&r->map[i], &objects[i]);
  r->mapTotal = total;
  copyDefaultUrl(&r->defaultUrl, defaultUrl);
  copyDefaultUrl(&r->trailingComments, trailingComments);
}

// Puts the map held by `r` back. The spare record behind the counted hotspots
// (a shape under construction) moves along to the new end of the table; the
// records past the restored hotspots are emptied, each keeping a point buffer.
void putMap(const undoStruct *r) {
  if (!objects) objectsSetup();
  const int old = objectsTotal, total = r->mapTotal;
  if (total >= objectsSpace) objectsEnsure(total);
  if (old != total) std::swap(objects[old], objects[total]);
  for (int i = 0; i < total; i++) objectDataReplace(&objects[i], &r->map[i]);
  for (int i = total + 1; i <= old; i++) {
    object *o = &objects[i];
    objectDataFree(o);
    pointsEnsure(o, 0);
    o->t = notype;
    o->complete = 0;
    o->selected = 0;
  }
  objectsTotal = total;
  copyDefaultUrl(&defaultUrl, r->defaultUrl);
  copyDefaultUrl(&trailingComments, r->trailingComments);
}

// The editing context every record carries.
void noteContext(undoStruct *r) {
  r->state = state;
  r->lastObjectSelected = lastObjectSelected;
  pointSelectionCopy(&r->psel, &psel);
}

void restoreContext(const undoStruct *r) {
  lastObjectSelected = r->lastObjectSelected;
  if (lastObjectSelected < -1 || lastObjectSelected >= objectsTotal) lastObjectSelected = -1;
  pointSelectionCopy(&psel, &r->psel);
  if (!psel.points) pointSelectionSetup(&psel);
  // Points belong to the current hotspot; without one none are selected.
  if (lastObjectSelected == -1) pointsDeselect(&psel);
  undoRestoreGui(r);
}

// Puts a filled-in record on the undo list: last = 1 makes it a step of its
// own, 0 adds it to the open group (or opens one).
void push(undoStruct *r, int last) {
  freeRedoList(redoLast);
  r->p = undoLast;
  if (!groupStart) groupStart = r;
  r->last = last ? 1 : 0;
  if (last) undoSaveMarkLast();
  undoLast = r;
  undoRestoreGui2();
  if (r->t != undoZoomed) changed = 1;
}

}  // namespace

void undoSaveEx(int t, int offset, int last) {
  undoStruct *r = undoNew();
  r->t = t;
  noteContext(r);
  if (t == undoZoomed) {
    r->scale = scale;
  } else if (t == undoDefaultUrl) {
    r->offset = offset;
    copyDefaultUrl(&r->defaultUrl, defaultUrl);
  } else if (isMapType(t)) {
    snapshotMap(r);
  } else {
    snapshot(r, offset);
  }
  push(r, last);
}

undoStruct *undoMapTake(int t) {
  undoStruct *r = undoNew();
  r->t = (t == undoImported || t == undoArranged) ? t : undoPasted;
  noteContext(r);
  snapshotMap(r);
  return r;
}

void undoMapKeep(undoStruct *r) {
  if (r) push(r, 1);
}

void undoMapDrop(undoStruct *r) {
  if (r) undoFree(r);
}

void undoSave(int t, int offset) { undoSaveEx(t, offset, 1); }

void undoSaveMarkLast(void) {
  if (groupStart) {
    groupStart->last = 1;
    groupStart = nullptr;
  }
}

void undoRestore(void) {
  editingCancelDrag();
  undoTentativeEnd();
  // A group left open would otherwise point into the redo list.
  undoSaveMarkLast();
  int first = 1, any = 0, edited = 0;
  while (undoLast) {
    undoStruct *q = undoLast;
    const int stop = q->last;
    undoStruct *r = undoNew();
    noteContext(r);
    if (first) r->last = 1;
    first = 0;
    // The redo copy is taken before the mode is left: leaving a drawing tool
    // discards the shape under construction, which the redo must bring back.
    int addedAt = -1;
    if (q->t == undoChanged) {
      snapshot(r, q->offset);
    } else if (isMapType(q->t)) {
      snapshotMap(r);
    } else if (q->t == undoAdded && objectsTotal > 0) {
      addedAt = q->offset >= 0 && q->offset < objectsTotal ? q->offset : objectsTotal - 1;
      snapshot(r, addedAt);
    }
    if (q->state != state) unstate();
    switch (q->t) {
      case undoDeleted:
        r->t = undoUnDeleted;
        r->offset = objectInsertCopy(q->offset, &q->o);
        break;
      case undoAdded: {
        r->t = undoUnAdded;
        if (addedAt < 0) {
          snapshot(r, q->offset);
          break;
        }
        const int i = addedAt;
        // The hotspot becomes the one under construction: when hotspots were
        // pasted behind it (which records no undo), it is moved past them first.
        if (i != objectsTotal - 1) {
          object moved = objects[i];
          std::memmove(&objects[i], &objects[i + 1],
                       sizeof(object) * static_cast<size_t>(objectsTotal - 1 - i));
          objects[objectsTotal - 1] = moved;
        }
        objectsTotal--;
        objects[objectsTotal].complete = 0;
        Url(objectsTotal, 1);
        objectDataReplace(&objects[objectsTotal], &q->o);
        break;
      }
      case undoZoomed:
        r->t = undoUnZoomed;
        r->scale = scale;
        scale = q->scale;
        Zoomout(2);
        break;
      case undoChanged:
        if (q->o.t == notype && q->offset >= 0 && q->offset < objectsTotal) {
          // The empty record saved when a new hotspot was begun, and the
          // hotspot was counted at once without a record of its own (its
          // properties dialog was skipped): undoing takes it out of the map.
          r->t = undoUnAdded;
          objectRemove(q->offset);
        } else {
          r->t = undoUnChanged;
          putBack(q->offset, &q->o);
        }
        break;
      case undoPasted:
      case undoImported:
      case undoArranged:
        r->t = q->t == undoPasted ? undoUnPasted : q->t == undoImported ? undoUnImported : undoUnArranged;
        putMap(q);
        break;
      case undoDefaultUrl:
        r->t = undoUnDefaultUrl;
        r->offset = q->offset;
        copyDefaultUrl(&r->defaultUrl, defaultUrl);
        copyDefaultUrl(&defaultUrl, q->defaultUrl);
        break;
      default:
        r->t = undoUnResized;
        break;
    }
    restoreContext(q);
    r->undo = q;
    undoLast = q->p;
    r->p = redoLast;
    redoLast = r;
    any = 1;
    if (q->t != undoZoomed) edited = 1;
    if (stop) break;
  }
  if (edited) changed = 1;
  if (any) sensitivity(1);  // the selection and the state may have changed
  repaint(0);
  undoRestoreGui2();
}

void redoRestore(void) {
  editingCancelDrag();
  undoTentativeEnd();
  undoSaveMarkLast();
  int any = 0, edited = 0;
  while (redoLast) {
    undoStruct *r = redoLast;
    const int stop = r->last;
    if (r->state != state) unstate();
    switch (r->t) {
      case undoUnDeleted:
        objectRemove(r->offset);
        lastObjectSelected = -1;
        pointsDeselect(&psel);
        break;
      case undoUnAdded:
        objectInsertCopy(r->offset, &r->o);
        break;
      case undoUnChanged:
        putBack(r->offset, &r->o);
        if (r->state == polyUrl || r->state == circleUrl || r->state == rectUrl) Url(objectsTotal, 1);
        break;
      case undoUnZoomed:
        scale = r->scale;
        Zoomout(2);
        break;
      case undoUnDefaultUrl:
        copyDefaultUrl(&defaultUrl, r->defaultUrl);
        break;
      case undoUnPasted:
      case undoUnImported:
      case undoUnArranged:
        putMap(r);
        break;
      default:
        break;
    }
    if (r->t != undoUnZoomed) edited = 1;
    restoreContext(r);
    undoStruct *q = r->undo;
    redoLast = r->p;
    if (q) {
      q->p = undoLast;
      undoLast = q;
    }
    undoFree(r);
    any = 1;
    if (stop) break;
  }
  if (edited) changed = 1;
  if (any) sensitivity(1);  // the selection and the state may have changed
  repaint(0);
  undoRestoreGui2();
}

namespace {

// A press of the Test+Edit state under way (undoTentativeBegin): the newest
// record before it, the redo list it set aside and the changed mark it found.
bool tentative = false;
undoStruct *tentativeMark = nullptr;
undoStruct *tentativeRedo = nullptr;
int tentativeChanged = 0;

bool sameString(const char *a, const char *b) {
  if (!a || !b) return a == b;
  return std::strcmp(a, b) == 0;
}

// Whether record r holds a hotspot exactly as the table has it now.
bool recordMatchesTable(const undoStruct *r) {
  if (r->t != undoChanged || !objects || r->offset < 0 || r->offset >= objectsTotal) return false;
  const object &a = r->o, &b = objects[r->offset];
  if (a.t != b.t || a.complete != b.complete || a.pointsTotal != b.pointsTotal) return false;
  if (a.pointsTotal > 0 && (!a.points || !b.points)) return false;
  for (int k = 0; k < a.pointsTotal; k++)
    if (a.points[k].x != b.points[k].x || a.points[k].y != b.points[k].y) return false;
  return sameString(a.url, b.url) && sameString(a.comments, b.comments) && sameString(a.title, b.title) &&
         sameString(a.target, b.target) && sameString(a.onMouseOver, b.onMouseOver) &&
         sameString(a.onMouseOut, b.onMouseOut) && sameString(a.onClick, b.onClick) &&
         sameString(a.otherAttributes, b.otherAttributes);
}

}  // namespace

void undoTentativeBegin(void) {
  undoTentativeEnd();
  tentative = true;
  tentativeMark = undoLast;
  tentativeRedo = redoLast;
  redoLast = nullptr;
  tentativeChanged = changed;
}

void undoTentativeEnd(void) {
  if (!tentative) return;
  tentative = false;
  bool same = true, reached = false;
  for (undoStruct *r = undoLast; r; r = r->p) {
    if (r == tentativeMark) {
      reached = true;
      break;
    }
    if (!recordMatchesTable(r)) same = false;
  }
  if (!tentativeMark) reached = true;
  if (!same || !reached || redoLast) {
    freeRedoList(tentativeRedo);
    tentativeMark = nullptr;
    return;
  }
  // Nothing moved: the records go, and what could be redone and the changed
  // mark are as they were before the press.
  if (undoLast != tentativeMark) changed = tentativeChanged;
  while (undoLast != tentativeMark) {
    undoStruct *r = undoLast;
    undoLast = r->p;
    if (groupStart == r) groupStart = nullptr;
    undoFree(r);
  }
  if (groupStart) groupStart = nullptr;
  redoLast = tentativeRedo;
  tentativeRedo = nullptr;
  tentativeMark = nullptr;
  undoRestoreGui2();
}

void undoPurge(void) {
  undoTentativeEnd();
  while (undoLast) {
    undoStruct *q = undoLast;
    undoLast = q->p;
    undoFree(q);
  }
  groupStart = nullptr;
}

void redoPurge(void) {
  freeRedoList(redoLast);
  freeRedoList(tentativeRedo);
}

void undoRestoreGui(const undoStruct *r) {
  if (r->state == state) return;
  state = r->state;
  int id = 0;
  if (state >= polyPosition && state <= polyUrl)
    id = cmdPolygon;
  else if (state >= circlePosition && state <= circleUrl)
    id = cmdCircle;
  else if (state >= rectPosition && state <= rectUrl)
    id = cmdRectangle;
  else if (state == magicwandPosition || state == magicwandUrl)
    id = cmdMagicWand;
  else if (state == editing)
    id = cmdTestEdit;
  if (id) commandCheck(id, 1);
}

void undoRestoreGui2(void) {
  commandEnable(cmdUndo, undoLast != nullptr);
  commandEnable(cmdRedo, redoLast != nullptr);
  toolbarRedraw();
}

void Undo(int) { undoRestore(); }
void Redo(int) { redoRestore(); }
