// pageio.h: a page file and its document: reading a page into the reader the
// way the editor does, writing a document out, and replacing a file on disk so
// that the old file stays whole until the new one is complete. Owns
// pageFaultStep, pageFaultErrno.
#ifndef TILVANE_PAGEIO_H
#define TILVANE_PAGEIO_H

#include <cstddef>
#include <cstdio>

#include <sys/types.h>

#include "html/html.h"

// The size of the runs in which a page is fed to the reader.
enum { pageChunkSize = 1 << 20 };

// Feeds a whole page to the reader (htmlAppendText in large chunks, cut at the
// CR LF pairs it shortens, then htmlFlushText), keeping its bytes as the
// document's source (htmlSourceAppend, html.h). The first line end that the reader keeps as read (one outside
// the tags, see htmlLineEndKept) decides the page's convention, so that the
// page written back decides the same way: when it is CR LF, *crlf is set and
// from there on every CR LF pair reaches the reader as one LF (the page is
// written back with CR LF throughout); otherwise *crlf is 0 and the bytes go in
// as they are. pageFeedBuffer does the same for bytes in memory.
// Results: htmlSuccess, htmlMemory, or htmlIO when the stream cannot be read.
htmlResult pageFeed(htmlPtr doc, FILE *in, int *crlf);
htmlResult pageFeedBuffer(htmlPtr doc, const char *data, size_t length, int *crlf);

// A new document for a page: comments and scripts kept (the editor's settings).
// Null when memory runs out.
htmlPtr pageDocumentCreate(void);

// Writes leadingComments and every entry. htmlIO when the stream reports an error.
htmlResult pageWrite(htmlPtr doc, FILE *out);
// Writes the page with the bytes it was read from (html.h, exact writing): a
// page read by pageFeed comes out byte for byte, its own line ends included,
// so the result is written without line-end conversion. A document not read
// by pageFeed is written as pageWrite writes it.
htmlResult pageWriteExact(htmlPtr doc, FILE *out);

// Writes bytes held in memory to a stream, every LF as CR LF when crlf is set.
// 1 when the stream took them all.
int pageWriteBuffer(FILE *out, const char *data, size_t length, int crlf);

// Replaces the file at path by data (LF written as CR LF when crlf is set): the
// bytes go to a new file in the same folder (".NAME.tilvane-XXXXXX", NAME cut
// short when the name would be too long), which is flushed and synced and then
// renamed over the old one, keeping its permissions, owner, group and extended
// attributes (access control lists included); a symbolic link is followed and
// its target replaced. A file with other hard links, or whose owner or group a
// new file cannot have, is written in place instead, after its old content has
// been copied beside it so that a failure can restore it. A file that may not
// be written (no write permission at all, or none for the user) is refused
// with EACCES. Temporary files that killed saves of this file left behind are
// removed first (see pageRemoveLeftovers). When stream is given, the new file
// is locked (flock, exclusive) before the rename, and on success *stream (the
// old open file, or null) is closed and replaced by the new file open for
// reading and writing (a stream that holds the file written in place is kept
// and rewound). On failure nothing on disk changes, *stream stays as it was,
// the result is 0 and reason holds the system's explanation.
int pageSaveFile(const char *path, const char *data, size_t length, int crlf, FILE **stream,
                 char *reason, int reasonSize);

// Removes the temporary files beside the file at path (a symbolic link is
// followed) that saves killed before their end left behind: only the user's
// regular files named exactly as pageSaveFile names them for that file and
// unchanged for a minute.
void pageRemoveLeftovers(const char *path);

// What a page file was when it was read or last saved: its identity, size and
// modification time. pageStampTake fills it from an open file (known is 0 when
// there is none); pageStampChanged is 1 when the file now at path is another
// file or was changed since (0 when nothing is known or nothing is there).
struct pageStamp {
  int known = 0;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  long long mtimeSec = 0;
  long mtimeNsec = 0;
};
void pageStampTake(FILE *f, pageStamp *stamp);
int pageStampChanged(const char *path, const pageStamp *stamp);

// Opens path for reading and writing with an exclusive lock. Since a save
// replaces the file under its name, the lock is checked against what the name
// leads to after locking, and taken again when the name moved on. Null when it
// cannot be opened; *inUse is set when another holder has the lock.
FILE *pageOpenLocked(const char *path, int *inUse);

// Fault injection for tests: when pageFaultStep names a step of pageSaveFile,
// that step fails with pageFaultErrno.
enum { pageFaultNone = 0, pageFaultCreate, pageFaultWrite, pageFaultSync, pageFaultRename };
extern int pageFaultStep;
extern int pageFaultErrno;

#endif
