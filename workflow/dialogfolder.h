// dialogfolder.h: where file dialogs open. A dialog whose caller names no start
// opens in the open page's folder, else in the folder last used by any
// Tilvane process (a file dialog's choice, a document opened or saved; key
// "lastFolder" of section "Options" in the profile file tilvane2.ini), else in
// the user's Documents folder or home.
#ifndef TILVANE_DIALOGFOLDER_H
#define TILVANE_DIALOGFOLDER_H

// The folder a file dialog starts in, as described above; "" when none is
// known (no page, nothing remembered, no home).
void dialogStartFolder(char *out, int size);

// Remembers the folder of a path chosen in a file dialog, or of a document
// opened or saved (the path itself when it is a folder; nothing when the
// folder does not exist).
void dialogFolderUsed(const char *path);

// Installs both as the platform's dialog hooks.
void dialogFolderInstall(void);

#endif
