// objects.cpp: the hotspot table, the record of one hotspot and its geometry
// (hit tests, bounds, nearest point, rectangle to polygon), the pending
// transform and the angle helpers. Owns objects, objectsTotal, objectsSpace,
// defaultUrl, mapAttributes, mapId, keptAreas, rfactorx, rfactory, mfactorx, mfactory.
#include "editor/objects.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <vector>

#include "editor/modes.h"
#include "platform/strhack.h"

object *objects = nullptr;
int objectsTotal = 0;
int objectsSpace = 0;
char *defaultUrl = nullptr;
char *mapAttributes = nullptr;
char *mapId = nullptr;
std::vector<keptArea> keptAreas;

double rfactorx = 1.0, rfactory = 1.0;
int mfactorx = 0, mfactory = 0;

namespace {

const int initialRecords = 64;
const int initialPoints = 64;

// Sets up one record as a fresh, empty hotspot with a 64-point buffer.
void objectInit(object *o) {
  std::memset(o, 0, sizeof *o);
  o->t = notype;
  o->points = static_cast<FPOINT *>(mymallocImpl(sizeof(FPOINT) * initialPoints));
  if (!o->points) dieMemory();
  o->pointsSpace = initialPoints;
  o->pointsTotal = 0;
  o->lastState = nostate;
}

void freeString(char **s) {
  myfreeImpl(*s);
  *s = nullptr;
}

long long sq(long long v) { return v * v; }

// Whether the edge from a to b crosses image row py, and where: the rule of the
// even-odd test (half-open in y, so horizontal edges never count). Both the hit
// test and the first-pixel search use it, so they agree to the last bit.
inline bool edgeCounts(const FPOINT &a, const FPOINT &b, double py) {
  return (a.y <= py && py < b.y) || (b.y <= py && py < a.y);
}
inline double edgeCrossing(const FPOINT &a, const FPOINT &b, double py) {
  return a.x + (b.x - a.x) * (py - a.y) / (b.y - a.y);
}

}  // namespace

int truncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483647.0) return -INT_MAX;
  return static_cast<int>(v);
}

static int clampToInt(long long v) {
  if (v > INT_MAX) return INT_MAX;
  if (v < -INT_MAX) return -INT_MAX;
  return static_cast<int>(v);
}

void objectsSetup(void) {
  objects = static_cast<object *>(mymallocImpl(sizeof(object) * initialRecords));
  if (!objects) dieMemory();
  for (int i = 0; i < initialRecords; i++) objectInit(&objects[i]);
  objectsSpace = initialRecords;
  objectsTotal = 0;
  defaultUrl = nullptr;
}

void objectsEnsure(int x) {
  if (x < 0) return;
  if (!objects) objectsSetup();
  if (x >= objectsSpace) {
    long long space = objectsSpace > 0 ? objectsSpace : initialRecords;
    while (x >= space) space *= 2;
    if (space > INT_MAX || static_cast<unsigned long long>(space) > SIZE_MAX / sizeof(object))
      dieMemory();
    object *grown =
        static_cast<object *>(myreallocImpl(objects, sizeof(object) * static_cast<size_t>(space)));
    if (!grown) dieMemory();
    objects = grown;
    for (long long i = objectsSpace; i < space; i++) objectInit(&objects[i]);
    objectsSpace = static_cast<int>(space);
  }
  objects[x].t = notype;
}

void pointsEnsure(object *o, int x) {
  if (!o || x < 0) return;
  if (o->points && x < o->pointsSpace) return;
  long long space = o->pointsSpace > 0 ? o->pointsSpace : initialPoints;
  while (x >= space) space *= 2;
  if (space > INT_MAX || static_cast<unsigned long long>(space) > SIZE_MAX / sizeof(FPOINT))
    dieMemory();
  FPOINT *grown = static_cast<FPOINT *>(
      myreallocImpl(o->points, sizeof(FPOINT) * static_cast<size_t>(space)));
  if (!grown) dieMemory();
  o->points = grown;
  o->pointsSpace = static_cast<int>(space);
  if (o->pointsTotal > o->pointsSpace) o->pointsTotal = o->pointsSpace;
}

