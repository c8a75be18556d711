// loaders.cpp: the decoder by extension, the progress and stopping of a load
// (the "Loading Image..." window), what the WebP, AVIF and SVG loaders share,
// and the BMP loader. Owns sx, sy, displayWidth, displayHeight.
#include "image/loaders.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <QImage>
#include <QImageReader>
#include <QString>

#include "platform/seams.h"
#include "platform/strhack.h"
#include "image/dither.h"
#include "image/gif.h"
#include "image/imagedata.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

int sx = 0, sy = 0;
int displayWidth = -1, displayHeight = -1;

namespace {
platformProgress loadWindow = nullptr;
int loadPercent = 0;
std::chrono::steady_clock::time_point loadLastPoll;
char loadStopReason[128] = "";
bool loading = false;  // LoadMyImage is running

// Lets the window work; stops the load when its Cancel was pressed.
int pollWindow(void) {
  if (loadStopReason[0]) return 0;
  loadLastPoll = std::chrono::steady_clock::now();
  if (loadWindow && platform->progressPoll && platform->progressPoll(loadWindow)) loadStop("it was stopped");
  return loadStopReason[0] ? 0 : 1;
}
}  // namespace

int loadProgress(long long done, long long total) {
  if (loadStopReason[0]) return 0;
  if (!loadWindow || total <= 0) return 1;
  int percent = (int)(done * 100 / total);
  if (percent != loadPercent && percent >= 0 && percent <= 100) {
    loadPercent = percent;
    platform->progressUpdate(loadWindow, percent);
    return pollWindow();
  }
  return loadPoll();
}

int loadPoll(void) {
  if (loadStopReason[0]) return 0;
  if (std::chrono::steady_clock::now() - loadLastPoll < std::chrono::milliseconds(50)) return 1;
  return pollWindow();
}

void loadStop(const char *reason) {
  if (!loadStopReason[0]) strcpyMax(loadStopReason, sizeof loadStopReason, reason && *reason ? reason : "it was stopped");
}

int loadStopped(void) { return loadStopReason[0] ? 1 : 0; }

int loadRunning(void) { return loading ? 1 : 0; }

void loadStoppedMessage(int decoder) {
  // A stopped load fails with the loader's own box, saying why.
  static const struct {
    const char *kind, *title;
  } boxes[] = {{"GIF", "GIF Decoding Error"}, {"JPEG", "JPEG Error"},          {"PNG", "PNG Decoding Error"},
               {"BMP", "Unable to Load BMP"}, {"WebP", "Unable to Load WebP"}, {"AVIF", "Unable to Load AVIF"},
               {"SVG", "Unable to Load SVG"}};
  if (decoder < 0 || decoder > decoderSvg) decoder = decoderGif;
  char text[256];
  sprintfMax(text, sizeof text, "The %s picture cannot be shown: %s.", boxes[decoder].kind,
             loadStopReason[0] ? loadStopReason : "it was stopped");
  platformMessageBox(nullptr, text, boxes[decoder].title, MB_OK | MB_ICONWARNING);
  loadStopReason[0] = 0;
}

int loadWithWindow(wfileStruct *in, const char *path, int decoder, paletteInfo *pa, imageData **idP) {
  loadPercent = 0;
  loadStopReason[0] = 0;
  loading = true;
  loadWindow = platform->progressOpen(nullptr, "Loading Image...",
                                      "Please wait while the image is loaded.", "0% Complete");
  loadLastPoll = std::chrono::steady_clock::now();
  int ok = 0;
  switch (decoder) {
    case decoderJpeg: ok = LoadJpeg(in, nullptr, pa, idP); break;
    case decoderPng: ok = LoadPng(in, nullptr, pa, idP); break;
    case decoderBmp: ok = LoadBmp(path, idP); break;
    case decoderWebp: ok = LoadWebp(in, nullptr, pa, idP); break;
    case decoderAvif: ok = LoadAvif(in, nullptr, pa, idP); break;
    case decoderSvg: ok = LoadSvg(in, nullptr, pa, idP); break;
    default: ok = LoadGif(in, nullptr, pa, idP); break;
  }
  if (loadWindow) platform->progressClose(loadWindow);
  loadWindow = nullptr;
  loading = false;
  if (loadStopReason[0]) {
    loadStoppedMessage(decoder);
    ok = 0;
  }
  return ok;
}

