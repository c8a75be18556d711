// undo.cpp: the undo and redo lists of hotspot snapshots and their grouping.
// Owns undoLast, redoLast, groupStart.
#include "editor/undo.h"

#include <cstring>

#include "editor/modes.h"
#include "editor/seams.h"
#include "editor/view.h"
#include "html/document.h"
#include "html/strhack.h"

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
  myfreeImpl(r);
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

}  // namespace

void undoSaveEx(int t, int offset, int last) {
  undoStruct *r = undoNew();
  redoPurge();
  r->t = t;
  r->p = undoLast;
  noteContext(r);
  if (!groupStart) groupStart = r;
  r->last = last ? 1 : 0;
  if (last) undoSaveMarkLast();
  if (t == undoZoomed) {
    r->scale = scale;
  } else if (t == undoDefaultUrl) {
    r->offset = offset;
    copyDefaultUrl(&r->defaultUrl, defaultUrl);
  } else {
    snapshot(r, offset);
  }
  undoLast = r;
  undoRestoreGui2();
  changed = 1;
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
  // A group left open would otherwise point into the redo list.
  undoSaveMarkLast();
  int first = 1, any = 0;
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
        r->t = undoUnChanged;
        putBack(q->offset, &q->o);
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
    if (stop) break;
  }
  if (any) {
    changed = 1;
    sensitivity(1);  // the selection and the state may have changed
  }
  repaint(0);
  undoRestoreGui2();
}

void redoRestore(void) {
  editingCancelDrag();
  undoSaveMarkLast();
  int any = 0;
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
      default:
        break;
    }
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
  if (any) {
    changed = 1;
    sensitivity(1);  // the selection and the state may have changed
  }
  repaint(0);
  undoRestoreGui2();
}

void undoPurge(void) {
  while (undoLast) {
    undoStruct *q = undoLast;
    undoLast = q->p;
    undoFree(q);
  }
  groupStart = nullptr;
}

void redoPurge(void) {
  while (redoLast) {
    undoStruct *r = redoLast;
    redoLast = r->p;
    if (r->undo) undoFree(r->undo);
    undoFree(r);
  }
}

void undoRestoreGui(const undoStruct *r) {
  if (r->state == state) return;
  state = r->state;
  int id = 0;
  if (state >= polyPosition && state <= polyUrl)
    id = 301;
  else if (state >= circlePosition && state <= circleUrl)
    id = 303;
  else if (state >= rectPosition && state <= rectUrl)
    id = 302;
  else if (state == magicwandPosition || state == magicwandUrl)
    id = 902;
  else if (state == editing)
    id = 304;
  if (id) commandCheck(id, 1);
}

void undoRestoreGui2(void) {
  commandEnable(903, undoLast != nullptr);
  commandEnable(904, redoLast != nullptr);
  toolbarRedraw();
}

void Undo(int) { undoRestore(); }
void Redo(int) { redoRestore(); }
