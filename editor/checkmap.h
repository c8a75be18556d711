// checkmap.h: Check Map: the faults of an image map that its visitors would
// meet (links without alternative text, targets too small to hit, hotspots that
// earlier ones cover, shapes that are broken or outside the picture, links that
// lead nowhere, a picture that names no map), found in the hotspot table or in
// a page, as a list of findings. Owns nothing.
//
// Pixels: a hotspot holds the image pixels for which objectContainsPoint
// holds; a click goes to the first hotspot in map order that holds it. The
// covering figures count those pixels row by row inside the picture (or, when
// its size is not known, inside the hotspots' joint box, at most 16384 x
// 16384); a hotspot whose count would take longer than its share of the work
// is counted on one row in 4, 16, ..., and its finding says so.
#ifndef TILVANE_CHECKMAP_H
#define TILVANE_CHECKMAP_H

#include <string>
#include <vector>

#include "editor/objects.h"
#include "html/html.h"

enum checkSeverity { checkError = 0, checkWarning = 1, checkNotice = 2 };

// What a finding is about.
enum checkKind {
  checkKindText = 1,      // alternative text
  checkKindSize = 2,      // target size
  checkKindOverlap = 3,   // covered by earlier hotspots
  checkKindGeometry = 4,  // broken shape, outside the picture
  checkKindLink = 5,      // the link itself
  checkKindPage = 6       // the picture's tag and the page's maps
};

// Where a finding points: an area (0-based place among the map's <area>s, the
// default area counted), the default area, or the page.
enum { checkDefaultArea = -1, checkPageLevel = -2 };

// One hotspot as the checker sees it.
struct checkArea {
  int t = notype;              // objectType
  std::vector<FPOINT> points;  // as the hotspot table holds them
  int hasHref = 0;             // an href is written
  int nohref = 0;              // nohref is written: the area links nowhere on purpose
  std::string url;             // the href's value
  std::string alt;             // the alternative text ("" when absent)
  int number = 0;              // its place among the map's <area>s, from 1; 0: its place in areas
  std::string fault;           // why the area cannot be a hotspot ("" when it can)
  std::string markup;          // the area's markup as read, for a faulty area
  int object = -1;             // its index in the hotspot table (-1: none)
};

// A map to check.
struct checkInput {
  std::vector<checkArea> areas;
  std::string defaultUrl;    // the default area's link ("" none)
  int defaultText = 0;       // the default area carries alt or title text
  int width = 0, height = 0; // the picture as the page shows it; 0 when unknown
  std::string folder;        // the page's folder, for local links; "" when unknown
  int anchorsKnown = 0;      // anchors holds the page's targets of in-page links
  std::vector<std::string> anchors;  // every id, and every name of an a element
};

struct checkFinding {
  int severity = checkNotice;  // checkSeverity
  int kind = 0;                // checkKind
  int hotspot = checkPageLevel;
  int broken = 0;              // the area cannot be a hotspot: it is named "area N"
  int shape = notype;          // the hotspot's objectType
  std::string link;            // the hotspot's link ("" none)
  std::string subject;         // for page findings: "img at line 3, column 5 (a.png)", "map NAME"
  std::string message;         // a phrase: "no alternative text"
  std::vector<int> by;         // the earlier hotspots that cover this one
  int clickable = -1;          // percent of it that stays clickable (overlap findings)
};

// One run of pixels of a hotspot that earlier hotspots cover: row y, columns
// x1..x2.
struct checkSpan {
  int y, x1, x2;
};

// Checks the hotspots of in, appending the findings in hotspot order (the
// default area last). When hidden is given, the covered runs of every
// hotspot are appended to it (at most about a million of them).
void checkAreas(const checkInput &in, std::vector<checkFinding> &out, std::vector<checkSpan> *hidden);

// Checks the picture tag that uses the map name and the page's maps: the first
// img whose usemap names it is the picture, naturalW x naturalH its own size
// (0 when unknown). mapWritten: the map is the editor's table, which is written
// into the page when it is saved, so a missing map is no fault.
void checkPage(htmlPtr page, const char *name, int naturalW, int naturalH, int mapWritten,
               std::vector<checkFinding> &out);

// The hotspot table (objects, defaultUrl) as a map to check; every hotspot with
// no link is written with nohref. The kept areas (keptAreas) stand in their
// places as faulty areas.
void checkInputFromTable(checkInput &in);

// The map of that name in the page as a map to check: the first map whose name
// or id is exactly that name, every <area> read as browsers read it, those
// that cannot be hotspots marked with their fault. The hotspot table is not
// touched. 0 when the page has no such map.
int checkInputFromPage(htmlPtr page, const char *name, checkInput &in);

// Fills in.anchors with the targets a "#name" link of the page can reach.
void checkInputAnchors(htmlPtr page, checkInput &in);

// The map name a usemap value gives, as browsers read it: what follows its
// first '#'. 0 when it has no '#', 1 when the '#' comes first, 2 when text stands
// before it (browsers pass over that text).
int checkUsemapName(const char *usemap, std::string *name);

// The first img of the page whose usemap names the map exactly, or null.
htmlTagPtr checkPicture(htmlPtr page, const char *name);

// Where the last img named lies, so that naming the imgs of one page in page
// order reads each byte of it once. Kept by the caller for one page at most.
struct checkImgPlace {
  const char *source = nullptr;
  long long offset = -1, column = 0;
};

// How findings name an img: "img at line 3, column 5 (a.png)", the place of
// its '<' in the page.
std::string checkImgName(htmlTagPtr img, checkImgPlace *place = nullptr);

// The size at which the page shows an img: its width and height attributes,
// a missing one in the proportion of naturalW x naturalH, both natural when
// neither is given. 0 when it cannot be told.
int checkShownSize(htmlTagPtr img, int naturalW, int naturalH, int *w, int *h);

// The pixels of hotspot o clickable in the box 0..w-1, 0..h-1 once the hotspots
// before[0..n-1] take theirs: *total gets o's pixels in the box, the result is
// those no earlier one holds.
long long checkClickable(const object *o, const object *before, int n, int w, int h, long long *total);

// The charset the page declares: a meta charset, or the charset of a meta
// http-equiv content type (lower case); "" when it declares none.
std::string checkPageCharset(htmlPtr page);

// Whether bytes are valid UTF-8.
int checkValidUtf8(const std::string &bytes);

// Text of the page in UTF-8, read in charset ("" or one the system does not
// know: UTF-8 when it is valid, else Windows-1252). A byte the charset cannot
// read is read as Windows-1252, so no byte is lost and the result is always
// valid UTF-8.
std::string checkTextUtf8(const std::string &text, const std::string &charset);

// "error", "warning", "notice".
const char *checkSeverityName(int severity);

// Who the finding is about: "hotspot 3 (rect, a.html)", "hotspot 2 (poly)",
// "default area (b.html)", or the page subject.
std::string checkSubject(const checkFinding &f);

// The line the companion prints: "error: hotspot 3 (rect, a.html): no
// alternative text".
std::string checkLine(const checkFinding &f);

// The finding as a JSON object.
std::string checkJson(const checkFinding &f, const char *map);

#endif
