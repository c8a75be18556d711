// Tests of the point selection, selecting hotspots by click and rubber band,
// picking points and handles, and the press/motion/release of Test+Edit.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "editor/commandids.h"
#include "editor/editops.h"
#include "editor/hotspotlist.h"
#include "editor/modes.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "html/document.h"
#include "platform/strhack.h"
#include "tests/editor/editor_fixture.h"

namespace {

std::vector<int> listOf(const pointSelection &ps) { return std::vector<int>(ps.points, ps.points + ps.total); }

void setList(pointSelection *ps, std::initializer_list<int> v) {
  pointsDeselect(ps);
  for (int i : v) pointSelect(ps, i);
}

// The selection scan as a user would describe it: every pixel of the box, row
// by row, every hotspot in table order.
struct scanResult {
  std::vector<int> selected;
  int last;
  int hit;
  int redraw;
};

scanResult directScan(int x1, int y1, int x2, int y2, int toggle) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const bool single = x1 == x2 && y1 == y2;
  std::vector<int> sel(objectsTotal), decided(objectsTotal, 0);
  for (int i = 0; i < objectsTotal; i++) sel[i] = objects[i].selected;
  int last = lastObjectSelected, hit = 0, redraw = 0;
  bool stop = false;
  for (int y = y1; y <= y2 && !stop; y++)
    for (int x = x1; x <= x2 && !stop; x++)
      for (int i = 0; i < objectsTotal && !stop; i++) {
        if (decided[i] || !objectContainsPoint(&objects[i], x, y)) continue;
        decided[i] = 1;
        hit = 1;
        if (!sel[i]) {
          sel[i] = 1;
          last = i;
          redraw = 1;
        } else if (toggle) {
          sel[i] = 0;
          if (last == i) last = -1;
          redraw = 1;
        }
        if (sel[i] && single) stop = true;
      }
  if (hit && last == -1)
    for (int i = objectsTotal - 1; i >= 0; i--)
      if (sel[i]) {
        last = i;
        break;
      }
  return {sel, last, hit, redraw};
}

double coord(std::mt19937 &rng, int lo, int hi) {
  std::uniform_int_distribution<int> d(lo * 4, hi * 4);
  return d(rng) / 4.0;  // quarter pixels: edges fall on, before and after pixels
}

void randomShape(std::mt19937 &rng, object *o) {
  std::uniform_int_distribution<int> kind(1, 3), count(0, 9);
  o->t = kind(rng);
  o->complete = 1;
  if (o->t == polygon) {
    int n = count(rng);
    pointsEnsure(o, n);
    for (int k = 0; k < n; k++) o->points[k] = {coord(rng, -4, 36), coord(rng, -4, 36)};
    if (n >= 2 && rng() % 4 == 0) o->points[1].y = o->points[0].y;  // a horizontal edge
    o->pointsTotal = n;
  } else if (o->t == circle) {
    o->points[0] = {coord(rng, 0, 32), coord(rng, 0, 32)};
    o->points[1] = {o->points[0].x + coord(rng, -8, 8), o->points[0].y + coord(rng, -8, 8)};
    o->pointsTotal = 2;
  } else {
    o->points[0] = {coord(rng, -4, 36), coord(rng, -4, 36)};
    o->points[1] = {coord(rng, -4, 36), coord(rng, -4, 36)};
    o->pointsTotal = 2;
  }
}

}  // namespace

TEST(PointSelection, SelectMovesAnExistingIndexToTheEnd) {
  pointSelection ps = {nullptr, 0, 0};
  setList(&ps, {3, 5, 7});
  pointSelect(&ps, 3);
  EXPECT_EQ(listOf(ps), (std::vector<int>{7, 5, 3}));
  setList(&ps, {3, 5, 7});
  pointSelect(&ps, 9);
  EXPECT_EQ(listOf(ps), (std::vector<int>{3, 5, 7, 9}));
  setList(&ps, {3, 5, 7});
  pointDeselect(&ps, 5);
  EXPECT_EQ(listOf(ps), (std::vector<int>{3, 7}));
  pointDeselect(&ps, 42);
  EXPECT_EQ(listOf(ps), (std::vector<int>{3, 7}));
  pointSelectOrToggle(&ps, 3, 1);
  EXPECT_EQ(listOf(ps), (std::vector<int>{7}));
  pointSelectOrToggle(&ps, 7, 0);  // without toggle: stays, and is last
  EXPECT_EQ(listOf(ps), (std::vector<int>{7}));
  EXPECT_TRUE(pointIsSelected(&ps, 7));
  EXPECT_FALSE(pointIsSelected(&ps, 3));
  pointSelectionFree(&ps);
}

