// Tests of the client-side map: reading <area> entries into hotspots, writing
// the <map> element, rewriting the page on saving, and Save itself.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/prefs.h"
#include "workflow/recent.h"
#include "platform/settings.h"
#include "editor/clientmap.h"
#include "workflow/docflow.h"
#include "html/document.h"
#include "html/pageio.h"
#include "platform/platform_scripted.h"
#include "tests/html/html_test_util.h"
#include "tests/editor/map_fixture.h"

namespace {

std::string page(const std::string &areas) {
  return "<html><body>\n<img src=\"a.png\" usemap=\"#m\">\n<map name=\"m\">\n" + areas +
         "</map>\n</body></html>\n";
}

struct areaCase {
  const char *area;
  int added;      // what areaToObject answers
  int t;          // the shape read
  std::vector<FPOINT> points;
  const char *message;  // shown, or null
};

using ClientMap = MapTest;

TEST_F(ClientMap, AreasReadAsTheirShapeAndCoordinates) {
  const areaCase cases[] = {
      {"<area shape=rect coords=\"10, 20, 30, 40\">", 1, rectangle, {{10, 20}, {30, 40}}, nullptr},
      {"<area shape=rect coords=\"(10,20) (30,40)\">", 1, rectangle, {{10, 20}, {30, 40}}, nullptr},
      {"<area shape=rect coords=\"1,2,3,4,5,6,7,8\">", 1, rectangle, {{1, 2}, {3, 4}}, nullptr},
      {"<area shape=RECTANGLE coords=\"1,2\">", 1, rectangle, {{1, 2}}, nullptr},
      {"<area coords=\"1,2,3,4\">", 1, rectangle, {{1, 2}, {3, 4}}, nullptr},
      {"<area shape=oval coords=\"1,2,3,4\">", 1, rectangle, {{1, 2}, {3, 4}}, nullptr},
      {"<area shape=circ coords=\"50,50,10\">", 1, circle, {{50, 50}, {60, 50}}, nullptr},
      {"<area shape=CIRCLE coords=\"9.5,22, 9\">", 1, circle, {{9, 22}, {18, 22}}, nullptr},
      {"<area shape=circle coords=\"\">", 1, circle, {}, nullptr},
      {"<area shape=Polygon coords=\"1,2\n3,4\t5,6,\">", 1, polygon, {{1, 2}, {3, 4}, {5, 6}}, nullptr},
      {"<area shape=poly coords=\"-5,+6,x,7\">", 1, polygon, {{-5, 6}, {0, 7}}, nullptr},
      {"<area shape=poly coords=\"99999999999,-99999999999\">", 1, polygon, {{2147483647, -2147483648.0}}, nullptr},
      {"<area shape=poly coords=\"1,2,3\">", 0, notype, {}, "Y coordinate missing from shape."},
      {"<area shape=rect coords=\"1,2,3\">", 0, notype, {}, "Y coordinate missing from shape."},
      {"<area shape=circle coords=\"5,6\">", 0, notype, {}, "Radius missing from circle."},
      {"<area shape=circle coords=\"5\">", 0, notype, {}, "Y coordinate missing from shape."},
  };
  for (const areaCase &c : cases) {
    ReleaseObjects();
    objectsSetup();
    forgetShown();
    parsedPage p;
    parsePage(p, c.area);
    EXPECT_EQ(areaToObject(p.doc->first), c.added) << c.area;
    EXPECT_EQ(objectsTotal, c.added) << c.area;
    if (c.added) {
      const object &o = objects[0];
      EXPECT_EQ(o.t, c.t) << c.area;
      EXPECT_EQ(o.complete, 1);
      ASSERT_EQ(o.pointsTotal, static_cast<int>(c.points.size())) << c.area;
      for (size_t k = 0; k < c.points.size(); k++) {
        EXPECT_EQ(o.points[k].x, c.points[k].x) << c.area;
        EXPECT_EQ(o.points[k].y, c.points[k].y) << c.area;
      }
    }
    if (c.message)
      EXPECT_EQ(scriptedLastMessage().text, std::string(c.message) + "\r\nThe area: " + c.area) << c.area;
    else
      EXPECT_TRUE(scripted.shown.empty()) << c.area;
  }
}

TEST_F(ClientMap, AreaTextsAndTheDefaultArea) {
  parsedPage p;
  parsePage(p, "<area SHAPE=rect COORDS=\"1,2,3,4\" HREF=\"a.html\" ALT=\"two\nlines\tx\" "
               "Title=\"T\" target=_top onMouseOver=\"o()\" ONMOUSEOUT=\"u()\" onclick=\"c()\">"
               "<area shape=default href=\"d.html\"><area shape=rect>");
  ASSERT_EQ(areaToObject(p.doc->first), 1);
  const object &o = objects[0];
  EXPECT_STREQ(o.url, "a.html");
  EXPECT_STREQ(o.comments, "two lines x");
  EXPECT_STREQ(o.title, "T");
  EXPECT_STREQ(o.target, "_top");
  EXPECT_STREQ(o.onMouseOver, "o()");
  EXPECT_STREQ(o.onMouseOut, "u()");
  EXPECT_STREQ(o.onClick, "c()");
  EXPECT_EQ(areaToObject(p.doc->first->n), 0);
  EXPECT_STREQ(defaultUrl, "d.html");
  EXPECT_EQ(objectsTotal, 1);
  // Missing attributes give empty strings, not absent ones.
  ASSERT_EQ(areaToObject(p.doc->first->n->n), 1);
  EXPECT_STREQ(objects[1].url, "");
  EXPECT_STREQ(objects[1].comments, "");
  EXPECT_EQ(objects[1].pointsTotal, 0);

  parsedPage d;
  parsePage(d, "<area shape=DEFAULT>");
  EXPECT_EQ(areaToObject(d.doc->first), 0);
  EXPECT_STREQ(defaultUrl, "");
}

TEST_F(ClientMap, FindsTheMapByIdOrNameAndNeedsItsEnd) {
  const std::string twoMaps = "<map name=other><area coords=\"9,9,9,9\"></map>"
                              "<map ID=\"Photo\"><area coords=\"1,2,3,4\"><p>x</p>"
                              "<area shape=circle coords=\"5,5,5\"></map>";
  EXPECT_EQ(loadPage(twoMaps, "photo"), 1);
  EXPECT_EQ(objectsTotal, 2);
  EXPECT_EQ(objects[1].t, circle);
  EXPECT_EQ(loadPage(twoMaps, "OTHER"), 1);
  EXPECT_EQ(objectsTotal, 1);
  EXPECT_EQ(loadPage(twoMaps, "missing"), 1);
  EXPECT_EQ(objectsTotal, 0);
  EXPECT_TRUE(scripted.shown.empty());

  EXPECT_EQ(loadPage("<map name=m><area coords=\"1,2,3,4\">", "m"), 0);
  EXPECT_EQ(scriptedLastMessage().text, "No closing </map> element in HTML document!");
  EXPECT_EQ(scriptedLastMessage().title, "Tilvane");

  // A broken area is named, kept, and reading goes on.
  forgetShown();
  EXPECT_EQ(loadPage(page("<area coords=\"1,2,3,4\"><area shape=poly coords=\"1,2,3\">"), "m"), 1);
  EXPECT_EQ(objectsTotal, 1);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Y coordinate missing from shape.\r\n"
                                                   "Area 2 of the map: <area shape=poly coords=\"1,2,3\">\r\n"
                                                   "Tilvane keeps this area in the page as it is."});
}

