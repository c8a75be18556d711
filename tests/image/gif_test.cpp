// Tests of the GIF decoder and of LoadGif.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/dither.h"
#include "image/gif.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "platform/platform_scripted.h"
#include "tests/image/image_fixture.h"

namespace {

struct memorySource {
  const bytes *data;
  size_t pos;
};

int memoryRead(void *context, char *buffer, int length) {
  memorySource *m = (memorySource *)context;
  size_t n = std::min((size_t)length, m->data->size() - m->pos);
  if (n > 0) std::memcpy(buffer, m->data->data() + m->pos, n);
  m->pos += n;
  return (int)n;
}

// Decodes to the palette image; null when the decoder refused the data.
oldrzImagePtr decodePalette(const bytes &data, int *tooLarge = nullptr) {
  memorySource m{&data, 0};
  gifSource *s = (gifSource *)std::calloc(1, sizeof(gifSource));
  s->read = memoryRead;
  s->context = &m;
  oldrzImagePtr im = oldrzImageCreateFromGifSource(s);
  if (tooLarge) *tooLarge = s->tooLarge;
  std::free(s);
  return im;
}

std::vector<gifColor> grays(int n) {
  std::vector<gifColor> t;
  for (int i = 0; i < n; i++) t.push_back({(uint8_t)i, (uint8_t)(i * 2), (uint8_t)(i * 3)});
  return t;
}

gifSpec simple(int w, int h, int colors) {
  gifSpec s;
  s.width = w;
  s.height = h;
  s.globalTable = grays(colors);
  for (int i = 0; i < w * h; i++) s.pixels.push_back((uint8_t)((i * 7 + i / w) % colors));
  return s;
}

void expectPixels(oldrzImagePtr im, const gifSpec &s) {
  ASSERT_TRUE(im);
  ASSERT_EQ(im->sx, s.width);
  ASSERT_EQ(im->sy, s.height);
  for (int y = 0; y < s.height; y++)
    for (int x = 0; x < s.width; x++)
      ASSERT_EQ(im->pixels[y][x], s.pixels[(size_t)y * s.width + x]) << x << "," << y;
}

class Gif : public ::testing::Test {
 protected:
  void SetUp() override {
    scriptedInstall();
    setDisplayDepth(24);
  }
};

TEST_F(Gif, DecodesWithGlobalTableAndTrimsUnusedColours) {
  gifSpec s = simple(17, 9, 16);
  for (auto &p : s.pixels) p = p % 10;  // entries 10-15 never used
  oldrzImagePtr im = decodePalette(makeGif(s));
  expectPixels(im, s);
  EXPECT_EQ(im->colorsTotal, 10);
  EXPECT_EQ(im->open[9], 0);
  EXPECT_EQ(im->open[12], 1);
  EXPECT_EQ(im->red[5], 5);
  EXPECT_EQ(im->blue[5], 15);
  EXPECT_EQ(im->transparent, -1);
  EXPECT_EQ(im->interlace, 0);
  oldrzImageDestroy(im);
}

TEST_F(Gif, LocalTableWins) {
  gifSpec s = simple(4, 4, 4);
  s.localTable = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {9, 9, 9}};
  oldrzImagePtr im = decodePalette(makeGif(s));
  expectPixels(im, s);
  EXPECT_EQ(im->red[0], 200);
  EXPECT_EQ(im->green[1], 200);
  oldrzImageDestroy(im);
  s.globalTable.clear();  // the only table is the image's own
  im = decodePalette(makeGif(s));
  ASSERT_TRUE(im);
  EXPECT_EQ(im->blue[2], 200);
  oldrzImageDestroy(im);
  s.localTable.clear();  // no table at all: index i shows gray i
  im = decodePalette(makeGif(s));
  ASSERT_TRUE(im);
  EXPECT_EQ(im->red[3], 3);
  EXPECT_EQ(im->blue[3], 3);
  oldrzImageDestroy(im);
}

