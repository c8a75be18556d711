// Tests of the display palette and the row converters.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "image/dither.h"
#include "tests/image/image_fixture.h"

namespace {

TEST(Palette, ModesByDepth) {
  setDisplayDepth(24);
  EXPECT_EQ(palette.hpal, nullptr);
  EXPECT_EQ(palette.useSysp, 0);
  setDisplayDepth(32);
  EXPECT_EQ(palette.hpal, nullptr);
  setDisplayDepth(8);
  ASSERT_NE(palette.hpal, nullptr);
  EXPECT_EQ(palette.useSysp, 0);
  setDisplayDepth(4);
  EXPECT_EQ(palette.hpal, nullptr);
  EXPECT_EQ(palette.useSysp, 1);
  EXPECT_EQ(palette.syspColors, 16);
  EXPECT_EQ(palette.sysp[15].red, 255);
  setDisplayDepth(1);
  EXPECT_EQ(palette.syspColors, 2);
  setDisplayDepth(24);
}

TEST(Palette, DisplayDepthFromTheEnvironment) {
  const char *old = std::getenv("TILVANE_DISPLAY_DEPTH");
  std::string saved = old ? old : "";
  setenv("TILVANE_DISPLAY_DEPTH", "8", 1);
  EXPECT_EQ(displayDepth(), 8);
  setenv("TILVANE_DISPLAY_DEPTH", "4", 1);
  EXPECT_EQ(displayDepth(), 4);
  setenv("TILVANE_DISPLAY_DEPTH", "banana", 1);
  EXPECT_EQ(displayDepth(), 24);  // no screen in this test: the default
  setenv("TILVANE_DISPLAY_DEPTH", "99", 1);
  EXPECT_EQ(displayDepth(), 24);
  if (old) setenv("TILVANE_DISPLAY_DEPTH", saved.c_str(), 1);
  else unsetenv("TILVANE_DISPLAY_DEPTH");
}

TEST(Palette, CubeEntries) {
  paletteEntry cube[216];
  Build666Cube(cube);
  for (int r = 0; r < 6; r++)
    for (int g = 0; g < 6; g++)
      for (int b = 0; b < 6; b++) {
        const paletteEntry &e = cube[r * 36 + g * 6 + b];
        ASSERT_EQ(e.red, r * 51);
        ASSERT_EQ(e.green, g * 51);
        ASSERT_EQ(e.blue, b * 51);
        ASSERT_EQ(e.flags, 0);
      }
}

TEST(Palette, SyspCubeNearestLowestIndexOnTies) {
  // Two entries at the same distance from every sample: the first wins.
  paletteEntry sysp[3] = {{0, 0, 0, 0}, {0, 0, 0, 0}, {255, 255, 255, 0}};
  int cube[8][8][8];
  BuildSyspCube(sysp, 3, cube);
  EXPECT_EQ(cube[0][0][0], 0);
  EXPECT_EQ(cube[7][7][7], 2);
  EXPECT_EQ(cube[3][3][3], 0);  // 109 each: nearer black (327) than white (438)
  EXPECT_EQ(cube[4][4][4], 2);  // 146 each: 438 vs 327
  // The samples are 0, 36, 73, 109, 146, 182, 219, 255: an entry of 73,0,0
  // is exactly red level 2.
  paletteEntry two[2] = {{72, 0, 0, 0}, {73, 0, 0, 0}};
  BuildSyspCube(two, 2, cube);
  EXPECT_EQ(cube[2][0][0], 1);
  EXPECT_EQ(cube[1][0][0], 0);
  BuildSyspCube(two, 0, cube);  // no entries: every level maps to 0
  EXPECT_EQ(cube[7][7][7], 0);
}

TEST(Converters, TrueColour) {
  const unsigned char rgbRow[] = {1, 2, 3, 250, 251, 252};
  unsigned char out[6];
  DitherRowTruecolorRGB(out, rgbRow, 2);
  EXPECT_EQ(std::vector<int>(out, out + 6), (std::vector<int>{3, 2, 1, 252, 251, 250}));
  const unsigned char gray[] = {9, 200};
  DitherRowTruecolorGray(out, gray, 2);
  EXPECT_EQ(std::vector<int>(out, out + 6), (std::vector<int>{9, 9, 9, 200, 200, 200}));
  unsigned char sourcep[256 * 4] = {};
  sourcep[4 * 7 + 0] = 10, sourcep[4 * 7 + 1] = 20, sourcep[4 * 7 + 2] = 30, sourcep[4 * 7 + 3] = 99;
  const unsigned char idx[] = {7, 0};
  DitherRowTruecolorPalette(out, idx, 2, sourcep);
  EXPECT_EQ(std::vector<int>(out, out + 6), (std::vector<int>{30, 20, 10, 0, 0, 0}));
}

TEST(Converters, CubeCarriesTheErrorAlongTheRow) {
  std::vector<unsigned char> gray(8, 128), out(8);
  DitherRow666Gray(out.data(), gray.data(), 8);
  // Accumulator 128 -> level 2 (26 left), 154 -> 3 (1), 129 -> 2 (27), 155 -> 3 (2)...
  EXPECT_EQ(out, (std::vector<unsigned char>{86, 129, 86, 129, 86, 129, 86, 129}));
  const unsigned char ends[] = {0, 255, 255, 0};
  unsigned char o4[4];
  DitherRow666Gray(o4, ends, 4);
  EXPECT_EQ(o4[0], 0);
  EXPECT_EQ(o4[1], 215);
  EXPECT_EQ(o4[2], 215);
  // The error starts afresh on every row.
  const unsigned char one[] = {128};
  DitherRow666Gray(o4, one, 1);
  EXPECT_EQ(o4[0], 86);
}

TEST(Converters, CubeAccumulatorStaysWithinOneLevel) {
  // With any input the average of the output levels follows the input, and an
  // input of 255 always gives level 5.
  std::vector<unsigned char> row(300 * 3), out(300);
  srand(7);
  for (auto &v : row) v = (unsigned char)(rand() % 256);
  for (int i = 0; i < 300; i += 17) row[3 * i] = 255;
  DitherRow666RGB(out.data(), row.data(), 300);
  long inSum = 0, outSum = 0;
  for (int i = 0; i < 300; i++) {
    inSum += row[3 * i];
    outSum += out[i] / 36 * 51;
    if (row[3 * i] == 255) {
      EXPECT_EQ(out[i] / 36, 5) << i;
    }
    ASSERT_LT(out[i], 216);
  }
  EXPECT_LE(inSum - outSum, 50);
  EXPECT_GE(inSum - outSum, 0);
  // Palette input goes through the same carry.
  unsigned char sourcep[256 * 4] = {};
  sourcep[4] = 128, sourcep[5] = 128, sourcep[6] = 128;
  const unsigned char idx[] = {1, 1, 1};
  unsigned char o[3];
  DitherRow666Palette(o, idx, 3, sourcep);
  EXPECT_EQ(o[0], 2 * 36 + 2 * 6 + 2);
  EXPECT_EQ(o[1], 3 * 36 + 3 * 6 + 3);
}

TEST(Converters, SystemPalette) {
  setDisplayDepth(4);
  // Levels: 0-31 give 0, 224-255 give 7; full colours find themselves.
  const unsigned char row[] = {255, 0, 0, 0, 255, 0, 255, 255, 255, 20, 20, 20};
  unsigned char out[12];
  DitherRowSyspRGB(out, row, 1, palette.syspCube, palette.sysp);
  EXPECT_EQ(std::vector<int>(out, out + 3), (std::vector<int>{0, 0, 255}));
  const unsigned char dark[] = {31, 31, 31};
  DitherRowSyspRGB(out, dark, 1, palette.syspCube, palette.sysp);
  EXPECT_EQ(std::vector<int>(out, out + 3), (std::vector<int>{0, 0, 0}));
  // A mid gray alternates so that the average stays near it.
  std::vector<unsigned char> gray(64, 100), o(64 * 3);
  DitherRowSyspGray(o.data(), gray.data(), 64, palette.syspCube, palette.sysp);
  long sum = 0;
  for (int i = 0; i < 64; i++) {
    sum += o[3 * i];
    ASSERT_EQ(o[3 * i], o[3 * i + 1]);
  }
  EXPECT_NEAR(sum / 64.0, 100, 8);
  unsigned char sourcep[256 * 4] = {};
  sourcep[4 * 3] = 255;
  sourcep[4 * 3 + 1] = 255;
  const unsigned char idx[] = {3};
  DitherRowSyspPalette(out, idx, 1, sourcep, palette.syspCube, palette.sysp, palette.syspColors);
  EXPECT_EQ(std::vector<int>(out, out + 3), (std::vector<int>{0, 255, 255}));
  setDisplayDepth(24);
}

}  // namespace
