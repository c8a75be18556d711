// Tests of what the properties dialogs do with their texts: confirming a new
// or an existing hotspot, the defeatUrlDialog shortcut, cancelling, deleting,
// "Same As Previous", the relative link of "Browse Files..." and the default
// link drawn as a rectangle over the whole picture.
#include <gtest/gtest.h>

#include <string>

#include "platform/settings.h"
#include "editor/modes.h"
#include "editor/props.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "html/document.h"
#include "platform/strhack.h"
#include "platform/platform_scripted.h"
#include "tests/editor/editor_fixture.h"

namespace {

std::string linkFor(const char *page, const char *file) {
  char out[1024];
  if (!urlRelativeLink(page, file, out, sizeof out)) return "<none>";
  return out;
}

}  // namespace

TEST_F(EditorTest, ConfirmingANewHotspotStoresItsTextsAndCountsIt) {
  struct {
    int dialogState, next;
  } cases[] = {{polyUrl, polyPosition}, {circleUrl, circlePosition}, {rectUrl, rectPosition},
               {magicwandUrl, magicwandPosition}};
  for (const auto &tc : cases) {
    int n = objectsTotal;
    objects[n].t = rectangle;
    objects[n].pointsTotal = 2;
    state = tc.dialogState;
    urlIsVisible = 1;
    changed = 0;
    UrlOK("a \"b\" <c>", "alt", "", "_top", "over()", "out()", "click()");
    EXPECT_EQ(state, tc.next);
    ASSERT_EQ(objectsTotal, n + 1);
    const object &o = objects[n];
    EXPECT_STREQ(o.url, "a %22b%22 %3cc%3e");
    EXPECT_STREQ(o.comments, "alt");
    ASSERT_NE(o.title, nullptr);  // empty, not absent
    EXPECT_STREQ(o.title, "");
    EXPECT_STREQ(o.target, "_top");
    EXPECT_STREQ(o.onMouseOver, "over()");
    EXPECT_STREQ(o.onMouseOut, "out()");
    EXPECT_STREQ(o.onClick, "click()");
    EXPECT_EQ(o.complete, 1);
    EXPECT_EQ(changed, 1);
    ASSERT_NE(undoLast, nullptr);
    EXPECT_EQ(undoLast->t, undoAdded);
    EXPECT_EQ(undoLast->o.url, nullptr);  // the shape before its texts
    EXPECT_EQ(objects[objectsTotal].t, notype);  // a fresh spare record
  }
}

TEST_F(EditorTest, WithTheDialogDefeatedAClosedPolygonIsCountedAtOnce) {
  defeatUrlDialog = 1;
  Poly(1);
  Button1Down(0, 0, 0);
  Button1Down(50, 0, 0);
  Button1Down(50, 50, 0);
  clearLog();
  Button1Down(2, 2, 0);
  EXPECT_EQ(state, polyPosition);
  ASSERT_EQ(objectsTotal, 1);
  EXPECT_STREQ(objects[0].url, "");
  EXPECT_EQ(objects[0].pointsTotal, 3);
  EXPECT_EQ(urlIsVisible, 0);
  EXPECT_EQ(logged("url 0"), 0);
  EXPECT_EQ(undoLast->t, undoChanged);  // no undoAdded record
  // In Test+Edit the dialog is always shown.
  Edit(1);
  selectOnly({0});
  clearLog();
  Url(0, 1);
  EXPECT_EQ(urlIsVisible, 1);
  EXPECT_EQ(logged("url 0"), 1);
  EXPECT_EQ(logged("hint 5"), 0);
}

TEST_F(EditorTest, ConfirmingInTestAndEditChangesTheCurrentHotspot) {
  addRect(0, 0, 10, 10, "old");
  state = editing;
  changed = 0;
  UrlOK("new", "", "", "", "", "", "");  // no current hotspot: nothing
  EXPECT_STREQ(objects[0].url, "old");
  EXPECT_EQ(changed, 0);
  lastObjectSelected = 0;
  UrlOK("new", "text", "", "", "", "", "");
  EXPECT_STREQ(objects[0].url, "new");
  EXPECT_STREQ(objects[0].comments, "text");
  EXPECT_EQ(objectsTotal, 1);
  EXPECT_EQ(changed, 1);
  undoRestore();
  EXPECT_STREQ(objects[0].url, "old");
  EXPECT_EQ(objects[0].comments, nullptr);
  // Other states confirm nothing.
  state = rectPosition;
  UrlOK("x", "", "", "", "", "", "");
  EXPECT_STREQ(objects[0].url, "old");
}

