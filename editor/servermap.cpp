// servermap.cpp: reading and writing NCSA and CERN map files, and the Import
// and Export commands. Owns no globals.
#include "editor/servermap.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/settings.h"
#include "editor/objects.h"
#include "platform/seams.h"
#include "editor/undo.h"
#include "editor/clientmap.h"
#include "html/document.h"
#include "html/pageio.h"
#include "platform/strhack.h"
#include "platform/platform.h"

namespace {

// The longest line a map file may have, without its line end: far above what
// a map holds (a polygon of a million points). Reading stops at a longer line.
const size_t mapLineMax = 16u << 20;

// Reads one line, ended by LF or the end of the file, without the LF and the
// run of CRs before it (a CR inside a line is left to separate words). False
// at the end of the input when nothing of a new line was read; *tooLong is set
// (and the line left incomplete) when the line has more than mapLineMax bytes.
bool readMapLine(FILE *f, std::string &line, bool *tooLong) {
  line.clear();
  *tooLong = false;
  int c = std::getc(f);
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    if (line.size() >= mapLineMax) {
      *tooLong = true;
      return true;
    }
    line += static_cast<char>(c);
    c = std::getc(f);
  }
  while (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// Opens a map file for reading when it is a regular file: a pipe would block
// the reader and a device may never end. The open does not wait, so a pipe
// without a writer is refused at once. Null otherwise; *notRegular is set when
// the file exists but is not a regular file.
FILE *openMapFile(const char *filename, bool *notRegular) {
  *notRegular = false;
  int fd = open(filename, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *notRegular = true;
    close(fd);
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  FILE *f = fdopen(fd, "rb");
  if (!f) close(fd);
  return f;
}

const char *const notRegularText =
    "That is not a map file. Tilvane reads map files only from ordinary files, not from "
    "folders, devices or pipes.";

void setString(char **field, const char *value) {
  myfreeImpl(*field);
  *field = value ? mystrdupImpl("object", value) : nullptr;
}

// The words of one line, taken in turn.
struct words {
  std::vector<std::string> list;
  size_t at = 0;
  bool next(std::string &w) {
    if (at >= list.size()) return false;
    w = list[at++];
    return true;
  }
};

// The comment lines before a hotspot as its alternative text: each line
// without the white space around it, the lines that hold anything joined by
// one space.
std::string joinedComment(const std::string &lines) {
  std::string out;
  size_t at = 0;
  while (at < lines.size()) {
    size_t end = lines.find('\n', at);
    if (end == std::string::npos) end = lines.size();
    size_t a = at, b = end;
    while (a < b && std::strchr(" \t\r\v\f", lines[a])) a++;
    while (b > a && std::strchr(" \t\r\v\f", lines[b - 1])) b--;
    if (b > a) {
      if (!out.empty()) out += ' ';
      out.append(lines, a, b - a);
    }
    at = end + 1;
  }
  return out;
}

void addPoint(object *o, double x, double y) {
  pointsEnsure(o, o->pointsTotal);
  o->points[o->pointsTotal++] = {x, y};
}

// Reads the rest of a hotspot line by the rules of its shape and syntax.
// Null on success, else the error text.
const char *readShape(object *o, words &w, bool cern) {
  std::string a, b, c, d;
  if (o->t == rectangle) {
    if (!cern) {
      if (!w.next(a)) return "No URL after rect";
      if (!numeric(a.c_str())) {
        setString(&o->url, a.c_str());
        if (!w.next(a)) return "No vertexes after rect";
      }
    } else if (!w.next(a)) {
      return "No vertexes after rect";
    }
    if (!w.next(b) || !w.next(c) || !w.next(d)) return "Data missing after rect";
    addPoint(o, mapNumber(a), mapNumber(b));
    addPoint(o, mapNumber(c), mapNumber(d));
    if (cern) setString(&o->url, w.next(a) ? a.c_str() : "");
    return nullptr;
  }
  if (o->t == circle) {
    if (!cern) {
      if (!w.next(a)) return "No URL after circle";
      if (!numeric(a.c_str())) {
        setString(&o->url, a.c_str());
        if (!w.next(a)) return "Data missing after circle";
      }
      if (!w.next(b)) return "Data missing after circle";
      if (!w.next(c)) return "Radius missing after circle";
      if (!w.next(d)) return "Data missing after circle";
      addPoint(o, mapNumber(a), mapNumber(b));
      addPoint(o, mapNumber(c), mapNumber(d));
      return nullptr;
    }
    if (!w.next(a) || !w.next(b)) return "Data missing after circle";
    if (!w.next(c)) return "Radius missing after circle";
    double cx = mapNumber(a), cy = mapNumber(b);
    addPoint(o, cx, cy);
    addPoint(o, cx, cy + mapNumber(c));
    setString(&o->url, w.next(a) ? a.c_str() : "");
    return nullptr;
  }
  // A polygon.
  if (!cern) {
    if (!w.next(a)) return "No URL after poly";
    bool haveX = true;
    if (!numeric(a.c_str())) {
      setString(&o->url, a.c_str());
      haveX = false;
    }
    for (;;) {
      if (!haveX && !w.next(a)) break;
      haveX = false;
      if (!w.next(b)) return "Y coordinate missing for vertex in poly";
      addPoint(o, mapNumber(a), mapNumber(b));
    }
    if (o->pointsTotal < 3) return "Poly with less than 3 vertexes";
    return nullptr;
  }
  for (;;) {
    if (!w.next(a)) {
      setString(&o->url, "");
      if (o->pointsTotal < 3) return "Poly with less than 3 vertexes";
      return nullptr;
    }
    if (!numeric(a.c_str())) {
      setString(&o->url, a.c_str());
      return nullptr;
    }
    if (!w.next(b)) return "Y coordinate missing for vertex in poly";
    addPoint(o, mapNumber(a), mapNumber(b));
  }
}

void writeNumberPair(FILE *out, const FPOINT &p, bool parens) {
  if (parens)
    std::fprintf(out, "(%d,%d) ", truncToInt(p.x), truncToInt(p.y));
  else
    std::fprintf(out, "%d,%d ", truncToInt(p.x), truncToInt(p.y));
}

// The hotspot table and what goes with it, set aside while an import runs.
struct savedMap {
  object *objects;
  int objectsTotal, objectsSpace;
  char *defaultUrl;
  char *trailingComments;
  int maptype, changed;
};

savedMap setAside(void) {
  savedMap s = {objects, objectsTotal, objectsSpace, defaultUrl, trailingComments, maptype, changed};
  objects = nullptr;
  objectsTotal = objectsSpace = 0;
  defaultUrl = nullptr;
  trailingComments = trailingComments ? mystrdupImpl("map", trailingComments) : nullptr;
  return s;
}

// Releases the current table and puts the saved one back (undo = true), or
// releases the saved one (undo = false).
void settle(savedMap &s, bool undo) {
  if (undo) {
    ReleaseObjects();
    myfreeImpl(trailingComments);
    objects = s.objects;
    objectsTotal = s.objectsTotal;
    objectsSpace = s.objectsSpace;
    defaultUrl = s.defaultUrl;
    trailingComments = s.trailingComments;
    maptype = s.maptype;
    changed = s.changed;
  } else {
    object *keep = objects;
    int total = objectsTotal, space = objectsSpace;
    char *url = defaultUrl;
    objects = s.objects;
    objectsTotal = s.objectsTotal;
    objectsSpace = s.objectsSpace;
    defaultUrl = s.defaultUrl;
    ReleaseObjects();
    objects = keep;
    objectsTotal = total;
    objectsSpace = space;
    defaultUrl = url;
    myfreeImpl(s.trailingComments);
  }
}

// Ends a reading that failed at a line: the file is closed, the hotspots read
// so far are dropped, and "Line N: WHAT" is shown. 0.
int readFailed(FILE *f, int lineNumber, const char *what) {
  std::fclose(f);
  for (int i = 0; i <= objectsTotal && i < objectsSpace; i++) objects[i].t = notype;
  objectsTotal = 0;
  char text[256];
  sprintfMax(text, sizeof text, "Line %d: %s", lineNumber, what);
  modalPopup(text, 0, nullptr, nullptr);
  return 0;
}

}  // namespace

int serverMapRead(const char *filename, int *opened) {
  if (opened) *opened = 0;
  ReleaseObjects();
  objectsSetup();
  if (!filename || !*filename) return 1;
  bool notRegular = false;
  FILE *f = openMapFile(filename, &notRegular);
  if (!f) {
    modalPopup(notRegular ? notRegularText
                          : "WARNING: Map file not found (or we don't have\npermission to open it).",
               0, nullptr, nullptr);
    return 1;
  }
  if (opened) *opened = 1;
  maptype = mapNCSA;
  std::string comments, line;
  int lineNumber = 0;
  bool tooLong = false;
  while (readMapLine(f, line, &tooLong)) {
    lineNumber++;
    if (tooLong) return readFailed(f, lineNumber, "Line longer than 16 MB");
    if (line.empty()) continue;
    if (line[0] == '#') {
      comments.append(line, 1, std::string::npos);
      comments += "\r\n";
      continue;
    }
    if (line.find('(') != std::string::npos) maptype = mapCERN;
    words w;
    w.list = mapTokens(line);
    std::string first;
    if (!w.next(first)) continue;
    if (htmlBeginsWith(first.c_str(), "def")) {
      std::string url;
      setString(&defaultUrl, w.next(url) ? url.c_str() : nullptr);
      continue;
    }
    int shape = htmlBeginsWith(first.c_str(), "rect")   ? rectangle
                : htmlBeginsWith(first.c_str(), "circ") ? circle
                : htmlBeginsWith(first.c_str(), "poly") ? polygon
                                                        : notype;
    if (shape == notype) continue;
    objectsEnsure(objectsTotal);
    object *o = &objects[objectsTotal];
    o->t = shape;
    o->complete = 0;
    o->pointsTotal = 0;
    setString(&o->comments, joinedComment(comments).c_str());
    comments.clear();
    const char *error = readShape(o, w, maptype == mapCERN);
    if (error) return readFailed(f, lineNumber, error);
    o->complete = 1;
    objectsTotal++;
    objectsEnsure(objectsTotal);
  }
  objectsEnsure(objectsTotal);
  setString(&trailingComments, comments.c_str());
  std::fclose(f);
  return 1;
}

int LoadServerMap(const char *filename) { return serverMapRead(filename, nullptr); }

int serverMapImport(const char *filename) {
  // The map the import replaces comes back with one Undo.
  undoStruct *undoRecord = undoMapTake(undoImported);
  // The map element's own attributes and the areas kept from the page are not
  // hotspots: the import leaves them as they are.
  char *attributes = mapAttributes, *id = mapId;
  std::vector<keptArea> kept;
  kept.swap(keptAreas);
  mapAttributes = mapId = nullptr;
  savedMap before = setAside();
  int opened = 0;
  int ok = serverMapRead(filename, &opened);
  settle(before, ok && opened ? false : true);
  mapAttributes = attributes;
  mapId = id;
  keptAreas.swap(kept);
  if (!ok || !opened) {
    undoMapDrop(undoRecord);
    return 0;
  }
  undoMapKeep(undoRecord);
  lastObjectSelected = -1;
  pointsDeselect(&psel);
  changed = 1;
  return 1;
}

void WriteServerMap(FILE *out, int kind) {
  if (!out) return;
  bool cern = kind == mapCERN;
  for (int i = 0; i < objectsTotal; i++) {
    object *o = &objects[i];
    const char *keyword = o->t == polygon ? "poly " : o->t == circle ? "circle " : o->t == rectangle ? "rect " : nullptr;
    if (!keyword) continue;
    if (!cern) writeComments(out, o->comments, mapNCSA);
    std::fputs(keyword, out);
    orderRectangle(o);
    if (!cern) {
      if (o->url)
        std::fprintf(out, "%s ", o->url);
      else
        std::fputs("NOURL ", out);
    }
    for (int k = 0; k < o->pointsTotal; k++) {
      if (cern && o->t == circle && k == 1) {
        std::fprintf(out, "%d ", objectRadius(o));
        break;
      }
      writeNumberPair(out, o->points[k], cern);
    }
    if (cern) std::fputs(o->url ? o->url : "NOURL", out);
    std::fputs("\r\n", out);
  }
  if (defaultUrl && *defaultUrl) std::fprintf(out, "default %s\r\n", defaultUrl);
  if (!cern) writeComments(out, trailingComments, mapNCSA);
}

int mapTypeBoxAccept(int cern) {
  int chosen = cern ? mapCERN : mapNCSA;
  if (serverMapType != chosen) {
    serverMapType = chosen;
    settingsSave();
  }
  return 1;
}

int mapTypeChoose(void) {
  static const char *const options[] = {"NCSA Format (Apache)", "CERN Format (IIS)"};
  int selected = serverMapType == mapCERN ? 1 : 0;
  if (!platform->choose(nullptr, "Server Side Map Type",
                        "What type of server side imagemap would you like to export? Most servers "
                        "expect NCSA format. A few servers, including Microsoft IIS, expect CERN "
                        "format.",
                        options, 2, &selected))
    return 0;
  return mapTypeBoxAccept(selected == 1 ? 1 : 0);
}

void Import(void) {
  if (changed &&
      platformMessageBox(nullptr,
                         "Importing an imagemap will replace the hotspots you have already placed. "
                         "Is that OK?",
                         "Overwrite Hotspots?", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  platformMessageBox(nullptr,
                     "Please select the old-style server side imagemap you want to import into "
                     "this document using the file selection dialog box that follows.",
                     "Please Locate the Server Side Imagemap", MB_OK | MB_ICONWARNING);
  static const platformFileFilter filters[] = {{"Server Side Map File (*.MAP)", "*.map"},
                                               {"All Files (*.*)", "*"}};
  char file[1024];
  if (!platform->openFileDialog(nullptr, "Open", filters, 2, nullptr,
                                PLATFORM_FILE_MUST_EXIST | PLATFORM_PATH_MUST_EXIST, file, sizeof file))
    return;
  serverMapImport(file);
  repaint(0);
  sensitivity(1);
}

void Export(void) {
  static const platformFileFilter filters[] = {{"Server Side Imagemaps (*.MAP)", "*.map"}};
  char file[1024];
  // A name typed without an extension gets ".map".
  if (!platform->saveFileDialog(nullptr, "Save As", filters, 1, nullptr, "map",
                                PLATFORM_PATH_MUST_EXIST, file, sizeof file))
    return;
  if (!(seams.mapTypeBox ? MapTypeBox() : mapTypeChoose())) return;
  struct stat st;
  bool exists = stat(file, &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    // A folder, device or pipe is never replaced by a map file.
    platformMessageBox(nullptr,
                       "Tilvane could not write to that file. It may be in use, it may be an "
                       "invalid path specification, or it may be a read-only file or drive.",
                       "Can't Write to File", MB_OK | MB_ICONWARNING);
    return;
  }
  if (exists &&
      platformMessageBox(nullptr, "That file already exists. Are you sure you want to overwrite it?",
                         "File Already Exists", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  char *data = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&data, &size);
  if (!mem) {
    LowMemory();
    return;
  }
  WriteServerMap(mem, serverMapType == mapCERN ? mapCERN : mapNCSA);
  std::fclose(mem);
  char reason[256];
  if (!pageSaveFile(file, data, size, 0, nullptr, reason, sizeof reason))
    platformMessageBox(nullptr,
                       "Tilvane could not write to that file. It may be in use, it may be an "
                       "invalid path specification, or it may be a read-only file or drive.",
                       "Can't Write to File", MB_OK | MB_ICONWARNING);
  std::free(data);
}
