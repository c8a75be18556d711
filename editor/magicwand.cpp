// magicwand.cpp: the magic wand: rays cast from a clicked pixel stop at the
// first sample whose (feathered) colour differs from the seed beyond the
// tolerance (or, tracing the outer edge only, at the first sample outside the
// region with its holes filled), and their last accepted points become a
// polygon in the spare hotspot record, without repeated or collinear vertices
// and simplified within magicWandSimplify pixels. Also the limits of its
// settings. Owns magicWandSettings.
#include "editor/magicwand.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "platform/settings.h"
#include "editor/objects.h"
#include "editor/undo.h"
#include "platform/strhack.h"
#include "image/imagedata.h"
#include "image/loaders.h"

int magicWandSettings = 0;

namespace {

// Adds up the colours of the pixels of the square [x0, x1] x [y0, y1] (already
// cut to the picture). Squares inside one 24-bit tile are read straight from
// its rows; others pixel by pixel.
void sumSquare(int x0, int y0, int x1, int y1, unsigned &r, unsigned &g, unsigned &b) {
  imageData *d = id;
  int c = x0 / imageTileSize, rr = y0 / imageTileSize;
  if (d->tileBits && d->bytesPerPixel == 3 && c < d->cols && rr < d->rows &&
      x1 / imageTileSize == c && y1 / imageTileSize == rr) {
    int ox = d->colOffsets[c], oy = d->rowOffsets[rr];
    int stride = d->stride;
    const unsigned char *line = d->tileBits[rr * d->cols + c] + (size_t)(y0 - oy) * stride;
    for (int yy = y0; yy <= y1; yy++, line += stride) {
      const unsigned char *p = line + 3 * (x0 - ox);
      for (int xx = x0; xx <= x1; xx++, p += 3) {
        b += p[0];
        g += p[1];
        r += p[2];
      }
    }
    return;
  }
  for (int yy = y0; yy <= y1; yy++)
    for (int xx = x0; xx <= x1; xx++) {
      unsigned v = imageDataGetPixel(d, xx, yy);
      r += v & 0xff;
      g += (v >> 8) & 0xff;
      b += (v >> 16) & 0xff;
    }
}

// Marks in mask (sx * sy, zeroed) the pixels outside the region of similar
// colour around (x, y) with 2: those the picture's border reaches through
// pixels not in the region. The region itself (4-connected pixels similar to
// c0) is marked 1 on the way; what it encloses, holes and islands alike, stays
// 0. false when memory runs out.
bool markOutside(unsigned char *mask, int x, int y, unsigned c0) {
  const int w = sx, h = sy;
  try {
    std::vector<int> todo;
    auto similar = [&](int px, int py) {
      return !pixelsDiffer(c0, featheredGetPixel(px, py), magicWandTolerance);
    };
    mask[(size_t)y * w + x] = 1;
    todo.push_back(y * w + x);
    while (!todo.empty()) {
      int at = todo.back();
      todo.pop_back();
      int px = at % w, py = at / w;
      const int next[4][2] = {{px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}};
      for (const auto &n : next) {
        if (n[0] < 0 || n[0] >= w || n[1] < 0 || n[1] >= h) continue;
        size_t i = (size_t)n[1] * w + n[0];
        if (mask[i] || !similar(n[0], n[1])) continue;
        mask[i] = 1;
        todo.push_back((int)i);
      }
    }
    auto outside = [&](int px, int py) {
      size_t i = (size_t)py * w + px;
      if (mask[i]) return;
      mask[i] = 2;
      todo.push_back((int)i);
    };
    for (int px = 0; px < w; px++) outside(px, 0), outside(px, h - 1);
    for (int py = 0; py < h; py++) outside(0, py), outside(w - 1, py);
    while (!todo.empty()) {
      int at = todo.back();
      todo.pop_back();
      int px = at % w, py = at / w;
      if (px > 0) outside(px - 1, py);
      if (px + 1 < w) outside(px + 1, py);
      if (py > 0) outside(px, py - 1);
      if (py + 1 < h) outside(px, py + 1);
    }
  } catch (const std::bad_alloc &) {
    return false;
  }
  return true;
}

// The distance of p from the line through a and b (from a when they are one point).
double lineDistance(const FPOINT &p, const FPOINT &a, const FPOINT &b) {
  double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
  if (len == 0) return std::hypot(p.x - a.x, p.y - a.y);
  return std::fabs(dx * (p.y - a.y) - dy * (p.x - a.x)) / len;
}

// Douglas-Peucker over pts[first .. last]: marks in keep the vertices that lie
// farther than tolerance from the chord of the part they are in.
void simplifyChain(const std::vector<FPOINT> &pts, int first, int last, double tolerance, std::vector<char> &keep) {
  std::vector<std::pair<int, int>> parts{{first, last}};
  while (!parts.empty()) {
    auto [a, b] = parts.back();
    parts.pop_back();
    double far = -1;
    int at = -1;
    for (int i = a + 1; i < b; i++) {
      double d = lineDistance(pts[i], pts[a], pts[b]);
      if (d > far) far = d, at = i;
    }
    if (at < 0 || far <= tolerance) continue;
    keep[at] = 1;
    parts.push_back({a, at});
    parts.push_back({at, b});
  }
}

// Drops repeated vertices (also the last against the first) and vertices on
// the line through their neighbours, until none is left.
void dropRepeatedAndCollinear(std::vector<FPOINT> &pts) {
  bool dropped = true;
  while (dropped && pts.size() >= 2) {
    dropped = false;
    for (size_t i = 0; i < pts.size() && pts.size() >= 2; i++) {
      const FPOINT &p = pts[(i + pts.size() - 1) % pts.size()], &q = pts[i], &r = pts[(i + 1) % pts.size()];
      bool repeated = q.x == r.x && q.y == r.y;
      bool collinear = pts.size() >= 3 && (q.x - p.x) * (r.y - q.y) - (q.y - p.y) * (r.x - q.x) == 0;
      if (repeated || collinear) {
        pts.erase(pts.begin() + (long)i);
        dropped = true;
        i--;
      }
    }
  }
}

}  // namespace

