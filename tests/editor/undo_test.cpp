// Tests of undo and redo: snapshots, grouping, the two steps of a new hotspot,
// zoom and default-link records, imports, drags cut short by Undo, the menu
// enabling that follows the lists, and a long random session undone and redone.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <unistd.h>

#include "platform/settings.h"
#include "editor/clipboard.h"
#include "editor/commandids.h"
#include "editor/editops.h"
#include "editor/modes.h"
#include "editor/props.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "html/document.h"
#include "editor/servermap.h"
#include "platform/strhack.h"
#include "platform/platform_scripted.h"
#include "tests/editor/editor_fixture.h"

namespace {

int undoDepth() {
  int n = 0;
  for (undoStruct *u = undoLast; u; u = u->p) n++;
  return n;
}

int redoDepth() {
  int n = 0;
  for (undoStruct *u = redoLast; u; u = u->p) n++;
  return n;
}

// The map as text, every coordinate written exactly: the counted hotspots'
// shapes, points and texts, the default link and the trailing comments.
std::string mapDump() {
  std::string d;
  char number[80];
  auto text = [&d](const char *s) {
    d += s ? "\"" + std::string(s) + "\" " : std::string("- ");
  };
  for (int i = 0; i < objectsTotal; i++) {
    const object &o = objects[i];
    d += std::to_string(o.t) + (o.complete ? "+ " : " ");
    for (int k = 0; k < o.pointsTotal; k++) {
      std::snprintf(number, sizeof number, "%a,%a ", o.points[k].x, o.points[k].y);
      d += number;
    }
    for (const char *s : {o.url, o.comments, o.title, o.target, o.onMouseOver, o.onMouseOut, o.onClick}) text(s);
    d += '\n';
  }
  text(defaultUrl);
  text(trailingComments);
  return d;
}

// Imports a server map holding text from a temporary file.
int importText(const std::string &text) {
  char path[] = "/tmp/tilvane-undo-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return -1;
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  const int result = written ? serverMapImport(path) : -1;
  unlink(path);
  return result;
}

}  // namespace

TEST_F(EditorTest, SavingSnapshotsTheHotspotAndMarksTheDocumentChanged) {
  int r = addRect(1, 2, 3, 4, "a.html");
  state = editing;
  lastObjectSelected = r;
  pointSelect(&psel, 2);
  undoSave(undoChanged, r);
  ASSERT_NE(undoLast, nullptr);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(undoLast->t, undoChanged);
  EXPECT_EQ(undoLast->offset, r);
  EXPECT_EQ(undoLast->last, 1);
  EXPECT_EQ(undoLast->state, editing);
  EXPECT_EQ(undoLast->lastObjectSelected, r);
  EXPECT_EQ(undoLast->psel.total, 1);
  EXPECT_NE(undoLast->o.url, objects[r].url);
  EXPECT_STREQ(undoLast->o.url, "a.html");
  EXPECT_EQ(logged(enableEntry(cmdUndo, 1)), 1);
  EXPECT_EQ(logged(enableEntry(cmdRedo, 0)), 1);
  EXPECT_EQ(groupStart, nullptr);
}

TEST_F(EditorTest, TwoPropertyEditsUndoneAndOneRedone) {
  int r = addRect(0, 0, 10, 10, "first");
  state = editing;
  lastObjectSelected = r;
  objects[r].selected = 1;
  UrlOK("second", "", "", "", "", "", "");
  UrlOK("third", "", "", "", "", "", "");
  EXPECT_STREQ(objects[r].url, "third");
  undoRestore();
  EXPECT_STREQ(objects[r].url, "second");
  undoRestore();
  EXPECT_STREQ(objects[r].url, "first");
  clearLog();
  redoRestore();
  EXPECT_STREQ(objects[r].url, "second");
  EXPECT_EQ(undoDepth(), 1);
  EXPECT_EQ(redoDepth(), 1);
  EXPECT_EQ(logged(enableEntry(cmdUndo, 1)), 1);
  EXPECT_EQ(logged(enableEntry(cmdRedo, 1)), 1);
  // A new change empties the redo list.
  clearLog();
  UrlOK("fourth", "", "", "", "", "", "");
  EXPECT_EQ(redoDepth(), 0);
  EXPECT_EQ(logged(enableEntry(cmdRedo, 0)), 1);
  redoRestore();  // nothing to redo
  EXPECT_STREQ(objects[r].url, "fourth");
}

