// dialogfolder.cpp: the start folder of file dialogs and the last folder used.
#include "workflow/dialogfolder.h"

#include <QStandardPaths>
#include <QString>

#include <cstdlib>
#include <cstring>

#include "platform/folders.h"
#include "workflow/profile.h"
#include "html/document.h"
#include "platform/strhack.h"
#include "platform/platform.h"

namespace {

// The folder part of path ("" when it has none).
void folderOf(const char *path, char *out, int size) {
  strcpyMax(out, size, path ? path : "");
  char *slash = std::strrchr(out, '/');
  if (!slash)
    out[0] = 0;
  else if (slash == out)
    out[1] = 0;
  else
    *slash = 0;
}

}  // namespace

void dialogStartFolder(char *out, int size) {
  if (!out || size <= 0) return;
  out[0] = 0;
  // The open page, or for a page not saved yet its picture.
  const char *page = mapfilename && *mapfilename ? mapfilename : imagefilename;
  if (page && page[0] == '/') {
    folderOf(page, out, size);
    if (out[0] && fileIsDirectory(out)) return;
  }
  char last[1024];
  profileGetString("Options", "lastFolder", "", last, sizeof last, theManifest.iniFileName);
  if (last[0] == '/' && fileIsDirectory(last)) {
    strcpyMax(out, size, last);
    return;
  }
  const QByteArray documents =
      QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toLocal8Bit();
  if (!documents.isEmpty() && fileIsDirectory(documents.constData())) {
    strcpyMax(out, size, documents.constData());
    return;
  }
  const char *home = std::getenv("HOME");
  strcpyMax(out, size, home && fileIsDirectory(home) ? home : "");
}

void dialogFolderUsed(const char *path) {
  if (!path || path[0] != '/') return;
  char folder[1024];
  if (fileIsDirectory(path))
    strcpyMax(folder, sizeof folder, path);
  else
    folderOf(path, folder, sizeof folder);
  if (!folder[0] || !fileIsDirectory(folder)) return;
  char old[1024];
  profileGetString("Options", "lastFolder", "", old, sizeof old, theManifest.iniFileName);
  if (std::strcmp(old, folder) != 0)
    profileWriteString("Options", "lastFolder", folder, theManifest.iniFileName);
}

void dialogFolderInstall(void) {
  platformDialogStartHook = dialogStartFolder;
  platformDialogUsedHook = dialogFolderUsed;
}
