// Tests of LoadMyImage, the PNG, JPEG, BMP, WebP, AVIF and SVG loaders and the
// extension table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <avif/avif.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <QImage>

#include "platform/settings.h"
#include "editor/view.h"
#include "image/dither.h"
#include "image/gif.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "platform/platform_scripted.h"
#include "tests/image/image_fixture.h"

// The XML parser under the SVG loader keeps the entity values it read when it
// stops a document at an entity loop; the leak checker is told to pass them.
extern "C" const char *__lsan_default_suppressions() { return "leak:xmlParseEntityValue\n"; }

namespace {

class Loaders : public ::testing::Test {
 protected:
  void SetUp() override {
    scriptedInstall();
    setDisplayDepth(24);
    displayWidth = displayHeight = -1;
    scale = 1.0;
  }
  void TearDown() override {
    imageDataDestroy(id);
    id = nullptr;
  }
};

// The value libpng's gamma handling gives an 8-bit sample: file gamma g, screen 2.0.
int gammaOf(int v, double fileGamma) {
  return (int)std::floor(255.0 * std::pow(v / 255.0, 1.0 / (fileGamma * 2.0)) + 0.5);
}

TEST_F(Loaders, ExtensionTable) {
  struct {
    const char *name;
    int decoder;
  } cases[] = {{"a.gif", decoderGif},   {"a.GIF", decoderGif},  {"a.jpg", decoderJpeg},
               {"a.JPEG", decoderJpeg}, {"a.jpe", decoderJpeg}, {"a.png", decoderPng},
               {"a.Bmp", decoderBmp},   {"a.tif", decoderGif},  {"noextension", decoderGif},
               {"dir.png/file", decoderGif}, {"a.png.bak", decoderGif}, {"a.", decoderGif},
               {"a.webp", decoderWebp}, {"a.WebP", decoderWebp}, {"a.avif", decoderAvif},
               {"a.svg", decoderSvg},   {"a.SVGZ", decoderSvg},  {"a.webp.gif", decoderGif}};
  for (auto &c : cases) EXPECT_EQ(imageDecoderForName(c.name), c.decoder) << c.name;
}

TEST_F(Loaders, LoadMyImageSetsTheSizesAndShowsProgress) {
  gifSpec s;
  s.width = 30;
  s.height = 20;
  s.globalTable = {{0, 0, 0}, {255, 255, 255}};
  s.pixels.assign(600, 1);
  std::string path = tempFile(makeGif(s), ".gif");
  scale = 2.0;
  ASSERT_EQ(LoadMyImage(path.c_str()), 1);
  EXPECT_EQ(sx, 30);
  EXPECT_EQ(sy, 20);
  EXPECT_EQ(displayWidth, 60);
  EXPECT_EQ(displayHeight, 40);
  ASSERT_FALSE(scripted.shown.empty());
  EXPECT_EQ(scripted.shown[0].kind, "progress");
  EXPECT_EQ(scripted.shown[0].title, "Loading Image...");
  EXPECT_EQ(scripted.shown[0].text, "Please wait while the image is loaded.|0% Complete");
  EXPECT_EQ(scripted.progressOpen, 0);
  ASSERT_FALSE(scripted.progress.empty());
  EXPECT_EQ(scripted.progress.back(), 100);
  for (size_t i = 1; i < scripted.progress.size(); i++) EXPECT_GT(scripted.progress[i], scripted.progress[i - 1]);
  // A file: URL works too, and a given display size is kept.
  displayWidth = 100;
  displayHeight = -1;
  scale = 1.0;
  ASSERT_EQ(LoadMyImage(("file://" + path).c_str()), 1);
  EXPECT_EQ(displayWidth, 100);
  EXPECT_EQ(displayHeight, 20);
}

TEST_F(Loaders, LoadMyImageFailures) {
  id = imageDataCreateFromHBITMAP(new QImage(2, 2, QImage::Format_RGB32));
  EXPECT_EQ(LoadMyImage("/nonexistent/picture.png"), 0);
  EXPECT_EQ(id, nullptr);  // the old picture is gone
  EXPECT_EQ(scriptedLastMessage().text, "Image file not found (or we don't have permission to open it).");
  EXPECT_EQ(scriptedLastMessage().title, "Tilvane");
  // An unknown extension goes to the GIF decoder.
  std::string tif = tempFile(makePng({}), ".tif");
  EXPECT_EQ(LoadMyImage(tif.c_str()), 0);
  EXPECT_EQ(scriptedLastMessage().text, "Not a Valid GIF File");
  EXPECT_EQ(scripted.progressOpen, 0);
  std::string none = tempFile({'x'}, "");
  EXPECT_EQ(LoadMyImage(none.c_str()), 0);
  EXPECT_EQ(scriptedLastMessage().text, "Not a Valid GIF File");
  // A pipe or a device is no picture file, and never blocks the load.
  alarm(30);
  std::string pipe = tempFile({}, ".png");
  unlink(pipe.c_str());
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const char *name : {pipe.c_str(), "/dev/zero", "/tmp"}) {
    EXPECT_EQ(LoadMyImage(name), 0) << name;
    EXPECT_EQ(scriptedLastMessage().text,
              "That is not a picture file. Tilvane reads pictures only from ordinary files, not from "
              "folders, devices or pipes.");
  }
  alarm(0);
  unlink(pipe.c_str());
}

pngSpec rgbPng(int w, int h) {
  pngSpec s;
  s.width = w;
  s.height = h;
  for (int y = 0; y < h; y++) {
    bytes row;
    for (int x = 0; x < w; x++) {
      row.push_back((uint8_t)(x * 40));
      row.push_back((uint8_t)(y * 40));
      row.push_back(255);
    }
    s.rows.push_back(row);
  }
  return s;
}

TEST_F(Loaders, PngRgbWithGammaAndInterlace) {
  for (bool interlace : {false, true}) {
    for (double g : {0.0, 0.5, 0.45455}) {
      pngSpec s = rgbPng(7, 6);
      s.interlace = interlace;
      s.gamma = g;
      imageData *d = decodeMemory(makePng(s), decoderPng);
      ASSERT_TRUE(d);
      double fileGamma = g > 0 ? g : 0.45;
      for (int y = 0; y < 6; y++)
        for (int x = 0; x < 7; x++) {
          unsigned want = rgb(gammaOf(x * 40, fileGamma), gammaOf(y * 40, fileGamma), 255);
          unsigned got = pixelAt(d, x, y);
          for (int k = 0; k < 24; k += 8)
            ASSERT_NEAR((int)((got >> k) & 255), (int)((want >> k) & 255), 1) << x << "," << y;
        }
      imageDataDestroy(d);
    }
  }
}

TEST_F(Loaders, PngInterlacedIsPushedOnlyInTheLastPass) {
  pngSpec s = rgbPng(16, 16);
  s.interlace = true;
  bytes b = makePng(s);
  imageData *d = decodeMemory(b, decoderPng);
  ASSERT_TRUE(d);
  imageDataDestroy(d);
  // 7 passes of 16 rows each are read; progress covers all of them.
  EXPECT_TRUE(scripted.progress.empty());  // no window open outside LoadMyImage
  std::string path = tempFile(b, ".png");
  ASSERT_EQ(LoadMyImage(path.c_str()), 1);
  EXPECT_EQ(scripted.progress.back(), 100);
}

