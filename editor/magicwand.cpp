// magicwand.cpp: the magic wand: rays cast from a clicked pixel stop at the
// first sample whose (feathered) colour differs from the seed beyond the
// tolerance, and their last accepted points become a polygon in the spare
// hotspot record. Also the limits of its settings. Owns magicWandSettings.
#include "editor/magicwand.h"

#include <climits>
#include <cmath>
#include <cstdlib>
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

}  // namespace

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
  if (!magicWandMask || !stop || !lastX || !lastY || !cosines || !sines) {
    std::free(magicWandMask);
    std::free(stop);
    std::free(lastX);
    std::free(lastY);
    std::free(cosines);
    std::free(sines);
    LowMemory();
    return 0;
  }
  unsigned c0 = imageDataGetPixel(id, x, y);
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
          pixelsDiffer(c0, featheredGetPixel(px, py), magicWandTolerance)) {
        stop[j] = i - 1;
        running--;
      } else {
        lastX[j] = px;
        lastY[j] = py;
      }
    }

  objectsEnsure(objectsTotal);
  undoSave(undoChanged, objectsTotal);
  object *o = &objects[objectsTotal];
  o->complete = 0;
  o->pointsTotal = 0;
  o->t = polygon;
  for (int j = 0; j < n; j++) {
    if (stop[j] <= 0) continue;
    pointsEnsure(o, o->pointsTotal);
    o->points[o->pointsTotal].x = lastX[j];
    o->points[o->pointsTotal].y = lastY[j];
    o->pointsTotal++;
  }
  std::free(magicWandMask);
  std::free(stop);
  std::free(lastX);
  std::free(lastY);
  std::free(cosines);
  std::free(sines);
  if (o->pointsTotal <= 2) return 0;
  o->complete = 1;
  return 1;
}

void magicWandClampSettings(void) {
  if (magicWandPoints <= 2) magicWandPoints = 3;
  if (magicWandPoints > 256) magicWandPoints = 256;
  if (magicWandFeatherSteps < 0) magicWandFeatherSteps = 0;
  if (magicWandFeatherSteps > 3) magicWandFeatherSteps = 3;
}

