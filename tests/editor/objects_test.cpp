// Tests of the hotspot table and the geometry of one hotspot.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "editor/modes.h"
#include "editor/objects.h"
#include "platform/strhack.h"
#include "platform/platform_scripted.h"
#include "tests/editor/editor_fixture.h"

namespace {

object makeShape(int t, std::initializer_list<FPOINT> pts) {
  object o;
  std::memset(&o, 0, sizeof o);
  o.t = t;
  o.pointsSpace = 64;
  o.points = static_cast<FPOINT *>(mymallocImpl(sizeof(FPOINT) * 64));
  for (const FPOINT &p : pts) o.points[o.pointsTotal++] = p;
  return o;
}

struct Shape {
  object o;
  Shape(int t, std::initializer_list<FPOINT> pts) : o(makeShape(t, pts)) {}
  ~Shape() { objectDataFree(&o); }
};

}  // namespace

TEST(Geometry, RectangleInEitherCornerOrderIncludesAllEdges) {
  Shape r(rectangle, {{50, 40}, {10, 20}});
  EXPECT_TRUE(objectContainsPoint(&r.o, 10, 20));
  EXPECT_TRUE(objectContainsPoint(&r.o, 50, 40));
  EXPECT_TRUE(objectContainsPoint(&r.o, 30, 30));
  EXPECT_FALSE(objectContainsPoint(&r.o, 51, 30));
  EXPECT_FALSE(objectContainsPoint(&r.o, 30, 19));
  bounds b = objectGetBounds(&r.o);
  EXPECT_EQ(b.x1, 10);
  EXPECT_EQ(b.y1, 20);
  EXPECT_EQ(b.x2, 50);
  EXPECT_EQ(b.y2, 40);
}

TEST(Geometry, CircleRadiusTruncatesTheRimOffsets) {
  Shape c(circle, {{100, 100}, {103.9, 104.9}});
  EXPECT_EQ(objectRadius(&c.o), 5);
  EXPECT_TRUE(objectContainsPoint(&c.o, 105, 100));
  EXPECT_FALSE(objectContainsPoint(&c.o, 106, 100));
  EXPECT_TRUE(objectContainsPoint(&c.o, 97, 96));  // 3,4 away: on the edge
  bounds b = objectGetBounds(&c.o);
  EXPECT_EQ(b.x1, 95);
  EXPECT_EQ(b.y1, 95);
  EXPECT_EQ(b.x2, 105);
  EXPECT_EQ(b.y2, 105);
  // The offset from the centre truncates too: 94.5 is 5.5 away, taken as 5.
  Shape c2(circle, {{100.5, 100}, {105.5, 100}});
  EXPECT_TRUE(objectContainsPoint(&c2.o, 95, 100));
}

