// hotspotlist.cpp: the rows of the hotspot list from the hotspot table, their
// Check Map marks, and the selection between rows and hotspots. Owns
// hotspotListMarks.
#include "editor/hotspotlist.h"

#include <string>

#include "editor/checkmap.h"
#include "editor/commandids.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/selection.h"
#include "editor/view.h"
#include "html/document.h"
#include "image/loaders.h"
#include "platform/seams.h"

const char *const hotspotListTitles[hotspotListColumns] = {"#", "Shape", "Link", "Alt Text", "Title"};

std::vector<std::string> hotspotListMarks;

namespace {

const std::string noMark;

const char *shapeName(int t) {
  switch (t) {
    case rectangle: return "rect";
    case circle: return "circle";
    case polygon: return "poly";
    default: return "";
  }
}

}  // namespace

int hotspotListRows(void) { return objects ? objectsTotal : 0; }

std::string hotspotListCell(int row, int column) {
  if (row < 0 || row >= hotspotListRows()) return std::string();
  const object &o = objects[row];
  switch (column) {
    case hotspotListNumber: return std::to_string(row + 1);
    case hotspotListShape: return shapeName(o.t);
    case hotspotListLink: return o.url ? o.url : "";
    case hotspotListAlt: return o.comments ? o.comments : "";
    case hotspotListTitle: return o.title ? o.title : "";
    default: return std::string();
  }
}

const std::string &hotspotListMark(int row) {
  if (row < 0 || row >= hotspotListRows() || row >= static_cast<int>(hotspotListMarks.size())) return noMark;
  return hotspotListMarks[row];
}

void hotspotListCheck(void) {
  hotspotListMarks.assign(static_cast<size_t>(hotspotListRows()), std::string());
  if (!hotspotListRows()) return;
  checkInput in;
  checkInputFromTable(in);
  in.width = sx;
  in.height = sy;
  htmlTagPtr img = hdoc && maplocalname ? checkPicture(hdoc, maplocalname) : nullptr;
  if (img) checkShownSize(img, sx, sy, &in.width, &in.height);
  if (mapfilename && *mapfilename) {
    const std::string page = mapfilename;
    const size_t slash = page.rfind('/');
    in.folder = slash == std::string::npos ? "." : page.substr(0, slash ? slash : 1);
  }
  if (hdoc) checkInputAnchors(hdoc, in);
  std::vector<checkFinding> findings;
  checkAreas(in, findings, nullptr);
  for (const checkFinding &f : findings) {
    if (f.hotspot < 0 || f.hotspot >= static_cast<int>(in.areas.size())) continue;
    const int i = in.areas[f.hotspot].object;
    if (i < 0 || i >= static_cast<int>(hotspotListMarks.size())) continue;
    std::string &mark = hotspotListMarks[i];
    if (!mark.empty()) mark += "; ";
    mark += f.message;
  }
}

std::vector<int> hotspotListSelectedRows(void) {
  std::vector<int> rows;
  for (int i = 0; i < hotspotListRows(); i++)
    if (objects[i].selected) rows.push_back(i);
  return rows;
}

int hotspotListSelectRows(const std::vector<int> &rows, int current) {
  const int total = hotspotListRows();
  if (!total) return 0;
  if (state != editing) toolCommand(cmdTestEdit);
  std::vector<char> want(static_cast<size_t>(total), 0);
  int last = -1, first = -1;
  for (int r : rows)
    if (r >= 0 && r < total) {
      want[r] = 1;
      last = r;
      if (first == -1 || r < first) first = r;
    }
  if (current >= 0 && current < total && want[current]) last = current;
  bool differs = last != lastObjectSelected;
  for (int i = 0; i < total; i++) {
    if ((objects[i].selected != 0) != (want[i] != 0)) differs = true;
    objects[i].selected = want[i];
  }
  if (!differs) return 0;
  lastObjectSelected = last;
  pointsDeselect(&psel);
  if (first >= 0) hotspotListScrollTo(first);
  sensitivity(1);
  repaint(0);
  return 1;
}

void hotspotListScrollTo(int index) {
  if (index < 0 || index >= hotspotListRows() || !objects[index].points || objects[index].pointsTotal < 1) return;
  const bounds b = objectGetBounds(&objects[index]);
  const int x1 = truncToInt(b.x1 * scale), x2 = truncToInt(b.x2 * scale);
  const int y1 = truncToInt(b.y1 * scale), y2 = truncToInt(b.y2 * scale);
  // Each axis on its own: an axis already showing the hotspot stays put.
  const int spans[2][2] = {{x1, x2}, {y1, y2}};
  for (int vertical = 0; vertical < 2; vertical++) {
    const int off = vertical ? voffs : hoffs, page = vertical ? winheight : winwidth;
    const int lo = spans[vertical][0], hi = spans[vertical][1];
    if (lo >= off && hi <= off + page) continue;
    const int limit = vertical ? scrollLimitV() : scrollLimitH();
    long long to = static_cast<long long>(lo) - (page - (hi - lo)) / 2;
    if (hi - lo > page) to = lo;
    if (to > limit) to = limit;
    if (to < 0) to = 0;
    viewScroll(vertical, scrollThumb, static_cast<int>(to));
  }
}
