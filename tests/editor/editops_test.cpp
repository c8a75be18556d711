// Tests of the editing operations: point dragging, the angle constraint, moving
// and resizing the selection, adding and removing points, align and expand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/commandids.h"
#include "editor/editops.h"
#include "editor/modes.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "html/document.h"
#include "platform/platform_scripted.h"
#include "tests/editor/editor_fixture.h"

namespace {

const char notConsecutive[] =
    "The two points you have selected are not consecutive. Select two consecutive points in the "
    "polygon (points that share an edge). The new point will appear between them.";
const char tooFew[] =
    "A polygon must have at least three points.If you wish to delete the entire hotspot, use "
    "\"Cut\" instead.";

std::vector<FPOINT> pointsOf(const object &o) { return std::vector<FPOINT>(o.points, o.points + o.pointsTotal); }

void expectPoints(const object &o, std::initializer_list<FPOINT> want) {
  ASSERT_EQ(o.pointsTotal, static_cast<int>(want.size()));
  int i = 0;
  for (const FPOINT &p : want) {
    EXPECT_EQ(o.points[i].x, p.x) << "point " << i;
    EXPECT_EQ(o.points[i].y, p.y) << "point " << i;
    i++;
  }
}

}  // namespace

TEST_F(EditorTest, DraggedVerticesMoveTogetherByThePointerMovement) {
  int p = addShape(polygon, {{0, 0}, {10, 0}, {50, 50}, {60, 50}, {0, 40}});
  selectOnly({p});
  pointSelect(&psel, 2);
  pointSelect(&psel, 3);
  ovx = ovy = 50;
  ObjectMoveSelectedPoints(&objects[p], 55, 48);
  expectPoints(objects[p], {{0, 0}, {10, 0}, {55, 48}, {65, 48}, {0, 40}});
  EXPECT_EQ(ovx, 55);
  EXPECT_EQ(ovy, 48);
  // An index past the vertices is reported and skipped.
  pointSelect(&psel, 9);
  ObjectMoveSelectedPoints(&objects[p], 56, 48);
  EXPECT_EQ(objects[p].points[2].x, 56);
  ASSERT_FALSE(scriptedMessages().empty());
  EXPECT_EQ(scriptedLastMessage().title, "DEBUG");
  EXPECT_EQ(scriptedLastMessage().text, "out of range value for pointSelected");
}

TEST_F(EditorTest, CircleRimSetsTheRadiusAndCentreMovesTheCircle) {
  int c = addCircle(100.0, 100.0, 110.0, 100.0);
  pointSelect(&psel, 1);
  ObjectMoveSelectedPoints(&objects[c], 103, 104);
  expectPoints(objects[c], {{100, 100}, {105, 100}});
  pointsDeselect(&psel);
  pointSelect(&psel, 0);
  ObjectMoveSelectedPoints(&objects[c], 120, 90);
  expectPoints(objects[c], {{120, 90}, {125, 90}});
  // A fractional centre lands on the pointer's pixel by whole steps.
  objects[c].points[0] = {10.5, 10.5};
  objects[c].points[1] = {20.5, 10.5};
  ObjectMoveSelectedPoints(&objects[c], 15, 12);
  expectPoints(objects[c], {{14.5, 11.5}, {24.5, 11.5}});
}

TEST_F(EditorTest, RectangleCornersAndCentreFollowThePointer) {
  struct {
    int index;
    std::vector<FPOINT> want;
  } cases[] = {
      {0, {{5, 6}, {40, 30}}},
      {1, {{10, 6}, {5, 30}}},
      {2, {{10, 20}, {5, 6}}},
      {3, {{5, 20}, {40, 6}}},
      {4, {{-10, 1}, {20, 11}}},  // centre (25, 25) moves to (5, 6)
  };
  for (const auto &tc : cases) {
    ReleaseObjects();
    objectsSetup();
    int r = addRect(10, 20, 40, 30);
    pointsDeselect(&psel);
    pointSelect(&psel, tc.index);
    pointSelect(&psel, tc.index == 0 ? 2 : 0);  // only the first listed point counts
    ObjectMoveSelectedPoints(&objects[r], 5, 6);
    std::vector<FPOINT> got = pointsOf(objects[r]);
    ASSERT_EQ(got.size(), 2u);
    for (int i = 0; i < 2; i++) {
      EXPECT_EQ(got[i].x, tc.want[i].x) << "corner " << tc.index;
      EXPECT_EQ(got[i].y, tc.want[i].y) << "corner " << tc.index;
    }
  }
}