TEST(PointSelection, GrowsByDoublingAndCopiesKeepCapacityAndOrder) {
  pointSelection ps = {nullptr, 0, 0};
  pointSelectionSetup(&ps);
  EXPECT_EQ(ps.space, 16);
  for (int i = 0; i < 40; i++) pointSelect(&ps, 100 - i);
  EXPECT_EQ(ps.space, 64);
  EXPECT_EQ(pointsSelected(&ps), 40);
  pointSelection copy = {nullptr, 0, 0};
  pointSelectionSetup(&copy);
  pointSelectionCopy(&copy, &ps);
  EXPECT_EQ(copy.space, 64);
  EXPECT_EQ(listOf(copy), listOf(ps));
  EXPECT_NE(copy.points, ps.points);
  pointsDeselect(&ps);
  EXPECT_EQ(pointsSelected(&ps), 0);
  EXPECT_EQ(pointsSelected(&copy), 40);
  pointSelectionFree(&ps);
  EXPECT_EQ(ps.points, nullptr);
  EXPECT_EQ(ps.space, 0);
  pointSelect(&ps, 1);  // a freed list sets itself up again
  EXPECT_EQ(listOf(ps), (std::vector<int>{1}));
  pointSelectionFree(&ps);
  pointSelectionFree(&copy);
}

TEST_F(EditorTest, ClickSelectsTheEarliestOverlappingHotspotAndCtrlClickMovesOn) {
  addRect(0, 0, 20, 20);
  addRect(10, 10, 30, 30);
  EXPECT_TRUE(ObjectSelect(15, 15, 15, 15, 0));
  EXPECT_EQ(objects[0].selected, 1);
  EXPECT_EQ(objects[1].selected, 0);
  EXPECT_EQ(lastObjectSelected, 0);
  EXPECT_EQ(logged("sensitivity 1"), 1);
  EXPECT_EQ(logged("repaint 0"), 1);
  EXPECT_TRUE(ObjectSelect(15, 15, 15, 15, 1));
  EXPECT_EQ(objects[0].selected, 0);
  EXPECT_EQ(objects[1].selected, 1);
  EXPECT_EQ(lastObjectSelected, 1);
  // Clicking what is already selected, without toggle, changes nothing but hits.
  clearLog();
  EXPECT_TRUE(ObjectSelect(25, 25, 25, 25, 0));
  EXPECT_EQ(logged("repaint 0"), 0);
  // Nothing there: no hit, no menu update.
  clearLog();
  EXPECT_FALSE(ObjectSelect(100, 100, 100, 100, 0));
  EXPECT_EQ(logged("sensitivity 1"), 0);
}

TEST_F(EditorTest, ToggleOffTheCurrentHotspotFallsBackToTheHighestSelected) {
  addRect(0, 0, 10, 10);
  addRect(20, 0, 30, 10);
  addRect(40, 0, 50, 10);
  selectOnly({2, 0});  // current: 0
  pointSelect(&psel, 1);
  EXPECT_TRUE(ObjectSelect(5, 5, 5, 5, 1));
  EXPECT_EQ(objects[0].selected, 0);
  EXPECT_EQ(lastObjectSelected, 2);
  EXPECT_EQ(pointsSelected(&psel), 0);
  EXPECT_TRUE(ObjectSelect(45, 5, 45, 5, 1));
  EXPECT_EQ(lastObjectSelected, -1);
}

TEST_F(EditorTest, RubberBandSelectsByPixelsNotByBoundingBoxes) {
  int c = addCircle(25, 15, 30, 15);  // its left edge passes through (20, 15)
  int t = addShape(polygon, {{30, 0}, {60, 0}, {60, 30}});
  EXPECT_TRUE(ObjectSelect(10, 10, 20, 20, 0));
  EXPECT_EQ(objects[c].selected, 1);
  ObjectUnselect();
  // Inside the triangle's box but below its diagonal.
  EXPECT_FALSE(ObjectSelect(32, 20, 36, 25, 0));
  EXPECT_EQ(objects[t].selected, 0);
  // Corners given in any order.
  EXPECT_TRUE(ObjectSelect(59, 1, 50, 5, 0));
  EXPECT_EQ(objects[t].selected, 1);
}

