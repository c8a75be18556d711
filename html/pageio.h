// pageio.h: a page file and its document: reading a page into the reader the
// way the editor does, writing a document out, and replacing a file on disk so
// that the old file stays whole until the new one is complete, and offering a
// page's backup when a save of it did not finish. Owns pageFaultStep,
// pageFaultErrno, pageFaultKill, pageSaveKept.
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
// its target replaced. A file with other hard links, whose owner or group a
// new file cannot have, or whose folder takes no new file, is written in
// place instead, after its old content has been copied to a backup (synced,
// with its folder) that stays until the new content is written and synced:
// ".NAME.tilvane~XXXXXX" beside the file, or, when its folder takes no new
// file, "PATH.tilvane~XXXXXX" in the state folder ($XDG_STATE_HOME/tilvane or
// ~/.local/state/tilvane), PATH being the file's absolute path with "%" as
// "%25" and "/" as "%2F". A save stopped half way thus leaves the old file, the
// new file, or a backup that pageRecoverOffer offers when the page is opened.
// A file that may not be written (no write permission at all, or none for the
// user) is refused with EACCES. Temporary files that killed saves of this file
// left behind are removed first (see pageRemoveLeftovers), and a finished save
// removes every backup of the file. When stream is given, the new file is
// locked (flock, exclusive) before the rename, and on success *stream (the old
// open file, or null) is closed and replaced by the new file open for reading
// and writing (a stream that holds the file written in place is kept and
// rewound). On failure the result is 0, *stream stays as it was and reason
// holds the system's explanation; the file on disk is as it was, except when a
// save in place could neither finish nor put the old content back: then
// pageSaveKept names the backup that holds it (it is empty otherwise).
int pageSaveFile(const char *path, const char *data, size_t length, int crlf, FILE **stream,
                 char *reason, int reasonSize);

// Removes the temporary files beside the file at path (a symbolic link is
// followed) that saves killed before their end left behind: only the user's
// regular files named exactly as pageSaveFile names them for that file and
// unchanged for a minute.
void pageRemoveLeftovers(const char *path);

// The backups of the file at path that saves in place which did not finish
// have left (beside it or in the state folder), leaving out one that a running
// save holds. pageBackupFind gives the oldest: 1 with its path in backup.
// pageBackupsRemove removes them all.
int pageBackupFind(const char *path, char *backup, int backupSize);
void pageBackupsRemove(const char *path);
// Writes the content of backup into the page open as stream, in place, and
// syncs it; the stream is rewound. 1 on success, else 0 with the reason.
int pageBackupRestore(FILE *stream, const char *backup, char *reason, int reasonSize);
// When the page at path, open as stream, has a backup that holds other bytes,
// asks "Recover Page?" naming both files and their times: Yes restores the
// page from it, No keeps the page as it is; both remove the backups (a backup
// that cannot be restored is kept, and says so). A backup that holds the
// page's own bytes is removed without asking.
void pageRecoverOffer(const char *path, FILE *stream);

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

// What is said of a page that is not a regular file.
extern const char *const pageNotRegularText;

// Fault injection for tests: the steps of pageSaveFile named in pageFaultStep
// (a set of the flags below) fail with pageFaultErrno. With pageFaultKill set,
// a save in place stops at the first of them as a killed process would, with
// nothing undone: while its backup is made (half of it written), right after
// the backup took its name (pageFaultRename), half way through writing the new
// content, or before syncing it. pageFaultRestore is the putting back of the
// old content after a failure, and the restoring of a backup.
enum {
  pageFaultNone = 0,
  pageFaultCreate = 1,
  pageFaultWrite = 2,
  pageFaultSync = 4,
  pageFaultRename = 8,
  pageFaultRestore = 16
};
extern int pageFaultStep;
extern int pageFaultErrno;
extern int pageFaultKill;

// The backup that holds a file's old content after the last pageSaveFile
// could neither finish nor put that content back; empty otherwise.
extern char pageSaveKept[1024];

#endif
