// The road of a document at logic level: recognising pages, finding pictures,
// naming maps, opening a page under its lock and choosing its image, the
// messages of every way that can fail, new pages, Save As, Close and Show.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "app/prefs.h"
#include "workflow/recent.h"
#include "platform/settings.h"
#include "editor/clipboard.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "editor/clientmap.h"
#include "workflow/docflow.h"
#include "html/document.h"
#include "html/pageio.h"
#include "editor/servermap.h"
#include "platform/strhack.h"
#include "platform/platform_scripted.h"
#include "tests/workflow/doc_fixture.h"

namespace {

class DocflowTest : public ::testing::Test {
 protected:
  void SetUp() override { s.setUp(); }
  void TearDown() override { s.tearDown(); }

  std::string takeString(char *p) {
    std::string r = p ? p : "(null)";
    myfreeImpl(p);
    return r;
  }
  // The titles of the message boxes shown so far.
  std::vector<std::string> messageTitles() {
    std::vector<std::string> t;
    for (const auto &m : scriptedMessages()) t.push_back(m.title);
    return t;
  }
  bool documentOpen() { return hdoc != nullptr; }
  // A page with the given body, its picture p.png beside it.
  std::string page(const std::string &rel, const std::string &body, bool withPicture = true) {
    std::string folder = rel.substr(0, rel.rfind('/') + 1);
    if (withPicture) s.picture(folder + "p.png", 40, 30);
    return s.write(rel, "<html>\n<body>\n" + body + "\n</body>\n</html>\n");
  }
  // Opens a page through the Open command's file dialog.
  int openThroughDialog(const std::string &path) {
    scripted.files.push_back(path);
    return OpenLaunch();
  }

