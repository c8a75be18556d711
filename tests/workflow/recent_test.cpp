// Tests of the recent documents (order, the tenth document, labels, commands),
// the first-time hints, and the profile file they live in.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/datadir.h"
#include "app/prefs.h"
#include "workflow/recent.h"
#include "workflow/profile.h"
#include "platform/settings.h"
#include "platform/seams.h"
#include "html/document.h"
#include "platform/platform_scripted.h"
#include "tests/app/shell_test_util.h"

namespace {

std::vector<std::string> menuLabels;
std::vector<int> menuIds;
std::vector<std::string> calls;
int closeAnswer = 1;
int openAnswer = 1;

void menuHook(int count, const int *ids, const char *const *labels) {
  menuLabels.clear();
  menuIds.clear();
  for (int i = 0; i < count; i++) {
    menuIds.push_back(ids[i]);
    menuLabels.push_back(labels[i]);
  }
}

class Recent : public ::testing::Test {
 protected:
  tempHome home;
  void SetUp() override {
    scriptedInstall();
    seamsClear();
    settingsDefaults();
    menuLabels.clear();
    menuIds.clear();
    calls.clear();
    closeAnswer = 1;
    openAnswer = 1;
    recentFileMenuHook = menuHook;
    recentFileDocument = recentFileCalls();
    recentFileDocument.close = [](int force) {
      calls.push_back("close " + std::to_string(force));
      return closeAnswer;
    };
    recentFileDocument.newDocument = [](const char *image, const char *page, const char *local) {
      calls.push_back(std::string("new ") + (image ? image : "-") + " " + (page ? page : "-") +
                      " " + (local ? local : "-"));
      return 1;
    };
    recentFileDocument.openHtmlDocument = [](const char *page, const char *image) {
      calls.push_back(std::string("openhtml ") + page + " " + (image ? image : "-"));
      static char chosen[] = "/p/chosen.gif";
      imagefilename = chosen;
      return openAnswer;
    };
    recentFileDocument.open = [](const char *image, const char *page, const char *local) {
      calls.push_back(std::string("open ") + (image ? image : "-") + " " + page + " " +
                      (local ? local : "-"));
      return 1;
    };
  }
  void TearDown() override {
    imagefilename = nullptr;
    recentFileMenuHook = nullptr;
    recentFileDocument = recentFileCalls();
  }
  std::string entry(int i) {
    char v[1024];
    recentFileGet(i, v, sizeof v);
    return v;
  }
};

TEST_F(Recent, NewestFirstWithoutDuplicatesAndTheTenthDropsTheOldest) {
  for (int i = 1; i <= 9; i++) recentFileAdd(("/docs/page" + std::to_string(i) + ".html").c_str());
  EXPECT_EQ(entry(0), "/docs/page9.html");
  EXPECT_EQ(entry(8), "/docs/page1.html");

  // Opening one again moves it to the top; nothing is lost or doubled.
  recentFileAdd("/docs/page4.html");
  EXPECT_EQ(entry(0), "/docs/page4.html");
  EXPECT_EQ(entry(1), "/docs/page9.html");
  EXPECT_EQ(entry(5), "/docs/page5.html");
  EXPECT_EQ(entry(6), "/docs/page3.html");
  EXPECT_EQ(entry(8), "/docs/page1.html");

  // The comparison is exact: another case is another document.
  recentFileAdd("/DOCS/PAGE4.HTML");
  EXPECT_EQ(entry(0), "/DOCS/PAGE4.HTML");
  EXPECT_EQ(entry(1), "/docs/page4.html");
  EXPECT_EQ(entry(8), "/docs/page2.html");  // page1 was pushed out

  // A tenth distinct document drops the oldest.
  recentFileAdd("/docs/page10.html");
  EXPECT_EQ(entry(0), "/docs/page10.html");
  EXPECT_EQ(entry(8), "/docs/page3.html");

  std::string text = readFile(home.profile());
  EXPECT_NE(text.find("[recentfiles]\n"), std::string::npos);
  EXPECT_NE(text.find("file-0=/docs/page10.html\n"), std::string::npos);
  EXPECT_EQ(text.find("file-9"), std::string::npos);
  // The lock taken for each rewrite leaves no file behind.
  EXPECT_FALSE(exists(home.profile() + ".lock"));
}

TEST_F(Recent, MenuLabels) {
  recentFileAdd("/a.html");
  ASSERT_EQ(menuLabels.size(), 1u);
  EXPECT_EQ(menuLabels[0], "&1 /a.html");
  EXPECT_EQ(menuIds[0], 2600);

  std::string forty = "/home/someone/documents/web/page-00.html";
  ASSERT_EQ(forty.size(), 40u);
  char label[256];
  recentFileLabel(0, forty.c_str(), label, sizeof label);
  EXPECT_EQ(std::string(label), "&1 ... " + forty.substr(9));
  std::string thirtyFive(35, 'p');
  recentFileLabel(8, thirtyFive.c_str(), label, sizeof label);
  EXPECT_EQ(std::string(label), "&9 " + thirtyFive);
  recentFileLabel(9, "x", label, sizeof label);
  EXPECT_EQ(std::string(label), "&0 x");
  // A "&" in a path is shown, not taken as a shortcut mark.
  recentFileLabel(1, "/R&D/a.html", label, sizeof label);
  EXPECT_EQ(std::string(label), "&2 /R&&D/a.html");
  // Characters, not bytes: a multi-byte character is never cut in two.
  std::string wide;
  for (int i = 0; i < 40; i++) wide += "\xc3\xa9";  // 40 characters, 80 bytes
  recentFileLabel(0, wide.c_str(), label, sizeof label);
  EXPECT_EQ(std::string(label), "&1 ... " + wide.substr(18));
  std::string shortWide;
  for (int i = 0; i < 30; i++) shortWide += "\xc3\xa9";  // 30 characters, 60 bytes
  recentFileLabel(0, shortWide.c_str(), label, sizeof label);
  EXPECT_EQ(std::string(label), "&1 " + shortWide);

  // Empty entries are skipped; ids follow the entry.
  const char *keys[] = {"file-0", "file-1", "file-2"};
  const char *values[] = {"/x.html", "", "/z.html"};
  profileWriteStrings("recentfiles", keys, values, 3, theManifest.iniFileName);
  recentFileMenuUpdate();
  ASSERT_EQ(menuIds.size(), 2u);
  EXPECT_EQ(menuIds[0], 2600);
  EXPECT_EQ(menuIds[1], 2602);
  EXPECT_EQ(menuLabels[1], "&3 /z.html");
}

TEST_F(Recent, CommandsOpenPagesAndPictures) {
  recentFileAdd("/p/picture.PNG");
  recentFileAdd("/p/page.html");
  EXPECT_EQ(recentFileWmCommand(2599), 0);
  EXPECT_EQ(recentFileWmCommand(2609), 0);
  EXPECT_TRUE(calls.empty());

  // A page: close first, then open it as a client-side map with its picture.
  maptype = mapCERN;
  EXPECT_EQ(recentFileWmCommand(2600), 1);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], "close 0");
  EXPECT_EQ(calls[1], "openhtml /p/page.html -");
  EXPECT_EQ(calls[2], "open /p/chosen.gif /p/page.html -");
  EXPECT_EQ(maptype, mapClient);

  // A picture (the suffix test ignores case) starts a new page.
  calls.clear();
  EXPECT_EQ(recentFileWmCommand(2601), 1);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1], "new /p/picture.PNG - -");

  // Refusing to close stops the command.
  calls.clear();
  closeAnswer = 0;
  EXPECT_EQ(recentFileWmCommand(2600), 1);
  EXPECT_EQ(calls.size(), 1u);

  // A page that no longer parses: the message, and the entry stays.
  calls.clear();
  closeAnswer = 1;
  openAnswer = 0;
  EXPECT_EQ(recentFileWmCommand(2600), 1);
  auto m = scriptedLastMessage();
  EXPECT_EQ(m.title, "Cannot Open HTML Document");
  EXPECT_EQ(m.text, "That file is not a valid HTML document.");
  EXPECT_EQ(calls.back(), "openhtml /p/page.html -");
  EXPECT_EQ(entry(0), "/p/page.html");

  // An empty slot does nothing after closing.
  calls.clear();
  EXPECT_EQ(recentFileWmCommand(2608), 1);
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(Recent, DroppedFilesOpenOnlyWhenTheyAreAPageOrAPicture) {
  const std::string dir = home.root;
  for (const char *name : {"a.html", "b.PNG", "c.txt", "d.xhtml"}) {
    FILE *f = std::fopen((dir + "/" + name).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  const struct {
    std::string path;
    int kind;
  } cases[] = {{dir + "/a.html", droppedPage},   {dir + "/b.PNG", droppedPicture}, {dir + "/d.xhtml", droppedPage},
               {dir + "/c.txt", droppedRefused}, {dir, droppedRefused},            {dir + "/none.html", droppedRefused},
               {"a.html", droppedRefused}};
  for (const auto &c : cases) EXPECT_EQ(droppedFileKind(c.path.c_str()), c.kind) << c.path;
  EXPECT_EQ(documentOpenDropped((dir + "/c.txt").c_str()), 0);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(documentOpenDropped((dir + "/a.html").c_str()), 1);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], "close 0");
}

