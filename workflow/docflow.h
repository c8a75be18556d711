// docflow.h: the road of a document: the start dialog's two actions, opening a
// page under its lock and choosing its image, finding the image file, the page
// made around a bare picture, Save, Save As, Close, showing the map's markup in
// the desktop's program for text, and the second process that takes a second
// document. Owns webPageOrImageHook, docflowProgram.
#ifndef TILVANE_DOCFLOW_H
#define TILVANE_DOCFLOW_H

#include <string>
#include <vector>

#include "html/html.h"

// The window title while no document is open.
extern const char *const docflowTitle;  // "Tilvane 4.05"

// The start dialog "What Do You Want To Do?" (installed by the window code):
// returns 1 for "Open A Web Page", 0 for "Open An Image", -1 when it was closed.
extern int (*webPageOrImageHook)(void);

// The executable started for a second document; null means the running one.
extern const char *docflowProgram;

// Makes the recent-file commands run this module's Close, New,
// OpenHtmlDocument and Open.
void docflowInstall(void);

// The start dialog and its actions: "Open A Web Page" sets webPageFlag and runs
// OpenLaunch; "Open An Image" clears it, sets maptype to mapClient and runs New.
// Returns the action's result, 0 when the dialog was closed.
int WebPageOrImage(void);
int webPageOrImageChoose(int webPage);

// The Open command: the first-time hint, a second process when a document is
// open, Close(0), the file dialog, the in-use and not-HTML checks, then
// OpenHtmlDocument and Open. 1 when a document was opened.
int OpenLaunch(void);

// Reads the page at path into hdoc, holding the file open under an exclusive
// lock (htmlFilePtr), and chooses its image: the one whose src is image, or
// through the image list. 1 on success; on failure no document is left open.
int OpenHtmlDocument(const char *path, const char *image);

// The "Select Inline Image" list: the src of every img entry of hdoc with a
// non-empty src, in page order. missing is set when an img without src was met.
std::vector<std::string> imageListEntries(int *missing);

// The image list's run, for the window's dialog: the bad-IMG warning (once),
// the "Document Contains No Images" case, a single image taken at once; for
// several, dialog(list) runs and returns ImageListOK's result for the chosen
// entry or 0 for Cancel (after which the document is closed). The result is
// that of ImageListOKBody, 0 when nothing was bound.
int imageListRun(int (*dialog)(const std::vector<std::string> &list, void *data), void *data);

// The dialog's OK: with nothing selected (position -1) the "No Image Selected"
// message and -1 (the dialog stays); otherwise ImageListOKBody(text, position).
int ImageListOK(const char *text, int position);

// Binds the chosen img entry (the one at list position, or for position -1 the
// first whose src equals name exactly, else the first whose src, taken from
// the page's folder, is the file name gives as a path: from the current
// folder, or from the page's when nothing is there): map name, border option,
// display size, image file. 1 on success; 0 after its message (the document is
// closed).
int ImageListOKBody(const char *name, int position);

// A map name made from a file name: cut at the last '.', then after the last
// backslash and the last slash. "map" when nothing is left. A new string.
char *inventMapLocalName(const char *path);

// Reads the width or height attribute (name) of an img entry into *value:
// a decimal integer, 0 or less giving -1; a value with '%' shows the
// percentage warning and leaves *value alone.
void getSrcDimension(htmlTagPtr img, int *value, const char *name);

// The image file for a src value: as written, as a file: URL, by its last
// component, then in the folder of the page base. A new string.
char *ResolveURL(const char *url, const char *base);

// Whether the file at path looks like HTML.
int isHtml(const char *path);

// Loads the map and the image for a page already read. 1 when loaded; 0 when
// the image or the page name is missing or the load failed (the document is
// then closed).
int Open(const char *image, const char *page, const char *name);

// Creates a new page around the picture image (asked for when null); page is
// its file name or null (the first save then asks for one), name the map's.
int New(const char *image, const char *page, const char *name);

// The page made around a picture, as New feeds it to the reader.
std::string newPageTemplate(const char *image, const char *name);

// The attribute that suppresses the image's border under the current options:
// ` style="border-style:none"`, ` border="0"` or "".
const char *borderAttribute(void);

// For a new page not saved yet (newPageSrc): gives its picture's src the
// picture's path relative to the folder of pagePath, so that the page still
// finds its picture once the folder is published or moved.
void newPageSrcRelative(const char *pagePath);

// The path of file relative to folder ("../pics/a.gif"); both are taken from
// the current folder when relative, and "." and ".." steps are resolved.
std::string relativePath(const char *folder, const char *file);

// Saves the page under a name asked for. 1 when saved.
int SaveAs(void);

// Saves the page into its file (mapfilename): the file is replaced whole, or
// left as it was with a "Can't Save File" message. 1 when saved; clears
// changed. With exactPage set, the page is written by clientMapWritePageExact
// when it can be. savePage does the writing; Save adds the page to the recent
// files and empties the redo list first, and asks for a name (SaveAs) for a
// page that has none yet.
int savePage(void);
int Save(void);

// Saves the page: through Save As while it has no name. 1 when saved.
int saveDocument(void);

// Closes the document, asking first (unless force) when there are unsaved
// changes. 0 when the user cancelled or the save failed.
int Close(int force);

// Writes the map's markup to "temporary.htm" in the temporary folder and opens
// it for viewing in the desktop's program for plain text. 1 when written.
int Show(void);

// The text Show writes (with LF line ends).
std::string showMarkup(void);

// Sets the frame's title for the open document, or the bare title without one.
void docflowSetTitle(void);

// Starts another process of the program with the argument ("/new" or
// "/open"). 1 when started.
int startSecondProcess(const char *argument);

// The plain-text program of the desktop: the command line of the desktop
// entry that the user's mimeapps lists (or the system's cache) give for
// text/plain, with path filled into its Exec field. 1 when one was found.
int textViewerCommand(const char *path, std::vector<std::string> &command);

// The words of a desktop entry's Exec value with the field codes filled in:
// %f %F %u %U become path, %% a percent sign, other codes are dropped. A value
// without a file code gets path appended.
std::vector<std::string> desktopExecWords(const char *exec, const char *path);

#endif
