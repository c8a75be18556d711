// view.cpp: zoom, scrolling, the pens, and the double-buffered drawing of the
// picture and its hotspots. Owns the view globals of view.h.
#include "editor/view.h"

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QRect>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/settings.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "platform/strhack.h"
#include "image/imagedata.h"
#include "platform/platform.h"

double scale = 1.0;
void (*viewOverlay)(QPainter *p) = nullptr;
int hoffs = 0, voffs = 0;
int winwidth = 400, winheight = 400;
int scaledWinWidth = 400, scaledWinHeight = 400;
int sketchR = 255, sketchG = 128, sketchB = 128;

int hasVbar = 0, hasHbar = 0;
int hrange = 0, vrange = 0;
int scrollNesting = 0;
int maximized = 0;
int newImage = 0;
int colorEditing = 0;

viewPen sketchPen = {0x008080FFu, 1};
viewPen outerSketchPen = {0x0040407Fu, 3};
viewPen fillPen = {0x00BFBFFFu, 1};
viewPen handlePen = {0x00BFFFBFu, 1};
viewPen middleHandlePen = {0x0080FF80u, 3};
viewPen outerHandlePen = {0x00407F40u, 5};
viewPen blackPen = {0x00000000u, 1};
viewPen bgPen = {0x00FFFFFFu, 1};
unsigned bgColor = 0x00FFFFFFu;

QImage *hbDouble = nullptr;
QImage *hbScrolledBitmap = nullptr;
int oldHoffs = 0, oldVoffs = 0;
double oldScale = 0;

int *pPoints = nullptr;
int pPointsAllocated = 0;

viewWindowTable viewWindow;