TEST_F(Recent, ProfileKeepsOtherSectionsAndReadsForgivingly) {
  makeFolders(home.config.c_str());
  writeFile(home.profile(),
            "; a comment\r\n[Options]\r\ndataDir = /data/Tilvane \r\n[RecentFiles]\r\n"
            "FILE-0=/old.html\r\nstray line\r\n[other]\r\nfile-0=/not-this.html\r\n");
  EXPECT_EQ(entry(0), "/old.html");
  char v[64];
  profileGetString("options", "DATADIR", "def", v, sizeof v, theManifest.iniFileName);
  EXPECT_STREQ(v, "/data/Tilvane");
  profileGetString("options", "missing", "def", v, sizeof v, theManifest.iniFileName);
  EXPECT_STREQ(v, "def");
  recentFileAdd("/new.html");
  EXPECT_EQ(entry(0), "/new.html");
  EXPECT_EQ(entry(1), "/old.html");
  std::string t = readFile(home.profile());
  EXPECT_NE(t.find("; a comment\n"), std::string::npos);
  EXPECT_NE(t.find("[other]\nfile-0=/not-this.html\n"), std::string::npos);
  EXPECT_NE(t.find("stray line\n"), std::string::npos);
  profileGetString("Options", "dataDir", "", v, sizeof v, theManifest.iniFileName);
  EXPECT_STREQ(v, "/data/Tilvane");
  // Removing a key.
  profileWriteString("Options", "dataDir", nullptr, theManifest.iniFileName);
  profileGetString("Options", "dataDir", "gone", v, sizeof v, theManifest.iniFileName);
  EXPECT_STREQ(v, "gone");
  // A long value is cut to the buffer, never overrun.
  std::string longPath(2000, 'a');
  profileWriteString("Options", "dataDir", longPath.c_str(), theManifest.iniFileName);
  profileGetString("Options", "dataDir", "", v, sizeof v, theManifest.iniFileName);
  EXPECT_EQ(strlen(v), sizeof v - 1);
}

