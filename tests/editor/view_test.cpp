// The view without a window: the colour rules and pens, the scroll-bar layout,
// scrolling, zooming, the frame's size, and the pixels the repaint draws.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <cstdlib>
#include <cstring>
#include <vector>
#include <initializer_list>
#include <random>

#include "platform/settings.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "html/document.h"
#include "platform/strhack.h"
#include "image/imagedata.h"
#include "platform/platform_scripted.h"

namespace {

unsigned rgb(int r, int g, int b) { return (unsigned)r | ((unsigned)g << 8) | ((unsigned)b << 16); }

// The colour of buffer pixel (x, y) as 0x00BBGGRR.
unsigned at(int x, int y) {
  QRgb p = hbDouble->pixel(x, y);
  return rgb(qRed(p), qGreen(p), qBlue(p));
}

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scriptedInstall();
    settingsDefaults();
    seamsClear();
    seams.repaint = [](int) { repaints++; };
    seams.resetScroll = viewResetScroll;
    seams.zoomout = viewZoomout;
    viewWindow = viewWindowTable();
    viewWindow.setPositions = [](int h, int v) {
      barH = h;
      barV = v;
    };
    undoPurge();
    redoPurge();
    ReleaseObjects();
    objectsSetup();
    objectsEnsure(0);
    pointSelectionFree(&psel);
    pointSelectionSetup(&psel);
    rfactorx = rfactory = 1.0;
    mfactorx = mfactory = 0;
    scale = 1.0;
    hoffs = voffs = 0;
    hasHbar = hasVbar = 0;
    hrange = vrange = 0;
    maximized = newImage = 0;
    state = nostate;
    lastObjectSelected = -1;
    editingSelectionDrag = 0;
    winwidth = scaledWinWidth = 400;
    winheight = scaledWinHeight = 300;
    sketchR = 255;
    sketchG = 0;
    sketchB = 0;
    bgColor = rgb(255, 255, 255);
    viewRecreatePens();
    repaints = 0;
    setPicture(200, 150, QColor(40, 80, 120));
  }
  void TearDown() override {
    if (id) imageDataDestroy(id);
    id = nullptr;
    ReleaseObjects();
    undoPurge();
    redoPurge();
    viewRelease();
    seamsClear();
  }

  // A one-tile picture in a plain colour, with its size as the display size.
  static void setPicture(int w, int h, QColor c) {
    if (id) imageDataDestroy(id);
    QImage *tile = new QImage(w, h, QImage::Format_BGR888);
    tile->fill(c);
    id = imageDataCreateFromHBITMAP(tile);
    displayWidth = w;
    displayHeight = h;
    viewInvalidate();
  }

  static int add(int t, std::initializer_list<FPOINT> pts, int complete = 1) {
    int i = objectsTotal;
    objectsEnsure(i);
    object *o = &objects[i];
    o->t = t;
    o->pointsTotal = 0;
    pointsEnsure(o, (int)pts.size() + 1);
    for (const FPOINT &p : pts) o->points[o->pointsTotal++] = p;
    o->complete = complete;
    objectsTotal++;
    objectsEnsure(objectsTotal);
    return i;
  }

  static void select(std::initializer_list<int> which) {
    for (int i = 0; i < objectsTotal; i++) objects[i].selected = 0;
    for (int i : which) {
      objects[i].selected = 1;
      lastObjectSelected = i;
    }
  }

  static int repaints, barH, barV;
};
int ViewTest::repaints = 0, ViewTest::barH = 0, ViewTest::barV = 0;

const unsigned picture = rgb(40, 80, 120);
const unsigned white = rgb(255, 255, 255);

}  // namespace