TEST_F(Loaders, PngGrayPaletteAndAlpha) {
  // 2-bit gray: expanded to 8 bits (0, 85, 170, 255), gamma 1.0 keeps them.
  pngSpec g;
  g.width = 4;
  g.height = 1;
  g.colorType = PNG_COLOR_TYPE_GRAY;
  g.bitDepth = 2;
  g.gamma = 0.5;
  g.rows = {{0x1B}};  // 00 01 10 11
  imageData *d = decodeMemory(makePng(g), decoderPng);
  ASSERT_TRUE(d);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(0, 0, 0));
  EXPECT_EQ(pixelAt(d, 1, 0), rgb(85, 85, 85));
  EXPECT_EQ(pixelAt(d, 3, 0), rgb(255, 255, 255));
  imageDataDestroy(d);

  // 4-bit palette.
  pngSpec p;
  p.width = 3;
  p.height = 1;
  p.colorType = PNG_COLOR_TYPE_PALETTE;
  p.bitDepth = 4;
  p.gamma = 0.5;
  p.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  p.rows = {{0x01, 0x20}};
  d = decodeMemory(makePng(p), decoderPng);
  ASSERT_TRUE(d);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(255, 0, 0));
  EXPECT_EQ(pixelAt(d, 1, 0), rgb(0, 255, 0));
  EXPECT_EQ(pixelAt(d, 2, 0), rgb(0, 0, 255));
  imageDataDestroy(d);

  // Gray with alpha, no background chunk: over white.
  pngSpec ga;
  ga.width = 3;
  ga.height = 1;
  ga.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
  ga.gamma = 0.5;
  ga.rows = {{0, 0, 0, 255, 0, 128}};
  d = decodeMemory(makePng(ga), decoderPng);
  ASSERT_TRUE(d);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(255, 255, 255));
  EXPECT_EQ(pixelAt(d, 1, 0), rgb(0, 0, 0));
  // Half-covered black over white, mixed in linear light for a screen gamma
  // of 2.0: sqrt(0.5) of white.
  EXPECT_NEAR((int)(pixelAt(d, 2, 0) & 255), 180, 2);
  imageDataDestroy(d);

  // RGB with alpha against the file's background colour.
  pngSpec ra;
  ra.width = 2;
  ra.height = 1;
  ra.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
  ra.gamma = 0.5;
  ra.hasBackground = true;
  ra.backgroundRed = 0;
  ra.backgroundGreen = 0;
  ra.backgroundBlue = 200;
  ra.rows = {{255, 0, 0, 0, 10, 20, 30, 255}};
  d = decodeMemory(makePng(ra), decoderPng);
  ASSERT_TRUE(d);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(0, 0, 200));
  EXPECT_EQ(pixelAt(d, 1, 0), rgb(10, 20, 30));
  imageDataDestroy(d);
  ra.hasBackground = false;  // and against white without one
  d = decodeMemory(makePng(ra), decoderPng);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(255, 255, 255));
  imageDataDestroy(d);

  // A palette entry made transparent by tRNS shows the background.
  p.paletteAlpha = {0};
  p.hasBackground = true;
  p.backgroundIndex = 1;
  d = decodeMemory(makePng(p), decoderPng);
  ASSERT_TRUE(d);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(0, 255, 0));
  EXPECT_EQ(pixelAt(d, 2, 0), rgb(0, 0, 255));
  imageDataDestroy(d);

  // 16-bit samples are stripped to 8.
  pngSpec w;
  w.width = 2;
  w.height = 1;
  w.bitDepth = 16;
  w.gamma = 0.5;
  w.rows = {{0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}};
  d = decodeMemory(makePng(w), decoderPng);
  ASSERT_TRUE(d);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(255, 128, 0));
  EXPECT_EQ(pixelAt(d, 1, 0), rgb(0x12, 0x56, 0x9A));
  imageDataDestroy(d);
}

TEST_F(Loaders, PngModes) {
  pngSpec s;
  s.width = 2;
  s.height = 1;
  s.gamma = 0.5;
  s.rows = {{128, 128, 128, 255, 0, 0}};
  bytes b = makePng(s);
  setDisplayDepth(8);
  imageData *d = decodeMemory(b, decoderPng);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(102, 102, 102));
  EXPECT_EQ(pixelAt(d, 1, 0), rgb(255, 0, 0));  // the carried 26 stays below a level
  imageDataDestroy(d);
  setDisplayDepth(4);
  d = decodeMemory(b, decoderPng);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(128, 128, 128));
  imageDataDestroy(d);
}

TEST_F(Loaders, PngFailures) {
  pngSpec s = rgbPng(40, 30);
  bytes good = makePng(s);
  // Not a PNG: the library's text, then the loader's.
  bytes junk = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'};
  EXPECT_EQ(decodeMemory(junk, decoderPng), nullptr);
  auto m = scriptedMessages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].title, "PNG Decoding Error -- Bad PNG Image File?");
  EXPECT_EQ(m[1].text, "PNG File Damaged, or Not a PNG");
  EXPECT_EQ(m[1].title, "PNG Decoding Error");
  // Cut anywhere: always a clean failure.
  for (size_t n = 0; n + 1 < good.size(); n += 7) {
    scripted.shown.clear();
    EXPECT_EQ(decodeMemory(bytes(good.begin(), good.begin() + (long)n), decoderPng), nullptr);
    EXPECT_EQ(scriptedLastMessage().text, "PNG File Damaged, or Not a PNG");
  }
  // A declared size beyond the picture limit.
  long long old = imageDataPixelLimit;
  imageDataPixelLimit = 100;
  scripted.shown.clear();
  EXPECT_EQ(decodeMemory(good, decoderPng), nullptr);
  EXPECT_EQ(scriptedLastMessage().text, "Image Too Large");
  EXPECT_EQ(scriptedLastMessage().title, "PNG Decoding Error");
  imageDataPixelLimit = old;
}

// A chunk with its length and CRC, for splicing into a written PNG.
bytes pngChunk(const char *type, const bytes &data, uint32_t declared) {
  bytes c;
  for (int k = 24; k >= 0; k -= 8) c.push_back((uint8_t)(declared >> k));
  bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  uint32_t crc = (uint32_t)crc32(0, body.data(), (uInt)body.size());
  c.insert(c.end(), body.begin(), body.end());
  for (int k = 24; k >= 0; k -= 8) c.push_back((uint8_t)(crc >> k));
  return c;
}

TEST_F(Loaders, PngTextAndProfileChunksAreSkipped) {
  pngSpec s = rgbPng(40, 30);
  bytes good = makePng(s);
  imageData *plain = decodeMemory(good, decoderPng);
  ASSERT_NE(plain, nullptr);
  // Text and a (nonsense) colour profile after the header change nothing.
  bytes words = {'T', 'i', 't', 'l', 'e', 0, 'a', ' ', 'h', 'o', 'u', 's', 'e'};
  bytes withText = good;
  bytes extra = pngChunk("tEXt", words, (uint32_t)words.size());
  bytes profile = pngChunk("iCCP", words, (uint32_t)words.size());
  extra.insert(extra.end(), profile.begin(), profile.end());
  withText.insert(withText.begin() + 33, extra.begin(), extra.end());
  scripted.shown.clear();
  imageData *d = decodeMemory(withText, decoderPng);
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(scripted.shown.empty());
  for (int y = 0; y < 30; y += 7)
    for (int x = 0; x < 40; x += 9)
      EXPECT_EQ(imageDataGetPixel(d, x, y), imageDataGetPixel(plain, x, y));
  imageDataDestroy(d);
  imageDataDestroy(plain);
  // A text chunk that declares far more than the file holds fails cleanly.
  bytes huge = good;
  bytes liar = pngChunk("tEXt", words, 0x68BA0000u);
  huge.insert(huge.begin() + 33, liar.begin(), liar.end());
  scripted.shown.clear();
  EXPECT_EQ(decodeMemory(huge, decoderPng), nullptr);
  EXPECT_EQ(scriptedLastMessage().text, "PNG File Damaged, or Not a PNG");
}

bytes rampRgb(int w, int h) {
  bytes px;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      px.push_back((uint8_t)(x * 255 / (w - 1)));
      px.push_back((uint8_t)(y * 255 / (h - 1)));
      px.push_back(100);
    }
  return px;
}

void expectNear(unsigned got, unsigned want, int tolerance, const char *where) {
  for (int k = 0; k < 24; k += 8)
    ASSERT_NEAR((int)((got >> k) & 255), (int)((want >> k) & 255), tolerance) << where;
}