TEST_F(EditorTest, MovingThreeHotspotsIsOneStepEachWay) {
  addRect(0, 0, 10, 10);
  addRect(20, 0, 30, 10);
  addRect(40, 0, 50, 10);
  addRect(200, 200, 210, 210);  // not selected
  selectOnly({0, 1, 2});
  state = editing;
  editingButton1Down(25, 5);  // the centre of the selection's box
  ASSERT_EQ(editingState, editingMoving);
  editingPointerMoved(30, 15);
  editingButton1Up(35, 25, 1, 0);
  EXPECT_EQ(objects[0].points[0].x, 10);
  EXPECT_EQ(objects[0].points[0].y, 20);
  EXPECT_EQ(objects[2].points[1].x, 60);
  EXPECT_EQ(objects[3].points[0].x, 200);
  EXPECT_EQ(undoDepth(), 3);
  undoRestore();
  EXPECT_EQ(undoDepth(), 0);
  EXPECT_EQ(objects[0].points[0].x, 0);
  EXPECT_EQ(objects[1].points[0].x, 20);
  EXPECT_EQ(objects[2].points[1].y, 10);
  redoRestore();
  EXPECT_EQ(undoDepth(), 3);
  EXPECT_EQ(objects[0].points[0].y, 20);
  EXPECT_EQ(objects[1].points[0].x, 30);
  EXPECT_EQ(objects[2].points[1].x, 60);
  // The group survives a round trip.
  undoRestore();
  EXPECT_EQ(objects[2].points[1].x, 50);
  EXPECT_EQ(undoDepth(), 0);
}

TEST_F(EditorTest, APlainSaveClosesAGroupThatIsStillOpen) {
  addRect(0, 0, 1, 1);
  addRect(2, 2, 3, 3);
  undoSaveEx(undoChanged, 0, 0);
  undoSaveEx(undoChanged, 1, 0);
  EXPECT_NE(groupStart, nullptr);
  undoSave(undoChanged, 1);
  EXPECT_EQ(groupStart, nullptr);
  objects[0].points[0].x = 99;
  objects[1].points[0].x = 99;
  undoRestore();  // the single record
  EXPECT_EQ(undoDepth(), 2);
  undoRestore();  // the group of two
  EXPECT_EQ(undoDepth(), 0);
  EXPECT_EQ(objects[0].points[0].x, 0);
  EXPECT_EQ(objects[1].points[0].x, 2);
}

TEST_F(EditorTest, CuttingTwoHotspotsComesBackInOrder) {
  addRect(0, 0, 1, 1, "a");
  addRect(2, 2, 3, 3, "b");
  addRect(4, 4, 5, 5, "c");
  addRect(6, 6, 7, 7, "d");
  state = editing;
  lastObjectSelected = 1;
  UrlDelete(0);
  lastObjectSelected = 2;  // "d", now at index 2
  UrlDelete(0);
  undoSaveMarkLast();
  ASSERT_EQ(objectsTotal, 2);
  EXPECT_STREQ(objects[1].url, "c");
  undoRestore();
  ASSERT_EQ(objectsTotal, 4);
  const char *want[] = {"a", "b", "c", "d"};
  for (int i = 0; i < 4; i++) EXPECT_STREQ(objects[i].url, want[i]);
  redoRestore();
  ASSERT_EQ(objectsTotal, 2);
  EXPECT_STREQ(objects[0].url, "a");
  EXPECT_STREQ(objects[1].url, "c");
  EXPECT_EQ(lastObjectSelected, -1);  // as when the step was undone
}

