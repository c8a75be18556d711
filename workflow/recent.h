// recent.h: the recent documents, kept in tilvane2.ini (section
// "recentfiles") and shown at the end of the File menu. Owns
// recentFileMenuHook, recentFileDocument.
#ifndef TILVANE_RECENT_H
#define TILVANE_RECENT_H

// The recent documents: add one (it moves to the top), rebuild the File menu's
// entries, and handle one of their commands (2600-2608; returns 1 for those).
void recentFileAdd(const char *path);
void recentFileMenuUpdate(void);
int recentFileWmCommand(int command);

// Entry i (0-8) of the recent documents into out; "" when empty.
void recentFileGet(int i, char *out, int size);

// The menu label of entry i with that path: "&1 /path" ... "&9 /path", a path
// longer than 35 characters shown as "... " and its last 31 characters.
void recentFileLabel(int i, const char *path, char *out, int size);

// Installed by the frame window: replaces the File menu's recent entries by
// count items (ids 2600 + entry index, labels as recentFileLabel makes them).
extern void (*recentFileMenuHook)(int count, const int *ids, const char *const *labels);

// The document calls a recent-file command makes, installed by the document
// workflow. A missing close counts as closed, a missing open or new as failed.
struct recentFileCalls {
  int (*close)(int force);
  int (*newDocument)(const char *image, const char *page, const char *localName);
  int (*openHtmlDocument)(const char *page, const char *image);
  int (*open)(const char *image, const char *page, const char *localName);
  int (*filenameIsImage)(const char *name);
};
extern recentFileCalls recentFileDocument;

// A file dropped on the window: an existing regular file (an absolute path)
// named as a picture or as a page (.htm, .html, .xhtml, .xht, .shtml, .php,
// .asp, .aspx, .jsp, .cfm) is opened as File > Open would open it, after the
// question about unsaved changes; anything else is refused.
enum { droppedRefused = 0, droppedPage = 1, droppedPicture = 2 };
int droppedFileKind(const char *path);

// Opens a dropped file (the open document is closed first, asking about
// unsaved changes). 0, doing nothing, when droppedFileKind refuses it.
int documentOpenDropped(const char *path);

#endif