TEST_F(Loaders, JpegColourAndGray) {
  const int w = 48, h = 40;
  bytes px = rampRgb(w, h);
  imageData *d = decodeMemory(makeJpeg(w, h, 3, px), decoderJpeg);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->width, w);
  for (int y = 0; y < h; y += 7)
    for (int x = 0; x < w; x += 5) {
      const uint8_t *p = &px[((size_t)y * w + x) * 3];
      expectNear(pixelAt(d, x, y), rgb(p[0], p[1], p[2]), 6, "rgb");
    }
  imageDataDestroy(d);
  bytes gray;
  for (int i = 0; i < w * h; i++) gray.push_back((uint8_t)(i % w * 5));
  d = decodeMemory(makeJpeg(w, h, 1, gray), decoderJpeg);
  ASSERT_TRUE(d);
  for (int x = 0; x < w; x += 3) expectNear(pixelAt(d, x, 9), rgb(x * 5, x * 5, x * 5), 3, "gray");
  imageDataDestroy(d);
  // The cube and system-palette modes get the same rows through their converters.
  for (int depth : {8, 4}) {
    setDisplayDepth(depth);
    d = decodeMemory(makeJpeg(w, h, 1, bytes(w * h, 255)), decoderJpeg);
    ASSERT_TRUE(d);
    EXPECT_EQ(pixelAt(d, 5, 5), rgb(255, 255, 255)) << depth;
    imageDataDestroy(d);
    d = decodeMemory(makeJpeg(w, h, 3, px), decoderJpeg);
    ASSERT_TRUE(d) << depth;
    imageDataDestroy(d);
  }
}

TEST_F(Loaders, JpegApp4Marks) {
  const int w = 32, h = 24;
  bytes px(w * h * 3, 200);
  // The end-of-stream mark: no picture, no message.
  EXPECT_EQ(decodeMemory(makeJpeg(w, h, 3, px, {{'V', 'L', 'O', 'X', 'E', 'O', 'F'}}), decoderJpeg), nullptr);
  EXPECT_TRUE(scriptedMessages().empty());
  // Placement 10 columns right and 3 rows down on a black canvas of the same size.
  bytes place = {'V', 'L', 'O', 'X', 0, 10, 0, 3};
  for (int depth : {24, 8}) {
    setDisplayDepth(depth);
    imageData *d = decodeMemory(makeJpeg(w, h, 3, px, {{'V', 'L', 'O', 'X', 'E', 'O', 'F', '!'}, place}), decoderJpeg);
    ASSERT_TRUE(d) << depth;
    EXPECT_TRUE(scriptedMessages().empty()) << scriptedLastMessage().text;
    EXPECT_EQ(d->width, w);
    EXPECT_EQ(d->height, h);
    EXPECT_EQ(pixelAt(d, 9, 10), rgb(0, 0, 0));
    EXPECT_EQ(pixelAt(d, 20, 2), rgb(0, 0, 0));
    unsigned inside = pixelAt(d, 10, 3);
    EXPECT_NE(inside, rgb(0, 0, 0));
    EXPECT_NE(pixelAt(d, w - 1, h - 1), rgb(0, 0, 0));
    if (depth == 24) {
      EXPECT_EQ(pixelAt(d, w - 1, h - 1), inside);
    }
    imageDataDestroy(d);
  }
  // Offsets beyond the picture leave it all black; other APP4 payloads are ignored.
  setDisplayDepth(24);
  imageData *d = decodeMemory(makeJpeg(w, h, 3, px, {{'V', 'L', 'O', 'X', 1, 0, 0, 0}}), decoderJpeg);
  ASSERT_TRUE(d);
  EXPECT_EQ(pixelAt(d, w - 1, 5), rgb(0, 0, 0));
  imageDataDestroy(d);
  d = decodeMemory(makeJpeg(w, h, 3, px, {{'V', 'L', 'O', 'X'}, {'x', 'y', 'z'}}), decoderJpeg);
  ASSERT_TRUE(d);
  expectNear(pixelAt(d, 0, 0), rgb(200, 200, 200), 2, "ignored");
  imageDataDestroy(d);
}

TEST_F(Loaders, JpegTruncatedAndBroken) {
  const int w = 64, h = 64;
  bytes full = makeJpeg(w, h, 3, rampRgb(w, h), {}, 90);
  // Cut in the entropy data: one warning, the top of the picture decoded.
  bytes cut(full.begin(), full.begin() + (long)(full.size() * 3 / 4));
  imageData *d = decodeMemory(cut, decoderJpeg);
  ASSERT_TRUE(d);
  auto m = scriptedMessages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].title, "JPEG Error");
  EXPECT_EQ(m[0].text, "Premature end of JPEG file");
  expectNear(pixelAt(d, 0, 0), rgb(0, 0, 100), 8, "top");
  imageDataDestroy(d);
  // Empty input and a cut header are fatal, with the library's message.
  scripted.shown.clear();
  EXPECT_EQ(decodeMemory({}, decoderJpeg), nullptr);
  ASSERT_EQ(scriptedMessages().size(), 1u);
  EXPECT_EQ(scriptedLastMessage().title, "JPEG Error");
  for (size_t n = 1; n < full.size(); n += 13) {
    imageData *e = decodeMemory(bytes(full.begin(), full.begin() + (long)n), decoderJpeg);
    imageDataDestroy(e);
  }
  // A declared size beyond the limit says that the picture is too large.
  long long old = imageDataPixelLimit;
  imageDataPixelLimit = 1000;
  scripted.shown.clear();
  EXPECT_EQ(decodeMemory(full, decoderJpeg), nullptr);
  EXPECT_EQ(scriptedLastMessage().text, "Image Too Large");
  EXPECT_EQ(scriptedLastMessage().title, "JPEG Error");
  imageDataPixelLimit = old;
}

TEST_F(Loaders, JpegCmykIsConvertedToRgb) {
  // An inverted CMYK picture (as Adobe writes them): bytes 255-C, 255-M, 255-Y, 255-K.
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char *mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = 16;
  c.image_height = 16;
  c.input_components = 4;
  c.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  jpeg_start_compress(&c, TRUE);
  bytes row(16 * 4);
  for (int x = 0; x < 16; x++) {
    // Left half pure cyan (C=255), right half 50% black.
    bool left = x < 8;
    row[4 * x] = left ? 0 : 255;
    row[4 * x + 1] = 255;
    row[4 * x + 2] = 255;
    row[4 * x + 3] = left ? 255 : 128;
  }
  for (int y = 0; y < 16; y++) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  bytes b(mem, mem + size);
  jpeg_destroy_compress(&c);
  std::free(mem);
  imageData *d = decodeMemory(b, decoderJpeg);
  ASSERT_TRUE(d);
  expectNear(pixelAt(d, 2, 2), rgb(0, 255, 255), 4, "cyan");
  expectNear(pixelAt(d, 13, 13), rgb(128, 128, 128), 4, "gray");
  imageDataDestroy(d);
}

// Where a 5 x 3 picture's pixels show after each Exif orientation: the shown
// size, and the stored pixel at the shown top-left, top-right and bottom-left
// corners.
struct turnCase {
  int orientation, w, h;
  int tl[2], tr[2], bl[2];
};
const turnCase turnCases[] = {
    {1, 5, 3, {0, 0}, {4, 0}, {0, 2}}, {2, 5, 3, {4, 0}, {0, 0}, {4, 2}},
    {3, 5, 3, {4, 2}, {0, 2}, {4, 0}}, {4, 5, 3, {0, 2}, {4, 2}, {0, 0}},
    {5, 3, 5, {0, 0}, {0, 2}, {4, 0}}, {6, 3, 5, {0, 2}, {0, 0}, {4, 2}},
    {7, 3, 5, {4, 2}, {4, 0}, {0, 2}}, {8, 3, 5, {4, 0}, {4, 2}, {0, 0}},
};