TEST_F(ClientMap, BrokenAreasAndTheMapsIdStayAsTheyWereRead) {
  const std::string in = "<body>\n<map id=\"m-id\" name=\"m\">\n"
                         "<area shape=poly coords=\"1,2,3\" href=\"odd.html\" alt=\"Odd\">\n"
                         "<area shape=rect coords=\"1,2,3,4\" href=\"a.html\">\n"
                         "<area  shape=\"circle\"\ncoords='5,6' alt=c>\n"
                         "<area shape=rect coords=\"5,6,7,8\" href=\"b.html\">\n"
                         "</map>\n</body>";
  ASSERT_EQ(loadPage(in, "m"), 1);
  ASSERT_EQ(objectsTotal, 2);
  EXPECT_STREQ(mapId, "m-id");
  const std::string odd = "<area shape=poly coords=\"1,2,3\" href=\"odd.html\" alt=\"Odd\">\n";
  const std::string circle = "<area  shape=\"circle\"\ncoords='5,6' alt=c>\n";
  const std::string a = "<area shape=\"rect\" alt=\"\" coords=\"1,2,3,4\" href=\"a.html\" title=\"\" />\n";
  const std::string b = "<area shape=\"rect\" alt=\"\" coords=\"5,6,7,8\" href=\"b.html\" title=\"\" />\n";
  const std::string head = "<body>\n<map id=\"m-id\" name=\"m\">\n";
  const std::string tail = "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\n</map>\n</body>";
  EXPECT_EQ(capture([](FILE *f) { clientMapWritePage(f, hdoc, "m"); }), head + odd + a + circle + b + tail);
  // Deleting the hotspot between them keeps both, in their order.
  objectRemove(0);
  EXPECT_EQ(capture([](FILE *f) { clientMapWritePage(f, hdoc, "m"); }), head + odd + circle + b + tail);
  ASSERT_EQ(objectInsertCopy(1, &objects[0]), 1);
  EXPECT_EQ(capture([](FILE *f) { clientMapWritePage(f, hdoc, "m"); }), head + odd + circle + b + b + tail);

  // A zero byte ends a name or value where the reader reads it; the kept tag,
  // rebuilt from them, reads back the same, so a kept area stays kept.
  const std::string zero(1, '\0');
  const struct {
    std::string areas;
    int hotspots;
  } cut[] = {
      {"<area shape=rect coords=\"\x03" + zero + zero + "217,755,295,782\" alt=x>\n", 0},
      // Cut inside a server-side block, the value keeps its "<?" from opening
      // a block that would swallow the rest of the map.
      {"<area shape=rect coords=\"<?= $a.\",\".$b" + zero + "c ?>\" href=\"<?= $s ?>\">\n<area shape=rect coords=\"1,2,3,4\">\n", 1},
      // An unquoted value with a '"' stays unquoted: in single quotation marks
      // (which the reader does not know) it read back as a rectangle.
      {"<area href=\"\" c" + zero + "APE=\"poly\" COORDS=:\"720, 440, 755, 441\">\n", 0},
      // So is a server-side block among the attributes: cut, it is closed.
      {"<area coords=\"1\" <% a=\"b\"" + zero + "c %>>\n<area shape=rect coords=\"1,2,3,4\">\n", 1},
  };
  for (const auto &c : cut) {
    ASSERT_EQ(loadPage(page(c.areas), "m"), 1);
    ASSERT_EQ(objectsTotal, c.hotspots) << c.areas;
    ASSERT_EQ(keptAreas.size(), 1u) << c.areas;
    const std::string saved = capture([](FILE *f) { clientMapWritePage(f, hdoc, "m"); });
    ASSERT_EQ(loadPage(saved, "m"), 1) << saved;
    EXPECT_EQ(objectsTotal, c.hotspots) << saved;
    EXPECT_EQ(keptAreas.size(), 1u) << saved;
  }
  // A line break inside a kept tag is written as the map's own, LF, whatever
  // the page's line ends, so that each save writes the same bytes: a run of
  // CRs before the LF goes with it.
  for (const char *lineEnd : {"\r\n", "\r\r\n"}) {
    ASSERT_EQ(loadPage(page(std::string("<area shape=poly") + lineEnd + "coords=\"1,2,3\">\n"), "m"), 1);
    ASSERT_EQ(keptAreas.size(), 1u);
    EXPECT_STREQ(keptAreas[0].markup, "<area shape=poly\ncoords=\"1,2,3\">");
  }
}

