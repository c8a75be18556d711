// Hotspots cut, copied and pasted as area markup: the exact clipboard text,
// round trips, the default area, bad clipboard text and undo of a cut.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/settings.h"
#include "editor/clipboard.h"
#include "editor/editops.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/clientmap.h"
#include "html/document.h"
#include "platform/strhack.h"
#include "platform/platform_scripted.h"

namespace {

// The clipboard's line end: the platform's text convention.
#ifdef _WIN32
const char lineEnd[] = "\r\n";
#else
const char lineEnd[] = "\n";
#endif

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tilvane-clip-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    scriptedInstall();
    seamsClear();
    settingsDefaults();
    undoPurge();
    redoPurge();
    ReleaseObjects();
    objectsSetup();
    pointSelectionSetup(&psel);
    lastObjectSelected = -1;
    state = editing;
    changed = 0;
  }
  void TearDown() override {
    undoPurge();
    redoPurge();
    ReleaseObjects();
    pointSelectionFree(&psel);
    state = nostate;
    std::string cmd = "rm -rf '" + folder + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }

  int add(int t, std::initializer_list<FPOINT> pts, const char *url, const char *alt = nullptr) {
    objectsEnsure(objectsTotal + 1);
    object *o = &objects[objectsTotal];
    o->t = t;
    pointsEnsure(o, static_cast<int>(pts.size()));
    o->pointsTotal = 0;
    for (const FPOINT &p : pts) o->points[o->pointsTotal++] = p;
    o->complete = 1;
    if (url) o->url = mystrdupImpl("t", url);
    if (alt) o->comments = mystrdupImpl("t", alt);
    objectsTotal++;
    objectsEnsure(objectsTotal);
    return objectsTotal - 1;
  }
  void select(std::initializer_list<int> which) {
    for (int i = 0; i < objectsTotal; i++) objects[i].selected = 0;
    for (int i : which) {
      objects[i].selected = 1;
      lastObjectSelected = i;
    }
  }
  // What the area writer writes for the selection, with the platform's line ends.
  static std::string writerLines() {
    char *data = nullptr;
    size_t size = 0;
    FILE *mem = open_memstream(&data, &size);
    WriteClientAreaTags(mem, 1);
    std::fclose(mem);
    std::string out;
    for (size_t i = 0; i < size; i++) {
      if (data[i] == '\n') out += lineEnd;
      else if (data[i] != '\r') out += data[i];
    }
    std::free(data);
    return out;
  }
  std::string tempFile() const {
    std::ifstream in(folder + "/tilvane/clipboard.htm", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string folder;
};

TEST_F(ClipboardTest, CopyOfOneRectangleIsExactlyItsAreaLine) {
  int r = add(rectangle, {{110, 80}, {10, 20}}, "a.html", "Home");
  add(circle, {{5, 5}, {8, 5}}, "c.html");
  defaultUrl = mystrdupImpl("t", "outside.html");
  select({r});
  Copy();
  ASSERT_TRUE(scripted.clipboardHasText);
  EXPECT_EQ(scripted.clipboard,
            std::string("<area shape=\"rect\" alt=\"Home\" coords=\"10,20,110,80\" href=\"a.html\" title=\"Home\" />") + lineEnd);
  // The temporary file holds the same bytes, and Copy changes nothing.
  EXPECT_EQ(tempFile(), scripted.clipboard);
  EXPECT_EQ(objectsTotal, 2);
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(undoLast, nullptr);
}

TEST_F(ClipboardTest, CopyTakesOnlySelectedHotspotsInTableOrder) {
  int a = add(polygon, {{1, 1}, {30, 1}, {15, 20}}, nullptr, "tri \"x\"");
  add(rectangle, {{0, 0}, {5, 5}}, "skip.html");
  int c = add(circle, {{50, 50}, {60, 50}}, "c.html");
  select({c, a});
  ASSERT_TRUE(clipboardSaveSelection());
  EXPECT_EQ(scripted.clipboard, writerLines());
  EXPECT_EQ(scripted.clipboard.find("skip.html"), std::string::npos);
  EXPECT_EQ(scripted.clipboard.find("default"), std::string::npos);
  size_t first = scripted.clipboard.find("poly"), second = scripted.clipboard.find("circle");
  ASSERT_NE(first, std::string::npos);
  EXPECT_LT(first, second);
  EXPECT_NE(scripted.clipboard.find("coords=\"50,50,10\""), std::string::npos);
}

TEST_F(ClipboardTest, CopyThenPasteGivesTheSameHotspotsSelected) {
  int a = add(polygon, {{1, 2}, {30, 4}, {15, 20}}, "p.html?a=1&b=2", "A \"quoted\" text");
  int b = add(circle, {{50, 50}, {53, 54}}, nullptr, "");
  int c = add(rectangle, {{7, 8}, {9, 10}}, "r.html", "R");
  objects[c].target = mystrdupImpl("t", "_top");
  objects[c].onMouseOver = mystrdupImpl("t", "hi()");
  select({a, b, c});
  Copy();
  const std::string copied = scripted.clipboard;
  // Pasted where the originals no longer lie, the hotspots land as copied.
  for (int i = 0; i < 3; i++) objectNudge(&objects[i], 0, 500);
  Paste();
  ASSERT_EQ(objectsTotal, 6);
  for (int i = 0; i < 3; i++) {
    SCOPED_TRACE(i);
    const object &o = objects[i], &p = objects[i + 3];
    EXPECT_FALSE(o.selected);
    EXPECT_TRUE(p.selected);
    EXPECT_EQ(p.t, o.t);
    EXPECT_TRUE(p.complete);
  }
  EXPECT_EQ(lastObjectSelected, 5);
  EXPECT_EQ(changed, 1);
  EXPECT_STREQ(objects[3].url, "p.html?a=1&b=2");
  EXPECT_EQ(objects[3].pointsTotal, 3);
  EXPECT_EQ(objects[3].points[1].x, 30);
  EXPECT_STREQ(objects[5].target, "_top");
  EXPECT_STREQ(objects[5].onMouseOver, "hi()");
  // The circle's rim point comes back on the x axis at the written radius (5).
  EXPECT_EQ(objects[4].points[1].x, 55);
  EXPECT_EQ(objects[4].points[1].y, 50);
  // Copying the pasted hotspots gives the clipboard text back unchanged.
  Copy();
  EXPECT_EQ(scripted.clipboard, copied);
  // The paste is a single undo step.
  ASSERT_NE(undoLast, nullptr);
  EXPECT_EQ(undoLast->p, nullptr);
}

TEST_F(ClipboardTest, OtherAttributesTravelThroughCopyPasteEditCutUndoAndRedo) {
  int r = add(rectangle, {{1, 2}, {3, 4}}, "r.html", "R");
  objects[r].otherAttributes = mystrdupImpl("t", " class=\"hot\" data-id='3' download");
  add(circle, {{50, 50}, {60, 50}}, "c.html");
  select({r});
  Copy();
  EXPECT_NE(scripted.clipboard.find("title=\"R\" class=\"hot\" data-id='3' download />"), std::string::npos);
  Paste();
  ASSERT_EQ(objectsTotal, 3);
  EXPECT_STREQ(objects[2].otherAttributes, " class=\"hot\" data-id='3' download");
  EXPECT_EQ(objects[1].otherAttributes, nullptr);
  // Editing the pasted hotspot's texts keeps them, and so does undoing it.
  select({2});
  UrlOK("edited.html", "E", "", "", "", "", "");
  EXPECT_STREQ(objects[2].otherAttributes, " class=\"hot\" data-id='3' download");
  Undo(1);
  EXPECT_STREQ(objects[2].url, "r.html");
  EXPECT_STREQ(objects[2].otherAttributes, " class=\"hot\" data-id='3' download");
  // Cut, undone and redone.
  select({0});
  Cut();
  ASSERT_EQ(objectsTotal, 2);
  EXPECT_EQ(objects[0].otherAttributes, nullptr);
  Undo(1);
  ASSERT_EQ(objectsTotal, 3);
  EXPECT_STREQ(objects[0].otherAttributes, " class=\"hot\" data-id='3' download");
  Redo(1);
  ASSERT_EQ(objectsTotal, 2);
  EXPECT_STREQ(objects[1].otherAttributes, " class=\"hot\" data-id='3' download");
}

TEST_F(ClipboardTest, PasteIsOneUndoStep) {
  add(rectangle, {{0, 0}, {5, 5}}, "old.html");
  defaultUrl = mystrdupImpl("t", "home.html");
  select({0});
  UrlOK("edited.html", "", "", "", "", "", "");  // an earlier step
  scripted.clipboard =
      "<area shape=\"rect\" coords=\"1,2,3,4\" href=\"a.html\">"
      "<area shape=\"circle\" coords=\"50,50,10\" href=\"b.html\">"
      "<area shape=\"poly\" coords=\"1,1,9,1,5,8\" href=\"c.html\">"
      "<area shape=\"default\" href=\"elsewhere.html\">"
      "<area shape=\"rect\" coords=\"7,7,9,9\" href=\"d.html\">";
  scripted.clipboardHasText = true;
  Paste();
  ASSERT_EQ(objectsTotal, 5);
  EXPECT_STREQ(defaultUrl, "elsewhere.html");
  Undo(1);
  ASSERT_EQ(objectsTotal, 1);
  EXPECT_STREQ(objects[0].url, "edited.html");
  EXPECT_STREQ(defaultUrl, "home.html");
  EXPECT_EQ(objects[1].t, notype);
  EXPECT_EQ(lastObjectSelected, -1);
  Redo(1);
  ASSERT_EQ(objectsTotal, 5);
  EXPECT_STREQ(objects[4].url, "d.html");
  EXPECT_EQ(objects[3].t, polygon);
  EXPECT_STREQ(defaultUrl, "elsewhere.html");
  Undo(1);
  Undo(1);
  EXPECT_STREQ(objects[0].url, "old.html");
}

TEST_F(ClipboardTest, PasteAmongOtherMarkupAddsEachAreaAndSelectsOnlyThem) {
  int old = add(rectangle, {{0, 0}, {5, 5}}, "old.html");
  select({old});
  scripted.clipboard =
      "<p>Some text</p>\n<map name=\"m\"><area shape=\"RECTANGLE\" coords=\"(1,2) (3,4)\" href=\"one.html\">"
      "<!-- a comment --><area shape=\"Polygon\" coords=\"1,1,9,1,5,7\" nohref alt=\"two\"></map>";
  scripted.clipboardHasText = true;
  Paste();
  ASSERT_EQ(objectsTotal, 3);
  EXPECT_FALSE(objects[old].selected);
  EXPECT_TRUE(objects[1].selected);
  EXPECT_TRUE(objects[2].selected);
  EXPECT_EQ(lastObjectSelected, 2);
  EXPECT_EQ(objects[1].t, rectangle);
  EXPECT_EQ(objects[1].points[1].y, 4);
  EXPECT_EQ(objects[2].t, polygon);
  EXPECT_STREQ(objects[2].comments, "two");
  EXPECT_TRUE(scriptedMessages().empty());
}

TEST_F(ClipboardTest, PasteOfTheDefaultAreaSetsTheDefaultLinkOnly) {
  struct {
    const char *text;
    const char *expected;
  } cases[] = {
      {"<area shape=\"default\" href=\"out.html\" alt=\"\" />", "out.html"},
      {"<area shape=\"default\" nohref=\"nohref\" alt=\"\" />", ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text);
    myfreeImpl(defaultUrl);
    defaultUrl = nullptr;
    changed = 0;
    scripted.clipboard = c.text;
    scripted.clipboardHasText = true;
    EXPECT_EQ(getSystemClipboard(), 0);
    EXPECT_EQ(objectsTotal, 0);
    ASSERT_NE(defaultUrl, nullptr);
    EXPECT_STREQ(defaultUrl, c.expected);
    // A changed default link is an unsaved change, so Close asks to save it.
    EXPECT_EQ(changed, 1);
  }
  // The same default link again changes nothing.
  changed = 0;
  EXPECT_EQ(getSystemClipboard(), 0);
  EXPECT_EQ(changed, 0);
}

TEST_F(ClipboardTest, BadOrEmptyClipboardAddsNothing) {
  int old = add(rectangle, {{0, 0}, {5, 5}}, "old.html");
  struct {
    const char *text;
    const char *title;  // the message expected, "" for none
  } cases[] = {
      {"<area shape=\"rect\" coords=\"1,2,3,4\" href=\"x.html", "Paste Failed"},
      {"<area shape=> <area shape=\"rect\" coords=\"1,2,3,4\">", "Paste Failed"},
      {"> <area shape=\"rect\" coords=\"1,2,3,4\">", "Paste Failed"},
      {"<area shape=\"rect\" coords=\"1,2,3,4\"><area coords=\"1,2", "Paste Failed"},
      {"<area shape=\"poly\" coords=\"1,2,3\">", "Tilvane"},
      {"<area shape=\"circle\" coords=\"10,10\">", "Tilvane"},
      {"just some words", ""},
      {"", ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text);
    scripted.shown.clear();
    changed = 0;
    scripted.clipboard = c.text;
    scripted.clipboardHasText = true;
    Paste();
    EXPECT_EQ(objectsTotal, 1);
    EXPECT_EQ(changed, 0);
    auto shown = scriptedMessages();
    if (c.title[0]) {
      ASSERT_EQ(shown.size(), 1u);
      EXPECT_EQ(shown[0].title, c.title);
      if (std::strcmp(c.title, "Paste Failed") == 0) {
        EXPECT_EQ(shown[0].text, "Bad HTML on clipboard.");
      }
    } else {
      EXPECT_TRUE(shown.empty());
    }
  }
  // Many bad areas: the first five messages, then one that counts the rest.
  std::string many;
  for (int i = 0; i < 9; i++) many += "<area shape=\"circle\" coords=\"10,10\">";
  scripted.shown.clear();
  scripted.clipboard = many;
  scripted.clipboardHasText = true;
  Paste();
  auto shown = scriptedMessages();
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_EQ(shown[4].title, "Tilvane");
  EXPECT_EQ(shown[5].title, "More Errors");
  EXPECT_EQ(shown[5].text, "Tilvane found 4 more circles with the radius missing. They are not shown.");
  // No text on the clipboard at all: silently nothing.
  scripted.clipboardHasText = false;
  scripted.shown.clear();
  EXPECT_EQ(getSystemClipboard(), 0);
  EXPECT_TRUE(scripted.shown.empty());
  EXPECT_STREQ(objects[old].url, "old.html");
}

TEST_F(ClipboardTest, CutOfThreeIsUndoneInOneStep) {
  add(rectangle, {{0, 0}, {5, 5}}, "keep0.html");
  add(rectangle, {{10, 10}, {15, 15}}, "cut1.html");
  add(circle, {{30, 30}, {35, 30}}, "cut2.html");
  add(rectangle, {{40, 40}, {45, 45}}, "keep3.html");
  add(polygon, {{1, 1}, {9, 1}, {5, 8}}, "cut4.html");
  select({1, 2, 4});
  Cut();
  ASSERT_EQ(objectsTotal, 2);
  EXPECT_STREQ(objects[0].url, "keep0.html");
  EXPECT_STREQ(objects[1].url, "keep3.html");
  EXPECT_EQ(lastObjectSelected, -1);
  EXPECT_EQ(changed, 1);
  EXPECT_NE(scripted.clipboard.find("cut1.html"), std::string::npos);
  EXPECT_NE(scripted.clipboard.find("cut4.html"), std::string::npos);

  Undo(1);
  ASSERT_EQ(objectsTotal, 5);
  const char *order[] = {"keep0.html", "cut1.html", "cut2.html", "keep3.html", "cut4.html"};
  for (int i = 0; i < 5; i++) EXPECT_STREQ(objects[i].url, order[i]) << i;
  EXPECT_EQ(objects[2].t, circle);
  EXPECT_EQ(objects[4].pointsTotal, 3);
  EXPECT_EQ(undoLast, nullptr);
  Redo(1);
  EXPECT_EQ(objectsTotal, 2);
}

TEST_F(ClipboardTest, CutKeepsTheHotspotsWhenTheTemporaryFileCannotBeMade) {
  add(rectangle, {{0, 0}, {5, 5}}, "a.html");
  select({0});
  // A folder where the file should be: it cannot be opened for writing.
  std::string temp = folder + "/tilvane";
  ASSERT_EQ(std::system(("mkdir -p '" + temp + "/clipboard.htm'").c_str()), 0);
  Cut();
  EXPECT_EQ(objectsTotal, 1);
  EXPECT_FALSE(scripted.clipboardHasText);
  scriptedShown m = scriptedLastMessage();
  EXPECT_EQ(m.title, "Can't Create Temporary File");
  EXPECT_EQ(m.text, temp + "/clipboard.htm");
}

TEST_F(ClipboardTest, CutAndDeleteWithNothingSelectedLeaveTheClipboardAlone) {
  add(rectangle, {{0, 0}, {5, 5}}, "a.html");
  scripted.clipboard = "kept";
  scripted.clipboardHasText = true;
  for (int tool : {editing, rectPosition}) {
    state = tool;
    select({});
    Cut();
    EXPECT_EQ(scripted.clipboard, "kept");
    EXPECT_EQ(objectsTotal, 1);
    EXPECT_EQ(changed, 0);
  }
}

TEST_F(ClipboardTest, SelectionDeleteWithNothingSelectedMakesNoUndoStep) {
  add(rectangle, {{0, 0}, {5, 5}}, "a.html");
  select({});
  selectionDelete();
  EXPECT_EQ(objectsTotal, 1);
  EXPECT_EQ(undoLast, nullptr);
}

TEST_F(ClipboardTest, FileSize) {
  EXPECT_EQ(myGetFileSize(nullptr), -1);
  EXPECT_EQ(myGetFileSize((folder + "/missing").c_str()), -1);
  std::string f = folder + "/seven";
  std::ofstream(f) << "1234567";
  EXPECT_EQ(myGetFileSize(f.c_str()), 7);
}

}  // namespace

