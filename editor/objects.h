// objects.h: the hotspot table and the geometry of one hotspot (hit tests,
// bounds, nearest point, rectangle to polygon), the pending transform of a
// selection being moved or resized, and the angle helpers. Owns objects,
// objectsTotal, objectsSpace, defaultUrl, rfactorx, rfactory, mfactorx, mfactory.
//
// Coordinates are image pixels held as doubles; every conversion to an integer
// truncates toward zero.
#ifndef TILVANE_OBJECTS_H
#define TILVANE_OBJECTS_H

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
};

// The table. Invariants: every one of the objectsSpace records is set up (has its
// own points buffer); the record at objectsTotal exists (the spare record in which
// a new hotspot is built before it is counted).
extern object *objects;
extern int objectsTotal;
extern int objectsSpace;
extern char *defaultUrl;

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

#endif
