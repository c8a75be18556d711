// Helpers of the picture tests.
#include "tests/image/image_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include <jpeglib.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>

#include "image/dither.h"
#include "image/gif.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "wfile/wfile.h"

void setDisplayDepth(int depth) {
  paletteRelease(&palette);
  palette = paletteInfo();
  paletteSetupDepth(&palette, depth);
}

namespace {
// Writes codes least significant bit first into sub-blocks.
struct bitWriter {
  bytes out;
  uint32_t acc = 0;
  int bits = 0;
  void put(int code, int size) {
    acc |= (uint32_t)code << bits;
    bits += size;
    while (bits >= 8) {
      out.push_back((uint8_t)acc);
      acc >>= 8;
      bits -= 8;
    }
  }
  void flush() {
    if (bits > 0) out.push_back((uint8_t)acc);
    acc = 0;
    bits = 0;
  }
};
}  // namespace

bytes gifImageData(const std::vector<uint8_t> &indices, int minCodeSize, bool clearWhenFull,
                   int blockSize) {
  const int clear = 1 << minCodeSize, end = clear + 1;
  bitWriter w;
  int size = minCodeSize + 1, next = clear + 2;
  std::map<std::pair<int, int>, int> dict;
  w.put(clear, size);
  int prefix = -1;
  for (uint8_t k : indices) {
    if (prefix < 0) {
      prefix = k;
      continue;
    }
    auto it = dict.find({prefix, k});
    if (it != dict.end()) {
      prefix = it->second;
      continue;
    }
    w.put(prefix, size);
    if (next < 4096) {
      dict[{prefix, k}] = next++;
      if (next > (1 << size) && size < 12) size++;
    } else if (clearWhenFull) {
      w.put(clear, size);
      dict.clear();
      size = minCodeSize + 1;
      next = clear + 2;
    }
    prefix = k;
  }
  if (prefix >= 0) {
    w.put(prefix, size);
    if (next < 4096 && ++next > (1 << size) && size < 12) size++;
  }
  w.put(end, size);
  w.flush();
  bytes out;
  out.push_back((uint8_t)minCodeSize);
  for (size_t i = 0; i < w.out.size(); i += (size_t)blockSize) {
    size_t n = std::min((size_t)blockSize, w.out.size() - i);
    out.push_back((uint8_t)n);
    out.insert(out.end(), w.out.begin() + (long)i, w.out.begin() + (long)(i + n));
  }
  out.push_back(0);
  return out;
}

namespace {
int tableBits(size_t n) {
  int b = 0;
  while ((size_t)(2 << b) < n) b++;
  return b;
}
void put16(bytes &b, int v) {
  b.push_back((uint8_t)(v & 0xff));
  b.push_back((uint8_t)(v >> 8));
}
void putTable(bytes &b, const std::vector<gifColor> &t) {
  size_t n = (size_t)2 << tableBits(t.size());
  for (size_t i = 0; i < n; i++) {
    gifColor c = i < t.size() ? t[i] : gifColor{0, 0, 0};
    b.push_back(c.r);
    b.push_back(c.g);
    b.push_back(c.b);
  }
}
}  // namespace

bytes makeGif(const gifSpec &s) {
  bytes b = {'G', 'I', 'F'};
  for (int i = 0; i < 3; i++) b.push_back((uint8_t)s.version[i]);
  put16(b, s.width);
  put16(b, s.height);
  b.push_back(s.globalTable.empty() ? 0 : (uint8_t)(0x80 | tableBits(s.globalTable.size())));
  b.push_back(0);
  b.push_back(0);
  if (!s.globalTable.empty()) putTable(b, s.globalTable);
  b.insert(b.end(), s.before.begin(), s.before.end());
  b.push_back(',');
  put16(b, 0);
  put16(b, 0);
  put16(b, s.width);
  put16(b, s.height);
  uint8_t flags = s.interlace ? 0x40 : 0;
  if (!s.localTable.empty()) flags |= (uint8_t)(0x80 | tableBits(s.localTable.size()));
  b.push_back(flags);
  if (!s.localTable.empty()) putTable(b, s.localTable);
  std::vector<uint8_t> order;
  if (s.interlace) {
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int p = 0; p < 4; p++)
      for (int y = start[p]; y < s.height; y += step[p])
        order.insert(order.end(), s.pixels.begin() + (long)y * s.width,
                     s.pixels.begin() + (long)(y + 1) * s.width);
  } else {
    order = s.pixels;
  }
  bytes data = gifImageData(order, s.minCodeSize);
  b.insert(b.end(), data.begin(), data.end());
  b.insert(b.end(), s.after.begin(), s.after.end());
  b.push_back(';');
  return b;
}

namespace {
void pngWrite(png_structp png, png_bytep data, png_size_t n) {
  bytes *out = (bytes *)png_get_io_ptr(png);
  out->insert(out->end(), data, data + n);
}
void pngFlush(png_structp) {}
}  // namespace

