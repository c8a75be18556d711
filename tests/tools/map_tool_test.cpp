// Tests of the map commands of tilvane-map, run as a separate program: what
// they print, write and answer.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/app/shell_test_util.h"

namespace {

struct run {
  int status;
  std::string out, err;
};

class MapTool : public ::testing::Test {
 protected:
  tempHome home;
  std::string path(const char *name) const { return home.root + "/" + name; }
  run tool(const std::string &args) {
    std::string out = path("stdout"), err = path("stderr");
    // A command that hangs ends with the status 124.
    std::string cmd = "timeout 60 " + std::string(TILVANE_MAP_TOOL) + " " + args + " >" + out + " 2>" + err;
    int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
  }
};

const char *const page =
    "<html>\r\n<body>\r\n<img src=\"a.png\" usemap=\"#m\">\r\n"
    "<map name=\"m\">\r\n<area shape=circle coords=\"50,50,10\" href=\"c.html\" alt=\"C\">\r\n</map>\r\n"
    "</body>\r\n</html>\r\n";

TEST_F(MapTool, RoundtripReportsParseErrors) {
  writeFile(path("p.html"), "<p>\n<a<b>x\n\n<a href=\"x");
  run r = tool("roundtrip " + path("p.html"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "<p>\n<b>x\n\n<a href=\"x\">");
  EXPECT_EQ(r.err, "line 2: Tag never closed\nline 4: Closing quotation mark missing for attribute\n");
  r = tool("roundtrip " + path("p.html") + " " + path("o.html"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(readFile(path("o.html")), "<p>\n<b>x\n\n<a href=\"x\">");
  EXPECT_EQ(tool("roundtrip " + path("none.html")).status, 1);
  EXPECT_EQ(tool("roundtrip").status, 2);
}

TEST_F(MapTool, ShowImportExport) {
  writeFile(path("p.html"), page);
  run r = tool("show " + path("p.html") + " --map M --title-as-alt 0");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "<map id=\"M\" name=\"M\">\n"
                   "<area shape=\"circle\" alt=\"C\" coords=\"50,50,10\" href=\"c.html\" title=\"C\" />\n"
                   "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\n</map>\n");
  // Every message of a reading reaches standard error.
  std::string bad = "<map name=\"b\">";
  for (int i = 0; i < 7; i++) bad += "<area coords=\"1,2,3\">\n";
  writeFile(path("bad.html"), bad + "</map>");
  r = tool("show " + path("bad.html") + " --map b");
  EXPECT_EQ(r.err, [] {
    std::string e;
    for (int i = 0; i < 7; i++)
      e += "Tilvane: Y coordinate missing from shape.\nArea " + std::to_string(i + 1) +
           " of the map: <area coords=\"1,2,3\">\nTilvane keeps this area in the page as it is.\n";
    return e;
  }());
  EXPECT_EQ(tool("show " + path("p.html") + " --map none").out,
            "<map id=\"none\" name=\"none\">\n<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\n</map>\n");

  r = tool("export " + path("p.html") + " --map m --format cern " + path("m.map"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(readFile(path("m.map")), "circle (50,50) 10 c.html\r\n");
  r = tool("export " + path("p.html") + " --map m --format ncsa " + path("n.map"));
  EXPECT_EQ(readFile(path("n.map")), "#C\r\ncircle c.html 50,50 60,50 \r\n");

  writeFile(path("in.map"), "rect r.html 1,2 3,4\n");
  r = tool("import " + path("p.html") + " " + path("in.map") + " --map m -o " + path("out.html"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(path("p.html")), page);
  EXPECT_EQ(readFile(path("out.html")),
            "<html>\r\n<body>\r\n<img src=\"a.png\" usemap=\"#m\">\r\n<map id=\"m\" name=\"m\">\r\n"
            "<area shape=\"rect\" alt=\"\" coords=\"1,2,3,4\" href=\"r.html\" title=\"\" />\r\n"
            "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\r\n</map>\r\n</body>\r\n</html>\r\n");
  r = tool("import " + path("p.html") + " " + path("in.map") + " --map m --click-as-mouseout 1");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(path("p.html")), readFile(path("out.html")));
}

TEST_F(MapTool, RoundtripAndImportTakeExact) {
  const std::string odd = "<html >\r\n<p  class = x>a > b<br/>\nc</P>\r\n<SCRIPT>x();</SCRIPT>\r\n"
                          "<img src=a.png usemap=\"#m\" />\r\n<map name=m>\r\n<area coords=\"1,2,3,4\">\r\n</map>\r\n"
                          "<p>after</p >\r\n</html>";
  writeFile(path("odd.html"), odd);
  run r = tool("roundtrip --exact " + path("odd.html"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out == odd) << r.out;
  r = tool("roundtrip " + path("odd.html") + " " + path("o.html") + " --exact");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(readFile(path("o.html")) == odd);

  writeFile(path("in.map"), "rect r.html 1,2 3,4\n");
  r = tool("import " + path("odd.html") + " " + path("in.map") + " --map m --exact -o " + path("out.html"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(path("out.html")),
            "<html >\r\n<p  class = x>a > b<br/>\nc</P>\r\n<SCRIPT>x();</SCRIPT>\r\n"
            "<img src=a.png usemap=\"#m\" />\r\n<map id=\"m\" name=\"m\">\r\n"
            "<area shape=\"rect\" alt=\"\" coords=\"1,2,3,4\" href=\"r.html\" title=\"\" />\r\n"
            "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\r\n</map>\r\n<p>after</p >\r\n</html>");
}

TEST_F(MapTool, FailuresSayWhyAndChangeNothing) {
  writeFile(path("p.html"), page);
  writeFile(path("bad.map"), "rect r.html 1,2 3,4\npoly\n");
  run r = tool("import " + path("p.html") + " " + path("bad.map") + " --map m");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Line 2: No URL after poly"), std::string::npos) << r.err;
  EXPECT_EQ(readFile(path("p.html")), page);
  r = tool("import " + path("p.html") + " " + path("none.map") + " --map m");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("WARNING: Map file not found"), std::string::npos) << r.err;
  EXPECT_EQ(readFile(path("p.html")), page);

  writeFile(path("open.html"), "<map name=m><area coords=\"1,2,3,4\">");
  r = tool("show " + path("open.html") + " --map m");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("No closing </map> element in HTML document!"), std::string::npos);

  EXPECT_EQ(tool("show " + path("p.html")).status, 2);
  EXPECT_EQ(tool("export " + path("p.html") + " --map m --format xml " + path("x.map")).status, 2);
  EXPECT_EQ(tool("show " + path("p.html") + " --map m --title-as-alt 2").status, 2);
  EXPECT_EQ(tool("export " + path("p.html") + " --map m --format ncsa /sys/x.map").status, 1);
}

TEST_F(MapTool, PipesAndDevicesAreNotReadAsPagesOrPictures) {
  ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
  writeFile(path("m.map"), "rect r.html 1,2 3,4\n");
  for (const std::string &file : {path("pipe"), std::string("/dev/zero")}) {
    const std::string commands[] = {"roundtrip " + file + " " + path("out.html"),
                                    "show " + file + " --map m",
                                    "import " + file + " " + path("m.map") + " --map m",
                                    "export " + file + " --map m --format ncsa " + path("out.map"),
                                    "check " + file,
                                    "decode " + file + " " + path("out.png"),
                                    "wand " + file + " 1 1"};
    for (const std::string &command : commands) {
      run r = tool(command);
      EXPECT_TRUE(r.status == 1 || r.status == 2) << command << ": " << r.status;
      EXPECT_NE(r.err.find("only from ordinary files, not from folders, devices or pipes"), std::string::npos)
          << command << ": " << r.err;
    }
  }
}

TEST_F(MapTool, CheckPrintsFindingsAndFailsOnErrors) {
  writeFile(path("c.html"), "");
  writeFile(path("p.html"),
            "<img src=\"a.png\" alt=\"Map\" width=\"200\" height=\"100\" usemap=\"#m\">\n<map name=\"m\">\n"
            "<area shape=\"rect\" coords=\"0,0,100,100\" href=\"c.html\">\n"
            "<area shape=\"circle\" coords=\"50,50,30\" href=\"c.html\" alt=\"Cats\">\n</map>\n");
  run r = tool("check " + path("p.html"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "error: hotspot 1 (rect, c.html): no alternative text\n"
            "warning: hotspot 2 (circle, c.html): can never be clicked, hotspot 1 covers it\n");
  r = tool("check " + path("p.html") + " --map m --json");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, 2), "[\n");
  EXPECT_NE(r.out.find("\"hotspot\": 1, \"shape\": \"rect\", \"link\": \"c.html\""), std::string::npos);
  EXPECT_NE(r.out.find("\"message\": \"no alternative text\""), std::string::npos);
  EXPECT_NE(r.out.find("\"coveredBy\": [1]"), std::string::npos);
  // Only warnings and notices: the check passes.
  writeFile(path("q.html"), "<img src=\"a.png\" alt=\"\" width=\"200\" height=\"100\" usemap=\"#m\">"
                            "<map name=\"m\"><area shape=\"rect\" coords=\"0,0,30,30\" href=\"c.html\" alt=\"Cats\"></map>");
  r = tool("check " + path("q.html"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "notice: hotspot 1 (rect, c.html): 30 x 30 pixels, smaller than the 44 x 44 that is easy to hit\n");
  EXPECT_EQ(tool("check " + path("none.html")).status, 2);
  EXPECT_EQ(tool("check").status, 2);
}

// check reads usemap as browsers do: the name after the first '#', matched
// exactly; an empty name matches no map.
TEST_F(MapTool, CheckMatchesUsemapAsBrowsers) {
  const struct {
    const char *page;
    int status;
    const char *out;
  } cases[] = {
      {"<img src=\"a.png\" alt=\"\" usemap=\"#\"><map name=\"\"></map>", 1,
       "error: img at line 1, column 1 (a.png): usemap \"#\" names no map: the name after the # is empty\n"},
      {"<img src=\"a.png\" alt=\"\" usemap=\"#M\"><map name=\"m\"></map>", 1,
       "error: img at line 1, column 1 (a.png): usemap names the map \"M\", which the page does not have\n"},
      {"<img src=\"a.png\" alt=\"\" usemap=\"#m\"><map id=\"M\"></map><map name=\"m\"></map>", 0, ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.page);
    writeFile(path("u.html"), c.page);
    run r = tool("check " + path("u.html"));
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
  }
}

// check writes the page's text in UTF-8, read in the charset the page declares,
// else as UTF-8 when it is valid, else as Windows-1252.
TEST_F(MapTool, CheckWritesUtf8) {
  const struct {
    const char *head, *link, *expected;
  } cases[] = {
      {"<meta charset=\"ISO-8859-1\">", "caf\xe9.html", "caf\xc3\xa9.html"},
      {"", "\x93q\x94.html", "\xe2\x80\x9cq\xe2\x80\x9d.html"},
      {"", "caf\xc3\xa9.html", "caf\xc3\xa9.html"},
      {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=big5\">", "\xa4\xa4.html", "\xe4\xb8\xad.html"},
      {"<meta charset=\"utf-8\">", "a\xff.html", "a\xc3\xbf.html"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.link);
    writeFile(path("u.html"), std::string(c.head) + "<img src=\"a.png\" alt=\"\" usemap=\"#m\"><map name=\"m\">" +
                                  "<area coords=\"0,0,50,50\" href=\"" + c.link + "\" alt=\"Cats\"></map>");
    run r = tool("check " + path("u.html") + " --json");
    EXPECT_NE(r.out.find(std::string("\"link\": \"") + c.expected + "\""), std::string::npos) << r.out;
  }
}

// Every page of the corpus: the JSON parses strictly as UTF-8, and check fails
// exactly when an error is among the findings.
TEST_F(MapTool, CheckJsonParsesOnCorpus) {
  const char *corpus = std::getenv("TILVANE_CORPUS_DIR");
  struct stat st;
  if (!corpus || stat((std::string(corpus) + "/html").c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
      std::system("python3 -c 1 2>/dev/null") != 0)
    GTEST_SKIP() << "no corpus or no python3";
  const std::string list = path("pages");
  std::system(("find '" + std::string(corpus) + "/html' -type f | sort >" + list).c_str());
  std::ifstream pages(list);
  std::string page;
  int checked = 0;
  while (std::getline(pages, page)) {
    SCOPED_TRACE(page);
    run r = tool("check '" + page + "' --json");
    ASSERT_TRUE(r.status == 0 || r.status == 1) << r.err;
    writeFile(path("out.json"), r.out);
    const std::string parse =
        "python3 -c 'import json,sys; f=json.loads(open(sys.argv[1],\"rb\").read().decode(\"utf-8\")); "
        "sys.exit(3 if any(x[\"severity\"]==\"error\" for x in f) else 4)' " + path("out.json");
    const int status = std::system(parse.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), r.status == 1 ? 3 : 4) << r.out;
    checked++;
  }
  EXPECT_GT(checked, 0);
}

TEST_F(MapTool, HelpAndVersionGoToStandardOutput) {
  const struct {
    const char *args;
    const char *starts;
  } cases[] = {
      {"--help", "usage: tilvane-map COMMAND ...\n"},
      {"help", "usage: tilvane-map COMMAND ...\n"},
      {"--version", "tilvane-map 4.05\n"},
      {"help decode", "usage: tilvane-map decode PICTURE "},
  };
  for (const auto &c : cases) {
    run r = tool(c.args);
    EXPECT_EQ(r.status, 0) << c.args;
    EXPECT_EQ(r.out.substr(0, strlen(c.starts)), c.starts) << c.args;
    EXPECT_EQ(r.err, "") << c.args;
  }
  run r = tool("help nosuch");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(tool("--nosuch").status, 2);
}

TEST_F(MapTool, BashCompletionOffersWhatTheUsageLinesName) {
  // The completion reads the subcommands, options and option values from the
  // program's usage lines: each subcommand's line names every option it takes.
  writeFile(path("complete.sh"),
            "export LC_ALL=C; source \"$1\"; shift\n"
            "COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _tilvane_map\n"
            "printf '%s\\n' \"${COMPREPLY[@]}\" | sort | tr '\\n' ' '\n");
  std::string folder = TILVANE_MAP_TOOL;
  folder.erase(folder.rfind('/'));
  const struct {
    const char *words, *offered;
  } cases[] = {
      {"''", "--help --version check decode export help import roundtrip show url wand "},
      {"help ''", "check decode export import roundtrip show url wand "},
      {"show p --", "--click-as-mouseout --map "},
      {"import p m.map -", "--click-as-mouseout --exact --map -o "},
      {"export p --format ''", "cern ncsa "},
      {"export p --click-as-mouseout ''", "0 1 "},
      {"decode a b --depth ''", "24 4 8 "},
      {"wand a 1 2 --", "--feather --outer --points --simplify --tolerance "},
  };
  for (const auto &c : cases) {
    const std::string out = path("offered");
    std::system(("PATH='" + folder + "':\"$PATH\" bash " + path("complete.sh") + " " TILVANE_MAP_COMPLETION
                 " tilvane-map " + c.words + " >" + out)
                    .c_str());
    EXPECT_EQ(readFile(out), c.offered) << c.words;
  }
}

TEST_F(MapTool, DecodeWritesPngByTheNameOfItsOutput) {
  // A 2 x 1 picture, 24-bit BMP: a red and a blue pixel (stored blue, green, red).
  std::string bmp = "BM";
  auto le = [&bmp](unsigned v, int bytes) {
    for (int i = 0; i < bytes; i++) bmp += (char)((v >> (8 * i)) & 0xff);
  };
  le(62, 4), le(0, 4), le(54, 4), le(40, 4), le(2, 4), le(1, 4), le(1, 2), le(24, 2);
  le(0, 4), le(8, 4), le(2835, 4), le(2835, 4), le(0, 4), le(0, 4);
  bmp += std::string("\x00\x00\xff\xff\x00\x00\x00\x00", 8);
  writeFile(path("in.bmp"), bmp);
  EXPECT_EQ(tool("decode " + path("in.bmp") + " " + path("out.ppm") + " --depth 24").status, 0);
  EXPECT_EQ(readFile(path("out.ppm")), std::string("P6\n2 1\n255\n\xff\x00\x00\x00\x00\xff", 17));
  for (const char *name : {"out.png", "OUT.PNG"}) {
    EXPECT_EQ(tool("decode " + path("in.bmp") + " " + path(name) + " --depth 24").status, 0);
    const std::string png = readFile(path(name));
    ASSERT_GE(png.size(), 24u) << name;
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << name;
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\x02\0\0\0\x01", 8)) << name;  // 2 x 1
  }
  // An SVG is chosen by its extension and drawn at its own size.
  writeFile(path("in.svg"), "<svg xmlns='http://www.w3.org/2000/svg' width='2' height='1'>"
                            "<rect width='1' height='1' fill='red'/><rect x='1' width='1' height='1' "
                            "fill='blue'/></svg>");
  EXPECT_EQ(tool("decode " + path("in.svg") + " " + path("svg.ppm") + " --depth 24").status, 0);
  EXPECT_EQ(readFile(path("svg.ppm")), std::string("P6\n2 1\n255\n\xff\x00\x00\x00\x00\xff", 17));
}

}  // namespace
