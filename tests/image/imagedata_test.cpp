// Tests of the tiled picture: the tiling rule, the row push, reading pixels
// back, drawing, and creation failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <QImage>
#include <QPainter>

#include "image/dither.h"
#include "image/imagedata.h"
#include "tests/image/image_fixture.h"

namespace {

imageData *makeEmpty(int w, int h) {
  unsigned char *header = imageHeaderCreate(w, h, &palette);
  imageData *d = imageDataCreateFromHeader(header, imageHeaderSize);
  std::free(header);
  return d;
}

TEST(ImageData, TilingRule) {
  setDisplayDepth(24);
  struct {
    int w, h;
    std::vector<int> colWidths, colOffsets, rowHeights, rowOffsets;
  } cases[] = {
      {1000, 1000, {1000}, {0}, {1000}, {0}},
      {1001, 1000, {1000, 1}, {0, 1000}, {1000}, {0}},
      {2500, 300, {1000, 1000, 500}, {0, 1000, 2000}, {300}, {0}},
      {1, 3000, {1}, {0}, {1000, 1000, 1000}, {0, 1000, 2000}},
      {999, 2001, {999}, {0}, {1000, 1000, 1}, {0, 1000, 2000}},
  };
  for (auto &c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    imageData *d = makeEmpty(c.w, c.h);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->width, c.w);
    EXPECT_EQ(d->height, c.h);
    ASSERT_EQ(d->cols, (int)c.colWidths.size());
    ASSERT_EQ(d->rows, (int)c.rowHeights.size());
    EXPECT_EQ(std::vector<int>(d->colWidths, d->colWidths + d->cols), c.colWidths);
    EXPECT_EQ(std::vector<int>(d->colOffsets, d->colOffsets + d->cols), c.colOffsets);
    EXPECT_EQ(std::vector<int>(d->rowHeights, d->rowHeights + d->rows), c.rowHeights);
    EXPECT_EQ(std::vector<int>(d->rowOffsets, d->rowOffsets + d->rows), c.rowOffsets);
    for (int r = 0; r < d->rows; r++)
      for (int k = 0; k < d->cols; k++) {
        EXPECT_EQ(d->hbmP[r][k]->width(), c.colWidths[k]);
        EXPECT_EQ(d->hbmP[r][k]->height(), c.rowHeights[r]);
        EXPECT_LE(d->hbmP[r][k]->width(), 1000);
        bitmapInfoHeader bi;
        std::memcpy(&bi, d->dibhP[r][k], sizeof bi);
        EXPECT_EQ(bi.biWidth, c.colWidths[k]);
        EXPECT_EQ(bi.biHeight, c.rowHeights[r]);
        EXPECT_EQ(bi.biBitCount, 24);
      }
    imageDataDestroy(d);
  }
}

TEST(ImageData, HeaderFields) {
  setDisplayDepth(8);
  unsigned char *h = imageHeaderCreate(33, 44, &palette);
  bitmapInfoHeader bi;
  std::memcpy(&bi, h, sizeof bi);
  EXPECT_EQ(bi.biSize, 40u);
  EXPECT_EQ(bi.biWidth, 33);
  EXPECT_EQ(bi.biHeight, 44);
  EXPECT_EQ(bi.biPlanes, 1);
  EXPECT_EQ(bi.biBitCount, 8);
  EXPECT_EQ(bi.biXPelsPerMeter, 1000);
  uint16_t entry;
  std::memcpy(&entry, h + 40 + 2 * 215, 2);
  EXPECT_EQ(entry, 215);
  std::memcpy(&entry, h + 40 + 2 * 216, 2);
  EXPECT_EQ(entry, 0);
  std::free(h);
  setDisplayDepth(24);
}

