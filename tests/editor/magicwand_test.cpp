// Tests of the magic wand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "app/prefs.h"
#include "platform/settings.h"
#include "editor/objects.h"
#include "editor/undo.h"
#include "image/dither.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "editor/magicwand.h"
#include "platform/platform_scripted.h"
#include "tests/image/image_fixture.h"

namespace {

// Makes the picture id from a colour function (0x00BBGGRR).
void makePicture(int w, int h, const std::function<unsigned(int, int)> &color) {
  setDisplayDepth(24);
  imageDataDestroy(id);
  unsigned char *header = imageHeaderCreate(w, h, &palette);
  id = imageDataCreateFromHeader(header, imageHeaderSize);
  std::free(header);
  std::vector<unsigned char> row((size_t)w * 3 + 4);
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) {
      unsigned c = color(x, y);
      row[3 * x] = (unsigned char)(c >> 16);
      row[3 * x + 1] = (unsigned char)(c >> 8);
      row[3 * x + 2] = (unsigned char)c;
    }
    imageDataPushRow(id, y, row.data());
  }
  sx = w;
  sy = h;
}

class Wand : public ::testing::Test {
 protected:
  void SetUp() override {
    scriptedInstall();
    settingsDefaults();
    objectsSetup();
  }
  void TearDown() override {
    ReleaseObjects();
    undoPurge();
    redoPurge();
    imageDataDestroy(id);
    id = nullptr;
    sx = sy = 0;
  }
  const object &spare() { return objects[objectsTotal]; }
};

bool inDisc(int x, int y) { return (x - 100) * (x - 100) + (y - 100) * (y - 100) <= 40 * 40; }
unsigned disc(int x, int y) { return inDisc(x, y) ? rgb(200, 40, 40) : rgb(20, 200, 20); }

TEST_F(Wand, DiscGivesOneVertexPerRayOnItsEdge) {
  makePicture(200, 200, disc);
  magicWandPoints = 30;
  magicWandFeatherSteps = 0;
  ASSERT_EQ(magicWandPolygon(100, 100), 1);
  const object &o = spare();
  EXPECT_EQ(o.t, polygon);
  EXPECT_EQ(o.complete, 1);
  EXPECT_EQ(objectsTotal, 0);
  ASSERT_EQ(o.pointsTotal, 30);
  for (int j = 0; j < 30; j++) {
    double a = 2 * j * 3.141592653 / 30;
    int vx = (int)o.points[j].x, vy = (int)o.points[j].y;
    EXPECT_TRUE(inDisc(vx, vy)) << j;
    // The vertex lies on ray j, and the ray's next sample is outside the disc.
    int i = (int)std::lround(std::hypot(vx - 100, vy - 100));
    bool found = false;
    for (int k = i + 2; k >= i - 2 && !found; k--)
      if (100 + (int)(std::cos(a) * k) == vx && 100 + (int)(std::sin(a) * k) == vy) {
        found = true;
        EXPECT_FALSE(inDisc(100 + (int)(std::cos(a) * (k + 1)), 100 + (int)(std::sin(a) * (k + 1)))) << j;
      }
    EXPECT_TRUE(found) << j;
  }
  // Ray 0 points toward increasing x, ray n/4 (about) down the picture.
  EXPECT_EQ((int)o.points[0].y, 100);
  EXPECT_GT(o.points[0].x, 135);
  EXPECT_GT(o.points[7].y, 135);
  // The trace recorded an undo step for the spare record.
  ASSERT_TRUE(undoLast);
  EXPECT_EQ(undoLast->t, undoChanged);
  EXPECT_EQ(undoLast->offset, 0);
}

TEST_F(Wand, FeatheringMovesTheStopByAtMostItsRadius) {
  makePicture(200, 200, disc);
  magicWandPoints = 30;
  magicWandFeatherSteps = 0;
  ASSERT_EQ(magicWandPolygon(100, 100), 1);
  std::vector<FPOINT> plain(objects[0].points, objects[0].points + objects[0].pointsTotal);
  magicWandFeatherSteps = 2;
  ASSERT_EQ(magicWandPolygon(100, 100), 1);
  ASSERT_EQ(spare().pointsTotal, 30);
  int moved = 0;
  for (int j = 0; j < 30; j++) {
    double d = std::hypot(spare().points[j].x - plain[j].x, spare().points[j].y - plain[j].y);
    EXPECT_LE(d, 3.0) << j;
    if (d > 0) moved++;
  }
  EXPECT_GT(moved, 0);
}

