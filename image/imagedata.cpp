// imagedata.cpp: the tiled picture: creation by the tiling rule, destruction,
// the row push, scaled drawing and reading pixels back. Owns id.
#include "image/imagedata.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

#include <QImage>
#include <QPainter>

#include "image/dither.h"

imageData *id = nullptr;
long long imageDataPixelLimit = 16384LL * 16384LL;

namespace {
// The colour table of 8-bit tiles: the 216 cube colours.
const QVector<QRgb> &cubeColorTable() {
  static QVector<QRgb> table = [] {
    QVector<QRgb> t;
    paletteEntry cube[216];
    Build666Cube(cube);
    for (const paletteEntry &e : cube) t.push_back(qRgb(e.red, e.green, e.blue));
    return t;
  }();
  return table;
}

// Fills sizes and offsets for `total` pixels cut into `count` pieces of at most
// imageTileSize.
void tileSizes(int total, int count, int *sizes, int *offsets) {
  for (int i = 0; i < count; i++) {
    sizes[i] = imageTileSize;
    offsets[i] = i * imageTileSize;
  }
  if (count > 0 && total % imageTileSize) sizes[count - 1] = total % imageTileSize;
}

int tileCount(int total) { return (total + imageTileSize - 1) / imageTileSize; }

// The tile row holding y: the last r whose offset is at most y (0 if none).
// Every tile row but the last is imageTileSize high, so this is y / imageTileSize,
// capped at the last row.
inline int tileIndex(int v, int count) {
  if (v < 0 || count <= 0) return 0;
  int r = v / imageTileSize;
  return r < count ? r : count - 1;
}
}  // namespace

unsigned char *imageHeaderCreate(int width, int height, const paletteInfo *pa) {
  unsigned char *h = (unsigned char *)std::calloc(1, imageHeaderSize);
  if (!h) return nullptr;
  bitmapInfoHeader bi;
  std::memset(&bi, 0, sizeof bi);
  bi.biSize = 40;
  bi.biWidth = width;
  bi.biHeight = height;
  bi.biPlanes = 1;
  bi.biBitCount = pa->hpal ? 8 : 24;
  bi.biXPelsPerMeter = 1000;
  bi.biYPelsPerMeter = 1000;
  std::memcpy(h, &bi, sizeof bi);
  if (pa->hpal)
    for (int i = 0; i < 216; i++) {
      uint16_t v = (uint16_t)i;
      std::memcpy(h + 40 + 2 * i, &v, 2);
    }
  return h;
}