  docScratch s;
};

// --- recognising pages --------------------------------------------------------------

TEST_F(DocflowTest, IsHtmlBySignatureAndMarkup) {
  std::string big(1100, 'x');
  struct {
    const char *name;
    std::string bytes;
    int expected;
  } cases[] = {
      {"page", "<html><body>hello</body></html>", 1},
      {"comment only", "<!-- just a comment", 1},
      {"open bracket only", "a < b and nothing else", 0},
      {"no markup", "plain words, no tags at all", 0},
      {"short", "<b>x</b>", 0},
      {"gif", std::string("GIF89a<html>") + "<body></body>", 0},
      {"jfif", std::string("\xff\xd8\xff\xe0\x00\x10JFIF<p>x</p>", 18), 0},
      {"png", std::string("\x89PNG\r\n\x1a\n<a>b</a>", 16), 0},
      {"zero before close", std::string("<html\0>>>>>>>>", 14), 0},
      {"close after 1023 bytes", "<" + big.substr(0, 1023) + ">", 0},
      {"close at byte 1022", "<" + big.substr(0, 1021) + ">", 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = s.write(std::string("sig/") + c.name, c.bytes);
    EXPECT_EQ(isHtml(path.c_str()), c.expected);
  }
  EXPECT_EQ(isHtml((s.root + "/missing.html").c_str()), 0);
  EXPECT_EQ(isHtml(nullptr), 0);
}

// --- finding the picture -----------------------------------------------------------

TEST_F(DocflowTest, ResolveUrlSearchesInOrder) {
  const std::string folder = s.root + "/site/";
  const std::string base = folder + "page.html";
  // Every candidate exists at first; each step removes the one found.
  s.write("cwd/images/photo.gif", "1");
  s.write("cwd/photo.gif", "2");
  s.write("site/images/photo.gif", "3");
  s.write("site/photo.gif", "4");
  const char *expected[] = {"images/photo.gif", "photo.gif", nullptr, nullptr};
  std::string full[] = {"", "", folder + "images/photo.gif", folder + "photo.gif"};
  std::string remove[] = {s.cwd + "/images/photo.gif", s.cwd + "/photo.gif", folder + "images/photo.gif",
                          folder + "photo.gif"};
  for (int i = 0; i < 4; i++) {
    SCOPED_TRACE(i);
    std::string want = expected[i] ? expected[i] : full[i];
    EXPECT_EQ(takeString(ResolveURL("images/photo.gif", base.c_str())), want);
    unlink(remove[i].c_str());
  }
  // Found nowhere: the last component.
  EXPECT_EQ(takeString(ResolveURL("images/photo.gif", base.c_str())), "photo.gif");
  EXPECT_EQ(takeString(ResolveURL("photo.gif", base.c_str())), "photo.gif");
  // A base without any separator gives the last component straight away.
  s.write("cwd/pics/only.gif", "x");
  EXPECT_EQ(takeString(ResolveURL("pics/only.gif", "page.html")), "pics/only.gif");
  EXPECT_EQ(takeString(ResolveURL("elsewhere/only.gif", "page.html")), "only.gif");
  // Backslashes split as slashes do.
  s.write("site/deep.gif", "x");
  EXPECT_EQ(takeString(ResolveURL("a\\b\\deep.gif", base.c_str())), folder + "deep.gif");
}

TEST_F(DocflowTest, ResolveUrlTakesFileUrlsAndKeepsEscapes) {
  std::string pic = s.write("abs/pic one.gif", "x");
  EXPECT_EQ(takeString(ResolveURL(("file://" + pic).c_str(), nullptr)), pic);
  // No %-decoding: the escaped name is not the file.
  std::string escaped = "file://" + s.root + "/abs/pic%20one.gif";
  EXPECT_EQ(takeString(ResolveURL(escaped.c_str(), nullptr)), "pic%20one.gif");
  // A drive letter with '|' becomes a drive path (absent here: the last part).
  EXPECT_EQ(takeString(ResolveURL("file:///C|/pics/x.gif", "/w/p.html")), "x.gif");
  // Odd values never crash.
  EXPECT_EQ(takeString(ResolveURL("", "/w/p.html")), "");
  EXPECT_EQ(takeString(ResolveURL("file:///", nullptr)), "");
  EXPECT_EQ(takeString(ResolveURL(nullptr, nullptr)), "");
}

TEST_F(DocflowTest, MapNamesFromFileNames) {
  struct {
    const char *path;
    const char *name;
  } cases[] = {
      {"D:\\pics\\photo.gif", "photo"}, {"images/photo.gif", "photo"}, {"photo", "photo"},
      {"x.tar.gz", "x.tar"},           {"a.b/c", "a"},                 {"/w/dir.v2/pic", "dir"},
      {".gif", "map"},                 {"pics/", "map"},               {"", "map"},
  };
  for (const auto &c : cases) EXPECT_EQ(takeString(inventMapLocalName(c.path)), c.name) << c.path;
  EXPECT_EQ(takeString(inventMapLocalName(nullptr)), "map");
}

TEST_F(DocflowTest, DisplaySizeAttributes) {
  ASSERT_EQ(htmlCreate(&hdoc), htmlSuccess);
  ASSERT_EQ(htmlAppendString(hdoc,
                             "<img width=\"120\" height=\"50%\"><img width=\"0\" height=\" 77px\">"
                             "<img width=\"-5\" height=\"abc\"><img>"),
            htmlSuccess);
  htmlFlushText(hdoc);
  htmlTagPtr a = hdoc->first, b = a->n, c = b->n, d = c->n;
  int w = -1, h = -1;
  getSrcDimension(a, &w, "width");
  getSrcDimension(a, &h, "height");
  EXPECT_EQ(w, 120);
  EXPECT_EQ(h, -1);
  ASSERT_EQ(scriptedMessages().size(), 1u);
  EXPECT_EQ(scriptedLastMessage().title, "Percentages Work Badly With Imagemaps!");
  EXPECT_EQ(scriptedLastMessage().text,
            "This image is displayed at a percentage of the browser's height, because of a height "
            "attribute to the <IMG> element which uses a % sign. THIS WILL CAUSE PROBLEMS FOR "
            "IMAGEMAPS, because users have different browser sizes. It is STRONGLY RECOMMENDED that "
            "you edit the document to display the image at a specific size in pixels or leave out "
            "WIDTH and HEIGHT altogether.");
  w = h = 9;
  getSrcDimension(b, &w, "width");
  getSrcDimension(b, &h, "height");
  EXPECT_EQ(w, -1);
  EXPECT_EQ(h, 77);
  getSrcDimension(c, &w, "width");
  getSrcDimension(c, &h, "height");
  EXPECT_EQ(w, -1);
  EXPECT_EQ(h, -1);
  w = 33;
  getSrcDimension(d, &w, "width");
  EXPECT_EQ(w, 33);
  EXPECT_EQ(scriptedMessages().size(), 1u);
}

// --- opening a page ---------------------------------------------------------------------

TEST_F(DocflowTest, OpenPageWithItsOnlyImageAndMap) {
  strictXHTML = 0;  // border="0" is then already what the options ask for
  std::string path = page("site/page.html",
                          "<img src=\"p.png\" usemap=\"#m\" border=\"0\">\n<map name=\"m\">\n"
                          "<area shape=\"rect\" coords=\"1,2,30,20\" href=\"a.html\" alt=\"A\">\n</map>");
  ASSERT_EQ(openThroughDialog(path), 1);
  EXPECT_TRUE(imageListShown.empty());  // one image: no list
  EXPECT_TRUE(scriptedMessages().empty());
  EXPECT_STREQ(mapfilename, path.c_str());
  EXPECT_STREQ(maplocalname, "m");
  EXPECT_EQ(std::string(imagefilename), s.root + "/site/p.png");
  EXPECT_EQ(maptype, mapClient);
  ASSERT_EQ(objectsTotal, 1);
  EXPECT_STREQ(objects[0].url, "a.html");
  EXPECT_EQ(changed, 0);
  ASSERT_FALSE(titles.empty());
  EXPECT_EQ(titles.back(), "Tilvane 4.05: page.html");
  EXPECT_NE(state, nostate);
  EXPECT_EQ(openingBox, 0);
  // The open dialog offered pages.
  ASSERT_FALSE(scripted.shown.empty());
  EXPECT_EQ(scripted.shown[0].kind, "open");
  EXPECT_EQ(scripted.shown[0].text,
            "HTML, PHP, Cold Fusion and ASP Pages (*.HTM;*.HTML;*.SHTM;*.SHTML;*.ASP;*.ASPX;*.PHP;*.CFM)="
            "*.htm;*.html;*.shtm;*.shtml;*.asp;*.php;*.cfm;*.aspx");
  // The page is in the recent documents and locked against other processes.
  char recent[1024];
  recentFileGet(0, recent, sizeof recent);
  EXPECT_EQ(std::string(recent), path);
  EXPECT_FALSE(lockableElsewhere(path));
  ASSERT_EQ(Close(0), 1);
  EXPECT_TRUE(lockableElsewhere(path));
  EXPECT_EQ(hdoc, nullptr);
  EXPECT_EQ(htmlFilePtr, nullptr);
  EXPECT_EQ(mapfilename, nullptr);
  EXPECT_EQ(state, nostate);
  EXPECT_EQ(titles.back(), "Tilvane 4.05");
}

TEST_F(DocflowTest, OpeningAPageWhoseSaveDidNotFinishOffersItsBackup) {
  // A save in place (the page has a second name) stopped half way.
  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#m\">");
  const std::string old = s.read(path);
  ASSERT_EQ(link(path.c_str(), (s.root + "/site/other.html").c_str()), 0);
  const std::string fresh = "<html><body><p>" + std::string(4000, 'x');
  pageFaultKill = 1;
  pageFaultStep = pageFaultWrite;
  char reason[256];
  EXPECT_FALSE(pageSaveFile(path.c_str(), fresh.data(), fresh.size(), 0, nullptr, reason, sizeof reason));
  pageFaultKill = 0;
  pageFaultStep = pageFaultNone;
  ASSERT_NE(s.read(path), old);
  scripted.answers.push_back(IDYES);
  ASSERT_EQ(openThroughDialog(path), 1);
  ASSERT_FALSE(scriptedMessages().empty());
  EXPECT_EQ(scriptedMessages()[0].title, "Recover Page?");
  EXPECT_EQ(s.read(path), old);
  EXPECT_STREQ(maplocalname, "m");
  char backup[1024];
  EXPECT_EQ(pageBackupFind(path.c_str(), backup, sizeof backup), 0);
}

TEST_F(DocflowTest, ProgramsStartedInheritNoFileOfTheDocument) {
  // The page and its lock, held by the editor from opening and after a save,
  // stay with the editor: a program it starts (here one that lists where its
  // descriptors lead) gets none of them.
  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#m\">");
  ASSERT_EQ(openThroughDialog(path), 1);
  char listing[] = "/tmp/tilvane-fds-XXXXXX";
  int out = mkstemp(listing);
  ASSERT_GE(out, 0);
  close(out);
  for (int save = 0; save < 2; save++) {
    if (save) {
      changed = 1;
      ASSERT_EQ(Save(), 1);
    }
    ASSERT_EQ(std::system(("ls -l /proc/self/fd/ > " + std::string(listing)).c_str()), 0);
    const std::string fds = s.read(listing);
    EXPECT_NE(fds.find(listing), std::string::npos) << fds;  // the listing itself is seen
    EXPECT_EQ(fds.find(s.root), std::string::npos) << fds;
  }
  unlink(listing);
}

TEST_F(DocflowTest, ImageListSkipsImagesWithoutSrcAndBindsTheChosenOne) {
  std::string path = page("site/page.html",
                          "<img alt=\"no source\">\n<img src=\"\">\n<img src=\"other.gif\">\n"
                          "<img src=\"p.png\" usemap=\"#second\">");
  imageListAnswers = {-2, 1};  // OK with nothing selected, then the second entry
  ASSERT_EQ(openThroughDialog(path), 1);
  ASSERT_EQ(imageListShown.size(), 1u);
  EXPECT_EQ(imageListShown[0], (std::vector<std::string>{"other.gif", "p.png"}));
  auto titles = messageTitles();
  ASSERT_EQ(titles.size(), 2u);
  EXPECT_EQ(titles[0], "Warning: Bad IMG Element Found");
  EXPECT_EQ(titles[1], "No Image Selected");
  EXPECT_EQ(scriptedMessages()[1].text,
            "Please select an image to map, or select CANCEL\r\nto cancel the operation.");
  EXPECT_STREQ(maplocalname, "second");
}

TEST_F(DocflowTest, ImageListCancelLeavesNoDocument) {
  std::string path = page("site/page.html", "<img src=\"p.png\"><img src=\"q.png\">");
  imageListAnswers = {-1};
  EXPECT_EQ(openThroughDialog(path), 0);
  EXPECT_FALSE(documentOpen());
  EXPECT_EQ(htmlFilePtr, nullptr);
  EXPECT_TRUE(lockableElsewhere(path));
  EXPECT_TRUE(scriptedMessages().empty());
}

TEST_F(DocflowTest, PagesThatCannotBeMappedSayWhyAndCloseAgain) {
  struct {
    const char *name;
    std::string body;
    const char *title;
    const char *text;
  } cases[] = {
      {"no images", "<p>text only</p>", "Document Contains No Images",
       "The HTML document you have opened does not contain\r\nany inline images. To create client-side "
       "imagemaps,\r\nplease create and open a page which contains inline images.\r\n"},
      {"separate map", "<img src=\"p.png\" usemap=\"other.html#m\">", "Separate map files not supported",
       "Sorry, Tilvane requires that the inline image\r\nand its map reside in the same HTML document.\r\n"
       "This HTML document specifies a map stored in\r\na separate file. Paste the map element into "
       "this\r\nHTML document and change the usemap attribute\r\nof the inline image accordingly if you "
       "wish to\r\nedit the map with Tilvane."},
      {"bad usemap", "<img src=\"p.png\" usemap=\"m\">", "Bad usemap attribute",
       "That <img src> element has a bad usemap attribute.\r\nPerhaps the # sign is missing before the "
       "map name.\r\nTilvane will not attempt to access the map."},
      {"unclosed map", "<img src=\"p.png\" usemap=\"#m\"><map name=\"m\"><area coords=\"1,2,3,4\">",
       "Tilvane", "No closing </map> element in HTML document!"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    docReset();
    std::string path = page(std::string("pages/") + c.name + "/page.html", c.body);
    EXPECT_EQ(openThroughDialog(path), 0);
    scriptedShown m = scriptedLastMessage();
    EXPECT_EQ(m.title, c.title);
    EXPECT_EQ(m.text, c.text);
    EXPECT_FALSE(documentOpen());
    EXPECT_EQ(htmlFilePtr, nullptr);
    EXPECT_EQ(mapfilename, nullptr);
    EXPECT_EQ(state, nostate);
    EXPECT_TRUE(lockableElsewhere(path));
    // The page on disk is untouched.
    EXPECT_EQ(s.read(path), "<html>\n<body>\n" + c.body + "\n</body>\n</html>\n");
  }
}

TEST_F(DocflowTest, ImageWithoutUsemapGetsAnInventedMapSavedWithThePage) {
  strictXHTML = 0;
  std::string path = page("site/page.html", "<img src=\"p.png\" alt=\"pic\">");
  ASSERT_EQ(openThroughDialog(path), 1);
  EXPECT_STREQ(maplocalname, "p");
  EXPECT_EQ(changed, 1);  // the border attribute was added
  ASSERT_EQ(Save(), 1);
  std::string saved = s.read(path);
  EXPECT_NE(saved.find("<img src=\"p.png\" alt=\"pic\" usemap=\"#p\" border=\"0\">"), std::string::npos) << saved;
  EXPECT_NE(saved.find("<map id=\"p\" name=\"p\">"), std::string::npos);
  EXPECT_EQ(changed, 0);
}

TEST_F(DocflowTest, BorderSuppressionFollowsTheOptions) {
  struct {
    int defeat, strict;
    const char *img;
    const char *expected;
    int changes;
  } cases[] = {
      {1, 1, "<img src=\"p.png\" usemap=\"#m\">", "<img src=\"p.png\" usemap=\"#m\" style=\"border-style:none\">", 1},
      {1, 1, "<img src=\"p.png\" usemap=\"#m\" style=\"x:y\">", "<img src=\"p.png\" usemap=\"#m\" style=\"x:y\">", 0},
      {1, 0, "<img src=\"p.png\" usemap=\"#m\" style=\"color: red\">", "<img src=\"p.png\" usemap=\"#m\" style=\"color: red\" border=\"0\">", 1},
      // An image whose own markup hides its border, or gives it one, is left alone.
      {1, 1, "<img src=\"p.png\" usemap=\"#m\" border=\"0\">", "<img src=\"p.png\" usemap=\"#m\" border=\"0\">", 0},
      {1, 1, "<img src=\"p.png\" usemap=\"#m\" border=\"3\">", "<img src=\"p.png\" usemap=\"#m\" border=\"3\">", 0},
      {1, 0, "<img src=\"p.png\" usemap=\"#m\" border=\"3\">", "<img src=\"p.png\" usemap=\"#m\" border=\"3\">", 0},
      {1, 0, "<img src=\"p.png\" usemap=\"#m\" border=\"0\">", "<img src=\"p.png\" usemap=\"#m\" border=\"0\">", 0},
      {1, 0, "<img src=\"p.png\" usemap=\"#m\" style=\"a:b; Border-Style: none\">", "<img src=\"p.png\" usemap=\"#m\" style=\"a:b; Border-Style: none\">", 0},
      {1, 0, "<img src=\"p.png\" usemap=\"#m\" style=\"border:0\">", "<img src=\"p.png\" usemap=\"#m\" style=\"border:0\">", 0},
      {0, 1, "<img src=\"p.png\" usemap=\"#m\" border=\"2\">", "<img src=\"p.png\" usemap=\"#m\" border=\"2\">", 0},
  };
  int n = 0;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.img);
    docReset();
    defeatBlueBorder = c.defeat;
    strictXHTML = c.strict;
    std::string path = page("border/" + std::to_string(n++) + "/page.html", c.img);
    ASSERT_EQ(openThroughDialog(path), 1);
    EXPECT_EQ(changed, c.changes);
    ASSERT_EQ(Save(), 1);
    EXPECT_NE(s.read(path).find(c.expected), std::string::npos) << s.read(path);
  }
}

TEST_F(DocflowTest, PercentageSizeWarnsAndTheImageSizeIsUsed) {
  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#m\" width=\"50%\" height=\"0\">");
  ASSERT_EQ(openThroughDialog(path), 1);
  EXPECT_EQ(messageTitles(), std::vector<std::string>{"Percentages Work Badly With Imagemaps!"});
  // Neither size was usable, so the picture's own size is shown.
  EXPECT_EQ(displayWidth, 40);
  EXPECT_EQ(displayHeight, 30);
}

TEST_F(DocflowTest, MissingPictureIsLocatedOrTheOpeningEnds) {
  std::string path = page("site/page.html", "<img src=\"gone/missing.png\" usemap=\"#m\">", false);
  std::string elsewhere = s.picture("elsewhere/found.png", 12, 10);

  // Cancelling the Locate dialog.
  EXPECT_EQ(openThroughDialog(path), 0);
  auto msgs = scriptedMessages();
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0].title, "Please Locate the Image File");
  EXPECT_EQ(msgs[0].text,
            "Tilvane could not locate that image on disk. Please use the following dialog box to select "
            "the image you want to work with.");
  EXPECT_EQ(msgs[1].title, "No Image Specified");
  EXPECT_EQ(msgs[1].text,
            "You will need both the HTML document and the image on your hard drive in order to create an "
            "imagemap with Tilvane.");
  EXPECT_FALSE(documentOpen());
  EXPECT_TRUE(lockableElsewhere(path));

  // Choosing the picture by hand.
  docReset();
  scripted.files.push_back(path);
  scripted.files.push_back(elsewhere);
  ASSERT_EQ(OpenLaunch(), 1);
  EXPECT_EQ(std::string(imagefilename), elsewhere);
  const scriptedShown &locate = scripted.shown[2];
  EXPECT_EQ(locate.kind, "open");
  EXPECT_EQ(locate.text,
            "GIF, JPEG, PNG, BMP, WebP, AVIF and SVG Files "
            "(*.GIF;*.JPG;*.JPEG;*.PNG;*.BMP;*.WEBP;*.AVIF;*.SVG;*.SVGZ)="
            "*.gif;*.jpg;*.jpe;*.jpeg;*.png;*.bmp;*.webp;*.avif;*.svg;*.svgz");
  EXPECT_EQ(locate.flags & PLATFORM_FILE_MUST_EXIST, (unsigned)PLATFORM_FILE_MUST_EXIST);
  // The page's src stays as written.
  ASSERT_EQ(Save(), 1);
  EXPECT_NE(s.read(path).find("src=\"gone/missing.png\""), std::string::npos);
}