namespace {

// Mangled area markup never breaks the table, and whatever a paste added is
// written out and read back as the same number of hotspots.
TEST_F(ClipboardTest, MangledMarkupPastesSafelyAndRoundTrips) {
  const std::string seeds[] = {
      "<area shape=\"rect\" coords=\"1,2,30,40\" href=\"a.html\" alt=\"A\" title=\"T\" target=\"_top\">",
      "<area shape=\"poly\" coords=\"(1,1) (9,1) (5,8) (0,4)\" onMouseOver=\"x()\" nohref>",
      "<area shape=\"circle\" coords=\"50,50,10\" alt='single' onclick=\"f(&quot;q&quot;)\"/>",
      "<AREA SHAPE=default HREF=out.html><area coords=\"-5,+7,2147483647,99999999999\">",
      "<map name=x><!-- c --><area shape=circ coords=\"1 2 3\"><% code %></map>",
  };
  const char alphabet[] = "<>\"'=/ ,()-0123456789areashpcoldfn#&;\r\n\t\x01\xff";
  unsigned seed = 12345;
  int roundTrips = 0;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7fff;
  };
  for (int round = 0; round < 1500; round++) {
    std::string text = seeds[next() % 5] + seeds[next() % 5];
    const int edits = 1 + static_cast<int>(next() % 6);
    for (int e = 0; e < edits && !text.empty(); e++) {
      size_t at = next() % text.size();
      switch (next() % 3) {
        case 0: text.erase(at, 1 + next() % 4); break;
        case 1: text.insert(at, 1, alphabet[next() % (sizeof alphabet - 1)]); break;
        default: text[at] = alphabet[next() % (sizeof alphabet - 1)]; break;
      }
    }
    SCOPED_TRACE(text);
    ReleaseObjects();
    objectsSetup();
    lastObjectSelected = -1;
    const int added = pasteAreaText(text.c_str());
    ASSERT_EQ(added, objectsTotal);
    ASSERT_GE(objectsSpace, objectsTotal + 1);
    for (int i = 0; i < objectsTotal; i++) ASSERT_TRUE(objects[i].selected);
    if (!added) continue;
    roundTrips++;
    std::string lines = writerLines();
    ReleaseObjects();
    objectsSetup();
    scripted.shown.clear();
    ASSERT_EQ(pasteAreaText(lines.c_str()), added) << lines;
    EXPECT_TRUE(scriptedMessages().empty()) << lines;
    // A second round trip changes nothing at all.
    EXPECT_EQ(writerLines(), lines);
  }
  // Most mangled inputs still hold a readable area.
  EXPECT_GT(roundTrips, 500);
}

}  // namespace