// Every shown pixel of `shown` equals the pixel of `stored` that c puts there.
void expectTurned(imageData *shown, imageData *stored, const turnCase &c, const std::string &what) {
  ASSERT_TRUE(shown) << what;
  ASSERT_TRUE(stored) << what;
  ASSERT_EQ(shown->width, c.w) << what;
  ASSERT_EQ(shown->height, c.h) << what;
  for (int Y = 0; Y < c.h; Y++)
    for (int X = 0; X < c.w; X++) {
      int x = c.tl[0] + X * (c.tr[0] - c.tl[0]) / (c.w - 1) + Y * (c.bl[0] - c.tl[0]) / (c.h - 1);
      int y = c.tl[1] + X * (c.tr[1] - c.tl[1]) / (c.w - 1) + Y * (c.bl[1] - c.tl[1]) / (c.h - 1);
      ASSERT_EQ(pixelAt(shown, X, Y), pixelAt(stored, x, y)) << what << " at " << X << "," << Y;
    }
}

// A 5 x 3 picture whose pixels all differ.
bytes turnPixels() {
  bytes px;
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 5; x++) px.insert(px.end(), {(uint8_t)(x * 60), (uint8_t)(y * 120), (uint8_t)(250 - x * 20 - y * 70)});
  return px;
}

TEST_F(Loaders, JpegExifOrientationTurnsThePictureInEveryMode) {
  bytes px = turnPixels();
  for (int depth : {24, 8, 4}) {
    setDisplayDepth(depth);
    imageData *stored = decodeMemory(makeJpeg(5, 3, 3, px), decoderJpeg);
    for (const turnCase &c : turnCases)
      for (bool big : {true, false}) {
        imageData *shown = decodeMemory(makeJpeg(5, 3, 3, px, {}, 100, exifBlock(c.orientation, big)), decoderJpeg);
        expectTurned(shown, stored, c, "depth " + std::to_string(depth) + " orientation " + std::to_string(c.orientation));
        imageDataDestroy(shown);
      }
    // Damaged Exif data shows the picture as stored.
    bytes broken = exifBlock(6);
    broken[6 + 4] = 0x7f;  // the directory lies far past the end
    imageData *shown = decodeMemory(makeJpeg(5, 3, 3, px, {}, 100, broken), decoderJpeg);
    expectTurned(shown, stored, turnCases[0], "broken");
    imageDataDestroy(shown);
    imageDataDestroy(stored);
  }
  // The size the editor takes is the shown one.
  setDisplayDepth(24);
  std::string path = tempFile(makeJpeg(5, 3, 3, px, {}, 100, exifBlock(6)), ".jpg");
  ASSERT_EQ(LoadMyImage(path.c_str()), 1);
  EXPECT_EQ(sx, 3);
  EXPECT_EQ(sy, 5);
}

TEST_F(Loaders, ExifOrientationReaderFailsSafe) {
  auto with = [](bytes b, size_t at, std::initializer_list<uint8_t> put) {
    for (uint8_t v : put) b[at++] = v;
    return b;
  };
  // Offsets into exifBlock (big-endian, named): the header at 6, the
  // directory's count at 14, its entry at 16 (type at 18, count at 20, value
  // at 24), the next directory's offset at 28.
  const bytes good = exifBlock(6);
  struct {
    bytes data;
    int want;
    const char *what;
  } cases[] = {
      {good, 6, "big-endian"},
      {exifBlock(3, false), 3, "little-endian"},
      {exifBlock(8, true, false), 8, "without the Exif name"},
      {{}, 1, "empty"},
      {bytes(good.begin(), good.begin() + 6), 1, "only the name"},
      {bytes(good.begin(), good.begin() + 27), 1, "entry cut short"},
      {with(good, 6, {'X', 'X'}), 1, "unknown byte order"},
      {with(good, 8, {0, 43}), 1, "not a TIFF header"},
      {with(good, 10, {0xff, 0xff, 0xff, 0xf0}), 1, "directory past the end"},
      {with(good, 10, {0, 0, 0, 0}), 1, "directory inside the header"},
      {with(good, 14, {0xff, 0xff}), 6, "count past the end, tag first"},
      {with(with(good, 14, {0xff, 0xff}), 16, {0x01, 0x10}), 1, "count past the end, no tag"},
      {with(with(good, 16, {0x01, 0x10}), 28, {0, 0, 0, 8}), 1, "next directory loops to itself"},
      {with(good, 18, {0, 4}), 1, "LONG instead of SHORT"},
      {with(good, 20, {0, 0, 0, 2}), 1, "two values"},
      {exifBlock(0), 1, "value 0"},
      {exifBlock(9), 1, "value 9"},
      {exifBlock(0xffff), 1, "value 65535"},
  };
  for (auto &c : cases) EXPECT_EQ(exifOrientation(c.data.data(), c.data.size()), c.want) << c.what;
  EXPECT_EQ(exifOrientation(nullptr, 100), 1);
}

TEST_F(Loaders, BmpIsOneTile) {
  const int w = 3000, h = 2000;
  bytes px((size_t)w * h * 3);
  for (size_t i = 0; i < px.size(); i += 3) px[i] = 10, px[i + 1] = 20, px[i + 2] = 30;
  px[((size_t)1999 * w + 2999) * 3] = 250;
  std::string path = tempFile(makeBmp(w, h, px), ".bmp");
  ASSERT_EQ(LoadMyImage(path.c_str()), 1);
  EXPECT_EQ(id->rows, 1);
  EXPECT_EQ(id->cols, 1);
  EXPECT_EQ(sx, 3000);
  EXPECT_EQ(pixelAt(id, 0, 0), rgb(10, 20, 30));
  EXPECT_EQ(pixelAt(id, 2999, 1999), rgb(250, 20, 30));
  // Not a BMP.
  std::string bad = tempFile(makeGif(gifSpec{}), ".bmp");
  EXPECT_EQ(LoadMyImage(bad.c_str()), 0);
  EXPECT_EQ(scriptedLastMessage().text, "Not a valid BMP-format image.");
  EXPECT_EQ(scriptedLastMessage().title, "Unable to Load BMP");
  // A declared size beyond the picture limit says so.
  long long old = imageDataPixelLimit;
  imageDataPixelLimit = 1000;
  EXPECT_EQ(LoadMyImage(path.c_str()), 0);
  EXPECT_EQ(scriptedLastMessage().text, "Image Too Large");
  EXPECT_EQ(scriptedLastMessage().title, "Unable to Load BMP");
  imageDataPixelLimit = old;
}