TEST(ImageData, PushedRowsReadBackAcrossTiles) {
  setDisplayDepth(24);
  const int w = 2100, h = 1003;
  imageData *d = makeEmpty(w, h);
  ASSERT_TRUE(d);
  std::vector<unsigned char> row((size_t)w * 3 + 4);
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) {
      row[3 * x] = (unsigned char)x;         // blue
      row[3 * x + 1] = (unsigned char)y;     // green
      row[3 * x + 2] = (unsigned char)(x / 256 + y / 256 * 16);  // red
    }
    imageDataPushRow(d, y, row.data());
  }
  for (int y : {0, 1, 999, 1000, 1002})
    for (int x : {0, 999, 1000, 1999, 2000, 2099})
      EXPECT_EQ(pixelAt(d, x, y), rgb(x / 256 + y / 256 * 16, y & 255, x & 255)) << x << "," << y;
  EXPECT_EQ(pixelAt(d, -1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(pixelAt(d, w, 0), 0xFFFFFFFFu);
  EXPECT_EQ(pixelAt(d, 0, h), 0xFFFFFFFFu);
  imageDataPushRow(d, h, row.data());  // beyond the picture: ignored
  imageDataPushRow(d, -1, row.data());
  imageDataDestroy(d);
}

TEST(ImageData, GetPixelFindsTheTileRowByOffset) {
  setDisplayDepth(24);
  imageData *d = makeEmpty(300, 2500);
  std::vector<unsigned char> row(300 * 3 + 4, 0);
  for (int y = 0; y < 2500; y++) {
    row[30] = (unsigned char)(y / 1000);  // blue of pixel 10 = tile row
    row[31] = (unsigned char)(y % 1000 / 4);
    imageDataPushRow(d, y, row.data());
  }
  EXPECT_EQ(pixelAt(d, 10, 2200), rgb(0, 200 / 4, 2));
  EXPECT_EQ(d->hbmP[2][0]->pixel(10, 200) & 0xff, 2u);
  imageDataDestroy(d);
}

TEST(ImageData, CubeTilesHoldIndices) {
  setDisplayDepth(8);
  imageData *d = makeEmpty(3, 1);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->hbmP[0][0]->format(), QImage::Format_Indexed8);
  const unsigned char idx[] = {0, 215, 1 * 36 + 2 * 6 + 3, 0};
  imageDataPushRow(d, 0, idx);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(0, 0, 0));
  EXPECT_EQ(pixelAt(d, 1, 0), rgb(255, 255, 255));
  EXPECT_EQ(pixelAt(d, 2, 0), rgb(51, 102, 153));
  imageDataDestroy(d);
  setDisplayDepth(24);
}

TEST(ImageData, DrawScalesEveryTile) {
  setDisplayDepth(24);
  imageData *d = makeEmpty(1500, 2);
  std::vector<unsigned char> row(1500 * 3 + 4);
  for (int x = 0; x < 1500; x++) {
    row[3 * x] = 0;
    row[3 * x + 1] = x < 1000 ? 255 : 0;
    row[3 * x + 2] = x < 1000 ? 0 : 255;
  }
  imageDataPushRow(d, 0, row.data());
  imageDataPushRow(d, 1, row.data());
  QImage target(3000, 4, QImage::Format_RGB32);
  target.fill(Qt::blue);
  {
    QPainter p(&target);
    imageDataDraw(d, &p, 0, 0, 3000, 4, nullptr);
  }
  // The second tile starts at 2 * 1000 and is 2 * 500 wide.
  EXPECT_EQ(target.pixel(1999, 3), qRgb(0, 255, 0));
  EXPECT_EQ(target.pixel(2000, 0), qRgb(255, 0, 0));
  EXPECT_EQ(target.pixel(2999, 3), qRgb(255, 0, 0));
  // Drawn at an offset and at half size.
  target.fill(Qt::blue);
  {
    QPainter p(&target);
    imageDataDraw(d, &p, 10, 1, 750, 1, nullptr);
  }
  EXPECT_EQ(target.pixel(9, 1), qRgb(0, 0, 255));
  EXPECT_EQ(target.pixel(10, 1), qRgb(0, 255, 0));
  EXPECT_EQ(target.pixel(510, 1), qRgb(255, 0, 0));
  EXPECT_EQ(target.pixel(759, 1), qRgb(255, 0, 0));
  EXPECT_EQ(target.pixel(760, 1), qRgb(0, 0, 255));
  EXPECT_EQ(target.pixel(10, 0), qRgb(0, 0, 255));
  imageDataDestroy(d);
}

