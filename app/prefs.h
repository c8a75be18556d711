// prefs.h: the settings file Tilvane.ini, the recent documents in tilvane2.ini,
// and the first-time hints.
#ifndef TILVANE_PREFS_H
#define TILVANE_PREFS_H

// Builds the settings path into path (size bytes); returns whether the file exists.
int getIniFile(char *path, int size, int forWriting);

// Reads Tilvane.ini into the settings (defaults stay for what is missing).
void readConfig(void);

// Writes Tilvane.ini and tells the other running processes to reload it.
void saveConfig(void);

// The recent documents: add one (it moves to the top), rebuild the File menu's
// entries, and handle one of their commands (2600-2608; returns 1 for those).
void recentFileAdd(const char *path);
void recentFileMenuUpdate(void);
int recentFileWmCommand(int command);

#endif
