// recent.cpp: the recent documents. Owns recentFileMenuHook, recentFileDocument.
#include "workflow/recent.h"

#include <sys/stat.h>

#include <cstring>
#include <string>

#include "html/document.h"
#include "platform/folders.h"
#include "platform/platform.h"
#include "platform/settings.h"
#include "platform/strhack.h"
#include "workflow/dialogfolder.h"
#include "workflow/profile.h"

void (*recentFileMenuHook)(int count, const int *ids, const char *const *labels) = nullptr;
recentFileCalls recentFileDocument;

namespace {

const char recentSection[] = "recentfiles";

}  // namespace

void recentFileGet(int i, char *out, int size) {
  if (!out || size <= 0) return;
  out[0] = 0;
  if (i < 0 || i > 8) return;
  char key[16];
  sprintfMax(key, sizeof key, "file-%d", i);
  profileGetString(recentSection, key, "", out, size, theManifest.iniFileName);
}

void recentFileAdd(const char *path) {
  if (!path || !*path || strlen(path) >= 1024) return;
  dialogFolderUsed(path);  // file dialogs of every process start here next
  std::string entries[9];
  for (int k = 0; k < 9; k++) {
    char v[1024];
    recentFileGet(k, v, sizeof v);
    entries[k] = v;
  }
  int i = 8;
  for (int k = 0; k < 9; k++) {
    if (entries[k] == path) {
      i = k;
      break;
    }
  }
  for (int k = i; k >= 1; k--) entries[k] = entries[k - 1];
  entries[0] = path;
  char keyText[9][16];
  const char *keys[9];
  const char *values[9];
  for (int k = 0; k < 9; k++) {
    sprintfMax(keyText[k], sizeof keyText[k], "file-%d", k);
    keys[k] = keyText[k];
    values[k] = entries[k].c_str();
  }
  profileWriteStrings(recentSection, keys, values, 9, theManifest.iniFileName);
  recentFileMenuUpdate();
}

void recentFileLabel(int i, const char *path, char *out, int size) {
  if (!out || size <= 0) return;
  if (!path) path = "";
  // Length and cut in characters: UTF-8 continuation bytes do not count.
  int chars = 0;
  for (const char *p = path; *p; p++)
    if (((unsigned char)*p & 0xC0) != 0x80) chars++;
  const char *tail = path;
  if (chars > 35) {
    tail = path + strlen(path);
    int taken = 0;
    while (tail > path && taken < 31) {
      tail--;
      if (((unsigned char)*tail & 0xC0) != 0x80) taken++;
    }
  }
  // A "&" of the path is doubled so that the menu shows it instead of taking
  // it as the mark of a shortcut letter.
  std::string shown;
  for (const char *p = tail; *p; p++) {
    if (*p == '&') shown += '&';
    shown += *p;
  }
  sprintfMax(out, size, chars > 35 ? "&%d ... %s" : "&%d %s", (i + 1) % 10, shown.c_str());
}

void recentFileMenuUpdate(void) {
  char labels[9][1100];
  const char *labelPtrs[9];
  int ids[9];
  int count = 0;
  for (int i = 0; i < 9; i++) {
    char path[1024];
    recentFileGet(i, path, sizeof path);
    if (!path[0]) continue;
    recentFileLabel(i, path, labels[count], sizeof labels[count]);
    labelPtrs[count] = labels[count];
    ids[count] = 2600 + i;
    count++;
  }
  if (recentFileMenuHook) recentFileMenuHook(count, ids, labelPtrs);
}

namespace {

int isImageName(const char *name) {
  if (recentFileDocument.filenameIsImage) return recentFileDocument.filenameIsImage(name);
  static const char *const tails[] = {"gif", "jpg",  "jpe",  "jpeg", "bmp",
                                      "png", "webp", "avif", "svg",  "svgz"};
  int n = (int)strlen(name);
  for (const char *t : tails) {
    int m = (int)strlen(t);
    if (n >= m && strncmpNoCase(name + n - m, t, m) == 0) return 1;
  }
  return 0;
}

}  // namespace

namespace {

// Opens path, the open document already closed: a picture as a new page, else
// a page with its map and picture.
void openFile(const char *path) {
  if (isImageName(path)) {
    if (recentFileDocument.newDocument) recentFileDocument.newDocument(path, nullptr, nullptr);
    return;
  }
  maptype = mapClient;
  if (recentFileDocument.openHtmlDocument && recentFileDocument.openHtmlDocument(path, nullptr)) {
    if (recentFileDocument.open) recentFileDocument.open(imagefilename, path, nullptr);
  } else {
    platformMessageBox(nullptr, "That file is not a valid HTML document.",
                       "Cannot Open HTML Document", MB_OK | MB_ICONWARNING);
  }
}

}  // namespace

int recentFileWmCommand(int command) {
  if (command < 2600 || command > 2608) return 0;
  if (recentFileDocument.close && !recentFileDocument.close(0)) return 1;
  char path[1024];
  recentFileGet(command - 2600, path, sizeof path);
  if (!path[0]) return 1;
  openFile(path);
  return 1;
}

int droppedFileKind(const char *path) {
  if (!path || path[0] != '/' || strlen(path) >= 1024) return droppedRefused;
  struct stat st;
  if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return droppedRefused;
  if (isImageName(path)) return droppedPicture;
  static const char *const pages[] = {".htm", ".html", ".xhtml", ".xht", ".shtml",
                                      ".php", ".asp",  ".aspx",  ".jsp", ".cfm"};
  const char *dot = strrchr(path, '.');
  if (dot && !strchr(dot, '/'))
    for (const char *p : pages)
      if (strlen(dot) == strlen(p) && strncmpNoCase(dot, p, (int)strlen(p)) == 0) return droppedPage;
  return droppedRefused;
}

int documentOpenDropped(const char *path) {
  if (droppedFileKind(path) == droppedRefused) return 0;
  if (recentFileDocument.close && !recentFileDocument.close(0)) return 1;
  openFile(path);
  return 1;
}

