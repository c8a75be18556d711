// objects.h: the hotspot table and the geometry of one hotspot (hit tests,
// bounds, nearest point, rectangle to polygon), the pending transform of a
// selection being moved or resized, and the angle helpers. Owns objects,
// objectsTotal, objectsSpace, defaultUrl, mapAttributes, mapId, keptAreas,
// rfactorx, rfactory, mfactorx, mfactory.
//
// Coordinates are image pixels held as doubles; every conversion to an integer
// truncates toward zero.
#ifndef TILVANE_OBJECTS_H
#define TILVANE_OBJECTS_H

#include <vector>

struct FPOINT {
  double x, y;
};

// An integer box; x1,y1 the smaller corner, x2,y2 the larger, both inclusive.
struct bounds {
  int x1, y1, x2, y2;
};

enum objectType { notype = 0, polygon = 1, circle = 2, rectangle = 3 };

// One hotspot.
//   polygon:   pointsTotal vertices; the closing edge is implied.
//   circle:    points[0] the centre, points[1] a point on the circle.
//   rectangle: two opposite corners in either order.
//   notype:    an empty record, pointsTotal 0.
struct object {
  int t;                // objectType
  int complete;         // 1 once part of the map
  FPOINT *points;       // owned, room for pointsSpace points
  int pointsTotal;
  int pointsSpace;
  int selected;
  int lastState;        // editing state when last drawn; nostate when new
  char *url;            // href; null = absent
  char *comments;       // alt text
  char *title;
  char *target;
  char *onMouseOver;
  char *onMouseOut;
  char *onClick;
  int lead;             // 0 when set up, carried by every copy, read by nothing
  char *otherAttributes;  // the <area> attributes the editor does not model, as
                          // markup in their order and quoting (' class="hot" id=a');
                          // null = none; copied and freed with the other strings
};

// The table. Invariants: every one of the objectsSpace records is set up (has its
// own points buffer); the record at objectsTotal exists (the spare record in which
// a new hotspot is built before it is counted).
extern object *objects;
extern int objectsTotal;
extern int objectsSpace;
extern char *defaultUrl;
// The attributes of the map element beyond its id and name, as markup in their
// order and quoting; null = none. Released with the table.
extern char *mapAttributes;
// The id the map element was read with; null when it had none (the map's name
// is then written as its id). Released with the table.
extern char *mapId;

// An <area> of the map that cannot be a hotspot (a polygon with an odd number
// of coordinates, a circle without its radius): its markup as read, kept so
// that the map is written with it in its place. before is the number of
// hotspots that stood ahead of it; removing and inserting hotspots keeps it
// between the same neighbours.
struct keptArea {
  int before;
  char *markup;
};
extern std::vector<keptArea> keptAreas;

// The pending transform: a point p of a selected hotspot is shown at
// p * rfactor + mfactor (per axis). Idle: factors 1.0, offsets 0.
extern double rfactorx, rfactory;
extern int mfactorx, mfactory;

void objectsSetup(void);
void objectsEnsure(int x);
void pointsEnsure(object *o, int x);
void ReleaseObjects(void);
void objectDataCopy(object *dst, const object *src);
void objectDataFree(object *o);
void unCopyStringBody(char **dst, const char *s);
void unCopyPoints(object *dst, const object *src);

int objectContainsPoint(const object *o, int x, int y);
bounds objectGetBounds(const object *o);
int distanceToPoint(int x, int y, int px, int py);
int distanceToClosest(const FPOINT *p, int total, int x, int y, int *distp);
void promoteToPolygon(object *o);

double sind(double a);
double cosd(double a);
double fsign(double v);

// Helpers shared by the editing modules.

// Truncates toward zero into the int range: values beyond it are clamped and a
// NaN gives 0, so no coordinate read from a file can overflow a conversion.
int truncToInt(double v);

// The radius of a circle: the integer part of sqrt(rx*rx + ry*ry), rx and ry the
// truncated offsets of points[1] from points[0]. 0 for a record with fewer than
// two points.
int objectRadius(const object *o);

// The first image pixel of hotspot o, in row-major order (top row first, then
// left to right), inside the box x1..x2, y1..y2 (inclusive, x1 <= x2, y1 <= y2),
// under the same containment rule as objectContainsPoint. 1 and the pixel
// through xP, yP when there is one, else 0. Its cost grows with the rows the
// hotspot spans, not with the box's area.
int objectFirstPixelIn(const object *o, int x1, int y1, int x2, int y2, int *xP, int *yP);

// Replaces dst's points and strings by deep copies of src's (objectDataFree on
// dst, then objectDataCopy).
void objectDataReplace(object *dst, const object *src);

// Deletes hotspot index: its strings are released and its fields cleared
// (shape notype, no points, not selected, not complete); the record keeps its
// point buffer, pointsSpace, lastState and lead. The later records, the spare one
// at objectsTotal included, move down by one and the emptied record is parked
// behind them; objectsTotal drops by one. 0 when index is not a counted hotspot.
int objectRemove(int index);

// Inserts a deep copy of src as hotspot index (0..objectsTotal): the records
// from index on, the spare one included, move up by one; objectsTotal grows by
// one. An index past the end appends. Returns the index used.
int objectInsertCopy(int index, const object *src);

// floor(sqrt(v)) for v >= 0, exact; 0 for v <= 0. The hit test and the map
// checker count a circle's pixels by it, row by row.
long long isqrt(long long v);

#endif
