// Tests of the editing states: the tool commands, leaving a tool, and what a
// press, motion, release, right press, double-click and cancel do in each
// state; the drag rule in window pixels, context menus and help topics.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "platform/settings.h"
#include "editor/modes.h"
#include "editor/snap.h"
#include "editor/props.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "html/document.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "tests/editor/editor_fixture.h"

TEST_F(EditorTest, ToolCommandsShowTheirHintLeaveTheToolAndEnter) {
  struct {
    int id, hint, entered;
  } cases[] = {{cmdPolygon, 3, polyPosition},
               {cmdRectangle, 1, rectPosition},
               {cmdCircle, 2, circlePosition},
               {cmdMagicWand, 4, magicwandPosition},
               {cmdTestEdit, 6, editing}};
  for (const auto &tc : cases) {
    clearLog();
    state = nostate;
    toolCommand(tc.id);
    EXPECT_EQ(state, tc.entered) << tc.id;
    EXPECT_EQ(seamLog.front(), "hint " + std::to_string(tc.hint)) << tc.id;
    EXPECT_EQ(logged("check " + std::to_string(tc.id) + " 1"), 1) << tc.id;
    EXPECT_GE(logged("toolbar"), 1);
  }
  // Switching tools unchecks the one left.
  clearLog();
  toolCommand(cmdPolygon);
  EXPECT_EQ(logged(checkEntry(cmdTestEdit, 0)), 1);
  EXPECT_EQ(state, polyPosition);
}

TEST_F(EditorTest, LeavingAToolDiscardsTheShapeUnderConstruction) {
  struct {
    void (*enter)(int);
    int check;
    bool dialogHidden;
  } cases[] = {{Poly, cmdPolygon, true},
               {Circle, cmdCircle, true},
               {Rect, cmdRectangle, true},
               {Magicwand, cmdMagicWand, false}};
  for (const auto &tc : cases) {
    tc.enter(1);
    objects[objectsTotal].t = polygon;
    clearLog();
    unstate();
    EXPECT_EQ(state, nostate);
    EXPECT_EQ(objects[objectsTotal].t, notype);
    EXPECT_EQ(logged("check " + std::to_string(tc.check) + " 0"), 1);
    EXPECT_EQ(logged("urlDismiss") > 0, tc.dialogHidden) << tc.check;
  }
  // Reserved values leave as the polygon tool does; nostate does nothing.
  state = moving;
  unstate();
  EXPECT_EQ(state, nostate);
  clearLog();
  unstate();
  EXPECT_TRUE(seamLog.empty());
}

TEST_F(EditorTest, RectangleAndCircleToolsKeepADragInProgress) {
  state = rectDrag;
  Rect(1);
  EXPECT_EQ(state, rectDrag);
  state = circleDrag;
  Circle(1);
  EXPECT_EQ(state, circleDrag);
  state = circleUrl;
  Circle(1);
  EXPECT_EQ(state, circlePosition);
}

TEST_F(EditorTest, LeavingTestAndEditUnselectsEverything) {
  addRect(0, 0, 10, 10);
  addRect(20, 20, 30, 30);
  Edit(1);
  EXPECT_EQ(state, editing);
  EXPECT_TRUE(logged("sensitivity 1"));
  SelectAll();
  pointSelect(&psel, 1);
  editingState = editingMoving;
  toolCommand(cmdRectangle);
  EXPECT_EQ(state, rectPosition);
  EXPECT_EQ(objectsSelected(), 0);
  EXPECT_EQ(lastObjectSelected, -1);
  EXPECT_EQ(pointsSelected(&psel), 0);
  EXPECT_EQ(editingState, editingNone);
  EXPECT_EQ(logged(checkEntry(cmdTestEdit, 0)), 1);
}

TEST_F(EditorTest, PolygonClosesNearItsFirstVertexByZoomTolerance) {
  struct {
    double zoom;
    int near, far;  // offsets in both x and y that close, and that do not
  } cases[] = {{1, 6, 7}, {4, 0, 1}, {0.5, 13, 14}, {8, 0, 1}};
  for (const auto &tc : cases) {
    undoPurge();
    scale = tc.zoom;
    Poly(1);
    Button1Down(100, 100, 0);
    EXPECT_EQ(state, polyAddpoints);
    Button1Down(200, 100, 0);
    Button1Down(200, 200, 0);
    Button1Down(100 + tc.far, 100 + tc.far, 0);
    EXPECT_EQ(state, polyAddpoints) << tc.zoom;
    EXPECT_EQ(objects[objectsTotal].pointsTotal, 4) << tc.zoom;
    clearLog();
    Button1Down(100 + tc.near, 100 - tc.near, 0);
    EXPECT_EQ(state, polyUrl) << tc.zoom;
    EXPECT_EQ(objects[objectsTotal].pointsTotal, 4) << tc.zoom;
    EXPECT_EQ(logged("url " + std::to_string(objectsTotal)), 1) << tc.zoom;
    UrlCancel();
    EXPECT_EQ(state, polyPosition);
    EXPECT_EQ(objects[objectsTotal].t, notype);
  }
}

