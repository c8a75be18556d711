// Tests of handing addresses and the help page to the browser: the stub page,
// the addresses helpOn makes, the messages when that fails, and the help page's
// anchors.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <regex>
#include <set>
#include <string>

#include "app/browser.h"
#include "app/datadir.h"
#include "platform/platform_scripted.h"
#include "tests/app/shell_test_util.h"

namespace {

class Browser : public ::testing::Test {
 protected:
  tempHome home;
  void SetUp() override { scriptedInstall(); }
  std::string exeFolder() {
    char f[4096];
    EXPECT_EQ(executableFolder(f, sizeof f), 1);
    return f;
  }
  std::string stubPath() { return home.runtime + "/tilvane/helpstub.htm"; }
};

TEST_F(Browser, PagesOfTheProgramGoToAWebBrowserNeverToTilvane) {
  const std::string bin = home.root + "/bin", apps = home.root + "/data/applications";
  makeFolders(bin.c_str());
  makeFolders(apps.c_str());
  for (const char *program : {"webprog", "mybrowser", "x-www-browser", "tilvane"}) {
    writeFile(bin + "/" + program, "#!/bin/sh\n");
    chmod((bin + "/" + program).c_str(), 0755);
  }
  writeFile(apps + "/web.desktop", "[Desktop Entry]\nName=Web\nExec=webprog --new-tab %u\n");
  for (const char *entry : {"/tilvane.desktop", "/" DESKTOP_ENTRY_ID ".desktop"})
    writeFile(apps + entry, "[Desktop Entry]\nName=Tilvane\nExec=tilvane %F\n");
  const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", bin.c_str(), 1);
  setenv("XDG_DATA_HOME", (home.root + "/data").c_str(), 1);
  static std::string handler;
  std::string (*realQuery)(const char *) = linkHandlerQuery;
  linkHandlerQuery = [](const char *) { return handler; };
  const char *page = "file:///opt/t/help%20page.htm#help_color";
  const struct {
    const char *handler, *browserEnv;
    bool removeFallback;
    std::vector<std::string> command;
  } cases[] = {
      {"web.desktop", nullptr, false, {"webprog", "--new-tab", page}},
      {"tilvane.desktop", "missing:mybrowser %s --x", false, {"mybrowser", page, "--x"}},
      {"tilvane.desktop", nullptr, false, {"x-www-browser", page}},
      {DESKTOP_ENTRY_ID ".desktop", nullptr, false, {"x-www-browser", page}},
      {"", nullptr, true, {}},
  };
  for (const auto &c : cases) {
    handler = c.handler;
    if (c.browserEnv)
      setenv("BROWSER", c.browserEnv, 1);
    else
      unsetenv("BROWSER");
    if (c.removeFallback) std::remove((bin + "/x-www-browser").c_str());
    EXPECT_EQ(browserCommand(page), c.command) << c.handler;
  }
  linkHandlerQuery = realQuery;
  unsetenv("BROWSER");
  setenv("PATH", oldPath.c_str(), 1);
}

TEST_F(Browser, StubPageText) {
  char text[2048];
  helpStubText("file:///opt/t/help.htm#help_color", text, sizeof text);
  EXPECT_STREQ(text,
               "<html>\n<head>\n<meta http-equiv=\"refresh\" "
               "content=\"0;url=file:///opt/t/help.htm#help_color\"/>\n</head>\n<body>\nYou "
               "should be redirected momentarily. If not, <a "
               "href=\"file:///opt/t/help.htm#help_color\">click on this link</a> to navigate "
               "to the desired page.\n</body>\n</html>\n");
}

TEST_F(Browser, HelpOnWritesAFreshStubAndOpensIt) {
  makeFolders((home.runtime + "/tilvane").c_str());
  writeFile(stubPath(), "an older stub");
  for (const char *anchor : {"help_contents", "help_color", "help_new_4"}) {
    scripted.addresses.clear();
    helpOn(anchor);
    ASSERT_EQ(scripted.addresses.size(), 1u);
    EXPECT_EQ(scripted.addresses[0], stubPath());
    std::string address = "file://" + exeFolder() + "/help.htm#" + anchor;
    char expected[4096];
    helpStubText(address.c_str(), expected, sizeof expected);
    EXPECT_EQ(readFile(stubPath()), expected);
  }
  EXPECT_TRUE(scripted.shown.empty());
  // With no program to open it, the user is told the help page's address.
  scripted.addressesOpen = false;
  EXPECT_EQ(htmlFile(nullptr, "help.htm#help_contents"), 0);
  auto m = scriptedLastMessage();
  EXPECT_EQ(m.title, "Open This URL Manually");
  const std::string tail = "\r\n\r\nfile://" + exeFolder() + "/help.htm#help_contents";
  EXPECT_EQ(m.text.substr(m.text.size() - tail.size()), tail);
}

TEST_F(Browser, AddressesOfOddFolderNamesStayValid) {
  char a[4096];
  ASSERT_EQ(htmlFileAddress("help.htm#help_urls", a, sizeof a), 1);
  EXPECT_EQ(std::string(a), "file://" + exeFolder() + "/help.htm#help_urls");
  // Characters that would break the address or the stub's attribute are encoded.
  ASSERT_EQ(htmlFileAddress("x y\"<z>.htm", a, sizeof a), 1);
  EXPECT_NE(strstr(a, "/x%20y%22%3Cz%3E.htm"), nullptr);
  // Too small a buffer fails cleanly.
  char small[10];
  EXPECT_EQ(htmlFileAddress("help.htm", small, sizeof small), 0);
}

TEST_F(Browser, StubThatCannotBeWritten) {
  // The temporary folders are taken by files: the stub cannot be made there,
  // and the fallback is the system's temporary folder, made unusable as well.
  writeFile(home.runtime + "/tilvane", "in the way");
  makeFolders((home.home + "/.cache").c_str());
  writeFile(home.home + "/.cache/tilvane", "in the way");
  setenv("TMPDIR", (home.root + "/missing").c_str(), 1);
  scripted.addresses.clear();
  EXPECT_EQ(htmlFile(nullptr, "help.htm#help_contents"), 0);
  unsetenv("TMPDIR");
  auto m = scriptedLastMessage();
  EXPECT_EQ(m.title, "Can't Create Temporary File");
  EXPECT_EQ(m.text,
            "Unable to create a temporary file. You can still access help.htm in the Tilvane "
            "installation folder manually.");
  EXPECT_TRUE(scripted.addresses.empty());
}

TEST_F(Browser, AccessUrlHandsAddressesOnAndReportsFailure) {
  EXPECT_EQ(AccessURL(nullptr, "mailto:someone@example.com"), 1);
  EXPECT_EQ(AccessURL(nullptr, "/home/someone/page.html"), 1);
  ASSERT_EQ(scripted.addresses.size(), 2u);
  EXPECT_EQ(scripted.addresses[0], "mailto:someone@example.com");
  EXPECT_EQ(scripted.addresses[1], "/home/someone/page.html");
  EXPECT_TRUE(scripted.shown.empty());

  scripted.addressesOpen = false;
  EXPECT_EQ(AccessURL(nullptr, "http://www.example.com/"), 0);
  auto m = scriptedLastMessage();
  EXPECT_EQ(m.title, "Open This URL Manually");
  EXPECT_EQ(m.flags & MB_ICONMASK, (unsigned)MB_ICONWARNING);
  EXPECT_EQ(m.text,
            "You do not have a web browser installed, or your web browser is not installed as "
            "the default web browser of your desktop.\r\n\r\nAccess the following URL directly with "
            "your preferred web browser:\r\n\r\nhttp://www.example.com/");
  // A huge address is cut in the message, never overrun.
  std::string huge(20000, 'h');
  EXPECT_EQ(AccessURL(nullptr, huge.c_str()), 0);
  EXPECT_LT(scriptedLastMessage().text.size(), 2048u);
}

TEST_F(Browser, WithoutTheEmbeddedBrowser) {
  EXPECT_EQ(urlBrowseUnavailable(nullptr), -1);
  EXPECT_EQ(scriptedLastMessage().title, "Can't Browse Web Pages");
}

TEST(Install, DataFilesGoToShareWhereTheProgramFindsThem) {
  tempHome home;
  const std::string prefix = home.root + "/prefix";
  const std::string install = std::string(TILVANE_CMAKE) + " --install \"" + TILVANE_BUILD_DIR +
                              "\" --prefix \"" + prefix + "\" --component tilvane_data >/dev/null";
  ASSERT_EQ(std::system(install.c_str()), 0);
  for (const char *name : {"help.htm", "tilvane.jpg"}) {
    EXPECT_TRUE(exists(prefix + "/share/tilvane/" + name)) << name;
    EXPECT_FALSE(exists(prefix + "/bin/" + name)) << name;
  }
  EXPECT_TRUE(exists(prefix + "/share/icons/hicolor/48x48/apps/tilvane.png"));
  // From bin/ the program finds its files in share/tilvane, else beside itself.
  makeFolders((prefix + "/bin").c_str());
  char folder[4096];
  ASSERT_EQ(programFileFolderOf((prefix + "/bin").c_str(), "help.htm", folder, sizeof folder), 1);
  EXPECT_EQ(std::string(folder), prefix + "/share/tilvane");
  ASSERT_EQ(programFileFolderOf((prefix + "/bin").c_str(), "other.htm", folder, sizeof folder), 1);
  EXPECT_EQ(std::string(folder), prefix + "/bin");
  // The desktop entry passes the validator without a word, where it is installed.
  const std::string entry = prefix + "/share/applications/" DESKTOP_ENTRY_ID ".desktop";
  ASSERT_TRUE(exists(entry));
  for (const char *type : {"image/webp;", "image/avif;", "image/svg+xml;"})
    EXPECT_NE(readFile(entry).find(type), std::string::npos) << type;
  if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0) return;
  const std::string said = home.root + "/validate.txt";
  EXPECT_EQ(std::system(("desktop-file-validate \"" + entry + "\" >\"" + said + "\" 2>&1").c_str()), 0);
  EXPECT_EQ(readFile(said), "");
}