TEST_F(DocflowTest, APageLockedByAnotherProcessIsInUse) {
  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#m\">");
  lockHolder other = holdLock(path);
  EXPECT_EQ(openThroughDialog(path), 0);
  scriptedShown m = scriptedLastMessage();
  EXPECT_EQ(m.title, "File Already In Use");
  EXPECT_EQ(m.text,
            "Tilvane cannot open the requested HTML document. You may already have this document open in "
            "another Tilvane window, or in another program.\r\n\r\n You cannot open two imagemaps in the "
            "same HTML file at the same time. However, you can copy and paste between them by copying, "
            "closing the document, and re-opening the document to select a different imagemap to paste "
            "into.");
  EXPECT_EQ(m.flags & MB_ICONMASK, (unsigned)MB_ICONWARNING);
  EXPECT_FALSE(documentOpen());

  // Reading it directly (as the command line does) reports the failure too.
  scripted.shown.clear();
  EXPECT_EQ(OpenHtmlDocument(path.c_str(), "p.png"), 0);
  m = scriptedLastMessage();
  EXPECT_EQ(m.title, "Can't Open File");
  EXPECT_EQ(m.text.find("Tilvane cannot open the requested HTML document."), 0u);
  EXPECT_NE(m.text.find("\r\nError Was:\r\n"), std::string::npos);
  EXPECT_LE(m.text.size(), 1023u);
  EXPECT_FALSE(documentOpen());

  releaseLock(other);
  scripted.shown.clear();
  EXPECT_EQ(openThroughDialog(path), 1);
}

