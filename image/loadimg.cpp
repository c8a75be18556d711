// loadimg.cpp: loadfiles, LoadMyImage (the decoder by extension, the stream, the
// "Loading Image..." window), the BMP loader, and the progress of a load.
// Owns sx, sy.
#include "image/loadimg.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include <QImage>
#include <QImageReader>
#include <QString>

#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "editor/seams.h"
#include "editor/view.h"
#include "html/clientmap.h"
#include "html/document.h"
#include "html/strhack.h"
#include "image/dither.h"
#include "image/gif.h"
#include "image/imagedata.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

int sx = 0, sy = 0;

namespace {
platformProgress loadWindow = nullptr;
int loadPercent = 0;
}  // namespace

void loadProgress(long long done, long long total) {
  if (!loadWindow || total <= 0) return;
  int percent = (int)(done * 100 / total);
  if (percent == loadPercent || percent < 0 || percent > 100) return;
  loadPercent = percent;
  platform->progressUpdate(loadWindow, percent);
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

int rgbaRowsBegin(rgbaRows *r, int width, int height, paletteInfo *pa) {
  std::memset(r, 0, sizeof *r);
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384 ||
      (long long)width * height > imageDataPixelLimit)
    return 0;
  r->pa = pa;
  r->width = width;
  r->height = height;
  r->header = imageHeaderCreate(width, height, pa);
  r->rgb = (unsigned char *)std::malloc((size_t)width * 3 + 4);
  r->scratch = (unsigned char *)std::malloc((size_t)width * 3 + 4);
  if (r->header && r->rgb && r->scratch) r->made = imageDataCreateFromDIB(nullptr, r->header, imageHeaderSize);
  if (!r->made) {
    rgbaRowsEnd(r, 0);
    return 0;
  }
  return 1;
}

void rgbaRowsPut(rgbaRows *r, int y, const unsigned char *rgba, int x0, int n) {
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
  unsigned char *target = imageDataRowPointer(r->made, y);
  ditherRow(r->pa, rowRGB, target ? target : r->scratch, r->rgb, r->width, nullptr);
  imageDataPushRow(r->made, y, target ? target : r->scratch);
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

int LoadBmp(const char *filename, imageData **idP) {
  *idP = nullptr;
  QImage picture;
  {
    // The reader's own size limit is raised to the picture limit (4 bytes a pixel).
    long long limitMb = imageDataPixelLimit * 4 / (1024 * 1024) + 1;
    if (QImageReader::allocationLimit() < limitMb) QImageReader::setAllocationLimit((int)limitMb);
    QImageReader reader(QString::fromLocal8Bit(filename), "bmp");
    reader.setDecideFormatFromContent(false);
    QSize size = reader.size();
    if (std::llabs((long long)size.width() * size.height()) <= imageDataPixelLimit)
      picture = reader.read();
  }
  if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) {
    platformMessageBox(nullptr, "Not a valid BMP-format image.", "Unable to Load BMP",
                       MB_OK | MB_ICONWARNING);
    return 0;
  }
  // The colours as stored, without their alpha, as one tile of blue, green, red.
  QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
  QImage *tile = new (std::nothrow) QImage(argb.width(), argb.height(), QImage::Format_BGR888);
  if (!tile || tile->isNull() || argb.isNull()) {
    delete tile;
    LowMemory();
    return 0;
  }
  for (int y = 0; y < argb.height(); y++) {
    const QRgb *in = (const QRgb *)argb.constScanLine(y);
    unsigned char *out = tile->scanLine(y);
    for (int x = 0; x < argb.width(); x++, out += 3) {
      out[0] = (unsigned char)qBlue(in[x]);
      out[1] = (unsigned char)qGreen(in[x]);
      out[2] = (unsigned char)qRed(in[x]);
    }
  }
  *idP = imageDataCreateFromHBITMAP(tile);
  if (!*idP) {
    LowMemory();
    return 0;
  }
  return 1;
}

int LoadMyImage(const char *filename) {
  if (id) {
    imageDataDestroy(id);
    id = nullptr;
  }
  int decoder = imageDecoderForName(filename);
  static wfileInfo info;
  std::memset(&info, 0, sizeof info);
  wfileStruct *in = wfileOpen(filename, "rb", &info);
  if (!in) {
    modalPopup("Image file not found (or we don't have permission to open it).", 0, nullptr, nullptr);
    return 0;
  }
  loadPercent = 0;
  loadWindow = platform->progressOpen(nullptr, "Loading Image...",
                                      "Please wait while the image is loaded.", "0% Complete");
  int ok = 0;
  switch (decoder) {
    case decoderJpeg: ok = LoadJpeg(in, nullptr, &palette, &id); break;
    case decoderPng: ok = LoadPng(in, nullptr, &palette, &id); break;
    case decoderBmp: ok = LoadBmp(info.path, &id); break;
    case decoderWebp: ok = LoadWebp(in, nullptr, &palette, &id); break;
    case decoderAvif: ok = LoadAvif(in, nullptr, &palette, &id); break;
    case decoderSvg: ok = LoadSvg(in, nullptr, &palette, &id); break;
    default: ok = LoadGif(in, nullptr, &palette, &id); break;
  }
  wfileClose(in);
  if (loadWindow) platform->progressClose(loadWindow);
  loadWindow = nullptr;
  if (!ok || !id) {
    if (id) imageDataDestroy(id);
    id = nullptr;
    return 0;
  }
  sx = id->width;
  sy = id->height;
  if (displayWidth == -1) displayWidth = sx;
  if (displayHeight == -1) displayHeight = sy;
  displayWidth = (int)(displayWidth * scale);
  displayHeight = (int)(displayHeight * scale);
  return 1;
}

// The load sequence of a document: the map (unless newFlag) and the picture,
// then the view and the Rectangle tool. A failed load leaves the logo shown.
int loadfiles(const char *filename, const char *, const char *localname, int newFlag) {
  void *cursor = LocalSetCursor(cursorWait);
  EnableMenus(1);
  opening = 1;
  objectsTotal = 0;
  scale = 1.0;
  Zoomout(2);
  if (localname && (!maplocalname || std::strcmp(localname, maplocalname) != 0)) {
    char *copy = mystrdupImpl("loadfiles", localname);
    myfreeImpl(maplocalname);
    maplocalname = copy;
  }
  int ok = 1;
  if (!newFlag) ok = LoadClientMap(hdoc, maplocalname ? maplocalname : "");
  if (ok) {
    ok = LoadMyImage(filename);
    if (ok) {
      DetectDefaultURL();
      if (state == nostate) Rect(1);
      SizeWindows();
    }
  }
  opening = 0;
  LocalSetCursor(cursor ? cursor : cursorArrow);
  EnableMenus(0);
  if (!ok) {
    if (id) {
      imageDataDestroy(id);
      id = nullptr;
    }
    ReloadLogo();
    sx = sy = 0;
  }
  resetScroll();
  repaint(0);
  return ok;
}