TEST_F(EditorTest, ANewRectangleUndoesInTwoSteps) {
  Rect(1);
  Button1Down(10, 10, 0);
  EXPECT_EQ(state, rectDrag);
  Button1Down(40, 30, 0);
  EXPECT_EQ(state, rectUrl);
  EXPECT_EQ(logged("url 0"), 1);
  EXPECT_EQ(urlIsVisible, 1);
  UrlOK("page.html", "alt", "", "", "", "", "");
  EXPECT_EQ(objectsTotal, 1);
  EXPECT_EQ(state, rectPosition);
  clearLog();
  undoRestore();
  // Drawn but not counted, with its dialog open again in the dialog state.
  EXPECT_EQ(objectsTotal, 0);
  EXPECT_EQ(objects[0].t, rectangle);
  EXPECT_EQ(objects[0].complete, 0);
  EXPECT_EQ(objects[0].points[1].x, 40);
  EXPECT_EQ(state, rectUrl);
  EXPECT_EQ(logged("url 0"), 1);
  undoRestore();
  EXPECT_EQ(objectsTotal, 0);
  EXPECT_EQ(objects[0].t, notype);
  EXPECT_EQ(state, rectPosition);
  // Redo twice gives the confirmed rectangle back.
  redoRestore();
  EXPECT_EQ(state, rectUrl);
  EXPECT_EQ(objects[0].t, rectangle);
  redoRestore();
  EXPECT_EQ(objectsTotal, 1);
  EXPECT_STREQ(objects[0].url, "page.html");
  EXPECT_EQ(objects[0].complete, 1);
  EXPECT_EQ(state, rectPosition);
}

TEST_F(EditorTest, UndoOfANewHotspotWithPastedHotspotsBehindIt) {
  addRect(0, 0, 1, 1, "old");
  Rect(1);
  Button1Down(10, 10, 0);
  Button1Down(20, 20, 0);
  UrlOK("new", "", "", "", "", "", "");
  addRect(50, 50, 60, 60, "pasted");  // pasting records no undo
  undoRestore();
  // The new hotspot is taken out; the pasted one stays in the map.
  ASSERT_EQ(objectsTotal, 2);
  EXPECT_STREQ(objects[0].url, "old");
  EXPECT_STREQ(objects[1].url, "pasted");
  EXPECT_EQ(objects[2].points[0].x, 10);
  EXPECT_EQ(objects[2].complete, 0);
  redoRestore();
  ASSERT_EQ(objectsTotal, 3);
  EXPECT_STREQ(objects[1].url, "new");
  EXPECT_STREQ(objects[2].url, "pasted");
}

TEST_F(EditorTest, ZoomRecordsRestoreTheFactorAndLayTheViewOut) {
  scale = 1;
  undoSave(undoZoomed, objectsTotal);
  scale = 2;
  undoSave(undoZoomed, objectsTotal);
  scale = 4;
  clearLog();
  undoRestore();
  EXPECT_EQ(scale, 2);
  EXPECT_EQ(logged("zoomout 2"), 1);
  EXPECT_EQ(logged(enableEntry(cmdRedo, 1)), 1);
  redoRestore();
  EXPECT_EQ(scale, 4);
  undoRestore();
  addRect(0, 0, 1, 1);
  clearLog();
  undoSave(undoChanged, 0);
  EXPECT_EQ(logged(enableEntry(cmdRedo, 0)), 1);
  EXPECT_EQ(redoLast, nullptr);
}

TEST_F(EditorTest, DefaultLinkChangesAreUndoable) {
  UrlDefaultOK("home.html");
  EXPECT_STREQ(defaultUrl, "home.html");
  EXPECT_EQ(logged("urlDefaultDismiss"), 1);
  UrlDefaultOK("");
  EXPECT_EQ(defaultUrl, nullptr);
  undoRestore();
  EXPECT_STREQ(defaultUrl, "home.html");
  undoRestore();
  EXPECT_EQ(defaultUrl, nullptr);
  redoRestore();
  EXPECT_STREQ(defaultUrl, "home.html");
  changed = 0;
  UrlDefaultDelete();
  EXPECT_EQ(defaultUrl, nullptr);
  EXPECT_EQ(changed, 1);
  changed = 0;
  UrlDefaultDelete();  // nothing left to delete
  EXPECT_EQ(changed, 0);
}

