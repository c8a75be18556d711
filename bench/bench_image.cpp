// bench_image.cpp: picture loading and tracing speed. Loading an 8000 x 8000
// PNG and JPEG through LoadMyImage next to a bare decode of the same file to RGB
// rows, and the same JPEG turned by its Exif orientation (6); a 6000 x 4000
// WebP (quality 80) through LoadMyImage next to dwebp writing it as PPM; GIF
// decoding on a photo-like and a flat picture (next to giflib when it is
// installed); the magic wand on a 4000 x 4000 picture; and the peak memory of
// loading a 10000 x 10000 JPEG (as stored and turned), a 6000 x 4000 BMP and
// the 6000 x 4000 WebP. The pictures are made on first use in /tmp.
#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <webp/encode.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#if TILVANE_HAVE_GIFLIB
#include <gif_lib.h>
#endif

#include "platform/settings.h"
#include "editor/objects.h"
#include "image/dither.h"
#include "image/gif.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "editor/magicwand.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

namespace {

bool exists(const std::string &p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && st.st_size > 0;
}

// A photo-like RGB row: smooth gradients with a little noise.
void photoRow(int w, int y, std::vector<unsigned char> &row, unsigned &seed) {
  row.resize((size_t)w * 3);
  for (int x = 0; x < w; x++) {
    seed = seed * 1103515245u + 12345u;
    int n = (int)((seed >> 16) & 15) - 8;
    int r = (x * 255 / w + n), g = (y * 255 / (w) + n), b = ((x + y) % 512 / 2 + n);
    row[3 * x] = (unsigned char)(r < 0 ? 0 : r > 255 ? 255 : r);
    row[3 * x + 1] = (unsigned char)(g < 0 ? 0 : g > 255 ? 255 : g);
    row[3 * x + 2] = (unsigned char)(b < 0 ? 0 : b > 255 ? 255 : b);
  }
}

std::string makePng(int size) {
  std::string path = "/tmp/tilvane_bench_" + std::to_string(size) + ".png";
  if (exists(path)) return path;
  FILE *f = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_compression_level(png, 6);
  png_set_IHDR(png, info, size, size, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_gAMA(png, info, 0.45455);
  png_write_info(png, info);
  std::vector<unsigned char> row;
  unsigned seed = 1;
  for (int y = 0; y < size; y++) {
    photoRow(size, y, row, seed);
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return path;
}

// A size x size photo-like JPEG, with an Exif block giving orientation when
// it is not 1.
std::string makeJpeg(int size, int orientation = 1) {
  std::string path = "/tmp/tilvane_bench_" + std::to_string(size) +
                     (orientation == 1 ? std::string() : "_o" + std::to_string(orientation)) + ".jpg";
  if (exists(path)) return path;
  FILE *f = std::fopen(path.c_str(), "wb");
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = (JDIMENSION)size;
  c.image_height = (JDIMENSION)size;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  jpeg_start_compress(&c, TRUE);
  if (orientation != 1) {
    // Big-endian TIFF header, one directory with one entry: the orientation.
    const unsigned char exif[] = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                                  0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, (unsigned char)orientation, 0, 0,
                                  0, 0, 0, 0};
    jpeg_write_marker(&c, JPEG_APP0 + 1, exif, sizeof exif);
  }
  std::vector<unsigned char> row;
  unsigned seed = 2;
  for (int y = 0; y < size; y++) {
    photoRow(size, y, row, seed);
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
  return path;
}

// GIF with one 256-colour image; LZW with a dense code table.
struct gifWriter {
  std::vector<unsigned char> out, block;
  unsigned acc = 0;
  int bits = 0;
  void byte(unsigned char b) {
    block.push_back(b);
    if (block.size() == 255) flushBlock();
  }
  void flushBlock() {
    if (block.empty()) return;
    out.push_back((unsigned char)block.size());
    out.insert(out.end(), block.begin(), block.end());
    block.clear();
  }
  void code(int c, int size) {
    acc |= (unsigned)c << bits;
    bits += size;
    while (bits >= 8) {
      byte((unsigned char)acc);
      acc >>= 8;
      bits -= 8;
    }
  }
};

std::string makeGif(const char *kind, int w, int h) {
  std::string path = std::string("/tmp/tilvane_bench_") + kind + "_" + std::to_string(w) + ".gif";
  if (exists(path)) return path;
  std::vector<unsigned char> px((size_t)w * h);
  unsigned seed = 3;
  bool photo = std::strcmp(kind, "photo") == 0;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      seed = seed * 1103515245u + 12345u;
      int v;
      if (photo) v = ((x * 6 / w) * 36 + (y * 6 / h) * 6 + (int)((seed >> 16) % 6)) % 216;  // dithered
      else v = ((x / 400) + (y / 300) * 3) % 16;  // large flat areas
      px[(size_t)y * w + x] = (unsigned char)v;
    }
  gifWriter g;
  const unsigned char head[] = {'G', 'I', 'F', '8', '9', 'a'};
  std::vector<unsigned char> &o = g.out;
  o.insert(o.end(), head, head + 6);
  o.push_back((unsigned char)(w & 255)), o.push_back((unsigned char)(w >> 8));
  o.push_back((unsigned char)(h & 255)), o.push_back((unsigned char)(h >> 8));
  o.push_back(0xF7), o.push_back(0), o.push_back(0);
  for (int i = 0; i < 256; i++) o.push_back((unsigned char)i), o.push_back((unsigned char)(255 - i)), o.push_back((unsigned char)(i * 7));
  o.push_back(',');
  for (int i = 0; i < 4; i++) o.push_back(0);
  o.push_back((unsigned char)(w & 255)), o.push_back((unsigned char)(w >> 8));
  o.push_back((unsigned char)(h & 255)), o.push_back((unsigned char)(h >> 8));
  o.push_back(0);
  o.push_back(8);
  std::vector<short> table((size_t)4096 * 256, -1);
  int size = 9, next = 258, prefix = -1;
  g.code(256, size);
  for (unsigned char k : px) {
    if (prefix < 0) {
      prefix = k;
      continue;
    }
    short &t = table[(size_t)prefix * 256 + k];
    if (t >= 0) {
      prefix = t;
      continue;
    }
    g.code(prefix, size);
    if (next < 4096) {
      t = (short)next++;
      if (next > (1 << size) && size < 12) size++;
    } else {
      g.code(256, size);
      std::fill(table.begin(), table.end(), (short)-1);
      size = 9;
      next = 258;
    }
    prefix = k;
  }
  g.code(prefix, size);
  if (++next > (1 << size) && size < 12) size++;
  g.code(257, size);
  if (g.bits) g.byte((unsigned char)g.acc);
  g.flushBlock();
  o.push_back(0);
  o.push_back(';');
  FILE *f = std::fopen(path.c_str(), "wb");
  std::fwrite(o.data(), 1, o.size(), f);
  std::fclose(f);
  return path;
}

void trueColour() {
  paletteRelease(&palette);
  palette = paletteInfo();
  paletteSetupDepth(&palette, 24);
}

void BM_LoadMyImagePng(benchmark::State &state) {
  std::string path = makePng(8000);
  trueColour();
  for (auto _ : state) {
    if (!LoadMyImage(path.c_str())) state.SkipWithError("load failed");
  }
  state.counters["Mpx/s"] = benchmark::Counter(64e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_BarePngToRgbRows(benchmark::State &state) {
  std::string path = makePng(8000);
  std::vector<unsigned char> row(8000 * 3);
  for (auto _ : state) {
    FILE *f = std::fopen(path.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_read_info(png, info);
    png_read_update_info(png, info);
    for (int y = 0; y < 8000; y++) png_read_row(png, row.data(), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    benchmark::DoNotOptimize(row.data());
  }
  state.counters["Mpx/s"] = benchmark::Counter(64e6, benchmark::Counter::kIsIterationInvariantRate);
}

// The bare decode again, but with the picture's gamma applied as the loader
// must, and every row kept in a fresh picture-sized buffer as any loader that
// holds the picture must: the least a load can cost.
void BM_BarePngGammaToPictureBuffer(benchmark::State &state) {
  std::string path = makePng(8000);
  for (auto _ : state) {
    unsigned char *picture = (unsigned char *)std::malloc((size_t)8000 * 8000 * 3);
    FILE *f = std::fopen(path.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_read_info(png, info);
    double g = 0.45;
    png_get_gAMA(png, info, &g);
    png_set_gamma(png, 2.0, g);
    png_read_update_info(png, info);
    for (int y = 0; y < 8000; y++) png_read_row(png, picture + (size_t)y * 24000, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    benchmark::DoNotOptimize(picture);
    std::free(picture);
  }
  state.counters["Mpx/s"] = benchmark::Counter(64e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_BareJpegToPictureBuffer(benchmark::State &state) {
  std::string path = makeJpeg(8000);
  for (auto _ : state) {
    unsigned char *picture = (unsigned char *)std::malloc((size_t)8000 * 8000 * 3);
    FILE *f = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_decompress(&c);
    jpeg_stdio_src(&c, f);
    jpeg_read_header(&c, TRUE);
    c.out_color_space = JCS_RGB;
    jpeg_start_decompress(&c);
    while (c.output_scanline < c.output_height) {
      JSAMPROW r = picture + (size_t)c.output_scanline * 24000;
      jpeg_read_scanlines(&c, &r, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    std::fclose(f);
    benchmark::DoNotOptimize(picture);
    std::free(picture);
  }
  state.counters["Mpx/s"] = benchmark::Counter(64e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_LoadMyImageJpeg(benchmark::State &state) {
  std::string path = makeJpeg(8000);
  trueColour();
  for (auto _ : state) {
    if (!LoadMyImage(path.c_str())) state.SkipWithError("load failed");
  }
  state.counters["Mpx/s"] = benchmark::Counter(64e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_LoadMyImageJpegTurned(benchmark::State &state) {
  std::string path = makeJpeg(8000, 6);
  trueColour();
  for (auto _ : state) {
    if (!LoadMyImage(path.c_str())) state.SkipWithError("load failed");
  }
  state.counters["Mpx/s"] = benchmark::Counter(64e6, benchmark::Counter::kIsIterationInvariantRate);
}

// A 6000 x 4000 photo-like WebP at quality 80.
std::string makeWebp() {
  std::string path = "/tmp/tilvane_bench_6000x4000.webp";
  if (exists(path)) return path;
  const int w = 6000, h = 4000;
  std::vector<unsigned char> pixels, row;
  pixels.reserve((size_t)w * h * 3);
  unsigned seed = 3;
  for (int y = 0; y < h; y++) {
    photoRow(w, y, row, seed);
    pixels.insert(pixels.end(), row.begin(), row.end());
  }
  uint8_t *out = nullptr;
  size_t n = WebPEncodeRGB(pixels.data(), w, h, w * 3, 80, &out);
  FILE *f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(out, 1, n, f);
    std::fclose(f);
  }
  WebPFree(out);
  return path;
}

void BM_LoadMyImageWebp(benchmark::State &state) {
  std::string path = makeWebp();
  trueColour();
  for (auto _ : state) {
    if (!LoadMyImage(path.c_str())) state.SkipWithError("load failed");
  }
  state.counters["Mpx/s"] = benchmark::Counter(24e6, benchmark::Counter::kIsIterationInvariantRate);
}

// The reference: the library's own tool writing the same picture as PPM.
void BM_DwebpToPpm(benchmark::State &state) {
  std::string path = makeWebp();
  if (std::system("command -v dwebp >/dev/null 2>&1") != 0) {
    state.SkipWithError("dwebp is not installed");
    return;
  }
  std::string command = "dwebp -quiet " + path + " -ppm -o /tmp/tilvane_bench_dwebp.ppm";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("dwebp failed");
  }
  std::remove("/tmp/tilvane_bench_dwebp.ppm");
  state.counters["Mpx/s"] = benchmark::Counter(24e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_BareJpegToRgbRows(benchmark::State &state) {
  std::string path = makeJpeg(8000);
  std::vector<unsigned char> row(8000 * 3);
  for (auto _ : state) {
    FILE *f = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_decompress(&c);
    jpeg_stdio_src(&c, f);
    jpeg_read_header(&c, TRUE);
    c.out_color_space = JCS_RGB;
    jpeg_start_decompress(&c);
    while (c.output_scanline < c.output_height) {
      JSAMPROW r = row.data();
      jpeg_read_scanlines(&c, &r, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    std::fclose(f);
    benchmark::DoNotOptimize(row.data());
  }
  state.counters["Mpx/s"] = benchmark::Counter(64e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Decoding to the palette image only, as the GIF decoder's own speed.
void gifDecode(benchmark::State &state, const char *kind) {
  std::string path = makeGif(kind, 4000, 4000);
  for (auto _ : state) {
    wfileInfo info;
    std::memset(&info, 0, sizeof info);
    wfileStruct *in = wfileOpen(path.c_str(), "rb", &info);
    gifSource *s = (gifSource *)std::calloc(1, sizeof(gifSource));
    s->read = wfileReadWrapper;
    s->context = in;
    oldrzImagePtr im = oldrzImageCreateFromGifSource(s);
    if (!im) state.SkipWithError("decode failed");
    oldrzImageDestroy(im);
    std::free(s);
    wfileClose(in);
  }
  state.counters["Mpx/s"] = benchmark::Counter(16e6, benchmark::Counter::kIsIterationInvariantRate);
}
void BM_GifDecodePhoto(benchmark::State &state) { gifDecode(state, "photo"); }
void BM_GifDecodeFlat(benchmark::State &state) { gifDecode(state, "flat"); }

void gifLoad(benchmark::State &state, const char *kind) {
  std::string path = makeGif(kind, 4000, 4000);
  trueColour();
  for (auto _ : state) {
    if (!LoadMyImage(path.c_str())) state.SkipWithError("load failed");
  }
  state.counters["Mpx/s"] = benchmark::Counter(16e6, benchmark::Counter::kIsIterationInvariantRate);
}
void BM_LoadMyImageGifPhoto(benchmark::State &state) { gifLoad(state, "photo"); }
void BM_LoadMyImageGifFlat(benchmark::State &state) { gifLoad(state, "flat"); }

#if TILVANE_HAVE_GIFLIB
void giflibDecode(benchmark::State &state, const char *kind) {
  std::string path = makeGif(kind, 4000, 4000);
  for (auto _ : state) {
    int error = 0;
    GifFileType *g = DGifOpenFileName(path.c_str(), &error);
    if (!g || DGifSlurp(g) != GIF_OK) state.SkipWithError("giflib failed");
    if (g) DGifCloseFile(g, &error);
  }
  state.counters["Mpx/s"] = benchmark::Counter(16e6, benchmark::Counter::kIsIterationInvariantRate);
}
void BM_GiflibDecodePhoto(benchmark::State &state) { giflibDecode(state, "photo"); }
void BM_GiflibDecodeFlat(benchmark::State &state) { giflibDecode(state, "flat"); }
BENCHMARK(BM_GiflibDecodePhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GiflibDecodeFlat)->Unit(benchmark::kMillisecond);
#endif

void BM_MagicWand256Rays(benchmark::State &state) {
  trueColour();
  const int w = 4000;
  imageDataDestroy(id);
  unsigned char *header = imageHeaderCreate(w, w, &palette);
  id = imageDataCreateFromHeader(header, imageHeaderSize);
  std::free(header);
  std::vector<unsigned char> row((size_t)w * 3 + 4);
  unsigned seed = 5;
  for (int y = 0; y < w; y++) {
    for (int x = 0; x < w; x++) {
      // A large textured blob (radius 1800) on a dark background.
      long dx = x - 2000, dy = y - 2000;
      bool inside = dx * dx + dy * dy < 1800L * 1800L;
      seed = seed * 1103515245u + 12345u;
      unsigned char n = (unsigned char)((seed >> 16) & 3);
      row[3 * x] = inside ? 200 + n : 20;
      row[3 * x + 1] = inside ? 180 + n : 20;
      row[3 * x + 2] = inside ? 90 + n : 20;
    }
    imageDataPushRow(id, y, row.data());
  }
  sx = sy = w;
  objectsSetup();
  magicWandPoints = 256;
  magicWandFeatherSteps = 3;
  magicWandTolerance = 32;
  for (auto _ : state) {
    if (!magicWandPolygon(2000, 2000)) state.SkipWithError("no polygon");
  }
  ReleaseObjects();
}

// Loads path in a fresh process (this program started again with
// --load-and-report); its resident size in KB before the load and at its peak.
bool loadInChild(const std::string &path, long *before, long *after) {
  std::string command = "/proc/" + std::to_string(getpid()) + "/exe --load-and-report " + path;
  FILE *p = popen(command.c_str(), "r");
  bool read = p && std::fscanf(p, "%ld %ld", before, after) == 2;
  if (p) pclose(p);
  return read;
}

// Loads a 10000 x 10000 JPEG in a fresh process (this program started again
// with --load-and-report) and reports its peak resident memory next to the
// 300 MB of its 24-bit pixels and to the same process's size before the load.
void BM_PeakMemoryJpeg10000(benchmark::State &state) {
  std::string path = makeJpeg(10000);
  for (auto _ : state) {
    long before = 0, after = 0;
    if (!loadInChild(path, &before, &after)) state.SkipWithError("child load failed");
    state.counters["peakMB"] = after / 1024.0;
    state.counters["beforeLoadMB"] = before / 1024.0;
    state.counters["pixelsMB"] = 300.0;
    state.counters["peakOverPixels"] = (after - before) / 1024.0 / 300.0;
  }
}

// The same JPEG turned by its orientation (6): the turn needs no memory
// beyond a row, so the peak is that of the picture as stored.
void BM_PeakMemoryJpegTurned10000(benchmark::State &state) {
  std::string path = makeJpeg(10000, 6);
  for (auto _ : state) {
    long before = 0, after = 0;
    if (!loadInChild(path, &before, &after)) state.SkipWithError("child load failed");
    state.counters["peakMB"] = after / 1024.0;
    state.counters["beforeLoadMB"] = before / 1024.0;
    state.counters["pixelsMB"] = 300.0;
    state.counters["peakOverPixels"] = (after - before) / 1024.0 / 300.0;
  }
}

// The 6000 x 4000 WebP, next to the 72 MB of its 24-bit pixels.
void BM_PeakMemoryWebp6000x4000(benchmark::State &state) {
  std::string path = makeWebp();
  for (auto _ : state) {
    long before = 0, after = 0;
    if (!loadInChild(path, &before, &after)) state.SkipWithError("child load failed");
    const double pixelsMB = 6000.0 * 4000 * 3 / (1024 * 1024);
    state.counters["peakMB"] = after / 1024.0;
    state.counters["beforeLoadMB"] = before / 1024.0;
    state.counters["pixelsMB"] = pixelsMB;
    state.counters["peakOverPixels"] = (after - before) / 1024.0 / pixelsMB;
  }
}

// A 24-bit bottom-up BMP of width x height with a gradient.
std::string makeBmp(int width, int height) {
  std::string path = "/tmp/tilvane_bench_" + std::to_string(width) + "x" + std::to_string(height) + ".bmp";
  if (exists(path)) return path;
  unsigned rowBytes = ((unsigned)width * 3 + 3) & ~3u;
  unsigned size = 54 + rowBytes * (unsigned)height;
  unsigned char h[54];
  std::memset(h, 0, sizeof h);
  auto put32 = [&](int at, unsigned v) {
    for (int i = 0; i < 4; i++) h[at + i] = (unsigned char)(v >> (8 * i));
  };
  h[0] = 'B', h[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, (unsigned)width);
  put32(22, (unsigned)height);
  h[26] = 1, h[28] = 24;
  put32(34, rowBytes * (unsigned)height);
  FILE *f = std::fopen(path.c_str(), "wb");
  std::fwrite(h, 1, sizeof h, f);
  std::vector<unsigned char> row(rowBytes, 0);
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      row[3 * x] = (unsigned char)x, row[3 * x + 1] = (unsigned char)y, row[3 * x + 2] = (unsigned char)(x + y);
    }
    std::fwrite(row.data(), 1, row.size(), f);
  }
  std::fclose(f);
  return path;
}

// The same for a 6000 x 4000 BMP, next to the 72 MB of its 24-bit pixels.
void BM_PeakMemoryBmp6000x4000(benchmark::State &state) {
  std::string path = makeBmp(6000, 4000);
  for (auto _ : state) {
    long before = 0, after = 0;
    if (!loadInChild(path, &before, &after)) state.SkipWithError("child load failed");
    const double pixelsMB = 6000.0 * 4000 * 3 / (1024 * 1024);
    state.counters["peakMB"] = after / 1024.0;
    state.counters["beforeLoadMB"] = before / 1024.0;
    state.counters["pixelsMB"] = pixelsMB;
    state.counters["peakOverPixels"] = (after - before) / 1024.0 / pixelsMB;
  }
}

int loadAndReport(const char *path) {
  trueColour();
  struct rusage before;
  getrusage(RUSAGE_SELF, &before);
  if (!LoadMyImage(path)) return 1;
  struct rusage after;
  getrusage(RUSAGE_SELF, &after);
  std::printf("%ld %ld\n", before.ru_maxrss, after.ru_maxrss);
  return 0;
}

}  // namespace

BENCHMARK(BM_LoadMyImagePng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BarePngToRgbRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BarePngGammaToPictureBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMyImageJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMyImageJpegTurned)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMyImageWebp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DwebpToPpm)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareJpegToPictureBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareJpegToRgbRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecodePhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecodeFlat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMyImageGifPhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMyImageGifFlat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MagicWand256Rays)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakMemoryJpeg10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PeakMemoryBmp6000x4000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PeakMemoryJpegTurned10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PeakMemoryWebp6000x4000)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv) {
  if (argc == 3 && std::strcmp(argv[1], "--load-and-report") == 0) return loadAndReport(argv[2]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