TEST_F(EditorTest, PolygonVerticesAndTheFloatingVertex) {
  Poly(1);
  Button1Down(10, 10, 0);
  const object &o = objects[objectsTotal];
  ASSERT_EQ(o.t, polygon);
  EXPECT_EQ(o.complete, 0);
  EXPECT_EQ(o.pointsTotal, 1);
  EXPECT_EQ(o.points[1].x, 10);  // the floating vertex starts on the first
  ASSERT_NE(undoLast, nullptr);
  EXPECT_EQ(undoLast->o.t, notype);  // the empty slot was saved
  ImagePointerMoved(30, 12, 0);
  EXPECT_EQ(o.points[1].x, 30);
  EXPECT_EQ(o.points[1].y, 12);
  // With only two vertices a click near the first adds a third instead.
  Button1Down(30, 12, 0);
  Button1Down(12, 12, 0);
  EXPECT_EQ(state, polyAddpoints);
  EXPECT_EQ(o.pointsTotal, 3);
  // Shift constrains placed and floating vertices against the last vertex.
  keyShift = 1;
  ImagePointerMoved(30, 13, 0);
  EXPECT_EQ(o.points[3].y, 12);
  Button1Down(13, 30, 0);  // nearly straight down: vertical
  EXPECT_EQ(o.points[3].x, 12);
  EXPECT_EQ(o.points[3].y, 30);
  keyShift = 0;
  // A right press closes it; the floating vertex is not kept.
  Button2Down(50, 50);
  EXPECT_EQ(state, polyUrl);
  EXPECT_EQ(o.pointsTotal, 4);
}

TEST_F(EditorTest, RightPressAndEnterNeedThreeVertices) {
  for (int enter = 0; enter < 2; enter++) {
    SCOPED_TRACE(enter ? "Enter" : "right press");
    Poly(1);
    Button1Down(0, 0, 0);
    Button1Down(10, 0, 0);
    if (enter)
      EXPECT_EQ(EnterKey(), 1);
    else
      Button2Down(5, 5);
    EXPECT_EQ(state, polyAddpoints);
    Button1Down(10, 10, 0);
    if (enter)
      EXPECT_EQ(EnterKey(), 1);
    else
      Button2Down(5, 5);
    EXPECT_EQ(state, polyUrl);
    EXPECT_EQ(objects[objectsTotal].pointsTotal, 3);
    EXPECT_EQ(EnterKey(), 0);  // outside the drawing it is the properties key
    unstate();
  }
}

TEST_F(EditorTest, CircleAndRectangleByClickMoveClickOrByDrag) {
  // Press, drag 20 pixels, release: complete at the release point.
  Circle(1);
  imageLeftPress(100, 100, 0, 0);
  EXPECT_EQ(state, circleDrag);
  imagePointerMove(110, 110, 1, 0, 0);
  EXPECT_EQ(objects[objectsTotal].points[1].x, 110);
  imageLeftRelease(120, 100, 0, 0, 1);
  EXPECT_EQ(state, circleUrl);
  EXPECT_EQ(objects[objectsTotal].points[1].x, 120);
  UrlOK("c.html", "", "", "", "", "", "");
  EXPECT_EQ(state, circlePosition);
  EXPECT_EQ(objectsTotal, 1);
  // A release 5 window pixels away leaves the drag going; the next click ends it.
  imageLeftPress(50, 50, 0, 0);
  imageLeftRelease(55, 50, 0, 0, 1);
  EXPECT_EQ(state, circleDrag);
  imageLeftPress(60, 70, 0, 0);
  EXPECT_EQ(state, circleUrl);
  EXPECT_EQ(objects[objectsTotal].points[1].y, 70);
  UrlCancel();
  EXPECT_EQ(state, circlePosition);
  // Rectangles, at zoom 2 with a scroll offset.
  Rect(1);
  scale = 2;
  hoffs = 40;
  voffs = 10;
  imageLeftPress(10, 10, 0, 0);
  EXPECT_EQ(state, rectDrag);
  EXPECT_EQ(objects[objectsTotal].points[0].x, 25);
  EXPECT_EQ(objects[objectsTotal].points[0].y, 10);
  imageLeftRelease(19, 10, 0, 0, 0);  // no map loaded: ignored
  EXPECT_EQ(state, rectDrag);
  imageLeftRelease(19, 10, 0, 0, 1);
  EXPECT_EQ(state, rectUrl);
  EXPECT_EQ(objects[objectsTotal].points[1].x, 29);
  // While the dialog is open presses do nothing.
  Button1Down(0, 0, 0);
  Button2Down(0, 0);
  EXPECT_EQ(state, rectUrl);
}