TEST(Geometry, PolygonKeepsLeftAndTopEdgesOnly) {
  Shape p(polygon, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  EXPECT_TRUE(objectContainsPoint(&p.o, 0, 0));
  EXPECT_TRUE(objectContainsPoint(&p.o, 5, 5));
  EXPECT_TRUE(objectContainsPoint(&p.o, 9, 9));
  EXPECT_FALSE(objectContainsPoint(&p.o, 10, 5));
  EXPECT_FALSE(objectContainsPoint(&p.o, 5, 10));
  EXPECT_FALSE(objectContainsPoint(&p.o, -1, 5));
  // A concave polygon: the notch is outside (even-odd rule).
  Shape u(polygon, {{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10}, {10, 10}, {10, 30}, {0, 30}});
  EXPECT_TRUE(objectContainsPoint(&u.o, 5, 20));
  EXPECT_FALSE(objectContainsPoint(&u.o, 15, 20));
  EXPECT_TRUE(objectContainsPoint(&u.o, 25, 20));
  // Degenerate polygons never crash and contain nothing.
  Shape line(polygon, {{0, 0}, {10, 10}});
  EXPECT_FALSE(objectContainsPoint(&line.o, 5, 5));
  Shape none(polygon, {});
  EXPECT_FALSE(objectContainsPoint(&none.o, 0, 0));
  Shape empty(notype, {});
  EXPECT_FALSE(objectContainsPoint(&empty.o, 0, 0));
}

TEST(Geometry, HugeAndNonNumberCoordinatesStayDefined) {
  Shape c(circle, {{1e300, -1e300}, {-1e300, 1e300}});
  bounds b = objectGetBounds(&c.o);
  EXPECT_LE(b.x1, b.x2);
  (void)objectContainsPoint(&c.o, 0, 0);
  Shape r(rectangle, {{0.0 / 0.0, 0}, {10, 10}});
  (void)objectContainsPoint(&r.o, 5, 5);
  b = objectGetBounds(&r.o);
  EXPECT_EQ(truncToInt(1e12), 2147483647);
  EXPECT_EQ(truncToInt(-1e12), -2147483647);
  EXPECT_EQ(truncToInt(-2.7), -2);
  EXPECT_EQ(distanceToPoint(-2147483647, -2147483647, 2147483647, 2147483647), 2147483647);
}

TEST(Geometry, PromoteToPolygonOnlyChangesRectangles) {
  Shape r(rectangle, {{10, 20}, {50, 40}});
  promoteToPolygon(&r.o);
  ASSERT_EQ(r.o.t, polygon);
  ASSERT_EQ(r.o.pointsTotal, 4);
  const double want[4][2] = {{10, 20}, {50, 20}, {50, 40}, {10, 40}};
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(r.o.points[i].x, want[i][0]);
    EXPECT_EQ(r.o.points[i].y, want[i][1]);
  }
  Shape c(circle, {{10, 20}, {50, 40}});
  promoteToPolygon(&c.o);
  EXPECT_EQ(c.o.t, circle);
  EXPECT_EQ(c.o.pointsTotal, 2);
}

TEST(Geometry, DistanceToClosestPrefersTheFirstOfEqualTruncatedDistances) {
  FPOINT p[] = {{10.9, 0}, {0, 10.2}, {3, 4}};
  int d = -1;
  EXPECT_EQ(distanceToClosest(p, 2, 0, 0, &d), 0);  // both truncate to 10
  EXPECT_EQ(d, 10);
  EXPECT_EQ(distanceToClosest(p, 3, 0, 0, &d), 2);
  EXPECT_EQ(d, 5);
  EXPECT_EQ(distanceToClosest(p, 0, 0, 0, &d), 0);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(distanceToPoint(0, 0, 3, 4), 5);
  EXPECT_EQ(distanceToPoint(0, 0, 1, 1), 1);
}

TEST(Geometry, AngleHelpers) {
  EXPECT_NEAR(sind(30), 0.5, 1e-7);
  EXPECT_NEAR(cosd(60), 0.5, 1e-7);
  EXPECT_EQ(sind(90), std::sin(90 * 0.0174532925));
  EXPECT_EQ(fsign(0.0), 1.0);
  EXPECT_EQ(fsign(-0.1), -1.0);
  EXPECT_EQ(fsign(3), 1.0);
}

TEST_F(EditorTest, TableGrowsByDoublingAndSetsUpNewRecords) {
  EXPECT_EQ(objectsSpace, 64);
  EXPECT_EQ(objectsTotal, 0);
  for (int i = 0; i < 64; i++) {
    EXPECT_EQ(objects[i].pointsSpace, 64);
    EXPECT_EQ(objects[i].lastState, nostate);
  }
  objects[3].t = circle;
  objects[3].pointsTotal = 2;
  objects[3].points[0] = {7, 8};
  objectsEnsure(64);
  EXPECT_EQ(objectsSpace, 128);
  EXPECT_EQ(objects[3].t, circle);
  EXPECT_EQ(objects[3].points[0].x, 7);
  for (int i = 64; i < 128; i++) {
    ASSERT_NE(objects[i].points, nullptr);
    EXPECT_EQ(objects[i].pointsSpace, 64);
    EXPECT_EQ(objects[i].t, notype);
    EXPECT_EQ(objects[i].url, nullptr);
  }
  objectsEnsure(300);
  EXPECT_EQ(objectsSpace, 512);
  objects[10].t = rectangle;
  objectsEnsure(10);
  EXPECT_EQ(objects[10].t, notype);
  EXPECT_EQ(objectsSpace, 512);
  objectsEnsure(-5);  // ignored
  EXPECT_EQ(objectsSpace, 512);
}

