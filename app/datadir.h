// datadir.h: the data folder `dataDir`, which holds the program's own files
// and is confirmed by the user on the first start ("Choose a Folder"); the
// other folders are in platform/folders.h. Owns dataDir, dirBoxHook.
#ifndef TILVANE_DATADIR_H
#define TILVANE_DATADIR_H

#include "platform/folders.h"

// The data folder, without a trailing separator; the process's current folder
// once setDataDir has succeeded.
extern char dataDir[1024];

// Establishes dataDir (asking with the "Choose a Folder" dialog when needed).
// 1 when it is established and entered, 0 when the user gave up (the program
// must then end). setDataDir is setDataDirBody(parent, 0).
int setDataDir(void *parent);
int setDataDirBody(void *parent, int flag);

// The "Choose a Folder" dialog (installed by the window code): runs modally,
// returns 1 on OK (dataDir then holds the choice) and 0 on Cancel. Without a
// hook the dialog counts as cancelled.
extern int (*dirBoxHook)(void *parent);
int DirBox(void *parent);

// The dialog's logic. dirBoxSplit fills the "Parent Folder" and "Folder Name"
// texts from dir. dirBoxOK takes the two texts on OK: 1 when the dialog may
// close (dataDir holds the folder), 0 when it stays open (a message was shown).
void dirBoxSplit(const char *dir, char *parent, int parentSize, char *name, int nameSize);
int dirBoxOK(void *dialog, const char *parentText, const char *nameText);

#endif
