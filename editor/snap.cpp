// snap.cpp: snapping points to the grid and to edges and vertices.
#include "editor/snap.h"

#include <cmath>

#include "editor/objects.h"
#include "image/loaders.h"
#include "platform/settings.h"
#include "editor/view.h"

namespace {

// The nearest vertex and the nearest edge point found so far within reach.
struct snapSearch {
  double x, y, reach;
  bool haveVertex = false, haveEdge = false;
  double vertexDistance = 0, edgeDistance = 0;
  double vx = 0, vy = 0, ex = 0, ey = 0;
  snapSearch(double px, double py, double r) : x(px), y(py), reach(r) {}

  void vertex(double px, double py) {
    const double d = std::hypot(px - x, py - y);
    if (d <= reach && (!haveVertex || d < vertexDistance)) {
      haveVertex = true;
      vertexDistance = d;
      vx = px;
      vy = py;
    }
  }
  void edgePoint(double px, double py) {
    const double d = std::hypot(px - x, py - y);
    if (d <= reach && (!haveEdge || d < edgeDistance)) {
      haveEdge = true;
      edgeDistance = d;
      ex = px;
      ey = py;
    }
  }
  void segment(double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / length2 : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    edgePoint(ax + t * dx, ay + t * dy);
  }
  // A closed outline of n corners.
  void outline(const double (*corners)[2], int n) {
    for (int i = 0; i < n; i++) {
      vertex(corners[i][0], corners[i][1]);
      const int j = (i + 1) % n;
      segment(corners[i][0], corners[i][1], corners[j][0], corners[j][1]);
    }
  }
  void hotspot(const object &o) {
    if (!o.points) return;
    if (o.t == rectangle && o.pointsTotal >= 2) {
      const FPOINT &a = o.points[0], &b = o.points[1];
      const double c[4][2] = {{a.x, a.y}, {b.x, a.y}, {b.x, b.y}, {a.x, b.y}};
      outline(c, 4);
    } else if (o.t == circle && o.pointsTotal >= 2) {
      const FPOINT &c = o.points[0];
      vertex(c.x, c.y);
      const double r = objectRadius(&o), d = std::hypot(x - c.x, y - c.y);
      if (r > 0 && d > 0) edgePoint(c.x + (x - c.x) * r / d, c.y + (y - c.y) * r / d);
    } else if (o.t == polygon) {
      for (int i = 0; i < o.pointsTotal; i++) {
        const FPOINT &a = o.points[i], &b = o.points[(i + 1) % o.pointsTotal];
        vertex(a.x, a.y);
        if (o.pointsTotal > 1) segment(a.x, a.y, b.x, b.y);
      }
    }
  }
};

}  // namespace

int snapPoint(int *xP, int *yP) {
  if (!xP || !yP || !(scale > 0)) return 0;
  if (snapHotspots) {
    snapSearch s(*xP, *yP, snapReach / scale);
    if (sx > 0 && sy > 0) {
      const double c[4][2] = {{0, 0}, {static_cast<double>(sx), 0}, {static_cast<double>(sx), static_cast<double>(sy)},
                              {0, static_cast<double>(sy)}};
      s.outline(c, 4);
    }
    for (int i = 0; objects && i < objectsTotal; i++)
      if (!objects[i].selected) s.hotspot(objects[i]);
    if (s.haveVertex) {
      *xP = static_cast<int>(std::lround(s.vx));
      *yP = static_cast<int>(std::lround(s.vy));
      return 1;
    }
    if (s.haveEdge) {
      *xP = static_cast<int>(std::lround(s.ex));
      *yP = static_cast<int>(std::lround(s.ey));
      return 1;
    }
  }
  if (gridSnap && gridSpacing > 0) {
    const double g = gridSpacing;
    *xP = static_cast<int>(std::lround(*xP / g) * gridSpacing);
    *yP = static_cast<int>(std::lround(*yP / g) * gridSpacing);
    return 1;
  }
  return 0;
}
