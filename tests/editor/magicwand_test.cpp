// Tests of the magic wand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
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

// No vertex repeats the one before it (the last the first), and none lies on
// the line through its neighbours.
void expectCleanOutline(const object &o) {
  const int n = o.pointsTotal;
  ASSERT_GE(n, 3);
  for (int i = 0; i < n; i++) {
    const FPOINT &p = o.points[(i + n - 1) % n], &q = o.points[i], &r = o.points[(i + 1) % n];
    EXPECT_FALSE(q.x == r.x && q.y == r.y) << "vertex " << i << " repeated";
    EXPECT_NE((q.x - p.x) * (r.y - q.y) - (q.y - p.y) * (r.x - q.x), 0) << "vertex " << i << " collinear";
  }
}

// The distance of p from the closed polygon's outline.
double outlineDistance(const FPOINT &p, const std::vector<FPOINT> &poly) {
  double best = 1e18;
  for (size_t i = 0; i < poly.size(); i++) {
    const FPOINT &a = poly[i], &b = poly[(i + 1) % poly.size()];
    double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    double t = len2 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    best = std::min(best, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
  }
  return best;
}

bool inDisc(int x, int y) { return (x - 100) * (x - 100) + (y - 100) * (y - 100) <= 40 * 40; }
unsigned disc(int x, int y) { return inDisc(x, y) ? rgb(200, 40, 40) : rgb(20, 200, 20); }

TEST_F(Wand, DiscGivesOneVertexPerRayOnItsEdge) {
  makePicture(200, 200, disc);
  magicWandPoints = 30;
  magicWandFeatherSteps = 0;
  magicWandSimplify = 0;
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
  magicWandSimplify = 0;
  ASSERT_EQ(magicWandPolygon(100, 100), 1);
  std::vector<FPOINT> plain(objects[0].points, objects[0].points + objects[0].pointsTotal);
  magicWandFeatherSteps = 2;
  ASSERT_EQ(magicWandPolygon(100, 100), 1);
  // A vertex that became collinear with its neighbours is left out, so each
  // is compared with the plain outline rather than with its ray's vertex.
  int moved = 0;
  for (int j = 0; j < spare().pointsTotal; j++) {
    double d = outlineDistance(spare().points[j], plain);
    EXPECT_LE(d, 3.0) << j;
    if (d > 0) moved++;
  }
  EXPECT_GT(moved, 0);
}

TEST_F(Wand, PlainPictureRaysRunToTheBorder) {
  makePicture(100, 100, [](int, int) { return rgb(50, 60, 70); });
  magicWandPoints = 24;
  magicWandFeatherSteps = 2;
  magicWandSimplify = 0;
  ASSERT_EQ(magicWandPolygon(50, 50), 1);
  // The points along one border are collinear: only corners and the points
  // next to them stay.
  EXPECT_LE(spare().pointsTotal, 8);
  expectCleanOutline(spare());
  for (int j = 0; j < spare().pointsTotal; j++) {
    int x = (int)spare().points[j].x, y = (int)spare().points[j].y;
    EXPECT_TRUE(x == 0 || y == 0 || x == 99 || y == 99) << x << "," << y;
  }
  // From a corner the rays into the picture are still running at R - 1 and
  // give nothing; only rays along and near the two edges through the seed stop.
  ASSERT_EQ(magicWandPolygon(0, 0), 1);
  for (int j = 0; j < spare().pointsTotal; j++)
    EXPECT_TRUE(spare().points[j].x == 0 || spare().points[j].y == 0);
  expectCleanOutline(spare());
}

TEST_F(Wand, LonePixel) {
  makePicture(50, 50, [](int x, int y) { return x == 20 && y == 30 ? rgb(255, 255, 255) : rgb(0, 0, 0); });
  magicWandPoints = 30;
  magicWandFeatherSteps = 0;
  // Small radii truncate onto the seed itself: every ray ends on the seed
  // pixel, which is one vertex, no polygon.
  EXPECT_EQ(magicWandPolygon(20, 30), 0);
  // Feathered, the seed's own average differs: every ray stops at radius 1.
  magicWandFeatherSteps = 1;
  EXPECT_EQ(magicWandPolygon(20, 30), 0);
  EXPECT_EQ(spare().complete, 0);
  EXPECT_EQ(spare().pointsTotal, 0);
  EXPECT_TRUE(scriptedMessages().empty());
}

// Pictures on which rays used to end on the same pixel or along one straight
// edge: the outlines keep neither.
TEST_F(Wand, OutlinesHaveNoRepeatedOrCollinearVertices) {
  struct {
    const char *what;
    int w, h, x, y;
    std::function<unsigned(int, int)> color;
  } cases[] = {
      {"square", 60, 60, 30, 30, [](int x, int y) { return x >= 10 && x < 50 && y >= 10 && y < 50 ? 0u : rgb(255, 255, 255); }},
      {"seed beside an edge", 60, 60, 11, 30, [](int x, int y) { return x >= 10 && x < 50 && y >= 10 && y < 50 ? 0u : rgb(255, 255, 255); }},
      {"thin bar", 80, 20, 40, 10, [](int, int y) { return y >= 8 && y <= 12 ? 0u : rgb(255, 255, 255); }},
      {"disc", 200, 200, 100, 100, disc},
  };
  for (auto &c : cases)
    for (int simplify : {0, 1}) {
      SCOPED_TRACE(std::string(c.what) + " simplify " + std::to_string(simplify));
      makePicture(c.w, c.h, c.color);
      magicWandPoints = 64;
      magicWandFeatherSteps = 0;
      magicWandSimplify = simplify;
      ASSERT_EQ(magicWandPolygon(c.x, c.y), 1);
      EXPECT_LE(spare().pointsTotal, 64);
      expectCleanOutline(spare());
    }
}

// Every vertex the rays found lies within the tolerance of the simplified
// outline, and a larger tolerance keeps no more vertices.
TEST_F(Wand, SimplifiedOutlineStaysWithinItsTolerance) {
  makePicture(200, 200, [](int x, int y) {
    double r = 60 + 12 * std::sin(5 * std::atan2(y - 100, x - 100));  // a rounded star
    return std::hypot(x - 100, y - 100) <= r ? rgb(200, 40, 40) : rgb(20, 200, 20);
  });
  magicWandPoints = 256;
  magicWandFeatherSteps = 0;
  magicWandSimplify = 0;
  ASSERT_EQ(magicWandPolygon(100, 100), 1);
  std::vector<FPOINT> traced(spare().points, spare().points + spare().pointsTotal);
  int before = (int)traced.size();
  for (int tolerance : {1, 2, 5}) {
    magicWandSimplify = tolerance;
    ASSERT_EQ(magicWandPolygon(100, 100), 1);
    std::vector<FPOINT> simple(spare().points, spare().points + spare().pointsTotal);
    EXPECT_LT((int)simple.size(), before) << tolerance;
    for (const FPOINT &p : traced) EXPECT_LE(outlineDistance(p, simple), tolerance + 1e-9) << tolerance;
    before = (int)simple.size();
  }
  // An outline simplified directly: a straight run keeps only its ends, and a
  // repeated vertex is kept once.
  std::vector<FPOINT> run = {{0, 0}, {5, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}};
  magicWandSimplifyOutline(run, 0);
  ASSERT_EQ(run.size(), 4u);
  EXPECT_EQ(run[1].x, 10);
  EXPECT_EQ(run[1].y, 0);
}

// Text on a button stops the rays at its letters; tracing the outer edge only
// fills them in and traces the button.
TEST_F(Wand, OuterEdgeOnlyTracesAroundHolesAndIslands) {
  auto button = [](int x, int y) {
    bool inButton = x >= 20 && x < 180 && y >= 20 && y < 80;
    bool letter = (x >= 60 && x < 64 && y >= 35 && y < 65) || (x >= 100 && x < 130 && y >= 48 && y < 52);
    return !inButton ? rgb(255, 255, 255) : letter ? rgb(255, 255, 0) : rgb(30, 30, 160);
  };
  auto onButtonEdge = [](const FPOINT &p) { return p.x == 20 || p.x == 179 || p.y == 20 || p.y == 79; };
  makePicture(200, 100, button);
  magicWandPoints = 64;
  magicWandFeatherSteps = 0;
  struct {
    int outer;
    bool allOnEdge;
  } cases[] = {{0, false}, {1, true}};
  for (auto &c : cases) {
    magicWandOuterOnly = c.outer;
    ASSERT_EQ(magicWandPolygon(80, 50), 1) << c.outer;
    bool all = true;
    for (int i = 0; i < spare().pointsTotal; i++) all &= onButtonEdge(spare().points[i]);
    EXPECT_EQ(all, c.allOnEdge) << c.outer;
    expectCleanOutline(spare());
  }
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
  // Only the vertical rays, in column 32, get anywhere: their ends are one
  // straight line, no polygon.
  magicWandTolerance = 0;
  EXPECT_EQ(magicWandPolygon(32, 32), 0);
  magicWandTolerance = 3;  // one step of 4 is beyond it
  EXPECT_EQ(magicWandPolygon(32, 32), 0);
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
    const char *points, *tolerance, *feather, *simplify;
    int outer;
    int wantPoints, wantTolerance, wantFeather, wantSimplify, wantOuter;
  } cases[] = {
      {"2", "32", "2", "1", 0, 3, 32, 2, 1, 0},      {"300", "800", "7", "101", 1, 256, 800, 3, 100, 1},
      {"256", "0", "3", "0", 5, 256, 0, 3, 0, 1},    {"3", "765", "0", "100", 0, 3, 765, 0, 100, 0},
      {"-5", "abc", "", "-1", 0, 3, 0, 0, 0, 0},      {" 40 ", "12x", "-1", " 7 ", 1, 40, 0, 0, 7, 1},
      {"99999999999", "7", "1", "x", 0, 3, 7, 1, 0, 0},
  };
  for (auto &c : cases) {
    magicWandSettingsAccept(c.points, c.tolerance, c.feather, c.simplify, c.outer);
    EXPECT_EQ(magicWandPoints, c.wantPoints) << c.points;
    EXPECT_EQ(magicWandTolerance, c.wantTolerance) << c.tolerance;
    EXPECT_EQ(magicWandFeatherSteps, c.wantFeather) << c.feather;
    EXPECT_EQ(magicWandSimplify, c.wantSimplify) << c.simplify;
    EXPECT_EQ(magicWandOuterOnly, c.wantOuter) << c.outer;
  }
  magicWandPoints = -7;
  magicWandFeatherSteps = -2;
  magicWandClampSettings();
  EXPECT_EQ(magicWandPoints, 3);
  EXPECT_EQ(magicWandFeatherSteps, 0);
  settingsDefaults();
}

}  // namespace