int imageDecoderForName(const char *filename) {
  const char *dot = filename ? std::strrchr(filename, '.') : nullptr;
  if (!dot) return decoderGif;
  static const struct {
    const char *extension;
    int decoder;
  } table[] = {{".gif", decoderGif}, {".jpg", decoderJpeg}, {".jpe", decoderJpeg},
               {".jpeg", decoderJpeg}, {".png", decoderPng},  {".bmp", decoderBmp},
               {".webp", decoderWebp}, {".avif", decoderAvif}, {".svg", decoderSvg},
               {".svgz", decoderSvg}};
  for (const auto &e : table)
    if (strncmpNoCase(dot, e.extension, 1 << 30) == 0) return e.decoder;
  return decoderGif;
}

int loadWholeStream(wfileStruct *in, std::vector<unsigned char> *data, size_t limit) {
  data->clear();
  unsigned char chunk[65536];
  for (;;) {
    int n = wfileReadPartial(in, (char *)chunk, (int)sizeof chunk);
    if (n < 0) return 1;  // the end of the stream
    if (n == 0) continue;
    if (data->size() + (size_t)n > limit) return 0;
    try {
      data->insert(data->end(), chunk, chunk + n);
    } catch (const std::bad_alloc &) {
      return 0;
    }
  }
}

int rgbaRowsBegin(rgbaRows *r, int width, int height, paletteInfo *pa, int orientation) {
  std::memset(r, 0, sizeof *r);
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384 ||
      (long long)width * height > imageDataPixelLimit)
    return 0;
  r->pa = pa;
  r->width = width;
  r->height = height;
  r->orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
  int shownWidth, shownHeight;
  exifOrientedSize(r->orientation, width, height, &shownWidth, &shownHeight);
  r->header = imageHeaderCreate(shownWidth, shownHeight, pa);
  r->rgb = (unsigned char *)std::malloc((size_t)width * 3 + 4);
  r->scratch = (unsigned char *)std::malloc((size_t)width * 3 + 4);
  if (r->header && r->rgb && r->scratch) r->made = imageDataCreateFromHeader(r->header, imageHeaderSize);
  if (!r->made) {
    rgbaRowsEnd(r, 0);
    return 0;
  }
  return 1;
}

TILVANE_PIXEL_LOOP void rgbaRowsPut(rgbaRows *r, int y, const unsigned char *rgba, int x0, int n) {
  std::memset(r->rgb, 255, (size_t)r->width * 3);
  if (rgba) {
    if (x0 < 0) {
      rgba -= 4 * x0;
      n += x0;
      x0 = 0;
    }
    if (n > r->width - x0) n = r->width - x0;
    unsigned char *out = r->rgb + 3 * x0;
    for (int x = 0; x < n; x++, rgba += 4, out += 3) {
      unsigned a = rgba[3], back = 255 * (255 - a) + 127;
      out[0] = (unsigned char)((rgba[0] * a + back) / 255);
      out[1] = (unsigned char)((rgba[1] * a + back) / 255);
      out[2] = (unsigned char)((rgba[2] * a + back) / 255);
    }
  }
  // Rows kept as they come are converted straight into the tiles.
  unsigned char *target = r->orientation == 1 ? imageDataRowPointer(r->made, y) : nullptr;
  ditherRow(r->pa, rowRGB, target ? target : r->scratch, r->rgb, r->width, nullptr);
  imageDataPushOrientedRow(r->made, r->orientation, y, target ? target : r->scratch);
}

imageData *rgbaRowsEnd(rgbaRows *r, int keep) {
  imageData *made = r->made;
  if (!keep) imageDataDestroy(made);
  std::free(r->header);
  std::free(r->rgb);
  std::free(r->scratch);
  std::memset(r, 0, sizeof *r);
  return keep ? made : nullptr;
}