TEST_F(EditorTest, RubberBandMakesTheHotspotReachedLastInScanOrderCurrent) {
  addRect(30, 5, 40, 10);  // first pixel (30, 5)
  addRect(0, 20, 5, 25);   // first pixel (0, 20)
  addRect(10, 5, 20, 30);  // first pixel (10, 5)
  EXPECT_TRUE(ObjectSelect(0, 0, 50, 50, 0));
  EXPECT_EQ(lastObjectSelected, 1);
  EXPECT_EQ(objectsSelected(), 3);
}

TEST_F(EditorTest, ObjectSelectAgreesWithThePixelScanOnRandomMaps) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 4000; round++) {
    ReleaseObjects();
    objectsSetup();
    objectsEnsure(0);
    int n = static_cast<int>(rng() % 9);
    for (int i = 0; i < n; i++) {
      objectsEnsure(i + 1);
      randomShape(rng, &objects[i]);
      objects[i].selected = static_cast<int>(rng() % 3 == 0);
      objectsTotal = i + 1;
    }
    lastObjectSelected = -1;
    for (int i = 0; i < n; i++)
      if (objects[i].selected && rng() % 2) lastObjectSelected = i;
    int x1 = static_cast<int>(rng() % 48) - 6, y1 = static_cast<int>(rng() % 48) - 6;
    int x2 = x1, y2 = y1;
    if (rng() % 4) {
      x2 = static_cast<int>(rng() % 48) - 6;
      y2 = static_cast<int>(rng() % 48) - 6;
    }
    int toggle = static_cast<int>(rng() % 2);
    pointsDeselect(&psel);
    pointSelect(&psel, 0);
    scanResult want = directScan(x1, y1, x2, y2, toggle);
    clearLog();
    int hit = ObjectSelect(x1, y1, x2, y2, toggle);
    std::vector<int> got(objectsTotal);
    for (int i = 0; i < objectsTotal; i++) got[i] = objects[i].selected;
    ASSERT_EQ(hit, want.hit) << "round " << round;
    ASSERT_EQ(got, want.selected) << "round " << round;
    ASSERT_EQ(lastObjectSelected, want.last) << "round " << round;
    ASSERT_EQ(logged("repaint 0"), want.redraw) << "round " << round;
    ASSERT_EQ(pointsSelected(&psel), want.redraw ? 0 : 1) << "round " << round;
  }
}

TEST_F(EditorTest, FirstPixelMatchesABruteForceSearchForEveryShape) {
  std::mt19937 rng(777);
  for (int round = 0; round < 3000; round++) {
    object *o = &objects[0];
    randomShape(rng, o);
    int x1 = static_cast<int>(rng() % 44) - 6, y1 = static_cast<int>(rng() % 44) - 6;
    int x2 = x1 + static_cast<int>(rng() % 20), y2 = y1 + static_cast<int>(rng() % 20);
    int wantX = 0, wantY = 0, want = 0;
    for (int y = y1; y <= y2 && !want; y++)
      for (int x = x1; x <= x2 && !want; x++)
        if (objectContainsPoint(o, x, y)) {
          want = 1;
          wantX = x;
          wantY = y;
        }
    int gotX = -99, gotY = -99;
    int got = objectFirstPixelIn(o, x1, y1, x2, y2, &gotX, &gotY);
    ASSERT_EQ(got, want) << "round " << round << " shape " << o->t;
    if (want) {
      ASSERT_EQ(gotX, wantX) << "round " << round << " shape " << o->t;
      ASSERT_EQ(gotY, wantY) << "round " << round << " shape " << o->t;
    }
  }
}