// A BMP with a 40-byte information header: bits 1, 4, 8 (palette of `colors`
// gray-blue entries), 24 or 32 (with bit fields in the usual order when
// `fields`); rows bottom-up, or top-down for topDown. Pixel (x, y) holds the
// index or colour (x * 7 + y * 13) * 37.
bytes handBmp(int w, int h, int bits, bool topDown, unsigned colors, bool fields = false) {
  unsigned rowBytes = ((unsigned)w * bits + 31) / 32 * 4;
  unsigned table = bits <= 8 ? 4 * colors : fields ? 12 : 0;
  bytes b(54 + table + rowBytes * h, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put32(2, (uint32_t)b.size());
  put32(10, 54 + table);
  put32(14, 40);
  put32(18, (uint32_t)w);
  put32(22, (uint32_t)(topDown ? -h : h));
  b[26] = 1, b[28] = (uint8_t)bits;
  put32(46, bits <= 8 ? colors : 0);
  if (fields) {
    put32(30, 3);
    put32(54, 0xff0000), put32(58, 0xff00), put32(62, 0xff);
  }
  for (unsigned i = 0; i < colors && bits <= 8; i++)
    b[54 + 4 * i] = (uint8_t)(i * 9), b[55 + 4 * i] = (uint8_t)(i * 5), b[56 + 4 * i] = (uint8_t)(200 - i);
  for (int y = 0; y < h; y++) {
    uint8_t *row = &b[54 + table + (size_t)rowBytes * (topDown ? y : h - 1 - y)];
    for (int x = 0; x < w; x++) {
      unsigned v = (unsigned)(x * 7 + y * 13) * 37;
      if (bits <= 8) {
        v %= colors;
        row[x * bits / 8] |= (uint8_t)(v << (8 - bits - x * bits % 8));
      } else {
        for (int k = 0; k < bits / 8; k++) row[x * bits / 8 + k] = (uint8_t)(v >> (3 * k));
      }
    }
  }
  return b;
}

// A bottom-up BMP of run-length rows (RLE8 for 8 bits, RLE4 for 4) with a
// palette of 16 entries.
bytes rleBmp(int w, int h, int bits, const bytes &data) {
  bytes b(54 + 64, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put32(2, (uint32_t)(b.size() + data.size()));
  put32(10, 54 + 64);
  put32(14, 40);
  put32(18, (uint32_t)w);
  put32(22, (uint32_t)h);
  b[26] = 1, b[28] = (uint8_t)bits;
  put32(30, bits == 8 ? 1 : 2);
  put32(46, 16);
  for (int i = 0; i < 16; i++) b[54 + 4 * i] = (uint8_t)(i * 16), b[55 + 4 * i] = (uint8_t)(255 - i * 9), b[56 + 4 * i] = (uint8_t)(i * 5);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

TEST_F(Loaders, BmpKindsReadAsQtReadsThem) {
  // Run-length rows: runs, literal runs (padded to 16 bits), row ends, the end.
  struct {
    int w, h, bits;
    bytes data;
  } runs[] = {{6, 3, 8, {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 6, 5, 0, 0, 0, 4, 6, 7, 8, 9, 2, 10, 0, 1}},
              {5, 3, 4, {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 2, 0x89, 3, 0xab, 0, 1}}};
  for (auto &r : runs) {
    SCOPED_TRACE("run-length, " + std::to_string(r.bits) + " bits");
    std::string path = tempFile(rleBmp(r.w, r.h, r.bits, r.data), ".bmp");
    QImage qt = QImage(QString::fromLocal8Bit(path.c_str()), "BMP").convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(qt.isNull());
    ASSERT_EQ(LoadMyImage(path.c_str()), 1);
    for (int y = 0; y < r.h; y++)
      for (int x = 0; x < r.w; x++) {
        QRgb c = qt.pixel(x, y);
        ASSERT_EQ(pixelAt(id, x, y), rgb(qRed(c), qGreen(c), qBlue(c))) << x << "," << y;
      }
  }
  struct {
    int bits;
    unsigned colors;
    bool topDown, fields;
  } kinds[] = {{1, 2, false, false},  {4, 16, true, false}, {4, 11, false, false},
               {8, 256, false, false}, {8, 100, true, false}, {24, 0, false, false},
               {24, 0, true, false},   {32, 0, false, false}, {32, 0, true, false},
               {32, 0, false, true}};
  for (auto &k : kinds) {
    SCOPED_TRACE(std::to_string(k.bits) + " bits, " + std::to_string(k.colors) + " colours" +
                 (k.topDown ? ", top-down" : "") + (k.fields ? ", bit fields" : ""));
    const int w = 37, h = 9;
    bytes file = handBmp(w, h, k.bits, k.topDown, k.colors, k.fields);
    std::string path = tempFile(file, ".bmp");
    QImage qt = QImage(QString::fromLocal8Bit(path.c_str()), "BMP").convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(qt.isNull());
    ASSERT_EQ(LoadMyImage(path.c_str()), 1);
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        QRgb c = qt.pixel(x, y);
        ASSERT_EQ(pixelAt(id, x, y), rgb(qRed(c), qGreen(c), qBlue(c))) << x << "," << y;
      }
    // Cut within its pixels, the file keeps the rows it holds; the rest is black.
    size_t rowBytes = ((size_t)w * k.bits + 31) / 32 * 4;
    bytes cut(file.begin(), file.end() - (long)(rowBytes * 4));
    ASSERT_EQ(LoadMyImage(tempFile(cut, ".bmp").c_str()), 1);
    for (int y = 0; y < h; y++) {
      bool held = k.topDown ? y < h - 4 : y >= 4;
      for (int x = 0; x < w; x++) {
        QRgb c = qt.pixel(x, y);
        ASSERT_EQ(pixelAt(id, x, y), held ? rgb(qRed(c), qGreen(c), qBlue(c)) : 0u) << x << "," << y;
      }
    }
  }
}

}  // namespace

// RGBA pixels of a small test picture: a ramp with some transparency.
bytes rampRgba(int w, int h) {
  bytes px;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      px.push_back((uint8_t)(x * 37));
      px.push_back((uint8_t)(y * 53));
      px.push_back((uint8_t)(200 - x * y));
      px.push_back((uint8_t)(x == 0 ? 0 : x == 1 ? 128 : 255));
    }
  return px;
}

// What a straight RGBA pixel shows over white.
unsigned overWhite(const uint8_t *p) {
  unsigned a = p[3], back = 255 * (255 - a) + 127;
  return rgb((int)((p[0] * a + back) / 255), (int)((p[1] * a + back) / 255), (int)((p[2] * a + back) / 255));
}

void expectPicture(imageData *d, const bytes &px, int w, int h, const char *what) {
  ASSERT_TRUE(d) << what;
  ASSERT_EQ(d->width, w) << what;
  ASSERT_EQ(d->height, h) << what;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
      ASSERT_EQ(pixelAt(d, x, y), overWhite(&px[4 * (y * w + x)])) << what << " " << x << "," << y;
}

bytes webpLossless(const bytes &px, int w, int h) {
  uint8_t *out = nullptr;
  size_t n = WebPEncodeLosslessRGBA(px.data(), w, h, w * 4, &out);
  bytes b(out, out + n);
  WebPFree(out);
  return b;
}

TEST_F(Loaders, WebpDecodesExactlyInEveryMode) {
  const int w = 7, h = 5;
  bytes px = rampRgba(w, h);
  bytes file = webpLossless(px, w, h);
  ASSERT_FALSE(file.empty());
  imageData *lossless = decodeMemory(file, decoderWebp);
  expectPicture(lossless, px, w, h, "lossless");
  imageDataDestroy(lossless);
  // Through LoadMyImage by its extension, with the progress window.
  std::string path = tempFile(file, ".WEBP");
  ASSERT_EQ(LoadMyImage(path.c_str()), 1);
  EXPECT_EQ(sx, w);
  EXPECT_EQ(pixelAt(id, 3, 2), overWhite(&px[4 * (2 * w + 3)]));
  ASSERT_FALSE(scripted.progress.empty());
  EXPECT_EQ(scripted.progress.back(), 100);
  // The cube and the system palette go through the row converters.
  bytes red = {255, 0, 0, 255, 0, 0, 0, 0};
  bytes redFile = webpLossless(red, 2, 1);
  for (int depth : {8, 4}) {
    setDisplayDepth(depth);
    imageData *d = decodeMemory(redFile, decoderWebp);
    ASSERT_TRUE(d);
    EXPECT_EQ(pixelAt(d, 0, 0), rgb(255, 0, 0)) << depth;
    EXPECT_EQ(pixelAt(d, 1, 0), rgb(255, 255, 255)) << depth;
    imageDataDestroy(d);
  }
}

TEST_F(Loaders, WebpAnimationShowsItsFirstFrame) {
  const int w = 4, h = 3;
  WebPAnimEncoderOptions options;
  ASSERT_TRUE(WebPAnimEncoderOptionsInit(&options));
  WebPAnimEncoder *enc = WebPAnimEncoderNew(w, h, &options);
  ASSERT_TRUE(enc);
  bytes frames[2] = {rampRgba(w, h), bytes(w * h * 4, 0)};
  for (size_t i = 2; i < frames[1].size(); i += 4) frames[1][i] = frames[1][i + 1] = 255;  // blue
  for (int f = 0; f < 2; f++) {
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    WebPPicture pic;
    WebPPictureInit(&pic);
    pic.use_argb = 1;
    pic.width = w;
    pic.height = h;
    ASSERT_TRUE(WebPPictureImportRGBA(&pic, frames[f].data(), w * 4));
    ASSERT_TRUE(WebPAnimEncoderAdd(enc, &pic, f * 100, &config));
    WebPPictureFree(&pic);
  }
  WebPAnimEncoderAdd(enc, nullptr, 200, nullptr);
  WebPData out;
  WebPDataInit(&out);
  ASSERT_TRUE(WebPAnimEncoderAssemble(enc, &out));
  bytes file(out.bytes, out.bytes + out.size);
  WebPDataClear(&out);
  WebPAnimEncoderDelete(enc);
  imageData *d = decodeMemory(file, decoderWebp);
  expectPicture(d, frames[0], w, h, "first frame");
  imageDataDestroy(d);
}