TEST(ViewColours, ChannelRules) {
  EXPECT_EQ(Darken(rgb(255, 128, 1)), rgb(127, 64, 0));
  EXPECT_EQ(Brighten(rgb(0, 100, 255)), rgb(127, 177, 255));
  EXPECT_EQ(Contrast(rgb(1, 2, 3)), rgb(3, 1, 2));
  for (unsigned v = 0; v < 256; v++) {
    EXPECT_GE(Brighten(rgb(v, v, v)) & 255, v);
    EXPECT_EQ(Darken(rgb(v, 0, 0)), rgb(v / 2, 0, 0));
  }
}

TEST_F(ViewTest, PensFollowTheSketchColour) {
  viewRecreatePens();  // sketch colour (255, 0, 0)
  EXPECT_EQ(sketchPen.color, rgb(255, 0, 0));
  EXPECT_EQ(outerSketchPen.color, rgb(127, 0, 0));
  EXPECT_EQ(fillPen.color, rgb(255, 127, 127));
  EXPECT_EQ(middleHandlePen.color, rgb(0, 255, 0));
  EXPECT_EQ(handlePen.color, rgb(127, 255, 127));
  EXPECT_EQ(outerHandlePen.color, rgb(0, 127, 0));
  EXPECT_EQ(sketchPen.width, 1);
  EXPECT_EQ(outerSketchPen.width, 3);
  EXPECT_EQ(middleHandlePen.width, 3);
  EXPECT_EQ(outerHandlePen.width, 5);
}

TEST_F(ViewTest, SketchColourChooserChangesPensAndRepaints) {
  scripted.colors.push_back((long)rgb(0, 0, 255));
  customColors[3] = rgb(1, 2, 3);
  viewChooseSketchColor();
  EXPECT_EQ(sketchB, 255);
  EXPECT_EQ(sketchR, 0);
  EXPECT_EQ(sketchPen.color, rgb(0, 0, 255));
  EXPECT_EQ(repaints, 1);
  EXPECT_EQ(colorEditing, 0);
  scripted.colors.push_back(-1);  // cancelled: nothing changes
  viewChooseSketchColor();
  EXPECT_EQ(sketchB, 255);
  EXPECT_EQ(repaints, 1);
}

TEST(ViewScroll, LayoutOfTheBars) {
  struct {
    int sw, sh, w, h, hasH, hasV;
    scrollLayout want;
  } rows[] = {
      // A small picture: no bars.
      {100, 100, 400, 400, 0, 0, {0, 0, 0, 0, 400, 400}},
      // Exactly the window's size still fits, also with bars shown before.
      {416, 416, 400, 400, 1, 1, {0, 0, 0, 0, 416, 416}},
      // Too tall only: a vertical bar.
      {300, 900, 400, 400, 0, 0, {0, 1, 0, 900, 400, 400}},
      // Too tall and then too wide beside the vertical bar: both.
      {390, 900, 400, 400, 0, 0, {1, 1, 406, 916, 400, 400}},
      // Too wide only: a horizontal bar.
      {900, 300, 400, 400, 0, 0, {1, 0, 900, 0, 400, 400}},
      // Too wide and then too tall above the horizontal bar: both.
      {900, 390, 400, 400, 0, 0, {1, 1, 916, 406, 400, 400}},
  };
  for (const auto &r : rows) {
    scrollLayout l = scrollLayoutFor(r.sw, r.sh, r.w, r.h, r.hasH, r.hasV, 16, 16);
    EXPECT_EQ(l.showH, r.want.showH) << r.sw << "x" << r.sh;
    EXPECT_EQ(l.showV, r.want.showV) << r.sw << "x" << r.sh;
    EXPECT_EQ(l.hrange, r.want.hrange) << r.sw << "x" << r.sh;
    EXPECT_EQ(l.vrange, r.want.vrange) << r.sw << "x" << r.sh;
    EXPECT_EQ(l.hpage, r.want.hpage) << r.sw << "x" << r.sh;
    EXPECT_EQ(l.vpage, r.want.vpage) << r.sw << "x" << r.sh;
  }
}