TEST_F(EditorTest, PointsEnsureDoublesUntilTheIndexFits) {
  object *o = &objects[0];
  o->pointsTotal = 3;
  o->points[2] = {5, 6};
  pointsEnsure(o, 63);
  EXPECT_EQ(o->pointsSpace, 64);
  pointsEnsure(o, 64);
  EXPECT_EQ(o->pointsSpace, 128);
  pointsEnsure(o, 1000);
  EXPECT_EQ(o->pointsSpace, 1024);
  EXPECT_EQ(o->points[2].y, 6);
  // A record whose buffer was released gets a new one.
  objectDataFree(o);
  pointsEnsure(o, 0);
  ASSERT_NE(o->points, nullptr);
  o->points[0] = {1, 1};
}

TEST_F(EditorTest, DeepCopiesOwnTheirPointsAndStrings) {
  object *o = &objects[0];
  o->t = polygon;
  o->pointsTotal = 3;
  o->points[0] = {1, 2};
  o->url = mystrdupImpl("t", "a.html");
  o->comments = mystrdupImpl("t", "");
  o->lead = 7;
  object c;
  objectDataCopy(&c, o);
  EXPECT_NE(c.points, o->points);
  EXPECT_NE(c.url, o->url);
  EXPECT_STREQ(c.url, "a.html");
  EXPECT_STREQ(c.comments, "");
  EXPECT_EQ(c.title, nullptr);
  EXPECT_EQ(c.lead, 7);
  EXPECT_EQ(c.pointsSpace, o->pointsSpace);
  o->points[0].x = 99;
  EXPECT_EQ(c.points[0].x, 1);
  objectDataFree(&c);
  EXPECT_EQ(c.points, nullptr);
  EXPECT_EQ(c.url, nullptr);
  EXPECT_EQ(c.t, polygon);  // the shape stays
}

TEST_F(EditorTest, RemoveAndInsertKeepEveryRecordsBuffer) {
  addRect(0, 0, 10, 10, "a");
  addRect(20, 0, 30, 10, "b");
  addRect(40, 0, 50, 10, "c");
  FPOINT *bufferOfB = objects[1].points;
  objects[1].lead = 4;
  objects[1].lastState = editing;
  ASSERT_TRUE(objectRemove(1));
  EXPECT_EQ(objectsTotal, 2);
  EXPECT_STREQ(objects[0].url, "a");
  EXPECT_STREQ(objects[1].url, "c");
  // The emptied record is parked behind the spare one, keeping its buffer.
  EXPECT_EQ(objects[3].points, bufferOfB);
  EXPECT_EQ(objects[3].t, notype);
  EXPECT_EQ(objects[3].pointsTotal, 0);
  EXPECT_EQ(objects[3].url, nullptr);
  EXPECT_EQ(objects[3].lead, 4);
  EXPECT_EQ(objects[3].lastState, editing);
  EXPECT_FALSE(objectRemove(2));
  EXPECT_FALSE(objectRemove(-1));

  Shape s(circle, {{5, 5}, {8, 5}});
  s.o.url = mystrdupImpl("t", "x");
  EXPECT_EQ(objectInsertCopy(0, &s.o), 0);
  EXPECT_EQ(objectsTotal, 3);
  EXPECT_STREQ(objects[0].url, "x");
  EXPECT_NE(objects[0].url, s.o.url);
  EXPECT_STREQ(objects[1].url, "a");
  EXPECT_STREQ(objects[2].url, "c");
  EXPECT_EQ(objectInsertCopy(99, &s.o), 3);  // past the end: appended
  EXPECT_EQ(objectsTotal, 4);
  // Every allocated record still owns a distinct buffer.
  for (int i = 0; i < objectsSpace; i++)
    for (int j = i + 1; j < objectsSpace; j++) {
      if (objects[i].points) {
        ASSERT_NE(objects[i].points, objects[j].points);
      }
    }
}