TEST_F(ClientMap, WritesTheMapInItsFixedForm) {
  int i = addShape(rectangle, {{10, 20}, {110, 80}}, "a.html", "Home");
  (void)i;
  EXPECT_EQ(capture([](FILE *f) { WriteClientMapTags(f, "photo"); }),
            "<map id=\"photo\" name=\"photo\">\n"
            "<area shape=\"rect\" alt=\"Home\" coords=\"10,20,110,80\" href=\"a.html\" title=\"Home\" />\n"
            "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\n"
            "</map>\n");

  ReleaseObjects();
  objectsSetup();
  int r = addShape(rectangle, {{50.9, 40.7}, {10.2, 20.5}});
  int c = addShape(circle, {{100, 100}, {103.9, 104.9}}, "c.html", "say \"hi\" & <b>\nnext");
  int p = addShape(polygon, {{1.9, 2.1}, {-3.5, 4}, {5, 6}}, "", "");
  setGlobal(&objects[c].title, "Own");
  setGlobal(&objects[c].target, "t\"x");
  setGlobal(&objects[c].onMouseOver, "over(\"a\")");
  setGlobal(&objects[c].onMouseOut, "out()");
  setGlobal(&objects[c].onClick, "click()");
  setGlobal(&objects[p].title, "P title");
  setGlobal(&defaultUrl, "d.html");
  titleAsAlt = 0;
  EXPECT_EQ(capture([](FILE *f) { WriteClientAreaTags(f, 0); }),
            "<area shape=\"rect\" coords=\"10,20,50,40\" nohref title=\"\" />\n"
            "<area shape=\"circle\" alt=\"say &#34;hi&#34; & <b> next\" coords=\"100,100,5\" "
            "href=\"c.html\" title=\"Own\" target=\"t&#34;x\" onMouseOver=\"over(&#34;a&#34;)\" "
            "onMouseOut=\"out()\" onClick=\"click()\" />\n"
            "<area shape=\"poly\" alt=\"\" coords=\"1,2,-3,4,5,6\" nohref title=\"P title\" />\n"
            "<area shape=\"default\" href=\"d.html\" alt=\"\" />\n");
  // The rectangle was put in order in the record itself.
  EXPECT_EQ(objects[r].points[0].x, 10.2);
  EXPECT_EQ(objects[r].points[1].x, 50);
  EXPECT_EQ(objects[r].points[1].y, 40);

  // The options do not overwrite a hotspot's own title and onClick; they stand
  // in only where it has none.
  titleAsAlt = 1;
  clickAsMouseOut = 1;
  objects[c].selected = 1;
  EXPECT_EQ(capture([](FILE *f) { WriteClientAreaTags(f, 1); }),
            "<area shape=\"circle\" alt=\"say &#34;hi&#34; & <b> next\" coords=\"100,100,5\" "
            "href=\"c.html\" title=\"Own\" target=\"t&#34;x\" "
            "onMouseOver=\"over(&#34;a&#34;)\" onMouseOut=\"out()\" onClick=\"click()\" />\n");
  setGlobal(&objects[c].title, "");
  setGlobal(&objects[c].onClick, "");
  EXPECT_EQ(capture([](FILE *f) { WriteClientAreaTags(f, 1); }),
            "<area shape=\"circle\" alt=\"say &#34;hi&#34; & <b> next\" coords=\"100,100,5\" "
            "href=\"c.html\" title=\"say &#34;hi&#34; & <b>\nnext\" target=\"t&#34;x\" "
            "onMouseOver=\"over(&#34;a&#34;)\" onMouseOut=\"out()\" onClick=\"out()\" />\n");
  setGlobal(&objects[c].onMouseOut, "");
  EXPECT_EQ(capture([](FILE *f) { WriteClientAreaTags(f, 1); }).find("onClick"), std::string::npos);
}