TEST_F(ClipboardTest, PasteAndDuplicateLandBesideHotspotsTheyWouldCover) {
  struct Case {
    const char *what;
    int repeats;           // pastes (or duplicates) one after the other
    bool duplicate;
    std::vector<double> x;  // the first point's x of each new hotspot group, in turn
  } cases[] = {
      {"paste on the originals", 3, false, {30, 40, 50}},
      {"duplicate", 3, true, {30, 40, 50}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    const int r = add(rectangle, {{20, 20}, {60, 50}}, "r.html");
    add(circle, {{100, 100}, {110, 100}}, "c.html");
    select({r});
    Copy();
    for (int k = 0; k < c.repeats; k++) {
      const int before = objectsTotal;
      if (c.duplicate)
        EXPECT_EQ(Duplicate(), 1);
      else
        Paste();
      ASSERT_EQ(objectsTotal, before + 1);
      const object &o = objects[objectsTotal - 1];
      EXPECT_EQ(o.points[0].x, c.x[k]) << k;
      EXPECT_EQ(o.points[0].y, c.x[k]) << k;
      EXPECT_STREQ(o.url, "r.html");
      EXPECT_TRUE(o.selected);
      EXPECT_EQ(objectsSelected(), 1);
      EXPECT_EQ(lastObjectSelected, objectsTotal - 1);
    }
    // Each was one undo step.
    for (int k = 0; k < c.repeats; k++) Undo(1);
    EXPECT_EQ(objectsTotal, 2);
    EXPECT_EQ(undoLast, nullptr);
  }
  // A paste away from every hotspot stays where it was copied from.
  EXPECT_EQ(pasteAreaText("<area shape=\"rect\" coords=\"200,200,220,220\" href=\"x\">"), 1);
  EXPECT_EQ(objects[objectsTotal - 1].points[0].x, 200);
  // Duplicate with nothing selected adds nothing and records no step.
  select({});
  lastObjectSelected = -1;
  undoPurge();
  EXPECT_EQ(Duplicate(), 0);
  EXPECT_EQ(undoLast, nullptr);
}