TEST(HelpPage, CarriesEveryAnchorTheProgramOpens) {
  std::string page = readFile(TILVANE_HELP_PAGE);
  ASSERT_FALSE(page.empty());
  std::set<std::string> ids;
  std::regex idAttr("\\bid=\"([^\"]+)\"");
  for (auto it = std::sregex_iterator(page.begin(), page.end(), idAttr);
       it != std::sregex_iterator(); ++it) {
    std::string id = (*it)[1];
    EXPECT_TRUE(ids.insert(id).second) << "id used twice: " << id;
  }
  for (const char *a :
       {"help_contents", "help_new_4", "help_polygons", "help_circles", "help_rectangles",
        "help_magicwand", "help_editing", "help_moving", "help_addpoints", "help_removepoints",
        "help_color", "help_setdefault", "help_started", "help_saving",
        "help_magicwandsettings", "help_urls", "help_altandtitle", "help_target",
        "help_javascript", "help_coordinates"})
    EXPECT_TRUE(ids.count(a)) << a;
  // Every link inside the page leads to an anchor that exists.
  std::regex href("href=\"#([^\"]+)\"");
  for (auto it = std::sregex_iterator(page.begin(), page.end(), href);
       it != std::sregex_iterator(); ++it)
    EXPECT_TRUE(ids.count((*it)[1])) << "dangling link #" << (*it)[1];
  // It sits next to the test programs, as it sits next to the editor.
  char folder[4096];
  ASSERT_EQ(executableFolder(folder, sizeof folder), 1);
  EXPECT_EQ(readFile(std::string(folder) + "/help.htm"), page);
}

}  // namespace