TEST_F(ClientMap, AQuoteInALinkDoesNotEndTheAttribute) {
  ASSERT_EQ(loadPage(page("<area coords=\"1,2,3,4\" href=a\"b.html alt=x>"
                          "<area shape=default href=d\"e>"),
                     "m"),
            1);
  std::string out = capture([](FILE *f) { WriteClientAreaTags(f, 0); });
  EXPECT_EQ(out, "<area shape=\"rect\" alt=\"x\" coords=\"1,2,3,4\" href=\"a&#34;b.html\" title=\"x\" />\n"
                 "<area shape=\"default\" href=\"d&#34;e\" alt=\"\" />\n");
  ASSERT_EQ(loadPage(page(out), "m"), 1);
  EXPECT_EQ(objectsTotal, 1);
  EXPECT_STREQ(objects[0].comments, "x");
}

TEST_F(ClientMap, ServerBlocksInValuesKeepTheirQuotes) {
  // Quotation marks inside <%...%> or <?...?> belong to the code; elsewhere they are encoded.
  EXPECT_EQ(loadPage(page("<area coords=\"1,2,3,4\" alt=\"<%= t(\"a\") %>\" "
                          "title=\"x <?= $a[\"b\"] ?>\" href=\"<%= u(\"v\") %>\">"),
                     "m"),
            1);
  EXPECT_STREQ(objects[0].comments, "<%= t(\"a\") %>");
  setGlobal(&objects[0].comments, "<%= t(\"a\") %> \"q\"");
  titleAsAlt = 0;
  std::string out = capture([](FILE *f) { WriteClientAreaTags(f, 0); });
  EXPECT_NE(out.find("alt=\"<%= t(\"a\") %> &#34;q&#34;\""), std::string::npos) << out;
  EXPECT_NE(out.find("title=\"x <?= $a[\"b\"] ?>\""), std::string::npos) << out;
  EXPECT_NE(out.find("href=\"<%= u(\"v\") %>\""), std::string::npos) << out;
  // A block that does not close would take the closing quotation mark with it.
  setGlobal(&objects[0].title, "typed <% \"x\" and <?");
  out = capture([](FILE *f) { WriteClientAreaTags(f, 0); });
  EXPECT_NE(out.find("title=\"typed &#60;% &#34;x&#34; and &#60;?\""), std::string::npos) << out;
  setGlobal(&objects[0].title, "x <?= $a[\"b\"] ?>");
  out = capture([](FILE *f) { WriteClientAreaTags(f, 0); });
  // What is written reads back as the same hotspot.
  std::string again = page(out);
  ReleaseObjects();
  objectsSetup();
  EXPECT_EQ(loadPage(again, "m"), 1);
  EXPECT_STREQ(objects[0].title, "x <?= $a[\"b\"] ?>");
}

struct pageCase {
  const char *what;
  std::string input;
  std::string output;
};

TEST_F(ClientMap, PageRewritePlacesTheMap) {
  const std::string map1 = "<map id=\"m\" name=\"m\">\n"
                           "<area shape=\"rect\" alt=\"A\" coords=\"1,2,3,4\" href=\"a.html\" title=\"A\" />\n"
                           "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\n</map>\n";
  const pageCase cases[] = {
      {"before </body>", "<html><body>\n<p>x</p>\n</body>\n</html>\n",
       "<html><body>\n<p>x</p>\n<div>\n" + map1 + "</div>\n</body>\n</html>\n"},
      {"before </html>", "<html>\n<p>x</p>\n</HTML>\n", "<html>\n<p>x</p>\n<div>\n" + map1 + "</div>\n</HTML>\n"},
      {"at the end", "<p>x</p>\n", "<p>x</p>\n<div>\n" + map1 + "</div>\n"},
      {"at the end, after a last line without its end", "<p>x</p>", "<p>x</p>\n<div>\n" + map1 + "</div>\n"},
      {"replacing the map, keeping what follows it",
       "<body><map name=M>\n<area coords=\"9,9,9,9\">\n<!-- c -->\n</map> after <b>x</b></body>",
       "<body>" + map1 + " after <b>x</b></body>"},
      {"replacing a map found by its id only",
       "<body>\n<map id=\"m\"><area></map>\n<p>y</p>\n</body>",
       "<body>\n" + map1 + "<p>y</p>\n</body>"},
      {"a later map of the same name is kept",
       "<map name=m></map>\n<p>1</p>\n<% If a %><map name=m><area><% End If %></map>\n<p>2</p>",
       map1 + "<p>1</p>\n<% If a %><map name=m><area><% End If %></map>\n<p>2</p>"},
      {"a map after </body> is replaced where it is",
       "<body></body>\n<map name=m></map>\n", "<body></body>\n" + map1},
  };
  for (const pageCase &c : cases) {
    ReleaseObjects();
    objectsSetup();
    ASSERT_EQ(loadPage(c.input, "m"), 1) << c.what;
    ReleaseObjects();
    objectsSetup();
    addShape(rectangle, {{1, 2}, {3, 4}}, "a.html", "A");
    std::string once = capture([](FILE *f) { clientMapWritePage(f, hdoc, "m"); });
    EXPECT_EQ(once, c.output) << c.what;
    // Saving the saved page again changes nothing.
    ASSERT_EQ(loadPage(once, "m"), 1);
    EXPECT_EQ(objectsTotal, 1);
    EXPECT_EQ(capture([](FILE *f) { clientMapWritePage(f, hdoc, "m"); }), once) << c.what;
  }
}

