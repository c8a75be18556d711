// props.cpp: what the properties dialogs do with their texts: confirming,
// cancelling and deleting a hotspot, the default link, "Same As Previous",
// the relative link of "Browse Files...", and the default link drawn as a
// rectangle over the whole picture. Owns urlIsVisible and defaultCreating.
#include "editor/props.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/settings.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "platform/cgiutil.h"
#include "html/document.h"
#include "platform/strhack.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

int urlIsVisible = 0;
int defaultCreating = 0;

void Url(int index, int show) {
  urlIsVisible = 0;
  if (state != editing && defeatUrlDialog) {
    UrlOK("", "", "", "", "", "", "");
    return;
  }
  urlIsVisible = 1;
  // A new hotspot is the one under construction (the magic wand marks its
  // traced polygon complete before the dialog opens) or an uncounted one.
  const bool isNew = objects && index >= 0 && index < objectsSpace &&
                     (index >= objectsTotal || !objects[index].complete);
  if (isNew) FirstHint(5, nullptr);
  if (seams.url) seams.url(index, show);
}

int urlSameAsPreviousEnabled(int index) {
  if (!objects || index < 0 || index >= objectsSpace) return 0;
  if (index < objectsTotal && objects[index].complete) return 0;
  return objectsTotal >= 1 && state != editing;
}

namespace {

void setText(char **field, const char *text) {
  myfreeImpl(*field);
  *field = mystrdupImpl("url", text ? text : "");
}

void setTexts(object *o, const char *url, const char *alt, const char *title, const char *target,
              const char *onMouseOver, const char *onMouseOut, const char *onClick) {
  char *escaped = EscapeURL(url ? url : "");
  if (!escaped) {
    LowMemory();
    escaped = mystrdupImpl("url", "");
  }
  myfreeImpl(o->url);
  o->url = escaped;
  setText(&o->comments, alt);
  setText(&o->title, title);
  setText(&o->target, target);
  setText(&o->onMouseOver, onMouseOver);
  setText(&o->onMouseOut, onMouseOut);
  setText(&o->onClick, onClick);
}

// The waiting state of each tool once its new hotspot is confirmed, and the
// state it steps back to when the dialog is cancelled.
int confirmedState(int s) {
  switch (s) {
    case polyUrl: return polyPosition;
    case circleUrl: return circlePosition;
    case rectUrl: return rectPosition;
    case magicwandUrl: return magicwandPosition;
    default: return -1;
  }
}

int cancelledState(int s) {
  switch (s) {
    case polyUrl: return polyAddpoints;
    case circleUrl: return circleDrag;
    case rectUrl: return rectDrag;
    case magicwandUrl: return magicwandPosition;
    default: return -1;
  }
}

}  // namespace

void UrlOK(const char *url, const char *alt, const char *title, const char *target,
           const char *onMouseOver, const char *onMouseOut, const char *onClick) {
  const int next = confirmedState(state);
  if (next >= 0) {
    if (!objects) objectsSetup();
    objectsEnsure(objectsTotal + 1);  // the spare record behind the new hotspot
    if (urlIsVisible) undoSave(undoAdded, objectsTotal);
    object *o = &objects[objectsTotal];
    setTexts(o, url, alt, title, target, onMouseOver, onMouseOut, onClick);
    // A new hotspot has no attributes beyond those of the dialog.
    myfreeImpl(o->otherAttributes);
    o->otherAttributes = nullptr;
    o->complete = 1;
    objectsTotal++;
    objectsEnsure(objectsTotal);
    changed = 1;
    repaint(0);
    state = next;
  } else if (state == editing) {
    if (!currentObject()) return;
    undoSave(undoChanged, lastObjectSelected);
    setTexts(currentObject(), url, alt, title, target, onMouseOver, onMouseOut, onClick);
    changed = 1;
    hotspotsChanged();
  }
}

// --- the coordinates field ---------------------------------------------------

namespace {

const char coordsTitle[] = "Invalid Coordinates";
const char coordsNotNumbers[] = "The coordinates must be whole numbers separated by commas.";
const char coordsRectangle[] = "A rectangle needs exactly four numbers: x1,y1,x2,y2.";
const char coordsCircle[] = "A circle needs exactly three numbers: cx,cy,r.";
const char coordsPolygon[] =
    "A polygon needs an x and a y for each of at least three points: x1,y1,x2,y2,x3,y3 and so on.";
const char coordsRadius[] = "The radius of a circle cannot be below 0.";

// The whole numbers of text, comma separated; false when a word is no number.
bool coordsNumbers(const char *text, std::vector<long> *out) {
  out->clear();
  const char *p = text ? text : "";
  auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (space(*p)) p++;
  if (!*p) return true;
  for (;;) {
    while (space(*p)) p++;
    const char *start = p;
    if (*p == '-' || *p == '+') p++;
    const char *digits = p;
    while (*p >= '0' && *p <= '9') p++;
    // At most nine digits: every value stays far inside an int.
    if (p == digits || p - digits > 9) return false;
    out->push_back(std::strtol(start, nullptr, 10));
    while (space(*p)) p++;
    if (!*p) return true;
    if (*p != ',') return false;
    p++;
  }
}

// The hotspot the dialog's OK confirms or changes, and its index afterwards.
object *coordsTarget(int *indexP) {
  if (!objects) return nullptr;
  if (state == editing) {
    *indexP = lastObjectSelected;
    return currentObject();
  }
  if (confirmedState(state) < 0) return nullptr;
  *indexP = objectsTotal;
  return &objects[objectsTotal];
}

}  // namespace