TEST_F(EditorTest, CancelDiscardsANewShapeAndWaitsForTheNextOne) {
  Rect(1);
  Button1Down(10, 10, 0);
  Button1Down(20, 20, 0);
  ASSERT_EQ(state, rectUrl);
  clearLog();
  UrlCancel();
  EXPECT_EQ(logged("urlDismiss"), 1);
  EXPECT_EQ(state, rectPosition);
  EXPECT_EQ(objects[0].t, notype);
  EXPECT_EQ(objectsTotal, 0);
  // In Test+Edit only the dialog goes.
  addRect(0, 0, 5, 5, "keep");
  Edit(1);
  lastObjectSelected = 0;
  UrlCancel();
  EXPECT_EQ(state, editing);
  EXPECT_STREQ(objects[0].url, "keep");
}

TEST_F(EditorTest, DeletingTheCurrentHotspot) {
  addRect(0, 0, 5, 5, "a");
  addRect(10, 10, 15, 15, "b");
  UrlDelete(1);  // nothing current
  EXPECT_EQ(objectsTotal, 2);
  lastObjectSelected = 0;
  pointSelect(&psel, 1);
  changed = 0;
  UrlDelete(1);
  EXPECT_EQ(objectsTotal, 1);
  EXPECT_STREQ(objects[0].url, "b");
  EXPECT_EQ(lastObjectSelected, -1);
  EXPECT_EQ(pointsSelected(&psel), 0);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(objects[objectsTotal].t, notype);
  undoRestore();
  EXPECT_STREQ(objects[0].url, "a");
  EXPECT_EQ(lastObjectSelected, 0);
}

TEST_F(EditorTest, APressInTestAndEditRecordsTheDialogsHotspot) {
  addRect(0, 0, 5, 5);
  Edit(1);
  lastObjectSelected = 0;
  urlIsVisible = 0;
  clearLog();
  UrlDismissWithUndo();
  EXPECT_EQ(undoLast, nullptr);
  EXPECT_EQ(logged("urlDismiss"), 1);
  EXPECT_EQ(logged("urlDefaultDismiss"), 1);
  urlIsVisible = 1;
  UrlDismissWithUndo();
  ASSERT_NE(undoLast, nullptr);
  EXPECT_EQ(undoLast->t, undoChanged);
  EXPECT_EQ(undoLast->offset, 0);
}

TEST_F(EditorTest, ADialogClosedBeforeThePressRecordsNothing) {
  addRect(0, 0, 10, 10);
  addRect(20, 0, 30, 10);
  Edit(1);
  selectOnly({0});
  Url(0, 1);
  UrlCancel();
  changed = 0;
  editingButton1Down(25, 5);  // selects the other hotspot
  EXPECT_EQ(lastObjectSelected, 1);
  EXPECT_EQ(undoLast, nullptr);
  EXPECT_EQ(changed, 0);
}

TEST_F(EditorTest, SameAsPreviousNeedsACountedHotspotAndADrawingTool) {
  state = rectUrl;
  EXPECT_FALSE(urlSameAsPreviousEnabled(objectsTotal));  // the first hotspot
  addRect(0, 0, 5, 5);
  EXPECT_TRUE(urlSameAsPreviousEnabled(objectsTotal));
  EXPECT_FALSE(urlSameAsPreviousEnabled(0));  // an existing hotspot
  state = editing;
  EXPECT_FALSE(urlSameAsPreviousEnabled(objectsTotal));
  EXPECT_FALSE(urlSameAsPreviousEnabled(-1));
  EXPECT_FALSE(urlSameAsPreviousEnabled(1 << 20));
}

