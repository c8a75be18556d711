// datadir.cpp: the data folder: finding it, asking for it, entering it.
// Owns dataDir, dirBoxHook.
#include "app/datadir.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "workflow/profile.h"
#include "platform/strhack.h"
#include "platform/platform.h"

char dataDir[1024];

int (*dirBoxHook)(void *parent) = nullptr;

namespace {

// Collapses runs of separators in dataDir and drops a trailing one, so that
// dataDir compares equal to the folder it names.
void tidyDataDir(void) {
  dropDoubledPathCharacters(dataDir);
  if (strlen(dataDir) > 1) stompLast(dataDir, '/');
}

}  // namespace

void dirBoxSplit(const char *dir, char *parent, int parentSize, char *name, int nameSize) {
  parent[0] = 0;
  name[0] = 0;
  if (!dir) return;
  // The last separator of either kind ("/" once dataDir is tidied).
  const char *cut = strrchr(dir, '/');
  const char *back = strrchr(dir, '\\');
  if (back && (!cut || back > cut)) cut = back;
  if (!cut) {
    strcpyMax(parent, parentSize, dir);
    return;
  }
  strncpyMax(parent, parentSize, dir, (int)(cut - dir));
  // The root folder keeps its separator, so "/Tilvane" splits into "/" and "Tilvane".
  if (!parent[0] && *dir == '/') strcpyMax(parent, parentSize, "/");
  strcpyMax(name, nameSize, cut + 1);
}

int dirBoxOK(void *dialog, const char *parentText, const char *nameText) {
  char folder[260], name[260];
  strcpyMax(folder, sizeof folder, parentText ? parentText : "");
  strcpyMax(name, sizeof name, nameText ? nameText : "");
  replaceChar(folder, '\\', '/');
  char path[1024];
  strcpyMax(path, sizeof path, folder);
  size_t n = strlen(path);
  if (n == 0 || path[n - 1] != '/') strcatMax(path, sizeof path, "/");
  strcatMax(path, sizeof path, name);
  if (strlen(path) > 1) stompLast(path, '/');
  strcpyMax(dataDir, sizeof dataDir, path);

  struct stat st;
  if (mystat(dataDir, &st) == 0) {
    if (!S_ISDIR(st.st_mode)) {
      char msg[512];
      sprintfMax(msg, sizeof msg,
                 "That path specifies a file, and not a new or existing folder name. Please "
                 "enter a folder name, such as %s for example.",
                 theManifest.folderName);
      platformMessageBox(dialog, msg, "Please Enter a Folder Name", MB_OK | MB_ICONWARNING);
      return 0;
    }
    int fl = (int)strlen(theManifest.folderName);
    int tl = (int)strlen(dataDir);
    if (tl < fl || strncmpNoCase(dataDir + tl - fl, theManifest.folderName, fl) != 0) {
      int a = platformMessageBox(
          dialog,
          "That folder already exists. The application can use it, but we do not recommend "
          "using a folder that is already being used for other purposes. Are you sure you want "
          "to use this directory?",
          "Write Data to Existing Folder?", MB_YESNO | MB_ICONQUESTION);
      if (a != IDYES) return 0;
    }
    return 1;
  }
  if (mkdir(dataDir, 0755) != 0) {
    platformMessageBox(dialog,
                       "That folder does not exist, and the application was not able to create "
                       "it. Most likely the parent folder does not exist or you have entered a "
                       "path the program does not have write access to.",
                       "Can't Create Directory", MB_OK | MB_ICONWARNING);
    return 0;
  }
  return 1;
}

int DirBox(void *parent) { return dirBoxHook ? dirBoxHook(parent) : 0; }

int setDataDir(void *parent) { return setDataDirBody(parent, 0); }

int setDataDirBody(void *parent, int flag) {
  char def[1024];
  char programFiles[1024];
  if (defaultDataParentGet(programFiles, sizeof programFiles)) {
    stompLast(programFiles, '\\');
    stompLast(programFiles, '/');
    sprintfMax(def, sizeof def, "%s/%s", programFiles, theManifest.folderName);
  } else {
    // No data home can be named: the shared data folder, else the home folder.
    sprintfMax(def, sizeof def, "/usr/local/share/%s", theManifest.folderName);
    if (godir(def, 0) != 0) {
      const char *h = homeFolder();
      char home[1024];
      strcpyMax(home, sizeof home, h ? h : "");
      stompLast(home, '/');
      sprintfMax(def, sizeof def, "%s/%s", home, theManifest.folderName);
    }
  }
  profileGetString("Options", "dataDir", def, dataDir, sizeof dataDir, theManifest.iniFileName);
  tidyDataDir();

  char windows[1024];
  configFolderGet(windows, sizeof windows);
  int firstPass = 1;
  for (;;) {
    if (strcmp(dataDir, windows) == 0) {
      platformMessageBox(parent,
                         "That directory is your settings directory. It is not safe to install "
                         "applications in the settings directory because it contains other "
                         "programs' important files. Please choose another location.",
                         "Can't Install to Settings Directory", MB_OK | MB_ICONWARNING);
    } else if (godir(dataDir, firstPass ? 0 : 1) == 0) {
      profileWriteString("Options", "dataDir", dataDir, theManifest.iniFileName);
      return 1;
    } else if (!firstPass) {
      platformMessageBox(parent,
                         "That directory does not exist and could not be created. Please enter "
                         "a valid location for a directory on your system.",
                         "Couldn't Access Directory", MB_OK | MB_ICONWARNING);
    }
    firstPass = 0;
    if (!DirBox(parent)) break;
    tidyDataDir();
  }
  platformMessageBox(parent,
                     "This program cannot operate without a data folder to store its files in. "
                     "The program will exit now. Please determine an appropriate folder name and "
                     "start the program again later.",
                     "Shutting Down", MB_OK | MB_ICONWARNING);
  return 0;
}
