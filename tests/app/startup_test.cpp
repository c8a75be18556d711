// The command line: splitting, sorting into the document, picture and map name
// slots, the "/new" and "/open" flags, what start-up opens; the F1 topic.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/startup.h"
#include "editor/modes.h"
#include "editor/view.h"
#include "html/document.h"
#include "editor/magicwand.h"
#include "platform/platform_scripted.h"

namespace {

std::vector<std::string> words() {
  std::vector<std::string> out;
  for (int i = 1; i < argc; i++) out.push_back(argv[i]);
  return out;
}

struct Slots {
  std::string image, document, localName;
  int newFlag, openFlag;
};

Slots sortLine(const char *line, const char *folder = nullptr) {
  likeRealMain(line);
  commandLineSlots s;
  commandLineClassify(&s, folder);
  Slots r{s.image ? s.image : "", s.document ? s.document : "", s.localName ? s.localName : "", s.newFlag,
          s.openFlag};
  commandLineSlotsFree(&s);
  return r;
}

}  // namespace

TEST(CommandLine, SplitsWordsAndQuotes) {
  struct {
    const char *line;
    std::vector<std::string> want;
  } rows[] = {
      {"", {}},
      {"   \t ", {}},
      {"one", {"one"}},
      {"  one   two\tthree  ", {"one", "two", "three"}},
      {"\"a b c\" d", {"a b c", "d"}},
      {"x\"y z\"", {"x\"y", "z\""}},           // a quote inside a word is kept
      {"\"unclosed rest of line", {"unclosed rest of line"}},
      {"\"\" after", {"", "after"}},
      {"a \"\"", {"a", ""}},
  };
  for (const auto &r : rows) {
    likeRealMain(r.line);
    EXPECT_EQ(words(), r.want) << r.line;
    EXPECT_STREQ(argv[0], "DUMMY");
    EXPECT_EQ(argc, (int)r.want.size() + 1);
  }
}

TEST(CommandLine, TakesAtMost99Words) {
  std::string line;
  for (int i = 0; i < 150; i++) line += "w" + std::to_string(i) + " ";
  likeRealMain(line.c_str());
  ASSERT_EQ(argc, 100);
  EXPECT_STREQ(argv[99], "w98");
  likeRealMain(nullptr);
  EXPECT_EQ(argc, 1);
}

TEST(CommandLine, WordsGivenBySystemKeepTheirSpacesAndQuotes) {
  const char *list[] = {"/tmp/my page.html", "say \"hi\".gif", "m"};
  likeRealMainWords(3, list);
  EXPECT_EQ(words(), (std::vector<std::string>{"/tmp/my page.html", "say \"hi\".gif", "m"}));
}

TEST(CommandLine, PictureNamesBySuffix) {
  for (const char *yes : {"a.gif", "A.JPG", "x.jpe", "photo.JPEG", "b.bmp", "c.Png", "nodotgif", "png",
                          "a.webp", "b.AVIF", "c.svg", "d.svgz"})
    EXPECT_TRUE(filenameIsImage(yes)) << yes;
  for (const char *no : {"a.html", "a.gi", "", "jpeg.txt", "gif.", "a.tiff", "a.svg.txt"}) EXPECT_FALSE(filenameIsImage(no)) << no;
  EXPECT_FALSE(filenameIsImage(nullptr));
}

TEST(CommandLine, SortsWordsIntoSlots) {
  struct {
    const char *line;
    Slots want;
  } rows[] = {
      {"/new", {"", "", "", 1, 0}},
      {"/NEW", {"", "", "", 1, 0}},
      {"/Open", {"", "", "", 0, 1}},
      {"/new page.html", {"", "page.html", "/new", 0, 0}},  // no longer a flag: a word without a dot
      {"\"/my docs/p.html\" pic.gif mymap", {"pic.gif", "/my docs/p.html", "mymap", 0, 0}},
      {"first.html second.htm", {"", "first.html", "second.htm", 0, 0}},
      {"a.gif b.gif", {"a.gif", "", "", 0, 0}},
      {"m1 m2 p.html", {"", "p.html", "m1", 0, 0}},
      {"p.html m q.html", {"", "p.html", "m", 0, 0}},
      {"", {"", "", "", 0, 0}},
  };
  for (const auto &r : rows) {
    Slots s = sortLine(r.line);
    EXPECT_EQ(s.image, r.want.image) << r.line;
    EXPECT_EQ(s.document, r.want.document) << r.line;
    EXPECT_EQ(s.localName, r.want.localName) << r.line;
    EXPECT_EQ(s.newFlag, r.want.newFlag) << r.line;
    EXPECT_EQ(s.openFlag, r.want.openFlag) << r.line;
  }
}

TEST(CommandLine, RelativePathsAreTakenFromTheStartFolder) {
  Slots s = sortLine("sub/p.html pics/a.png m.x", "/home/u/work");
  EXPECT_EQ(s.document, "/home/u/work/sub/p.html");
  EXPECT_EQ(s.image, "/home/u/work/pics/a.png");
  EXPECT_EQ(s.localName, "m.x");  // a map name is no path
  s = sortLine("/abs/p.html", "/home/u/");
  EXPECT_EQ(s.document, "/abs/p.html");
  s = sortLine("p.html", "/");
  EXPECT_EQ(s.document, "/p.html");
}