TEST_F(DocflowTest, FilesThatAreNotPagesAreRefused) {
  std::string pic = s.picture("site/p.png");
  EXPECT_EQ(openThroughDialog(pic), 0);
  EXPECT_EQ(scriptedLastMessage().title, "Please Select an HTML Document");
  EXPECT_FALSE(documentOpen());
  // A page that does not exist (removed after choosing).
  scripted.shown.clear();
  EXPECT_EQ(openThroughDialog(s.root + "/site/none.html"), 0);
  EXPECT_EQ(scriptedLastMessage().title, "File Already In Use");
  // Cancelling the dialog does nothing at all.
  scripted.shown.clear();
  EXPECT_EQ(OpenLaunch(), 0);
  EXPECT_TRUE(scriptedMessages().empty());
  EXPECT_EQ(openingBox, 0);
}

TEST_F(DocflowTest, PipesAndDevicesNeverBlockOpening) {
  alarm(30);  // a blocked open or read ends the test instead of hanging it
  const std::string pipePage = s.root + "/site/pipe.html";
  const std::string pipePicture = s.root + "/site/pipe.png";
  ASSERT_EQ(std::system(("mkdir -p '" + s.root + "/site' && mkfifo '" + pipePage + "' '" + pipePicture + "'").c_str()), 0);
  EXPECT_EQ(isHtml(pipePage.c_str()), 0);
  EXPECT_EQ(isHtml("/dev/zero"), 0);

  EXPECT_EQ(openThroughDialog(pipePage), 0);
  EXPECT_EQ(scriptedLastMessage().title, "Please Select an HTML Document");
  for (const char *page : {pipePage.c_str(), "/dev/zero"}) {
    SCOPED_TRACE(page);
    scripted.shown.clear();
    EXPECT_EQ(OpenHtmlDocument(page, "p.png"), 0);
    EXPECT_EQ(scriptedLastMessage().title, "Can't Open File");
    EXPECT_NE(scriptedLastMessage().text.find(pageNotRegularText), std::string::npos);
    EXPECT_FALSE(documentOpen());
  }

  // A picture that is a pipe is not found; choosing the pipe again is refused.
  std::string path = page("site/page.html", "<img src=\"pipe.png\" usemap=\"#m\">", false);
  scripted.shown.clear();
  scripted.files = {path, pipePicture};
  EXPECT_EQ(OpenLaunch(), 0);
  EXPECT_EQ(messageTitles(), (std::vector<std::string>{"Please Locate the Image File", "No Image Specified"}));
  EXPECT_FALSE(documentOpen());

  scripted.shown.clear();
  EXPECT_EQ(New(pipePicture.c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(scriptedLastMessage().text,
            "The image file was not found. Tilvane must be\r\nable to find the image on your drive.\r\n" + pipePicture);
  EXPECT_FALSE(documentOpen());
  // A page named that is not there yet is said to be new before a picture is asked for.
  scripted.shown.clear();
  const std::string newPage = s.root + "/site/new.html";
  scripted.files = {""};
  EXPECT_EQ(New(nullptr, newPage.c_str(), nullptr), 0);
  ASSERT_EQ(scripted.shown.size(), 2u);
  EXPECT_EQ(scripted.shown[0].title, "New Page");
  EXPECT_EQ(scripted.shown[0].text, "The page " + newPage +
                                        " does not exist yet. Choose the picture for the new page, or cancel to make none.");
  EXPECT_EQ(scripted.shown[1].kind, "open");
  EXPECT_EQ(Show(), 0);
  alarm(0);
}

TEST_F(DocflowTest, BindingByNameAsTheCommandLineDoes) {
  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#a\"><img src=\"P.png\" usemap=\"#b\">"
                                            "<img src=\"img/q.png\" usemap=\"#c\">");
  s.picture("site/P.png");
  s.picture("site/img/q.png");
  // The src as written, or the path of its file (as the command line gives it).
  struct {
    std::string name;
    const char *map;
  } found[] = {
      {"P.png", "b"},
      {s.root + "/site/P.png", "b"},
      {s.root + "/site/./img/../P.png", "b"},
      {s.root + "/site/img/q.png", "c"},
      {"img/q.png", "c"},
  };
  for (auto &f : found) {
    ASSERT_EQ(OpenHtmlDocument(path.c_str(), f.name.c_str()), 1) << f.name;
    EXPECT_STREQ(maplocalname, f.map) << f.name;
    EXPECT_TRUE(imageListShown.empty());
    Close(1);
  }
  // Names are compared exactly.
  EXPECT_EQ(OpenHtmlDocument(path.c_str(), "p.PNG"), 0);
  EXPECT_EQ(scriptedLastMessage().title, "Bad image name");
  EXPECT_EQ(scriptedLastMessage().text, "No image by that name was found in the HTML document.");
  EXPECT_FALSE(documentOpen());
  EXPECT_TRUE(lockableElsewhere(path));
}

TEST_F(DocflowTest, OpenNeedsThePictureAndThePageName) {
  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#m\">");
  ASSERT_EQ(OpenHtmlDocument(path.c_str(), "p.png"), 1);
  EXPECT_EQ(Open((s.root + "/site/none.png").c_str(), path.c_str(), nullptr), 0);
  EXPECT_EQ(scriptedLastMessage().text,
            "The image file was not found. Tilvane must be\r\nable to find the image on your drive.");
  EXPECT_FALSE(documentOpen());
  ASSERT_EQ(OpenHtmlDocument(path.c_str(), "p.png"), 1);
  EXPECT_EQ(Open(imagefilename, "", nullptr), 0);
  EXPECT_EQ(scriptedLastMessage().text, "No map filename specified.\n");
  // A picture that does not decode: the document is closed and Open says so.
  std::string broken = s.write("site/broken.png", "not a picture at all");
  ASSERT_EQ(OpenHtmlDocument(path.c_str(), "p.png"), 1);
  EXPECT_EQ(Open(broken.c_str(), path.c_str(), nullptr), 0);
  EXPECT_FALSE(documentOpen());
}

TEST_F(DocflowTest, ASecondDocumentStartsASecondProcess) {
  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#m\">");
  ASSERT_EQ(openThroughDialog(path), 1);
  scripted.shown.clear();
  EXPECT_EQ(OpenLaunch(), 0);
  EXPECT_EQ(New(nullptr, nullptr, nullptr), 1);
  ASSERT_EQ(scripted.processes.size(), 2u);
  EXPECT_EQ(scripted.processes[0], (std::vector<std::string>{"/opt/tilvane/bin/tilvane", "/open"}));
  EXPECT_EQ(scripted.processes[1], (std::vector<std::string>{"/opt/tilvane/bin/tilvane", "/new"}));
  // The open document is untouched and no dialog was shown.
  EXPECT_STREQ(mapfilename, path.c_str());
  for (const auto &x : scripted.shown) EXPECT_NE(x.kind, "open");
  // A process that cannot be started says so.
  scripted.processesStart = false;
  New(nullptr, nullptr, nullptr);
  EXPECT_EQ(scriptedLastMessage().title, "Can't Start Tilvane");
}

// --- new pages ---------------------------------------------------------------------------

TEST_F(DocflowTest, NewPageFromAPictureAsksForANameOnItsFirstSave) {
  defeatBlueBorder = 1;
  strictXHTML = 1;
  std::string pic = s.picture("pics/photo.png", 64, 48);
  scripted.files.push_back(pic);
  ASSERT_EQ(New(nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(scripted.shown[0].kind, "open");
  EXPECT_STREQ(maplocalname, "photo");
  EXPECT_STREQ(mapfilename, "");
  EXPECT_EQ(std::string(imagefilename), pic);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(titles.back(), "Tilvane 4.05: photo.png");
  EXPECT_EQ(displayWidth, 64);
  EXPECT_EQ(objectsTotal, 0);

  std::string out = s.root + "/out/page.html";
  ASSERT_EQ(std::system(("mkdir -p '" + s.root + "/out'").c_str()), 0);
  scripted.files.push_back(out);
  ASSERT_EQ(saveDocument(), 1);
  EXPECT_EQ(scripted.shown.back().kind, "save");
  EXPECT_EQ(scripted.shown.back().initial, s.root + "/pics/photo.html");
  EXPECT_STREQ(mapfilename, out.c_str());
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(titles.back(), "Tilvane 4.05: page.html");
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"DTD/xhtml1-strict.dtd\">\n"
      "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"en\" lang=\"en\">\n"
      "<head>\n"
      "<title>Imagemap</title>\n"
      "</head>\n"
      "<body>\n"
      "<div>\n"
      "<img src=\"../pics/photo.png\" alt=\"\" usemap=\"#photo\" style=\"border-style:none\" />\n"
      "</div>\n"
      "<div>\n"
      "<map id=\"photo\" name=\"photo\">\n"
      "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\n"
      "</map>\n"
      "</div>\n"
      "</body>\n"
      "</html>\n";
  EXPECT_EQ(s.read(out), expected);
  EXPECT_FALSE(lockableElsewhere(out));
  // Its picture's src is relative to the page's folder, and reopening finds it.
  Close(0);
  EXPECT_EQ(openThroughDialog(out), 1);
  struct stat found, made;
  ASSERT_EQ(stat(imagefilename, &found), 0);
  ASSERT_EQ(stat(pic.c_str(), &made), 0);
  EXPECT_EQ(found.st_ino, made.st_ino);
  const char *const paths[][3] = {{"/a/b", "/a/c/d.gif", "../c/d.gif"},
                                  {"/a/./b/../b", "/a/b/p/q.gif", "p/q.gif"},
                                  {"/", "/x.gif", "x.gif"},
                                  {"/a/b/c", "/x.gif", "../../../x.gif"}};
  for (const auto &p : paths) EXPECT_EQ(relativePath(p[0], p[1]), p[2]) << p[0] << " " << p[1];
}

TEST_F(DocflowTest, NewPageTemplateFollowsTheBorderOptions) {
  struct {
    int defeat, strict;
    const char *border;
  } cases[] = {{1, 1, " style=\"border-style:none\""}, {1, 0, " border=\"0\""}, {0, 1, ""}, {0, 0, ""}};
  for (const auto &c : cases) {
    defeatBlueBorder = c.defeat;
    strictXHTML = c.strict;
    std::string t = newPageTemplate("a \"b\".png", "n");
    EXPECT_NE(t.find(std::string("<img src=\"a &#34;b&#34;.png\" alt=\"\" usemap=\"#n\"") + c.border + " />\n"),
              std::string::npos)
        << t;
  }
}

TEST_F(DocflowTest, NewPageGivenANameIsCreatedOnItsFirstSave) {
  std::string pic = s.picture("pics/photo.png");
  std::string named = s.root + "/pics/fresh.html";
  ASSERT_EQ(New(pic.c_str(), named.c_str(), "chosen"), 1);
  EXPECT_STREQ(maplocalname, "chosen");
  EXPECT_FALSE(s.exists("pics/fresh.html"));
  ASSERT_EQ(saveDocument(), 1);
  for (const auto &x : scripted.shown) EXPECT_NE(x.kind, "save");
  std::string saved = s.read(named);
  EXPECT_NE(saved.find("<img src=\"photo.png\" alt=\"\" usemap=\"#chosen\""), std::string::npos);
  EXPECT_NE(saved.find("<map id=\"chosen\" name=\"chosen\">"), std::string::npos);
  EXPECT_FALSE(lockableElsewhere(named));
}

TEST_F(DocflowTest, NewPageCancelledOrWithABadPictureLeavesNoDocument) {
  EXPECT_EQ(New(nullptr, nullptr, nullptr), 0);
  EXPECT_FALSE(documentOpen());
  std::string broken = s.write("pics/broken.png", "garbage");
  EXPECT_EQ(New(broken.c_str(), nullptr, nullptr), 0);
  EXPECT_FALSE(documentOpen());
  EXPECT_EQ(changed, 0);
}

// --- Save As and Close ------------------------------------------------------------------------

TEST_F(DocflowTest, SaveAsAsksBeforeOverwritingAndMovesTheLock) {
  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#m\">");
  std::string other = s.write("site/other.html", "old content");
  ASSERT_EQ(openThroughDialog(path), 1);

  scripted.files.push_back(other);
  scripted.answers.push_back(IDNO);
  EXPECT_EQ(SaveAs(), 0);
  EXPECT_EQ(scriptedLastMessage().title, "Overwriting File");
  EXPECT_EQ(scriptedLastMessage().text, "That file already exists. Overwrite it?");
  EXPECT_EQ(s.read(other), "old content");
  EXPECT_STREQ(mapfilename, path.c_str());
  const scriptedShown *dialog = nullptr;
  for (const auto &x : scripted.shown)
    if (x.kind == "save") dialog = &x;
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->initial, path);

  scripted.files.push_back(other);
  scripted.answers.push_back(IDYES);
  ASSERT_EQ(SaveAs(), 1);
  EXPECT_STREQ(mapfilename, other.c_str());
  EXPECT_NE(s.read(other).find("<map id=\"m\" name=\"m\">"), std::string::npos);
  EXPECT_FALSE(lockableElsewhere(other));
  EXPECT_TRUE(lockableElsewhere(path));
  EXPECT_EQ(titles.back(), "Tilvane 4.05: other.html");
  // Saving again to the same name is not refused by our own lock.
  scripted.files.push_back(other);
  scripted.answers.push_back(IDYES);
  EXPECT_EQ(SaveAs(), 1);
}

TEST_F(DocflowTest, SaveAsThatCannotCreateKeepsTheDocumentAsItWas) {
  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#m\">");
  std::string busy = s.write("site/busy.html", "busy");
  ASSERT_EQ(openThroughDialog(path), 1);
  const std::string before = s.read(path);
  lockHolder h = holdLock(busy);
  struct {
    std::string target;
    int answer;
  } cases[] = {
      {busy, IDYES},                              // held by another process
      {s.root + "/site", IDYES},                  // a folder
      {s.root + "/no/such/folder/x.html", 0},     // a folder that is not there
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.target);
    scripted.shown.clear();
    scripted.files.push_back(c.target);
    if (c.answer) scripted.answers.push_back(c.answer);
    EXPECT_EQ(SaveAs(), 0);
    EXPECT_EQ(scriptedLastMessage().title, "Can't Create File");
    EXPECT_EQ(scriptedLastMessage().text,
              "Unable to create or overwrite the file. It may be in use by another Tilvane window, or by "
              "another program.");
    EXPECT_STREQ(mapfilename, path.c_str());
    EXPECT_FALSE(lockableElsewhere(path));
  }
  releaseLock(h);
  EXPECT_EQ(s.read(busy), "busy");
  EXPECT_EQ(s.read(path), before);
  // Cancelling the dialog.
  EXPECT_EQ(SaveAs(), 0);
  EXPECT_STREQ(mapfilename, path.c_str());
}

TEST_F(DocflowTest, CloseAsksOnlyWithUnsavedChanges) {
  defeatBlueBorder = 0;
  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#m\">");
  const std::string original = s.read(path);

  ASSERT_EQ(openThroughDialog(path), 1);
  EXPECT_EQ(Close(0), 1);
  EXPECT_TRUE(scriptedMessages().empty());

  struct {
    int answer;
    int result;
    bool open;   // still open afterwards
    bool saved;  // the page on disk holds the new hotspot
  } cases[] = {{IDCANCEL, 0, true, false}, {IDNO, 1, false, false}, {IDYES, 1, false, true}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.answer);
    docReset();
    defeatBlueBorder = 0;
    ASSERT_EQ(openThroughDialog(path), 1);
    scripted.clipboard = "<area shape=\"rect\" coords=\"1,1,9,9\" href=\"pasted.html\">";
    scripted.clipboardHasText = true;
    state = editing;
    ASSERT_EQ(getSystemClipboard(), 1);
    ASSERT_EQ(changed, 1);
    scripted.shown.clear();
    scripted.answers.push_back(c.answer);
    EXPECT_EQ(Close(0), c.result);
    ASSERT_EQ(scriptedMessages().size(), 1u);
    EXPECT_EQ(scriptedLastMessage().title, "Unsaved Changes");
    EXPECT_EQ(scriptedLastMessage().text, "Would you like to save the changes made to this document?");
    EXPECT_EQ(scriptedLastMessage().flags & MB_BUTTONMASK, (unsigned)MB_YESNOCANCEL);
    EXPECT_EQ(documentOpen(), c.open);
    EXPECT_EQ(s.read(path).find("pasted.html") != std::string::npos, c.saved);
    if (!c.saved) {
      EXPECT_EQ(s.read(path), original);
    }
  }
  // Close(1) never asks.
  docReset();
  ASSERT_EQ(openThroughDialog(path), 1);
  changed = 1;
  scripted.shown.clear();
  EXPECT_EQ(Close(1), 1);
  EXPECT_TRUE(scriptedMessages().empty());
}

