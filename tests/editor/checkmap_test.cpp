// checkmap_test.cpp: Check Map over small maps made here: one group per kind
// of finding, and the covering figures against a pixel-by-pixel count.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "editor/checkmap.h"
#include "editor/objects.h"
#include "editor/clientmap.h"
#include "html/pageio.h"
#include "platform/platform_scripted.h"

namespace {

checkArea area(int t, std::vector<FPOINT> pts, const char *url = "a.html", const char *alt = "Apples") {
  checkArea a;
  a.t = t;
  a.points = pts;
  if (url) {
    a.hasHref = 1;
    a.url = url;
  } else {
    a.nohref = 1;
  }
  a.alt = alt ? alt : "";
  return a;
}
checkArea rect(int x1, int y1, int x2, int y2, const char *url = "a.html", const char *alt = "Apples") {
  return area(rectangle, {{double(x1), double(y1)}, {double(x2), double(y2)}}, url, alt);
}

std::vector<checkFinding> run(const checkInput &in) {
  std::vector<checkFinding> out;
  checkAreas(in, out, nullptr);
  return out;
}

checkInput picture(std::vector<checkArea> areas, int w = 400, int h = 300) {
  checkInput in;
  in.areas = areas;
  in.width = w;
  in.height = h;
  return in;
}

// The lines of the findings of one kind, joined by newlines.
std::string lines(const std::vector<checkFinding> &all, int kind) {
  std::string s;
  for (const checkFinding &f : all)
    if (f.kind == kind) s += checkLine(f) + "\n";
  return s;
}

class CheckTest : public ::testing::Test {
 protected:
  void SetUp() override { scriptedInstall(); }
  void TearDown() override { ReleaseObjects(); }
};

TEST_F(CheckTest, TextAlternatives) {
  struct {
    const char *url, *alt;
    const char *expected;  // the line, "" none
  } cases[] = {
      {"a.html", "", "error: hotspot 1 (rect, a.html): no alternative text\n"},
      {"a.html", "   ", "error: hotspot 1 (rect, a.html): no alternative text\n"},
      {nullptr, "", ""},
      {"a.html", "Apples and pears", ""},
      {"pages/a.html", "a.html", "warning: hotspot 1 (rect, pages/a.html): the alternative text is just the link\n"},
      {"a.html", "photo.jpg", "warning: hotspot 1 (rect, a.html): the alternative text \"photo.jpg\" is a file name\n"},
      {"a.html", "Click here!",
       "warning: hotspot 1 (rect, a.html): the alternative text \"Click here!\" does not say where the link leads\n"},
      {"a.html", "image", "warning: hotspot 1 (rect, a.html): the alternative text \"image\" does not say where the link leads\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.alt);
    EXPECT_EQ(lines(run(picture({rect(0, 0, 100, 100, c.url, c.alt)})), checkKindText), c.expected);
  }
  // The same text for two places; the same text for the same place is fine.
  EXPECT_EQ(lines(run(picture({rect(0, 0, 100, 100, "a.html", "Shop"), rect(100, 0, 200, 100, "a.html", "Shop"),
                               rect(200, 0, 300, 100, "b.html", "shop")})),
                  checkKindText),
            "warning: hotspot 3 (rect, b.html): the same alternative text as hotspot 1, which leads elsewhere\n");
  // A linked default area says nothing to a screen reader.
  checkInput in = picture({});
  in.defaultUrl = "home.html";
  EXPECT_EQ(lines(run(in), checkKindText),
            "warning: default area (home.html): a link but no text to tell where it leads\n");
  in.defaultText = 1;
  EXPECT_EQ(lines(run(in), checkKindText), "");
}

// Below 24 x 24 a target passes only when the 24-pixel circle around its
// centre meets no other target nor another small target's circle.
TEST_F(CheckTest, TargetSize) {
  struct {
    std::vector<checkArea> areas;
    const char *expected;
  } cases[] = {
      {{rect(10, 10, 30, 100)}, "notice: hotspot 1 (rect, a.html): 20 x 90 pixels, smaller than the 44 x 44 that is easy to hit\n"},
      {{rect(10, 10, 30, 100), rect(31, 10, 90, 100, "b.html", "Bees")},
       "warning: hotspot 1 (rect, a.html): 20 x 90 pixels, smaller than the 24 x 24 a finger needs, and other targets are "
       "near\n"},
      {{rect(10, 10, 50, 40)}, "notice: hotspot 1 (rect, a.html): 40 x 30 pixels, smaller than the 44 x 44 that is easy to hit\n"},
      {{rect(10, 10, 54, 54)}, ""},
      {{rect(10, 10, 20, 20, nullptr)}, ""},  // no link: nothing to hit
      // Two small ones far apart pass; 20 apart their circles meet.
      {{area(circle, {{100, 100}, {111, 100}}), area(circle, {{200, 100}, {211, 100}}, "b.html", "Bees")},
       "notice: hotspot 1 (circle, a.html): 22 x 22 pixels, smaller than the 44 x 44 that is easy to hit\n"
       "notice: hotspot 2 (circle, b.html): 22 x 22 pixels, smaller than the 44 x 44 that is easy to hit\n"},
      {{rect(100, 100, 110, 110), rect(120, 100, 130, 110, "b.html", "Bees")},
       "warning: hotspot 1 (rect, a.html): 10 x 10 pixels, smaller than the 24 x 24 a finger needs, and other targets are "
       "near\n"
       "warning: hotspot 2 (rect, b.html): 10 x 10 pixels, smaller than the 24 x 24 a finger needs, and other targets are "
       "near\n"},
      // A polygon's edge within 12 pixels of the centre.
      {{rect(100, 100, 110, 110), area(polygon, {{115, 0}, {300, 0}, {300, 300}, {115, 300}}, "b.html", "Bees")},
       "warning: hotspot 1 (rect, a.html): 10 x 10 pixels, smaller than the 24 x 24 a finger needs, and other targets are "
       "near\n"},
      {{rect(100, 100, 110, 110), area(polygon, {{130, 0}, {300, 0}, {130, 300}}, "b.html", "Bees")},
       "notice: hotspot 1 (rect, a.html): 10 x 10 pixels, smaller than the 44 x 44 that is easy to hit\n"},
      {{area(polygon, {{0, 0}, {30, 0}, {0, 50}})}, "notice: hotspot 1 (poly, a.html): 30 x 50 pixels, smaller than the 44 x 44 that is easy to hit\n"},
  };
  for (const auto &c : cases) EXPECT_EQ(lines(run(picture(c.areas)), checkKindSize), c.expected);
}

TEST_F(CheckTest, Overlap) {
  // Wholly covered by two earlier hotspots together.
  EXPECT_EQ(lines(run(picture({rect(0, 0, 100, 100), rect(100, 0, 200, 100, nullptr), rect(50, 20, 150, 80, "b.html"),
                               rect(300, 0, 350, 50)})),
                  checkKindOverlap),
            "warning: hotspot 3 (rect, b.html): can never be clicked, hotspots 1 and 2 cover it\n");
  // A circle inside a rectangle.
  EXPECT_EQ(lines(run(picture({rect(0, 0, 100, 100), area(circle, {{50, 50}, {80, 50}}, "b.html")})), checkKindOverlap),
            "warning: hotspot 2 (circle, b.html): can never be clicked, hotspot 1 covers it\n");
  // A circle wider than an int reaches covers every column (the search for the
  // ends of its rows once ran on for ever).
  EXPECT_EQ(lines(run(picture({area(circle, {{10, 10}, {2e9 + 10, 2e9 + 10}}), rect(0, 0, 100, 100, "b.html")})),
                  checkKindOverlap),
            "warning: hotspot 2 (rect, b.html): can never be clicked, hotspot 1 covers it\n");
  // Columns 0..100 of which 0..79 are covered: 21 of 101 stay clickable.
  EXPECT_EQ(lines(run(picture({rect(0, 0, 79, 100), rect(0, 0, 100, 100, "b.html")})), checkKindOverlap),
            "notice: hotspot 2 (rect, b.html): only 20% of it can be clicked, hotspot 1 covers the rest\n");
  // Half or more clickable, or apart: nothing.
  EXPECT_EQ(lines(run(picture({rect(0, 0, 49, 100), rect(0, 0, 100, 100, "b.html")})), checkKindOverlap), "");
  EXPECT_EQ(lines(run(picture({rect(0, 0, 100, 100, "b.html"), rect(101, 0, 179, 100)})), checkKindOverlap), "");
}

// The covering figures against a count of every pixel of small random maps:
// exact for rectangles and circles, within 1% for polygons.
TEST_F(CheckTest, OverlapMatchesPixelCount) {
  std::mt19937 rng(13);
  auto coord = [&](int lo, int hi) { return double(std::uniform_int_distribution<int>(lo, hi)(rng)); };
  const int W = 48, H = 40;
  for (int round = 0; round < 300; round++) {
    const int kind = round % 3;  // 0 rectangles, 1 circles, 2 polygons and the others
    std::vector<std::vector<FPOINT>> pts;
    std::vector<object> objs;
    const int n = 2 + round % 5;
    for (int k = 0; k < n; k++) {
      object o = {};
      int t = kind == 0 ? rectangle : kind == 1 ? circle : (k % 3 == 0 ? polygon : k % 3 == 1 ? rectangle : circle);
      if (k == n - 1) t = kind == 0 ? rectangle : kind == 1 ? circle : polygon;
      std::vector<FPOINT> p;
      if (t == rectangle) p = {{coord(-5, W + 5), coord(-5, H + 5)}, {coord(-5, W + 5), coord(-5, H + 5)}};
      if (t == circle) p = {{coord(-5, W + 5), coord(-5, H + 5)}, {coord(-5, W + 5), coord(-5, H + 5)}};
      if (t == polygon)
        for (int v = 0, m = 3 + round % 6; v < m; v++) p.push_back({coord(-5, W + 5), coord(-5, H + 5)});
      pts.push_back(p);
      o.t = t;
      objs.push_back(o);
    }
    for (int k = 0; k < n; k++) {
      objs[size_t(k)].points = pts[size_t(k)].data();
      objs[size_t(k)].pointsTotal = int(pts[size_t(k)].size());
    }
    long long total = 0;
    long long left = checkClickable(&objs[size_t(n - 1)], objs.data(), n - 1, W, H, &total);
    long long countAll = 0, countLeft = 0;
    for (int y = 0; y < H; y++)
      for (int x = 0; x < W; x++) {
        if (!objectContainsPoint(&objs[size_t(n - 1)], x, y)) continue;
        countAll++;
        bool covered = false;
        for (int k = 0; k < n - 1 && !covered; k++) covered = objectContainsPoint(&objs[size_t(k)], x, y);
        if (!covered) countLeft++;
      }
    SCOPED_TRACE(round);
    if (objs[size_t(n - 1)].t == polygon) {
      EXPECT_NEAR(double(total), double(countAll), countAll * 0.01);
      EXPECT_NEAR(double(left), double(countLeft), countAll * 0.01);
    } else {
      EXPECT_EQ(total, countAll);
      EXPECT_EQ(left, countLeft);
    }
  }
}

TEST_F(CheckTest, Geometry) {
  struct {
    checkArea a;
    const char *expected;
  } cases[] = {
      {area(polygon, {{10, 10}, {50, 50}, {10, 10}, {50, 50}}),
       "error: hotspot 1 (poly, a.html): a polygon needs at least three different points\n"},
      {area(polygon, {{10, 10}, {100, 100}, {100, 10}, {10, 100}}), "warning: hotspot 1 (poly, a.html): the outline crosses itself\n"},
      {area(polygon, {{10, 10}, {100, 10}, {100, 100}, {10, 100}}), ""},
      {rect(10, 10, 10, 100), "error: hotspot 1 (rect, a.html): the rectangle has no area: its width or height is 0\n"},
      {area(circle, {{50, 50}, {50, 50}}), "error: hotspot 1 (circle, a.html): the circle has no area: its radius is 0\n"},
      {rect(350, 250, 450, 350), "warning: hotspot 1 (rect, a.html): partly outside the picture\n"},
      {rect(400, 0, 500, 100), "error: hotspot 1 (rect, a.html): wholly outside the picture\n"},
      {rect(0, 0, 400, 300), ""},
  };
  for (const auto &c : cases) EXPECT_EQ(lines(run(picture({c.a})), checkKindGeometry), c.expected);
}

TEST_F(CheckTest, Links) {
  char folder[] = "/tmp/checkmapXXXXXX";
  ASSERT_TRUE(mkdtemp(folder));
  std::string there = std::string(folder) + "/here.html";
  std::FILE *f = std::fopen(there.c_str(), "w");
  ASSERT_TRUE(f);
  std::fclose(f);
  checkArea empty = rect(0, 0, 100, 100, "");
  checkArea hash = rect(0, 0, 100, 100, "#");
  checkArea none = rect(0, 0, 100, 100, nullptr);
  struct {
    checkArea a;
    const char *expected;
  } cases[] = {
      {empty, "warning: hotspot 1 (rect): an empty link: a click reloads the page (nohref makes a hotspot without a link)\n"},
      {hash, "warning: hotspot 1 (rect): a link to \"#\": a click jumps to the top of the page (nohref makes a hotspot "
             "without a link)\n"},
      {rect(0, 0, 100, 100, "#nowhere"),
       "warning: hotspot 1 (rect, #nowhere): no element of the page has the id \"nowhere\": a click goes nowhere\n"},
      {rect(0, 0, 100, 100, "#here"), ""},
      {rect(0, 0, 100, 100, "#old"), ""},
      {rect(0, 0, 100, 100, "#a%20b"), ""},
      {rect(0, 0, 100, 100, "#Top"), ""},
      {none, ""},
      {rect(0, 0, 100, 100, "javascript:go()"),
       "warning: hotspot 1 (rect, javascript:go()): a javascript: link, which does nothing where scripts do not run\n"},
      {rect(0, 0, 100, 100, "gone.html#top"), "warning: hotspot 1 (rect, gone.html#top): the linked file gone.html is not beside the page\n"},
      {rect(0, 0, 100, 100, "here.html?x=1"), ""},
      {rect(0, 0, 100, 100, "https://example.org/gone.html"), ""},
      {rect(0, 0, 100, 100, "/gone.html"), ""},
  };
  for (const auto &c : cases) {
    checkInput in = picture({c.a});
    in.folder = folder;
    in.anchorsKnown = 1;
    in.anchors = {"here", "old", "a b"};
    EXPECT_EQ(lines(run(in), checkKindLink), c.expected);
  }
  std::remove(there.c_str());
  rmdir(folder);
}

TEST_F(CheckTest, Page) {
  struct {
    const char *page;
    int naturalW, naturalH;
    const char *expected;
  } cases[] = {
      {"<img src=\"a.png\" usemap=\"#m\"><map name=\"m\"></map>", 200, 100,
       "error: img at line 1, column 1 (a.png): the img tag has no alt attribute\n"},
      // Browsers read the name after the first '#'.
      {"<img src=\"a.png\" usemap=\"b.html#m\"><map name=\"m\"></map>", 200, 100,
       "error: img at line 1, column 1 (a.png): the img tag has no alt attribute\n"},
      {"<img src=\"a.png\" alt=\"\" usemap=\"#m\"><map name=\"n\"></map>", 200, 100,
       "error: img at line 1, column 1 (a.png): usemap names the map \"m\", which the page does not have\n"},
      {"<img src=\"a.png\" alt=\"\" usemap=\"#m\"><map name=\"m\"></map><map id=\"m\"></map><map id=\"M\"></map>", 200,
       100, "warning: map m: 2 maps have this name; browsers use the first\n"},
      {"<img src=\"a.png\" alt=\"\" usemap=\"#m\"><map name=\"m\" id=\"map1\"></map>", 200, 100,
       "warning: map m: its id \"map1\" differs from its name \"m\": browsers and style sheets may take it for different "
       "maps\n"},
      {"<img src=\"a.png\" alt=\"\" usemap=\"#m\"><map name=\"m\" id=\"m\"></map>", 200, 100, ""},
      // Pictures that scale with the page.
      {"<img src=\"a.png\" alt=\"\" width=\"50%\" usemap=\"#m\"><map name=\"m\"></map>", 200, 100,
       "warning: img at line 1, column 1 (a.png): its size is a percentage: the picture can be shown at other sizes, but "
       "the map's coordinates do not scale with it\n"},
      {"<img src=\"a.png\" alt=\"\" style=\"max-width: 100%\" usemap=\"#m\"><map name=\"m\"></map>", 200, 100,
       "warning: img at line 1, column 1 (a.png): its style sets its size: the picture can be shown at other sizes, but "
       "the map's coordinates do not scale with it\n"},
      {"<img src=\"a.png\" alt=\"\" srcset=\"b.png 2x\" usemap=\"#m\"><map name=\"m\"></map>", 200, 100,
       "warning: img at line 1, column 1 (a.png): srcset or sizes chooses its picture: the picture can be shown at other "
       "sizes, but the map's coordinates do not scale with it\n"},
      {"<picture><source srcset=\"b.webp\"><img src=\"a.png\" alt=\"\" usemap=\"#m\"></picture><map name=\"m\"></map>",
       200, 100,
       "warning: img at line 1, column 34 (a.png): the picture element around it offers other sources: the picture can be "
       "shown at other sizes, but the map's coordinates do not scale with it\n"},
      {"<picture><source srcset=\"b.webp\"></picture><img src=\"a.png\" alt=\"\" usemap=\"#m\"><map name=\"m\"></map>",
       200, 100, ""},
      // Browsers match the name exactly.
      {"<img src=\"a.png\" alt=\"\" usemap=\"#m\"><map name=\"M\"></map>", 200, 100,
       "error: img at line 1, column 1 (a.png): usemap names the map \"m\", which the page does not have\n"},
      {"<img src=\"a.png\" alt=\"\" usemap=\"#m\"><img src=\"a.png\" width=\"100\" usemap=\"#m\"><map name=\"m\"></map>", 200, 100,
       "warning: img at line 1, column 37 (a.png): uses the same map at 100 x 50, but the map fits 200 x 100\n"},
      {"<img src=\"a.png\" alt=\"\" usemap=\"#m\"><img src=\"b.png\" usemap=\"#m\"><map name=\"m\"></map>", 200, 100, ""},
      {"<img src=\"a.png\" alt=\"\" width=\"200\" height=\"200\" usemap=\"#m\"><map name=\"m\"></map>", 200, 100,
       "warning: img at line 1, column 1 (a.png): shown at 200 x 200 although the picture is 200 x 100: the map lies on a stretched picture\n"},
      {"<img src=\"a.png\" alt=\"\" width=\"100\" height=\"50\" usemap=\"#m\"><map name=\"m\"></map>", 200, 100, ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.page);
    htmlPtr doc = pageDocumentCreate();
    ASSERT_TRUE(doc);
    int crlf = 0;
    ASSERT_EQ(pageFeedBuffer(doc, c.page, std::strlen(c.page), &crlf), htmlSuccess);
    std::vector<checkFinding> out;
    checkPage(doc, "m", c.naturalW, c.naturalH, 0, out);
    EXPECT_EQ(lines(out, checkKindPage), c.expected);
    htmlDestroy(doc);
  }
}

// A page's map read for checking keeps what the hotspot table cannot: an href
// written empty, nohref, the default area's text.
TEST_F(CheckTest, PageMapRead) {
  const char *page =
      "<img src=\"a.png\" alt=\"x\" usemap=\"#m\"><map name=\"m\">"
      "<area shape=\"rect\" coords=\"0,0,10,10\" href=\"\">"
      "<area shape=\"circle\" coords=\"50,50,20\" nohref alt=\"\">"
      "<area shape=\"poly\" coords=\"0,0,90,0,90,90\" href=\"b.html\" alt=\"Bees\">"
      "<area shape=\"default\" href=\"c.html\" alt=\"Home\"></map>";
  htmlPtr doc = pageDocumentCreate();
  ASSERT_TRUE(doc);
  int crlf = 0;
  ASSERT_EQ(pageFeedBuffer(doc, page, std::strlen(page), &crlf), htmlSuccess);
  checkInput in;
  ASSERT_TRUE(checkInputFromPage(doc, "m", in));
  ASSERT_EQ(in.areas.size(), 3u);
  EXPECT_TRUE(in.areas[0].hasHref && !in.areas[0].nohref);
  EXPECT_TRUE(in.areas[1].nohref);
  EXPECT_EQ(in.areas[2].t, polygon);
  EXPECT_EQ(in.defaultUrl, "c.html");
  EXPECT_EQ(in.defaultText, 1);
  checkInput missing;
  EXPECT_FALSE(checkInputFromPage(doc, "zz", missing));
  htmlDestroy(doc);
}

// The editor's table: a hotspot without a link is written with nohref, and
// the default area with an empty text.
TEST_F(CheckTest, TableRead) {
  ReleaseObjects();
  objectsSetup();
  const char *page = "<map name=\"m\"><area shape=\"rect\" coords=\"0,0,50,50\" href=\"\">"
                     "<area shape=\"circle\" coords=\"20,20,10\" href=\"b.html\" alt=\"Bees\">"
                     "<area shape=\"default\" href=\"c.html\" alt=\"Home\"></map>";
  htmlPtr doc = pageDocumentCreate();
  int crlf = 0;
  ASSERT_EQ(pageFeedBuffer(doc, page, std::strlen(page), &crlf), htmlSuccess);
  ASSERT_TRUE(LoadClientMap(doc, "m"));
  htmlDestroy(doc);
  checkInput in;
  checkInputFromTable(in);
  in.width = 100;
  in.height = 100;
  ASSERT_EQ(in.areas.size(), 2u);
  EXPECT_TRUE(in.areas[0].nohref);
  EXPECT_EQ(in.areas[1].url, "b.html");
  std::string all;
  for (const checkFinding &f : run(in)) all += checkLine(f) + "\n";
  EXPECT_EQ(all,
            "notice: hotspot 2 (circle, b.html): 20 x 20 pixels, smaller than the 44 x 44 that is easy to hit\n"
            "warning: hotspot 2 (circle, b.html): can never be clicked, hotspot 1 covers it\n"
            "warning: default area (c.html): a link but no text to tell where it leads\n");
}

// Areas that cannot be hotspots are errors of their own, and every area keeps
// its place in the map as its number, in the page and in the editor's table.
TEST_F(CheckTest, BrokenAreasNumbered) {
  struct {
    const char *areas;
    const char *expected;
  } cases[] = {
      {"<area shape=\"poly\" coords=\"0,0,90,0,90\" href=\"a.html\" alt=\"A\">"
       "<area shape=\"rect\" coords=\"0,0,50,50\" href=\"b.html\">",
       "error: area 1 (poly, a.html): an odd number of coordinates (5): the last has no partner\n"
       "error: hotspot 2 (rect, b.html): no alternative text\n"},
      {"<area shape=\"circle\" coords=\"50,50\" href=\"a.html\" alt=\"A\">"
       "<area shape=\"rect\" coords=\"0,0,90\" nohref>"
       "<area shape=\"default\" href=\"#\">"
       "<area shape=\"oval\" coords=\"0,0,90,90\" nohref>"
       "<area coords=\"0,0,50,50\" href=\"b.html\">",
       "error: area 1 (circle, a.html): a circle without a radius: browsers give it no area\n"
       "error: area 2 (rect): the rectangle needs four numbers, it has 3: browsers give it no area\n"
       "error: area 4 (rect): the shape \"oval\" is none of rect, circle, poly and default: browsers take it for "
       "a rectangle\n"
       "error: hotspot 5 (rect, b.html): no alternative text\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.areas);
    const std::string page = std::string("<map name=\"m\">") + c.areas + "</map>";
    htmlPtr doc = pageDocumentCreate();
    int crlf = 0;
    ASSERT_EQ(pageFeedBuffer(doc, page.data(), page.size(), &crlf), htmlSuccess);
    checkInput in;
    ASSERT_TRUE(checkInputFromPage(doc, "m", in));
    in.width = in.height = 100;
    std::string all;
    for (const checkFinding &f : run(in)) all += checkLine(f) + "\n";
    EXPECT_EQ(all, c.expected);
    htmlDestroy(doc);
  }
  // The editor's table: the kept area stands where it stood.
  const char *page = "<map name=\"m\"><area shape=\"rect\" coords=\"0,0,50,50\" href=\"a.html\" alt=\"A\">"
                     "<area shape=\"poly\" coords=\"1,2,3\" nohref>"
                     "<area shape=\"rect\" coords=\"60,60,70,70\" href=\"b.html\" alt=\"B\"></map>";
  htmlPtr doc = pageDocumentCreate();
  int crlf = 0;
  ASSERT_EQ(pageFeedBuffer(doc, page, std::strlen(page), &crlf), htmlSuccess);
  ASSERT_TRUE(LoadClientMap(doc, "m"));
  htmlDestroy(doc);
  checkInput in;
  checkInputFromTable(in);
  in.width = in.height = 100;
  ASSERT_EQ(in.areas.size(), 3u);
  EXPECT_EQ(in.areas[1].object, -1);
  EXPECT_EQ(in.areas[1].markup, "<area shape=\"poly\" coords=\"1,2,3\" nohref>");
  EXPECT_EQ(in.areas[2].object, 1);
  std::string all;
  for (const checkFinding &f : run(in)) all += checkLine(f) + "\n";
  EXPECT_EQ(all,
            "error: area 2 (poly): an odd number of coordinates (3): the last has no partner\n"
            "notice: hotspot 3 (rect, b.html): 10 x 10 pixels, smaller than the 44 x 44 that is easy to hit\n");
}

// Real pages: findings judged by hand. The pictures are not in the folder, so
// the sizes come from the img tags.
TEST_F(CheckTest, CorpusPages) {
  const char *corpus = std::getenv("TILVANE_CORPUS_DIR");
  if (!corpus || access((std::string(corpus) + "/html").c_str(), R_OK) != 0) GTEST_SKIP() << "no corpus";
  struct {
    const char *file, *map;
    const char *expected;  // lines that must be among the findings
  } cases[] = {
      // A circle of radius 56 under one of radius 78 at the same centre.
      {"tidy_case-1282835@0.html", "map1",
       "notice: hotspot 2 (circle, thecircle.html): only 48% of it can be clicked, hotspot 1 covers the rest\n"},
      {"tidy_case-1_1_9_1@0.html", "imagemap",
       "error: area 2 (poly, b.html): an odd number of coordinates (5): the last has no partner\n"
       "error: hotspot 3 (rect, c.html): the rectangle has no area: its width or height is 0\n"},
      // A 155 x 10 spacer and the 126 x 17 strip share one map.
      {"libxml2_wired.html", "navstrip.map",
       "warning: img at line 476, column 1 (http://static.wired.com/news/images/navstrip_off.gif): uses the same map at 126 x 17, "
       "but the map fits 155 x 10\n"},
      // The polygons start at x 699 on a picture shown 666 wide; the links are empty.
      {"cwps_crab_index.htm", "enter",
       "error: img at line 32, column 7 (index.jpg): the img tag has no alt attribute\n"
       "error: hotspot 1 (poly, inindex.htm): no alternative text\n"
       "error: hotspot 1 (poly, inindex.htm): wholly outside the picture\n"
       "warning: hotspot 2 (poly): an empty link: a click reloads the page (nohref makes a hotspot without a link)\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.file);
    std::FILE *f = std::fopen((std::string(corpus) + "/html/" + c.file).c_str(), "rb");
    ASSERT_TRUE(f);
    htmlPtr doc = pageDocumentCreate();
    int crlf = 0;
    ASSERT_EQ(pageFeed(doc, f, &crlf), htmlSuccess);
    std::fclose(f);
    checkInput in;
    ASSERT_TRUE(checkInputFromPage(doc, c.map, in));
    checkShownSize(checkPicture(doc, c.map), 0, 0, &in.width, &in.height);
    std::vector<checkFinding> out;
    checkPage(doc, c.map, 0, 0, 0, out);
    checkAreas(in, out, nullptr);
    std::string all;
    for (const checkFinding &x : out) all += checkLine(x) + "\n";
    for (size_t at = 0, next; at < std::strlen(c.expected); at = next + 1) {
      next = std::string(c.expected).find('\n', at);
      std::string line = std::string(c.expected).substr(at, next - at + 1);
      EXPECT_NE(all.find(line), std::string::npos) << line << "in\n" << all;
    }
    htmlDestroy(doc);
  }
}

}  // namespace