void ReleaseObjects(void) {
  if (objects) {
    for (int i = 0; i < objectsSpace; i++) objectDataFree(&objects[i]);
    myfreeImpl(objects);
  }
  objects = nullptr;
  objectsSpace = 0;
  objectsTotal = 0;
  freeString(&defaultUrl);
  freeString(&mapAttributes);
  freeString(&mapId);
  for (keptArea &k : keptAreas) myfreeImpl(k.markup);
  keptAreas.clear();
}

void unCopyStringBody(char **dst, const char *s) { *dst = s ? mystrdupImpl("object", s) : nullptr; }

void unCopyPoints(object *dst, const object *src) {
  int space = src->pointsSpace > 0 ? src->pointsSpace : initialPoints;
  if (src->pointsTotal > space) space = src->pointsTotal;
  FPOINT *p = static_cast<FPOINT *>(mymallocImpl(sizeof(FPOINT) * static_cast<size_t>(space)));
  if (!p) dieMemory();
  if (src->points)
    std::memcpy(p, src->points, sizeof(FPOINT) * static_cast<size_t>(src->pointsSpace > 0 ? src->pointsSpace : 0));
  dst->points = p;
  dst->pointsSpace = space;
  dst->pointsTotal = src->points ? src->pointsTotal : 0;
}

void objectDataCopy(object *dst, const object *src) {
  *dst = *src;
  unCopyPoints(dst, src);
  unCopyStringBody(&dst->url, src->url);
  unCopyStringBody(&dst->comments, src->comments);
  unCopyStringBody(&dst->title, src->title);
  unCopyStringBody(&dst->target, src->target);
  unCopyStringBody(&dst->onMouseOver, src->onMouseOver);
  unCopyStringBody(&dst->onMouseOut, src->onMouseOut);
  unCopyStringBody(&dst->onClick, src->onClick);
  unCopyStringBody(&dst->otherAttributes, src->otherAttributes);
}

void objectDataFree(object *o) {
  myfreeImpl(o->points);
  o->points = nullptr;
  o->pointsTotal = 0;
  freeString(&o->url);
  freeString(&o->comments);
  freeString(&o->title);
  freeString(&o->target);
  freeString(&o->onMouseOver);
  freeString(&o->onMouseOut);
  freeString(&o->onClick);
  freeString(&o->otherAttributes);
}

void objectDataReplace(object *dst, const object *src) {
  if (dst == src) return;
  objectDataFree(dst);
  objectDataCopy(dst, src);
}

int objectRemove(int index) {
  if (!objects || index < 0 || index >= objectsTotal) return 0;
  if (objectsTotal >= objectsSpace) objectsEnsure(objectsTotal);
  object gone = objects[index];
  freeString(&gone.url);
  freeString(&gone.comments);
  freeString(&gone.title);
  freeString(&gone.target);
  freeString(&gone.onMouseOver);
  freeString(&gone.onMouseOut);
  freeString(&gone.onClick);
  freeString(&gone.otherAttributes);
  gone.t = notype;
  gone.complete = 0;
  gone.pointsTotal = 0;
  gone.selected = 0;
  // Records index+1 .. objectsTotal (the spare one included) move down by one.
  std::memmove(&objects[index], &objects[index + 1],
               sizeof(object) * static_cast<size_t>(objectsTotal - index));
  objects[objectsTotal] = gone;
  objectsTotal--;
  for (keptArea &k : keptAreas)
    if (k.before > index) k.before--;
  return 1;
}

int objectInsertCopy(int index, const object *src) {
  if (index < 0) index = 0;
  if (index > objectsTotal) index = objectsTotal;
  objectsEnsure(objectsTotal + 1);
  // The record behind the spare one takes the new hotspot; the others move up.
  object slot = objects[objectsTotal + 1];
  std::memmove(&objects[index + 1], &objects[index],
               sizeof(object) * static_cast<size_t>(objectsTotal + 1 - index));
  objectDataFree(&slot);
  objectDataCopy(&slot, src);
  objects[index] = slot;
  objectsTotal++;
  for (keptArea &k : keptAreas)
    if (k.before > index) k.before++;
  return index;
}