TEST_F(Loaders, WebpFailures) {
  bytes file = webpLossless(rampRgba(9, 9), 9, 9);
  bytes junk = {'R', 'I', 'F', 'F', 'n', 'o', 't', ' ', 'w', 'e', 'b', 'p'};
  EXPECT_EQ(decodeMemory(junk, decoderWebp), nullptr);
  EXPECT_EQ(scriptedLastMessage().title, "Unable to Load WebP");
  EXPECT_EQ(scriptedLastMessage().text,
            "The WebP picture cannot be shown: the file is damaged or is not a WebP file.");
  for (size_t n = 0; n + 1 < file.size(); n += 3) {
    scripted.shown.clear();
    EXPECT_EQ(decodeMemory(bytes(file.begin(), file.begin() + (long)n), decoderWebp), nullptr) << n;
    EXPECT_EQ(scriptedLastMessage().title, "Unable to Load WebP");
  }
  long long old = imageDataPixelLimit;
  imageDataPixelLimit = 80;
  EXPECT_EQ(decodeMemory(file, decoderWebp), nullptr);
  EXPECT_EQ(scriptedLastMessage().text, "The WebP picture cannot be shown: it is too large.");
  imageDataPixelLimit = old;
}

// PNG's eXIf chunk and WebP's EXIF chunk turn the picture as JPEG's Exif does.
TEST_F(Loaders, PngAndWebpTurnByTheirExif) {
  bytes px = turnPixels();
  pngSpec png;
  png.width = 5;
  png.height = 3;
  for (int y = 0; y < 3; y++) png.rows.emplace_back(px.begin() + y * 15, px.begin() + (y + 1) * 15);
  bytes rgba;
  for (size_t i = 0; i < px.size(); i += 3) rgba.insert(rgba.end(), {px[i], px[i + 1], px[i + 2], 255});
  bytes webp = webpLossless(rgba, 5, 3);
  auto withExif = [](const bytes &file, const bytes &exif) {
    WebPData image = {file.data(), file.size()}, chunk = {exif.data(), exif.size()};
    WebPMux *mux = WebPMuxCreate(&image, 1);
    WebPData out;
    WebPDataInit(&out);
    bytes b;
    if (mux && WebPMuxSetChunk(mux, "EXIF", &chunk, 1) == WEBP_MUX_OK && WebPMuxAssemble(mux, &out) == WEBP_MUX_OK)
      b.assign(out.bytes, out.bytes + out.size);
    WebPDataClear(&out);
    WebPMuxDelete(mux);
    return b;
  };
  pngSpec turnedPng = png;
  turnedPng.exif = exifBlock(6, true, false);
  turnedPng.interlace = true;
  pngSpec damagedPng = png;
  damagedPng.exif = {'X', 'X', 0, 42, 0, 0, 0, 8, 0, 0};
  struct {
    const char *what;
    int decoder;
    bytes plain, turned;
    int orientation;
  } cases[] = {
      {"PNG", decoderPng, makePng(png), makePng(turnedPng), 6},
      {"WebP", decoderWebp, webp, withExif(webp, exifBlock(8, false, false)), 8},
      // Shown as stored, without a box: only the orientation is lost.
      {"PNG with a damaged eXIf", decoderPng, makePng(png), makePng(damagedPng), 1},
  };
  for (auto &c : cases) {
    ASSERT_FALSE(c.turned.empty()) << c.what;
    scripted.shown.clear();
    imageData *stored = decodeMemory(c.plain, c.decoder);
    imageData *shown = decodeMemory(c.turned, c.decoder);
    expectTurned(shown, stored, turnCases[c.orientation - 1], c.what);
    EXPECT_TRUE(scripted.shown.empty()) << c.what;
    imageDataDestroy(shown);
    imageDataDestroy(stored);
  }
}

// A lossless AVIF of straight RGBA pixels, or empty when no encoder is built in.
// transforms, when given, supplies the clap, irot and imir properties.
bytes avifLossless(const bytes &px, int w, int h, const avifImage *transforms = nullptr) {
  if (!avifCodecName(AVIF_CODEC_CHOICE_AUTO, AVIF_CODEC_FLAG_CAN_ENCODE)) return {};
  avifImage *image = avifImageCreate((uint32_t)w, (uint32_t)h, 8, AVIF_PIXEL_FORMAT_YUV444);
  image->matrixCoefficients = AVIF_MATRIX_COEFFICIENTS_IDENTITY;
  image->yuvRange = AVIF_RANGE_FULL;
  if (transforms) {
    image->transformFlags = transforms->transformFlags;
    image->clap = transforms->clap;
    image->irot = transforms->irot;
    image->imir = transforms->imir;
  }
  avifRGBImage rgb;
  avifRGBImageSetDefaults(&rgb, image);
  rgb.format = AVIF_RGB_FORMAT_RGBA;
  rgb.depth = 8;
  rgb.pixels = (uint8_t *)px.data();
  rgb.rowBytes = (uint32_t)w * 4;
  bytes b;
  if (avifImageRGBToYUV(image, &rgb) == AVIF_RESULT_OK) {
    avifEncoder *enc = avifEncoderCreate();
    enc->minQuantizer = enc->maxQuantizer = AVIF_QUANTIZER_LOSSLESS;
    enc->minQuantizerAlpha = enc->maxQuantizerAlpha = AVIF_QUANTIZER_LOSSLESS;
    enc->speed = AVIF_SPEED_FASTEST;
    avifRWData out = AVIF_DATA_EMPTY;
    if (avifEncoderWrite(enc, image, &out) == AVIF_RESULT_OK) b.assign(out.data, out.data + out.size);
    avifRWDataFree(&out);
    avifEncoderDestroy(enc);
  }
  avifImageDestroy(image);
  return b;
}

TEST_F(Loaders, AvifDecodesExactlyAndFailsCleanly) {
  const int w = 6, h = 4;
  bytes px = rampRgba(w, h);
  bytes file = avifLossless(px, w, h);
  if (file.empty()) GTEST_SKIP() << "no AVIF encoder in this libavif";
  imageData *d = decodeMemory(file, decoderAvif);
  expectPicture(d, px, w, h, "lossless");
  imageDataDestroy(d);
  std::string path = tempFile(file, ".avif");
  ASSERT_EQ(LoadMyImage(path.c_str()), 1);
  EXPECT_EQ(sy, h);
  setDisplayDepth(8);
  d = decodeMemory(file, decoderAvif);
  ASSERT_TRUE(d);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(255, 255, 255));  // fully transparent
  imageDataDestroy(d);
  // Junk, every cut, and a picture over the limit fail with the loader's title.
  EXPECT_EQ(decodeMemory({'n', 'o', 't', ' ', 'a', 'v', 'i', 'f'}, decoderAvif), nullptr);
  EXPECT_EQ(scriptedLastMessage().title, "Unable to Load AVIF");
  EXPECT_EQ(scriptedLastMessage().text.rfind("The AVIF picture cannot be shown: ", 0), 0u);
  for (size_t n = 0; n + 1 < file.size(); n += 5) {
    scripted.shown.clear();
    EXPECT_EQ(decodeMemory(bytes(file.begin(), file.begin() + (long)n), decoderAvif), nullptr) << n;
    EXPECT_EQ(scriptedLastMessage().title, "Unable to Load AVIF");
  }
  long long old = imageDataPixelLimit;
  imageDataPixelLimit = 20;
  EXPECT_EQ(decodeMemory(file, decoderAvif), nullptr);
  EXPECT_EQ(scriptedLastMessage().title, "Unable to Load AVIF");
  imageDataPixelLimit = old;
}