TEST_F(ClientMap, OtherAttributesOfAreasAndTheMapStayWhereTheyWere) {
  const std::string in =
      "<body>\n<map class=\"nav\" NAME=m data-k='a b' id=\"m\">\n"
      "<area class=\"hot\" shape=rect coords=\"1,2,3,4\" data-id=3 href=\"a.html\" ARIA-label=\"A &amp; B\" download>\n"
      "<area shape=poly coords=\"1,2,3\" rel=\"bad\">\n"
      "<area shape=circle coords=\"9,9,2\" onKeyDown=\"k()\" nohref alt=\"\" title=\"C\">\n"
      "<area shape=\"default\" href=\"d.html\" class=\"dflt\">\n"
      "</map>\n</body>";
  ASSERT_EQ(loadPage(in, "m"), 1);
  ASSERT_EQ(objectsTotal, 2);
  EXPECT_STREQ(objects[0].otherAttributes, " class=\"hot\" data-id=3 ARIA-label=\"A &amp; B\" download");
  EXPECT_STREQ(objects[1].otherAttributes, " onKeyDown=\"k()\"");
  EXPECT_STREQ(mapAttributes, " class=\"nav\" data-k='a b'");
  // One hotspot edited: both keep what they carried.
  objects[1].points[0].x = 19;
  objects[1].points[1].x = 21;
  EXPECT_EQ(capture([](FILE *f) { clientMapWritePage(f, hdoc, "m"); }),
            "<body>\n<map id=\"m\" name=\"m\" class=\"nav\" data-k='a b'>\n"
            "<area shape=\"rect\" alt=\"\" coords=\"1,2,3,4\" href=\"a.html\" title=\"\""
            " class=\"hot\" data-id=3 ARIA-label=\"A &amp; B\" download />\n"
            "<area shape=poly coords=\"1,2,3\" rel=\"bad\">\n"
            "<area shape=\"circle\" alt=\"\" coords=\"19,9,2\" nohref title=\"C\" onKeyDown=\"k()\" />\n"
            "<area shape=\"default\" href=\"d.html\" alt=\"\" />\n</map>\n</body>");
  // Attributes that would not read back as themselves are not kept: a name
  // with a zero byte (without it, the hotspot's coordinates), a value with one
  // (without it, a quoted value that runs on), a value without a name (after
  // a bare attribute, that attribute's value).
  const std::string unkept[] = {std::string("<area coords=\"1,2,3,4\" COOR\0DS=\"5,6,7,8\">\n", 42),
                                std::string("<area coords=\"1,2,3,4\" data-a=\0\"b>\n", 35),
                                "<area coords=\"1,2,3,4\" ='b'>\n"};
  for (const std::string &area : unkept) {
    ASSERT_EQ(loadPage(page(area), "m"), 1);
    EXPECT_EQ(objects[0].otherAttributes, nullptr) << area;
  }
  // A page without them writes none.
  ASSERT_EQ(loadPage(page("<area coords=\"1,2,3,4\">\n"), "m"), 1);
  EXPECT_EQ(objects[0].otherAttributes, nullptr);
  EXPECT_EQ(mapAttributes, nullptr);
}

class ClientSave : public MapTest {
 protected:
  std::string pagePath;
  void SetUp() override {
    MapTest::SetUp();
    pagePath = file("page.html");
  }
  void openSaved(const std::string &content, const char *name = "m") {
    writeFile(pagePath, content);
    int inUse = 0;
    htmlFilePtr = pageOpenLocked(pagePath.c_str(), &inUse);
    ASSERT_TRUE(htmlFilePtr);
    hdoc = pageDocumentCreate();
    hdoc->LogError = nullptr;
    int crlf = 0;
    ASSERT_EQ(pageFeed(hdoc, htmlFilePtr, &crlf), htmlSuccess);
    htmlFileCRLF = crlf;
    pageStampTake(htmlFilePtr, &htmlFileStamp);
    setGlobal(&mapfilename, pagePath.c_str());
    setGlobal(&maplocalname, name);
    ASSERT_EQ(LoadClientMap(hdoc, name), 1);
  }
  static bool lockedElsewhere(const std::string &p) {
    int fd = open(p.c_str(), O_RDONLY);
    bool busy = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (fd >= 0) close(fd);
    return busy;
  }
};

TEST_F(ClientSave, SavesWithThePagesLineEndsAndLeavesNoTrace) {
  std::vector<std::string> areas;
  for (int i = 0; i < 30; i++) areas.push_back("<area coords=\"1,2,3,4\" href=\"long-link-" + std::to_string(i) + ".html\">\r\n");
  std::string all;
  for (const std::string &a : areas) all += a;
  openSaved("<html>\r\n<body>\r\n<map name=\"m\">\r\n" + all + "</map>\r\n</body>\r\n</html>\r\n");
  EXPECT_EQ(objectsTotal, 30);
  EXPECT_EQ(htmlFileCRLF, 1);
  // Fewer and shorter areas: the file ends where the new content ends.
  ReleaseObjects();
  objectsSetup();
  addShape(rectangle, {{1, 2}, {3, 4}}, "x");
  changed = 1;
  ASSERT_EQ(Save(), 1);
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(readFile(pagePath),
            "<html>\r\n<body>\r\n<map id=\"m\" name=\"m\">\r\n"
            "<area shape=\"rect\" coords=\"1,2,3,4\" href=\"x\" title=\"\" />\r\n"
            "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\r\n</map>\r\n</body>\r\n</html>\r\n");
  char recent[1024];
  recentFileGet(0, recent, sizeof recent);
  EXPECT_EQ(std::string(recent), pagePath);

  // The stream and its lock moved to the file now under the name.
  EXPECT_TRUE(lockedElsewhere(pagePath));
  struct stat named, held;
  ASSERT_EQ(stat(pagePath.c_str(), &named), 0);
  ASSERT_EQ(fstat(fileno(htmlFilePtr), &held), 0);
  EXPECT_EQ(named.st_ino, held.st_ino);
}