TEST_F(ViewTest, ResetScrollShowsBarsAndZeroesOffsets) {
  setPicture(1000, 200, QColor(0, 0, 0));
  hoffs = 50;
  voffs = 20;
  viewResetScroll();
  EXPECT_EQ(hasHbar, 1);
  EXPECT_EQ(hasVbar, 0);
  EXPECT_EQ(hrange, 1000);
  EXPECT_EQ(hoffs, 0);
  EXPECT_EQ(voffs, 0);
  EXPECT_EQ(repaints, 1);
  // While it runs, a nested call only takes the window size.
  scrollNesting = 1;
  winwidth = 123;
  viewResetScroll();
  EXPECT_EQ(scaledWinWidth, 123);
  EXPECT_EQ(repaints, 1);
  scrollNesting = 0;
}

TEST_F(ViewTest, ScrollActionsStayInsideThePicture) {
  setPicture(1000, 800, QColor(0, 0, 0));
  viewResetScroll();
  EXPECT_EQ(viewScroll(0, scrollLineDown, 0), 8);
  EXPECT_EQ(viewScroll(0, scrollLineUp, 0), 0);
  EXPECT_EQ(viewScroll(0, scrollLineUp, 0), 0);
  EXPECT_EQ(viewScroll(0, scrollPageDown, 0), 400);
  EXPECT_EQ(viewScroll(0, scrollPageDown, 0), 600);  // the right end: 1000 - 400
  EXPECT_EQ(viewScroll(0, scrollBottom, 0), 600);
  EXPECT_EQ(barH, 600);
  EXPECT_EQ(viewScroll(1, scrollBottom, 0), 500);
  EXPECT_EQ(viewScroll(1, scrollThumb, 123), 123);
  EXPECT_EQ(voffs, 123);
  EXPECT_EQ(viewScroll(1, scrollTop, 0), 0);
  // A picture narrower than the window does not scroll.
  setPicture(100, 100, QColor(0, 0, 0));
  viewResetScroll();
  EXPECT_EQ(viewScroll(0, scrollBottom, 0), 0);
  EXPECT_EQ(viewScroll(0, scrollLineDown, 0), 0);
}

TEST_F(ViewTest, ZoomKeepsTheCentreAndUndoes) {
  setPicture(2000, 2000, QColor(0, 0, 0));
  winwidth = winheight = 400;
  viewResetScroll();
  hoffs = 100;
  voffs = 0;
  Zoomin(1);
  EXPECT_EQ(scale, 2.0);
  EXPECT_EQ(hoffs, 400);  // 2 * 100 + 400 / 2
  EXPECT_EQ(voffs, 200);
  EXPECT_EQ(barH, 400);
  ASSERT_NE(undoLast, nullptr);
  EXPECT_EQ(undoLast->t, undoZoomed);
  viewZoomout(1);
  EXPECT_EQ(scale, 1.0);
  EXPECT_EQ(hoffs, 100);  // 400 / 2 - 400 / 4
  EXPECT_EQ(voffs, 0);
  // Mode 2 lays the view out without a change of zoom or an undo step.
  undoStruct *before = undoLast;
  viewZoomout(2);
  EXPECT_EQ(scale, 1.0);
  EXPECT_EQ(undoLast, before);
}

TEST_F(ViewTest, CtrlWheelZoomsAboutThePointerAndFitFitsThePicture) {
  setPicture(2000, 1000, QColor(0, 0, 0));
  sx = 2000;
  sy = 1000;
  winwidth = winheight = 400;
  viewResetScroll();
  hoffs = 100;
  voffs = 50;
  zoomAbout(2.0, 40, 30);  // picture point (140, 80) is under the pointer
  EXPECT_EQ(scale, 2.0);
  EXPECT_EQ(imageXFromWindow(40), 140);
  EXPECT_EQ(imageYFromWindow(30), 80);
  ASSERT_NE(undoLast, nullptr);
  EXPECT_EQ(undoLast->t, undoZoomed);
  EXPECT_EQ(zoomFitScale(), 0.125);  // 250 x 125 fits 400 x 400; 500 x 250 does not
  sx = sy = 0;
}