TEST_F(EditorTest, FirstPixelCopesWithExtremeCoordinates) {
  int x = 0, y = 0;
  int c = addCircle(1e300, -1e300, -1e300, 1e300);
  // Clamped offsets: the test and the search agree on what is inside.
  EXPECT_EQ(objectFirstPixelIn(&objects[c], 0, 0, 10, 10, &x, &y), objectContainsPoint(&objects[c], 0, 0));
  int p = addShape(polygon, {{0, -1e12}, {1e12, 1e12}, {-1e12, 1e12}});
  EXPECT_TRUE(objectFirstPixelIn(&objects[p], -2000000000, -2000000000, 2000000000, 2000000000, &x, &y));
  EXPECT_TRUE(objectContainsPoint(&objects[p], x, y));
  int nanRect = addRect(0.0 / 0.0, 0.0 / 0.0, 5, 5);
  EXPECT_EQ(objectFirstPixelIn(&objects[nanRect], 0, 0, 10, 10, &x, &y), objectContainsPoint(&objects[nanRect], 5, 5));
  // A band over a huge area does not take long with large hotspots.
  EXPECT_TRUE(ObjectSelect(-2000000000, -2000000000, 2000000000, 2000000000, 0));
}

TEST_F(EditorTest, UnselectAndSelectAll) {
  EXPECT_EQ(ObjectUnselect(), 0);
  SelectAll();
  EXPECT_EQ(lastObjectSelected, -1);
  addRect(0, 0, 1, 1);
  addRect(2, 2, 3, 3);
  pointSelect(&psel, 2);
  clearLog();
  SelectAll();
  EXPECT_EQ(objectsSelected(), 2);
  EXPECT_EQ(lastObjectSelected, 1);
  EXPECT_EQ(pointsSelected(&psel), 1);  // left as it was
  EXPECT_EQ(logged("sensitivity 1"), 1);
  EXPECT_EQ(ObjectUnselect(), 1);
  EXPECT_EQ(objectsSelected(), 0);
  EXPECT_EQ(lastObjectSelected, -1);
  EXPECT_EQ(pointsSelected(&psel), 0);
}

TEST_F(EditorTest, HandlesAreDrawnForPolygonsAndMultipleSelections) {
  int r = addRect(0, 0, 10, 10);
  int p = addShape(polygon, {{0, 0}, {5, 0}, {5, 5}});
  EXPECT_FALSE(selectionWithHandles());
  selectOnly({r});
  EXPECT_FALSE(selectionWithHandles());
  selectOnly({p});
  EXPECT_TRUE(selectionWithHandles());
  selectOnly({r, p});
  EXPECT_TRUE(selectionWithHandles());
  EXPECT_FALSE(singleSelection());
}

