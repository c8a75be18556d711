// folders.h: the program's folders and a few file-system routines. The
// settings folder (below the user's configuration folder) holds Tilvane.ini;
// the temporary folder ("tilvane" in the session's runtime folder, else in the
// cache folder) holds files handed to other programs. The user's
// configuration folder ($XDG_CONFIG_HOME, else ~/.config) holds the profile
// file tilvane2.ini. Owns theManifest.
#ifndef TILVANE_FOLDERS_H
#define TILVANE_FOLDERS_H

#include <sys/stat.h>

// The program's fixed identity.
struct manifestStruct {
  const char *folderName;   // "Tilvane": last component of the data and settings folders
  const char *iniFileName;  // "tilvane2.ini": remembers the data folder (section "Options", key "dataDir")
};
extern const manifestStruct theManifest;

// The home folder: $HOME, else the password database's entry; null when
// neither names an absolute folder.
const char *homeFolder(void);

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
