// Tests of server-side map files: both syntaxes and every error, comments,
// writing them back, and the Import and Export commands with their questions.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/settings.h"
#include "platform/seams.h"
#include "editor/clientmap.h"
#include "html/document.h"
#include "editor/servermap.h"
#include "platform/platform_scripted.h"
#include "tests/html/html_test_util.h"
#include "tests/editor/map_fixture.h"

namespace {

struct shapeRead {
  int t;
  const char *url;  // null: absent
  std::vector<FPOINT> points;
};

struct mapCase {
  const char *file;
  std::vector<shapeRead> shapes;
  const char *message;  // the message shown, or null
  int kind;
};

using ServerMap = MapTest;

TEST_F(ServerMap, ReadsBothSyntaxesAndReportsEveryError) {
  const mapCase cases[] = {
      {"rect a.html 10,20 30,40\n", {{rectangle, "a.html", {{10, 20}, {30, 40}}}}, nullptr, mapNCSA},
      {"rect 10,20 30,40\n", {{rectangle, nullptr, {{10, 20}, {30, 40}}}}, nullptr, mapNCSA},
      {"poly 1,2 3,4 5,6\r\n", {{polygon, nullptr, {{1, 2}, {3, 4}, {5, 6}}}}, nullptr, mapNCSA},
      {"circle x.html 50,50 50,60\n", {{circle, "x.html", {{50, 50}, {50, 60}}}}, nullptr, mapNCSA},
      {"RECT -5,0 10,10 20,20\n", {{rectangle, "-5", {{0, 10}, {10, 20}}}}, nullptr, mapNCSA},
      {"rect NOURL 1,2 3,4 extra words\n", {{rectangle, "NOURL", {{1, 2}, {3, 4}}}}, nullptr, mapNCSA},
      {"point a 1,2\noval b 1,2 3,4\n\n", {}, nullptr, mapNCSA},
      {"poly x.html 1,2 3,4\n", {}, "Line 1: Poly with less than 3 vertexes", mapNCSA},
      {"#c\n\nrect\n", {}, "Line 3: No URL after rect", mapNCSA},
      {"rect a.html\n", {}, "Line 1: No vertexes after rect", mapNCSA},
      {"rect a 1,2 3\n", {}, "Line 1: Data missing after rect", mapNCSA},
      {"circle\n", {}, "Line 1: No URL after circle", mapNCSA},
      {"circle u\n", {}, "Line 1: Data missing after circle", mapNCSA},
      {"circle u 1\n", {}, "Line 1: Data missing after circle", mapNCSA},
      {"circle u 1,2\n", {}, "Line 1: Radius missing after circle", mapNCSA},
      {"circle u 1,2 3\n", {}, "Line 1: Data missing after circle", mapNCSA},
      {"poly\n", {}, "Line 1: No URL after poly", mapNCSA},
      {"poly u 1,2 3\n", {}, "Line 1: Y coordinate missing for vertex in poly", mapNCSA},
      {"rect u 1,2 3,4\r\n\r\nrect u 1,2 3,4\r\npoly\r\n", {}, "Line 4: No URL after poly", mapNCSA},
      {"circle (50,50) 10 x.html\n", {{circle, "x.html", {{50, 50}, {50, 60}}}}, nullptr, mapCERN},
      {"rect (1,2) (3,4)\n", {{rectangle, "", {{1, 2}, {3, 4}}}}, nullptr, mapCERN},
      {"poly (1,2) (3,4) (5,6) u\n", {{polygon, "u", {{1, 2}, {3, 4}, {5, 6}}}}, nullptr, mapCERN},
      {"poly (1,2) (3,4) u\n", {{polygon, "u", {{1, 2}, {3, 4}}}}, nullptr, mapCERN},
      {"poly (1,2) (3,4)\n", {}, "Line 1: Poly with less than 3 vertexes", mapCERN},
      {"rect (\n", {}, "Line 1: No vertexes after rect", mapCERN},
      {"rect (1,2) (3\n", {}, "Line 1: Data missing after rect", mapCERN},
      {"circle (1\n", {}, "Line 1: Data missing after circle", mapCERN},
      {"circle (1,2)\n", {}, "Line 1: Radius missing after circle", mapCERN},
      {"poly (1,2) (3\n", {}, "Line 1: Y coordinate missing for vertex in poly", mapCERN},
      // NCSA until the first line with '(', CERN from there on.
      {"rect a.html 1,2 3,4\nrect (5,6) (7,8) b.html\nrect u 1,2 3,4\n",
       {{rectangle, "a.html", {{1, 2}, {3, 4}}},
        {rectangle, "b.html", {{5, 6}, {7, 8}}},
        {rectangle, "4", {{0, 1}, {2, 3}}}},
       nullptr, mapCERN},
      // Line ends: LF ends a line, the CRs before it are dropped, a CR inside a
      // line separates words, and the last line needs no LF.
      {"rect a.html 1,2\r3,4\r\n", {{rectangle, "a.html", {{1, 2}, {3, 4}}}}, nullptr, mapNCSA},
      {"rect a 1,2 3,4\rrect b 5,6 7,8\n\rrect c 1,2 3,4",
       {{rectangle, "a", {{1, 2}, {3, 4}}}, {rectangle, "c", {{1, 2}, {3, 4}}}}, nullptr, mapNCSA},
      {"rect u 1,2 3,4\r\r\n\r\r\npoly\r\n", {}, "Line 3: No URL after poly", mapNCSA},
  };
  for (const mapCase &c : cases) {
    std::string path = file("case.map");
    writeFile(path, c.file);
    forgetShown();
    int result = LoadServerMap(path.c_str());
    EXPECT_EQ(result, c.message ? 0 : 1) << c.file;
    ASSERT_EQ(objectsTotal, static_cast<int>(c.shapes.size())) << c.file;
    for (size_t i = 0; i < c.shapes.size(); i++) {
      const object &o = objects[i];
      const shapeRead &want = c.shapes[i];
      EXPECT_EQ(o.t, want.t) << c.file;
      EXPECT_EQ(o.complete, 1);
      if (want.url)
        EXPECT_STREQ(o.url, want.url) << c.file;
      else
        EXPECT_EQ(o.url, nullptr) << c.file;
      ASSERT_EQ(o.pointsTotal, static_cast<int>(want.points.size())) << c.file;
      for (size_t k = 0; k < want.points.size(); k++) {
        EXPECT_EQ(o.points[k].x, want.points[k].x) << c.file;
        EXPECT_EQ(o.points[k].y, want.points[k].y) << c.file;
      }
    }
    if (c.message) {
      EXPECT_EQ(shownTexts(), std::vector<std::string>{c.message}) << c.file;
      EXPECT_EQ(objects[0].t, notype);
    } else {
      EXPECT_TRUE(scripted.shown.empty()) << c.file;
      EXPECT_EQ(maptype, c.kind) << c.file;
    }
  }

  std::string polygonLine = "poly u";
  for (int i = 0; i < 100; i++) polygonLine += " " + std::to_string(i) + "," + std::to_string(i * 2);
  writeFile(file("long.map"), polygonLine + "\n");
  EXPECT_EQ(LoadServerMap(file("long.map").c_str()), 1);
  ASSERT_EQ(objectsTotal, 1);
  EXPECT_EQ(objects[0].pointsTotal, 100);
  EXPECT_EQ(objects[0].points[99].y, 198);
}

TEST_F(ServerMap, LongLinesAreReadWholeAndTooLongOnesAreReported) {
  // What the map writers write, the reader takes back whole: a polygon of 400
  // points in both syntaxes, and a line of 3 MB.
  std::vector<FPOINT> points;
  for (int i = 0; i < 400; i++) points.push_back({1000.0 + i, 2000.0 + (i % 7)});
  for (int kind : {mapNCSA, mapCERN}) {
    ReleaseObjects();
    objectsSetup();
    int p = addShape(polygon, {{0, 0}}, "u.html");
    pointsEnsure(&objects[p], 400);
    for (int i = 0; i < 400; i++) objects[p].points[i] = points[i];
    objects[p].pointsTotal = 400;
    writeFile(file("long.map"), capture([kind](FILE *f) { WriteServerMap(f, kind); }));
    ASSERT_EQ(LoadServerMap(file("long.map").c_str()), 1) << kind;
    ASSERT_EQ(objectsTotal, 1);
    ASSERT_EQ(objects[0].pointsTotal, 400) << kind;
    EXPECT_EQ(objects[0].points[399].x, 1399);
    EXPECT_STREQ(objects[0].url, "u.html");
  }
  const std::string head = "rect (1,2) (3,4)";
  writeFile(file("long.map"), head + std::string(3000000, ' ') + "u5\r\nrect (9,9) (9,9) last\n");
  ASSERT_EQ(LoadServerMap(file("long.map").c_str()), 1);
  ASSERT_EQ(objectsTotal, 2);
  EXPECT_STREQ(objects[0].url, "u5");
  // A line beyond 16 MB is named, not cut.
  forgetShown();
  writeFile(file("huge.map"), "rect u 1,2 3,4\n" + head + std::string(16u << 20, ' ') + "u\n");
  EXPECT_EQ(LoadServerMap(file("huge.map").c_str()), 0);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Line 2: Line longer than 16 MB"});
  EXPECT_EQ(objectsTotal, 0);
}

TEST_F(ServerMap, CommentsGoToTheNextHotspotAndTheEnd) {
  writeFile(file("c.map"), "#one  \r\n# two\n#\ndefault d.html\nrect u 1,2 3,4\nrect v 1,2 3,4\n#tail\n");
  ASSERT_EQ(LoadServerMap(file("c.map").c_str()), 1);
  ASSERT_EQ(objectsTotal, 2);
  // The comment lines become one line of text: no line ends, no space at the ends.
  EXPECT_STREQ(objects[0].comments, "one two");
  EXPECT_STREQ(objects[1].comments, "");
  EXPECT_STREQ(defaultUrl, "d.html");
  EXPECT_STREQ(trailingComments, "tail\r\n");

  writeFile(file("d.map"), "default\n");
  ASSERT_EQ(LoadServerMap(file("d.map").c_str()), 1);
  EXPECT_EQ(defaultUrl, nullptr);

  forgetShown();
  EXPECT_EQ(LoadServerMap(file("missing.map").c_str()), 1);
  EXPECT_EQ(scriptedLastMessage().text,
            "WARNING: Map file not found (or we don't have\npermission to open it).");
  EXPECT_EQ(objectsTotal, 0);
  EXPECT_EQ(LoadServerMap(nullptr), 1);
}

TEST_F(ServerMap, WritesBothSyntaxes) {
  int r = addShape(rectangle, {{30, 40}, {10.7, 20}}, "a.html", "one\r\ntwo\r\n");
  addShape(circle, {{50, 50}, {50, 60}}, "x.html");
  addShape(polygon, {{1, 2}, {3, 4}, {5, 6}});
  addShape(rectangle, {{1, 2}, {3, 4}}, "", "only\nline");
  setGlobal(&defaultUrl, "d.html");
  setGlobal(&trailingComments, "tail\r\n");
  EXPECT_EQ(capture([](FILE *f) { WriteServerMap(f, mapNCSA); }),
            "#one\r\n#two\r\nrect a.html 10,20 30,40 \r\n"
            "circle x.html 50,50 50,60 \r\n"
            "poly NOURL 1,2 3,4 5,6 \r\n"
            "#only\r\n#line\r\nrect  1,2 3,4 \r\n"
            "default d.html\r\n#tail\r\n");
  EXPECT_EQ(objects[r].points[0].x, 10.7);
  EXPECT_EQ(objects[r].points[1].x, 30);
  EXPECT_EQ(capture([](FILE *f) { WriteServerMap(f, mapCERN); }),
            "rect (10,20) (30,40) a.html\r\n"
            "circle (50,50) 10 x.html\r\n"
            "poly (1,2) (3,4) (5,6) NOURL\r\n"
            "rect (1,2) (3,4) \r\n"
            "default d.html\r\n");

  // What is written reads back as the same hotspots, in either syntax.
  for (int kind : {mapNCSA, mapCERN}) {
    writeFile(file("w.map"), capture([kind](FILE *f) { WriteServerMap(f, kind); }));
    ASSERT_EQ(LoadServerMap(file("w.map").c_str()), 1);
    ASSERT_EQ(objectsTotal, 4);
    EXPECT_EQ(maptype, kind);
    EXPECT_EQ(objects[1].t, circle);
    EXPECT_EQ(objects[1].points[1].y, 60);
    EXPECT_STREQ(objects[0].url, "a.html");
    EXPECT_EQ(objects[2].pointsTotal, 3);
    EXPECT_STREQ(objects[2].url, "NOURL");
  }
}

class ServerCommands : public MapTest {
 protected:
  void SetUp() override {
    MapTest::SetUp();
    addShape(rectangle, {{1, 1}, {9, 9}}, "old.html", "old");
    setGlobal(&defaultUrl, "old-default.html");
    setGlobal(&trailingComments, "old tail\r\n");
  }
  static std::vector<std::string> titles() {
    std::vector<std::string> out;
    for (const scriptedShown &s : scripted.shown) out.push_back(s.kind + ":" + s.title);
    return out;
  }
  void expectOldMap() {
    ASSERT_EQ(objectsTotal, 1);
    EXPECT_STREQ(objects[0].url, "old.html");
    EXPECT_STREQ(defaultUrl, "old-default.html");
    EXPECT_STREQ(trailingComments, "old tail\r\n");
  }
};

TEST_F(ServerCommands, ImportAsksThenReplacesTheHotspots) {
  writeFile(file("in.map"), "rect new.html 1,2 3,4\ncircle c 5,5 5,9\n#end\n");
  changed = 1;
  scripted.answers = {IDNO};
  Import();
  EXPECT_EQ(titles(), std::vector<std::string>{"message:Overwrite Hotspots?"});
  EXPECT_EQ(scripted.shown[0].text,
            "Importing an imagemap will replace the hotspots you have already placed. Is that OK?");
  expectOldMap();

  forgetShown();
  scripted.files = {""};  // the file dialog is cancelled
  Import();
  EXPECT_EQ(titles(), (std::vector<std::string>{"message:Overwrite Hotspots?",
                                                "message:Please Locate the Server Side Imagemap",
                                                "open:Open"}));
  EXPECT_EQ(scripted.shown[2].text, "Server Side Map File (*.MAP)=*.map|All Files (*.*)=*");
  expectOldMap();

  forgetShown();
  changed = 0;
  scripted.files = {file("in.map")};
  Import();
  EXPECT_EQ(titles(), (std::vector<std::string>{"message:Please Locate the Server Side Imagemap", "open:Open"}));
  EXPECT_EQ(scripted.shown[0].text,
            "Please select the old-style server side imagemap you want to import into this "
            "document using the file selection dialog box that follows.");
  ASSERT_EQ(objectsTotal, 2);
  EXPECT_STREQ(objects[0].url, "new.html");
  EXPECT_EQ(defaultUrl, nullptr);
  EXPECT_STREQ(trailingComments, "end\r\n");
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(maptype, mapNCSA);
}

TEST_F(ServerCommands, AFailedImportLosesNothing) {
  writeFile(file("bad.map"), "rect new.html 1,2 3,4\npoly u 1,2\n");
  const char *const files[] = {"bad.map", "vanished.map"};
  for (const char *name : files) {
    forgetShown();
    changed = 0;
    maptype = mapClient;
    object *table = objects;
    scripted.files = {file(name)};
    Import();
    EXPECT_EQ(objects, table) << name;
    expectOldMap();
    EXPECT_EQ(changed, 0) << name;
    EXPECT_EQ(maptype, mapClient) << name;
  }
  EXPECT_EQ(scriptedLastMessage().text,
            "WARNING: Map file not found (or we don't have\npermission to open it).");
  // The table still works as a table.
  addShape(circle, {{1, 1}, {2, 2}});
  EXPECT_EQ(objectsTotal, 2);
}

TEST_F(ServerCommands, ImportShowsTheLineOfAnError) {
  writeFile(file("bad.map"), "# c\nrect new.html 1,2 3,4\npoly u 1,2 3\n");
  scripted.files = {file("bad.map")};
  Import();
  EXPECT_EQ(scriptedLastMessage().text, "Line 3: Y coordinate missing for vertex in poly");
  EXPECT_EQ(scriptedLastMessage().title, "Tilvane");
  expectOldMap();
}

TEST_F(ServerCommands, ExportChoosesAFileAndASyntax) {
  std::string out = file("out.map");
  scripted.files = {""};
  Export();
  EXPECT_EQ(titles(), std::vector<std::string>{"save:Save As"});
  EXPECT_EQ(scripted.shown[0].text, "Server Side Imagemaps (*.MAP)=*.map");

  // The syntax choice, cancelled.
  forgetShown();
  scripted.files = {out};
  Export();
  EXPECT_EQ(titles(), (std::vector<std::string>{"save:Save As", "choose:Server Side Map Type"}));
  EXPECT_FALSE(exists(out));

  // CERN chosen: the choice is kept and the file written; a name typed
  // without an extension gets ".map".
  forgetShown();
  scripted.files = {file("out")};
  scripted.choices = {1};
  Export();
  EXPECT_EQ(serverMapType, mapCERN);
  EXPECT_EQ(readFile(out), "rect (1,1) (9,9) old.html\r\ndefault old-default.html\r\n");

  // An existing file: No keeps it, Yes replaces it (NCSA this time).
  forgetShown();
  scripted.files = {out};
  scripted.choices = {0};
  scripted.answers = {IDNO};
  Export();
  EXPECT_EQ(titles().back(), "message:File Already Exists");
  EXPECT_EQ(scriptedLastMessage().text, "That file already exists. Are you sure you want to overwrite it?");
  EXPECT_EQ(readFile(out), "rect (1,1) (9,9) old.html\r\ndefault old-default.html\r\n");
  scripted.files = {out};
  scripted.choices = {0};
  scripted.answers = {IDYES};
  Export();
  EXPECT_EQ(serverMapType, mapNCSA);
  EXPECT_EQ(readFile(out), "#old\r\nrect old.html 1,1 9,9 \r\ndefault old-default.html\r\n#old tail\r\n");

  // A place that cannot be written.
  forgetShown();
  scripted.files = {"/sys/tilvane.map"};
  scripted.choices = {0};
  Export();
  EXPECT_EQ(scriptedLastMessage().title, "Can't Write to File");
  EXPECT_EQ(scriptedLastMessage().text,
            "Tilvane could not write to that file. It may be in use, it may be an invalid path "
            "specification, or it may be a read-only file or drive.");
}

TEST_F(ServerCommands, ExportLeavesAReadOnlyFileAlone) {
  // Replacing needs only the folder's permission; the file's own is what counts.
  std::string out = file("locked.map");
  writeFile(out, "kept\n");
  ASSERT_EQ(chmod(out.c_str(), 0444), 0);
  scripted.files = {out};
  scripted.choices = {0};
  scripted.answers = {IDYES};
  Export();
  EXPECT_EQ(scriptedLastMessage().title, "Can't Write to File");
  EXPECT_EQ(readFile(out), "kept\n");
}

TEST_F(ServerCommands, ImportAndExportRefuseWhatIsNotARegularFile) {
  // A folder, a pipe without a writer (it would block the reader) and a
  // device without end.
  std::string pipe = file("pipe.map");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string &name : {home.root, pipe, std::string("/dev/zero")}) {
    forgetShown();
    scripted.files = {name};
    Import();
    ASSERT_EQ(objectsTotal, 1) << name;
    expectOldMap();
    EXPECT_EQ(scriptedLastMessage().text,
              "That is not a map file. Tilvane reads map files only from ordinary files, not "
              "from folders, devices or pipes.");

    forgetShown();
    scripted.files = {name};
    scripted.choices = {0};
    Export();
    EXPECT_EQ(titles(), (std::vector<std::string>{"save:Save As", "choose:Server Side Map Type",
                                                  "message:Can't Write to File"}))
        << name;
  }
  struct stat st;
  ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(ServerCommands, ExportUsesTheWindowsDialogWhenThereIsOne) {
  static int asked;
  asked = 0;
  seams.mapTypeBox = []() {
    asked++;
    serverMapType = mapCERN;
    return 1;
  };
  scripted.files = {file("w.map")};
  Export();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(readFile(file("w.map")), "rect (1,1) (9,9) old.html\r\ndefault old-default.html\r\n");
  seams.mapTypeBox = []() { return 0; };
  scripted.files = {file("x.map")};
  Export();
  EXPECT_FALSE(exists(file("x.map")));
}

TEST_F(ServerMap, CorpusMapFiles) {
  std::string corpus = corpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  std::string dir = corpus + "/maps";
  DIR *d = opendir(dir.c_str());
  ASSERT_TRUE(d);
  int read = 0;
  while (dirent *e = readdir(d)) {
    std::string name = e->d_name;
    if (name.find("map") == std::string::npos || name[0] == '.') continue;
    LoadServerMap((dir + "/" + name).c_str());
    // Whatever was read writes out and reads back as the same number of hotspots.
    int total = objectsTotal;
    int kind = maptype;
    writeFile(file("again.map"), capture([kind](FILE *f) { WriteServerMap(f, kind); }));
    EXPECT_EQ(LoadServerMap(file("again.map").c_str()), 1) << name;
    EXPECT_EQ(objectsTotal, total) << name;
    read++;
  }
  closedir(d);
  EXPECT_GT(read, 5);

  // A map file and the page made from the same graph hold the same regions.
  std::string pageText;
  ASSERT_TRUE(readFile(corpus + "/html/doxygen_CList_8h.html", pageText));
  ASSERT_EQ(loadPage(pageText, "CList.hdep_map"), 1);
  std::string fromPage = capture([](FILE *f) { WriteServerMap(f, mapNCSA); });
  ASSERT_EQ(LoadServerMap((dir + "/doxygen_CList_8h__dep__incl.map").c_str()), 1);
  EXPECT_EQ(maptype, mapNCSA);
  EXPECT_EQ(objectsTotal, 13);
  for (int i = 0; i < objectsTotal; i++) {
    ASSERT_EQ(objects[i].url[0], '$');
    std::string url = objects[i].url + 1;
    setGlobal(&objects[i].url, url.c_str());
    setGlobal(&objects[i].comments, nullptr);
  }
  EXPECT_EQ(capture([](FILE *f) { WriteServerMap(f, mapNCSA); }), fromPage);
}

}  // namespace