TEST_F(EditorTest, AngleConstraintSnapsToSteps) {
  int p = addShape(polygon, {{0, 0}, {20, 20}});
  struct {
    int x, y, wantX, wantY;
  } cases[] = {
      {10, 3, 10, 4},     // 16.7 degrees: 22.5, x kept
      {1, 10, 0, 10},     // 84.3: vertical
      {5, 0, 5, 0},       // horizontal stays
      {10, 1, 10, 0},     // 5.7: 0 degrees
      {-10, -3, -10, -4}, // any quadrant
      {7, 7, 7, 7},       // 45
      {3, 10, 4, 10},     // 73.3: 67.5, y kept
      {10, -11, 11, -11}, // 47.7: 45, y kept
  };
  for (const auto &tc : cases) {
    int x = tc.x, y = tc.y;
    angleConstrainEx(&objects[p], &x, &y, 1);  // reference: vertex 0
    EXPECT_EQ(x, tc.wantX) << tc.x << "," << tc.y;
    EXPECT_EQ(y, tc.wantY) << tc.x << "," << tc.y;
  }
  // Index 0 refers to the last stored point, as does drawing (p = pointsTotal).
  int x = 30, y = 23;  // (10, 3) from (20, 20)
  angleConstrainEx(&objects[p], &x, &y, 0);
  EXPECT_EQ(x, 30);
  EXPECT_EQ(y, 24);
  x = 30;
  y = 23;
  angleConstrain(&objects[p], &x, &y);
  EXPECT_EQ(y, 24);
}

TEST_F(EditorTest, AngleConstraintOnRectanglesReadsOnlyStoredCorners) {
  int r = addRect(0, 0, 20, 20);
  int x = 40, y = 22;  // corner 3 against corner 2 at (20, 20)
  angleConstrainEx(&objects[r], &x, &y, 3);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 20);
  x = 13;
  y = 17;  // the centre is not constrained
  angleConstrainEx(&objects[r], &x, &y, 4);
  EXPECT_EQ(x, 13);
  EXPECT_EQ(y, 17);
  // A stale index past the stored points uses the last stored one.
  int p = addShape(polygon, {{0, 0}, {10, 0}, {10, 10}});
  x = 30;
  y = 11;
  angleConstrainEx(&objects[p], &x, &y, 40);
  EXPECT_EQ(y, 10);
  object empty = objects[objectsTotal];
  x = 1;
  y = 2;
  angleConstrainEx(&empty, &x, &y, 0);
  EXPECT_EQ(x, 1);
}

TEST_F(EditorTest, ShiftDragOfAVertexSnapsAgainstItsPredecessor) {
  int p = addShape(polygon, {{0, 0}, {20, 0}, {20, 20}});
  selectOnly({p});
  state = editing;
  imageLeftPress(20, 0, 0, 0);  // picks vertex 1, sets ovx, ovy
  EXPECT_EQ(psel.points[0], 1);
  imagePointerMove(10, 3, 1, 1, 0);
  EXPECT_EQ(objects[p].points[1].x, 10);
  EXPECT_EQ(objects[p].points[1].y, 4);
  imagePointerMove(12, 3, 1, 0, 0);  // without shift: free
  EXPECT_EQ(objects[p].points[1].x, 12);
  EXPECT_EQ(objects[p].points[1].y, 3);
}