TEST_F(ClientSave, WithExactPageOnlyTheMapAndTheImagesBorderChange) {
  const std::string before = "<HTML>\r\n<body  bgcolor = white >\r\n<p>a > b<br/>\nc</P>\r\n"
                             "<img src=a.png  usemap=\"#m\" />\r\n<SCRIPT>if (a > b) x();</SCRIPT>\r\n";
  const std::string after = "<p class=x>last</p>\r\n</body>\r\n</HTML>";
  const std::string newMap = "<map id=\"m\" name=\"m\" class=\"nav\">\r\n"
                             "<area shape=\"rect\" alt=\"\" coords=\"5,2,8,4\" href=\"x\" title=\"\" data-n=1 />\r\n"
                             "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\r\n</map>\r\n";
  const std::string plainMap = "<div>\r\n<map id=\"m\" name=\"m\">\r\n"
                               "<area shape=\"rect\" coords=\"5,2,8,4\" href=\"x\" title=\"\" />\r\n"
                               "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\r\n</map>\r\n</div>\r\n";
  const struct {
    int exact;
    std::string page, saved;
    int removeBorder = 0;  // the image's border goes instead of becoming 0, as for strict XHTML
  } cases[] = {
      {1, before + "<map name=\"m\" class=\"nav\">\r\n<area coords=\"1,2,3,4\" href=\"x\" data-n=1>\r\n</map>\r\n" + after,
       "<HTML>\r\n<body  bgcolor = white >\r\n<p>a > b<br/>\nc</P>\r\n"
       "<img src=a.png  usemap=\"#m\" border=\"0\" />\r\n<SCRIPT>if (a > b) x();</SCRIPT>\r\n" +
           newMap + after},
      // Without a map the new one goes before </body>, everything else as read.
      {1, "<body >\r\n<img src=a.png usemap=#m>\r\n</body >\r\n",
       "<body >\r\n<img src=a.png usemap=#m border=\"0\">\r\n<div>\r\n"
       "<map id=\"m\" name=\"m\">\r\n<area shape=\"rect\" coords=\"5,2,8,4\" href=\"x\" title=\"\" />\r\n"
       "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\r\n</map>\r\n</div>\r\n</body >\r\n"},
      // An attribute the image had is changed, or removed, where it stands.
      {1, "<body>\r\n<img  BORDER = '2'\tsrc=a.png\r\n usemap=\"#m\" alt=\"\"/>\r\n</body>\r\n",
       "<body>\r\n<img  BORDER=\"0\"\tsrc=a.png\r\n usemap=\"#m\" alt=\"\"/>\r\n" + plainMap + "</body>\r\n"},
      {1, "<body>\r\n<img src=a.png border=2  usemap=#m>\r\n</body>\r\n",
       "<body>\r\n<img src=a.png  usemap=#m>\r\n" + plainMap + "</body>\r\n", 1},
      // Off, the page is tidied as before.
      {0, "<body >\r\n<img src=a.png usemap=#m>\r\n</body >\r\n",
       "<body>\r\n<img src=a.png usemap=#m border=\"0\">\r\n<div>\r\n"
       "<map id=\"m\" name=\"m\">\r\n<area shape=\"rect\" coords=\"5,2,8,4\" href=\"x\" title=\"\" />\r\n"
       "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\r\n</map>\r\n</div>\r\n</body>\r\n"},
  };
  for (const auto &c : cases) {
    exactPage = c.exact;
    openSaved(c.page);
    if (objectsTotal == 0) addShape(rectangle, {{1, 2}, {3, 4}}, "x");
    objects[0].points[0].x = 5;
    objects[0].points[1].x = 8;
    htmlTagPtr img = hdoc->first;
    while (img && !htmlEq(img->name, "img")) img = img->n;
    ASSERT_TRUE(img);
    if (c.removeBorder)
      htmlTagAttrDestroy(img, "border");
    else
      htmlTagAttrSet(img, "border", "0", 1);
    changed = 1;
    ASSERT_EQ(Save(), 1);
    EXPECT_EQ(readFile(pagePath), c.saved);
    htmlDestroy(hdoc);
    hdoc = nullptr;
    std::fclose(htmlFilePtr);
    htmlFilePtr = nullptr;
  }
  exactPage = 0;
}

TEST_F(ClientSave, AnLfPageStaysLf) {
  openSaved("<body>\n<p>a\r\nb</p>\n</body>\n");
  EXPECT_EQ(htmlFileCRLF, 0);
  ASSERT_EQ(Save(), 1);
  std::string saved = readFile(pagePath);
  EXPECT_EQ(saved, "<body>\n<p>a\r\nb</p>\n<div>\n<map id=\"m\" name=\"m\">\n"
                   "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\n</map>\n</div>\n</body>\n");
}

