// undo.h: undo and redo by snapshot. Before a hotspot changes, a copy of the
// whole record goes onto the undo list; undoing puts it back and keeps a copy
// of the newer version on the redo list. Records can be grouped so that one
// step covers a change to several hotspots. A paste or an import, which may
// add or replace many hotspots at once, keeps the whole map instead. Owns
// undoLast, redoLast, groupStart.
#ifndef TILVANE_UNDO_H
#define TILVANE_UNDO_H

#include "editor/objects.h"
#include "editor/selection.h"

enum undoType {
  undoDeleted = 0,       // a hotspot was deleted: re-insert it at its index
  undoAdded = 1,         // a new hotspot was confirmed: take it out, reopen its dialog
  undoPasted = 2,        // the whole map before a paste: put it back
  undoZoomed = 3,        // the zoom factor before a zoom
  undoChanged = 4,       // one hotspot before a change
  undoDefaultUrl = 5,    // the default link before a change
  undoResized = 6,       // never made
  undoState = 7,         // never made
  undoUnDeleted = 8,     // redo: delete again
  undoUnAdded = 9,       // redo: re-insert the hotspot as it was in the map
  undoUnChanged = 10,    // redo: the hotspot as it was before the undo
  undoUnZoomed = 11,     // redo: the zoom factor before the undo
  undoUnDefaultUrl = 12, // redo: the default link before the undo
  undoUnResized = 13,    // redo of a record that restored nothing: does nothing
  undoImported = 14,     // the whole map before an import: put it back
  undoUnPasted = 15,     // redo: the whole map as it was after the paste
  undoUnImported = 16,   // redo: the whole map as it was after the import
  undoArranged = 17,     // the whole map before its order changed: put it back
  undoUnArranged = 18    // redo: the whole map in its changed order
};

struct undoStruct {
  int t;                   // undoType
  int offset;              // index of the hotspot concerned; -1 where none
  double scale;            // zoom factor (zoom types)
  double rfactorx, rfactory;
  int mfactorx, mfactory;
  object o;                // deep copy of the hotspot (null points when none)
  undoStruct *p;           // next older record of the same list
  undoStruct *undo;        // in a redo record: the undo record it reverses
  char *defaultUrl;        // the default link (default-URL types)
  int state;               // editing state when the record was made
  int lastObjectSelected;  // current hotspot when the record was made
  pointSelection psel;     // point selection when the record was made
  int last;                // one Undo or Redo step stops after this record
  // The whole map (the paste and import types): deep copies of the counted
  // hotspots, with defaultUrl above and the trailing comments of a server map.
  object *map;
  int mapTotal;
  char *trailingComments;
};

extern undoStruct *undoLast;
extern undoStruct *redoLast;
extern undoStruct *groupStart;

// Records a snapshot of type t for hotspot offset (the zoom factor or the
// default link for those types). last = 1 makes it a step of its own (and
// closes any open group); last = 0 adds it to the open group or opens one.
// Empties the redo list and marks the document changed (a zoom changes
// nothing in the document and leaves that mark alone).
void undoSaveEx(int t, int offset, int last);
void undoSave(int t, int offset);
void undoSaveMarkLast(void);

// A record of type t (undoPasted, undoImported or undoArranged) holding the whole map as it
// is now, with the editing context, not yet on the undo list: taken before an
// operation that adds or replaces hotspots in bulk. undoMapKeep puts it on the
// list as a step of its own (as undoSave does, emptying the redo list and
// marking the document changed); undoMapDrop releases it when the operation
// changed nothing.
undoStruct *undoMapTake(int t);
void undoMapKeep(undoStruct *r);
void undoMapDrop(undoStruct *r);

// Undo and redo one step; nothing when the list is empty. A drag of the
// Test+Edit state that is still under way is cancelled first. Neither a zoom
// nor its undo or redo marks the document changed.
void undoRestore(void);
void redoRestore(void);
void undoPurge(void);
void redoPurge(void);

// A press of the Test+Edit state that may change nothing: the records made
// from undoTentativeBegin to undoTentativeEnd stay only when a hotspot they
// hold differs from the table at the end. Otherwise they go, and the redo
// list and the changed mark are as they were at the beginning. Undo, redo and
// undoPurge end a press still under way first.
void undoTentativeBegin(void);
void undoTentativeEnd(void);

// Returns to the editing state of record r (checking its tool's command); and
// enables Undo (903) and Redo (904) by whether their lists hold anything.
void undoRestoreGui(const undoStruct *r);
void undoRestoreGui2(void);

// The Undo (903) and Redo (904) commands.
void Undo(int flag);
void Redo(int flag);

#endif