namespace {

unsigned le16(const unsigned char *p) { return (unsigned)p[0] | ((unsigned)p[1] << 8); }
uint32_t le32(const unsigned char *p) {
  return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

// Fills the tile from run-length data (RLE8 for 8 bits, RLE4 for 4), rows
// bottom-up: runs of one index (of two alternating indices for 4 bits), runs
// of literal indices padded to a 16-bit boundary, end of row, moves right and
// up, and the end of the picture, which must come. Pixels no data reaches show
// index 0. 0 for data that leaves its row or the picture, an index beyond the
// palette, or data cut short: Qt's reader then decides.
int readRleRows(FILE *f, QImage *tile, unsigned bits, const unsigned char *table, unsigned colors) {
  const int w = tile->width(), h = tile->height();
  for (int y = 0; y < h; y++) {
    unsigned char *out = tile->scanLine(y);
    for (int x = 0; x < w; x++, out += 3) out[0] = table[0], out[1] = table[1], out[2] = table[2];
  }
  int x = 0, y = 0;
  unsigned char literal[256];
  auto put = [&](unsigned index) {
    if (index >= colors) return false;
    unsigned char *out = tile->scanLine(h - 1 - y) + 3 * x++;
    out[0] = table[4 * index], out[1] = table[4 * index + 1], out[2] = table[4 * index + 2];
    return true;
  };
  for (;;) {
    int count = std::fgetc(f), value = std::fgetc(f);
    if (count == EOF || value == EOF) return 0;
    if (count > 0) {
      if (y >= h || count > w - x) return 0;
      for (int i = 0; i < count; i++)
        if (!put(bits == 8 ? (unsigned)value : (i & 1) ? value & 15u : (unsigned)value >> 4)) return 0;
    } else if (value == 0) {
      x = 0;
      y++;
    } else if (value == 1) {
      return 1;
    } else if (value == 2) {
      int dx = std::fgetc(f), dy = std::fgetc(f);
      if (dx == EOF || dy == EOF || dx > w - x || dy >= h - y) return 0;
      x += dx;
      y += dy;
    } else {
      size_t bytes = bits == 8 ? (size_t)value : ((size_t)value + 1) / 2;
      if (y >= h || value > w - x || std::fread(literal, 1, bytes + (bytes & 1), f) != bytes + (bytes & 1))
        return 0;
      for (int i = 0; i < value; i++) {
        unsigned char b = literal[bits == 8 ? i : i / 2];
        if (!put(bits == 8 ? b : (i & 1) ? b & 15u : (unsigned)b >> 4)) return 0;
      }
    }
  }
}

// Reads the common kinds of BMP straight into a new tile of blue, green, red
// rows, one file row at a time, so that the picture is held only once: an
// information header of 40 bytes or one of its longer successors, one plane,
// no compression, 1, 4 or 8 bits of palette index or 24 or 32 bits of colour
// (the fourth byte unused, also when bit fields give that order), rows stored
// either way up. Null for any other
// kind, and for anything unexpected (a file that ends within or right after
// its headers, an index beyond the palette, a pixel offset inside the headers
// or beyond 2 GB): Qt's reader then decides. A file cut short within its
// pixels keeps the whole rows it holds; the rest is black.
QImage *readBmpRows(const char *filename) {
  FILE *f = wfileOpenRegularStream(filename, nullptr);
  if (!f) return nullptr;
  QImage *tile = nullptr;
  unsigned char *row = nullptr;
  bool done = false;
  do {
    unsigned char fh[14], ih[124];
    if (std::fread(fh, 1, 14, f) != 14 || fh[0] != 'B' || fh[1] != 'M') break;
    if (std::fread(ih, 1, 4, f) != 4) break;
    uint32_t headerSize = le32(ih);
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
      break;
    if (std::fread(ih + 4, 1, headerSize - 4, f) != headerSize - 4) break;
    long long width = (int32_t)le32(ih + 4), height = (int32_t)le32(ih + 8);
    unsigned planes = le16(ih + 12), bits = le16(ih + 14);
    uint32_t compression = le32(ih + 16), colorsUsed = le32(ih + 32);
    long long rows = height < 0 ? -height : height;
    if (planes != 1 || width <= 0 || rows <= 0 || width * rows > imageDataPixelLimit) break;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) break;
    // Bit fields are taken only as the plain byte order of 32-bit pixels: blue,
    // green, red, and no alpha. The three masks follow a 40-byte header, or
    // lie inside a longer one.
    unsigned maskBytes = 0;
    if (compression == 3 && bits == 32) {
      unsigned char masks[12];
      if (headerSize == 40) {
        if (std::fread(masks, 1, 12, f) != 12) break;
        maskBytes = 12;
      } else {
        std::memcpy(masks, ih + 40, 12);
        if (headerSize >= 56 && le32(ih + 52) != 0) break;
      }
      if (le32(masks) != 0xff0000u || le32(masks + 4) != 0xff00u || le32(masks + 8) != 0xffu) break;
    } else if ((compression == 1 && bits == 8) || (compression == 2 && bits == 4)) {
      if (height < 0) break;  // run-length rows are stored bottom-up
    } else if (compression != 0) {
      break;
    }
    // The palette (blue, green, red, unused) follows the information header.
    unsigned colors = 0;
    unsigned char table[256 * 4];
    if (bits <= 8) {
      colors = colorsUsed ? colorsUsed : 1u << bits;
      if (colors > (1u << bits)) break;
      if (std::fread(table, 4, colors, f) != colors) break;
    } else if (colorsUsed) {
      break;  // a palette beside colour pixels
    }
    // A file that ends with its headers holds no picture at all.
    if (std::fgetc(f) == EOF) break;
    uint32_t offset = le32(fh + 10);
    if (offset < 14 + headerSize + maskBytes + 4 * colors || offset > 0x7fffffffu ||
        std::fseek(f, (long)offset, SEEK_SET) != 0)
      break;
    size_t rowBytes = (size_t)((width * bits + 31) / 32 * 4);
    row = (unsigned char *)std::malloc(rowBytes);
    tile = new (std::nothrow) QImage((int)width, (int)rows, QImage::Format_BGR888);
    if (!row || !tile || tile->isNull()) break;
    const int w = (int)width;
    bool bad = false, ended = false;
    if (compression == 1 || compression == 2) {
      done = readRleRows(f, tile, bits, table, colors);
      break;
    }
    for (long long i = 0; i < rows && !bad; i++) {
      if (!loadProgress(i + 1, rows)) {
        bad = true;
        break;
      }
      unsigned char *out = tile->scanLine((int)(height > 0 ? rows - 1 - i : i));
      if (ended || std::fread(row, 1, rowBytes, f) != rowBytes) {
        ended = true;
        std::memset(out, 0, (size_t)w * 3);
      } else if (bits == 24) {
        std::memcpy(out, row, (size_t)w * 3);
      } else if (bits == 32) {
        const unsigned char *in = row;
        for (int x = 0; x < w; x++, in += 4, out += 3) out[0] = in[0], out[1] = in[1], out[2] = in[2];
      } else {
        const unsigned mask = (1u << bits) - 1, perByte = 8 / bits;
        for (int x = 0; x < w; x++, out += 3) {
          unsigned shift = 8 - bits * (x % perByte + 1);
          unsigned index = (row[x / perByte] >> shift) & mask;
          if (index >= colors) {
            bad = true;
            break;
          }
          out[0] = table[4 * index], out[1] = table[4 * index + 1], out[2] = table[4 * index + 2];
        }
      }
    }
    done = !bad;
  } while (false);
  std::fclose(f);
  std::free(row);
  if (!done) {
    delete tile;
    return nullptr;
  }
  return tile;
}

}  // namespace