TEST_F(EditorTest, UndoAndRedoRestoreTheEditingStateAndMarkChanges) {
  addRect(0, 0, 10, 10, "x");
  Edit(1);
  lastObjectSelected = 0;
  objects[0].selected = 1;
  UrlOK("y", "", "", "", "", "", "");
  Poly(1);
  changed = 0;
  clearLog();
  undoRestore();
  EXPECT_EQ(state, editing);
  EXPECT_EQ(logged(checkEntry(cmdPolygon, 0)), 1);  // the polygon tool was left
  EXPECT_EQ(logged(checkEntry(cmdTestEdit, 1)), 1);
  EXPECT_EQ(lastObjectSelected, 0);
  EXPECT_STREQ(objects[0].url, "x");
  EXPECT_EQ(changed, 1);
  changed = 0;
  redoRestore();
  EXPECT_STREQ(objects[0].url, "y");
  EXPECT_EQ(changed, 1);
  // Empty lists: nothing happens.
  undoPurge();
  redoPurge();
  changed = 0;
  undoRestore();
  redoRestore();
  EXPECT_EQ(changed, 0);
  EXPECT_STREQ(objects[0].url, "y");
}

TEST_F(EditorTest, RecordTypesThatRestoreNothingAreHarmless) {
  addRect(0, 0, 1, 1);
  undoSave(undoPasted, 0);
  undoSave(undoResized, 0);
  undoSave(undoState, 5000);  // beyond the table: an empty snapshot
  undoRestore();
  undoRestore();
  undoRestore();
  EXPECT_EQ(objectsTotal, 1);
  redoRestore();
  redoRestore();
  redoRestore();
  EXPECT_EQ(undoDepth(), 3);
  EXPECT_EQ(objectsTotal, 1);
}

TEST_F(EditorTest, PurgesReleaseEverything) {
  for (int i = 0; i < 10; i++) addRect(i, i, i + 1, i + 1, "link");
  for (int i = 0; i < 10; i++) undoSaveEx(undoChanged, i, i % 3 == 0);
  UrlDefaultOK("d");
  for (int i = 0; i < 5; i++) undoRestore();
  EXPECT_GT(redoDepth(), 0);
  undoPurge();
  redoPurge();
  EXPECT_EQ(undoLast, nullptr);
  EXPECT_EQ(redoLast, nullptr);
  EXPECT_EQ(groupStart, nullptr);
}

TEST_F(EditorTest, UndoDuringADragCancelsTheDragFirst) {
  // Two rectangles; the move handle at (40, 20), the resize handle at (70, 30),
  // and corner 2 of the first rectangle at (30, 30).
  struct {
    const char *what;
    int x, y;
    bool both;
  } cases[] = {{"move", 40, 20, true}, {"resize", 70, 30, true}, {"point", 30, 30, false}};
  for (const auto &tc : cases) {
    SCOPED_TRACE(tc.what);
    undoPurge();
    redoPurge();
    ReleaseObjects();
    objectsSetup();
    addRect(10, 10, 30, 30);
    addRect(50, 10, 70, 30);
    const std::string before = mapDump();
    Edit(1);
    if (tc.both)
      selectOnly({0, 1});
    else
      selectOnly({0});
    imageLeftPress(tc.x, tc.y, 0, 0);
    imagePointerMove(tc.x + 20, tc.y + 15, 1, 0, 0);
    undoRestore();  // Ctrl+Z with the button still down
    EXPECT_EQ(editingState, editingNone);
    EXPECT_EQ(rfactorx, 1.0);
    EXPECT_EQ(mfactorx, 0);
    imagePointerMove(tc.x + 25, tc.y + 20, 1, 0, 0);
    imageLeftRelease(tc.x + 25, tc.y + 20, 0, 0, 1);
    EXPECT_EQ(mapDump(), before);
    EXPECT_EQ(undoLast, nullptr);  // the drag's own step was the one undone
    EXPECT_EQ(objectsSelected(), tc.both ? 2 : 1);
  }
}