TEST_F(EditorTest, ResizeScalesAboutTheCentreAndKeepsTheRatioWithShift) {
  addRect(0, 0, 100, 50);
  addRect(200, 50, 300, 100);
  selectOnly({0, 1});  // box (0,0)-(300,100), centre (150, 50)
  editResizeBegin();
  EXPECT_EQ(editingState, editingResizing);
  EXPECT_EQ(mfactorx, 150);
  EXPECT_EQ(mfactory, 50);
  EXPECT_EQ(objects[0].points[0].x, -150);
  EXPECT_EQ(resizeOriginalSet, 0);
  SelectionResizeTo(450, 150);  // half-size 150 x 50 becomes 300 x 100
  EXPECT_DOUBLE_EQ(rfactorx, 2.0);
  EXPECT_DOUBLE_EQ(rfactory, 2.0);
  EXPECT_EQ(logged("repaint 2"), 1);
  keyShift = 1;
  SelectionResizeTo(450, 60);  // ratio held at that of the first motion
  EXPECT_DOUBLE_EQ(rfactorx, 2.0);
  EXPECT_DOUBLE_EQ(rfactory, 2.0);
  keyShift = 0;
  SelectionResizeTo(150, 75);  // pointer on the centre's x: factor 1, not 0
  EXPECT_DOUBLE_EQ(rfactorx, 1.0);
  EXPECT_DOUBLE_EQ(rfactory, 0.5);
  SelectionResizeOfficial();
  expectPoints(objects[0], {{0, 25}, {100, 50}});
  expectPoints(objects[1], {{200, 50}, {300, 75}});
  EXPECT_EQ(rfactorx, 1.0);
  EXPECT_EQ(mfactory, 0);
  undoRestore();
  expectPoints(objects[0], {{0, 0}, {100, 50}});
  expectPoints(objects[1], {{200, 50}, {300, 100}});
}

TEST_F(EditorTest, ResizePastTheCentreFlipsTheSelection) {
  addShape(polygon, {{0, 0}, {100, 0}, {50, 50}});
  selectOnly({0});
  editResizeBegin();  // centre (50, 25), half-size 50 x 25
  SelectionResizeTo(0, 0);
  EXPECT_DOUBLE_EQ(rfactorx, -1.0);
  EXPECT_DOUBLE_EQ(rfactory, -1.0);
  SelectionResizeOfficial();
  expectPoints(objects[0], {{100, 50}, {0, 50}, {50, 0}});
}

TEST_F(EditorTest, MoveKeepsTheBoxCentreOnThePointer) {
  addRect(0, 0, 10, 10);
  addCircle(50, 50, 60, 50);
  selectOnly({0, 1});  // box (0,0)-(60,60), centre (30, 30)
  SelectionResizeUndoSave();
  SelectionMoveTo(40, 35);
  EXPECT_EQ(mfactorx, 10);
  EXPECT_EQ(mfactory, 5);
  SelectionMoveTo(40, 35);  // the pending offset counts: no further change
  EXPECT_EQ(mfactorx, 10);
  SelectionMoveTo(20, 20);
  SelectionResizeOfficial();
  expectPoints(objects[0], {{-10, -10}, {0, 0}});
  expectPoints(objects[1], {{40, 40}, {50, 40}});
}

TEST_F(EditorTest, AddpointsInsertsTheMidpointBetweenConsecutivePoints) {
  int p = addShape(polygon, {{0, 0}, {10, 0}, {10, 10}, {5, 15}, {0, 10}});
  selectOnly({p});
  pointSelect(&psel, 0);
  pointSelect(&psel, 4);
  Addpoints();
  expectPoints(objects[p], {{0, 0}, {10, 0}, {10, 10}, {5, 15}, {0, 10}, {0, 5}});
  EXPECT_EQ(psel.total, 1);
  EXPECT_EQ(psel.points[0], 5);
  EXPECT_TRUE(logged("sensitivity 1"));
  ASSERT_NE(undoLast, nullptr);
  // Consecutive: after the smaller index, the midpoint truncated.
  pointsDeselect(&psel);
  pointSelect(&psel, 3);
  pointSelect(&psel, 2);
  Addpoints();
  EXPECT_EQ(objects[p].pointsTotal, 7);
  EXPECT_EQ(objects[p].points[3].x, 7);
  EXPECT_EQ(objects[p].points[3].y, 12);
  EXPECT_EQ(psel.points[0], 3);
  // Not consecutive: the warning, and nothing changes.
  pointsDeselect(&psel);
  pointSelect(&psel, 1);
  pointSelect(&psel, 3);
  undoStruct *before = undoLast;
  Addpoints();
  EXPECT_EQ(objects[p].pointsTotal, 7);
  EXPECT_EQ(undoLast, before);
  EXPECT_EQ(scriptedLastMessage().title, "Tilvane");
  EXPECT_EQ(scriptedLastMessage().text, notConsecutive);
  EXPECT_EQ(scriptedLastMessage().flags & MB_ICONMASK, static_cast<unsigned>(MB_ICONWARNING));
  undoRestore();
  undoRestore();
  EXPECT_EQ(objects[p].pointsTotal, 5);
}