void magicWandSimplifyOutline(std::vector<FPOINT> &pts, double tolerance) {
  dropRepeatedAndCollinear(pts);
  if (pts.size() <= 3 || tolerance <= 0) return;
  // The closed outline is cut at its first vertex and the vertex farthest
  // from it; each of the two chains is simplified on its own.
  int n = (int)pts.size(), far = 0;
  double farthest = -1;
  for (int i = 1; i < n; i++) {
    double d = std::hypot(pts[i].x - pts[0].x, pts[i].y - pts[0].y);
    if (d > farthest) farthest = d, far = i;
  }
  std::vector<FPOINT> ring(pts);
  ring.push_back(pts[0]);
  std::vector<char> keep(ring.size(), 0);
  keep[0] = keep[far] = keep[n] = 1;
  simplifyChain(ring, 0, far, tolerance, keep);
  simplifyChain(ring, far, n, tolerance, keep);
  std::vector<FPOINT> kept;
  for (int i = 0; i < n; i++)
    if (keep[i]) kept.push_back(pts[i]);
  // Too few corners left for a polygon: the outline stays as it was traced.
  if (kept.size() < 3) return;
  dropRepeatedAndCollinear(kept);
  if (kept.size() >= 3) pts.swap(kept);
}

unsigned featheredGetPixel(int x, int y) {
  if (!id) return 0;
  int f = magicWandFeatherSteps < 0 ? 0 : magicWandFeatherSteps;
  int x0 = x - f < 0 ? 0 : x - f, y0 = y - f < 0 ? 0 : y - f;
  int x1 = x + f >= sx ? sx - 1 : x + f, y1 = y + f >= sy ? sy - 1 : y + f;
  if (x0 > x1 || y0 > y1) return 0;
  unsigned r = 0, g = 0, b = 0;
  sumSquare(x0, y0, x1, y1, r, g, b);
  unsigned count = (unsigned)(x1 - x0 + 1) * (unsigned)(y1 - y0 + 1);
  return (r / count) | ((g / count) << 8) | ((b / count) << 16);
}