TEST_F(Gif, InterlacedRowsLandInPlace) {
  for (int h : {1, 2, 3, 4, 5, 8, 9, 10, 17, 33}) {
    SCOPED_TRACE(h);
    gifSpec s;
    s.width = 3;
    s.height = h;
    s.globalTable = grays(256);
    for (int y = 0; y < h; y++)
      for (int x = 0; x < 3; x++) s.pixels.push_back((uint8_t)(y + 1));
    s.interlace = true;
    oldrzImagePtr im = decodePalette(makeGif(s));
    expectPixels(im, s);
    EXPECT_EQ(im->interlace, 1);
    oldrzImageDestroy(im);
  }
  // The order of a 10-row picture: 0, 8, 4, 2, 6, 1, 3, 5, 7, 9. A stream cut
  // after five rows has filled exactly the first five of that order.
  gifSpec s;
  s.width = 1;
  s.height = 10;
  s.globalTable = grays(256);
  s.interlace = true;
  for (int y = 0; y < 10; y++) s.pixels.push_back((uint8_t)(y + 1));
  std::vector<uint8_t> order = {1, 9, 5, 3, 7};  // rows 0, 8, 4, 2, 6 (values row + 1)
  bytes head = makeGif(s);
  size_t dataStart = head.size() - 1 - gifImageData({1, 9, 5, 3, 7, 2, 4, 6, 8, 10}, 8).size();
  bytes cut(head.begin(), head.begin() + (long)dataStart);
  bytes part = gifImageData(order, 8);
  cut.insert(cut.end(), part.begin(), part.end());
  cut.push_back(';');
  oldrzImagePtr im = decodePalette(cut);
  ASSERT_TRUE(im);
  std::vector<int> got;
  for (int y = 0; y < 10; y++) got.push_back(im->pixels[y][0]);
  EXPECT_EQ(got, (std::vector<int>{1, 0, 3, 0, 5, 0, 7, 0, 9, 0}));
  oldrzImageDestroy(im);
}

TEST_F(Gif, ExtensionsAreReadOrSkipped) {
  gifSpec s = simple(5, 5, 8);
  // Graphic control with transparent index 3, a comment of two sub-blocks, an
  // application extension, an unknown label, stray bytes between blocks.
  s.before = {'!', 0xF9, 4, 0x01, 0, 0, 3, 0,
              '!', 0xFE, 3, 'a', 'b', 'c', 2, 'd', 'e', 0,
              '!', 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0,
              '!', 0x42, 0,
              0x00, 0x13, 0x37};
  oldrzImagePtr im = decodePalette(makeGif(s));
  expectPixels(im, s);
  EXPECT_EQ(im->transparent, 3);
  oldrzImageDestroy(im);
  // Without its flag bit the index is not transparent; an empty graphic
  // control extension ends at once.
  s.before = {'!', 0xF9, 4, 0x00, 0, 0, 3, 0, '!', 0xF9, 0};
  im = decodePalette(makeGif(s));
  expectPixels(im, s);
  EXPECT_EQ(im->transparent, -1);
  oldrzImageDestroy(im);
  // The transparent colour shows as stored in the table.
  s.before = {'!', 0xF9, 4, 0x01, 0, 0, 0, 0};
  s.pixels.assign(25, 0);
  s.globalTable[0] = {10, 20, 30};
  imageData *d = decodeMemory(makeGif(s), decoderGif);
  ASSERT_TRUE(d);
  EXPECT_EQ(pixelAt(d, 2, 2), rgb(10, 20, 30));
  imageDataDestroy(d);
}

TEST_F(Gif, OnlyTheFirstImageAtItsOwnSize) {
  gifSpec first = simple(3, 2, 4);
  bytes b = makeGif(first);
  b.pop_back();  // the trailer
  // A second, larger image after it.
  gifSpec second = simple(6, 6, 4);
  bytes more = makeGif(second);
  b.insert(b.end(), more.begin() + 13 + 12, more.end());
  // The logical screen says 50 x 40.
  b[6] = 50;
  b[8] = 40;
  oldrzImagePtr im = decodePalette(b);
  expectPixels(im, first);
  oldrzImageDestroy(im);
}