TEST_F(DocflowTest, APageChangedByAnotherProgramIsOverwrittenOnlyWhenTheUserSaysSo) {
  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#m\">");
  ASSERT_EQ(openThroughDialog(path), 1);
  changed = 1;
  ASSERT_EQ(saveDocument(), 1);  // our own save is no change by another program
  EXPECT_TRUE(scriptedMessages().empty());
  // Another editor appends to the page; the lock does not stop it.
  FILE *other = std::fopen(path.c_str(), "ab");
  ASSERT_TRUE(other);
  std::fputs("<p>added elsewhere</p>\n", other);
  std::fclose(other);
  const std::string theirs = s.read(path);
  changed = 1;
  // No answer queued: Enter takes the default button, which is No.
  EXPECT_EQ(saveDocument(), 0);
  ASSERT_EQ(scriptedMessages().size(), 1u);
  EXPECT_EQ(scriptedLastMessage().title, "Page Changed on Disk");
  EXPECT_NE(scriptedLastMessage().text.find(path), std::string::npos);
  EXPECT_EQ(s.read(path), theirs);
  EXPECT_EQ(changed, 1);
  scripted.answers.push_back(IDYES);
  EXPECT_EQ(saveDocument(), 1);
  EXPECT_EQ(s.read(path).find("added elsewhere"), std::string::npos);
  EXPECT_EQ(changed, 0);
}