int pixelsDiffer(unsigned a, unsigned b, int tolerance) {
  int d = std::abs((int)(a & 0xff) - (int)(b & 0xff)) +
          std::abs((int)((a >> 8) & 0xff) - (int)((b >> 8) & 0xff)) +
          std::abs((int)((a >> 16) & 0xff) - (int)((b >> 16) & 0xff));
  return d > tolerance;
}

int magicWandPolygon(int x, int y) {
  int n = magicWandPoints;
  int R = sx > sy ? sx : sy;
  if (!id || x < 0 || x >= sx || y < 0 || y >= sy || n <= 0) return 0;
  unsigned char *magicWandMask = (unsigned char *)std::calloc((size_t)sx * (size_t)sy, 1);
  int *stop = (int *)std::malloc(sizeof(int) * (size_t)n);
  int *lastX = (int *)std::calloc((size_t)n, sizeof(int));
  int *lastY = (int *)std::calloc((size_t)n, sizeof(int));
  double *cosines = (double *)std::malloc(sizeof(double) * (size_t)n);
  double *sines = (double *)std::malloc(sizeof(double) * (size_t)n);
  auto release = [&] {
    std::free(magicWandMask);
    std::free(stop);
    std::free(lastX);
    std::free(lastY);
    std::free(cosines);
    std::free(sines);
  };
  if (!magicWandMask || !stop || !lastX || !lastY || !cosines || !sines) {
    release();
    LowMemory();
    return 0;
  }
  unsigned c0 = imageDataGetPixel(id, x, y);
  const bool outerOnly = magicWandOuterOnly != 0;
  if (outerOnly && !markOutside(magicWandMask, x, y, c0)) {
    release();
    LowMemory();
    return 0;
  }
  for (int j = 0; j < n; j++) {
    stop[j] = -1;
    double a = 2 * j * 3.141592653 / n;
    cosines[j] = std::cos(a);
    sines[j] = std::sin(a);
  }
  int running = n;
  for (int i = 1; i < R && running > 0; i++)
    for (int j = 0; j < n; j++) {
      if (stop[j] != -1) continue;
      int px = x + (int)(cosines[j] * i);
      int py = y + (int)(sines[j] * i);
      if (px < 0 || px >= sx || py < 0 || py >= sy ||
          (outerOnly ? magicWandMask[(size_t)py * sx + px] == 2
                     : pixelsDiffer(c0, featheredGetPixel(px, py), magicWandTolerance))) {
        stop[j] = i - 1;
        running--;
      } else {
        lastX[j] = px;
        lastY[j] = py;
      }
    }

  std::vector<FPOINT> outline;
  for (int j = 0; j < n; j++) {
    if (stop[j] <= 0) continue;
    FPOINT p;
    p.x = lastX[j];
    p.y = lastY[j];
    outline.push_back(p);
  }
  magicWandSimplifyOutline(outline, magicWandSimplify);

  objectsEnsure(objectsTotal);
  undoSave(undoChanged, objectsTotal);
  object *o = &objects[objectsTotal];
  o->complete = 0;
  o->pointsTotal = 0;
  o->t = polygon;
  for (const FPOINT &p : outline) {
    pointsEnsure(o, o->pointsTotal);
    o->points[o->pointsTotal] = p;
    o->pointsTotal++;
  }
  release();
  if (o->pointsTotal <= 2) return 0;
  o->complete = 1;
  return 1;
}

void magicWandClampSettings(void) {
  if (magicWandPoints <= 2) magicWandPoints = 3;
  if (magicWandPoints > 256) magicWandPoints = 256;
  if (magicWandFeatherSteps < 0) magicWandFeatherSteps = 0;
  if (magicWandFeatherSteps > 3) magicWandFeatherSteps = 3;
  if (magicWandSimplify < 0) magicWandSimplify = 0;
  if (magicWandSimplify > 100) magicWandSimplify = 100;
  magicWandOuterOnly = magicWandOuterOnly ? 1 : 0;
}