TEST(RelativeLink, WalksUpFromThePageToTheChosenFile) {
  EXPECT_EQ(linkFor("/site/a/page.html", "/site/b/c/other.html"), "../b/c/other.html");
  EXPECT_EQ(linkFor("/site/a/page.html", "/site/a/other.html"), "other.html");
  EXPECT_EQ(linkFor("/site/a/page.html", "/site/a/sub/other.html"), "sub/other.html");
  EXPECT_EQ(linkFor("/site/a/b/page.html", "/other.html"), "../../../other.html");
  // A shared beginning of a folder name is not a shared folder.
  EXPECT_EQ(linkFor("/site/abc/page.html", "/site/abd/x.html"), "../abd/x.html");
  // Another drive: the chosen file's own path.
  EXPECT_EQ(linkFor("C:/site/page.html", "D:/x/y.html"), "D:/x/y.html");
  EXPECT_EQ(linkFor("c:/site/page.html", "C:/site/y.html"), "y.html");
  EXPECT_EQ(linkFor("/a/page.html", ""), "<none>");
  char small[8];
  ASSERT_TRUE(urlRelativeLink("/a/page.html", "/a/averyveryverylongname.html", small, sizeof small));
  EXPECT_EQ(std::string(small), "averyve");
}

TEST_F(EditorTest, BrowseFilesPutsTheRelativeLinkInTheField) {
  char *old = mapfilename;
  mapfilename = mystrdupImpl("test", "/site/a/page.html");
  char url[256] = "unchanged";
  scripted.files.push_back("");  // cancelled
  EXPECT_FALSE(UrlBrowseFiles(url, sizeof url));
  EXPECT_STREQ(url, "unchanged");
  EXPECT_EQ(logged("hint 10"), 1);
  scripted.files.push_back("/site/b/other.htm");
  EXPECT_TRUE(UrlBrowseFiles(url, sizeof url));
  EXPECT_STREQ(url, "../b/other.htm");
  ASSERT_FALSE(scripted.shown.empty());
  const scriptedShown &dialog = scripted.shown.back();
  EXPECT_EQ(dialog.kind, "open");
  EXPECT_EQ(dialog.text,
            "HTML, PHP, Cold Fusion and ASP Pages (*.HTM;*.HTML;*.SHTM;*.SHTML;*.ASP;*.ASPX;*.PHP;*.CFM)="
            "*.htm;*.html;*.shtm;*.shtml;*.asp;*.php;*.cfm;*.aspx");
  EXPECT_TRUE(dialog.flags & PLATFORM_FILE_MUST_EXIST);
  myfreeImpl(mapfilename);
  mapfilename = old;
}

TEST_F(EditorTest, AWholePictureRectangleAtTheEndBecomesTheDefaultLink) {
  displayWidth = 200;
  displayHeight = 100;
  addRect(10, 10, 20, 20, "a.html");
  EXPECT_FALSE(DetectDefaultURL());
  addRect(0, 0, 199, 99, "home.html");
  ASSERT_TRUE(DetectDefaultURL());
  EXPECT_STREQ(defaultUrl, "home.html");
  EXPECT_EQ(objectsTotal, 1);
  EXPECT_STREQ(objects[0].url, "a.html");
  EXPECT_EQ(lastObjectSelected, -1);
  // Not the last hotspot, corners given the other way round, or one short.
  myfreeImpl(defaultUrl);
  defaultUrl = nullptr;
  addRect(199, 99, 0, 0, "x");
  EXPECT_FALSE(DetectDefaultURL());
  addRect(0, 0, 199, 98, "y");
  EXPECT_FALSE(DetectDefaultURL());
  addCircle(0, 0, 199, 99);
  EXPECT_FALSE(DetectDefaultURL());
  EXPECT_EQ(defaultUrl, nullptr);
  ReleaseObjects();
  objectsSetup();
  EXPECT_FALSE(DetectDefaultURL());
}