TEST(CommandLine, APictureNamedAsThePageNamesItIsFoundBesideThePage) {
  char folder[] = "/tmp/tilvane-startup-XXXXXX";
  ASSERT_TRUE(mkdtemp(folder));
  const std::string root = folder;
  ASSERT_EQ(std::system(("mkdir -p " + root + "/site/img && touch " + root + "/site/page.html " + root +
                         "/site/img/q.png " + root + "/both.png " + root + "/site/both.png")
                            .c_str()),
            0);
  struct {
    const char *line;
    std::string image;
  } rows[] = {
      {"site/page.html img/q.png", root + "/site/img/q.png"},  // only beside the page
      {"site/page.html both.png", root + "/both.png"},         // the start folder first
      {"site/page.html none.png", root + "/none.png"},         // nowhere: as given
      {"img/q.png", root + "/img/q.png"},                      // no page to look beside
  };
  for (const auto &r : rows) EXPECT_EQ(sortLine(r.line, root.c_str()).image, r.image) << r.line;
  std::system(("rm -rf " + root).c_str());
}

TEST(CommandLine, WhatStartUpOpens) {
  commandLineSlots s = {};
  EXPECT_EQ(commandLineAction(&s, 0), startChoose);
  s.localName = const_cast<char *>("m");
  EXPECT_EQ(commandLineAction(&s, 0), startChoose);  // a map name alone opens nothing
  s.image = const_cast<char *>("a.gif");
  EXPECT_EQ(commandLineAction(&s, 0), startNewImage);
  s.document = const_cast<char *>("p.html");
  EXPECT_EQ(commandLineAction(&s, 0), startNewDocument);
  EXPECT_EQ(commandLineAction(&s, 1), startOpenDocument);
  s.image = nullptr;
  EXPECT_EQ(commandLineAction(&s, 1), startOpenDocument);
  s.newFlag = 1;
  EXPECT_EQ(commandLineAction(&s, 1), startNewDialog);
  s.openFlag = 1;
  EXPECT_EQ(commandLineAction(&s, 1), startOpenDialog);
}

TEST(CommandLine, StartUpTime) {
  scriptedInstall();
  scripted.nowSeconds = 86400LL * 365 + 12 * 3600;  // 1 January 1971, noon
  startupTakeTime();
  EXPECT_EQ(nowBreakdown.tm_year, 71);
  EXPECT_EQ(nowDay, 0);
}

TEST(ContextHelp, DialogsBeforeTheEditingState) {
  state = rectDrag;
  EXPECT_STREQ(contextHelpTopic(), "help_rectangles");
  magicWandSettings = 1;
  EXPECT_STREQ(contextHelpTopic(), "help_magicwandsettings");
  saving = 1;
  EXPECT_STREQ(contextHelpTopic(), "help_saving");
  openingBox = 1;
  EXPECT_STREQ(contextHelpTopic(), "help_started");
  colorEditing = 1;
  EXPECT_STREQ(contextHelpTopic(), "help_color");
  colorEditing = openingBox = saving = magicWandSettings = 0;
  struct {
    int st;
    const char *topic;
  } rows[] = {{polyPosition, "help_polygons"}, {polyAddpoints, "help_polygons"}, {polyUrl, "help_editing"},
              {circleDrag, "help_circles"},    {magicwandUrl, "help_magicwand"}, {editing, "help_editing"},
              {nostate, "help_contents"},      {rectPosition, "help_rectangles"}};
  for (const auto &r : rows) {
    state = r.st;
    EXPECT_STREQ(contextHelpTopic(), r.topic) << r.st;
  }
  state = nostate;
}

TEST(CommandLine, HelpAndAMissingDisplayAnswerWithoutAWindow) {
  // The editor itself, with a clean environment but for what is given.
  auto run = [](const std::string &env, const std::string &args, std::string *out, std::string *err) {
    char dir[] = "/tmp/tilvane-startup-XXXXXX";
    if (!mkdtemp(dir)) return -1;
    const std::string o = std::string(dir) + "/out", e = std::string(dir) + "/err";
    const std::string cmd = "env -i HOME=" + std::string(dir) + " " + env + " " + TILVANE_EDITOR + " " + args +
                            " >" + o + " 2>" + e + " </dev/null";
    const int status = std::system(cmd.c_str());
    auto slurp = [](const std::string &path) {
      std::string text;
      if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
      }
      return text;
    };
    *out = slurp(o);
    *err = slurp(e);
    std::remove(o.c_str());
    std::remove(e.c_str());
    rmdir(dir);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  std::string helpOut, shortOut, err;
  ASSERT_EQ(run("", "--help", &helpOut, &err), 0);
  EXPECT_EQ(run("", "-h", &shortOut, &err), 0);
  EXPECT_EQ(shortOut, helpOut);
  EXPECT_NE(helpOut.find("Usage: tilvane"), std::string::npos);
  // No display named, and a display named that nothing answers on.
  for (const char *env : {"", "DISPLAY=:97"}) {
    std::string out;
    EXPECT_EQ(run(env, "page.html", &out, &err), 1) << env;
    EXPECT_EQ(err, "tilvane: no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY works)\n") << env;
  }
}