TEST_F(EditorTest, RightPressCompletesCirclesAndRectangles) {
  Circle(1);
  Button1Down(10, 10, 0);
  Button2Down(15, 10);
  EXPECT_EQ(state, circleUrl);
  EXPECT_EQ(objects[objectsTotal].points[1].x, 15);
  UrlCancel();
  Rect(1);
  Button1Down(10, 10, 0);
  Button2Down(20, 30);
  EXPECT_EQ(state, rectUrl);
  EXPECT_EQ(objects[objectsTotal].points[1].y, 30);
  UrlCancel();
  Edit(1);
  Button2Down(7, 8);
  EXPECT_EQ(rightx, 7);
  EXPECT_EQ(righty, 8);
  EXPECT_EQ(state, editing);
}

TEST_F(EditorTest, EscapeCancelsOnlyAShapeBeingDrawn) {
  struct {
    int from, to;
  } cases[] = {{polyAddpoints, polyPosition}, {circleDrag, circlePosition}, {rectDrag, rectPosition},
               {magicwandPosition, magicwandPosition}, {editing, editing}, {rectUrl, rectUrl},
               {nostate, nostate}};
  for (const auto &tc : cases) {
    objects[objectsTotal].t = rectangle;
    state = tc.from;
    clearLog();
    Button3Down();
    EXPECT_EQ(state, tc.to) << tc.from;
    bool discards = tc.from == polyAddpoints || tc.from == circleDrag || tc.from == rectDrag ||
                    tc.from == magicwandPosition;
    EXPECT_EQ(objects[objectsTotal].t == notype, discards) << tc.from;
    EXPECT_EQ(logged("repaint 0"), 1);
  }
}

TEST_F(EditorTest, DoubleClickOpensTheHotspotOrTheDefaultDialog) {
  addRect(0, 0, 10, 10);
  addRect(20, 0, 30, 10);
  Edit(1);
  selectOnly({1});
  clearLog();
  imageLeftDoubleClick(5, 5, 0, 1);  // ctrl held: ignored
  EXPECT_TRUE(seamLog.empty());
  imageLeftDoubleClick(5, 5, 0, 0);
  EXPECT_EQ(logged("url 1"), 1);
  selectOnly({0, 1});
  imageLeftDoubleClick(5, 5, 0, 0);
  EXPECT_EQ(logged("urlDefault"), 1);
  state = rectPosition;
  clearLog();
  Button1DoubleClick(5, 5);
  EXPECT_TRUE(seamLog.empty());
}

TEST_F(EditorTest, TheEightPixelDragRule) {
  pressWinX = 100;
  pressWinY = 100;
  EXPECT_FALSE(releaseIsDrag(108, 92));
  EXPECT_TRUE(releaseIsDrag(109, 100));
  EXPECT_TRUE(releaseIsDrag(100, 91));
  // In Test+Edit a short release is a click, a long one a rubber band.
  addRect(20, 20, 30, 30);
  Edit(1);
  imageLeftPress(0, 0, 0, 0);
  imagePointerMove(8, 8, 1, 0, 0);
  imageLeftRelease(8, 8, 0, 0, 1);
  EXPECT_EQ(objectsSelected(), 0);
  EXPECT_EQ(editingSelectionDrag, 0);
  imageLeftPress(0, 0, 0, 0);
  imagePointerMove(25, 25, 1, 0, 0);
  imageLeftRelease(25, 25, 0, 0, 1);
  EXPECT_EQ(objectsSelected(), 1);
  // Motion without the button held does nothing in Test+Edit.
  clearLog();
  imagePointerMove(50, 50, 0, 0, 0);
  EXPECT_TRUE(seamLog.empty());
}

TEST_F(EditorTest, ContextMenusFollowTheSelection) {
  int r = addRect(0, 0, 10, 10);
  int p = addShape(polygon, {{20, 0}, {30, 0}, {30, 10}});
  EXPECT_EQ(contextMenuResource(), contextMenuNone);
  Edit(1);
  EXPECT_EQ(contextMenuResource(), contextMenuNone);
  // A mouse request over a hotspot with nothing selected selects it first.
  rightx = righty = 5;
  EXPECT_EQ(contextMenuRequest(1), contextMenuOneHotspot);
  EXPECT_EQ(lastObjectSelected, r);
  selectOnly({p});
  pointSelect(&psel, 0);
  EXPECT_EQ(contextMenuResource(), contextMenuPoints);
  pointSelect(&psel, 1);
  EXPECT_EQ(contextMenuResource(), contextMenuTwoPoints);
  pointSelect(&psel, 2);
  EXPECT_EQ(contextMenuResource(), contextMenuPoints);
  int x = 0, y = 0;
  ASSERT_TRUE(contextMenuImagePoint(&x, &y));
  EXPECT_EQ(x, 20);
  EXPECT_EQ(y, 0);
  selectOnly({r, p});
  EXPECT_EQ(contextMenuResource(), contextMenuSeveralHotspots);
  ASSERT_TRUE(contextMenuImagePoint(&x, &y));
  EXPECT_EQ(x, 15);
  EXPECT_EQ(y, 5);
  // Over empty image nothing is shown; the keyboard never selects.
  ObjectUnselect();
  rightx = righty = 100;
  EXPECT_EQ(contextMenuRequest(1), contextMenuNone);
  rightx = righty = 5;
  EXPECT_EQ(contextMenuRequest(0), contextMenuNone);
  state = rectPosition;
  EXPECT_EQ(contextMenuRequest(1), contextMenuNone);
}