TEST_F(EditorTest, AddpointsOnRectanglesAndCircles) {
  int r = addRect(10, 20, 50, 40);
  selectOnly({r});
  pointSelect(&psel, 0);
  pointSelect(&psel, 3);
  Addpoints();
  EXPECT_EQ(objects[r].t, polygon);
  expectPoints(objects[r], {{10, 20}, {50, 20}, {50, 40}, {10, 40}, {10, 30}});
  // The centre shares no edge with a corner.
  int r2 = addRect(0, 0, 10, 10);
  selectOnly({r2});
  pointSelect(&psel, 3);
  pointSelect(&psel, 4);
  Addpoints();
  EXPECT_EQ(objects[r2].t, rectangle);
  EXPECT_EQ(scriptedLastMessage().text, notConsecutive);
  // Circles, a single point, several hotspots: nothing.
  int c = addCircle(0, 0, 5, 0);
  selectOnly({c});
  pointSelect(&psel, 0);
  pointSelect(&psel, 1);
  size_t shown = scripted.shown.size();
  Addpoints();
  EXPECT_EQ(objects[c].pointsTotal, 2);
  selectOnly({r, r2});
  pointSelect(&psel, 0);
  pointSelect(&psel, 1);
  Addpoints();
  EXPECT_EQ(objects[r].pointsTotal, 5);
  EXPECT_EQ(scripted.shown.size(), shown);
}

TEST_F(EditorTest, AddAndRemovePointsTouchOnlyPointsThatExist) {
  // A rectangle read with a single corner has no points to join or remove.
  int r = addShape(rectangle, {{5, 5}});
  selectOnly({r});
  pointSelect(&psel, 1);
  pointSelect(&psel, 2);
  Addpoints();
  pointsDeselect(&psel);
  pointSelect(&psel, 0);
  Removepoints();
  EXPECT_EQ(objects[r].t, rectangle);
  expectPoints(objects[r], {{5, 5}});
  EXPECT_EQ(undoLast, nullptr);
  // An Undo that leaves no hotspot current leaves no points selected either.
  int p = addShape(polygon, {{0, 0}, {40, 0}, {40, 40}, {0, 40}});
  selectOnly({p});
  pointSelect(&psel, 1);
  pointSelect(&psel, 2);
  undoSave(undoChanged, p);
  objectRemove(p);
  undoRestore();
  EXPECT_EQ(lastObjectSelected, -1);
  EXPECT_EQ(pointsSelected(&psel), 0);
}