TEST_F(EditorTest, SelectionBoxFollowsThePendingTransform) {
  addRect(10, 20, 30, 40);
  addCircle(100, 100, 105, 100);
  selectOnly({0, 1});
  int cx, cy, w, h;
  bounds b = selectionGetCenterAndBounds(&cx, &cy, &w, &h);
  EXPECT_EQ(b.x1, 10);
  EXPECT_EQ(b.y1, 20);
  EXPECT_EQ(b.x2, 105);
  EXPECT_EQ(b.y2, 105);
  EXPECT_EQ(cx, 57);
  EXPECT_EQ(cy, 62);
  EXPECT_EQ(w, 95);
  EXPECT_EQ(h, 85);
  mfactorx = 5;
  rfactory = 0.5;
  b = selectionGetCenterAndBounds(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(b.x1, 15);
  EXPECT_EQ(b.y1, 10);
  EXPECT_EQ(b.x2, 110);
  EXPECT_EQ(b.y2, 52);
  rfactorx = -1;  // flipped by a resize: still an ordered box
  b = selectionGetCenterAndBounds(nullptr, nullptr, nullptr, nullptr);
  EXPECT_LE(b.x1, b.x2);
}

TEST_F(EditorTest, RectangleCornersArePickedWithinSevenWindowPixels) {
  int r = addRect(10, 10, 50, 30);
  selectOnly({r});
  scale = 2;
  EXPECT_TRUE(ObjectSelectPoint(&objects[r], 53, 30, 0, 0));  // 3 image pixels from corner 2
  EXPECT_EQ(listOf(psel), (std::vector<int>{2}));
  EXPECT_FALSE(ObjectSelectPoint(&objects[r], 54, 30, 0, 0));  // 4 away: 8 window pixels
  EXPECT_EQ(listOf(psel), (std::vector<int>{2}));
  // Shift adds corner 3; the centre handle then replaces both.
  EXPECT_TRUE(ObjectSelectPoint(&objects[r], 10, 31, 1, 0));
  EXPECT_EQ(listOf(psel), (std::vector<int>{2, 3}));
  EXPECT_TRUE(ObjectSelectPoint(&objects[r], 30, 20, 1, 0));
  EXPECT_EQ(listOf(psel), (std::vector<int>{4}));
  // Ctrl toggles a listed corner off.
  ObjectSelectPoint(&objects[r], 50, 10, 1, 0);
  EXPECT_TRUE(ObjectSelectPoint(&objects[r], 50, 10, 1, 1));
  EXPECT_EQ(listOf(psel), (std::vector<int>{4}));
}

TEST_F(EditorTest, CircleCentreOrRimByWhichIsNearer) {
  int c = addCircle(100, 100, 120, 100);  // radius 20
  EXPECT_TRUE(ObjectSelectPoint(&objects[c], 104, 100, 0, 0));
  EXPECT_EQ(listOf(psel), (std::vector<int>{0}));
  EXPECT_TRUE(ObjectSelectPoint(&objects[c], 100, 126, 0, 0));  // 6 outside the rim
  EXPECT_EQ(listOf(psel), (std::vector<int>{1}));
  EXPECT_FALSE(ObjectSelectPoint(&objects[c], 100, 128, 0, 0));
  EXPECT_FALSE(ObjectSelectPoint(&objects[c], 110, 100, 0, 0));  // halfway: the rim is 10 away
  EXPECT_EQ(listOf(psel), (std::vector<int>{1}));
}

TEST_F(EditorTest, PolygonVerticesThenHandles) {
  int p = addShape(polygon, {{0, 0}, {100, 0}, {100, 60}, {0, 60}});
  selectOnly({p});
  EXPECT_TRUE(ObjectSelectPoint(&objects[p], 97, 4, 0, 0));
  EXPECT_EQ(listOf(psel), (std::vector<int>{1}));
  EXPECT_TRUE(ObjectSelectPoint(&objects[p], 5, 58, 0, 0));  // a plain pick replaces
  EXPECT_EQ(listOf(psel), (std::vector<int>{3}));
  // The move handle at the centre of the bounds, within 10.
  EXPECT_TRUE(ObjectSelectPoint(&objects[p], 56, 36, 0, 0));
  EXPECT_EQ(pointsSelected(&psel), 0);
  EXPECT_EQ(editingState, editingMoving);
  ASSERT_NE(undoLast, nullptr);
  EXPECT_EQ(undoLast->t, undoChanged);
  EXPECT_EQ(undoLast->last, 1);
  EXPECT_FALSE(ObjectSelectPoint(&objects[p], 50, 42, 0, 0));  // 12 from it, 18 from the corner
}

TEST_F(EditorTest, PressOnTheSelectionBoxCentreStartsAMoveWithinTenWindowPixels) {
  addRect(0, 0, 20, 20);
  addRect(80, 80, 100, 100);
  selectOnly({0, 1});  // centre (50, 50)
  state = editing;
  editingButton1Down(56, 58);  // distance 10
  EXPECT_EQ(editingState, editingMoving);
  ASSERT_NE(undoLast, nullptr);
  EXPECT_EQ(objectsSelected(), 2);
  editingButton1Up(50, 50, 0, 0);  // released on the centre: nothing moves
  EXPECT_EQ(editingState, editingNone);
  EXPECT_EQ(objects[0].points[0].x, 0);
  selectOnly({0, 1});
  editingButton1Down(61, 50);  // distance 11: nothing there, the selection goes
  EXPECT_EQ(editingState, editingNone);
  EXPECT_EQ(objectsSelected(), 0);
  // At zoom 2 the same 10 window pixels are 5 image pixels.
  selectOnly({0, 1});
  scale = 2;
  editingButton1Down(55, 50);
  EXPECT_EQ(editingState, editingMoving);
  editingButton1Up(50, 50, 0, 0);
  selectOnly({0, 1});
  editingButton1Down(56, 50);
  EXPECT_EQ(editingState, editingNone);
}

TEST_F(EditorTest, PlainShiftAndCtrlClicks) {
  addRect(0, 0, 10, 10);
  addRect(20, 0, 30, 10);
  state = editing;
  editingButton1Down(5, 5);
  EXPECT_EQ(lastObjectSelected, 0);
  editingButton1Down(25, 5);  // plain: replaces
  EXPECT_EQ(objects[0].selected, 0);
  EXPECT_EQ(objects[1].selected, 1);
  keyShift = 1;
  editingButton1Down(5, 5);  // shift: adds
  EXPECT_EQ(objectsSelected(), 2);
  keyShift = 0;
  keyCtrl = 1;
  editingButton1Down(25, 5);  // ctrl: toggles off
  EXPECT_EQ(objects[1].selected, 0);
  EXPECT_EQ(lastObjectSelected, 0);
}

TEST_F(EditorTest, PressOnAPointOfTheSingleSelectionSavesItForTheDrag) {
  int p = addShape(polygon, {{0, 0}, {40, 0}, {40, 40}});
  selectOnly({p});
  state = editing;
  editingButton1Down(41, 1);
  EXPECT_EQ(listOf(psel), (std::vector<int>{1}));
  ASSERT_NE(undoLast, nullptr);
  EXPECT_EQ(undoLast->t, undoChanged);
  EXPECT_EQ(undoLast->offset, p);
  EXPECT_EQ(undoLast->p, nullptr);  // one record only
  EXPECT_TRUE(logged("sensitivity 1"));
  ovx = 41;
  ovy = 1;
  editingPointerMoved(46, -1);
  EXPECT_EQ(objects[p].points[1].x, 45);
  EXPECT_EQ(objects[p].points[1].y, -2);
  EXPECT_EQ(changed, 1);
  editingButton1Up(46, -1, 1, 0);
  undoRestore();
  EXPECT_EQ(objects[p].points[1].x, 40);
}

TEST_F(EditorTest, APressThatMovesNothingLeavesNoUndoStepAndNoChange) {
  int r = addRect(0, 0, 40, 40);
  selectOnly({r});
  state = editing;
  // Something to redo, which a click must not take away.
  undoSave(undoChanged, r);
  objects[r].points[0].x = 1;
  undoRestore();
  ASSERT_NE(redoLast, nullptr);
  changed = 0;
  const struct {
    const char *what;
    int x, y;
  } presses[] = {{"the selection's centre", 20, 20}, {"its resize corner", 40, 40}, {"a corner point", 0, 0}};
  for (const auto &p : presses) {
    editingButton1Down(p.x, p.y);
    editingButton1Up(p.x, p.y, 0, 0);
    EXPECT_EQ(undoLast, nullptr) << p.what;
    EXPECT_NE(redoLast, nullptr) << p.what;
    EXPECT_EQ(changed, 0) << p.what;
    EXPECT_EQ(objects[r].points[0].x, 0) << p.what;
  }
  // A press that moves the hotspot is a step.
  editingButton1Down(20, 20);
  editingPointerMoved(25, 20);
  editingButton1Up(25, 20, 1, 0);
  ASSERT_NE(undoLast, nullptr);
  EXPECT_EQ(redoLast, nullptr);
  EXPECT_EQ(changed, 1);
}

TEST_F(EditorTest, APointDragLeavesTheHotspotSelectionAsItWas) {
  int b = addRect(30, 30, 40, 40);
  int a = addRect(0, 0, 10, 10);
  selectOnly({a});
  state = editing;
  imageLeftPress(10, 10, 0, 0);  // corner 2 of the first rectangle
  imagePointerMove(35, 35, 1, 0, 0);
  imageLeftRelease(35, 35, 0, 0, 1);
  EXPECT_EQ(objects[a].points[1].x, 35);
  EXPECT_EQ(objects[a].selected, 1);
  EXPECT_EQ(objects[b].selected, 0);
  EXPECT_EQ(lastObjectSelected, a);
}

TEST_F(EditorTest, RubberBandFromAnEmptyPress) {
  addRect(0, 0, 10, 10);
  addRect(20, 20, 30, 30);
  addRect(60, 60, 70, 70);
  state = editing;
  ovx = ovy = 40;
  editingButton1Down(40, 40);
  editingPointerMoved(5, 25);
  EXPECT_EQ(editingSelectionDrag, 1);
  EXPECT_EQ(selectionDragX, 5);
  EXPECT_EQ(selectionDragY, 25);
  editingButton1Up(5, 25, 1, 0);
  EXPECT_EQ(editingSelectionDrag, 0);
  EXPECT_EQ(objects[0].selected, 0);
  EXPECT_EQ(objects[1].selected, 1);
  EXPECT_EQ(objects[2].selected, 0);
  // A release that was not a drag selects nothing more.
  editingButton1Down(50, 50);
  editingButton1Up(5, 5, 0, 0);
  EXPECT_EQ(objectsSelected(), 0);
}

TEST_F(EditorTest, ResizeThroughAPolygonHandleUndoesInOneStep) {
  int p = addShape(polygon, {{0, 0}, {100, 0}, {50, 60}});
  selectOnly({p});
  state = editing;
  editingButton1Down(103, 62);  // the resize handle at (100, 60)
  EXPECT_EQ(editingState, editingResizing);
  EXPECT_EQ(mfactorx, 50);
  EXPECT_EQ(mfactory, 30);
  editingPointerMoved(150, 90);
  editingButton1Up(150, 90, 1, 0);
  EXPECT_EQ(editingState, editingNone);
  EXPECT_EQ(objects[p].points[1].x, 150);
  EXPECT_EQ(objects[p].points[2].y, 90);
  EXPECT_EQ(objects[p].points[0].x, -50);
  EXPECT_EQ(objects[p].points[0].y, -30);
  EXPECT_EQ(rfactorx, 1.0);
  EXPECT_EQ(mfactorx, 0);
  // One Undo gives back the polygon as it was, not its centre-relative form.
  undoRestore();
  EXPECT_EQ(objects[p].points[0].x, 0);
  EXPECT_EQ(objects[p].points[1].x, 100);
  EXPECT_EQ(objects[p].points[2].y, 60);
  EXPECT_EQ(undoLast, nullptr);
}

TEST_F(EditorTest, SelectUnderCyclesThroughTheHotspotsUnderThePoint) {
  addRect(0, 0, 20, 20);      // 0
  addRect(100, 100, 120, 120);  // 1, not under the point
  addRect(5, 5, 30, 30);      // 2
  addCircle(10, 10, 20, 10);  // 3
  state = editing;
  // A plain click takes the first in the map, as a browser would.
  ObjectSelect(10, 10, 10, 10, 0);
  EXPECT_EQ(lastObjectSelected, 0);
  const int want[] = {2, 3, 0, 2};
  for (int w : want) {
    EXPECT_TRUE(ObjectSelectUnder(10, 10));
    EXPECT_EQ(lastObjectSelected, w);
    EXPECT_EQ(objectsSelected(), 1);
  }
  // Nothing under the point: the selection stays.
  EXPECT_FALSE(ObjectSelectUnder(200, 200));
  EXPECT_EQ(lastObjectSelected, 2);
  // A current hotspot elsewhere: the first under the point.
  selectOnly({1});
  EXPECT_TRUE(ObjectSelectUnder(10, 10));
  EXPECT_EQ(lastObjectSelected, 0);
  // Alt+click does the same and starts no rubber band.
  imageAltPress(10, 10, 0, 0);
  EXPECT_EQ(lastObjectSelected, 2);
  imageLeftRelease(60, 60, 0, 0, 1);
  EXPECT_EQ(objectsSelected(), 1);
  EXPECT_EQ(lastObjectSelected, 2);
}

// --- the hotspot list's rows ----------------------------------------------------

TEST_F(EditorTest, HotspotListRowsFollowTheMapOrderAndUndo) {
  addRect(0, 0, 20, 20, "a.html");
  addCircle(50, 50, 60, 50, "b.html");
  addShape(polygon, {{0, 0}, {30, 0}, {0, 30}}, nullptr);
  objects[0].comments = mystrdupImpl("t", "Alt A");
  objects[1].title = mystrdupImpl("t", "Title B");
  const std::vector<std::vector<std::string>> before = {
      {"1", "rect", "a.html", "Alt A", ""}, {"2", "circle", "b.html", "", "Title B"}, {"3", "poly", "", "", ""}};
  auto rows = [] {
    std::vector<std::vector<std::string>> out;
    for (int r = 0; r < hotspotListRows(); r++) {
      out.emplace_back();
      for (int c = 0; c < hotspotListColumns; c++) out.back().push_back(hotspotListCell(r, c));
    }
    return out;
  };
  EXPECT_EQ(rows(), before);
  EXPECT_EQ(hotspotListCell(3, 0), "");
  EXPECT_EQ(hotspotListCell(0, hotspotListColumns), "");
  state = editing;
  selectOnly({2});
  Arrange(cmdBringToFront);
  EXPECT_EQ(rows(), (std::vector<std::vector<std::string>>{
                        {"1", "poly", "", "", ""}, {"2", "rect", "a.html", "Alt A", ""},
                        {"3", "circle", "b.html", "", "Title B"}}));
  EXPECT_EQ(hotspotListSelectedRows(), std::vector<int>{0});
  Undo(1);
  EXPECT_EQ(rows(), before);
  EXPECT_EQ(hotspotListSelectedRows(), std::vector<int>{2});
}

TEST_F(EditorTest, HotspotListSelectionGoesBothWays) {
  for (int i = 0; i < 5; i++) addRect(i * 30, 0, i * 30 + 20, 20);
  state = nostate;
  struct Case {
    std::vector<int> rows;
    int current;
    std::vector<int> selected;
    int last;
  } cases[] = {
      {{1}, -1, {1}, 1},
      {{1, 3, 4}, 3, {1, 3, 4}, 3},
      {{4, 0}, -1, {0, 4}, 0},      // the last row named is current
      {{2, 9, -1}, 7, {2}, 2},      // rows out of range are passed over
      {{}, -1, {}, -1},
  };
  for (const Case &c : cases) {
    hotspotListSelectRows(c.rows, c.current);
    EXPECT_EQ(state, editing);  // choosing rows takes up Test+Edit
    EXPECT_EQ(hotspotListSelectedRows(), c.selected);
    EXPECT_EQ(lastObjectSelected, c.last);
  }
  // The same rows again change nothing.
  hotspotListSelectRows({1}, 1);
  clearLog();
  EXPECT_EQ(hotspotListSelectRows({1}, 1), 0);
  EXPECT_EQ(logged("repaint 0"), 0);
  // The picture's selection is the rows'.
  editingButton1Down(65, 5);
  editingButton1Up(65, 5, 0, 0);
  EXPECT_EQ(hotspotListSelectedRows(), std::vector<int>{2});
  SelectAll();
  EXPECT_EQ(hotspotListSelectedRows(), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(EditorTest, HotspotListMarksTheRowsCheckMapReports) {
  displayWidth = displayHeight = 200;
  addRect(0, 0, 100, 100, "a.html");
  objects[0].comments = mystrdupImpl("t", "Big");
  addRect(10, 10, 20, 20, "b.html");  // covered by the first, and no alt text
  objects[1].comments = mystrdupImpl("t", "Small");
  addRect(150, 150, 190, 190, "c.html");  // no alt text
  hotspotListCheck();
  EXPECT_EQ(hotspotListMark(0), "");
  EXPECT_NE(hotspotListMark(1).find("can never be clicked"), std::string::npos) << hotspotListMark(1);
  EXPECT_NE(hotspotListMark(2), "");
  EXPECT_EQ(hotspotListMark(3), "");
}

TEST_F(EditorTest, SelectionDescribedForTheStatusBar) {
  addRect(10, 20, 60, 50);
  addCircle(100, 100, 110, 100);
  addShape(polygon, {{0, 0}, {30, 5}, {5, 30}});
  const char times[] = "\xC3\x97";
  struct Case {
    std::vector<int> selected;
    std::vector<int> points;  // of the current (last) one
    std::string want;
  } cases[] = {
      {{}, {}, ""},
      {{0}, {}, std::string("10, 20, 50 ") + times + " 30"},
      {{0, 1}, {}, std::string("10, 20, 100 ") + times + " 90"},
      {{0}, {2}, "60, 50"},
      {{0}, {4}, "35, 35"},
      {{1}, {0}, "100, 100"},
      {{2}, {1}, "30, 5"},
      {{2}, {0, 1}, std::string("0, 0, 30 ") + times + " 30"},
  };
  for (const Case &c : cases) {
    for (int i = 0; i < objectsTotal; i++) objects[i].selected = 0;
    lastObjectSelected = -1;
    for (int i : c.selected) {
      objects[i].selected = 1;
      lastObjectSelected = i;
    }
    pointsDeselect(&psel);
    for (int p : c.points) pointSelect(&psel, p);
    char out[64];
    selectionDescribe(out, sizeof out);
    EXPECT_EQ(out, c.want);
  }
}