TEST_F(Gif, LzwStreamsOfEveryShape) {
  // Random colours fill the code table many times over; with and without a
  // clear code when it is full, with the smallest and the largest sub-blocks
  // (a 12-bit code then spans three blocks).
  gifSpec s;
  s.width = 150;
  s.height = 120;
  s.globalTable = grays(256);
  srand(11);
  for (int i = 0; i < s.width * s.height; i++) s.pixels.push_back((uint8_t)(rand() % 256));
  for (bool clear : {true, false})
    for (int block : {1, 2, 255}) {
      SCOPED_TRACE(std::to_string(clear) + " " + std::to_string(block));
      bytes b = makeGif(s);
      bytes data = gifImageData(s.pixels, 8, clear, block);
      bytes file(b.begin(), b.begin() + 13 + 768 + 10);
      file.insert(file.end(), data.begin(), data.end());
      file.push_back(';');
      oldrzImagePtr im = decodePalette(file);
      expectPixels(im, s);
      oldrzImageDestroy(im);
    }
  // Small code sizes and a long run of one colour.
  for (int bits : {1, 2, 3, 7}) {
    gifSpec t = simple(40, 30, 1 << bits);
    t.minCodeSize = bits < 2 ? 2 : bits;
    for (int i = 0; i < 600; i++) t.pixels[i] = 1;
    oldrzImagePtr im = decodePalette(makeGif(t));
    expectPixels(im, t);
    oldrzImageDestroy(im);
  }
}

TEST_F(Gif, RepeatedClearCodesAndAnEmptyStream) {
  gifSpec s = simple(2, 1, 4);
  s.minCodeSize = 2;
  bytes b = makeGif(s);
  // clear, clear, 1, 2, end at 3 bits: a stream with a doubled clear code.
  size_t start = b.size() - 1 - gifImageData(s.pixels, 2).size();
  bytes file(b.begin(), b.begin() + (long)start);
  // Bits: 100 100 001 010 101 -> packed LSB first.
  unsigned codes = 4 | (4 << 3) | (1 << 6) | (2 << 9) | (5 << 12);
  bytes data = {2, 2, (uint8_t)(codes & 0xff), (uint8_t)(codes >> 8), 0, ';'};
  file.insert(file.end(), data.begin(), data.end());
  s.pixels = {1, 2};
  oldrzImagePtr im = decodePalette(file);
  expectPixels(im, s);
  oldrzImageDestroy(im);
  // clear, end: no pixels; the image stays at index 0.
  file.resize(start);
  unsigned empty = 4 | (5 << 3);
  bytes none = {2, 1, (uint8_t)empty, 0, ';'};
  file.insert(file.end(), none.begin(), none.end());
  im = decodePalette(file);
  ASSERT_TRUE(im);
  EXPECT_EQ(im->pixels[0][0], 0);
  EXPECT_EQ(im->colorsTotal, 0);
  oldrzImageDestroy(im);
}

TEST_F(Gif, RefusedFiles) {
  gifSpec s = simple(4, 4, 4);
  bytes good = makeGif(s);
  struct {
    const char *what;
    bytes data;
  } cases[] = {
      {"empty", {}},
      {"GIF88a", [&] { bytes b = good; b[4] = '8'; return b; }()},
      {"not GIF", [&] { bytes b = good; b[0] = 'J'; return b; }()},
      {"trailer first", [&] { bytes b(good.begin(), good.begin() + 13 + 12); b.push_back(';'); return b; }()},
      {"no image", bytes(good.begin(), good.begin() + 13 + 12)},
      {"table cut short", bytes(good.begin(), good.begin() + 13 + 7)},
      {"local table cut short", [&] {
         gifSpec t = s;
         t.localTable = grays(256);
         bytes b = makeGif(t);
         return bytes(b.begin(), b.begin() + 13 + 12 + 10 + 300);
       }()},
      {"code size 12", [&] { bytes b = good; b[13 + 12 + 10] = 12; return b; }()},
      {"code size 200", [&] { bytes b = good; b[13 + 12 + 10] = 200; return b; }()},
      {"zero width", [&] { bytes b = good; b[13 + 12 + 5] = 0; return b; }()},
  };
  for (auto &c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(decodePalette(c.data), nullptr);
    scripted.shown.clear();
    EXPECT_EQ(decodeMemory(c.data, decoderGif), nullptr);
    ASSERT_EQ(scriptedMessages().size(), 1u);
    EXPECT_EQ(scriptedLastMessage().text, "Not a Valid GIF File");
    EXPECT_EQ(scriptedLastMessage().title, "GIF Decoding Error");
    EXPECT_EQ(scriptedLastMessage().flags, (unsigned)(MB_OK | MB_ICONWARNING));
  }
}

