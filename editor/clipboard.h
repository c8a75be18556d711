// clipboard.h: hotspots on the system clipboard as <area> markup: Cut, Copy and
// Paste, the clipboard text written through the temporary file "clipboard.htm",
// the area markup read back into hotspots, and the deletion of every selected
// hotspot as one undo step.
#ifndef TILVANE_CLIPBOARD_H
#define TILVANE_CLIPBOARD_H

// The commands: Copy (144), Cut (142, and the Delete key 102), Paste (145).
// Cut deletes the selection only once it is on the clipboard; with no hotspot
// selected it does nothing. A paste that adds anything is one undo step.
void Copy(void);
void Cut(void);
void Paste(void);

// Edit menu "Duplicate" (2116): copies of the selected hotspots, in their
// order, at the end of the map, 10 picture pixels right and down of them
// (further, as a paste goes, when that is exactly where hotspots are); the
// copies become the selection. One undo step; nothing with no selection.
// The number of hotspots added.
int Duplicate(void);

// Moves the hotspots from index first to the end of the map 10 picture pixels
// right and down, again and again, while any of them lies exactly where a
// hotspot before first lies (the same shape, written with the same
// coordinates). How many steps they moved.
int pasteOffsetFromExisting(int first);

// Puts the selected hotspots on the clipboard: one <area .../> line each (the
// platform's line ends: LF, CR LF on Windows), as the map writer writes them. 1 when the clipboard took them.
int clipboardSaveSelection(void);

// Adds the hotspots of the <area> elements on the clipboard, each selected; an
// area with shape="default" sets the default link. Hotspots that would land
// exactly on hotspots of the map land 10 pixels right and down of them
// (pasteOffsetFromExisting). When anything was added or
// the default link changed, records the map as it was for one Undo and marks
// the document changed. The number of hotspots
// added; 0 also after "Paste Failed".
int getSystemClipboard(void);

// The same for a text given directly.
int pasteAreaText(const char *text);

// Deletes every selected hotspot as one undo step.
void selectionDelete(void);

// The size of the named file in bytes; -1 when name is null or the file cannot
// be examined.
long long myGetFileSize(const char *name);

// Nothing to release.
void clipboardDestroy(void);

#endif
