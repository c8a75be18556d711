// props.h: what the hotspot properties dialog and the default-URL dialog do
// with their texts (the windows themselves live in the editor's window code):
// confirming, cancelling, deleting, the enable rule of "Same As Previous", the
// relative link of "Browse Files...", and the detection of a default link
// drawn as a rectangle over the whole picture. Owns urlIsVisible and
// defaultCreating.
#ifndef TILVANE_PROPS_H
#define TILVANE_PROPS_H

#include <vector>

#include "editor/objects.h"

// 1 while the dialog shown by the last request for a hotspot's properties is
// open; 0 when that request took the shortcut of defeatUrlDialog and once the
// dialog is hidden.
extern int urlIsVisible;

// 1 while the "Default URL" dialog is open (F1 then opens "help_setdefault").
extern int defaultCreating;

// Opens (or refills) the "Object URL" dialog for hotspot index: with
// defeatUrlDialog set and a new hotspot (state not editing), UrlOK with seven
// empty texts instead; otherwise first-run hint 5 for a new hotspot, then the
// window's dialog (the url hook of platform/seams.h).
void Url(int index, int show);

// Whether "Same As Previous" is enabled in the dialog for hotspot index.
int urlSameAsPreviousEnabled(int index);

// The dialog's OK with its seven texts (null counts as empty); Cancel; Delete.
void UrlOK(const char *url, const char *alt, const char *title, const char *target,
           const char *onMouseOver, const char *onMouseOut, const char *onClick);
void UrlCancel(void);

// The coordinates of hotspot o as the page writes them, into out: "x1,y1,x2,y2"
// for a rectangle (the smaller corner first), "cx,cy,r" for a circle,
// "x1,y1,x2,y2,..." for a polygon; empty for a record without a shape.
void urlCoordsText(const object *o, char *out, int size);

// The form of the coordinates of shape t, as the dialog names it:
// "x1,y1,x2,y2", "cx,cy,r", "x1,y1,x2,y2,..."; "" for notype.
const char *urlCoordsForm(int t);

// Reads text as the coordinates of a shape t, in the form above (whole
// numbers, commas between them, spaces allowed around each), into points as
// the hotspot holds them (a circle's second point on its rim, right of the
// centre). Null when the text is such a list; else the message that says
// what is wrong, and points is left empty.
const char *urlCoordsParse(int t, const char *text, std::vector<FPOINT> *points);

// The dialog's OK with the coordinates field as well: when coords reads
// differently from the coordinates the hotspot has, they are checked first. A
// text that is not such a list shows its message ("Invalid Coordinates") and
// changes nothing: 0. Otherwise UrlOK, and the new coordinates go into the
// same undo step: 1. A null coords leaves the coordinates alone.
int UrlOKCoords(const char *coords, const char *url, const char *alt, const char *title, const char *target,
                const char *onMouseOver, const char *onMouseOut, const char *onClick);
void UrlDelete(int last);

// Hides the "Object URL" dialog (it keeps its place for the next showing).
void UrlDismiss(void);

// A left press in the Test+Edit state: records the current hotspot when its
// dialog is open, then closes both dialogs.
void UrlDismissWithUndo(void);

// The default-URL dialog's OK (empty text: no default link) and Delete.
void UrlDefaultOK(const char *text);
void UrlDefaultDelete(void);

// The link from the page at pagePath to the chosen file at filePath: relative
// ("../" per folder of the page below their common folder) when both are on
// the same root, else the chosen file's own path. 1 when a link was written.
int urlRelativeLink(const char *pagePath, const char *filePath, char *out, int size);

// The "Browse Files..." button: the open-file dialog for a page, then the link
// relative to the document (mapfilename) into url (size bytes). 1 when chosen.
int UrlBrowseFiles(char *url, int size);

// After a map is loaded: a last rectangle that covers the whole picture becomes
// the default link and is deleted. 1 when that happened.
int DetectDefaultURL(void);

#endif