TEST_F(EditorTest, RemovepointsKeepsAtLeastThreeVertices) {
  int r = addRect(10, 20, 50, 40);
  selectOnly({r});
  pointSelect(&psel, 1);
  Removepoints();
  EXPECT_EQ(objects[r].t, polygon);
  expectPoints(objects[r], {{10, 20}, {50, 40}, {10, 40}});
  EXPECT_EQ(psel.total, 0);
  pointSelect(&psel, 0);
  size_t shown = scripted.shown.size();
  Removepoints();  // would leave two
  EXPECT_EQ(objects[r].pointsTotal, 3);
  ASSERT_EQ(scripted.shown.size(), shown + 1);
  EXPECT_EQ(scriptedLastMessage().title, "Tilvane");
  EXPECT_EQ(scriptedLastMessage().text, tooFew);
  undoRestore();
  EXPECT_EQ(objects[r].t, rectangle);

  int r2 = addRect(0, 0, 10, 10);
  selectOnly({r2});
  pointSelect(&psel, 0);
  pointSelect(&psel, 2);
  undoStruct *before = undoLast;
  Removepoints();
  EXPECT_EQ(objects[r2].t, rectangle);
  EXPECT_EQ(scriptedLastMessage().text, tooFew);
  EXPECT_EQ(undoLast, before);
  // The centre is not a corner: nothing happens, nothing is said.
  pointsDeselect(&psel);
  pointSelect(&psel, 4);
  shown = scripted.shown.size();
  Removepoints();
  EXPECT_EQ(objects[r2].t, rectangle);
  EXPECT_EQ(scripted.shown.size(), shown);
  EXPECT_EQ(undoLast, before);

  int p = addShape(polygon, {{0, 0}, {1, 0}, {2, 0}, {3, 3}, {0, 3}});
  selectOnly({p});
  pointSelect(&psel, 3);
  pointSelect(&psel, 1);
  Removepoints();
  expectPoints(objects[p], {{0, 0}, {2, 0}, {0, 3}});
}

TEST_F(EditorTest, AlignMovesEachHotspotToTheSelectionsEdge) {
  struct {
    int action;
    std::vector<FPOINT> first, second;
  } cases[] = {
      {cmdAlignTop, {{10, 5}, {20, 15}}, {{30, 5}, {40, 15}}},
      {cmdAlignBottom, {{10, 10}, {20, 20}}, {{30, 10}, {40, 20}}},
      {cmdAlignLeft, {{10, 10}, {20, 20}}, {{10, 5}, {20, 15}}},
      {cmdAlignRight, {{30, 10}, {40, 20}}, {{30, 5}, {40, 15}}},
      {cmdExpandTop, {{10, 5}, {20, 20}}, {{30, 5}, {40, 15}}},
      {cmdExpandBottom, {{10, 10}, {20, 20}}, {{30, 5}, {40, 20}}},
      {cmdExpandLeft, {{10, 10}, {20, 20}}, {{10, 5}, {40, 15}}},
      {cmdExpandRight, {{10, 10}, {40, 20}}, {{30, 5}, {40, 15}}},
  };
  for (const auto &tc : cases) {
    undoPurge();
    ReleaseObjects();
    objectsSetup();
    addRect(10, 10, 20, 20);
    addRect(30, 5, 40, 15);
    selectOnly({0, 1});
    Align(tc.action);
    for (int i = 0; i < 2; i++) {
      EXPECT_EQ(objects[0].points[i].x, tc.first[i].x) << tc.action;
      EXPECT_EQ(objects[0].points[i].y, tc.first[i].y) << tc.action;
      EXPECT_EQ(objects[1].points[i].x, tc.second[i].x) << tc.action;
      EXPECT_EQ(objects[1].points[i].y, tc.second[i].y) << tc.action;
    }
    undoRestore();  // one step restores both
    EXPECT_EQ(objects[0].points[0].x, 10) << tc.action;
    EXPECT_EQ(objects[1].points[1].y, 15) << tc.action;
    EXPECT_EQ(undoLast, nullptr) << tc.action;
  }
}

TEST_F(EditorTest, ExpandHandlesCirclesAndHotspotsWithoutExtent) {
  int c = addCircle(50, 50, 55, 50);
  int flat = addShape(polygon, {{0, 30}, {10, 30}, {20, 30}});  // no height
  int r = addRect(100, 0, 120, 100);
  selectOnly({c, flat, r});  // box (0, 0)-(120, 100)
  Align(cmdExpandTop);
  expectPoints(objects[c], {{50, 50}, {50, 100}});  // radius 50 reaches y = 0
  expectPoints(objects[flat], {{0, 30}, {10, 30}, {20, 30}});
  expectPoints(objects[r], {{100, 0}, {120, 100}});
  Align(cmdExpandRight);
  expectPoints(objects[c], {{50, 50}, {120, 50}});
  expectPoints(objects[flat], {{0, 30}, {60, 30}, {120, 30}});
  // A single hotspot is not aligned.
  selectOnly({r});
  Align(cmdAlignTop);
  expectPoints(objects[r], {{100, 0}, {120, 100}});
  // A point-sized circle and a vertical line keep their size across.
  int dot = addCircle(5, 5, 5, 5);
  int line = addShape(polygon, {{7, 0}, {7, 10}, {7, 20}});
  selectOnly({dot, line, r});
  Align(cmdExpandLeft);
  expectPoints(objects[dot], {{5, 5}, {5, 5}});
  expectPoints(objects[line], {{7, 0}, {7, 10}, {7, 20}});
  expectPoints(objects[r], {{5, 0}, {120, 100}});
}