TEST_F(DocflowTest, CloseWhoseSaveFailsKeepsTheDocument) {
  std::string pic = s.picture("pics/photo.png");
  ASSERT_EQ(New(pic.c_str(), nullptr, nullptr), 1);
  // Yes, then the Save As dialog is cancelled.
  scripted.answers.push_back(IDYES);
  EXPECT_EQ(Close(0), 0);
  EXPECT_TRUE(documentOpen());
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(scripted.shown.back().kind, "save");
}

TEST_F(DocflowTest, CloseReleasesEverything) {
  std::string path = page("site/page.html",
                          "<img src=\"p.png\" usemap=\"#m\"><map name=\"m\"><area coords=\"1,2,3,4\" href=\"x\">"
                          "<area shape=\"default\" href=\"d.html\"></map>");
  ASSERT_EQ(openThroughDialog(path), 1);
  ASSERT_NE(defaultUrl, nullptr);
  state = editing;
  objects[0].selected = 1;
  lastObjectSelected = 0;
  undoSave(undoChanged, 0);
  ASSERT_NE(undoLast, nullptr);
  EXPECT_EQ(Close(1), 1);
  EXPECT_EQ(objects, nullptr);
  EXPECT_EQ(objectsTotal, 0);
  EXPECT_EQ(defaultUrl, nullptr);
  EXPECT_EQ(undoLast, nullptr);
  EXPECT_EQ(redoLast, nullptr);
  EXPECT_EQ(lastObjectSelected, -1);
  EXPECT_EQ(imagefilename, nullptr);
  EXPECT_EQ(maplocalname, nullptr);
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(state, nostate);
  // Closing again is harmless.
  EXPECT_EQ(Close(0), 1);
}