const char *urlCoordsForm(int t) {
  switch (t) {
    case rectangle: return "x1,y1,x2,y2";
    case circle: return "cx,cy,r";
    case polygon: return "x1,y1,x2,y2,...";
    default: return "";
  }
}

void urlCoordsText(const object *o, char *out, int size) {
  if (!out || size <= 0) return;
  out[0] = 0;
  if (!o || !o->points) return;
  char word[40];
  if (o->t == rectangle && o->pointsTotal >= 2) {
    const FPOINT &a = o->points[0], &b = o->points[1];
    sprintfMax(out, size, "%d,%d,%d,%d", truncToInt(a.x < b.x ? a.x : b.x), truncToInt(a.y < b.y ? a.y : b.y),
               truncToInt(a.x < b.x ? b.x : a.x), truncToInt(a.y < b.y ? b.y : a.y));
  } else if (o->t == circle && o->pointsTotal >= 2) {
    sprintfMax(out, size, "%d,%d,%d", truncToInt(o->points[0].x), truncToInt(o->points[0].y), objectRadius(o));
  } else if (o->t == polygon) {
    for (int k = 0; k < o->pointsTotal; k++) {
      sprintfMax(word, sizeof word, "%s%d,%d", k ? "," : "", truncToInt(o->points[k].x), truncToInt(o->points[k].y));
      strcatMax(out, size, word);
    }
  }
}

const char *urlCoordsParse(int t, const char *text, std::vector<FPOINT> *points) {
  points->clear();
  std::vector<long> n;
  if (!coordsNumbers(text, &n)) return coordsNotNumbers;
  const size_t count = n.size();
  switch (t) {
    case rectangle:
      if (count != 4) return coordsRectangle;
      *points = {{double(n[0]), double(n[1])}, {double(n[2]), double(n[3])}};
      return nullptr;
    case circle:
      if (count != 3) return coordsCircle;
      if (n[2] < 0) return coordsRadius;
      *points = {{double(n[0]), double(n[1])}, {double(n[0] + n[2]), double(n[1])}};
      return nullptr;
    case polygon:
      if (count < 6 || count % 2) return coordsPolygon;
      for (size_t k = 0; k < count; k += 2) points->push_back({double(n[k]), double(n[k + 1])});
      return nullptr;
    default:
      return coordsNotNumbers;
  }
}

int UrlOKCoords(const char *coords, const char *url, const char *alt, const char *title, const char *target,
                const char *onMouseOver, const char *onMouseOut, const char *onClick) {
  int index = -1;
  const object *o = coordsTarget(&index);
  std::vector<FPOINT> points;
  bool apply = false;
  if (o && coords) {
    char now[4096];
    urlCoordsText(o, now, sizeof now);
    std::vector<FPOINT> had;
    urlCoordsParse(o->t, now, &had);
    if (const char *message = urlCoordsParse(o->t, coords, &points)) {
      platformMessageBox(nullptr, message, coordsTitle, MB_OK | MB_ICONWARNING);
      return 0;
    }
    // The same numbers leave the points as they are, fractions and all.
    apply = points.size() != had.size();
    for (size_t k = 0; !apply && k < points.size(); k++)
      apply = points[k].x != had[k].x || points[k].y != had[k].y;
  }
  UrlOK(url, alt, title, target, onMouseOver, onMouseOut, onClick);
  if (!apply || !objects || index < 0 || index >= objectsTotal) return 1;
  object *changedObject = &objects[index];
  pointsEnsure(changedObject, static_cast<int>(points.size()));
  for (size_t k = 0; k < points.size(); k++) changedObject->points[k] = points[k];
  changedObject->pointsTotal = static_cast<int>(points.size());
  if (state == editing) pointsDeselect(&psel);
  changed = 1;
  repaint(0);
  return 1;
}

void UrlCancel(void) {
  UrlDismiss();
  const int back = cancelledState(state);
  if (back >= 0) {
    state = back;
    Button3Down();
  }
}

void UrlDelete(int last) {
  if (!currentObject()) return;
  undoSaveEx(undoDeleted, lastObjectSelected, last);
  objectRemove(lastObjectSelected);
  lastObjectSelected = -1;
  pointsDeselect(&psel);
  changed = 1;
}

void UrlDismiss(void) {
  urlIsVisible = 0;
  if (seams.urlDismiss) seams.urlDismiss();
}

void UrlDismissWithUndo(void) {
  if (currentObject() && urlIsVisible) undoSave(undoChanged, lastObjectSelected);
  UrlDefaultDismiss();
  UrlDismiss();
}

