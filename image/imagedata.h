// imagedata.h: a decoded picture held as a grid of tiles (none larger than
// 1000 x 1000 pixels) already converted for the display: 24-bit blue-green-red
// tiles, or 8-bit tiles of cube indices in cube mode. Loaders build an image
// header, create an empty imageData from it and push converted rows into it;
// the view draws it scaled and the magic wand reads pixels back.
// Owns id (the document's picture).
#ifndef TILVANE_IMAGEDATA_H
#define TILVANE_IMAGEDATA_H

#include <cstdint>

class QImage;
class QPainter;
struct paletteInfo;

// A tile: a plain pixel array in a QImage (Format_BGR888 rows of blue, green,
// red bytes, or Format_Indexed8 cube indices), top row first. A ready picture
// wrapped as one tile keeps the format it came in.
typedef QImage *imageBitmap;

// The 40-byte bitmap information header that starts an image header.
struct bitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;  // positive: rows stored bottom-up
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};

// An image header: the information header and a 1024-byte colour area.
enum { imageHeaderSize = 1064, imageTileSize = 1000 };

// The largest picture, in pixels, that is given tiles (16384 x 16384 unless
// changed): larger declared sizes fail the load instead of exhausting memory.
extern long long imageDataPixelLimit;

struct imageData {
  int rows, cols;          // tile rows and columns
  int width, height;       // image size in pixels
  int *colWidths;          // [cols]
  int *rowHeights;         // [rows]
  int *colOffsets;         // [cols] x of each tile column's left edge
  int *rowOffsets;         // [rows] y of each tile row's top edge
  imageBitmap **hbmP;      // hbmP[r] = hbmData + r * cols
  imageBitmap *hbmData;    // rows * cols tiles, row-major
  unsigned char ***dibhP;  // each tile's header copy; null for a ready picture
  int dibhSize;
  // The pixels of the tiles made from a header: one block of the picture's
  // rows (the tiles' QImages look into it), each tile's first byte, and the
  // length in bytes of one row of the block. Null / 0 for a ready picture.
  unsigned char *pixelBlock;
  unsigned char **tileBits;  // [rows * cols], row-major
  int stride;
  int bytesPerPixel;         // 1 in cube mode, else 3
  // Stored rows of a picture turned a quarter (orientations 5-8) wait here,
  // imageTurnBand at a time, to be written into the tiles a run of pixels at
  // a time: turnRows rows from stored row turnFirst. Null until needed.
  unsigned char *turnBand;
  int turnFirst, turnRows;
};
enum { imageTurnBand = 64 };

// The document's picture; null when there is none.
extern imageData *id;

// A zeroed image header for a width x height picture converted for pa: 8 bits
// and cube indices 0-215 in the colour area in cube mode, else 24 bits. Null
// when memory cannot be had. Release it with std::free.
unsigned char *imageHeaderCreate(int width, int height, const paletteInfo *pa);

// An empty tiled imageData for the picture described by the bitmap header
// dibh (tiles hold undefined pixels until rows are pushed). Null when memory
// or a tile cannot be had, or for a size of 0 or above imageDataPixelLimit.
imageData *imageDataCreateFromHeader(const unsigned char *dibh, int dibhSize);

// Wraps a ready picture as a one-tile imageData, which owns it from then on.
// Null for a null or empty picture (which is then deleted).
imageData *imageDataCreateFromHBITMAP(imageBitmap hbm);

// The common body of the two creators.
imageData *imageDataCreateBody(const unsigned char *dibh, int dibhSize, imageBitmap hbm);

// Deletes every tile, the header copies and the arrays, then the record.
void imageDataDestroy(imageData *id);

// Draws the whole picture scaled into the rectangle (dx, dy, dw, dh) of
// destination, tile by tile (a plain copy, no smoothing). source is not used.
void imageDataDraw(imageData *id, QPainter *destination, int dx, int dy, int dw, int dh,
                   void *source);

// The colour of pixel (x, y) as 0x00BBGGRR; 0xFFFFFFFF outside the picture.
unsigned imageDataGetPixel(imageData *id, int x, int y);

// Puts converted row y (counted from the top) into the tiles: for every tile
// column c the bytes from k * colOffsets[c] (k = 1 for 8-bit tiles, 3 otherwise).
void imageDataPushRow(imageData *id, int y, const unsigned char *row);

// Puts converted row y of a picture stored turned by an Exif orientation (1-8,
// see exifOrientation in image/loaders.h) where it shows: d holds the picture
// as shown (its width and height swapped from the stored ones for 5-8), and y
// and the row are counted as stored. Orientation 1 is imageDataPushRow; 2-4
// place the row's pixels in one shown row; 5-8 gather imageTurnBand stored
// rows (in turnBand) and write them as runs into the shown rows once the band
// is full, at the last stored row, or before a row that does not follow, so
// that turning a picture costs no memory beyond that band. Rows are pushed
// top to bottom, and the last stored row is pushed last.
void imageDataPushOrientedRow(imageData *id, int orientation, int y, const unsigned char *row);

// Where row y of the tiles lies: width * k bytes in one piece, across all tile
// columns (null for a ready picture or outside it). A loader may convert or
// decode straight into it; pushing that row then copies nothing.
unsigned char *imageDataRowPointer(imageData *id, int y);

#endif