int LoadBmp(const char *filename, imageData **idP) {
  *idP = nullptr;
  if (QImage *tile = readBmpRows(filename)) {
    *idP = imageDataCreateFromHBITMAP(tile);
    if (!*idP) {
      LowMemory();
      return 0;
    }
    return 1;
  }
  if (loadStopped()) return 0;
  QImage picture;
  bool tooLarge = false;
  {
    // The reader's own size limit is raised to the picture limit (4 bytes a pixel).
    long long limitMb = imageDataPixelLimit * 4 / (1024 * 1024) + 1;
    if (QImageReader::allocationLimit() < limitMb) QImageReader::setAllocationLimit((int)limitMb);
    QImageReader reader(QString::fromLocal8Bit(filename), "bmp");
    reader.setDecideFormatFromContent(false);
    QSize size = reader.size();
    tooLarge = std::llabs((long long)size.width() * size.height()) > imageDataPixelLimit;
    if (!tooLarge) picture = reader.read();
  }
  if (tooLarge) {
    platformMessageBox(nullptr, "Image Too Large", "Unable to Load BMP", MB_OK | MB_ICONWARNING);
    return 0;
  }
  if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) {
    platformMessageBox(nullptr, "Not a valid BMP-format image.", "Unable to Load BMP",
                       MB_OK | MB_ICONWARNING);
    return 0;
  }
  // The colours as stored, without their alpha, as one tile of blue, green,
  // red; converted a band of rows at a time, so that no second copy of the
  // whole picture is made.
  QImage *tile = new (std::nothrow) QImage(picture.width(), picture.height(), QImage::Format_BGR888);
  if (!tile || tile->isNull()) {
    delete tile;
    LowMemory();
    return 0;
  }
  const int band = 64;
  for (int top = 0; top < picture.height(); top += band) {
    int n = picture.height() - top < band ? picture.height() - top : band;
    QImage argb = picture.copy(0, top, picture.width(), n).convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull()) {
      delete tile;
      LowMemory();
      return 0;
    }
    for (int y = 0; y < n; y++) {
      const QRgb *in = (const QRgb *)argb.constScanLine(y);
      unsigned char *out = tile->scanLine(top + y);
      for (int x = 0; x < argb.width(); x++, out += 3) {
        out[0] = (unsigned char)qBlue(in[x]);
        out[1] = (unsigned char)qGreen(in[x]);
        out[2] = (unsigned char)qRed(in[x]);
      }
    }
  }
  *idP = imageDataCreateFromHBITMAP(tile);
  if (!*idP) {
    LowMemory();
    return 0;
  }
  return 1;
}