TEST_F(Gif, IndexAbove255IsRefused) {
  // Code size 9 allows literal indices up to 511.
  gifSpec s = simple(4, 1, 256);
  s.minCodeSize = 9;
  s.pixels = {1, 2, 255, 3};
  oldrzImagePtr im = decodePalette(makeGif(s));
  expectPixels(im, s);  // every index within 255: fine
  oldrzImageDestroy(im);
  bytes b = makeGif(s);
  size_t start = b.size() - 1 - gifImageData(s.pixels, 9).size();
  bytes file(b.begin(), b.begin() + (long)start);
  // The codes clear, 1, 2, 300, 3, end at 10 bits.
  bytes data = {9};
  unsigned long long acc = 0;
  int bits = 0;
  bytes packed;
  for (int code : {512, 1, 2, 300, 3, 513}) {
    acc |= (unsigned long long)code << bits;
    bits += 10;
    while (bits >= 8) packed.push_back((uint8_t)acc), acc >>= 8, bits -= 8;
  }
  if (bits) packed.push_back((uint8_t)acc);
  data.push_back((uint8_t)packed.size());
  data.insert(data.end(), packed.begin(), packed.end());
  data.push_back(0);
  file.insert(file.end(), data.begin(), data.end());
  file.push_back(';');
  EXPECT_EQ(decodePalette(file), nullptr);
}

// Packs codes of the given sizes, lowest bits first, into LZW data blocks.
bytes lzwBlocks(int minCodeSize, const std::vector<std::pair<int, int>> &codes) {
  bytes packed;
  unsigned long long acc = 0;
  int bits = 0;
  for (auto &c : codes) {
    acc |= (unsigned long long)c.first << bits;
    bits += c.second;
    while (bits >= 8) packed.push_back((uint8_t)acc), acc >>= 8, bits -= 8;
  }
  if (bits) packed.push_back((uint8_t)acc);
  bytes data = {(uint8_t)minCodeSize, (uint8_t)packed.size()};
  data.insert(data.end(), packed.begin(), packed.end());
  data.push_back(0);
  return data;
}

TEST_F(Gif, OddCodesFollowTheTable) {
  // Code size 2 (clear 4, end 5): 1; 6 and 7, each the next free entry (the
  // previous string and its first index: 11, 111); 12, beyond the next free
  // entry (the same rule: 1111, while entry 8 gets a prefix not yet made);
  // 2; 9, whose prefix 12 is still empty (index 0): 0 0 2; 10 (2 0).
  std::vector<std::pair<int, int>> codes = {{4, 3}, {1, 3}, {6, 3}, {7, 3}, {12, 4},
                                            {2, 4}, {9, 4}, {10, 4}, {5, 4}};
  const std::vector<uint8_t> expected = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 0, 0, 2, 2, 0};
  // Entry 6 made from the unused code 6 refers to itself: the string outgrows
  // the stack and the data ends there, before the code 2 after it.
  std::vector<std::pair<int, int>> loop = {{4, 3}, {6, 3}, {1, 3}, {6, 3}, {2, 4}, {5, 4}};
  struct {
    int width, height;
    bool interlace;
    const std::vector<std::pair<int, int>> *codes;
    std::vector<uint8_t> pixels;  // in file order
  } cases[] = {{4, 4, false, &codes, expected}, {16, 1, false, &codes, expected},
               {4, 4, true, &codes, expected},  {2, 8, false, &codes, expected},
               {4, 1, false, &loop, {6, 1, 0, 0}}, {12, 1, false, &loop, {6, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}};
  for (auto &c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + (c.interlace ? " interlaced" : ""));
    gifSpec s = simple(c.width, c.height, 4);
    s.minCodeSize = 2;
    s.interlace = c.interlace;
    bytes b = makeGif(s);
    size_t start = b.size() - 1 - gifImageData(s.pixels, 2).size();
    bytes file(b.begin(), b.begin() + (long)start);
    bytes data = lzwBlocks(2, *c.codes);
    file.insert(file.end(), data.begin(), data.end());
    file.push_back(';');
    oldrzImagePtr im = decodePalette(file);
    ASSERT_TRUE(im);
    static const int passOrder[8] = {0, 4, 2, 6, 1, 3, 5, 7};  // rows of 8 in file order
    for (int i = 0; i < c.width * c.height; i++) {
      int row = i / c.width;
      if (c.interlace) {
        // Rows 0, 2, 1, 3 for a height of 4.
        std::vector<int> order;
        for (int r : passOrder)
          if (r < c.height) order.push_back(r);
        row = order[(size_t)row];
      }
      EXPECT_EQ(im->pixels[row][i % c.width], c.pixels[(size_t)i]) << i;
    }
    oldrzImageDestroy(im);
  }
}