TEST_F(EditorTest, ArrowKeysNudgeHotspotsOrTheirPointsInOneUndoStep) {
  state = editing;
  editingPressHeld = 0;
  const int r = addRect(10, 10, 50, 40), c = addCircle(100, 100, 120, 100), p = addShape(polygon, {{0, 0}, {9, 0}, {5, 8}});
  struct {
    const char *what;
    std::vector<int> hotspots, points;
    int dx, dy;
    std::vector<std::vector<FPOINT>> want;  // r, c, p afterwards
  } cases[] = {
      {"two hotspots", {r, p}, {}, 3, 10, {{{13, 20}, {53, 50}}, {{100, 100}, {120, 100}}, {{3, 10}, {12, 10}, {8, 18}}}},
      {"a polygon's vertex", {p}, {2}, -1, 0, {{{10, 10}, {50, 40}}, {{100, 100}, {120, 100}}, {{0, 0}, {9, 0}, {4, 8}}}},
      {"a circle's rim", {c}, {1}, 5, 0, {{{10, 10}, {50, 40}}, {{100, 100}, {125, 100}}, {{0, 0}, {9, 0}, {5, 8}}}},
      {"a rectangle's corner", {r}, {2}, 0, 1, {{{10, 10}, {50, 41}}, {{100, 100}, {120, 100}}, {{0, 0}, {9, 0}, {5, 8}}}},
  };
  for (const auto &k : cases) {
    SCOPED_TRACE(k.what);
    while (undoLast) Undo(1);
    selectOnly({});
    for (int i : k.hotspots) objects[i].selected = 1;
    lastObjectSelected = k.hotspots.back();
    pointsDeselect(&psel);
    for (int i : k.points) pointSelect(&psel, i);
    // The nudge is split over two presses: one undo step all the same.
    ASSERT_TRUE(nudgeSelection(k.dx, 0));
    ASSERT_TRUE(nudgeSelection(0, k.dy));
    for (int i : {r, c, p}) {
      ASSERT_EQ(objects[i].pointsTotal, static_cast<int>(k.want[i].size()));
      for (size_t j = 0; j < k.want[i].size(); j++) {
        EXPECT_EQ(objects[i].points[j].x, k.want[i][j].x) << i << " " << j;
        EXPECT_EQ(objects[i].points[j].y, k.want[i][j].y) << i << " " << j;
      }
    }
    Undo(1);
    EXPECT_EQ(undoLast, nullptr);
    EXPECT_EQ(objects[r].points[1].y, 40);
    EXPECT_EQ(objects[p].points[2].x, 5);
    EXPECT_EQ(objects[c].points[1].x, 120);
  }
  // Nothing selected, or another tool: the keys move nothing (they scroll).
  selectOnly({});
  EXPECT_FALSE(nudgeSelection(1, 0));
  selectOnly({r});
  state = rectPosition;
  EXPECT_FALSE(nudgeSelection(1, 0));
}

TEST_F(EditorTest, TabGoesRoundTheHotspotsInMapOrder) {
  state = editing;
  editingPressHeld = 0;
  addRect(0, 0, 10, 10);
  addRect(20, 0, 30, 10);
  addRect(40, 0, 50, 10);
  selectOnly({});
  std::vector<int> order;
  for (int i = 0; i < 4; i++) {
    ASSERT_TRUE(selectNextHotspot(1));
    order.push_back(lastObjectSelected);
  }
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0}));
  EXPECT_EQ(objectsSelected(), 1);
  ASSERT_TRUE(selectNextHotspot(0));
  EXPECT_EQ(lastObjectSelected, 2);
  selectOnly({});
  ASSERT_TRUE(selectNextHotspot(0));  // Shift+Tab from nothing: the last one
  EXPECT_EQ(lastObjectSelected, 2);
  EXPECT_EQ(selectionAnnouncement(), "Rectangle 3 of 3, link none");
  state = rectDrag;  // a shape being drawn keeps Tab for itself
  EXPECT_FALSE(hotspotTabKey(1));
}