// The cut, the rotation and the mirror of AVIF, done on the pixels: the clean
// aperture first, then irot, then imir, as the format orders them.
TEST_F(Loaders, AvifCropRotationAndMirrorAreApplied) {
  const int w = 6, h = 4;
  bytes px = rampRgba(w, h);
  for (size_t i = 3; i < px.size(); i += 4) px[i] = 255;
  struct {
    uint32_t flags;
    int angle, mode;
    avifCropRect crop;
    const char *what;
  } cases[] = {
      {AVIF_TRANSFORM_IROT, 1, 0, {}, "quarter anticlockwise"},
      {AVIF_TRANSFORM_IROT, 2, 0, {}, "half turn"},
      {AVIF_TRANSFORM_IROT, 3, 0, {}, "three quarters anticlockwise"},
      {AVIF_TRANSFORM_IMIR, 0, 0, {}, "top and bottom exchanged"},
      {AVIF_TRANSFORM_IMIR, 0, 1, {}, "left and right exchanged"},
      {AVIF_TRANSFORM_IROT | AVIF_TRANSFORM_IMIR, 1, 0, {}, "turned, then top and bottom exchanged"},
      {AVIF_TRANSFORM_IROT | AVIF_TRANSFORM_IMIR, 1, 1, {}, "turned, then left and right exchanged"},
      {AVIF_TRANSFORM_IROT | AVIF_TRANSFORM_IMIR, 3, 1, {}, "turned back, then left and right exchanged"},
      {AVIF_TRANSFORM_CLAP, 0, 0, {1, 1, 4, 2}, "cropped"},
      {AVIF_TRANSFORM_CLAP | AVIF_TRANSFORM_IROT, 1, 0, {2, 0, 3, 3}, "cropped, then turned"},
  };
  for (auto &c : cases) {
    avifImage t;
    std::memset(&t, 0, sizeof t);
    t.transformFlags = c.flags;
    t.irot.angle = (uint8_t)c.angle;
    t.imir.mode = (uint8_t)c.mode;
    int ew = w, eh = h;
    bytes want = px;
    if (c.flags & AVIF_TRANSFORM_CLAP) {
      avifDiagnostics diag;
      ASSERT_TRUE(avifCleanApertureBoxConvertCropRect(&t.clap, &c.crop, w, h, AVIF_PIXEL_FORMAT_YUV444, &diag)) << c.what;
      bytes cut;
      for (uint32_t y = c.crop.y; y < c.crop.y + c.crop.height; y++)
        cut.insert(cut.end(), px.begin() + 4 * (y * w + c.crop.x), px.begin() + 4 * (y * w + c.crop.x + c.crop.width));
      want = cut;
      ew = (int)c.crop.width;
      eh = (int)c.crop.height;
    }
    // Each quarter turn anticlockwise: the right column becomes the top row.
    for (int turn = 0; turn < ((c.flags & AVIF_TRANSFORM_IROT) ? c.angle : 0); turn++) {
      bytes out;
      for (int y = 0; y < ew; y++)
        for (int x = 0; x < eh; x++) {
          const uint8_t *p = &want[4 * (x * ew + (ew - 1 - y))];
          out.insert(out.end(), p, p + 4);
        }
      want = out;
      std::swap(ew, eh);
    }
    if (c.flags & AVIF_TRANSFORM_IMIR) {
      bytes out;
      for (int y = 0; y < eh; y++)
        for (int x = 0; x < ew; x++) {
          const uint8_t *p = c.mode == 0 ? &want[4 * ((eh - 1 - y) * ew + x)] : &want[4 * (y * ew + ew - 1 - x)];
          out.insert(out.end(), p, p + 4);
        }
      want = out;
    }
    bytes file = avifLossless(px, w, h, &t);
    if (file.empty()) GTEST_SKIP() << "no AVIF encoder in this libavif";
    imageData *d = decodeMemory(file, decoderAvif);
    expectPicture(d, want, ew, eh, c.what);
    imageDataDestroy(d);
  }
}

bytes text(const std::string &s) { return bytes(s.begin(), s.end()); }

TEST_F(Loaders, SvgSizesAndColours) {
  const std::string body =
      "<rect width='50%' height='100%' fill='#ff0000'/><rect x='50%' width='50%' height='100%' "
      "fill='#0000ff' fill-opacity='0.5'/></svg>";
  struct {
    std::string head;
    int displayW, displayH, w, h;
  } cases[] = {
      {"<svg xmlns='http://www.w3.org/2000/svg' width='8' height='4'>", -1, -1, 8, 4},
      {"<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 6'>", -1, -1, 10, 6},
      {"<svg xmlns='http://www.w3.org/2000/svg' width='8' height='4' viewBox='0 0 8 4'>", 16, 8, 16, 8},
      {"<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 5'>", 20, -1, 20, 10},
      // A large view box alone: the page's size, else 4096 on the longer side.
      {"<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 100000 100000'>", 800, 800, 800, 800},
      {"<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 50000 100000'>", -1, -1, 2048, 4096},
  };
  for (auto &c : cases) {
    displayWidth = c.displayW;
    displayHeight = c.displayH;
    imageData *d = decodeMemory(text(c.head + body), decoderSvg);
    ASSERT_TRUE(d) << c.head;
    EXPECT_EQ(d->width, c.w) << c.head;
    EXPECT_EQ(d->height, c.h) << c.head;
    EXPECT_EQ(pixelAt(d, 0, 0), rgb(255, 0, 0)) << c.head;
    EXPECT_EQ(pixelAt(d, c.w - 1, c.h - 1), rgb(127, 127, 255)) << c.head;  // half blue over white
    imageDataDestroy(d);
  }
  // Compressed, through LoadMyImage.
  displayWidth = displayHeight = -1;
  std::string svg = cases[0].head + body;
  uLongf n = compressBound((uLong)svg.size()) + 32;
  bytes gz(n);
  z_stream z;
  std::memset(&z, 0, sizeof z);
  ASSERT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  z.next_in = (Bytef *)svg.data();
  z.avail_in = (uInt)svg.size();
  z.next_out = gz.data();
  z.avail_out = (uInt)gz.size();
  ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  gz.resize(z.total_out);
  deflateEnd(&z);
  std::string path = tempFile(gz, ".svgz");
  ASSERT_EQ(LoadMyImage(path.c_str()), 1);
  EXPECT_EQ(sx, 8);
  EXPECT_EQ(pixelAt(id, 1, 1), rgb(255, 0, 0));
}

TEST_F(Loaders, SvgHostileFilesFailOrStayInside) {
  // An outside file and an address are never read: the picture shows white there.
  std::string png = tempFile(makePng(rgbPng(4, 4)), ".png");
  std::string outside = "<svg xmlns='http://www.w3.org/2000/svg' "
                        "xmlns:xlink='http://www.w3.org/1999/xlink' width='4' height='4'>"
                        "<image width='4' height='4' xlink:href='file://" + png + "'/>"
                        "<image width='4' height='4' href='" + png + "'/></svg>";
  imageData *d = decodeMemory(text(outside), decoderSvg);
  ASSERT_TRUE(d);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(255, 255, 255));
  imageDataDestroy(d);
  struct {
    std::string file;
    const char *what;
  } failing[] = {
      {"this is not svg", "junk"},
      {"<svg xmlns='http://www.w3.org/2000/svg' width='40000' height='4'/>", "too wide"},
      {"<svg xmlns='http://www.w3.org/2000/svg' width='8' height='4'><rect", "cut"},
      {"<svg xmlns='http://www.w3.org/2000/svg'/>", "no size"},
      {"<?xml version='1.0'?><!DOCTYPE svg [<!ENTITY a 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa'>"
       "<!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;'>"
       "<!ENTITY c '&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;'>"
       "<!ENTITY d '&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;'>"
       "<!ENTITY e '&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;'>"
       "<!ENTITY f '&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;'>"
       "<!ENTITY g '&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;'>]>"
       "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'><text>&g;</text></svg>",
       "entity bomb"},
      // The library aborts its process on this one: it is drawn in another.
      {"<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'>"
       "<text y='2' font-size='44444444444444444444444444446'>a</text></svg>",
       "text too large for the library"},
  };
  for (auto &c : failing) {
    scripted.shown.clear();
    EXPECT_EQ(decodeMemory(text(c.file), decoderSvg), nullptr) << c.what;
    EXPECT_EQ(scriptedLastMessage().title, "Unable to Load SVG") << c.what;
    EXPECT_EQ(scriptedLastMessage().text.rfind("The SVG picture cannot be shown: ", 0), 0u) << c.what;
  }
}