TEST_F(Gif, TruncatedAnywhereNeverHangsOrCrashes) {
  gifSpec s = simple(23, 19, 64);
  s.interlace = true;
  s.before = {'!', 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 0, '!', 0xF9, 4, 1, 0, 0, 2, 0};
  bytes full = makeGif(s);
  for (size_t n = 0; n < full.size(); n++) {
    bytes cut(full.begin(), full.begin() + (long)n);
    oldrzImagePtr im = decodePalette(cut);
    if (im) {
      // Whatever was decoded lies within the picture and the table.
      EXPECT_LE(im->colorsTotal, 256);
      oldrzImageDestroy(im);
    }
    imageData *d = decodeMemory(cut, decoderGif);
    imageDataDestroy(d);
  }
  // Cut inside the comment extension: no image, the file's message.
  bytes cut(full.begin(), full.begin() + 13 + 192 + 5);
  scripted.shown.clear();
  EXPECT_EQ(decodeMemory(cut, decoderGif), nullptr);
  EXPECT_EQ(scriptedLastMessage().text, "Not a Valid GIF File");
  // Cut inside the pixel data: the rest stays at index 0.
  cut.assign(full.begin(), full.end() - 40);
  oldrzImagePtr im = decodePalette(cut);
  ASSERT_TRUE(im);
  EXPECT_EQ(im->pixels[17][22], 0);
  oldrzImageDestroy(im);
}

TEST_F(Gif, HugeDeclaredSizeFailsCleanly) {
  gifSpec s = simple(4, 4, 4);
  bytes b = makeGif(s);
  b[13 + 12 + 5] = 0xFF, b[13 + 12 + 6] = 0xFF;  // width 65535
  b[13 + 12 + 7] = 0xFF, b[13 + 12 + 8] = 0xFF;  // height 65535
  int tooLarge = 0;
  EXPECT_EQ(decodePalette(b, &tooLarge), nullptr);
  EXPECT_EQ(tooLarge, 1);
  scripted.shown.clear();
  EXPECT_EQ(decodeMemory(b, decoderGif), nullptr);
  EXPECT_EQ(scriptedLastMessage().text, "Image Too Large");
  EXPECT_EQ(scriptedLastMessage().title, "GIF Decoding Error");
}

TEST_F(Gif, AllDisplayModes) {
  gifSpec s;
  s.width = 2;
  s.height = 1;
  s.globalTable = {{255, 0, 0}, {255, 255, 255}};
  s.pixels = {0, 1};
  bytes b = makeGif(s);
  struct {
    int depth;
    unsigned first, second;
  } modes[] = {{24, rgb(255, 0, 0), rgb(255, 255, 255)},
               {8, rgb(255, 0, 0), rgb(255, 255, 255)},
               {4, rgb(255, 0, 0), rgb(255, 255, 255)}};
  for (auto &m : modes) {
    setDisplayDepth(m.depth);
    imageData *d = decodeMemory(b, decoderGif);
    ASSERT_TRUE(d) << m.depth;
    EXPECT_EQ(pixelAt(d, 0, 0), m.first) << m.depth;
    EXPECT_EQ(pixelAt(d, 1, 0), m.second) << m.depth;
    imageDataDestroy(d);
  }
  // A mid gray dithers differently in each mode.
  s.globalTable = {{128, 128, 128}, {128, 128, 128}};
  b = makeGif(s);
  setDisplayDepth(8);
  imageData *d = decodeMemory(b, decoderGif);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(102, 102, 102));
  EXPECT_EQ(pixelAt(d, 1, 0), rgb(153, 153, 153));
  imageDataDestroy(d);
  setDisplayDepth(4);
  d = decodeMemory(b, decoderGif);
  EXPECT_EQ(pixelAt(d, 0, 0), rgb(128, 128, 128));
  imageDataDestroy(d);
  setDisplayDepth(24);
}

}  // namespace