// --- showing the markup -------------------------------------------------------------------------

TEST_F(DocflowTest, ShowWritesTheMarkupWithCrLfAndOpensIt) {
  defeatBlueBorder = 1;
  strictXHTML = 0;
  std::string path = page("site/page.html",
                          "<img src=\"p.png\" usemap=\"#pagemap\"><map name=\"pagemap\">"
                          "<area shape=\"rect\" coords=\"1,2,30,20\" href=\"a.html\" alt=\"A\"></map>");
  ASSERT_EQ(openThroughDialog(path), 1);
  changed = 0;
  ASSERT_EQ(Show(), 1);
  ASSERT_EQ(scripted.addresses.size(), 1u);
  const std::string file = scripted.addresses[0];
  EXPECT_EQ(file.substr(file.rfind('/')), "/temporary.htm");
  const std::string expected =
      "<!--\r\n  HTML fragment showing only the elements\r\n  relevant to your imagemap: img, map, area, and\r\n"
      "  /map. Copy and paste the entire map.../map block\r\n  into the body of your page. Copy and paste "
      "the provided\r\n  img element, OR set a usemap attribute as shown on your own\r\n  img element.\r\n"
      "-->\r\n\r\n"
      "<img src=\"p.png\" usemap=\"#p\" alt=\"\" border=\"0\" />\r\n\r\n"
      "<map id=\"p\" name=\"p\">\r\n"
      "<area shape=\"rect\" alt=\"A\" coords=\"1,2,30,20\" href=\"a.html\" title=\"A\" />\r\n"
      "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\r\n"
      "</map>\r\n";
  EXPECT_EQ(s.read(file), expected);
  EXPECT_EQ(changed, 0);
}

TEST_F(DocflowTest, ShowUsesTheDesktopsProgramForPlainText) {
  s.write("config/mimeapps.list",
          "[Default Applications]\ntext/html=browser.desktop\ntext/plain=missing.desktop;term.desktop;viewer.desktop\n");
  s.write("data/applications/term.desktop", "[Desktop Entry]\nExec=vi %f\nTerminal=true\n");
  s.write("sysdata/applications/viewer.desktop",
          "[Desktop Entry]\nName=Viewer\nExec=\"/usr/bin/text viewer\" --new-window %U\n[Desktop Action x]\nExec=no\n");
  std::string pic = s.picture("pics/photo.png");
  ASSERT_EQ(New(pic.c_str(), nullptr, nullptr), 1);
  ASSERT_EQ(Show(), 1);
  ASSERT_EQ(scripted.processes.size(), 1u);
  const auto &p = scripted.processes[0];
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0], "/usr/bin/text viewer");
  EXPECT_EQ(p[1], "--new-window");
  EXPECT_EQ(p[2].substr(p[2].rfind('/')), "/temporary.htm");
  EXPECT_TRUE(scripted.addresses.empty());
  // A program that does not start: the file goes to the desktop instead.
  scripted.processesStart = false;
  ASSERT_EQ(Show(), 1);
  EXPECT_EQ(scripted.addresses.size(), 1u);
}

TEST_F(DocflowTest, ShowReportsAFileItCannotCreate) {
  std::string pic = s.picture("pics/photo.png");
  ASSERT_EQ(New(pic.c_str(), nullptr, nullptr), 1);
  std::string temp = s.root + "/runtime/tilvane";
  ASSERT_EQ(std::system(("mkdir -p '" + temp + "/temporary.htm'").c_str()), 0);
  EXPECT_EQ(Show(), 0);
  EXPECT_EQ(scriptedLastMessage().title, "Can't Create Temporary File");
  EXPECT_EQ(scriptedLastMessage().text, temp + "/temporary.htm");
}

