// objects.cpp: the hotspot table, the record of one hotspot and its geometry
// (hit tests, bounds, nearest point, rectangle to polygon), the pending
// transform and the angle helpers. Owns objects, objectsTotal, objectsSpace,
// defaultUrl, rfactorx, rfactory, mfactorx, mfactory.
#include "editor/objects.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "editor/modes.h"
#include "html/strhack.h"

object *objects = nullptr;
int objectsTotal = 0;
int objectsSpace = 0;
char *defaultUrl = nullptr;

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
  gone.t = notype;
  gone.complete = 0;
  gone.pointsTotal = 0;
  gone.selected = 0;
  // Records index+1 .. objectsTotal (the spare one included) move down by one.
  std::memmove(&objects[index], &objects[index + 1],
               sizeof(object) * static_cast<size_t>(objectsTotal - index));
  objects[objectsTotal] = gone;
  objectsTotal--;
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
        if ((a.y <= py && py < b.y) || (b.y <= py && py < a.y)) {
          if (px < a.x + (b.x - a.x) * (py - a.y) / (b.y - a.y)) inside = !inside;
        }
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