TEST_F(Wand, PlainPictureRaysRunToTheBorder) {
  makePicture(100, 100, [](int, int) { return rgb(50, 60, 70); });
  magicWandPoints = 24;
  magicWandFeatherSteps = 2;
  ASSERT_EQ(magicWandPolygon(50, 50), 1);
  ASSERT_EQ(spare().pointsTotal, 24);
  for (int j = 0; j < 24; j++) {
    int x = (int)spare().points[j].x, y = (int)spare().points[j].y;
    EXPECT_TRUE(x == 0 || y == 0 || x == 99 || y == 99) << x << "," << y;
  }
  // From a corner the rays into the picture are still running at R - 1 and
  // give nothing; only rays along the two edges through the seed stop.
  ASSERT_EQ(magicWandPolygon(0, 0), 1);
  EXPECT_LT(spare().pointsTotal, 24);
  for (int j = 0; j < spare().pointsTotal; j++)
    EXPECT_TRUE(spare().points[j].x == 0 || spare().points[j].y == 0);
}

TEST_F(Wand, LonePixel) {
  makePicture(50, 50, [](int x, int y) { return x == 20 && y == 30 ? rgb(255, 255, 255) : rgb(0, 0, 0); });
  magicWandPoints = 30;
  magicWandFeatherSteps = 0;
  // Small radii truncate onto the seed itself: every vertex is the seed pixel.
  ASSERT_EQ(magicWandPolygon(20, 30), 1);
  EXPECT_LT(spare().pointsTotal, 30);
  for (int j = 0; j < spare().pointsTotal; j++) {
    EXPECT_EQ(spare().points[j].x, 20);
    EXPECT_EQ(spare().points[j].y, 30);
  }
  // Feathered, the seed's own average differs: every ray stops at radius 1.
  magicWandFeatherSteps = 1;
  EXPECT_EQ(magicWandPolygon(20, 30), 0);
  EXPECT_EQ(spare().complete, 0);
  EXPECT_EQ(spare().pointsTotal, 0);
  EXPECT_TRUE(scriptedMessages().empty());
}

TEST_F(Wand, ToleranceLimits) {
  // A gradient: tolerance 0 keeps only the exact colour, 765 takes everything.
  makePicture(64, 64, [](int x, int) { return rgb(x * 4, 0, 0); });
  magicWandPoints = 16;
  magicWandFeatherSteps = 0;
  magicWandTolerance = 765;
  ASSERT_EQ(magicWandPolygon(32, 32), 1);
  for (int j = 0; j < spare().pointsTotal; j++) {
    int x = (int)spare().points[j].x, y = (int)spare().points[j].y;
    EXPECT_TRUE(x == 0 || y == 0 || x == 63 || y == 63);
  }
  magicWandTolerance = 0;
  ASSERT_EQ(magicWandPolygon(32, 32), 1);  // the vertical rays stay in column 32
  for (int j = 0; j < spare().pointsTotal; j++) EXPECT_EQ(spare().points[j].x, 32);
  magicWandTolerance = 3;  // one step of 4 is beyond it
  ASSERT_EQ(magicWandPolygon(32, 32), 1);
  for (int j = 0; j < spare().pointsTotal; j++) EXPECT_EQ(spare().points[j].x, 32);
  magicWandTolerance = 4;  // equal to the difference: still similar
  ASSERT_EQ(magicWandPolygon(32, 32), 1);
  bool left = false;
  for (int j = 0; j < spare().pointsTotal; j++) left |= spare().points[j].x != 32;
  EXPECT_TRUE(left);
}