TEST_F(EditorTest, CoordinatesFieldReadsThePagesOwnForm) {
  const char *const notNumbers = "The coordinates must be whole numbers separated by commas.";
  const char *const rect = "A rectangle needs exactly four numbers: x1,y1,x2,y2.";
  const char *const circ = "A circle needs exactly three numbers: cx,cy,r.";
  const char *const poly =
      "A polygon needs an x and a y for each of at least three points: x1,y1,x2,y2,x3,y3 and so on.";
  const char *const radius = "The radius of a circle cannot be below 0.";
  struct Case {
    int t;
    const char *text;
    const char *message;  // null: read
    std::vector<FPOINT> points;
  } cases[] = {
      {rectangle, "10,20,110,80", nullptr, {{10, 20}, {110, 80}}},
      {rectangle, " 10 , 20,110 ,80 ", nullptr, {{10, 20}, {110, 80}}},
      {rectangle, "-5,+3,0,0", nullptr, {{-5, 3}, {0, 0}}},
      {rectangle, "10,20,110", rect, {}},
      {rectangle, "10,20,110,80,5", rect, {}},
      {rectangle, "", rect, {}},
      {rectangle, "10,20,a,80", notNumbers, {}},
      {rectangle, "10,,20,80", notNumbers, {}},
      {rectangle, "10.5,20,30,40", notNumbers, {}},
      {rectangle, "10 20 30 40", notNumbers, {}},
      {rectangle, "1234567890,0,0,0", notNumbers, {}},
      {circle, "50,60,25", nullptr, {{50, 60}, {75, 60}}},
      {circle, "50,60,0", nullptr, {{50, 60}, {50, 60}}},
      {circle, "50,60,-1", radius, {}},
      {circle, "50,60", circ, {}},
      {circle, "50,60,25,1", circ, {}},
      {polygon, "0,0,10,0,10,10", nullptr, {{0, 0}, {10, 0}, {10, 10}}},
      {polygon, "0,0,10,0", poly, {}},
      {polygon, "0,0,10,0,10", poly, {}},
      {polygon, "0,0,10,0,10,x", notNumbers, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<FPOINT> got = {{1, 1}};
    const char *message = urlCoordsParse(c.t, c.text, &got);
    if (c.message)
      EXPECT_STREQ(message, c.message);
    else
      EXPECT_EQ(message, nullptr);
    ASSERT_EQ(got.size(), c.points.size());
    for (size_t k = 0; k < got.size(); k++) {
      EXPECT_EQ(got[k].x, c.points[k].x) << k;
      EXPECT_EQ(got[k].y, c.points[k].y) << k;
    }
  }
  // The text the dialog shows reads back as the same shape.
  char text[256];
  const int r = addRect(110, 80, 10, 20), ci = addCircle(50, 60, 53, 64),
            p = addShape(polygon, {{0, 0}, {10.7, 0}, {10, 10}});
  urlCoordsText(&objects[r], text, sizeof text);
  EXPECT_STREQ(text, "10,20,110,80");
  urlCoordsText(&objects[ci], text, sizeof text);
  EXPECT_STREQ(text, "50,60,5");
  urlCoordsText(&objects[p], text, sizeof text);
  EXPECT_STREQ(text, "0,0,10,0,10,10");
}

TEST_F(EditorTest, CoordinatesApplyWithTheTextsAsOneStepOrNotAtAll) {
  const int r = addRect(10, 20, 110, 80, "a.htm");
  const int p = addShape(polygon, {{0, 0}, {10.5, 0}, {10, 10}}, "b.htm");
  state = editing;
  selectOnly({r});
  // Bad text: the message, nothing changed, no undo step.
  EXPECT_EQ(UrlOKCoords("10,20,30", "new.htm", "", "", "", "", "", ""), 0);
  EXPECT_EQ(scriptedLastMessage().title, "Invalid Coordinates");
  EXPECT_EQ(scriptedLastMessage().text, "A rectangle needs exactly four numbers: x1,y1,x2,y2.");
  EXPECT_STREQ(objects[r].url, "a.htm");
  EXPECT_EQ(undoLast, nullptr);
  EXPECT_EQ(changed, 0);
  // Good text: link and place change together and undo together.
  EXPECT_EQ(UrlOKCoords("5,5,50,60", "new.htm", "", "", "", "", "", ""), 1);
  EXPECT_STREQ(objects[r].url, "new.htm");
  EXPECT_EQ(objects[r].points[0].x, 5);
  EXPECT_EQ(objects[r].points[1].y, 60);
  Undo(1);
  EXPECT_STREQ(objects[r].url, "a.htm");
  EXPECT_EQ(objects[r].points[0].x, 10);
  EXPECT_EQ(objects[r].points[1].y, 80);
  EXPECT_EQ(undoLast, nullptr);
  // The same numbers leave fractional points alone.
  selectOnly({p});
  EXPECT_EQ(UrlOKCoords(" 0,0, 10,0,10,10", "b.htm", "", "", "", "", "", ""), 1);
  EXPECT_EQ(objects[p].points[1].x, 10.5);
  EXPECT_EQ(UrlOKCoords("0,0,10,0,10,10,0,10", "b.htm", "", "", "", "", "", ""), 1);
  EXPECT_EQ(objects[p].pointsTotal, 4);
}