TEST_F(EditorTest, HelpTopicsByState) {
  struct {
    int s;
    const char *topic;
  } cases[] = {{polyPosition, "help_polygons"}, {polyAddpoints, "help_polygons"}, {polyUrl, "help_editing"},
               {circleUrl, "help_editing"}, {rectUrl, "help_editing"}, {editing, "help_editing"},
               {circlePosition, "help_circles"}, {circleDrag, "help_circles"},
               {rectPosition, "help_rectangles"}, {rectDrag, "help_rectangles"},
               {magicwandPosition, "help_magicwand"}, {magicwandUrl, "help_magicwand"},
               {nostate, "help_contents"}, {99, "help_contents"}};
  for (const auto &tc : cases) {
    state = tc.s;
    EXPECT_STREQ(stateHelpTopic(), tc.topic) << tc.s;
  }
}

TEST_F(EditorTest, MagicWandTracesAndOpensTheDialog) {
  Magicwand(1);
  // No picture: nothing traced, the tool waits.
  Button1Down(5, 5, 0);
  EXPECT_EQ(state, magicwandPosition);
  EXPECT_EQ(changed, 1);
  // A white picture with a dark square.
  QImage *im = new QImage(60, 60, QImage::Format_RGB888);
  im->fill(QColor(255, 255, 255));
  for (int y = 20; y < 40; y++)
    for (int x = 20; x < 40; x++) im->setPixelColor(x, y, QColor(0, 0, 0));
  id = imageDataCreateFromHBITMAP(im);
  ASSERT_NE(id, nullptr);
  sx = sy = 60;
  clearLog();
  Button1Down(30, 30, 0);
  EXPECT_EQ(state, magicwandUrl);
  const object &o = objects[objectsTotal];
  EXPECT_EQ(o.t, polygon);
  EXPECT_GE(o.pointsTotal, 3);
  EXPECT_EQ(logged("url 0"), 1);
  EXPECT_EQ(logged("hint 5"), 1);
  UrlOK("wand.html", "", "", "", "", "", "");
  EXPECT_EQ(objectsTotal, 1);
  EXPECT_EQ(state, magicwandPosition);
  imageDataDestroy(id);
  id = nullptr;
  sx = sy = 0;
}

TEST_F(EditorTest, SnappingToTheGridAndToEdgesAndVertices) {
  const int box = addRect(100, 100, 200, 150), moving = addRect(0, 200, 20, 220);
  objects[moving].selected = 1;  // the hotspot being changed is no target
  sx = 300;
  sy = 250;
  struct {
    int grid, hotspots;
    double zoom;
    int x, y, wantX, wantY;
  } cases[] = {
      {0, 0, 1, 13, 17, 13, 17},     // snapping off
      {1, 0, 1, 13, 17, 10, 20},     // the nearest grid point
      {1, 0, 1, 15, 15, 20, 20},     // halfway rounds away from zero
      {0, 1, 1, 103, 98, 100, 100},  // a corner within five window pixels wins
      {0, 1, 1, 150, 103, 150, 100}, // else the nearest edge
      {0, 1, 1, 297, 60, 300, 60},   // the picture's edge
      {1, 1, 1, 150, 120, 150, 120}, // nothing within reach: the grid
      {1, 1, 1, 146, 124, 150, 120},
      {0, 1, 2, 103, 98, 103, 100},  // zoomed in, 2.5 picture pixels: the corner is too far, the edge not
      {0, 1, 1, 10, 203, 10, 203},   // the selected hotspot's edges are no target
  };
  for (const auto &c : cases) {
    gridSnap = c.grid;
    snapHotspots = c.hotspots;
    scale = c.zoom;
    int x = c.x, y = c.y;
    snapPoint(&x, &y);
    EXPECT_EQ(x, c.wantX) << c.x << "," << c.y;
    EXPECT_EQ(y, c.wantY) << c.x << "," << c.y;
  }
  gridSnap = snapHotspots = 0;
  scale = 1;
  sx = sy = 0;
  (void)box;
}