TEST_F(Wand, OutsideThePictureOrWithoutOne) {
  makePicture(10, 10, [](int, int) { return 0u; });
  for (auto p : {std::pair<int, int>{-1, 0}, {0, -1}, {10, 0}, {0, 10}}) EXPECT_EQ(magicWandPolygon(p.first, p.second), 0);
  EXPECT_TRUE(scriptedMessages().empty());
  EXPECT_EQ(undoLast, nullptr);
  imageDataDestroy(id);
  id = nullptr;
  EXPECT_EQ(magicWandPolygon(1, 1), 0);
}

TEST_F(Wand, FeatheredSamplesAverageOnlyPixelsInside) {
  makePicture(20, 20, [](int x, int y) { return rgb(x * 10 + y, 2 * y, 255 - x); });
  magicWandFeatherSteps = 2;
  // At the corner the 5 x 5 square holds 9 pixels: x and y from 0 to 2.
  EXPECT_EQ(featheredGetPixel(0, 0), rgb(11, 2, 254));
  EXPECT_EQ(featheredGetPixel(19, 19), rgb(18 * 10 + 18, 36, 255 - 18));
  magicWandFeatherSteps = 0;
  EXPECT_EQ(featheredGetPixel(7, 3), rgb(73, 6, 248));
  magicWandFeatherSteps = 1;  // truncated averages
  EXPECT_EQ(featheredGetPixel(0, 5), rgb((4 + 5 + 6 + 14 + 15 + 16) / 6, 10, (3 * 255 + 3 * 254) / 6));
}

TEST_F(Wand, FeatheringAcrossTileEdges) {
  makePicture(1003, 1002, [](int x, int y) { return rgb(x & 255, y & 255, (x + y) & 255); });
  magicWandFeatherSteps = 1;
  unsigned r = 0, g = 0, b = 0;
  for (int y = 999; y <= 1001; y++)
    for (int x = 998; x <= 1000; x++) {
      unsigned c = imageDataGetPixel(id, x, y);
      r += c & 255, g += (c >> 8) & 255, b += c >> 16;
    }
  EXPECT_EQ(featheredGetPixel(999, 1000), rgb(r / 9, g / 9, b / 9));
}

TEST(WandMath, PixelsDiffer) {
  EXPECT_EQ(pixelsDiffer(rgb(10, 20, 30), rgb(10, 20, 30), 0), 0);
  EXPECT_EQ(pixelsDiffer(rgb(10, 20, 30), rgb(11, 20, 30), 0), 1);
  EXPECT_EQ(pixelsDiffer(rgb(10, 20, 30), rgb(0, 30, 40), 30), 0);  // 10 + 10 + 10
  EXPECT_EQ(pixelsDiffer(rgb(10, 20, 30), rgb(0, 30, 41), 30), 1);
  EXPECT_EQ(pixelsDiffer(rgb(0, 0, 0), rgb(255, 255, 255), 765), 0);
  EXPECT_EQ(pixelsDiffer(rgb(0, 0, 0), rgb(255, 255, 255), 764), 1);
  EXPECT_EQ(pixelsDiffer(0xFF000000u, 0u, 0), 0);  // only the three colour bytes count
}

TEST(WandSettings, DialogLimits) {
  struct {
    const char *points, *tolerance, *feather;
    int wantPoints, wantTolerance, wantFeather;
  } cases[] = {
      {"2", "32", "2", 3, 32, 2},      {"300", "800", "7", 256, 800, 3},
      {"256", "0", "3", 256, 0, 3},    {"3", "765", "0", 3, 765, 0},
      {"-5", "abc", "", 3, 0, 0},      {" 40 ", "12x", "-1", 40, 0, 0},
      {"99999999999", "7", "1", 3, 7, 1},
  };
  for (auto &c : cases) {
    magicWandSettingsAccept(c.points, c.tolerance, c.feather);
    EXPECT_EQ(magicWandPoints, c.wantPoints) << c.points;
    EXPECT_EQ(magicWandTolerance, c.wantTolerance) << c.tolerance;
    EXPECT_EQ(magicWandFeatherSteps, c.wantFeather) << c.feather;
  }
  magicWandPoints = -7;
  magicWandFeatherSteps = -2;
  magicWandClampSettings();
  EXPECT_EQ(magicWandPoints, 3);
  EXPECT_EQ(magicWandFeatherSteps, 0);
  settingsDefaults();
}

}  // namespace
