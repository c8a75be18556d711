// shell_ui.h: the windows of the shell services: the Preferences, "Server Side
// Map Type", "First Time Hints", "Magic Wand Settings" and "Choose a Folder"
// dialogs and the web-page selection. shellUiInstall puts them behind their
// seams and hooks; the frame window calls it at start-up.
#ifndef TILVANE_SHELL_UI_H
#define TILVANE_SHELL_UI_H

class QWidget;

// Installs every dialog of this file into its seam or hook, and the sketch
// colour chooser when the view has not installed one.
//
// The frame window's part in the shell services, in start-up order: programSocketOpen();
// shellUiInstall(); readConfig(); setDataDir() (0 ends the program);
// ipcListen(); recentFileMenuUpdate(); updateCheckTimer() when nothing is
// opened from the command line. It installs reloadConfigHook and
// updateResultHook to post 3025 and 3026 (with the code) to itself, and
// answers them with reloadConfigReceived() and updateResultReceived(code).
// At the end: saveConfig(), ipcClose(), updateCheckWait() with a short bound,
// programSocketClose().
void shellUiInstall(void);

// The dialogs, run modally. Results: preferencesBox 1 on OK; mapTypeBox 1 on OK
// (the choice is taken), 0 on Cancel; magicWandSettingsBox 1 on OK; dirBoxRun 1
// on OK (dataDir holds the folder), 0 on Cancel.
int preferencesBox(QWidget *parent);
int mapTypeBox(QWidget *parent);
void firstHintBox(int index, QWidget *parent);
int magicWandSettingsBox(QWidget *parent);
int dirBoxRun(QWidget *parent);

// The web-page selection: a strip with the title, "Current Selection:", OK and
// Cancel above a browser started on buffer's link. 0 with the selection in
// buffer (at most size - 1 bytes) on OK, -1 on Cancel or without a browser.
int urlBrowseRun(const char *title, char *buffer, int size);

// Whether the web-page selection has a browser in this build.
int urlBrowseAvailable(void);

#endif