void UrlDefaultOK(const char *text) {
  undoSave(undoDefaultUrl, objectsTotal);
  myfreeImpl(defaultUrl);
  defaultUrl = text && text[0] ? mystrdupImpl("defaultUrl", text) : nullptr;
  UrlDefaultDismiss();
  changed = 1;
}

void UrlDefaultDelete(void) {
  if (defaultUrl) {
    myfreeImpl(defaultUrl);
    defaultUrl = nullptr;
    changed = 1;
  }
  UrlDefaultDismiss();
}

// --- the relative link of "Browse Files..." -------------------------------

namespace {

// The root of a parsed address: a "\\server" share or a "X:" drive, from the
// site part when it has one, else from the start of the path.
void urlRoot(const wfileInfo &info, char *out, int size) {
  const char *s = info.site[0] ? info.site : info.path;
  out[0] = 0;
  if ((s[0] == '\\' && s[1] == '\\') || (!info.site[0] && s[0] == '/' && s[1] == '/')) {
    int n = 2;
    while (s[n] && s[n] != '\\' && s[n] != '/') n++;
    strncpyMax(out, size, s, n);
  } else if (s[0] && s[1] == ':') {
    strncpyMax(out, size, s, 2);
  } else if (info.site[0]) {
    strcpyMax(out, size, s);
  }
}

int sameNoCase(const char *a, const char *b) {
  for (;; a++, b++) {
    if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b)))
      return 0;
    if (!*a) return 1;
  }
}

}  // namespace

int urlRelativeLink(const char *pagePath, const char *filePath, char *out, int size) {
  if (!out || size <= 0) return 0;
  out[0] = 0;
  if (!filePath || !filePath[0]) return 0;
  // Both are parsed on their own, resolved against nothing but themselves.
  static wfileInfo page, file;
  std::memset(&page, 0, sizeof page);
  std::memset(&file, 0, sizeof file);
  if (wfileParseUrl(filePath, &file) != 0) return 0;
  if (!pagePath || wfileParseUrl(pagePath, &page) != 0) {
    strcpyMax(out, size, file.path);
    return 1;
  }
  char pageRoot[1024], fileRoot[1024];
  urlRoot(page, pageRoot, sizeof pageRoot);
  urlRoot(file, fileRoot, sizeof fileRoot);
  if (!sameNoCase(pageRoot, fileRoot)) {
    strcpyMax(out, size, file.path);
    if (fileRoot[0] && fileRoot[1] == ':') replaceChar(out, '\\', '/');
    return 1;
  }
  // Paths with a drive letter come back in their native form, with backslashes
  // and the letter in either case; the link itself always uses "/".
  const char *a = page.path, *b = file.path;
  const bool drive = pageRoot[0] && pageRoot[1] == ':';
  auto isSep = [drive](char c) { return c == '/' || (drive && c == '\\'); };
  auto same = [drive](const char *x, const char *y, int i) {
    if (drive && i < 2) return std::toupper(static_cast<unsigned char>(x[i])) == std::toupper(static_cast<unsigned char>(y[i]));
    return x[i] == y[i];
  };
  int common = -1;
  for (int i = 0; a[i] && b[i] && same(a, b, i); i++)
    if (isSep(a[i]) && isSep(b[i])) common = i;
  for (const char *p = a + common + 1; *p; p++)
    if (isSep(*p)) strcatMax(out, size, "../");
  const int start = static_cast<int>(std::strlen(out));
  strcatMax(out, size, b + common + 1);
  if (drive)
    for (char *p = out + start; *p; p++)
      if (*p == '\\') *p = '/';
  return 1;
}

int UrlBrowseFiles(char *url, int size) {
  FirstHint(10, nullptr);
  static const platformFileFilter filter = {
      "HTML, PHP, Cold Fusion and ASP Pages (*.HTM;*.HTML;*.SHTM;*.SHTML;*.ASP;*.ASPX;*.PHP;*.CFM)",
      "*.htm;*.html;*.shtm;*.shtml;*.asp;*.php;*.cfm;*.aspx"};
  char chosen[256];
  chosen[0] = 0;
  if (!platform->openFileDialog(nullptr, nullptr, &filter, 1, nullptr, PLATFORM_FILE_MUST_EXIST, chosen,
                                sizeof chosen))
    return 0;
  char link[1024];
  if (!urlRelativeLink(mapfilename, chosen, link, sizeof link)) return 0;
  strcpyMax(url, size, link);
  return 1;
}

int DetectDefaultURL(void) {
  if (!objects || objectsTotal < 1) return 0;
  const int i = objectsTotal - 1;
  const object *o = &objects[i];
  if (o->t != rectangle || o->pointsTotal < 2 || !o->points) return 0;
  if (o->points[0].x != 0 || o->points[0].y != 0) return 0;
  if (o->points[1].x != displayWidth - 1 || o->points[1].y != displayHeight - 1) return 0;
  char *link = o->url ? mystrdupImpl("defaultUrl", o->url) : nullptr;
  myfreeImpl(defaultUrl);
  defaultUrl = link;
  lastObjectSelected = i;
  UrlDelete(1);
  return 1;
}