TEST_F(ViewTest, ZoomAndItsUndoLeaveTheDocumentUnchanged) {
  changed = 0;
  Zoomin(1);
  viewZoomout(1);
  EXPECT_EQ(changed, 0);
  undoRestore();
  EXPECT_EQ(scale, 2.0);
  undoRestore();
  redoRestore();
  EXPECT_EQ(scale, 2.0);
  EXPECT_EQ(changed, 0);
}

TEST_F(ViewTest, ZoomOutNeverLeavesTheViewPastThePicture) {
  // A picture that fits the window after zooming out has no bar, so it cannot
  // stay scrolled.
  setPicture(380, 380, QColor(0, 0, 0));
  winwidth = winheight = 400;
  scale = 2;
  viewResetScroll();
  hoffs = voffs = 361;  // the far end at zoom 2
  viewZoomout(1);
  EXPECT_EQ(hasHbar, 0);
  EXPECT_EQ(hoffs, 0);
  EXPECT_EQ(voffs, 0);
  // At the far end of a wide picture, zooming out stops at the new far end.
  setPicture(4000, 4000, QColor(0, 0, 0));
  scale = 1;
  viewResetScroll();
  hoffs = 4000 + 16 - 400 + 1;
  viewZoomout(1);
  EXPECT_LE(hoffs, 2000 + 16 - 400 + 1);
}

TEST_F(ViewTest, ZoomWithoutLimitStaysSafe) {
  add(polygon, {{10, 10}, {150, 20}, {100, 140}});
  add(circle, {{60, 60}, {90, 60}});
  state = editing;
  select({0});
  for (int i = 0; i < 40; i++) Zoomin(1);
  viewRender(0);
  for (int i = 0; i < 80; i++) viewZoomout(1);
  viewRender(0);
  EXPECT_GT(scale, 0.0);
  ASSERT_NE(hbDouble, nullptr);
}

TEST_F(ViewTest, FrameSizeForThePicture) {
  sizeWindowsFacts f = {666, 10, 60, 16, 16, 0, 0, 1280, 900, 100, 100};
  int x, y, w, h;
  displayWidth = 500;
  displayHeight = 300;
  ASSERT_TRUE(sizeWindowsCompute(&f, &x, &y, &w, &h));
  EXPECT_EQ(w, 676);  // the toolbar is wider than the picture
  EXPECT_EQ(h, 382);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 100);
  // Larger than the desktop: limited, bars allowed for, centred.
  displayWidth = 3000;
  displayHeight = 2000;
  ASSERT_TRUE(sizeWindowsCompute(&f, &x, &y, &w, &h));
  EXPECT_EQ(w, 1280);
  EXPECT_EQ(h, 868);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 16);
  // Tiny: at least 200 wide.
  f.toolbarWidth = 0;
  displayWidth = 10;
  displayHeight = 0;
  ASSERT_TRUE(sizeWindowsCompute(&f, &x, &y, &w, &h));
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 82);
  // Maximised: only remembered.
  maximized = 1;
  EXPECT_FALSE(sizeWindowsCompute(&f, &x, &y, &w, &h));
  EXPECT_EQ(newImage, 1);
}

// --- drawing ------------------------------------------------------------------

TEST_F(ViewTest, PictureAndBackground) {
  viewRender(0);
  ASSERT_NE(hbDouble, nullptr);
  EXPECT_EQ(hbDouble->width(), 400);
  EXPECT_EQ(hbDouble->height(), 300);
  EXPECT_EQ(at(0, 0), picture);
  EXPECT_EQ(at(199, 149), picture);
  EXPECT_EQ(at(200, 10), white);   // right of the picture
  EXPECT_EQ(at(10, 150), white);   // below it
  // Scrolled and zoomed: the cache follows.
  scale = 2;
  hoffs = 100;
  viewRender(0);
  EXPECT_EQ(at(299, 0), picture);
  EXPECT_EQ(at(300, 0), white);
  // Without a picture the window is background.
  imageDataDestroy(id);
  id = nullptr;
  viewRender(0);
  EXPECT_EQ(at(5, 5), white);
}

