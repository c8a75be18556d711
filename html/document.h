// document.h: the open image-map document: the page's tag list and file, the
// names of the page, the picture and the map, and the unsaved-changes flag;
// the tokenizer's error callback, and the count that keeps the messages of
// one reading from flooding the user. Owns hdoc, htmlFilePtr, htmlFileFd,
// htmlFileCRLF, mapfilename, imagefilename, maplocalname, trailingComments,
// htmlFileStamp, newPageSrc, changed, opening, openingBox, saving, webPageFlag,
// readingMessagesShown.
#ifndef TILVANE_DOCUMENT_H
#define TILVANE_DOCUMENT_H

#include <cstdio>

#include "html/html.h"
#include "html/pageio.h"

extern htmlPtr hdoc;            // the page's tag list; null when no document is open
extern FILE *htmlFilePtr;       // the page file, open (and locked) while the document is open
extern int htmlFileCRLF;        // 1 when the page's first line end was CR LF: it is written back so
extern pageStamp htmlFileStamp;  // the page file as read or last saved, to see another program's change
extern int newPageSrc;          // a new page's picture src is still the picture's path as given
extern char *mapfilename;       // path of the page; "" for a new page not yet saved
extern char *imagefilename;     // path of the picture
extern char *maplocalname;      // the map's name (usemap without '#')
extern char *trailingComments;  // comments after the last hotspot of an imported server map
extern int changed;             // unsaved changes
extern int opening;             // a picture is being loaded
extern int openingBox;          // the Open dialog is up
extern int saving;              // a Save As dialog is up
extern int webPageFlag;         // the start dialog's answer: 1 a web page, 0 an image

// The tokenizer's error callback: shows "Bad HTML at line: ..." titled "HTML
// Error", for the first readingMessagesShown errors of a document; the others
// are counted until htmlLogErrorsEnd, which tells how many were not shown.
void htmlLogError(htmlPtr document, const char *message);
void htmlLogErrorsEnd(htmlPtr document);

// Messages of one kind repeated while one file is read: the first
// readingMessagesShown of them are shown, the rest only counted, and at the end
// of the reading one box says how many more there were. 0 shows every message
// (the companion tool prints them all).
extern int readingMessagesShown;  // 5

struct messageRun {
  int seen = 0;  // messages of this kind met during the reading
};

// Counts one message of the run; 1 when it is to be shown.
int messageRunCount(messageRun *run);

// Ends the reading: when messages were left out, the box "Tilvane found N more
// WHAT. They are not shown." titled "More Errors"; then the run starts anew.
void messageRunEnd(messageRun *run, const char *what);

#endif