TEST(DesktopExec, FieldCodes) {
  struct {
    const char *exec;
    std::vector<std::string> words;
  } cases[] = {
      {"gedit %U", {"gedit", "/t/f.htm"}},
      {"kate -b %f", {"kate", "-b", "/t/f.htm"}},
      {"mousepad", {"mousepad", "/t/f.htm"}},
      {"\"/opt/My Editor/ed\" --x=%F %i %c", {"/opt/My Editor/ed", "--x=/t/f.htm"}},
      {"ed \"\" %f", {"ed", "", "/t/f.htm"}},
      {"ed \"a \\\"q\\\" b\" 100%% %u", {"ed", "a \"q\" b", "100%", "/t/f.htm"}},
      {"", {}},
      {"   ", {}},
  };
  for (const auto &c : cases) EXPECT_EQ(desktopExecWords(c.exec, "/t/f.htm"), c.words) << c.exec;
}

// --- the start dialog -------------------------------------------------------------------------------

int startAnswer = -1;
int startHook(void) {
  EXPECT_EQ(openingBox, 1);
  return startAnswer;
}

TEST_F(DocflowTest, StartDialogRunsTheChosenAction) {
  webPageOrImageHook = startHook;
  startAnswer = -1;
  EXPECT_EQ(WebPageOrImage(), 0);
  EXPECT_TRUE(scripted.shown.empty());

  std::string pic = s.picture("pics/photo.png");
  startAnswer = 0;
  maptype = mapNCSA;
  scripted.files.push_back(pic);
  EXPECT_EQ(WebPageOrImage(), 1);
  EXPECT_EQ(webPageFlag, 0);
  EXPECT_EQ(maptype, mapClient);
  EXPECT_TRUE(documentOpen());
  Close(1);

  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#m\">");
  startAnswer = 1;
  scripted.files.push_back(path);
  EXPECT_EQ(WebPageOrImage(), 1);
  EXPECT_EQ(webPageFlag, 1);
  EXPECT_STREQ(mapfilename, path.c_str());
  webPageOrImageHook = nullptr;
}

TEST_F(DocflowTest, OpeningAPageKeepsTheStoredServerMapType) {
  readConfigLine("cern");
  std::string path = page("site/page.html", "<img src=\"p.png\" usemap=\"#m\">");
  ASSERT_EQ(openThroughDialog(path), 1);
  EXPECT_EQ(maptype, mapClient);
  // The settings keep the user's choice, and Export offers it.
  char text[4096];
  configText(text, sizeof text);
  EXPECT_EQ(std::string(text).substr(0, 5), "cern\n");
  scripted.shown.clear();
  scripted.files = {s.root + "/site/out.map"};
  scripted.choices = {-1};
  Export();
  ASSERT_EQ(scripted.shown.size(), 2u);
  EXPECT_EQ(scripted.shown[1].kind, "choose");
  EXPECT_EQ(scripted.shown[1].flags, 1u);  // "CERN Format (IIS)" selected
}

TEST_F(DocflowTest, AFloodOfReadingErrorsShowsFiveOfEachKind) {
  std::string body;
  for (int i = 0; i < 8; i++) body += "<a<b>x\n";  // "Tag never closed"
  body += "<img src=\"p.png\" usemap=\"#m\">\n<map name=\"m\">\n<area shape=\"circle\" coords=\"5,6\">\n";
  for (int i = 0; i < 7; i++) body += "<area coords=\"1,2,3\">\n";
  ASSERT_EQ(openThroughDialog(page("site/page.html", body + "</map>")), 1);
  std::vector<std::string> want(5, "HTML Error");
  want.push_back("More Errors: Tilvane found 3 more HTML errors in this page. They are not shown.");
  const std::string kept = "\r\nTilvane keeps this area in the page as it is.";
  want.push_back("Tilvane: Radius missing from circle.\r\nArea 1 of the map: <area shape=\"circle\" coords=\"5,6\">" + kept);
  for (int i = 0; i < 5; i++)
    want.push_back("Tilvane: Y coordinate missing from shape.\r\nArea " + std::to_string(i + 2) +
                   " of the map: <area coords=\"1,2,3\">" + kept);
  want.push_back("More Errors: Tilvane found 2 more areas with a y coordinate missing. "
                 "They are not shown.");
  std::vector<std::string> got;
  for (const auto &m : scriptedMessages())
    got.push_back(m.title == "HTML Error" ? m.title : m.title + ": " + m.text);
  EXPECT_EQ(got, want);

  // Without a limit (the companion tool) every message is shown.
  scripted.shown.clear();
  readingMessagesShown = 0;
  LoadClientMap(hdoc, "m");
  readingMessagesShown = 5;
  EXPECT_EQ(scriptedMessages().size(), 8u);
}

TEST_F(DocflowTest, RecentFileCommandsReachTheWorkflow) {
  docflowInstall();
  EXPECT_EQ(recentFileDocument.close, &Close);
  EXPECT_EQ(recentFileDocument.newDocument, &New);
  EXPECT_EQ(recentFileDocument.openHtmlDocument, &OpenHtmlDocument);
  EXPECT_EQ(recentFileDocument.open, &Open);
}

// --- pages written by others -----------------------------------------------------------------------

TEST_F(DocflowTest, CorpusPagesOpenSaveAndReopenWithTheSameMap) {
  const char *corpus = std::getenv("TILVANE_CORPUS_DIR");
  if (!corpus || !*corpus) GTEST_SKIP() << "no corpus";
  std::string cmd = std::string("find '") + corpus + "/html' -type f 2>/dev/null | sort";
  FILE *list = popen(cmd.c_str(), "r");
  if (!list) GTEST_SKIP() << "no listing";
  const std::string pic = s.picture("corpus/picture.png", 50, 40);
  char line[4096];
  int pages = 0, opened = 0, withHotspots = 0;
  while (std::fgets(line, sizeof line, list)) {
    line[std::strcspn(line, "\n")] = 0;
    SCOPED_TRACE(line);
    // A copy, so that nothing of the corpus is ever written.
    const std::string copy = s.write("corpus/" + std::to_string(pages++) + ".html", s.read(line));
    auto openCopy = [&]() {
      docReset();
      defeatBlueBorder = 0;
      imageListAnswers = {0};
      scripted.files = {copy, pic};
      return OpenLaunch();
    };
    int r = openCopy();
    // Either a complete document or none at all.
    ASSERT_EQ(r == 1, documentOpen());
    if (!r) {
      EXPECT_EQ(htmlFilePtr, nullptr);
      EXPECT_FALSE(scriptedMessages().empty());
      continue;
    }
    opened++;
    const int hotspots = objectsTotal;
    if (hotspots) withHotspots++;
    // No default link is written as the nohref default area and read back empty.
    const std::string defaultLink = defaultUrl ? defaultUrl : "";
    ASSERT_EQ(Save(), 1);
    Close(1);
    ASSERT_EQ(openCopy(), 1);
    EXPECT_EQ(objectsTotal, hotspots);
    EXPECT_EQ(defaultUrl ? defaultUrl : "", defaultLink);
    Close(1);
  }
  pclose(list);
  if (!pages) GTEST_SKIP() << "no pages in the corpus";
  std::printf("corpus: %d pages, %d opened, %d with hotspots\n", pages, opened, withHotspots);
  EXPECT_GT(withHotspots, 0);
}

}  // namespace