int objectRadius(const object *o) {
  if (!o || !o->points || o->pointsTotal < 2) return 0;
  long long rx = truncToInt(o->points[1].x - o->points[0].x);
  long long ry = truncToInt(o->points[1].y - o->points[0].y);
  return clampToInt(static_cast<long long>(std::sqrt(static_cast<double>(sq(rx) + sq(ry)))));
}

int objectContainsPoint(const object *o, int x, int y) {
  if (!o || !o->points) return 0;
  switch (o->t) {
    case polygon: {
      int n = o->pointsTotal;
      if (n < 1) return 0;
      int inside = 0;
      double px = x, py = y;
      for (int i = 0, j = n - 1; i < n; j = i++) {
        const FPOINT &a = o->points[i];
        const FPOINT &b = o->points[j];
        if (edgeCounts(a, b, py) && px < edgeCrossing(a, b, py)) inside = !inside;
      }
      return inside;
    }
    case circle: {
      if (o->pointsTotal < 2) return 0;
      long long rx = truncToInt(o->points[1].x - o->points[0].x);
      long long ry = truncToInt(o->points[1].y - o->points[0].y);
      long long dx = truncToInt(x - o->points[0].x);
      long long dy = truncToInt(y - o->points[0].y);
      return sq(rx) + sq(ry) >= sq(dx) + sq(dy);
    }
    case rectangle: {
      if (o->pointsTotal < 2) return 0;
      const FPOINT &a = o->points[0];
      const FPOINT &b = o->points[1];
      double px = x, py = y;
      return std::fmin(a.x, b.x) <= px && px <= std::fmax(a.x, b.x) && std::fmin(a.y, b.y) <= py &&
             py <= std::fmax(a.y, b.y);
    }
    default:
      return 0;
  }
}

bounds objectGetBounds(const object *o) {
  bounds b = {0, 0, 0, 0};
  if (!o || !o->points) return b;
  if (o->t == circle) {
    if (o->pointsTotal < 1) return b;
    long long cx = truncToInt(o->points[0].x);
    long long cy = truncToInt(o->points[0].y);
    long long r = objectRadius(o);
    b.x1 = clampToInt(cx - r);
    b.y1 = clampToInt(cy - r);
    b.x2 = clampToInt(cx + r);
    b.y2 = clampToInt(cy + r);
    return b;
  }
  if (o->t != polygon && o->t != rectangle) return b;
  int n = o->t == rectangle ? (o->pointsTotal < 2 ? o->pointsTotal : 2) : o->pointsTotal;
  for (int i = 0; i < n; i++) {
    int px = truncToInt(o->points[i].x);
    int py = truncToInt(o->points[i].y);
    if (i == 0 || px < b.x1) b.x1 = px;
    if (i == 0 || px > b.x2) b.x2 = px;
    if (i == 0 || py < b.y1) b.y1 = py;
    if (i == 0 || py > b.y2) b.y2 = py;
  }
  return b;
}

int distanceToPoint(int x, int y, int px, int py) {
  double dx = static_cast<double>(x) - px;
  double dy = static_cast<double>(y) - py;
  return truncToInt(std::sqrt(dx * dx + dy * dy));
}

int distanceToClosest(const FPOINT *p, int total, int x, int y, int *distp) {
  int best = 0;
  int bestDist = 0;
  for (int i = 0; p && i < total; i++) {
    double dx = p[i].x - x;
    double dy = p[i].y - y;
    int d = truncToInt(std::sqrt(dx * dx + dy * dy));
    if (i == 0 || d < bestDist) {
      best = i;
      bestDist = d;
    }
  }
  if (distp) *distp = bestDist;
  return best;
}