TEST_F(ViewTest, PictureIsScaledNearestPixel) {
  if (id) imageDataDestroy(id);
  QImage *tile = new QImage(4, 2, QImage::Format_BGR888);
  tile->fill(QColor(0, 0, 0));
  tile->setPixelColor(1, 0, QColor(255, 0, 0));
  tile->setPixelColor(2, 1, QColor(0, 0, 255));
  id = imageDataCreateFromHBITMAP(tile);
  displayWidth = 4;
  displayHeight = 2;
  scale = 8;
  viewInvalidate();
  viewRender(0);
  EXPECT_EQ(at(8, 0), rgb(255, 0, 0));
  EXPECT_EQ(at(15, 7), rgb(255, 0, 0));
  EXPECT_EQ(at(16, 0), rgb(0, 0, 0));
  EXPECT_EQ(at(20, 12), rgb(0, 0, 255));
  EXPECT_EQ(at(32, 0), white);
  // The page may show the picture at another size than its own.
  displayWidth = 8;
  scale = 1;
  viewRender(0);
  EXPECT_EQ(at(2, 0), rgb(255, 0, 0));
  EXPECT_EQ(at(3, 0), rgb(255, 0, 0));
  EXPECT_EQ(at(4, 0), rgb(0, 0, 0));
}

TEST_F(ViewTest, OutlinesOfEveryKind) {
  add(rectangle, {{120, 20}, {20, 80}});       // corners in either order
  add(circle, {{150, 110}, {170, 110}});
  add(polygon, {{10, 100}, {60, 100}, {60, 140}});
  viewRender(0);
  const unsigned red = rgb(255, 0, 0);
  EXPECT_EQ(at(20, 50), red);    // left edge of the rectangle
  EXPECT_EQ(at(70, 20), red);    // top edge
  EXPECT_EQ(at(70, 80), red);    // bottom edge
  EXPECT_EQ(at(70, 50), picture);  // inside: untouched
  EXPECT_EQ(at(130, 110), red);  // the circle's left point (radius 20)
  EXPECT_EQ(at(150, 90), red);   // its top
  EXPECT_EQ(at(150, 110), picture);
  EXPECT_EQ(at(35, 100), red);   // the polygon's first edge
  EXPECT_EQ(at(60, 120), red);   // its second
  EXPECT_EQ(at(35, 120), red);   // the closing edge (10,100)-(60,140)
}

TEST_F(ViewTest, PolygonUnderConstructionFollowsThePointer) {
  objectsEnsure(0);
  object *o = &objects[0];
  o->t = polygon;
  o->complete = 0;
  pointsEnsure(o, 4);
  o->points[0] = {10, 10};
  o->points[1] = {100, 10};
  o->points[2] = {100, 100};
  o->points[3] = {50, 120};  // the floating vertex
  o->pointsTotal = 3;
  state = polyAddpoints;
  viewRender(0);
  const unsigned red = rgb(255, 0, 0);
  EXPECT_EQ(at(75, 110), red);  // the pending edge to the pointer
  EXPECT_EQ(at(55, 55), picture);  // no closing edge yet
  state = polyUrl;
  viewRender(0);
  EXPECT_EQ(at(55, 55), red);  // closed
  EXPECT_EQ(at(75, 110), picture);
}