TEST_F(ClientSave, AFailedSaveKeepsTheOldFileAndTheChanges) {
  const std::string old = "<body>\n<map name=m><area coords=\"1,2,3,4\"></map>\n</body>\n";
  const int steps[] = {pageFaultCreate, pageFaultWrite, pageFaultSync, pageFaultRename};
  for (int step : steps) {
    openSaved(old);
    FILE *stream = htmlFilePtr;
    addShape(circle, {{5, 5}, {8, 5}});
    changed = 1;
    forgetShown();
    pageFaultStep = step;
    pageFaultErrno = ENOSPC;
    EXPECT_EQ(Save(), 0) << step;
    pageFaultStep = pageFaultNone;
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(htmlFilePtr, stream);
    EXPECT_EQ(readFile(pagePath), old);
    scriptedShown box = scriptedLastMessage();
    EXPECT_EQ(box.title, "Can't Save File");
    EXPECT_EQ(box.flags, static_cast<unsigned>(MB_OK | MB_ICONWARNING));
    EXPECT_NE(box.text.find(pagePath), std::string::npos) << box.text;
    EXPECT_NE(box.text.find(std::strerror(ENOSPC)), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("has not been changed"), std::string::npos) << box.text;
    std::fclose(htmlFilePtr);
    htmlFilePtr = nullptr;
    htmlDestroy(hdoc);
    hdoc = nullptr;
  }
  // A page written in place whose old content cannot be put back after a
  // failure is not said to be unchanged.
  openSaved(old);
  ASSERT_EQ(link(pagePath.c_str(), file("other.html").c_str()), 0);
  addShape(circle, {{5, 5}, {8, 5}});
  changed = 1;
  pageFaultStep = pageFaultSync | pageFaultRestore;
  EXPECT_EQ(Save(), 0);
  pageFaultStep = pageFaultNone;
  const std::string text = scriptedLastMessage().text;
  EXPECT_EQ(text.find("has not been changed"), std::string::npos) << text;
  EXPECT_NE(text.find("may be incomplete"), std::string::npos) << text;
  EXPECT_EQ(changed, 1);
}

TEST_F(ClientSave, PagesWithoutAFileOrAStream) {
  hdoc = pageDocumentCreate();
  setGlobal(&mapfilename, "");
  changed = 1;
  // A page without a name asks for one; cancelling saves nothing.
  EXPECT_EQ(Save(), 0);
  EXPECT_EQ(changed, 1);
  ASSERT_EQ(scripted.shown.size(), 1u);
  EXPECT_EQ(scripted.shown[0].kind, "save");
  scripted.shown.clear();

  // A page named but never written yet gets its file and its stream.
  setGlobal(&mapfilename, file("new.html").c_str());
  setGlobal(&maplocalname, "n");
  ASSERT_EQ(htmlAppendString(hdoc, "<html><body></body></html>"), htmlSuccess);
  ASSERT_EQ(htmlFlushText(hdoc), htmlSuccess);
  EXPECT_EQ(Save(), 1);
  EXPECT_TRUE(htmlFilePtr);
  EXPECT_NE(readFile(file("new.html")).find("<map id=\"n\" name=\"n\">"), std::string::npos);

  // A folder that cannot take files.
  setGlobal(&mapfilename, "/sys/tilvane-new.html");
  changed = 1;
  EXPECT_EQ(Save(), 0);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(scriptedLastMessage().title, "Can't Save File");
}

TEST_F(ClientSave, CorpusPagesSaveTheirMapsBack) {
  std::string corpus = corpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  struct corpusMap {
    const char *page, *map;
    int areas;
  };
  const corpusMap maps[] = {{"cwps_crab_index.htm", "FPMap0", -1},
                            {"doxygen_CList_8h.html", "CList.hdep_map", 13},
                            {"lynx_tags.html", "IMAGEMAP", 3},
                            {"gumbo_xinhua.html", "Map", -1},
                            {"nswrail_sydney-1974.tpl", "imagemap", -1},
                            {"wbse_MainMap.jsp", "Map", -1},
                            {"woodland_oldsite_events_index.asp", "PA", -1},
                            {"zoneminder_zm_html_view_zones.php", "zonemap", -1},
                            {"quail_imgMapAreasHaveDuplicateLink.html", "imagemap", -1}};
  for (const corpusMap &m : maps) {
    std::string content;
    if (!readFile(corpus + "/html/" + m.page, content)) continue;
    ReleaseObjects();
    objectsSetup();
    ASSERT_EQ(loadPage(content, m.map), 1) << m.page;
    if (m.areas >= 0) {
      EXPECT_EQ(objectsTotal, m.areas) << m.page;
    }
    int first = objectsTotal;
    std::string once = capture([](FILE *f) { clientMapWritePage(f, hdoc, maplocalname); });
    ASSERT_EQ(loadPage(once, m.map), 1) << m.page;
    EXPECT_EQ(objectsTotal, first) << m.page;
    std::string twice = capture([](FILE *f) { clientMapWritePage(f, hdoc, maplocalname); });
    EXPECT_EQ(twice, once) << m.page;
  }
}