// --- the order of the map ------------------------------------------------------

namespace {

// The links of the hotspots in map order, as one string ("abcde").
std::string mapOrder() {
  std::string out;
  for (int i = 0; i < objectsTotal; i++) out += objects[i].url ? objects[i].url : "?";
  return out;
}

}  // namespace

TEST_F(EditorTest, StackingCommandsKeepTheSelectionsOwnOrderAndUndoInOneStep) {
  struct Case {
    unsigned id;
    std::vector<int> selected;  // the last one current
    const char *want;
    char current;  // the link of the current hotspot afterwards
  } cases[] = {
      {cmdBringToFront, {3}, "dabce", 'd'},
      {cmdBringToFront, {4, 2}, "ceabd", 'c'},
      {cmdBringToFront, {0, 1}, "abcde", 'b'},  // already in front: no step
      {cmdSendToBack, {1}, "acdeb", 'b'},
      {cmdSendToBack, {0, 3}, "bcead", 'd'},
      {cmdBringForward, {2}, "acbde", 'c'},
      {cmdBringForward, {2, 3}, "acdbe", 'd'},
      {cmdBringForward, {0, 2}, "acbde", 'c'},   // the first stays first, the other passes one
      {cmdSendBackward, {1}, "acbde", 'b'},
      {cmdSendBackward, {1, 2}, "adbce", 'c'},
      {cmdSendBackward, {4}, "abcde", 'e'},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " " + c.want);
    TearDown();
    SetUp();
    for (const char *u : {"a", "b", "c", "d", "e"}) addRect(0, 0, 10, 10, u);
    state = editing;
    for (int i : c.selected) {
      objects[i].selected = 1;
      lastObjectSelected = i;
    }
    const bool moves = std::string(c.want) != "abcde";
    EXPECT_EQ(Arrange(static_cast<int>(c.id)), moves ? 1 : 0);
    EXPECT_EQ(mapOrder(), c.want);
    ASSERT_GE(lastObjectSelected, 0);
    EXPECT_EQ(objects[lastObjectSelected].url[0], c.current);
    EXPECT_EQ(objectsSelected(), static_cast<int>(c.selected.size()));
    EXPECT_EQ(changed, moves ? 1 : 0);
    EXPECT_EQ(undoLast != nullptr, moves);
    if (!moves) continue;
    Undo(1);
    EXPECT_EQ(mapOrder(), "abcde");
    EXPECT_EQ(lastObjectSelected, c.selected.back());
    EXPECT_EQ(undoLast, nullptr);
    Redo(1);
    EXPECT_EQ(mapOrder(), c.want);
    EXPECT_EQ(objects[lastObjectSelected].url[0], c.current);
  }
}

TEST_F(EditorTest, DraggedRowsLandBeforeTheirTargetInTheirOwnOrder) {
  struct Case {
    std::vector<int> selected;
    int before;
    const char *want;
  } cases[] = {
      {{3}, 0, "dabce"}, {{0}, 5, "bcdea"}, {{0, 4}, 2, "baecd"}, {{1, 2}, 4, "adbce"}, {{2}, 2, "abcde"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.want);
    TearDown();
    SetUp();
    for (const char *u : {"a", "b", "c", "d", "e"}) addRect(0, 0, 10, 10, u);
    for (int i : c.selected) {
      objects[i].selected = 1;
      lastObjectSelected = i;
    }
    arrangeMoveSelectionBefore(c.before);
    EXPECT_EQ(mapOrder(), c.want);
  }
  // An order that names a hotspot twice is refused.
  EXPECT_EQ(objectsReorder({0, 0, 1, 2, 3}), 0);
  EXPECT_EQ(objectsReorder({0, 1}), 0);
}