TEST_F(EditorTest, ImportIsOneUndoStep) {
  addRect(0, 0, 10, 10, "first.html");
  defaultUrl = mystrdupImpl("test", "home.html");
  trailingComments = mystrdupImpl("test", " old notes\r\n");
  Edit(1);
  selectOnly({0});
  UrlOK("second.html", "", "", "", "", "", "");  // an earlier step
  const std::string before = mapDump();
  ASSERT_EQ(importText("rect one.html 1,2 3,4\n# circle\ncircle two.html 50,50 60,50\n"
                       "default elsewhere.html\n# the end\n"),
            1);
  ASSERT_EQ(objectsTotal, 2);
  EXPECT_EQ(lastObjectSelected, -1);
  const std::string imported = mapDump();
  undoRestore();
  EXPECT_EQ(mapDump(), before);
  undoRestore();  // the earlier step acts on the table it was made on
  EXPECT_STREQ(objects[0].url, "first.html");
  redoRestore();
  redoRestore();
  EXPECT_EQ(mapDump(), imported);
}

TEST_F(EditorTest, UndoOfAHotspotCountedWithoutItsDialogTakesItOut) {
  defeatUrlDialog = 1;
  Rect(1);
  Button1Down(10, 10, 0);
  Button1Down(40, 30, 0);
  ASSERT_EQ(objectsTotal, 1);
  EXPECT_EQ(state, rectPosition);
  undoRestore();
  EXPECT_EQ(objectsTotal, 0);
  EXPECT_EQ(objects[0].t, notype);
  Edit(1);
  SelectAll();
  EXPECT_EQ(lastObjectSelected, -1);
  redoRestore();
  ASSERT_EQ(objectsTotal, 1);
  EXPECT_EQ(objects[0].t, rectangle);
  EXPECT_EQ(objects[0].points[1].x, 40);
  undoRestore();
  EXPECT_EQ(objectsTotal, 0);
}