// Rows pushed as stored land where each orientation shows them, in bands
// across tile edges (1003 stored rows: full bands and a partial last one) and
// in cube mode; a row out of turn still lands in its place.
TEST(ImageData, OrientedRowsLandWhereTheyShow) {
  const int w = 37, h = 1003;
  // The stored pixel (x, y) shown at (X, Y) of the shown picture.
  auto stored = [&](int o, int X, int Y, int *x, int *y) {
    switch (o) {
      case 2: *x = w - 1 - X, *y = Y; break;
      case 3: *x = w - 1 - X, *y = h - 1 - Y; break;
      case 4: *x = X, *y = h - 1 - Y; break;
      case 5: *x = Y, *y = X; break;
      case 6: *x = Y, *y = h - 1 - X; break;
      case 7: *x = w - 1 - Y, *y = h - 1 - X; break;
      default: *x = w - 1 - Y, *y = X; break;  // 8
    }
  };
  for (int depth : {24, 8}) {
    setDisplayDepth(depth);
    const int k = depth == 8 ? 1 : 3;
    auto value = [&](int x, int y, int c) { return (unsigned char)(depth == 8 ? (x * 7 + y) % 216 : x * 5 + y * (c + 1)); };
    for (int o = 2; o <= 8; o++) {
      SCOPED_TRACE("depth " + std::to_string(depth) + " orientation " + std::to_string(o));
      imageData *d = o >= 5 ? makeEmpty(h, w) : makeEmpty(w, h);
      ASSERT_TRUE(d);
      std::vector<unsigned char> row((size_t)w * k + 4);
      std::vector<int> order;
      for (int y = 0; y < h; y++) order.push_back(y);
      std::swap(order[20], order[40]);  // two rows out of turn
      for (int y : order) {
        for (int x = 0; x < w; x++)
          for (int c = 0; c < k; c++) row[(size_t)x * k + c] = value(x, y, c);
        imageDataPushOrientedRow(d, o, y, row.data());
      }
      for (int Y = 0; Y < d->height; Y++)
        for (int X = 0; X < d->width; X++) {
          int x, y;
          stored(o, X, Y, &x, &y);
          const unsigned char *p = imageDataRowPointer(d, Y) + (size_t)X * k;
          for (int c = 0; c < k; c++) ASSERT_EQ(p[c], value(x, y, c)) << X << "," << Y;
        }
      imageDataDestroy(d);
    }
  }
}

TEST(ImageData, CreationFailures) {
  setDisplayDepth(24);
  EXPECT_EQ(makeEmpty(0, 10), nullptr);
  EXPECT_EQ(makeEmpty(10, 0), nullptr);
  EXPECT_EQ(makeEmpty(-5, 10), nullptr);
  EXPECT_EQ(imageDataCreateFromHeader(nullptr, imageHeaderSize), nullptr);
  long long old = imageDataPixelLimit;
  imageDataPixelLimit = 1000000;
  EXPECT_EQ(makeEmpty(1001, 1000), nullptr);
  imageData *d = makeEmpty(1000, 1000);
  EXPECT_TRUE(d);
  imageDataDestroy(d);
  imageDataPixelLimit = old;
  EXPECT_EQ(makeEmpty(65535, 65535), nullptr);
  // A negative height describes the same picture stored top-down.
  unsigned char *h = imageHeaderCreate(5, 7, &palette);
  bitmapInfoHeader bi;
  std::memcpy(&bi, h, sizeof bi);
  bi.biHeight = -7;
  std::memcpy(h, &bi, sizeof bi);
  d = imageDataCreateFromHeader(h, imageHeaderSize);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->height, 7);
  imageDataDestroy(d);
  std::free(h);
}

TEST(ImageData, ReadyPictureIsOneTile) {
  EXPECT_EQ(imageDataCreateFromHBITMAP(nullptr), nullptr);
  EXPECT_EQ(imageDataCreateFromHBITMAP(new QImage()), nullptr);
  QImage *q = new QImage(3000, 2000, QImage::Format_RGB32);
  q->fill(qRgb(1, 2, 3));
  q->setPixel(2999, 1999, qRgb(200, 100, 50));
  imageData *d = imageDataCreateFromHBITMAP(q);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->rows, 1);
  EXPECT_EQ(d->cols, 1);
  EXPECT_EQ(d->colWidths[0], 3000);
  EXPECT_EQ(d->rowHeights[0], 2000);
  EXPECT_EQ(d->dibhP, nullptr);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(1, 2, 3));
  EXPECT_EQ(pixelAt(d, 2999, 1999), rgb(200, 100, 50));
  // An 8-bit ready picture keeps its own colours.
  QImage *ix = new QImage(2, 1, QImage::Format_Indexed8);
  ix->setColorTable({qRgb(9, 8, 7), qRgb(1, 1, 1)});
  ix->setPixel(0, 0, 0);
  ix->setPixel(1, 0, 1);
  imageData *e = imageDataCreateFromHBITMAP(ix);
  EXPECT_EQ(pixelAt(e, 0, 0), rgb(9, 8, 7));
  imageDataDestroy(d);
  imageDataDestroy(e);
}

}  // namespace