imageData *imageDataCreateBody(const unsigned char *dibh, int dibhSize, imageBitmap hbm) {
  if (!dibh && !hbm) return nullptr;
  bitmapInfoHeader bi;
  std::memset(&bi, 0, sizeof bi);
  if (dibh) {
    if (dibhSize < (int)sizeof bi) return nullptr;
    std::memcpy(&bi, dibh, sizeof bi);
  }
  imageData *d = (imageData *)std::calloc(1, sizeof(imageData));
  if (!d) return nullptr;
  if (dibh) {
    long long h = bi.biHeight < 0 ? -(long long)bi.biHeight : bi.biHeight;
    if (bi.biWidth <= 0 || h <= 0 || (long long)bi.biWidth * h > imageDataPixelLimit) {
      std::free(d);
      return nullptr;
    }
    d->width = bi.biWidth;
    d->height = (int)h;
    d->rows = tileCount(d->height);
    d->cols = tileCount(d->width);
  } else {
    d->width = hbm->width();
    d->height = hbm->height();
    d->rows = d->cols = 1;
  }
  int tiles = d->rows * d->cols;
  d->hbmData = (imageBitmap *)std::calloc((size_t)tiles, sizeof(imageBitmap));
  d->hbmP = (imageBitmap **)std::calloc((size_t)d->rows, sizeof(imageBitmap *));
  d->colWidths = (int *)std::calloc((size_t)d->cols, sizeof(int));
  d->rowHeights = (int *)std::calloc((size_t)d->rows, sizeof(int));
  d->colOffsets = (int *)std::calloc((size_t)d->cols, sizeof(int));
  d->rowOffsets = (int *)std::calloc((size_t)d->rows, sizeof(int));
  if (!d->hbmData || !d->hbmP || !d->colWidths || !d->rowHeights || !d->colOffsets ||
      !d->rowOffsets) {
    imageDataDestroy(d);
    return nullptr;
  }
  for (int r = 0; r < d->rows; r++) d->hbmP[r] = d->hbmData + r * d->cols;

  if (!dibh) {
    d->colWidths[0] = d->width;
    d->rowHeights[0] = d->height;
    d->hbmData[0] = hbm;
    return d;
  }

  d->dibhSize = dibhSize;
  d->dibhP = (unsigned char ***)std::calloc((size_t)d->rows, sizeof(unsigned char **));
  if (!d->dibhP) {
    imageDataDestroy(d);
    return nullptr;
  }
  for (int r = 0; r < d->rows; r++) {
    d->dibhP[r] = (unsigned char **)std::calloc((size_t)d->cols, sizeof(unsigned char *));
    if (!d->dibhP[r]) {
      imageDataDestroy(d);
      return nullptr;
    }
    for (int c = 0; c < d->cols; c++) {
      d->dibhP[r][c] = (unsigned char *)std::malloc((size_t)dibhSize);
      if (!d->dibhP[r][c]) {
        imageDataDestroy(d);
        return nullptr;
      }
      std::memcpy(d->dibhP[r][c], dibh, (size_t)dibhSize);
    }
  }
  tileSizes(d->width, d->cols, d->colWidths, d->colOffsets);
  tileSizes(d->height, d->rows, d->rowHeights, d->rowOffsets);

  bool indexed = bi.biBitCount == 8;
  d->bytesPerPixel = indexed ? 1 : 3;
  d->tileBits = (unsigned char **)std::calloc((size_t)tiles, sizeof(unsigned char *));
  if (!d->tileBits) {
    imageDataDestroy(d);
    return nullptr;
  }
  // One block holds the picture's rows top to bottom, each padded to 4 bytes
  // as in a bitmap; every tile is the part of the block under it, so that a
  // whole picture row lies in one piece and a decoder can write into it.
  int k = d->bytesPerPixel;
  int stride = (int)(((long long)d->width * k + 3) & ~3LL);
  d->stride = stride;
  d->pixelBlock = (unsigned char *)std::malloc((size_t)stride * d->height);
  if (!d->pixelBlock) {
    imageDataDestroy(d);
    return nullptr;
  }
  for (int r = 0; r < d->rows; r++)
    for (int c = 0; c < d->cols; c++) {
      bitmapInfoHeader tile = bi;
      tile.biWidth = d->colWidths[c];
      tile.biHeight = d->rowHeights[r];
      std::memcpy(d->dibhP[r][c], &tile, sizeof tile);
      unsigned char *bits = d->pixelBlock + (size_t)d->rowOffsets[r] * stride + (size_t)d->colOffsets[c] * k;
      d->tileBits[r * d->cols + c] = bits;
      QImage *q = new (std::nothrow) QImage(bits, tile.biWidth, tile.biHeight, stride,
                                            indexed ? QImage::Format_Indexed8 : QImage::Format_BGR888);
      if (!q || q->isNull()) {
        delete q;
        imageDataDestroy(d);
        return nullptr;
      }
      if (indexed) q->setColorTable(cubeColorTable());
      d->hbmP[r][c] = q;
    }
  return d;
}

imageData *imageDataCreateFromHeader(const unsigned char *dibh, int dibhSize) {
  if (!dibh) return nullptr;
  return imageDataCreateBody(dibh, dibhSize, nullptr);
}

imageData *imageDataCreateFromHBITMAP(imageBitmap hbm) {
  if (!hbm) return nullptr;
  if (hbm->isNull()) {
    delete hbm;
    return nullptr;
  }
  imageData *d = imageDataCreateBody(nullptr, 0, hbm);
  if (!d) delete hbm;
  return d;
}