TEST_F(Recent, OverlongPathsAreNotAdded) {
  std::string p(1100, 'q');
  recentFileAdd(p.c_str());
  recentFileAdd("");
  recentFileAdd(nullptr);
  EXPECT_EQ(entry(0), "");
  EXPECT_FALSE(exists(home.profile()));
}

class Hints : public Recent {};

TEST_F(Hints, EachShownOnceAndNoHintsStopsAllEvenAfterRestart) {
  EXPECT_EQ(firstHintWanted(1), 1);
  EXPECT_EQ(hint, 1);
  firstHintOpened();
  EXPECT_EQ(firstSeen[1], 1);
  EXPECT_EQ(firstHintWanted(1), 0);
  EXPECT_EQ(firstHintWanted(2), 1);

  // Slot 9 has no text and is never shown; indexes outside the table neither.
  EXPECT_EQ(firstHintWanted(9), 0);
  EXPECT_EQ(firstHintWanted(-1), 0);
  EXPECT_EQ(firstHintWanted(13), 0);

  firstHintNoMore();
  for (int i = 0; i < 13; i++) EXPECT_EQ(firstHintWanted(i), 0) << i;

  ASSERT_EQ(saveConfig(), 1);
  std::string t = readFile(home.iniFile());
  EXPECT_NE(t.find("firstnever=1\nfirst1=1\ndefeatblueborder"), std::string::npos);
  settingsDefaults();
  EXPECT_EQ(firstHintWanted(4), 1);
  readConfig();
  EXPECT_EQ(firstHintWanted(4), 0);
  EXPECT_EQ(firstSeen[1], 1);
}

TEST_F(Hints, Texts) {
  for (int i = 0; i < 13; i++) {
    ASSERT_NE(firstText[i], nullptr);
    EXPECT_EQ(firstText[i][0] == 0, i == 9) << i;
  }
  EXPECT_NE(strstr(firstText[5], "For instance, http://www.example.com/ is a valid URL."),
            nullptr);
  EXPECT_NE(strstr(firstText[0], "It's that easy!\r\n\r\n(You can also import"), nullptr);
  EXPECT_NE(strstr(firstText[11], "prefer.If you make a mistake"), nullptr);
}

TEST_F(Hints, FirstSaveAndLoad) {
  char name[] = "/tmp/tilvane-firstsave-XXXXXX";
  int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  FILE *f = fdopen(fd, "w+");
  firstSeen[0] = 1;
  firstSeen[12] = 1;
  FirstSave(f);
  fclose(f);
  EXPECT_EQ(readFile(name), "first0=1\nfirst12=1\n");
  unlink(name);
  settingsDefaults();
  FirstLoad("first7=1");
  FirstLoad("first99=1");
  FirstLoad("firstnever=0");
  FirstLoad("sketch=1,2,3");
  EXPECT_EQ(firstSeen[7], 1);
  EXPECT_EQ(firstNever, 0);
  FirstLoad("firstnever=1");
  EXPECT_EQ(firstNever, 1);
}

}  // namespace