TEST_F(ViewTest, SelectedHotspotIsInvertedWithHandles) {
  const int r = add(rectangle, {{20, 20}, {120, 100}});
  state = editing;
  select({r});
  viewRender(0);
  // Inside: the picture inverted by the white brush.
  EXPECT_EQ(at(70, 40), rgb(255 - 40, 255 - 80, 255 - 120));
  // The outline: the one-pixel sketch pen over the three-pixel dark one.
  EXPECT_EQ(at(20, 40), rgb(255, 0, 0));
  EXPECT_EQ(at(21, 40), rgb(127, 0, 0));
  // Corner markers in the handle pens, the centre move handle.
  EXPECT_EQ(at(20 + 5, 20), rgb(127, 255, 127));
  EXPECT_EQ(at(70, 60), rgb(127, 255, 127));  // centre of the move handle
  EXPECT_EQ(at(70 + 8, 61), rgb(0, 255, 0));  // its middle pen
  // The same hotspot outside the editing state: a plain outline.
  state = rectPosition;
  viewRender(0);
  EXPECT_EQ(at(70, 40), picture);
}

// Whether the ring of a selected point passes through (x, y): one of the two
// handle pens.
bool ringAt(int x, int y) {
  const unsigned c = at(x, y);
  return c == rgb(127, 255, 127) || c == rgb(0, 255, 0);
}

