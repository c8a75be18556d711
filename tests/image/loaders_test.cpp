// Tests of LoadMyImage, the PNG, JPEG and BMP loaders and the extension table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <cstdio>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <QImage>

#include "editor/view.h"
#include "image/dither.h"
#include "image/gif.h"
#include "image/imagedata.h"
#include "image/loadimg.h"
#include "platform/platform_scripted.h"
#include "tests/image/image_fixture.h"

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
               {"dir.png/file", decoderGif}, {"a.png.bak", decoderGif}, {"a.", decoderGif}};
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
      EXPECT_EQ(imageDataGetPixel(d, nullptr, x, y), imageDataGetPixel(plain, nullptr, x, y));
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
  // A declared size beyond the limit fails with the low-memory message.
  long long old = imageDataPixelLimit;
  imageDataPixelLimit = 1000;
  scripted.shown.clear();
  EXPECT_EQ(decodeMemory(full, decoderJpeg), nullptr);
  EXPECT_EQ(scriptedLastMessage().title, "Out of Memory");
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
}

}  // namespace