void promoteToPolygon(object *o) {
  if (!o || o->t != rectangle || !o->points || o->pointsTotal < 2) return;
  pointsEnsure(o, 4);  // four vertices, and room for a floating one behind them
  double x1 = o->points[0].x, y1 = o->points[0].y;
  double x2 = o->points[1].x, y2 = o->points[1].y;
  o->points[0] = FPOINT{x1, y1};
  o->points[1] = FPOINT{x2, y1};
  o->points[2] = FPOINT{x2, y2};
  o->points[3] = FPOINT{x1, y2};
  o->pointsTotal = 4;
  o->t = polygon;
}

double sind(double a) { return std::sin(a * 0.0174532925); }
double cosd(double a) { return std::cos(a * 0.0174532925); }
double fsign(double v) { return v >= 0 ? 1.0 : -1.0; }

// floor(sqrt(v)) for v >= 0, exact.
long long isqrt(long long v) {
  if (v <= 0) return 0;
  long long r = static_cast<long long>(std::sqrt(static_cast<double>(v)));
  while (r > 0 && static_cast<__int128>(r) * r > v) r--;
  while (static_cast<__int128>(r + 1) * (r + 1) <= v) r++;
  return r;
}

namespace {

// The first v in lo..hi for which pred holds, pred being false up to some point
// and true from there on; hi + 1 when it never holds.
template <class Pred>
long long firstTrue(long long lo, long long hi, Pred pred) {
  long long a = lo, b = hi + 1;
  while (a < b) {
    long long mid = a + (b - a) / 2;
    if (pred(mid))
      b = mid;
    else
      a = mid + 1;
  }
  return a;
}

int firstPixelRectangle(const object *o, int x1, int y1, int x2, int y2, int *xP, int *yP) {
  const FPOINT &a = o->points[0];
  const FPOINT &b = o->points[1];
  double lx = std::fmin(a.x, b.x), hx = std::fmax(a.x, b.x);
  double ly = std::fmin(a.y, b.y), hy = std::fmax(a.y, b.y);
  long long y = firstTrue(y1, y2, [&](long long v) { return ly <= static_cast<double>(v); });
  if (y > y2 || !(static_cast<double>(y) <= hy)) return 0;
  long long x = firstTrue(x1, x2, [&](long long v) { return lx <= static_cast<double>(v); });
  if (x > x2 || !(static_cast<double>(x) <= hx)) return 0;
  *xP = static_cast<int>(x);
  *yP = static_cast<int>(y);
  return 1;
}

int firstPixelCircle(const object *o, int x1, int y1, int x2, int y2, int *xP, int *yP) {
  const double cx = o->points[0].x, cy = o->points[0].y;
  long long rx = truncToInt(o->points[1].x - cx);
  long long ry = truncToInt(o->points[1].y - cy);
  const long long r2 = sq(rx) + sq(ry);
  const long long r = isqrt(r2);
  // The truncated offsets from the centre; both grow with the pixel index.
  auto g = [&](long long y) -> long long { return truncToInt(static_cast<int>(y) - cy); };
  auto h = [&](long long x) -> long long { return truncToInt(static_cast<int>(x) - cx); };
  long long rlo = firstTrue(y1, y2, [&](long long y) { return g(y) >= -r; });
  long long rhi = firstTrue(y1, y2, [&](long long y) { return g(y) > r; }) - 1;
  if (rlo > rhi) return 0;
  // The first pixel of row y, or x2 + 1: the columns whose truncated offset
  // lies within the half-width of that row.
  auto rowFirst = [&](long long y) -> long long {
    long long m = isqrt(r2 - sq(g(y)));
    long long x = firstTrue(x1, x2, [&](long long v) { return h(v) >= -m; });
    if (x <= x2 && h(x) <= m) return x;
    return static_cast<long long>(x2) + 1;
  };
  auto rowHas = [&](long long y) { return rowFirst(y) <= x2; };
  // Rows above the centre widen downward, rows below it narrow.
  long long yc = firstTrue(rlo, rhi, [&](long long y) { return g(y) > 0; }) - 1;
  long long y = firstTrue(rlo, yc, rowHas);
  if (y > yc) {
    y = yc + 1;
    if (y > rhi || !rowHas(y)) return 0;
  }
  *xP = static_cast<int>(rowFirst(y));
  *yP = static_cast<int>(y);
  return 1;
}

int firstPixelPolygon(const object *o, int x1, int y1, int x2, int y2, int *xP, int *yP) {
  const int n = o->pointsTotal;
  if (n < 1) return 0;
  struct edge {
    int i, j;
    long long first, last;  // rows in which it counts
  };
  std::vector<edge> edges;
  edges.reserve(static_cast<size_t>(n));
  for (int i = 0, j = n - 1; i < n; j = i++) {
    double ya = o->points[i].y, yb = o->points[j].y;
    if (!(ya != yb) || std::isnan(ya) || std::isnan(yb)) continue;
    double lo = std::fmin(ya, yb), hi = std::fmax(ya, yb);
    // Rows y with lo <= y < hi, clipped to the box.
    double f = std::ceil(lo), l = std::ceil(hi) - 1;
    if (f < y1) f = y1;
    if (l > y2) l = y2;
    if (f > l) continue;
    edges.push_back(edge{i, j, static_cast<long long>(f), static_cast<long long>(l)});
  }
  if (edges.empty()) return 0;
  std::sort(edges.begin(), edges.end(),
            [](const edge &a, const edge &b) { return a.first < b.first; });
  std::vector<const edge *> active;
  std::vector<double> cross;
  size_t next = 0;
  long long y = edges[0].first;
  while (y <= y2) {
    while (next < edges.size() && edges[next].first <= y) active.push_back(&edges[next++]);
    size_t keep = 0;
    for (const edge *e : active)
      if (e->last >= y) active[keep++] = e;
    active.resize(keep);
    if (active.empty()) {
      if (next >= edges.size()) break;
      y = edges[next].first;
      continue;
    }
    const double py = static_cast<double>(static_cast<int>(y));
    cross.clear();
    for (const edge *e : active) {
      const FPOINT &a = o->points[e->i];
      const FPOINT &b = o->points[e->j];
      if (!edgeCounts(a, b, py)) continue;
      double c = edgeCrossing(a, b, py);
      if (!std::isnan(c)) cross.push_back(c);
    }
    std::sort(cross.begin(), cross.end());
    // Pixel x is inside when an odd number of crossings lie beyond it; between
    // crossings k and k+1 (k of them at or left of x) that number is n-k.
    const long long nc = static_cast<long long>(cross.size());
    for (long long k = 0; k <= nc; k++) {
      if (((nc - k) & 1) == 0) continue;
      long long xs = x1, xe = x2;
      if (k > 0) {
        double c = std::ceil(cross[static_cast<size_t>(k - 1)]);
        if (c > xs) xs = c > x2 ? static_cast<long long>(x2) + 1 : static_cast<long long>(c);
      }
      if (k < nc) {
        double c = std::ceil(cross[static_cast<size_t>(k)]) - 1;
        if (c < xe) xe = c < x1 ? static_cast<long long>(x1) - 1 : static_cast<long long>(c);
      }
      if (xs <= xe) {
        *xP = static_cast<int>(xs);
        *yP = static_cast<int>(y);
        return 1;
      }
    }
    y++;
  }
  return 0;
}

}  // namespace

int objectFirstPixelIn(const object *o, int x1, int y1, int x2, int y2, int *xP, int *yP) {
  if (!o || !o->points || x1 > x2 || y1 > y2) return 0;
  int x = 0, y = 0, found = 0;
  switch (o->t) {
    case rectangle:
      found = o->pointsTotal >= 2 && firstPixelRectangle(o, x1, y1, x2, y2, &x, &y);
      break;
    case circle:
      found = o->pointsTotal >= 2 && firstPixelCircle(o, x1, y1, x2, y2, &x, &y);
      break;
    case polygon:
      found = firstPixelPolygon(o, x1, y1, x2, y2, &x, &y);
      break;
    default:
      break;
  }
  if (found) {
    if (xP) *xP = x;
    if (yP) *yP = y;
  }
  return found;
}
