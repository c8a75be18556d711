// datadir.h: the program's folders and a few file-system routines. The data
// folder `dataDir` holds the program's own files and is confirmed by the user
// on the first start; the settings folder (below the user's configuration
// folder) holds Tilvane.ini; the temporary folder ("tilvane" in the session's
// runtime folder, else in the cache folder) holds files handed to other
// programs. The user's configuration folder ($XDG_CONFIG_HOME, else
// ~/.config) holds the profile file tilvane2.ini. Owns dataDir, theManifest, dirBoxHook.
#ifndef TILVANE_DATADIR_H
#define TILVANE_DATADIR_H

#include <sys/stat.h>

// The program's fixed identity.
struct manifestStruct {
  const char *folderName;   // "Tilvane": last component of the data and settings folders
  const char *iniFileName;  // "tilvane2.ini": remembers the data folder (section "Options", key "dataDir")
};
extern const manifestStruct theManifest;

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

// Enters path (0) or fails (-1); with create 1 a missing folder is made and
// entered.
int godir(const char *path, int create);

// Removes the last character of text when it is `character`.
void stompLast(char *text, char character);

// Replaces, in place, every run of "/" and "\" characters by one "/".
void dropDoubledPathCharacters(char *path);

// The settings folder and the temporary folder (both made when missing). The
// temporary folder is $XDG_RUNTIME_DIR/tilvane, else $XDG_CACHE_HOME/tilvane
// (~/.cache/tilvane), else $TMPDIR or /tmp.
void applicationGetDataDir(char *path, int size);
void applicationGetTempDir(char *path, int size);

// stat() after tidying the path (one trailing separator dropped); 0 on success.
int mystat(const char *path, struct stat *buffer);
int fileExists(const char *path);
int fileIsDirectory(const char *path);

// The user's configuration folder, $XDG_CONFIG_HOME or ~/.config (made when
// missing).
void configFolderGet(char *path, int size);

// The folder the data folder is suggested in: $XDG_DATA_HOME, else
// ~/.local/share (made when missing). 1 when one could be found.
int defaultDataParentGet(char *path, int size);

// Makes every missing folder of path (mode 0700); 1 when path is a folder then.
int makeFolders(const char *path);

#endif