bytes makePng(const pngSpec &s) {
  bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, pngWrite, pngFlush);
  png_set_IHDR(png, info, (png_uint_32)s.width, (png_uint_32)s.height, s.bitDepth, s.colorType,
               s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty()) {
    std::vector<png_color> p;
    for (auto c : s.palette) p.push_back({c.r, c.g, c.b});
    png_set_PLTE(png, info, p.data(), (int)p.size());
  }
  if (!s.paletteAlpha.empty())
    png_set_tRNS(png, info, s.paletteAlpha.data(), (int)s.paletteAlpha.size(), nullptr);
  if (s.hasBackground) {
    png_color_16 bg;
    bg.index = s.backgroundIndex;
    bg.red = s.backgroundRed;
    bg.green = s.backgroundGreen;
    bg.blue = s.backgroundBlue;
    bg.gray = s.backgroundGray;
    png_set_bKGD(png, info, &bg);
  }
  if (s.gamma > 0) png_set_gAMA(png, info, s.gamma);
  if (!s.exif.empty()) png_set_eXIf_1(png, info, (png_uint_32)s.exif.size(), (png_bytep)s.exif.data());
  png_write_info(png, info);
  std::vector<png_bytep> rows;
  for (auto &r : s.rows) rows.push_back((png_bytep)r.data());
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

bytes makeJpeg(int width, int height, int components, const bytes &pixels,
               const std::vector<bytes> &app4, int quality, const bytes &app1) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char *mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = (JDIMENSION)width;
  c.image_height = (JDIMENSION)height;
  c.input_components = components;
  c.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (components == 3) {
    // No chroma subsampling, so that small pictures keep their colours exactly.
    for (int i = 0; i < 3; i++) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
  }
  jpeg_start_compress(&c, TRUE);
  if (!app1.empty()) jpeg_write_marker(&c, JPEG_APP0 + 1, app1.data(), (unsigned)app1.size());
  for (const bytes &m : app4) jpeg_write_marker(&c, JPEG_APP0 + 4, m.data(), (unsigned)m.size());
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = (JSAMPROW)&pixels[(size_t)c.next_scanline * width * components];
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  bytes out(mem, mem + size);
  jpeg_destroy_compress(&c);
  std::free(mem);
  return out;
}

bytes exifBlock(int orientation, bool bigEndian, bool named) {
  bytes b;
  if (named) b = {'E', 'x', 'i', 'f', 0, 0};
  auto u16 = [&](unsigned v) {
    if (bigEndian) b.insert(b.end(), {(uint8_t)(v >> 8), (uint8_t)v});
    else b.insert(b.end(), {(uint8_t)v, (uint8_t)(v >> 8)});
  };
  auto u32 = [&](uint32_t v) {
    if (bigEndian) u16(v >> 16), u16(v & 0xffff);
    else u16(v & 0xffff), u16(v >> 16);
  };
  b.push_back(bigEndian ? 'M' : 'I');
  b.push_back(bigEndian ? 'M' : 'I');
  u16(42);
  u32(8);                      // the first directory follows the header
  u16(1);                      // one entry
  u16(0x0112), u16(3), u32(1);  // orientation, SHORT, one value
  u16((unsigned)orientation), u16(0);
  u32(0);  // no next directory
  return b;
}

bytes makeBmp(int width, int height, const bytes &rgb) {
  QImage im(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; y++) std::memcpy(im.scanLine(y), &rgb[(size_t)y * width * 3], (size_t)width * 3);
  QByteArray a;
  QBuffer buf(&a);
  buf.open(QIODevice::WriteOnly);
  im.save(&buf, "BMP");
  return bytes(a.begin(), a.end());
}

namespace {
std::vector<std::string> &tempFiles() {
  static std::vector<std::string> files;
  static bool registered = false;
  if (!registered) {
    registered = true;
    std::atexit([] {
      for (auto &f : tempFiles()) std::remove(f.c_str());
    });
  }
  return files;
}
}  // namespace

std::string tempFile(const bytes &data, const std::string &suffix) {
  char name[] = "/tmp/tilvane_image_XXXXXX";
  int fd = mkstemp(name);
  close(fd);
  std::remove(name);
  std::string path = std::string(name) + suffix;
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!data.empty()) std::fwrite(data.data(), 1, data.size(), f);
  std::fclose(f);
  tempFiles().push_back(path);
  return path;
}

imageData *decodeMemory(const bytes &data, int decoder) {
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  wfileStruct *in = wfileOpenMemory(data.data(), (int)data.size(), &info);
  imageData *im = nullptr;
  int ok = 0;
  switch (decoder) {
    case decoderJpeg: ok = LoadJpeg(in, nullptr, &palette, &im); break;
    case decoderPng: ok = LoadPng(in, nullptr, &palette, &im); break;
    case decoderWebp: ok = LoadWebp(in, nullptr, &palette, &im); break;
    case decoderAvif: ok = LoadAvif(in, nullptr, &palette, &im); break;
    case decoderSvg: ok = LoadSvg(in, nullptr, &palette, &im); break;
    default: ok = LoadGif(in, nullptr, &palette, &im); break;
  }
  wfileClose(in);
  if (!ok) {
    if (im) std::abort();  // a failed load must leave no picture behind
    return nullptr;
  }
  return im;
}

unsigned pixelAt(imageData *im, int x, int y) { return imageDataGetPixel(im, x, y); }

std::string corpusDir() {
  const char *d = std::getenv("TILVANE_CORPUS_DIR");
  struct stat st;
  if (!d || !*d || stat(d, &st) != 0 || !S_ISDIR(st.st_mode)) return "";
  return d;
}