TEST_F(ClientSave, CorpusPagesChangeOnlyTheHotspotThatMoved) {
  std::string corpus = corpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  DIR *dir = opendir((corpus + "/html").c_str());
  ASSERT_TRUE(dir);
  std::vector<std::string> names;
  while (dirent *e = readdir(dir)) names.push_back(e->d_name);
  closedir(dir);
  exactPage = 1;
  int pagesChecked = 0;
  for (const std::string &name : names) {
    struct stat st;
    if (stat((corpus + "/html/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    std::string content;
    if (!readFile(corpus + "/html/" + name, content) || content.empty()) continue;
    // Each map of the page, by its name.
    parsedPage scan;
    parsePage(scan, content);
    std::vector<std::string> maps;
    // A name with quotation marks (markup inside a script's string) is not
    // written back as it was read, so such a map is not found again.
    for (htmlTagPtr t = scan.doc->first; t; t = t->n)
      if (htmlEq(t->name, "map") && htmlTagAttrQuery(t, "name") && !std::strchr(htmlTagAttr(t, "name"), '"'))
        maps.push_back(htmlTagAttr(t, "name"));
    for (const std::string &map : maps) {
      SCOPED_TRACE(name + " #" + map);
      forgetShown();
      openSaved(content, map.c_str());
      if (objectsTotal == 0 || objects[0].pointsTotal == 0) {
        htmlDestroy(hdoc);
        hdoc = nullptr;
        std::fclose(htmlFilePtr);
        htmlFilePtr = nullptr;
        continue;
      }
      htmlTagPtr mapTag = clientMapFind(hdoc, map.c_str());
      htmlTagPtr end = mapTag;
      while (end && !htmlEq(end->name, "/map")) end = end->n;
      ASSERT_TRUE(end);
      const std::string before = content.substr(0, static_cast<size_t>(mapTag->sourceStart));
      const std::string after = content.substr(static_cast<size_t>(end->sourceTagEnd));
      // What the page had, with the first hotspot one pixel to the right.
      std::vector<object> had(static_cast<size_t>(objectsTotal));
      for (int i = 0; i < objectsTotal; i++) objectDataCopy(&had[static_cast<size_t>(i)], &objects[i]);
      std::vector<std::string> kept;
      for (const keptArea &k : keptAreas) kept.push_back(k.markup);
      const std::string id = mapId ? mapId : "";
      for (int k = 0; k < had[0].pointsTotal; k++) had[0].points[k].x += 1;
      for (int k = 0; k < objects[0].pointsTotal; k++) objects[0].points[k].x += 1;
      changed = 1;
      ASSERT_EQ(Save(), 1);
      const std::string saved = readFile(pagePath);
      EXPECT_EQ(saved.substr(0, before.size()), before);
      ASSERT_GE(saved.size(), after.size());
      // The text after </map> keeps its bytes; the new map ends its own last line.
      std::string tail = after;
      if (tail.compare(0, 2, "\r\n") == 0 && htmlFileCRLF) tail.erase(0, 2);
      else if (!tail.empty() && tail[0] == '\n') tail.erase(0, 1);
      EXPECT_EQ(saved.substr(saved.size() - tail.size()), tail);
      // Read back, every hotspot is what it was, every kept area and the id too.
      htmlDestroy(hdoc);
      hdoc = nullptr;
      std::fclose(htmlFilePtr);
      htmlFilePtr = nullptr;
      openSaved(saved, map.c_str());
      ASSERT_EQ(objectsTotal, static_cast<int>(had.size()));
      for (int i = 0; i < objectsTotal; i++) {
        const object &a = had[static_cast<size_t>(i)], &b = objects[i];
        EXPECT_EQ(a.t, b.t) << i;
        ASSERT_EQ(a.pointsTotal, b.pointsTotal) << i;
        for (int k = 0; k < a.pointsTotal; k++) {
          EXPECT_EQ(truncToInt(a.points[k].x), truncToInt(b.points[k].x)) << i;
          EXPECT_EQ(truncToInt(a.points[k].y), truncToInt(b.points[k].y)) << i;
        }
        EXPECT_STREQ(a.url ? a.url : "", b.url ? b.url : "") << i;
        EXPECT_STREQ(a.comments, b.comments) << i;
        EXPECT_STREQ(areaTitle(&a), areaTitle(&b)) << i;
        EXPECT_STREQ(a.target, b.target) << i;
        EXPECT_STREQ(a.onMouseOver, b.onMouseOver) << i;
        EXPECT_STREQ(a.onMouseOut, b.onMouseOut) << i;
        EXPECT_STREQ(areaOnClick(&a), areaOnClick(&b)) << i;
        EXPECT_STREQ(a.otherAttributes, b.otherAttributes) << i;
      }
      std::vector<std::string> keptAgain;
      for (const keptArea &k : keptAreas) keptAgain.push_back(k.markup);
      EXPECT_EQ(keptAgain, kept);
      // A map without an id is given its name as one.
      EXPECT_EQ(std::string(mapId ? mapId : ""), id.empty() ? map : id);
      for (object &o : had) objectDataFree(&o);
      htmlDestroy(hdoc);
      hdoc = nullptr;
      std::fclose(htmlFilePtr);
      htmlFilePtr = nullptr;
      pagesChecked++;
    }
  }
  exactPage = 0;
  EXPECT_GT(pagesChecked, 10);
}

}  // namespace