// Lossy pictures, and an SVG drawn at a size its view box does not divide,
// decode as the libraries' own command-line tools show them (over white).
TEST_F(Loaders, ModernPicturesMatchTheReferenceTools) {
  const int w = 37, h = 23;
  bytes px;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) px.insert(px.end(), {(uint8_t)(x * 7), (uint8_t)(y * 11), (uint8_t)(x * y), 255});
  uint8_t *out = nullptr;
  size_t n = WebPEncodeRGBA(px.data(), w, h, w * 4, 60, &out);
  bytes webp(out, out + n);
  WebPFree(out);
  bytes avif;
  if (avifCodecName(AVIF_CODEC_CHOICE_AUTO, AVIF_CODEC_FLAG_CAN_ENCODE)) {
    avifImage *image = avifImageCreate(w, h, 8, AVIF_PIXEL_FORMAT_YUV420);
    avifRGBImage rgbImage;
    avifRGBImageSetDefaults(&rgbImage, image);
    rgbImage.format = AVIF_RGB_FORMAT_RGBA;
    rgbImage.pixels = px.data();
    rgbImage.rowBytes = w * 4;
    avifEncoder *enc = avifEncoderCreate();
    enc->speed = AVIF_SPEED_FASTEST;
    avifRWData data = AVIF_DATA_EMPTY;
    if (avifImageRGBToYUV(image, &rgbImage) == AVIF_RESULT_OK && avifEncoderWrite(enc, image, &data) == AVIF_RESULT_OK)
      avif.assign(data.data, data.data + data.size);
    avifRWDataFree(&data);
    avifEncoderDestroy(enc);
    avifImageDestroy(image);
  }
  bytes svg = text(
      "<svg xmlns='http://www.w3.org/2000/svg' width='41' height='29' viewBox='0 0 40 20'><defs>"
      "<linearGradient id='g'><stop offset='0' stop-color='red'/><stop offset='1' stop-color='blue' "
      "stop-opacity='0.5'/></linearGradient></defs><rect width='40' height='20' fill='url(#g)'/>"
      "<circle cx='10' cy='10' r='6.3' fill='#3a7'/><path d='M0 0 L40 20 Q 20 0 0 20z' stroke='green' "
      "fill='none'/></svg>");
  struct {
    const char *tool;
    bytes file;
    int decoder;
    const char *command;  // %1 the input, %2 the output
  } cases[] = {
      {"dwebp", webp, decoderWebp, "dwebp -quiet %1 -ppm -o %2"},
      {"avifdec", avif, decoderAvif, "avifdec %1 %2"},
      {"rsvg-convert", svg, decoderSvg, "rsvg-convert --background-color=white %1 -o %2"},
  };
  int compared = 0;
  for (auto &c : cases) {
    std::string probe = std::string("command -v ") + c.tool + " >/dev/null 2>&1";
    if (c.file.empty() || std::system(probe.c_str()) != 0) continue;
    std::string input = tempFile(c.file, ".in");
    std::string output = tempFile({}, c.decoder == decoderWebp ? ".ppm" : ".png");
    QString command = QString(c.command).arg(QString::fromStdString(input), QString::fromStdString(output));
    ASSERT_EQ(std::system((command + " >/dev/null 2>&1").toLocal8Bit().constData()), 0) << c.tool;
    QImage reference(QString::fromStdString(output));
    ASSERT_FALSE(reference.isNull()) << c.tool;
    imageData *d = decodeMemory(c.file, c.decoder);
    ASSERT_TRUE(d) << c.tool;
    ASSERT_EQ(d->width, reference.width()) << c.tool;
    ASSERT_EQ(d->height, reference.height()) << c.tool;
    for (int y = 0; y < d->height; y++)
      for (int x = 0; x < d->width; x++) {
        QRgb p = reference.pixel(x, y);
        ASSERT_EQ(pixelAt(d, x, y), rgb(qRed(p), qGreen(p), qBlue(p))) << c.tool << " " << x << "," << y;
      }
    imageDataDestroy(d);
    compared++;
  }
  if (!compared) GTEST_SKIP() << "none of dwebp, avifdec and rsvg-convert is installed";
}

TEST_F(Loaders, CancelStopsTheLoadOfEveryKindOfPicture) {
  gifSpec g;
  g.width = 8;
  g.height = 8;
  g.globalTable = {{0, 0, 0}, {255, 255, 255}};
  g.pixels.assign(64, 1);
  const struct {
    const char *suffix;
    bytes file;
    const char *kind, *title;
  } cases[] = {
      {".gif", makeGif(g), "GIF", "GIF Decoding Error"},
      {".jpg", makeJpeg(8, 8, 3, rampRgb(8, 8)), "JPEG", "JPEG Error"},
      {".png", makePng(rgbPng(8, 8)), "PNG", "PNG Decoding Error"},
      {".bmp", makeBmp(8, 8, rampRgb(8, 8)), "BMP", "Unable to Load BMP"},
      {".webp", webpLossless(rampRgba(8, 8), 8, 8), "WebP", "Unable to Load WebP"},
      {".avif", avifLossless(rampRgba(8, 8), 8, 8), "AVIF", "Unable to Load AVIF"},
      {".svg", text("<svg xmlns='http://www.w3.org/2000/svg' width='8' height='8'/>"), "SVG", "Unable to Load SVG"},
  };
  for (const auto &c : cases) {
    if (c.file.empty()) continue;  // no AVIF encoder here
    std::string path = tempFile(c.file, c.suffix);
    displayWidth = displayHeight = -1;
    scripted.shown.clear();
    scripted.progressPolls = 0;
    scripted.progressCancelAt = 0;  // pressed as soon as the window is asked
    EXPECT_EQ(LoadMyImage(path.c_str()), 0) << c.kind;
    EXPECT_EQ(id, nullptr);
    EXPECT_EQ(scriptedMessages().size(), 1u) << c.kind;
    EXPECT_EQ(scriptedLastMessage().title, c.title);
    EXPECT_EQ(scriptedLastMessage().text, std::string("The ") + c.kind + " picture cannot be shown: it was stopped.");
    EXPECT_EQ(scripted.progressOpen, 0);
    // The next load runs to its end.
    scripted.progressCancelAt = -1;
    EXPECT_EQ(LoadMyImage(path.c_str()), 1) << c.kind;
  }
}

TEST_F(Loaders, AnSvgThatTakesTooLongToDrawIsStopped) {
  // Blurs of blurs over a large picture: minutes of drawing.
  std::string slow = "<svg xmlns='http://www.w3.org/2000/svg' width='4000' height='4000'><defs>";
  for (int i = 0; i < 40; i++)
    slow += "<filter id='f" + std::to_string(i) + "' x='-1' y='-1' width='3' height='3'>" +
            "<feGaussianBlur stdDeviation='300'/></filter>";
  slow += "</defs>";
  std::string inner = "<rect width='4000' height='4000' fill='red'/>";
  for (int i = 0; i < 40; i++) inner = "<g filter='url(#f" + std::to_string(i) + ")'>" + inner + "</g>";
  slow += inner + "</svg>";
  std::string path = tempFile(text(slow), ".svg");
  svgTimeLimit = 1;
  displayWidth = displayHeight = -1;
  EXPECT_EQ(LoadMyImage(path.c_str()), 0);
  svgTimeLimit = 30;
  EXPECT_EQ(scriptedLastMessage().title, "Unable to Load SVG");
  EXPECT_EQ(scriptedLastMessage().text, "The SVG picture cannot be shown: it took longer than 1 second.");
  EXPECT_EQ(id, nullptr);
}