// Edits, drags (some cut short by Undo or Redo), cuts, pastes, imports and
// single undos and redos at random; then the whole history is undone to the
// start and redone to the end, each giving back its map to the last bit.
TEST_F(EditorTest, ALongRandomSessionUndoesToTheStartAndRedoesToTheEnd) {
  std::mt19937 rng(20261208);
  auto rnd = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  addRect(10, 10, 60, 50, "a.html");
  addCircle(150, 80, 170, 80, "b.html");
  addShape(polygon, {{200, 20}, {260, 30}, {230, 90}}, "c.html");
  defaultUrl = mystrdupImpl("test", "home.html");
  const std::string start = mapDump();
  auto pickSome = [&](int most) {
    for (int i = 0; i < objectsTotal; i++) objects[i].selected = 0;
    lastObjectSelected = -1;
    pointsDeselect(&psel);
    for (int n = 1 + rnd(most); n > 0 && objectsTotal > 0; n--) {
      lastObjectSelected = rnd(objectsTotal);
      objects[lastObjectSelected].selected = 1;
    }
  };
  auto areaText = [&]() {
    std::string t;
    for (int n = 1 + rnd(3); n > 0; n--) {
      const int x = rnd(300), y = rnd(200);
      t += "<area shape=\"rect\" coords=\"" + std::to_string(x) + "," + std::to_string(y) + "," +
           std::to_string(x + 1 + rnd(50)) + "," + std::to_string(y + 1 + rnd(50)) + "\" href=\"p" +
           std::to_string(rnd(9)) + ".html\">";
    }
    if (rnd(3) == 0) t += "<area shape=\"default\" href=\"d" + std::to_string(rnd(9)) + ".html\">";
    return t;
  };
  for (int step = 0; step < 400; step++) {
    if (state != editing) {
      unstate();
      Edit(1);
    }
    const int what = rnd(10);
    if (what == 0) {  // a new shape, confirmed, skipped past its dialog or cancelled
      unstate();
      void (*tools[])(int) = {Rect, Circle, Poly};
      const int tool = rnd(3);
      tools[tool](1);
      defeatUrlDialog = rnd(4) == 0;
      const int x = rnd(300), y = rnd(200);
      Button1Down(x, y, 0);
      Button1Down(x + 5 + rnd(40), y + rnd(40), 0);
      if (tool == 2) {
        Button1Down(x + rnd(40), y + 10 + rnd(40), 0);
        Button2Down(0, 0);
      }
      defeatUrlDialog = 0;
      if (rnd(5) == 0) {
        UrlCancel();
      } else if (state == rectUrl || state == circleUrl || state == polyUrl) {
        UrlOK("new.html", "alt", "", "", "", "", "");
        UrlDismiss();
      }
    } else if (what <= 3 && objectsTotal > 0) {  // a move, resize or point drag
      pickSome(what == 3 ? 1 : 3);
      int x = 0, y = 0;
      bounds b = selectionGetCenterAndBounds(&x, &y, nullptr, nullptr);
      if (what == 2) {
        x = b.x2;
        y = b.y2;
      } else if (what == 3 && objects[lastObjectSelected].pointsTotal > 0) {
        const FPOINT &p = objects[lastObjectSelected].points[0];
        x = truncToInt(p.x);
        y = truncToInt(p.y);
      }
      imageLeftPress(x, y, 0, 0);
      imagePointerMove(x + rnd(41) - 20, y + rnd(41) - 20, 1, rnd(4) == 0, 0);
      if (rnd(3) == 0) {
        if (rnd(3))
          undoRestore();
        else
          redoRestore();
        imagePointerMove(x + rnd(41) - 20, y + rnd(41) - 20, 1, 0, 0);
      }
      imageLeftRelease(x + rnd(41) - 20, y + rnd(41) - 20, 0, 0, 1);
    } else if (what == 4 && objectsTotal > 0) {  // properties, or the default link
      pickSome(1);
      if (rnd(2))
        UrlOK(("q" + std::to_string(rnd(9))).c_str(), rnd(2) ? "" : "alt", "t", "", "", "", "");
      else
        UrlDefaultOK(rnd(4) ? ("u" + std::to_string(rnd(9))).c_str() : "");
    } else if (what == 5 && objectsTotal > 0) {  // cut, or points added, removed, aligned
      pickSome(3);
      const int kind = rnd(4);
      if (kind == 0) {
        selectionDelete();
      } else if (kind == 3) {
        Align(rnd(2) ? cmdAlignTop + rnd(4) : cmdExpandLeft);
      } else if (singleSelection()) {
        const int k = rnd(4);
        pointSelect(&psel, k);
        if (kind == 1) pointSelect(&psel, k + 1);
        kind == 1 ? Addpoints() : Removepoints();
      }
    } else if (what == 6) {  // a paste
      scripted.clipboard = areaText();
      scripted.clipboardHasText = true;
      Paste();
    } else if (what == 7 && rnd(3) == 0) {  // an import
      std::string map = "# before\n";
      for (int n = rnd(4); n >= 0; n--)
        map += "rect i" + std::to_string(n) + ".html " + std::to_string(rnd(100)) + "," +
               std::to_string(rnd(100)) + " " + std::to_string(100 + rnd(100)) + ",150\n";
      map += rnd(2) ? "default i.html\n# after\n" : "";
      ASSERT_EQ(importText(map), 1);
    } else if (what >= 8) {  // a few steps back or forward
      for (int n = rnd(3); n >= 0; n--) rnd(2) ? undoRestore() : redoRestore();
    }
  }
  while (redoLast) redoRestore();
  const std::string end = mapDump();
  while (undoLast) undoRestore();
  EXPECT_EQ(mapDump(), start);
  while (redoLast) redoRestore();
  EXPECT_EQ(mapDump(), end);
  EXPECT_NE(end, start);
}