namespace {

// The page sizes last given to the scroll bars (0 for a hidden bar).
int hpageSet = 0, vpageSet = 0;

// The cache of the picture is valid for oldHoffs, oldVoffs, oldScale and the
// picture it was drawn from; pictureGeneration changes with every new cache.
bool cacheValid = false;
const imageData *cachePicture = nullptr;
int cacheDisplayW = 0, cacheDisplayH = 0;
unsigned cacheBg = 0;
uint64_t pictureGeneration = 0;

// The layer: the picture cache with the unchanging hotspots drawn over it.
QImage *layer = nullptr;
bool layerValid = false;
uint64_t layerKey = 0;
int layerHoffs = 0, layerVoffs = 0;  // the offsets the layer was drawn for
// Every hotspot of the layer is drawn in the sketch pen alone (none of them is
// selected), so a layer pixel is the sketch colour when any of them covers it
// and the picture otherwise, whatever the order they are drawn in. Set by
// staticKey.
bool layerSingleColour = false;

// Number of selected hotspots while viewRender runs (-1 outside it).
int drawSelectedCount = -1;

QColor qcolor(unsigned c) { return QColor((int)(c & 255), (int)((c >> 8) & 255), (int)((c >> 16) & 255)); }

QPen qpen(const viewPen &p) {
  // Wide pens end and join round, as geometric pens do; a one-pixel line stops
  // short of its end point.
  if (p.width <= 1) return QPen(qcolor(p.color), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  return QPen(qcolor(p.color), p.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

unsigned makeColor(int r, int g, int b) {
  return (unsigned)(r & 255) | ((unsigned)(g & 255) << 8) | ((unsigned)(b & 255) << 16);
}

int scaledPictureWidth(void) {
  if (displayWidth <= 0) return 0;
  return truncToInt(displayWidth * scale);
}
int scaledPictureHeight(void) {
  if (displayHeight <= 0) return 0;
  return truncToInt(displayHeight * scale);
}

// Makes img a w x h RGB32 image (a new one when the size differs). Returns
// whether it was made anew.
bool ensureImage(QImage *&img, int w, int h) {
  if (img && img->width() == w && img->height() == h) return false;
  delete img;
  img = new QImage(w, h, QImage::Format_RGB32);
  if (img->isNull()) {
    delete img;
    img = nullptr;
  }
  return true;
}

void growPoints(int n) {
  if (pPoints && pPointsAllocated > n) return;
  int space = pPointsAllocated > 0 ? pPointsAllocated : 64;
  while (space <= n) {
    if (space > (1 << 28)) dieMemory();
    space *= 2;
  }
  int *grown = static_cast<int *>(myreallocImpl(pPoints, sizeof(int) * 2 * static_cast<size_t>(space)));
  if (!grown) dieMemory();
  pPoints = grown;
  pPointsAllocated = space;
}

// --- the picture cache ----------------------------------------------------

// One tile column's share of a window row: window x from x0 to x1 (exclusive)
// reads tile column c at the picture columns in srcX.
struct span {
  int x0, x1, c;
};

// The 256 colours of an 8-bit tile as 0xFFRRGGBB.
void indexedColors(const imageData *d, const QImage *tile, QRgb *lut) {
  const QVector<QRgb> table = tile->colorTable();
  for (int i = 0; i < 256; i++) {
    if (d->dibhP || table.isEmpty()) {
      int k = i < 216 ? i : 215;
      lut[i] = qRgb(k / 36 * 51, k / 6 % 6 * 51, k % 6 * 51);
    } else {
      lut[i] = i < table.size() ? (table[i] | 0xFF000000u) : 0xFF000000u;
    }
  }
}

// Draws the part x0..x1-1, y0..y1-1 of the window: the picture scaled to
// displayWidth x displayHeight times scale and shifted by (-hoffs, -voffs),
// nearest pixel, the rest in the background colour. A window pixel's colour
// depends only on its place in the scaled picture, so parts drawn at different
// times fit together exactly. Each pixel is looked up once: the cost follows
// the area and not the zoom.
void drawPictureArea(QImage *cache, int x0, int y0, int x1, int y1) {
  if (x0 < 0) x0 = 0;
  if (y0 < 0) y0 = 0;
  if (x1 > cache->width()) x1 = cache->width();
  if (y1 > cache->height()) y1 = cache->height();
  if (x0 >= x1 || y0 >= y1) return;
  const QRgb bg = qcolor(bgColor).rgb();
  for (int y = y0; y < y1; y++) {
    QRgb *out = reinterpret_cast<QRgb *>(cache->scanLine(y));
    for (int x = x0; x < x1; x++) out[x] = bg;
  }
  const imageData *d = id;
  if (!d || d->width <= 0 || d->height <= 0 || d->rows <= 0 || d->cols <= 0) return;
  const double dw = displayWidth > 0 ? displayWidth * scale : 0;
  const double dh = displayHeight > 0 ? displayHeight * scale : 0;
  if (!(dw >= 1) || !(dh >= 1)) return;
  const long long sw = scaledPictureWidth(), sh = scaledPictureHeight();

  // Picture column and tile column of every window column; -1 off the picture.
  const int n = x1 - x0;
  std::vector<int> srcX(static_cast<size_t>(n), -1), tileC(static_cast<size_t>(n), -1);
  for (int i = 0; i < n; i++) {
    long long gx = static_cast<long long>(x0 + i) + hoffs;
    if (gx < 0 || gx >= sw) continue;
    long long u = static_cast<long long>(std::floor(static_cast<double>(gx) * d->width / dw));
    if (u >= d->width) u = d->width - 1;
    if (u < 0) u = 0;
    int c = 0;
    while (c + 1 < d->cols && d->colOffsets[c + 1] <= u) c++;
    srcX[static_cast<size_t>(i)] = static_cast<int>(u) - d->colOffsets[c];
    tileC[static_cast<size_t>(i)] = c;
  }
  std::vector<span> spans;
  for (int i = 0; i < n;) {
    if (tileC[static_cast<size_t>(i)] < 0) {
      i++;
      continue;
    }
    int i0 = i, c = tileC[static_cast<size_t>(i)];
    while (i < n && tileC[static_cast<size_t>(i)] == c) i++;
    spans.push_back(span{i0, i, c});
  }
  if (spans.empty()) return;

  QRgb lut[256];
  const QImage *lutTile = nullptr;
  long long lastV = -1;
  const QRgb *lastRow = nullptr;
  for (int y = y0; y < y1; y++) {
    long long gy = static_cast<long long>(y) + voffs;
    if (gy < 0 || gy >= sh) continue;
    long long v = static_cast<long long>(std::floor(static_cast<double>(gy) * d->height / dh));
    if (v >= d->height) v = d->height - 1;
    if (v < 0) v = 0;
    QRgb *out = reinterpret_cast<QRgb *>(cache->scanLine(y)) + x0;
    if (v == lastV && lastRow) {
      // The same picture row as the window row above (zoomed in).
      std::memcpy(out, lastRow, sizeof(QRgb) * static_cast<size_t>(n));
      continue;
    }
    int r = 0;
    while (r + 1 < d->rows && d->rowOffsets[r + 1] <= v) r++;
    const int ty = static_cast<int>(v) - d->rowOffsets[r];
    for (const span &s : spans) {
      const QImage *tile = d->hbmP[r][s.c];
      if (!tile || ty < 0 || ty >= tile->height()) continue;
      const uchar *line = tile->constScanLine(ty);
      const int tw = tile->width();
      const int *src = srcX.data();
      switch (tile->format()) {
        case QImage::Format_BGR888:
          for (int i = s.x0; i < s.x1; i++) {
            const int u = src[i];
            if (u >= tw) continue;
            const uchar *p = line + 3 * u;
            out[i] = 0xFF000000u | (static_cast<QRgb>(p[2]) << 16) | (static_cast<QRgb>(p[1]) << 8) | p[0];
          }
          break;
        case QImage::Format_RGB888:
          for (int i = s.x0; i < s.x1; i++) {
            const int u = src[i];
            if (u >= tw) continue;
            const uchar *p = line + 3 * u;
            out[i] = 0xFF000000u | (static_cast<QRgb>(p[0]) << 16) | (static_cast<QRgb>(p[1]) << 8) | p[2];
          }
          break;
        case QImage::Format_Indexed8:
          if (lutTile != tile) {
            indexedColors(d, tile, lut);
            lutTile = tile;
          }
          for (int i = s.x0; i < s.x1; i++) {
            const int u = src[i];
            if (u < tw) out[i] = lut[line[u]];
          }
          break;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
          for (int i = s.x0; i < s.x1; i++) {
            const int u = src[i];
            if (u < tw) out[i] = reinterpret_cast<const QRgb *>(line)[u] | 0xFF000000u;
          }
          break;
        default:
          for (int i = s.x0; i < s.x1; i++) {
            const int u = src[i];
            if (u < tw) out[i] = tile->pixel(u, ty) | 0xFF000000u;
          }
          break;
      }
    }
    lastV = v;
    lastRow = out;
  }
}

void drawPictureCache(QImage *cache) { drawPictureArea(cache, 0, 0, cache->width(), cache->height()); }

// Moves the pixels of img by (-dx, -dy): what was at (x + dx, y + dy) comes to
// (x, y). The uncovered strips keep stale pixels.
void shiftPixels(QImage *img, int dx, int dy) {
  const int W = img->width(), H = img->height();
  const size_t keep = static_cast<size_t>(W - (dx < 0 ? -dx : dx));
  const int srcX0 = dx > 0 ? dx : 0, dstX0 = dx < 0 ? -dx : 0;
  if (dy >= 0) {
    for (int y = 0; y + dy < H; y++)
      std::memmove(reinterpret_cast<QRgb *>(img->scanLine(y)) + dstX0,
                   reinterpret_cast<const QRgb *>(img->constScanLine(y + dy)) + srcX0, keep * sizeof(QRgb));
  } else {
    for (int y = H - 1; y + dy >= 0; y--)
      std::memmove(reinterpret_cast<QRgb *>(img->scanLine(y)) + dstX0,
                   reinterpret_cast<const QRgb *>(img->constScanLine(y + dy)) + srcX0, keep * sizeof(QRgb));
  }
}

// The strips a scroll by (dx, dy) uncovers in a W x H window (at most two).
int uncoveredStrips(int W, int H, int dx, int dy, QRect *strips) {
  int n = 0;
  if (dx > 0) strips[n++] = QRect(W - dx, 0, dx, H);
  if (dx < 0) strips[n++] = QRect(0, 0, -dx, H);
  if (dy > 0) strips[n++] = QRect(0, H - dy, W, dy);
  if (dy < 0) strips[n++] = QRect(0, 0, W, -dy);
  return n;
}

// After a scroll by (dx, dy) window pixels: the part still in view moves over
// and only the uncovered strips are drawn.
void scrollPictureCache(QImage *cache, int dx, int dy) {
  shiftPixels(cache, dx, dy);
  QRect strips[2];
  const int n = uncoveredStrips(cache->width(), cache->height(), dx, dy, strips);
  for (int i = 0; i < n; i++)
    drawPictureArea(cache, strips[i].left(), strips[i].top(), strips[i].right() + 1, strips[i].bottom() + 1);
}

// --- the layer key --------------------------------------------------------

struct hasher {
  uint64_t h = 1469598103934665603ull;
  void bytes(const void *p, size_t n) {
    const unsigned char *b = static_cast<const unsigned char *>(p);
    for (size_t i = 0; i < n; i++) {
      h ^= b[i];
      h *= 1099511628211ull;
    }
  }
  void word(uint64_t v) {
    // Whole words at a time: the points of thousands of hotspots go through here.
    h ^= v;
    h *= 1099511628211ull;
    h ^= h >> 29;
  }
  void number(double v) {
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    word(u);
  }
};

// Whether hotspot i changes while the selection is dragged, and so is drawn
// over the layer in every repaint rather than kept in it.
bool drawnLive(int i) { return state == editing && objects[i].selected; }

uint64_t staticKey(void) {
  hasher k;
  k.word(pictureGeneration);
  k.word(static_cast<uint64_t>(state));
  const viewPen *pens[] = {&sketchPen, &outerSketchPen, &fillPen, &handlePen, &middleHandlePen, &outerHandlePen};
  for (const viewPen *p : pens) k.word((static_cast<uint64_t>(p->color) << 8) ^ static_cast<uint64_t>(p->width));
  k.word(static_cast<uint64_t>(drawSelectedCount));
  for (int i = 0; i < psel.total && psel.points; i++) k.word(static_cast<uint64_t>(psel.points[i]) + 7);
  k.word(gridShow ? static_cast<uint64_t>(gridSpacing) : 0);
  k.word(0xABCDull);
  bool transformUsed = false;
  layerSingleColour = true;
  for (int i = 0; objects && i < objectsTotal; i++) {
    if (drawnLive(i)) continue;
    const object &o = objects[i];
    k.word(static_cast<uint64_t>(i));
    k.word((static_cast<uint64_t>(o.t) << 32) ^ (static_cast<uint64_t>(o.complete) << 16) ^
           static_cast<uint64_t>(o.selected != 0));
    k.word(static_cast<uint64_t>(o.pointsTotal));
    if (o.points) {
      const int n = o.pointsTotal + 1 <= o.pointsSpace ? o.pointsTotal + 1 : o.pointsTotal;
      for (int j = 0; j < n; j++) {
        k.number(o.points[j].x);
        k.number(o.points[j].y);
      }
    }
    if (o.selected) {
      transformUsed = true;
      layerSingleColour = false;
    }
  }
  if (transformUsed) {
    k.number(rfactorx);
    k.number(rfactory);
    k.word(static_cast<uint64_t>(static_cast<int64_t>(mfactorx)));
    k.word(static_cast<uint64_t>(static_cast<int64_t>(mfactory)));
  }
  return k.h;
}

QPainter *beginHotspots(QPainter &p, QImage *img) {
  p.begin(img);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.translate(-hoffs, -voffs);
  p.setBackgroundMode(Qt::TransparentMode);
  return &p;
}

// A scaled coordinate as drawn: truncated, and kept within 2^29 of the origin so
// that the markers' arithmetic stays inside int; such points lie far outside
// any window, where only an absurd zoom can put them.
const int coordLimit = 1 << 29;
int windowCoord(double v) {
  int c = truncToInt(v);
  if (c > coordLimit) c = coordLimit;
  if (c < -coordLimit) c = -coordLimit;
  return c;
}

// The window point of image point (x, y) of o through its pending transform.
void transformed(const object *o, double x, double y, int *wx, int *wy) {
  double fx = 1, fy = 1, mx = 0, my = 0;
  if (o->selected) {
    fx = rfactorx;
    fy = rfactory;
    mx = mfactorx;
    my = mfactory;
  }
  *wx = windowCoord(scale * (x * fx + mx));
  *wy = windowCoord(scale * (y * fy + my));
}

// --- one-pixel outlines -------------------------------------------------------

// The sketch pen's one-pixel outlines are set straight in the image rather than
// drawn by the raster engine, which cuts a sloped line at the edge of the image
// or the clip and steps along from there. Here the pixels of a segment depend
// on its two end points alone, and a clip keeps exactly those of them inside
// it: a drawing moved by whole pixels equals the same drawing made there, and
// a strip drawn with a clip fits the part drawn before without a seam.

// Floor and ceiling of a / b for b > 0.
long long floorDiv(long long a, long long b) {
  const long long q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}
long long ceilDiv(long long a, long long b) { return -floorDiv(-a, b); }

// Where one-pixel lines are set: rows of 32-bit pixels and the clip rectangle
// in image pixels (inclusive).
struct pixelTarget {
  QRgb *bits;
  qsizetype stride;  // pixels a row
  long long x0, y0, x1, y1;
  QRgb colour;
};

// Sets the pixels of the segment from (px, py) to (qx, qy), its last point
// left out, that lie in the clip of t. Along the longer axis (x when they tie)
// every step has one pixel; across it the pixel is the exact position rounded,
// halves away from the lower end: w = wa + floor((2 (u - ua) dw + du) / (2 du))
// with the ends ordered ua < ub. The end points lie within 2^30 of each other,
// which keeps every product below 2^62.
void segmentPixels(const pixelTarget &t, long long px, long long py, long long qx, long long qy) {
  const bool alongX = std::llabs(qx - px) >= std::llabs(qy - py);
  long long ua = alongX ? px : py, wa = alongX ? py : px, ub = alongX ? qx : qy, wb = alongX ? qy : qx;
  if (ua == ub) return;  // a point: its only pixel is the one left out
  // The point left out is the last one, at the high end or, reversed, the low one.
  long long lo = 0, hi = 0;
  if (ua < ub) {
    hi = ub - ua - 1;
  } else {
    std::swap(ua, ub);
    std::swap(wa, wb);
    lo = 1;
    hi = ub - ua;
  }
  const long long du = ub - ua, dw = wb - wa;
  const long long cu0 = alongX ? t.x0 : t.y0, cu1 = alongX ? t.x1 : t.y1;
  const long long cw0 = alongX ? t.y0 : t.x0, cw1 = alongX ? t.y1 : t.x1;
  lo = std::max(lo, cu0 - ua);
  hi = std::min(hi, cu1 - ua);
  if (lo > hi) return;
  // The steps whose pixel lies between cw0 and cw1 across, from
  // k <= floor((2 s dw + du) / (2 du)) <= m.
  long long k = cw0 - wa, m = cw1 - wa;
  const long long wmin = std::min(0LL, dw), wmax = std::max(0LL, dw);
  if (k > wmax || m < wmin) return;
  k = std::max(k, wmin);
  m = std::min(m, wmax);
  if (dw > 0) {
    lo = std::max(lo, ceilDiv((2 * k - 1) * du, 2 * dw));
    hi = std::min(hi, ceilDiv((2 * m + 1) * du, 2 * dw) - 1);
  } else if (dw < 0) {
    lo = std::max(lo, floorDiv(-(2 * m + 1) * du, -2 * dw) + 1);
    hi = std::min(hi, floorDiv((1 - 2 * k) * du, -2 * dw));
  } else if (k > 0 || m < 0) {
    return;
  }
  if (lo > hi) return;
  // The position across at the first step, as a whole part and a remainder
  // of 2 du, then one step at a time.
  const long long den = 2 * du, n = 2 * lo * dw + du;
  long long w = floorDiv(n, den), rest = n - w * den;
  w += wa;
  // A step along moves one pixel along, a step across one pixel across; in
  // the image those are 1 and a row, or a row and 1.
  const qsizetype along = alongX ? 1 : t.stride, across = alongX ? t.stride : 1;
  long long at = (ua + lo) * along + w * across;
  for (long long steps = hi - lo + 1; steps > 0; steps--, at += along) {
    t.bits[at] = t.colour;
    rest += 2 * dw;
    if (rest >= den) {
      rest -= den;
      at += across;
    } else if (rest < 0) {
      rest += den;
      at -= across;
    }
  }
}

// Sets the pixels of the circle round (cx, cy) of radius r > 0 that lie in the
// clip of t: in the columns within r / sqrt(2) of the centre, the two rows at
// the rounded height sqrt(r^2 - u^2) above and below, and the same way round
// for the rows. Each column and row is worked out alone, so only the clip's
// size counts. For the circles the raster engine draws as a path of lines.
void circlePixels(const pixelTarget &t, long long cx, long long cy, long long r) {
  const long long rr = r * r;
  // The rounded root of s >= 0: the largest w with w (w - 1) <= s - 1.
  auto root = [](long long s) {
    if (s <= 0) return 0LL;
    long long w = static_cast<long long>(std::sqrt(static_cast<double>(s)) + 0.5);
    while (w > 0 && w * (w - 1) > s - 1) w--;
    while ((w + 1) * w <= s - 1) w++;
    return w;
  };
  auto set = [&](long long x, long long y) {
    if (x >= t.x0 && x <= t.x1 && y >= t.y0 && y <= t.y1) t.bits[y * t.stride + x] = t.colour;
  };
  // Steps d from the centre with 2 d^2 <= r^2, within the clip from c0 to c1.
  auto range = [&](long long c, long long c0, long long c1, long long *from, long long *to) {
    long long reach = static_cast<long long>(static_cast<double>(r) / std::sqrt(2.0)) + 1;
    while (reach > 0 && 2 * reach * reach > rr) reach--;
    *from = std::max(c - reach, c0);
    *to = std::min(c + reach, c1);
  };
  long long from, to;
  range(cx, t.x0, t.x1, &from, &to);
  for (long long x = from; x <= to; x++) {
    const long long w = root(rr - (x - cx) * (x - cx));
    set(x, cy - w);
    set(x, cy + w);
  }
  range(cy, t.y0, t.y1, &from, &to);
  for (long long y = from; y <= to; y++) {
    const long long w = root(rr - (y - cy) * (y - cy));
    set(cx - w, y);
    set(cx + w, y);
  }
}

// The image p paints on, its offset from p's coordinates and its clip, when
// pixels can be set there straight: a 32-bit image, moved by whole pixels,
// painted over in place. Returns the number of clip rectangles (0: none
// visible, -1: not possible), with their targets in out.
int pixelTargets(QPainter *p, unsigned colour, long long *ox, long long *oy, std::vector<pixelTarget> &out) {
  out.clear();
  QImage *img = dynamic_cast<QImage *>(p->device());
  if (!img || img->isNull() || !img->isDetached() || img->depth() != 32) return -1;
  const QImage::Format f = img->format();
  if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied) return -1;
  if (p->compositionMode() != QPainter::CompositionMode_SourceOver || p->opacity() != 1.0) return -1;
  const QTransform &m = p->deviceTransform();
  if (m.type() > QTransform::TxTranslate) return -1;
  const double tx = m.dx(), ty = m.dy();
  if (tx != std::floor(tx) || ty != std::floor(ty) || std::fabs(tx) > 1e9 || std::fabs(ty) > 1e9) return -1;
  *ox = static_cast<long long>(tx);
  *oy = static_cast<long long>(ty);
  pixelTarget base = {reinterpret_cast<QRgb *>(img->bits()), img->bytesPerLine() / 4, 0, 0, img->width() - 1,
                      img->height() - 1, qcolor(colour).rgba()};
  if (!p->hasClipping()) {
    out.push_back(base);
    return 1;
  }
  const QRegion clip = p->clipRegion().translated(static_cast<int>(*ox), static_cast<int>(*oy));
  for (const QRect &r : clip) {
    pixelTarget c = base;
    c.x0 = std::max<long long>(r.left(), 0);
    c.y0 = std::max<long long>(r.top(), 0);
    c.x1 = std::min<long long>(r.right(), base.x1);
    c.y1 = std::min<long long>(r.bottom(), base.y1);
    if (c.x0 <= c.x1 && c.y0 <= c.y1) out.push_back(c);
  }
  return static_cast<int>(out.size());
}

// The targets of the outline being drawn, kept from one to the next.
std::vector<pixelTarget> targets;

// The circle round (cx, cy) of radius r (its box) in the sketch pen. The raster
// engine draws a circle the same wherever it is, but for a vast one, which it
// draws as a path of lines: those are set here. A circle of no size draws
// nothing.
void sketchCircle(QPainter *p, int cx, int cy, int r, const QRect &box) {
  if (r <= 0) return;
  long long ox = 0, oy = 0;
  if (r >= (1 << 20) && pixelTargets(p, sketchPen.color, &ox, &oy, targets) >= 0) {
    for (const pixelTarget &t : targets) circlePixels(t, cx + ox, cy + oy, r);
    return;
  }
  p->setBrush(Qt::NoBrush);
  p->setPen(qpen(sketchPen));
  p->drawEllipse(box);
}

// The n points of pPoints joined in pen: a one-pixel pen sets the pixels of
// each segment, and the last point when any segment has a length.
void polyline(QPainter *p, const viewPen &pen, int n) {
  long long ox = 0, oy = 0;
  if (pen.width <= 1 && n >= 2) {
    if (pixelTargets(p, pen.color, &ox, &oy, targets) >= 0) {
      bool drawn = false;
      for (int i = 0; i + 1 < n; i++) {
        const long long ax = pPoints[2 * i] + ox, ay = pPoints[2 * i + 1] + oy;
        const long long bx = pPoints[2 * i + 2] + ox, by = pPoints[2 * i + 3] + oy;
        if (ax == bx && ay == by) continue;
        drawn = true;
        const long long x0 = std::min(ax, bx), x1 = std::max(ax, bx), y0 = std::min(ay, by), y1 = std::max(ay, by);
        for (const pixelTarget &t : targets)
          if (x1 >= t.x0 && x0 <= t.x1 && y1 >= t.y0 && y0 <= t.y1) segmentPixels(t, ax, ay, bx, by);
      }
      const long long ex = pPoints[2 * n - 2] + ox, ey = pPoints[2 * n - 1] + oy;
      if (drawn)
        for (const pixelTarget &t : targets)
          if (ex >= t.x0 && ex <= t.x1 && ey >= t.y0 && ey <= t.y1) t.bits[ey * t.stride + ex] = t.colour;
      return;
    }
  }
  p->setPen(qpen(pen));
  p->setBrush(Qt::NoBrush);
  std::vector<QPoint> pts(static_cast<size_t>(n));
  for (int i = 0; i < n; i++) pts[static_cast<size_t>(i)] = QPoint(pPoints[2 * i], pPoints[2 * i + 1]);
  p->drawPolyline(pts.data(), n);
}

void xorPolygon(QPainter *p, int n) {
  std::vector<QPoint> pts(static_cast<size_t>(n));
  for (int i = 0; i < n; i++) pts[static_cast<size_t>(i)] = QPoint(pPoints[2 * i], pPoints[2 * i + 1]);
  p->save();
  p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p->setPen(qpen(fillPen));
  p->setBrush(QColor(255, 255, 255));
  p->drawPolygon(pts.data(), n, Qt::OddEvenFill);
  p->restore();
}

QRect circleBox(int cx, int cy, int r) { return QRect(cx - r, cy - r, 2 * r, 2 * r); }

}  // namespace

// --- colours and pens -------------------------------------------------------

unsigned Darken(unsigned c) {
  return makeColor((int)(c & 255) / 2, (int)((c >> 8) & 255) / 2, (int)((c >> 16) & 255) / 2);
}

unsigned Brighten(unsigned c) {
  auto up = [](int v) { return v + (127 - v / 2); };
  return makeColor(up((int)(c & 255)), up((int)((c >> 8) & 255)), up((int)((c >> 16) & 255)));
}

unsigned Contrast(unsigned c) {
  const int r = (int)(c & 255), g = (int)((c >> 8) & 255), b = (int)((c >> 16) & 255);
  return makeColor(b, r, g);
}

void viewRecreatePens(void) {
  const unsigned c = makeColor(sketchR, sketchG, sketchB);
  sketchPen = viewPen{c, 1};
  outerSketchPen = viewPen{Darken(c), 3};
  fillPen = viewPen{Brighten(c), 1};
  handlePen = viewPen{Brighten(Contrast(c)), 1};
  middleHandlePen = viewPen{Contrast(c), 3};
  outerHandlePen = viewPen{Darken(Contrast(c)), 5};
  layerValid = false;
}

void viewChooseSketchColor(void) {
  unsigned c = makeColor(sketchR, sketchG, sketchB);
  colorEditing = 1;
  const int ok = platform->chooseColor(nullptr, &c, customColors);
  colorEditing = 0;
  if (!ok) return;
  sketchR = (int)(c & 255);
  sketchG = (int)((c >> 8) & 255);
  sketchB = (int)((c >> 16) & 255);
  viewRecreatePens();
  repaint(0);
}

// --- markers ----------------------------------------------------------------

void Cross(QPainter *p, int x, int y, int r, int d) {
  const viewPen *order[3];
  int n = 0;
  if (d >= 2) order[n++] = &outerHandlePen;
  order[n++] = &middleHandlePen;
  order[n++] = &handlePen;
  for (int i = 0; i < n; i++) {
    p->setPen(qpen(*order[i]));
    p->drawLine(x - r, y, x + r - 1, y);
    p->drawLine(x, y - r, x, y + r - 1);
  }
}

void CrossPoint(QPainter *p, int x, int y) { Cross(p, x, y, 7, 1); }
void CrossHandle(QPainter *p, int x, int y) { Cross(p, x, y, 10, 2); }

void CornerHandle(QPainter *p, int x, int y) {
  p->setPen(qpen(outerHandlePen));
  const QPoint outer[3] = {QPoint(x - 9, y - 1), QPoint(x - 1, y - 1), QPoint(x - 1, y - 9)};
  p->drawPolyline(outer, 3);
  p->setPen(qpen(handlePen));
  const QPoint inner[3] = {QPoint(x - 10, y), QPoint(x, y), QPoint(x, y - 10)};
  p->drawPolyline(inner, 3);
}

void drawPointSelection(QPainter *p, int x, int y) {
  p->setBrush(Qt::NoBrush);
  p->setPen(qpen(middleHandlePen));
  p->drawEllipse(QRect(x - 7, y - 7, 14, 14));
  p->setPen(qpen(handlePen));
  p->drawEllipse(QRect(x - 7, y - 7, 14, 14));
}

// --- hotspots ---------------------------------------------------------------

void objectDraw(QPainter *p, object *o, int shadow) {
  if (!p || !o) return;
  objectDrawBody(p, o, state, shadow);
  o->lastState = state;
}

void objectDrawBody(QPainter *p, object *o, int st, int) {
  if (!p || !o || !o->points || o->t == notype) return;
  const int selectedCount = drawSelectedCount >= 0 ? drawSelectedCount : objectsSelected();
  const bool editingNow = st == editing;
  const bool highlighted = o->selected && editingNow && !(o->t == circle && !o->complete);
  const bool markers = o->complete && o->selected && !(editingNow && selectedCount > 1);

  if (o->t == polygon || o->t == rectangle) {
    int n = 0;       // ring points drawn
    int corners = 0; // ring points that are vertices (without the closing repeat)
    if (o->t == polygon) {
      if (o->pointsTotal < 1) return;
      const bool closed = o->complete || st == polyUrl;
      const bool floating = !closed && o->pointsTotal < o->pointsSpace;
      growPoints(o->pointsTotal + 2);
      for (int i = 0; i < o->pointsTotal; i++)
        transformed(o, o->points[i].x, o->points[i].y, &pPoints[2 * i], &pPoints[2 * i + 1]);
      n = o->pointsTotal;
      corners = n;
      if (closed) {
        pPoints[2 * n] = pPoints[0];
        pPoints[2 * n + 1] = pPoints[1];
        n++;
      } else if (floating) {
        transformed(o, o->points[n].x, o->points[n].y, &pPoints[2 * n], &pPoints[2 * n + 1]);
        n++;
      }
    } else {
      if (o->pointsTotal < 2) return;
      growPoints(6);
      const FPOINT &a = o->points[0], &b = o->points[1];
      const double xs[4] = {std::fmin(a.x, b.x), std::fmax(a.x, b.x), std::fmax(a.x, b.x), std::fmin(a.x, b.x)};
      const double ys[4] = {std::fmin(a.y, b.y), std::fmin(a.y, b.y), std::fmax(a.y, b.y), std::fmax(a.y, b.y)};
      for (int i = 0; i < 4; i++) transformed(o, xs[i], ys[i], &pPoints[2 * i], &pPoints[2 * i + 1]);
      pPoints[8] = pPoints[0];
      pPoints[9] = pPoints[1];
      n = 5;
      corners = 4;
    }
    if (highlighted) {
      xorPolygon(p, corners);
      polyline(p, outerSketchPen, n);
    }
    polyline(p, sketchPen, n);
    if (markers) {
      if (o->t == polygon) {
        for (int i = 0; i < corners; i++) {
          CrossPoint(p, pPoints[2 * i], pPoints[2 * i + 1]);
          if (pointIsSelected(&psel, i)) drawPointSelection(p, pPoints[2 * i], pPoints[2 * i + 1]);
        }
      } else {
        // The corners in the order the point selection numbers them: (x1,y1),
        // (x2,y1), (x2,y2), (x1,y2), so a selected corner is ringed where it is.
        const FPOINT &a = o->points[0], &b = o->points[1];
        const double xs[4] = {a.x, b.x, b.x, a.x};
        const double ys[4] = {a.y, a.y, b.y, b.y};
        for (int i = 0; i < 4; i++) {
          int wx, wy;
          transformed(o, xs[i], ys[i], &wx, &wy);
          CrossPoint(p, wx, wy);
          if (pointIsSelected(&psel, i)) drawPointSelection(p, wx, wy);
        }
        int cx, cy;
        transformed(o, (a.x + b.x) / 2, (a.y + b.y) / 2, &cx, &cy);
        CrossHandle(p, cx, cy);
        if (pointIsSelected(&psel, 4)) drawPointSelection(p, cx, cy);
      }
    }
    return;
  }

  if (o->t == circle) {
    if (o->pointsTotal < 2) return;
    int cx, cy;
    transformed(o, o->points[0].x, o->points[0].y, &cx, &cy);
    const double fx = o->selected ? rfactorx : 1, fy = o->selected ? rfactory : 1;
    const long long dx = truncToInt((o->points[1].x - o->points[0].x) * scale * fx);
    const long long dy = truncToInt((o->points[1].y - o->points[0].y) * scale * fy);
    const int r = windowCoord(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
    const QRect box = circleBox(cx, cy, r);
    if (highlighted) {
      p->save();
      p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p->setPen(qpen(fillPen));
      p->setBrush(QColor(255, 255, 255));
      p->drawEllipse(box);
      p->restore();
      p->setBrush(Qt::NoBrush);
      p->setPen(qpen(outerSketchPen));
      p->drawEllipse(box);
    }
    sketchCircle(p, cx, cy, r, box);
    if (o->complete && o->selected && editingNow && selectedCount == 1) {
      CrossHandle(p, cx, cy);
      CrossPoint(p, cx + r, cy);
      CrossPoint(p, cx - r, cy);
      CrossPoint(p, cx, cy - r);
      CrossPoint(p, cx, cy + r);
    }
  }
}


// --- scrolling the layer -----------------------------------------------------

namespace {

// Where a hotspot of the layer draws, in scaled picture pixels: a box that
// holds every pixel of it, with a margin.
struct layerShape {
  long long x0, y0, x1, y1;  // inclusive
  bool drawn;
};

const int shapeMargin = 3;

layerShape shapeOf(const object *o, int st) {
  layerShape sh = {0, 0, -1, -1, false};
  if (!o->points || o->t == notype) return sh;
  auto take = [&](long long x, long long y) {
    if (!sh.drawn) {
      sh.x0 = sh.x1 = x;
      sh.y0 = sh.y1 = y;
      sh.drawn = true;
      return;
    }
    if (x < sh.x0) sh.x0 = x;
    if (x > sh.x1) sh.x1 = x;
    if (y < sh.y0) sh.y0 = y;
    if (y > sh.y1) sh.y1 = y;
  };
  if (o->t == polygon) {
    if (o->pointsTotal < 1) return sh;
    const bool closed = o->complete || st == polyUrl;
    const int n = !closed && o->pointsTotal < o->pointsSpace ? o->pointsTotal + 1 : o->pointsTotal;
    for (int i = 0; i < n; i++) {
      int wx, wy;
      transformed(o, o->points[i].x, o->points[i].y, &wx, &wy);
      take(wx, wy);
    }
  } else if (o->t == rectangle) {
    if (o->pointsTotal < 2) return sh;
    for (int i = 0; i < 2; i++) {
      int wx, wy;
      transformed(o, o->points[i].x, o->points[i].y, &wx, &wy);
      take(wx, wy);
    }
  } else if (o->t == circle) {
    if (o->pointsTotal < 2) return sh;
    int cx, cy;
    transformed(o, o->points[0].x, o->points[0].y, &cx, &cy);
    const double fx = o->selected ? rfactorx : 1, fy = o->selected ? rfactory : 1;
    const long long dx = truncToInt((o->points[1].x - o->points[0].x) * scale * fx);
    const long long dy = truncToInt((o->points[1].y - o->points[0].y) * scale * fy);
    const long long r = windowCoord(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
    take(cx - r, cy - r);
    take(cx + r, cy + r);
  }
  if (sh.drawn) {
    sh.x0 -= shapeMargin;
    sh.y0 -= shapeMargin;
    sh.x1 += shapeMargin;
    sh.y1 += shapeMargin;
  }
  return sh;
}

// The part of shape sh inside the W x H window at offsets (h, v), in window
// pixels; empty when it is out of sight.
QRect shapeInWindow(const layerShape &sh, int h, int v, int W, int H) {
  if (!sh.drawn) return QRect();
  long long x0 = sh.x0 - h, y0 = sh.y0 - v, x1 = sh.x1 - h, y1 = sh.y1 - v;
  if (x0 < 0) x0 = 0;
  if (y0 < 0) y0 = 0;
  if (x1 > W - 1) x1 = W - 1;
  if (y1 > H - 1) y1 = H - 1;
  if (x0 > x1 || y0 > y1) return QRect();
  return QRect(QPoint(static_cast<int>(x0), static_cast<int>(y0)), QPoint(static_cast<int>(x1), static_cast<int>(y1)));
}

void copyPixels(QImage *to, const QImage *from, const QRect &r) {
  for (int y = r.top(); y <= r.bottom(); y++)
    std::memcpy(reinterpret_cast<QRgb *>(to->scanLine(y)) + r.left(),
                reinterpret_cast<const QRgb *>(from->constScanLine(y)) + r.left(),
                sizeof(QRgb) * static_cast<size_t>(r.width()));
}

// Brings the layer, drawn at (layerHoffs, layerVoffs) and valid there, to the
// current offsets: the part still in view moves over, and the uncovered strips
// get the picture and the hotspots that reach them, drawn clipped to the
// strips. Every hotspot of the layer is a one-pixel outline whose pixels do
// not depend on where the window or the clip cuts it, so the result is the
// layer drawn anew. Returns 0 when the scroll is a window or more.
int scrollLayer(bool (*live)(int)) {
  const int W = layer->width(), H = layer->height();
  const long long farX = static_cast<long long>(hoffs) - layerHoffs, farY = static_cast<long long>(voffs) - layerVoffs;
  if (farX <= -W || farX >= W || farY <= -H || farY >= H) return 0;
  const int dx = static_cast<int>(farX), dy = static_cast<int>(farY);
  shiftPixels(layer, dx, dy);

  QRect strips[2];
  const int n = uncoveredStrips(W, H, dx, dy, strips);
  if (!n) return 1;
  QRegion stripRegion;
  for (int i = 0; i < n; i++) {
    copyPixels(layer, hbScrolledBitmap, strips[i]);
    stripRegion += strips[i];
  }
  QPainter p;
  p.begin(layer);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setClipRegion(stripRegion);
  p.translate(-hoffs, -voffs);
  p.setBackgroundMode(Qt::TransparentMode);
  for (int i = 0; i < objectsTotal; i++) {
    if (live(i)) continue;
    const QRect r = shapeInWindow(shapeOf(&objects[i], state), hoffs, voffs, W, H);
    if (!r.isEmpty() && stripRegion.intersects(r)) objectDrawBody(&p, &objects[i], state, 0);
  }
  p.end();
  return 1;
}

bool layerLive(int i) { return drawnLive(i); }

}  // namespace

// --- the repaint --------------------------------------------------------------

void viewInvalidate(void) {
  cacheValid = false;
  layerValid = false;
}

void viewRelease(void) {
  delete hbDouble;
  hbDouble = nullptr;
  delete hbScrolledBitmap;
  hbScrolledBitmap = nullptr;
  delete layer;
  layer = nullptr;
  myfreeImpl(pPoints);
  pPoints = nullptr;
  pPointsAllocated = 0;
  viewInvalidate();
}

namespace {

// The grid over the picture, under the hotspots: a faint line every
// gridSpacing picture pixels, left out when the lines would be closer than
// four window pixels.
void drawGrid(QImage *target) {
  if (!gridShow || !id || sx <= 0 || sy <= 0 || gridSpacing < 1) return;
  const double step = gridSpacing * scale;
  if (step < 4) return;
  const double right = sx * scale - hoffs, bottom = sy * scale - voffs;
  const int w = target->width(), h = target->height();
  QPainter p(target);
  p.setPen(QPen(QColor(128, 128, 128, 96), 1));
  const int xEnd = static_cast<int>(std::min<double>(right, w)), yEnd = static_cast<int>(std::min<double>(bottom, h));
  const int yStart = static_cast<int>(std::max<double>(-voffs, 0)), xStart = static_cast<int>(std::max<double>(-hoffs, 0));
  for (long long k = static_cast<long long>(std::ceil(hoffs / step)); k * step - hoffs < xEnd; k++) {
    const int x = static_cast<int>(std::floor(k * step - hoffs));
    if (x >= 0) p.drawLine(x, yStart, x, yEnd - 1);
  }
  for (long long k = static_cast<long long>(std::ceil(voffs / step)); k * step - voffs < yEnd; k++) {
    const int y = static_cast<int>(std::floor(k * step - voffs));
    if (y >= 0) p.drawLine(xStart, y, xEnd - 1, y);
  }
}

}  // namespace

void viewRender(int flag) {
  const int W = winwidth > 0 ? winwidth : 1, H = winheight > 0 ? winheight : 1;
  bool fresh = ensureImage(hbDouble, W, H);
  fresh = ensureImage(hbScrolledBitmap, W, H) || fresh;
  fresh = ensureImage(layer, W, H) || fresh;
  if (!hbDouble || !hbScrolledBitmap || !layer) {
    LowMemory();
    return;
  }

  const bool sameView = !fresh && cacheValid && oldScale == scale && cachePicture == id &&
                        cacheDisplayW == displayWidth && cacheDisplayH == displayHeight && cacheBg == bgColor;
  bool scrolled = false;
  if (!sameView || oldHoffs != hoffs || oldVoffs != voffs) {
    const long long dx = static_cast<long long>(hoffs) - oldHoffs, dy = static_cast<long long>(voffs) - oldVoffs;
    scrolled = sameView && dx > -W && dx < W && dy > -H && dy < H;
    if (scrolled)
      scrollPictureCache(hbScrolledBitmap, static_cast<int>(dx), static_cast<int>(dy));
    else
      drawPictureCache(hbScrolledBitmap);
    oldHoffs = hoffs;
    oldVoffs = voffs;
    oldScale = scale;
    cachePicture = id;
    cacheDisplayW = displayWidth;
    cacheDisplayH = displayHeight;
    cacheBg = bgColor;
    if (!cacheValid || !sameView || !scrolled) {
      // A new picture cache: the layer is drawn again from it.
      pictureGeneration++;
      layerValid = false;
    }
    cacheValid = true;
  }

  drawSelectedCount = objectsSelected();
  const size_t bytes = static_cast<size_t>(hbDouble->sizeInBytes());
  if (objects) {
    const uint64_t key = staticKey();
    bool redraw = !layerValid || key != layerKey;
    // A scrolled layer would leave the grid out of the strip it uncovers.
    if (!redraw && (layerHoffs != hoffs || layerVoffs != voffs))
      redraw = gridShow || !layerSingleColour || !scrollLayer(layerLive);
    if (redraw) {
      std::memcpy(layer->bits(), hbScrolledBitmap->constBits(), bytes);
      drawGrid(layer);
      QPainter p;
      beginHotspots(p, layer);
      for (int i = 0; i < objectsTotal; i++)
        if (!drawnLive(i)) objectDraw(&p, &objects[i], (flag == 2 && !objects[i].selected) ? 0 : flag);
      p.end();
      layerKey = key;
      layerValid = true;
    }
    layerHoffs = hoffs;
    layerVoffs = voffs;
    std::memcpy(hbDouble->bits(), layer->constBits(), bytes);
  } else {
    std::memcpy(hbDouble->bits(), hbScrolledBitmap->constBits(), bytes);
  }

  if (objects) {
    QPainter p;
    beginHotspots(p, hbDouble);
    for (int i = 0; i < objectsTotal; i++)
      if (drawnLive(i)) objectDraw(&p, &objects[i], flag);
    if (objectsTotal < objectsSpace) objectDraw(&p, &objects[objectsTotal], flag);
    if (viewOverlay) viewOverlay(&p);
    if (state == editing && selectionWithHandles()) {
      int cx = 0, cy = 0;
      const bounds b = selectionGetCenterAndBounds(&cx, &cy, nullptr, nullptr);
      CrossHandle(&p, windowCoord(cx * scale), windowCoord(cy * scale));
      CornerHandle(&p, windowCoord(b.x2 * scale), windowCoord(b.y2 * scale));
    }
    if (state == editing && editingSelectionDrag) {
      const int x1 = windowCoord(ovx * scale), y1 = windowCoord(ovy * scale);
      const int x2 = windowCoord(selectionDragX * scale), y2 = windowCoord(selectionDragY * scale);
      const QRect band = QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized().adjusted(0, 0, -1, -1);
      p.setBrush(Qt::NoBrush);
      p.setPen(qpen(outerSketchPen));
      p.drawRect(band);
      p.setPen(qpen(sketchPen));
      p.drawRect(band);
    }
    p.end();
  }
  drawSelectedCount = -1;
}

void viewRepaint(int flag) {
  viewRender(flag);
  if (viewWindow.show) viewWindow.show();
}

// --- scrolling ----------------------------------------------------------------

scrollLayout scrollLayoutFor(int sw, int sh, int clientW, int clientH, int hasH, int hasV, int thicknessH,
                             int thicknessV) {
  scrollLayout l = {0, 0, 0, 0, 0, 0};
  auto fit = [](long long v) { return static_cast<int>(v > INT_MAX ? INT_MAX : (v < 0 ? 0 : v)); };
  const long long W = static_cast<long long>(clientW) + (hasV ? thicknessV : 0);
  const long long H = static_cast<long long>(clientH) + (hasH ? thicknessH : 0);
  l.hpage = fit(W);
  l.vpage = fit(H);
  if (sw <= W && sh <= H) return l;
  auto both = [&]() {
    l.showH = l.showV = 1;
    l.vrange = fit(static_cast<long long>(sh) + thicknessH);
    l.hrange = fit(static_cast<long long>(sw) + thicknessV);
  };
  if (sh > H) {
    if (sw > W - thicknessV) {
      both();
    } else {
      l.showV = 1;
      l.vrange = sh;
    }
  } else {
    if (sh > H - thicknessH) {
      both();
    } else {
      l.showH = 1;
      l.hrange = sw;
    }
  }
  return l;
}

namespace {

int thickness(int vertical) {
  int t = viewWindow.barThickness ? viewWindow.barThickness(vertical) : 16;
  return t > 0 ? t : 0;
}

// The furthest position each bar reaches: range - page + 1, 0 for a hidden bar.
int barMax(int range, int page, int shown) {
  if (!shown) return 0;
  long long m = static_cast<long long>(range) - page + 1;
  return m > 0 ? static_cast<int>(m) : 0;
}

int clampTo(long long v, int hi) {
  if (v > hi) v = hi;
  if (v < 0) v = 0;
  return static_cast<int>(v);
}

void setPositions(void) {
  if (viewWindow.setPositions) viewWindow.setPositions(hoffs, voffs);
}

}  // namespace

void viewResetScroll(void) {
  const int sw = scaledPictureWidth(), sh = scaledPictureHeight();
  scaledWinWidth = winwidth;
  scaledWinHeight = winheight;
  if (scrollNesting) return;
  scrollNesting++;
  const scrollLayout l =
      scrollLayoutFor(sw, sh, winwidth, winheight, hasHbar, hasVbar, thickness(0), thickness(1));
  hasHbar = l.showH;
  hasVbar = l.showV;
  hrange = l.hrange;
  vrange = l.vrange;
  hpageSet = l.showH ? l.hpage : 0;
  vpageSet = l.showV ? l.vpage : 0;
  if (viewWindow.setBars) viewWindow.setBars(l.showH, l.showV);
  if (viewWindow.setRanges) viewWindow.setRanges(l.hrange, l.vrange, l.hpage, l.vpage);
  hoffs = voffs = 0;
  setPositions();
  scrollNesting--;
  repaint(0);
}

int scrollLimitH(void) {
  long long m = static_cast<long long>(scaledPictureWidth()) - scaledWinWidth;
  return m > 0 ? static_cast<int>(m) : 0;
}

int scrollLimitV(void) {
  long long m = static_cast<long long>(scaledPictureHeight()) - scaledWinHeight;
  return m > 0 ? static_cast<int>(m) : 0;
}

int viewScroll(int vertical, int action, int position) {
  int &off = vertical ? voffs : hoffs;
  const int limit = vertical ? scrollLimitV() : scrollLimitH();
  const int page = vertical ? scaledWinHeight : scaledWinWidth;
  long long v = off;
  switch (action) {
    case scrollLineUp: v = clampTo(v - 8, limit); break;
    case scrollLineDown: v = clampTo(v + 8, limit); break;
    case scrollPageUp: v = clampTo(v - page, limit); break;
    case scrollPageDown: v = clampTo(v + page, limit); break;
    case scrollThumb: v = position < 0 ? 0 : position; break;
    case scrollTop: v = 0; break;
    case scrollBottom: v = limit; break;
    default: return off;
  }
  off = static_cast<int>(v);
  setPositions();
  repaint(0);
  return off;
}

// --- zoom ---------------------------------------------------------------------

void Zoomin(int) {
  undoSave(undoZoomed, objectsTotal);
  const long long oh = hoffs, ov = voffs;
  scale *= 2;
  resetScroll();
  hoffs = clampTo(2 * oh + winwidth / 2, barMax(hrange, hpageSet, hasHbar));
  voffs = clampTo(2 * ov + winheight / 2, barMax(vrange, vpageSet, hasVbar));
  setPositions();
  repaint(0);
}

void viewZoomout(int mode) {
  const long long oh = hoffs, ov = voffs;
  if (mode != 2) {
    undoSave(undoZoomed, objectsTotal);
    scale /= 2;
  }
  resetScroll();
  hoffs = clampTo(oh / 2 - winwidth / 4, barMax(hrange, hpageSet, hasHbar));
  voffs = clampTo(ov / 2 - winheight / 4, barMax(vrange, vpageSet, hasVbar));
  setPositions();
  repaint(0);
}

void zoomAbout(double newScale, int wx, int wy) {
  if (!(newScale > 0) || newScale == scale) return;
  undoSave(undoZoomed, objectsTotal);
  // The picture point under window point (wx, wy) stays under it.
  const double r = newScale / scale;
  const double oh = hoffs, ov = voffs;
  scale = newScale;
  resetScroll();
  hoffs = clampTo(std::llround((oh + wx) * r) - wx, barMax(hrange, hpageSet, hasHbar));
  voffs = clampTo(std::llround((ov + wy) * r) - wy, barMax(vrange, vpageSet, hasVbar));
  setPositions();
  repaint(0);
}

void viewShowBox(int x1, int y1, int x2, int y2) {
  const long long bx1 = std::llround(x1 * scale), bx2 = std::llround(x2 * scale);
  const long long by1 = std::llround(y1 * scale), by2 = std::llround(y2 * scale);
  long long h = hoffs, v = voffs;
  if (bx2 - h > winwidth) h = bx2 - winwidth;
  if (bx1 < h) h = bx1;
  if (by2 - v > winheight) v = by2 - winheight;
  if (by1 < v) v = by1;
  if (h == hoffs && v == voffs) return;
  hoffs = clampTo(h, barMax(hrange, hpageSet, hasHbar));
  voffs = clampTo(v, barMax(vrange, vpageSet, hasVbar));
  setPositions();
  repaint(0);
}

double zoomFitScale(void) {
  if (sx <= 0 || sy <= 0 || winwidth <= 0 || winheight <= 0) return scale;
  // The zoom steps are powers of two: the largest one at which the whole
  // picture fits the window, within the range the zoom keys reach.
  double s = 256;
  while (s > 1.0 / 256 && (sx * s > winwidth || sy * s > winheight)) s /= 2;
  return s;
}

// --- the frame's size -----------------------------------------------------------

int sizeWindowsCompute(const sizeWindowsFacts *f, int *xP, int *yP, int *wP, int *hP) {
  if (maximized) {
    newImage = 1;
    return 0;
  }
  long long cw = displayWidth > f->toolbarWidth ? displayWidth : f->toolbarWidth;
  long long ch = (displayHeight > 0 ? displayHeight : 0) + 22;
  long long w = cw + f->frameW, h = ch + f->frameH;
  if (f->deskW < w) h += f->barH;
  if (f->deskH - 32 < h) w += f->barV;
  if (w > f->deskW) w = f->deskW;
  if (w <= 200) w = 200;
  if (h > f->deskH - 32) h = f->deskH - 32;
  if (h <= 22) h = 22;
  long long x = f->winX, y = f->winY;
  if (x + w > static_cast<long long>(f->deskX) + f->deskW) x = f->deskX + (f->deskW - w) / 2;
  if (y + h > static_cast<long long>(f->deskY) + f->deskH - 28) y = f->deskY + (f->deskH - h) / 2;
  if (x < f->deskX) x = f->deskX;
  if (y < f->deskY) y = f->deskY;
  *xP = static_cast<int>(x);
  *yP = static_cast<int>(y);
  *wP = static_cast<int>(w);
  *hP = static_cast<int>(h);
  return 1;
}
