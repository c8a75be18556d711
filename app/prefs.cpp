// prefs.cpp: the settings file, the recent documents and the first-time hints.
// (The reading and writing of the files arrive with the preferences module.)
#include "app/prefs.h"

int getIniFile(char *path, int size, int) {
  if (path && size > 0) path[0] = 0;
  return 0;
}
void readConfig(void) {}
void saveConfig(void) {}
void recentFileAdd(const char *) {}
void recentFileMenuUpdate(void) {}
int recentFileWmCommand(int command) { return command >= 2600 && command <= 2608; }