void imageDataDestroy(imageData *d) {
  if (!d) return;
  if (d->hbmData)
    for (int i = 0; i < d->rows * d->cols; i++) delete d->hbmData[i];
  if (d->dibhP) {
    for (int r = 0; r < d->rows; r++) {
      if (!d->dibhP[r]) continue;
      for (int c = 0; c < d->cols; c++) std::free(d->dibhP[r][c]);
      std::free(d->dibhP[r]);
    }
    std::free(d->dibhP);
  }
  std::free(d->pixelBlock);
  std::free(d->turnBand);
  std::free(d->tileBits);
  std::free(d->hbmData);
  std::free(d->hbmP);
  std::free(d->colWidths);
  std::free(d->rowHeights);
  std::free(d->colOffsets);
  std::free(d->rowOffsets);
  std::free(d);
}

unsigned char *imageDataRowPointer(imageData *d, int y) {
  if (!d || !d->pixelBlock || y < 0 || y >= d->height) return nullptr;
  return d->pixelBlock + (size_t)y * d->stride;
}

void imageDataPushRow(imageData *d, int y, const unsigned char *row) {
  unsigned char *target = imageDataRowPointer(d, y);
  // A row decoded in place is there already; a ready picture is not pushed into.
  if (!target || target == row) return;
  std::memcpy(target, row, (size_t)d->width * d->bytesPerPixel);
}

namespace {

// Writes the waiting band of a picture turned a quarter into the tiles: each
// stored column becomes a run of turnRows pixels in one shown row.
void flushTurnBand(imageData *d, int orientation) {
  const int n = d->turnRows;
  d->turnRows = 0;
  if (n <= 0) return;
  const int storedWidth = d->height, storedHeight = d->width, k = d->bytesPerPixel;
  const int first = d->turnFirst;
  // Orientations 5 and 8 put stored row y in shown column y; 6 and 7 in
  // column storedHeight - 1 - y, so the band is read backwards there.
  const bool backwards = orientation == 6 || orientation == 7;
  const int left = backwards ? storedHeight - first - n : first;
  const size_t rowBytes = (size_t)storedWidth * k;
  for (int x = 0; x < storedWidth; x++) {
    // Orientations 5 and 6 put stored column x in shown row x; 7 and 8 in
    // row storedWidth - 1 - x.
    const int shownRow = orientation == 5 || orientation == 6 ? x : storedWidth - 1 - x;
    unsigned char *out = d->pixelBlock + (size_t)shownRow * d->stride + (size_t)left * k;
    const unsigned char *in = d->turnBand + (size_t)x * k;
    for (int i = 0; i < n; i++, out += k) {
      const unsigned char *p = in + (size_t)(backwards ? n - 1 - i : i) * rowBytes;
      if (k == 3) out[0] = p[0], out[1] = p[1], out[2] = p[2];
      else out[0] = p[0];
    }
  }
}

}  // namespace

