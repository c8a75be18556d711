// clipboard.cpp: Cut, Copy and Paste of hotspots as <area> markup on the system
// clipboard, and the deletion of the selection.
#include "editor/clipboard.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>

#include "platform/folders.h"
#include "editor/editops.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/clientmap.h"
#include "html/document.h"
#include "html/html.h"
#include "platform/strhack.h"
#include "platform/platform.h"

namespace {

// The selected hotspots' area lines with the platform's text line ends: CR LF
// on Windows, LF elsewhere (a CR there shows as ^M in editors and terminals).
std::string selectionMarkup(void) {
  char *data = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&data, &size);
  if (!mem) return std::string();
  WriteClientAreaTags(mem, 1);
  std::fclose(mem);
  std::string text;
  text.reserve(size + size / 16);
  for (size_t i = 0; i < size; i++) {
#ifdef _WIN32
    if (data[i] == '\n' && (i == 0 || data[i - 1] != '\r')) text += '\r';
#else
    if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') continue;
#endif
    text += data[i];
  }
  std::free(data);
  return text;
}

// Counts the parse errors of a pasted fragment instead of showing them.
int pasteErrors = 0;
void countPasteError(htmlPtr, const char *) { pasteErrors++; }

int sameText(const char *a, const char *b) {
  if (!a || !b) return a == b;
  return std::strcmp(a, b) == 0;
}

}  // namespace

long long myGetFileSize(const char *name) {
  if (!name) return -1;
  struct stat st;
  if (stat(name, &st) != 0) return -1;
  return static_cast<long long>(st.st_size);
}

void clipboardDestroy(void) {}

int clipboardSaveSelection(void) {
  char folder[1024], path[1024];
  applicationGetTempDir(folder, sizeof folder);
  sprintfMax(path, sizeof path, "%s/clipboard.htm", folder);
  FILE *f = std::fopen(path, "wbe");
  if (!f) {
    platformMessageBox(nullptr, path, "Can't Create Temporary File", MB_OK | MB_ICONWARNING);
    return 0;
  }
  const std::string text = selectionMarkup();
  bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0) written = false;
  if (!written) {
    platformMessageBox(nullptr, path, "Can't Create Temporary File", MB_OK | MB_ICONWARNING);
    return 0;
  }
  return platform->clipboardSetText(text.c_str()) ? 1 : 0;
}

void selectionDelete(void) {
  int deleted = 0;
  for (;;) {
    int first = -1;
    for (int i = 0; objects && i < objectsTotal; i++)
      if (objects[i].selected) {
        first = i;
        break;
      }
    if (first < 0) break;
    const int before = objectsTotal;
    lastObjectSelected = first;
    UrlDelete(0);
    if (objectsTotal >= before) break;
    deleted = 1;
  }
  if (deleted) undoSaveMarkLast();
}

int pasteAreaText(const char *text) {
  if (!text) return 0;
  htmlPtr fragment = nullptr;
  if (htmlCreate(&fragment) != htmlSuccess || !fragment) {
    LowMemory();
    return 0;
  }
  htmlIgnoreComments(fragment, 0);
  htmlIgnoreScripts(fragment, 0);
  fragment->LogError = countPasteError;
  pasteErrors = 0;
  bool ok = htmlAppendString(fragment, text) == htmlSuccess && htmlFlushText(fragment) == htmlSuccess;
  if (!ok || pasteErrors) {
    htmlDestroy(fragment);
    platformMessageBox(nullptr, "Bad HTML on clipboard.", "Paste Failed", MB_OK | MB_ICONWARNING);
    return 0;
  }
  if (!objects) objectsSetup();
  const std::string oldDefault = defaultUrl ? defaultUrl : "";
  const bool hadDefault = defaultUrl != nullptr;
  // The map as it was: the paste is one undo step when it changes anything.
  undoStruct *before = undoMapTake(undoPasted);
  int added = 0;
  areaReadingBegin();
  for (htmlTagPtr t = fragment->first; t; t = t->n) {
    if (!t->name || !htmlEq(t->name, "area")) continue;
    if (areaToObject(t)) {
      objects[objectsTotal - 1].selected = 1;
      lastObjectSelected = objectsTotal - 1;
      pointsDeselect(&psel);
      added++;
    }
  }
  areaReadingEnd();
  htmlDestroy(fragment);
  if (added) pasteOffsetFromExisting(objectsTotal - added);
  const bool defaultChanged = hadDefault != (defaultUrl != nullptr) ||
                              (defaultUrl && !sameText(defaultUrl, oldDefault.c_str()));
  if (added || defaultChanged) {
    undoMapKeep(before);
    changed = 1;
  } else {
    undoMapDrop(before);
  }
  return added;
}

namespace {

// Whether hotspot a lies exactly where b does, as the page would write them.
bool samePlace(const object *a, const object *b) {
  if (a->t != b->t) return false;
  char ta[4096], tb[4096];
  urlCoordsText(a, ta, sizeof ta);
  urlCoordsText(b, tb, sizeof tb);
  return std::strcmp(ta, tb) == 0;
}

// Whether any hotspot from first on lies exactly on one before it.
bool landsOnExisting(int first) {
  for (int i = first; i < objectsTotal; i++)
    for (int k = 0; k < first; k++)
      if (samePlace(&objects[i], &objects[k])) return true;
  return false;
}

}  // namespace

int pasteOffsetFromExisting(int first) {
  if (!objects || first < 0 || first >= objectsTotal) return 0;
  int steps = 0;
  // Each step moves the group off every place it has been; the map holds
  // fewer places than steps can be taken.
  while (landsOnExisting(first) && steps <= objectsTotal) {
    for (int i = first; i < objectsTotal; i++) objectNudge(&objects[i], 10, 10);
    steps++;
  }
  return steps;
}

int Duplicate(void) {
  if (!objects || objectsSelected() == 0) return 0;
  undoStruct *before = undoMapTake(undoPasted);
  const int first = objectsTotal, count = objectsTotal;
  for (int i = 0; i < count; i++) {
    if (!objects[i].selected) continue;
    // A deep copy first: inserting may move the table.
    object copy;
    objectDataCopy(&copy, &objects[i]);
    objects[i].selected = 0;
    copy.selected = 1;
    objectInsertCopy(objectsTotal, &copy);
    objectDataFree(&copy);
  }
  for (int i = first; i < objectsTotal; i++) objectNudge(&objects[i], 10, 10);
  pasteOffsetFromExisting(first);
  lastObjectSelected = objectsTotal - 1;
  pointsDeselect(&psel);
  undoMapKeep(before);
  changed = 1;
  sensitivity(1);
  repaint(0);
  return objectsTotal - first;
}

int getSystemClipboard(void) {
  if (!platform->clipboardHasText()) return 0;
  char *text = platform->clipboardGetText();
  if (!text) return 0;
  int added = pasteAreaText(text);
  std::free(text);
  return added;
}

void Copy(void) {
  clipboardSaveSelection();
  sensitivity(1);
  repaint(0);
}

void Cut(void) {
  // With nothing selected there is nothing to cut, and the clipboard keeps
  // what it holds.
  if (objectsSelected() == 0) return;
  // Hotspots that did not reach the clipboard are kept.
  if (clipboardSaveSelection()) selectionDelete();
  sensitivity(1);
  repaint(0);
}

void Paste(void) {
  ObjectUnselect();
  // Only the pasted hotspots end up selected.
  for (int i = 0; objects && i < objectsTotal; i++) objects[i].selected = 0;
  getSystemClipboard();
  sensitivity(1);
  repaint(0);
}