TEST_F(ViewTest, SelectedPointsAreRinged) {
  const int p = add(polygon, {{20, 20}, {150, 30}, {80, 120}});
  state = editing;
  select({p});
  pointSelect(&psel, 1);
  viewRender(0);
  // The ring of radius 7 round vertex 1 crosses its diagonal; vertex 0 has none.
  EXPECT_TRUE(ringAt(155, 35));
  EXPECT_FALSE(ringAt(15, 15));
  // A single selected polygon also has the selection's move and resize handles.
  bounds b = selectionGetCenterAndBounds(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(at(b.x2, b.y2 - 3), rgb(127, 255, 127));  // the bracket's inner line
}

TEST_F(ViewTest, RectangleRingMarksTheCornerThatIsPicked) {
  // Drawn from lower right to upper left: corner 0 is (120, 100).
  const int r = add(rectangle, {{120, 100}, {20, 20}});
  state = editing;
  select({r});
  pointSelect(&psel, 0);
  viewRender(0);
  EXPECT_TRUE(ringAt(125, 105));
  EXPECT_FALSE(ringAt(15, 15));
}

TEST_F(ViewTest, CircleMarkersOnlyForASingleSelection) {
  const int c = add(circle, {{100, 80}, {130, 80}});
  const int d = add(rectangle, {{150, 10}, {190, 40}});
  state = editing;
  select({c});
  viewRender(0);
  EXPECT_EQ(at(100, 80), rgb(127, 255, 127));  // the centre handle
  EXPECT_EQ(at(130, 80), rgb(127, 255, 127));  // the right point
  select({c, d});
  viewRender(0);
  EXPECT_NE(at(130, 80), rgb(127, 255, 127));
  // Several selected: the selection's handles at its centre and lower right.
  bounds b = selectionGetCenterAndBounds(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(at(b.x2 - 4, b.y2), rgb(127, 255, 127));
}

TEST_F(ViewTest, RubberBand) {
  state = editing;
  editingSelectionDrag = 1;
  ovx = 10;
  ovy = 10;
  selectionDragX = 110;
  selectionDragY = 90;
  viewRender(0);
  EXPECT_EQ(at(60, 10), rgb(255, 0, 0));
  EXPECT_EQ(at(60, 11), rgb(127, 0, 0));
  EXPECT_EQ(at(60, 50), picture);
  editingSelectionDrag = 0;
  viewRender(0);
  EXPECT_EQ(at(60, 10), picture);
}

TEST_F(ViewTest, PendingTransformMovesTheSelection) {
  const int r = add(rectangle, {{20, 20}, {60, 60}});
  state = editing;
  select({r});
  mfactorx = 100;
  viewRender(2);
  EXPECT_EQ(at(120, 40), rgb(255, 0, 0));
  EXPECT_EQ(at(20, 40), picture);
}

// The cached layer of unchanging hotspots must never show a stale picture:
// after any change, the buffer equals one drawn from scratch.
TEST_F(ViewTest, CachedLayerMatchesAFreshDrawing) {
  setPicture(300, 300, QColor(90, 30, 200));
  winwidth = winheight = 300;
  std::mt19937 rnd(7);
  auto coord = [&]() { return (double)(rnd() % 300); };
  for (int i = 0; i < 12; i++) {
    switch (i % 3) {
      case 0: add(rectangle, {{coord(), coord()}, {coord(), coord()}}); break;
      case 1: add(circle, {{coord(), coord()}, {coord(), coord()}}); break;
      default: add(polygon, {{coord(), coord()}, {coord(), coord()}, {coord(), coord()}, {coord(), coord()}}); break;
    }
  }
  const int states[] = {editing, editing, editing, rectPosition, polyAddpoints};
  for (int step = 0; step < 600; step++) {
    const int what = (int)(rnd() % 10);
    const int k = (int)(rnd() % objectsTotal);
    switch (what) {
      case 0: objects[k].points[0].x = coord(); break;                 // an edit
      case 1: objects[k].selected = !objects[k].selected; break;      // selection
      case 2: state = states[rnd() % 5]; break;
      case 3: pointsDeselect(&psel); pointSelect(&psel, (int)(rnd() % 3)); lastObjectSelected = k; break;
      case 4: mfactorx = (int)(rnd() % 20); break;
      case 5: hoffs = (int)(rnd() % 40); break;
      case 6: sketchG = (int)(rnd() % 256); viewRecreatePens(); break;
      case 8: voffs = (int)(rnd() % 60); break;                       // scrolls
      case 9: hoffs += (int)(rnd() % 17) - 8; if (hoffs < 0) hoffs = 0; break;
      default: objects[k].points[1].y = coord(); break;
    }
    viewRender(0);
    QImage cached = hbDouble->copy();
    viewInvalidate();
    viewRender(0);
    ASSERT_TRUE(cached == *hbDouble) << "step " << step << " change " << what;
  }
}

// Scrolling moves the cached picture and draws only what came into view; the
// result is the picture drawn from scratch, over several tiles, at any zoom.
TEST_F(ViewTest, ScrolledPictureCacheMatchesAFreshDrawing) {
  if (id) imageDataDestroy(id);
  unsigned char header[imageHeaderSize] = {};
  bitmapInfoHeader bi = {};
  bi.biSize = 40;
  bi.biWidth = 2300;
  bi.biHeight = -1700;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  std::memcpy(header, &bi, sizeof bi);
  id = imageDataCreateFromHeader(header, imageHeaderSize);
  ASSERT_NE(id, nullptr);
  ASSERT_GT(id->cols, 1);
  std::vector<unsigned char> row(2300 * 3);
  for (int y = 0; y < 1700; y++) {
    for (int x = 0; x < 2300; x++) {
      row[3 * x] = (unsigned char)(x * 13 + y);
      row[3 * x + 1] = (unsigned char)(y * 7);
      row[3 * x + 2] = (unsigned char)(x ^ y);
    }
    imageDataPushRow(id, y, row.data());
  }
  displayWidth = 2300;
  displayHeight = 1700;
  viewInvalidate();
  std::mt19937 rnd(3);
  const double zooms[] = {1, 3, 0.5, 0.25, 8};
  for (double z : zooms) {
    scale = z;
    hoffs = voffs = 0;
    viewRender(0);
    for (int step = 0; step < 40; step++) {
      const int big = step % 9 == 0 ? 500 : 30;
      hoffs += (int)(rnd() % (2 * big + 1)) - big;
      voffs += (int)(rnd() % (2 * big + 1)) - big;
      viewRender(0);
      QImage scrolled = hbDouble->copy();
      viewInvalidate();
      viewRender(0);
      ASSERT_TRUE(scrolled == *hbDouble) << "zoom " << z << " step " << step;
    }
  }
}

int main(int count, char **words) {
  // QPainter on a QImage needs the GUI application's fonts and raster engine.
  QGuiApplication app(count, words);
  ::testing::InitGoogleTest(&count, words);
  return RUN_ALL_TESTS();
}