void imageDataPushOrientedRow(imageData *d, int orientation, int y, const unsigned char *row) {
  if (orientation <= 1 || orientation > 8) {
    imageDataPushRow(d, y, row);
    return;
  }
  if (!d || !d->pixelBlock || !row) return;
  const bool turned = orientation >= 5;
  const int storedWidth = turned ? d->height : d->width, storedHeight = turned ? d->width : d->height;
  if (y < 0 || y >= storedHeight) return;
  const int k = d->bytesPerPixel;
  const size_t rowBytes = (size_t)storedWidth * k;
  if (turned) {
    if (!d->turnBand) d->turnBand = (unsigned char *)std::malloc(rowBytes * imageTurnBand);
    if (d->turnBand) {
      if (d->turnRows > 0 && y != d->turnFirst + d->turnRows) flushTurnBand(d, orientation);
      if (d->turnRows == 0) d->turnFirst = y;
      std::memcpy(d->turnBand + (size_t)d->turnRows * rowBytes, row, rowBytes);
      d->turnRows++;
      if (d->turnRows == imageTurnBand || y == storedHeight - 1) flushTurnBand(d, orientation);
      return;
    }
    // Without room for a band the row's pixels are placed one by one.
  }
  // Where the row's first pixel goes, and the step to the next one.
  int x0 = 0, y0 = 0, dx = 0, dy = 0;
  switch (orientation) {
    case 2: x0 = storedWidth - 1, y0 = y, dx = -1; break;
    case 3: x0 = storedWidth - 1, y0 = storedHeight - 1 - y, dx = -1; break;
    case 4: x0 = 0, y0 = storedHeight - 1 - y, dx = 1; break;
    case 5: x0 = y, y0 = 0, dy = 1; break;
    case 6: x0 = storedHeight - 1 - y, y0 = 0, dy = 1; break;
    case 7: x0 = storedHeight - 1 - y, y0 = storedWidth - 1, dy = -1; break;
    default: x0 = y, y0 = storedWidth - 1, dy = -1; break;  // 8
  }
  const ptrdiff_t step = (ptrdiff_t)dx * k + (ptrdiff_t)dy * d->stride;
  ptrdiff_t at = (ptrdiff_t)y0 * d->stride + (ptrdiff_t)x0 * k;
  unsigned char *block = d->pixelBlock;
  if (k == 3) {
    for (int x = 0; x < storedWidth; x++, row += 3, at += step)
      block[at] = row[0], block[at + 1] = row[1], block[at + 2] = row[2];
  } else {
    for (int x = 0; x < storedWidth; x++, row++, at += step) block[at] = *row;
  }
}

void imageDataDraw(imageData *d, QPainter *destination, int dx, int dy, int dw, int dh,
                   void *source) {
  if (!d || !destination || d->width <= 0 || d->height <= 0) return;
  destination->save();
  destination->setRenderHint(QPainter::SmoothPixmapTransform, false);
  for (int r = 0; r < d->rows; r++)
    for (int c = 0; c < d->cols; c++) {
      long long x = dx + (long long)dw * d->colOffsets[c] / d->width;
      long long y = dy + (long long)dh * d->rowOffsets[r] / d->height;
      long long w = (long long)dw * d->colWidths[c] / d->width;
      long long h = (long long)dh * d->rowHeights[r] / d->height;
      destination->drawImage(QRect((int)x, (int)y, (int)w, (int)h), *d->hbmP[r][c],
                             QRect(0, 0, d->colWidths[c], d->rowHeights[r]));
    }
  destination->restore();
}

unsigned imageDataGetPixel(imageData *d, int x, int y) {
  if (!d || d->rows <= 0 || d->cols <= 0) return 0xFFFFFFFFu;
  int r = tileIndex(y, d->rows);
  int c = tileIndex(x, d->cols);
  int tx = x - d->colOffsets[c], ty = y - d->rowOffsets[r];
  if (tx < 0 || ty < 0 || tx >= d->colWidths[c] || ty >= d->rowHeights[r]) return 0xFFFFFFFFu;
  if (d->tileBits) {
    const unsigned char *line = d->tileBits[r * d->cols + c] + (size_t)ty * d->stride;
    if (d->bytesPerPixel == 3) {
      const unsigned char *p = line + 3 * tx;
      return (unsigned)p[2] | ((unsigned)p[1] << 8) | ((unsigned)p[0] << 16);
    }
    int i = line[tx];
    if (i >= 216) i = 215;
    return (unsigned)(i / 36 * 51) | ((unsigned)(i / 6 % 6 * 51) << 8) | ((unsigned)(i % 6 * 51) << 16);
  }
  const QImage *tile = d->hbmP[r][c];
  if (tx >= tile->width() || ty >= tile->height()) return 0xFFFFFFFFu;
  QRgb q = tile->pixel(tx, ty);
  return (unsigned)qRed(q) | ((unsigned)qGreen(q) << 8) | ((unsigned)qBlue(q) << 16);
}
